// What a program or DLL says about its version: its version resource, read as Windows
// Explorer reads it (GetFileVersionInfoW), and the image version in its PE header.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

struct FileVersionInfo {
    std::string fileVersion;     // the fixed part, "1.0.0.0"
    std::string productVersion;  // the fixed part
    uint16_t language = 0;       // of the first translation, e.g. 0x0412 (Korean)
    uint16_t codePage = 0;       // of the first translation, 1200 for UTF-16
    // The standard strings of that translation that are present (FileVersion,
    // ProductName, ...), in UTF-8.
    std::map<std::string, std::string> strings;
};

// Nothing when the file has no version resource or cannot be read.
std::optional<FileVersionInfo> ReadFileVersionInfo(const std::filesystem::path& file);

// "major.minor" from the PE optional header; nothing when the file is not a PE image.
std::optional<std::string> ReadImageVersion(const std::filesystem::path& file);

// A fresh folder under the temporary directory, removed with everything in it when the
// object goes.
#pragma once

#include <filesystem>
#include <string_view>

class ScratchFolder {
public:
    // Throws std::filesystem::filesystem_error when the folder cannot be made.
    explicit ScratchFolder(std::wstring_view prefix = L"quillet");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Checks under Wine that programs and DLLs carry the release version, as Windows shows it:
// the version resource read with GetFileVersionInfoW (fixed and string versions, Korean
// strings, file names) and the PE image version. One line per file; exit status 1 when any
// file falls short.
//
//     version_check.exe VERSION FILE...      (VERSION as major.minor.patch)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "testhost/FileVersion.h"
#include "testhost/TextUtf8.h"

namespace {

bool HasHangul(const std::string& utf8) {
    for (wchar_t unit : WideFromUtf8(utf8)) {
        if (unit >= 0xAC00 && unit <= 0xD7A3) return true;
    }
    return false;
}

std::string Text(const FileVersionInfo& info, const std::string& name) {
    auto found = info.strings.find(name);
    return found == info.strings.end() ? std::string() : found->second;
}

// What is wrong with the file's versions; empty when nothing is.
std::vector<std::string> Problems(const std::filesystem::path& file, const std::string& version) {
    const std::optional<FileVersionInfo> info = ReadFileVersionInfo(file);
    if (!info) return {"no version resource"};
    std::vector<std::string> problems;
    auto expect = [&](const std::string& what, const std::string& found,
                      const std::string& wanted) {
        if (found != wanted) problems.push_back(what + " is '" + found + "', not '" + wanted + "'");
    };
    expect("fixed file version", info->fileVersion, version + ".0");
    expect("fixed product version", info->productVersion, version + ".0");
    expect("FileVersion", Text(*info, "FileVersion"), version);
    expect("ProductVersion", Text(*info, "ProductVersion"), version);
    expect("OriginalFilename", Text(*info, "OriginalFilename"),
           Utf8FromWide(file.filename().wstring()));
    expect("InternalName", Text(*info, "InternalName"), Utf8FromWide(file.stem().wstring()));
    if (info->language != 0x0412 || info->codePage != 1200) {
        problems.push_back("translation is not Korean, UTF-16 (0412, 1200)");
    }
    for (const char* name : {"FileDescription", "ProductName"}) {
        if (!HasHangul(Text(*info, name))) problems.push_back(std::string(name) + " is not Korean");
    }
    if (Text(*info, "LegalCopyright").empty()) problems.push_back("LegalCopyright is missing");
    const std::string majorMinor = version.substr(0, version.rfind('.'));
    expect("PE image version", ReadImageVersion(file).value_or("none"), majorMinor);
    return problems;
}

void PrintLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // UTF-8 bytes and LF line ends as written
    if (argc < 3) {
        std::fputs("usage: version_check.exe VERSION FILE...\n", stderr);
        return 2;
    }
    const std::string version = Utf8FromWide(argv[1]);
    bool allGood = true;
    for (int i = 2; i < argc; ++i) {
        const std::filesystem::path file = argv[i];
        const std::string name = Utf8FromWide(file.filename().wstring());
        const std::vector<std::string> problems = Problems(file, version);
        if (problems.empty()) PrintLine("version_check: " + name + " " + version + " ok");
        for (const std::string& problem : problems) {
            PrintLine("version_check: " + name + ": " + problem);
        }
        allGood = allGood && problems.empty();
    }
    return allGood ? 0 : 1;
}

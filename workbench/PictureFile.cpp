#include "workbench/PictureFile.h"

#include <chrono>
#include <cstdio>
#include <optional>

#include "workbench/NamedFiles.h"

namespace {

// When the file was last written, in UTC so that the picture says the same everywhere.
std::string FileTime(FilePort& files, const std::string& name) {
    const std::optional<FileInfo> info = files.InfoOf(files.PathFromName(name));
    if (!info) return {};
    using namespace std::chrono;
    const auto time = floor<minutes>(sys_seconds(seconds(info->modified)));
    const year_month_day date{floor<days>(time)};
    const hh_mm_ss clock{time - floor<days>(time)};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02ld:%02ld UTC",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<long>(clock.hours().count()),
                  static_cast<long>(clock.minutes().count()));
    return text;
}

}  // namespace

PictureWrite WritePictureFile(FilePort& files, const std::string& target, const std::string& svg,
                              std::initializer_list<std::string> inputs) {
    for (const std::string& input : inputs) {
        if (SameFile(files, target, input)) {
            return {false, "읽은 규칙 파일 위에 그림을 쓰지 않습니다: " + target};
        }
    }
    const StoreOutcome stored = StoreWholeFile(files, target, svg);
    return {stored.saved, stored.error};
}

PictureSource SourceOf(FilePort& files, const std::string& name) {
    return {name, FileTime(files, name)};
}

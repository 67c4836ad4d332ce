#include "workbench/NamedFiles.h"

#include "rules/RuleStore.h"
#include "texts/FileReport.h"

namespace {

StoreOutcome Failed(std::string error) {
    return {false, false, false, {}, std::move(error)};
}

StoreOutcome OutcomeOf(const FilePort& files, const FileSave& save) {
    if (!save.succeeded()) return Failed(SaveFailureLine(files, save));
    return {true,
            save.unchanged,
            save.backupKept,
            save.keptCopy.empty() ? "" : files.NameOf(save.keptCopy),
            {}};
}

}  // namespace

StoreOutcome StoreRuleFile(FilePort& files, const std::string& name, const RuleTable& table) {
    return OutcomeOf(files, RuleStore(files, files.PathFromName(name)).Save(table));
}

StoreOutcome StoreWholeFile(FilePort& files, const std::string& name, std::string_view bytes) {
    const FileWrite write = WriteFileAtomically(files, files.PathFromName(name), bytes);
    if (!write.succeeded()) return Failed(SaveFailureLine(files, write));
    return {true, false, false, {}, {}};
}

std::optional<std::string> ReadNamedFile(FilePort& files, const std::string& name,
                                         std::string& error) {
    const auto fail = [&](const std::string& why) -> std::optional<std::string> {
        error = ReadFailureLine(name, why);
        return std::nullopt;
    };
    const FilePath path = files.PathFromName(name);
    if (files.KindOf(path) == FileKind::Folder) return fail("폴더입니다");
    std::string bytes;
    const FileStatus read = files.ReadAll(path, ReadSharing::WithWriters, bytes);
    if (!read.ok()) return fail(FileFaultWords(files, read));
    return bytes;
}

bool SameFile(FilePort& files, const std::string& a, const std::string& b) {
    const std::optional<FileInfo> first = files.InfoOf(files.PathFromName(a));
    const std::optional<FileInfo> second = files.InfoOf(files.PathFromName(b));
    return first && second && first->identity == second->identity;
}

// copy-to-share: on a seat moved to a rule folder that holds no rule file yet, the table this
// seat used before (Quillet.def beside the module) is put into that folder through the
// module's own save, which makes the file only where there is none: a rule file that
// appears in the folder meanwhile (another seat's) is kept, and nothing is copied. The file
// beside the module stays as it is.
#include <string>

#include "platform/LegacyCodePage.h"
#include "platform/TextEncoding.h"
#include "rules/RuleStore.h"
#include "texts/FileReport.h"
#include "texts/RuleFolderText.h"
#include "workbench/Json.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

namespace {

std::string Utf8(const std::u16string& text) {
    return Utf8FromUtf16(text, SurrogateForm::Replaced);
}

bool IsFile(FileKind kind) {
    return kind == FileKind::File || kind == FileKind::ReadOnlyFile;
}

// Why there is nothing to copy, or nowhere to copy it to; nothing when the copy may go ahead.
int RefuseUnlessMovable(const CommandContext& context, const Seat& seat) {
    const RuleLocation& location = seat.location;
    FilePort& files = context.files;
    if (!location.configured()) {
        return Fail(context, kExitErrors, "no-rule-folder",
                    "RuleFolder가 설정되지 않아 이 컴퓨터는 모듈의 폴더에 있는 규칙 파일을 "
                    "씁니다. 옮길 규칙 폴더가 없습니다.");
    }
    if (!location.usable()) {
        return Fail(context, kExitErrors, "unusable-setting", Utf8(RuleFolderFaultText(location)));
    }
    if (files.KindOf(location.folder) != FileKind::Folder) {
        return Fail(context, kExitFileFailed, "folder-out-of-reach",
                    "규칙 폴더에 연결할 수 없습니다: " + Utf8(location.folder));
    }
    if (IsFile(files.KindOf(location.file))) {
        return Fail(context, kExitWarnings, "folder-has-rules",
                    "규칙 폴더에 이미 규칙 파일이 있어 아무것도 복사하지 않았습니다: " +
                        Utf8(location.file));
    }
    if (!TableLeftBesideModule(files, location, seat.moduleFolder)) {
        return Fail(context, kExitWarnings, "nothing-beside-module",
                    "모듈의 폴더에 규칙 파일이 없어 복사할 것이 없습니다: " +
                        Utf8(PathInFolder(seat.moduleFolder, kRuleFileName)));
    }
    return kExitClean;
}

}  // namespace

int RunCopyToShare(const CommandContext& context) {
    if (!context.seat) {
        return Fail(context, kExitUsage, "windows-only",
                    "copy-to-share는 Windows에서만 쓸 수 있습니다.");
    }
    const Seat& seat = *context.seat;
    if (const int refused = RefuseUnlessMovable(context, seat); refused != kExitClean) {
        return refused;
    }
    const FilePath source = PathInFolder(seat.moduleFolder, kRuleFileName);
    RuleTable table;
    const RuleFileLoad load = RuleStore(context.files, source).Load(table, SystemCodePageDecoder());
    if (!load.succeeded()) {
        return Fail(context, kExitFileFailed, "cannot-read",
                    ReadFailureLine(Utf8(source), FileFaultWords(context.files, load.status)));
    }
    const FileContents none;  // the save makes the file only where there is none
    SaveOptions options;
    options.expected = &none;
    const FileSave save = RuleStore(context.files, seat.location.file).Save(table, options);
    if (save.failedStep == SaveStep::CheckFound) {
        return Fail(context, kExitWarnings, "folder-has-rules",
                    "복사하는 동안 규칙 폴더에 규칙 파일이 생겨, 그 파일을 그대로 두고 아무것도 "
                    "복사하지 않았습니다: " +
                        Utf8(seat.location.file));
    }
    if (!save.succeeded()) {
        return Fail(context, kExitFileFailed, "cannot-write", SaveFailureLine(context.files, save));
    }
    const bool linesLeft = HoldsLinesNotCarried(BytesOf(load.bytes));
    if (context.invocation.json) {
        JsonWriter json;
        json.BeginObject().Key("from").String(Utf8(source)).Key("to").String(Utf8(save.path));
        json.Key("rules").Integer(table.count());
        json.Key("lines_not_copied").Bool(linesLeft).EndObject();
        context.out << json.Text() << "\n";
    } else {
        context.out << "규칙 " << table.count() << "개를 복사했습니다: " << Utf8(source) << " → "
                    << Utf8(save.path) << "\n모듈의 폴더의 파일은 그대로 둡니다.\n";
        if (linesLeft) {
            context.out << "표에 들지 않는 줄(주석, 여섯 칸이 아닌 줄, 49번째 뒤의 규칙)은 "
                           "복사하지 않았습니다. 원래 파일에 그대로 있습니다.\n";
        }
    }
    return kExitClean;
}

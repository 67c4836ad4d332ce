// where: the rule folder and file the module on this computer uses, and which setting says so.
#include "dialogs/RuleFolderText.h"
#include "platform/TextEncoding.h"
#include "workbench/Json.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

namespace {

const char* SourceName(RuleFolderSource source) {
    switch (source) {
        case RuleFolderSource::Machine:
            return "machine";
        case RuleFolderSource::User:
            return "user";
        case RuleFolderSource::ModuleFolder:
            break;
    }
    return "module-folder";
}

const char* FaultName(RuleFolderFault fault) {
    switch (fault) {
        case RuleFolderFault::NotText:
            return "not-text";
        case RuleFolderFault::Empty:
            return "empty";
        case RuleFolderFault::Relative:
            return "relative";
        case RuleFolderFault::UnexpandedVariable:
            return "unexpanded-variable";
        case RuleFolderFault::None:
            break;
    }
    return "";
}

// What the module does while the setting cannot be used, as it tells it at the start.
constexpr std::string_view kUnusableSetting =
    "모듈은 규칙 폴더에 연결할 수 없을 때처럼 이 컴퓨터에 보관한 마지막 사본을 쓰고, 사본이 "
    "없으면 규칙 없이 시작합니다. 설정을 고칠 때까지 규칙을 저장할 수 없습니다.";

}  // namespace

// Exit 2 when the setting cannot be used.
int RunWhere(const CommandContext& context) {
    if (!context.seat) {
        return Fail(context, kExitUsage, "windows-only", "where는 Windows에서만 쓸 수 있습니다.");
    }
    const RuleLocation& seat = *context.seat;
    const auto utf8 = [](const std::u16string& text) {
        return Utf8FromUtf16(text, SurrogateForm::Replaced);
    };
    const std::string setting = seat.configured() ? utf8(RuleFolderSettingName(seat.source))
                                                  : std::string("설정 없음: 모듈의 폴더");
    const int status = seat.usable() ? kExitClean : kExitErrors;
    if (!context.invocation.json) {
        if (seat.usable()) {
            context.out << "규칙 폴더: " << utf8(seat.folder) << "\n규칙 파일: " << utf8(seat.file)
                        << "\n설정: " << setting << "\n";
        } else {
            context.out << "규칙 폴더: (설정을 쓸 수 없음)\n설정: " << setting
                        << "\n문제: " << utf8(RuleFolderFaultText(seat)) << "\n"
                        << kUnusableSetting << "\n";
        }
        return status;
    }
    JsonWriter json;
    json.BeginObject().Key("folder");
    seat.usable() ? json.String(utf8(seat.folder)) : json.Null();
    json.Key("file");
    seat.usable() ? json.String(utf8(seat.file)) : json.Null();
    json.Key("source").String(SourceName(seat.source)).Key("problem");
    if (seat.usable()) {
        json.Null();
    } else {
        json.BeginObject().Key("code").String(FaultName(seat.fault));
        json.Key("message").String(utf8(RuleFolderFaultText(seat))).EndObject();
    }
    json.EndObject();
    context.out << json.Text() << "\n";
    return status;
}

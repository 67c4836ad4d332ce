// where: the rule folder and file the module on this computer uses, which setting says so and
// what it holds, whether the folder can be reached now, and the copy this user's seat falls
// back on while it cannot.
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/TextEncoding.h"
#include "texts/RuleFolderText.h"
#include "workbench/Json.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

namespace {

const char* SourceName(RuleFolderSource source) {
    switch (source) {
        case RuleFolderSource::Policy:
            return "policy";
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

std::string Utf8(const std::u16string& text) {
    return Utf8FromUtf16(text, SurrogateForm::Replaced);
}

// "2026-12-09 14:02:11 UTC", or with `iso` "2026-12-09T14:02:11Z".
std::string UtcText(int64_t seconds, bool iso) {
    using namespace std::chrono;
    const sys_seconds time{std::chrono::seconds(seconds)};
    const year_month_day date{floor<days>(time)};
    const hh_mm_ss clock{time - floor<days>(time)};
    char text[40];
    std::snprintf(
        text, sizeof text,
        iso ? "%04d-%02u-%02uT%02ld:%02ld:%02ldZ" : "%04d-%02u-%02u %02ld:%02ld:%02ld UTC",
        static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
        static_cast<unsigned>(date.day()), static_cast<long>(clock.hours().count()),
        static_cast<long>(clock.minutes().count()), static_cast<long>(clock.seconds().count()));
    return text;
}

// Where the module's rules come from at its next start, as its load decides.
enum class RulesFrom : uint8_t { RuleFile, LastCopy, None };

struct SeatState {
    std::optional<bool> reachable;  // the folder, now; nothing when no folder is named
    bool fileThere = false;         // in the folder reached
    std::optional<LocalRuleCopy> copy;
    RulesFrom rules = RulesFrom::None;
    std::vector<SettingRoot> ignored;  // values the deciding one overrides, nearest first
};

SeatState StateOf(FilePort& files, const Seat& seat) {
    const RuleLocation& location = seat.location;
    SeatState state;
    state.copy = StandInCopy(files, seat.copyFolder, location);
    if (location.configured()) {
        for (auto root = static_cast<int>(RootOf(location.source)) + 1;
             root <= static_cast<int>(SettingRoot::User); ++root) {
            if (seat.values.In(static_cast<SettingRoot>(root))) {
                state.ignored.push_back(static_cast<SettingRoot>(root));
            }
        }
    }
    if (!location.usable()) {
        state.rules = state.copy ? RulesFrom::LastCopy : RulesFrom::None;
        return state;
    }
    state.reachable = files.KindOf(location.folder) == FileKind::Folder;
    const FileKind file = *state.reachable ? files.KindOf(location.file) : FileKind::Missing;
    state.fileThere = file == FileKind::File || file == FileKind::ReadOnlyFile;
    if (*state.reachable) {
        state.rules = state.fileThere ? RulesFrom::RuleFile : RulesFrom::None;
    } else {
        state.rules = location.configured() && state.copy ? RulesFrom::LastCopy : RulesFrom::None;
    }
    return state;
}

// `REG_EXPAND_SZ "%SHARE%\cam" (풀면 "\\srv\cam")`.
std::string ValueText(const SettingValue& value) {
    std::string text = Utf8(RegistryTypeName(value.type));
    if (!value.IsText()) return text;
    text += " \"" + Utf8(value.text) + "\"";
    if (value.expanded != value.text) text += " (풀면 \"" + Utf8(value.expanded) + "\")";
    return text;
}

std::string CopyText(const LocalRuleCopy& copy) {
    return Utf8(copy.path) + " (" +
           (copy.modified ? UtcText(*copy.modified, false) + "에 " : std::string()) +
           (copy.origin == CopyOrigin::Saved ? "이 컴퓨터에서 저장한 규칙" : "폴더에서 읽은 규칙") +
           ")";
}

// What the module does while the setting cannot be used, as it tells it at the start.
constexpr std::string_view kUnusableSetting =
    "모듈은 규칙 폴더에 연결할 수 없을 때처럼 이 컴퓨터에 보관한 마지막 사본을 쓰고, 사본이 "
    "없으면 규칙 없이 시작합니다. 설정을 고칠 때까지 규칙을 저장할 수 없습니다.";

void PrintText(std::ostream& out, const Seat& seat, const SeatState& state) {
    const RuleLocation& location = seat.location;
    if (location.usable()) {
        out << "규칙 폴더: " << Utf8(location.folder) << "\n규칙 파일: " << Utf8(location.file)
            << "\n";
    } else {
        out << "규칙 폴더: (설정을 쓸 수 없음)\n";
    }
    if (!location.configured()) {
        out << "설정: 설정 없음: 모듈의 폴더\n";
    } else {
        out << "설정: " << Utf8(RuleFolderSettingName(location.source))
            << "\n값: " << ValueText(location.value) << "\n";
    }
    for (const SettingRoot root : state.ignored) {
        out << "쓰지 않는 값: " << Utf8(SettingFullName(root, kRuleFolderSetting)) << " "
            << ValueText(*seat.values.In(root)) << " ("
            << (location.source == RuleFolderSource::Policy ? "정책" : "HKLM")
            << "의 값이 정합니다)\n";
    }
    if (!location.usable()) {
        out << "문제: " << Utf8(RuleFolderFaultText(location)) << "\n" << kUnusableSetting << "\n";
    } else if (!location.configured()) {
        out << (state.fileThere
                    ? "폴더: 모듈의 폴더, 규칙 파일 있음\n"
                    : "폴더: 모듈의 폴더. 규칙 파일이 없어 아직 적용할 규칙이 없습니다.\n");
    } else if (!*state.reachable) {
        out << "폴더: 지금 연결할 수 없습니다. "
            << (state.rules == RulesFrom::LastCopy
                    ? "모듈은 이 컴퓨터에 보관한 마지막 사본을 쓰고, 폴더에 다시 연결될 때까지 "
                      "규칙을 저장할 수 없습니다.\n"
                    : "보관한 사본이 없어 모듈은 규칙 파일을 읽을 수 없다고 알리고 규칙 없이 "
                      "시작합니다.\n");
    } else if (!state.fileThere) {
        out << "폴더: 지금 연결됨. 규칙 파일이 없어 아직 적용할 규칙이 없습니다.\n";
    } else {
        out << "폴더: 지금 연결됨, 규칙 파일 있음\n";
    }
    if (location.configured()) {
        out << "마지막 사본: " << (state.copy ? CopyText(*state.copy) : std::string("없음"))
            << "\n";
    }
}

void ValueJson(JsonWriter& json, SettingRoot root, const SettingValue& value) {
    json.BeginObject().Key("name").String(Utf8(SettingFullName(root, kRuleFolderSetting)));
    json.Key("type").String(Utf8(RegistryTypeName(value.type))).Key("value");
    value.IsText() ? json.String(Utf8(value.text)) : json.Null();
    json.Key("expanded");
    value.IsText() ? json.String(Utf8(value.expanded)) : json.Null();
    json.EndObject();
}

void PrintJson(std::ostream& out, const Seat& seat, const SeatState& state) {
    const RuleLocation& location = seat.location;
    JsonWriter json;
    json.BeginObject().Key("folder");
    location.usable() ? json.String(Utf8(location.folder)) : json.Null();
    json.Key("file");
    location.usable() ? json.String(Utf8(location.file)) : json.Null();
    json.Key("source").String(SourceName(location.source)).Key("setting");
    if (location.configured()) {
        ValueJson(json, RootOf(location.source), location.value);
    } else {
        json.Null();
    }
    // The nearest value overridden; "overridden" lists them all.
    json.Key("ignored");
    if (!state.ignored.empty()) {
        ValueJson(json, state.ignored.front(), *seat.values.In(state.ignored.front()));
    } else {
        json.Null();
    }
    json.Key("overridden").BeginArray();
    for (const SettingRoot root : state.ignored) ValueJson(json, root, *seat.values.In(root));
    json.EndArray();
    json.Key("problem");
    if (location.usable()) {
        json.Null();
    } else {
        json.BeginObject().Key("code").String(FaultName(location.fault));
        json.Key("message").String(Utf8(RuleFolderFaultText(location))).EndObject();
    }
    json.Key("reachable");
    state.reachable ? json.Bool(*state.reachable) : json.Null();
    json.Key("rule_file_exists");
    state.reachable.value_or(false) ? json.Bool(state.fileThere) : json.Null();
    json.Key("rules_from")
        .String(state.rules == RulesFrom::RuleFile   ? "rule-file"
                : state.rules == RulesFrom::LastCopy ? "last-copy"
                                                     : "none");
    json.Key("last_copy");
    if (state.copy) {
        json.BeginObject().Key("path").String(Utf8(state.copy->path)).Key("origin");
        json.String(state.copy->origin == CopyOrigin::Saved ? "saved" : "read").Key("time");
        state.copy->modified ? json.String(UtcText(*state.copy->modified, true)) : json.Null();
        json.EndObject();
    } else {
        json.Null();
    }
    json.EndObject();
    out << json.Text() << "\n";
}

}  // namespace

// Exit 2 when the setting cannot be used, 1 when the folder it names cannot be reached or
// holds no rule file (the module's own folder without one is no fault: it has no rules yet).
int RunWhere(const CommandContext& context) {
    if (!context.seat) {
        return Fail(context, kExitUsage, "windows-only", "where는 Windows에서만 쓸 수 있습니다.");
    }
    const Seat& seat = *context.seat;
    const SeatState state = StateOf(context.files, seat);
    if (context.invocation.json) {
        PrintJson(context.out, seat, state);
    } else {
        PrintText(context.out, seat, state);
    }
    if (!seat.location.usable()) return kExitErrors;
    const bool fallsShort = seat.location.configured() && state.rules != RulesFrom::RuleFile;
    return fallsShort ? kExitWarnings : kExitClean;
}

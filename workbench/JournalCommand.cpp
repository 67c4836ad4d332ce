#include "workbench/JournalCommand.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <tuple>
#include <variant>
#include <vector>

#include "command/RewriteJournal.h"
#include "platform/TextEncoding.h"
#include "workbench/Arguments.h"
#include "workbench/Json.h"
#include "workbench/NamedFiles.h"
#include "workbench/TerminalText.h"
#include "workbench/Workbench.h"

namespace {

struct JournalOptions {
    std::vector<std::string> sources;
    std::optional<IsoTime> since;
    std::optional<int32_t> hole;
    bool details = false;
    bool json = false;
    bool csv = false;
};

struct Failure {
    int status;
    std::string code;
    std::string message;
};

bool TakesValue(std::string_view arg) {
    return arg == "--since" || arg == "--hole";
}

// Whether --json stands as an option, so that a usage error is JSON too.
bool JsonRequested(std::span<const std::string> args) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") return false;
        if (args[i] == "--json") return true;
        if (TakesValue(args[i])) ++i;
    }
    return false;
}

std::optional<std::string> ReadOption(std::string_view option, std::span<const std::string> args,
                                      size_t& next, JournalOptions& options) {
    if (option == "--details" || option == "--json" || option == "--csv") {
        (option == "--details" ? options.details
         : option == "--json"  ? options.json
                               : options.csv) = true;
        return std::nullopt;
    }
    if (!TakesValue(option)) return "알 수 없는 옵션입니다: " + std::string(option);
    if (next >= args.size()) return std::string(option) + " 뒤에 값이 있어야 합니다.";
    const std::string& value = args[next++];
    if (option == "--since") {
        options.since = ParseIsoTime(value);
        if (!options.since) {
            return "--since 값은 2024-05-01 또는 2024-05-01T14:00(+09:00) 꼴이어야 합니다: " +
                   value;
        }
        return std::nullopt;
    }
    int32_t hole = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), hole);
    if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
        return "--hole 값은 32비트 정수여야 합니다: " + value;
    }
    options.hole = hole;
    return std::nullopt;
}

// The options, or the usage message.
std::variant<JournalOptions, std::string> ParseJournalArguments(std::span<const std::string> args) {
    JournalOptions options;
    bool optionsEnded = false;
    for (size_t next = 0; next < args.size();) {
        const std::string& arg = args[next++];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (auto problem = ReadOption(arg, args, next, options)) return *problem;
        } else {
            options.sources.push_back(arg);
        }
    }
    if (options.json && options.csv) return std::string("--json과 --csv는 함께 쓸 수 없습니다.");
    return options;
}

// ---- Reading the journals ------------------------------------------------------------------

struct LoadedFile {
    std::string name;  // as the program was given it, or as the folder listing named it
    JournalFile journal;
};

// What a path ends in after its last separator; both separators, as Windows takes both.
// "hole, step, code가 정수가 아닙니다: x, 1, 101": why a line of a journal was left out.
std::string ProblemWords(const JournalProblem& problem) {
    std::string values;
    for (const std::string& value : problem.values) values += (values.empty() ? "" : ", ") + value;
    switch (problem.fault) {
        case JournalFault::NotAHeader:
            return "첫 줄이 기록 파일의 머리글이 아닙니다";
        case JournalFault::CutShort:
            return "줄 끝이 없어 끊긴 줄로 보고 읽지 않았습니다";
        case JournalFault::UnpairedQuote:
            return "따옴표가 맞지 않습니다";
        case JournalFault::ColumnCount:
            return "열이 " + values + "개입니다 (" + std::to_string(kJournalColumns) +
                   "개여야 합니다)";
        case JournalFault::Time:
            return "time이 시차가 붙은 ISO 8601 시각이 아닙니다: " + values;
        case JournalFault::Action:
            return "action은 rewrite 또는 undo여야 합니다: " + values;
        case JournalFault::HoleStepCode:
            return "hole, step, code가 정수가 아닙니다: " + values;
        case JournalFault::BeforeAfter:
            return "before, after가 숫자가 아닙니다: " + values;
        case JournalFault::Rules:
            return "rules가 규칙 번호 목록이 아닙니다: " + values;
    }
    return values;
}

std::string_view LastName(std::string_view name) {
    const size_t separator = name.find_last_of("/\\");
    return separator == std::string_view::npos ? name : name.substr(separator + 1);
}

bool IsCsvName(std::string_view name) {
    const std::string_view last = LastName(name);
    if (last.size() <= 4) return false;
    std::string extension(last.substr(last.size() - 4));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".csv";
}

bool IsFile(FileKind kind) {
    return kind == FileKind::File || kind == FileKind::ReadOnlyFile;
}

std::variant<std::vector<FilePath>, Failure> Listing(FilePort& files, const FilePath& folder) {
    std::vector<FilePath> entries;
    const FileStatus listed = files.ListFolder(folder, entries);
    if (!listed.ok()) {
        std::string cause = listed.code ? files.DescribeError(listed.code) + ", 오류 코드 " +
                                              std::to_string(listed.code)
                                        : "목록을 얻을 수 없습니다";
        return Failure{kExitFileFailed, "cannot-read",
                       "폴더를 읽을 수 없습니다: " + files.NameOf(folder) + " (" + cause + ")"};
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// A rule folder stands for its journal folder; a folder for the journal files (*.csv) in it.
std::variant<std::vector<FilePath>, Failure> JournalFilesIn(FilePort& files,
                                                            const FilePath& folder) {
    auto listed = Listing(files, folder);
    if (std::holds_alternative<Failure>(listed)) return listed;
    FilePath chosen = folder;
    for (const FilePath& entry : std::get<std::vector<FilePath>>(listed)) {
        if (LastName(files.NameOf(entry)) == "journal" && files.KindOf(entry) == FileKind::Folder) {
            chosen = entry;
            listed = Listing(files, entry);
            if (std::holds_alternative<Failure>(listed)) return listed;
            break;
        }
    }
    std::vector<FilePath> journals;
    for (FilePath& entry : std::get<std::vector<FilePath>>(listed)) {
        if (IsCsvName(files.NameOf(entry)) && IsFile(files.KindOf(entry))) {
            journals.push_back(std::move(entry));
        }
    }
    if (journals.empty()) {
        return Failure{kExitFileFailed, "no-journal",
                       "폴더에 기록 파일(*.csv)이 없습니다: " + files.NameOf(chosen)};
    }
    return journals;
}

// Every file the sources name, a folder by the journal files it holds.
std::variant<std::vector<FilePath>, Failure> JournalPaths(FilePort& files,
                                                          const JournalOptions& options,
                                                          const RuleLocation* seat) {
    std::vector<FilePath> sources;
    for (const std::string& source : options.sources) sources.push_back(files.PathFromName(source));
    if (sources.empty() && seat && seat->configured()) sources.push_back(seat->folder);
    std::vector<FilePath> paths;
    for (const FilePath& source : sources) {
        if (files.KindOf(source) != FileKind::Folder) {
            paths.push_back(source);
            continue;
        }
        auto listed = JournalFilesIn(files, source);
        if (auto* failure = std::get_if<Failure>(&listed)) return *failure;
        for (FilePath& file : std::get<std::vector<FilePath>>(listed)) {
            paths.push_back(std::move(file));
        }
    }
    return paths;
}

std::variant<std::vector<LoadedFile>, Failure> LoadJournals(FilePort& files,
                                                            const JournalOptions& options,
                                                            const RuleLocation* seat) {
    auto paths = JournalPaths(files, options, seat);
    if (auto* failure = std::get_if<Failure>(&paths)) return *failure;
    std::vector<LoadedFile> loaded;
    for (const FilePath& path : std::get<std::vector<FilePath>>(paths)) {
        const std::string name = files.NameOf(path);
        std::string error;
        // A journal may grow while it is read; what is appended meanwhile is read next time,
        // and a row caught half written is a last line cut short, left out.
        const std::optional<std::string> bytes = ReadNamedFile(files, name, error);
        if (!bytes) return Failure{kExitFileFailed, "cannot-read", error};
        LoadedFile& file = loaded.emplace_back(LoadedFile{name, ReadJournal(*bytes)});
        if (!file.journal.isJournal) {
            return Failure{kExitErrors, "not-a-journal",
                           file.name + "은(는) 기록 파일이 아닙니다: 첫 줄이 " +
                               std::string(kJournalHeader) + "이어야 합니다."};
        }
    }
    return loaded;
}

// ---- Acts in time order --------------------------------------------------------------------

struct Entry {
    const LoadedFile* file;
    const JournalRow* row;
    const JournalAct& act() const { return file->journal.acts[row->act]; }
};

struct ActLine {
    const LoadedFile* file;
    const JournalAct* act;
    std::vector<Entry> rows;
    int32_t holes = 0;
    std::map<int32_t, int32_t> stepsPerRule;
};

bool Selected(const Entry& entry, const JournalOptions& options) {
    if (options.hole && entry.row->hole != *options.hole) return false;
    if (!options.since) return true;
    const Timestamp& time = entry.act().time;
    if (options.since->offsetMinutes) {
        return time.utcMilliseconds >=
               TimestampOfLocal(options.since->local, *options.since->offsetMinutes)
                   .utcMilliseconds;
    }
    // A time without offset is the wall-clock time of each seat.
    return time.utcMilliseconds + int64_t{time.offsetMinutes} * 60'000 >=
           MillisecondsSinceEpoch(options.since->local);
}

// The acts of every file, oldest first. An act found in several files (a seat's own journal
// and its file in the rule folder) is listed once.
std::vector<ActLine> ActsInTimeOrder(const std::vector<LoadedFile>& files,
                                     const JournalOptions& options) {
    std::vector<Entry> entries;
    for (const LoadedFile& file : files) {
        for (const JournalRow& row : file.journal.rows) {
            const Entry entry{&file, &row};
            if (Selected(entry, options)) entries.push_back(entry);
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.act().time.utcMilliseconds < b.act().time.utcMilliseconds;
    });
    using ActKey = std::tuple<int64_t, std::string, std::string, JournalAction, std::string>;
    std::map<ActKey, const LoadedFile*> firstFile;
    std::vector<ActLine> acts;
    bool skipping = false;
    for (const Entry& entry : entries) {
        const bool sameAct =
            !acts.empty() && acts.back().file == entry.file && acts.back().act == &entry.act();
        if (!sameAct) {
            const JournalAct& act = entry.act();
            const ActKey key{act.time.utcMilliseconds, act.user, act.computer, act.action,
                             act.rewriteId};
            const auto [known, added] = firstFile.emplace(key, entry.file);
            skipping = !added && known->second != entry.file;
            if (!skipping) acts.push_back(ActLine{entry.file, &act, {}, 0, {}});
        }
        if (!skipping && !acts.empty()) acts.back().rows.push_back(entry);
    }
    for (ActLine& line : acts) {
        std::vector<int32_t> holes;
        for (const Entry& entry : line.rows) {
            holes.push_back(entry.row->hole);
            for (const int32_t rule : entry.row->rules) ++line.stepsPerRule[rule];
        }
        std::sort(holes.begin(), holes.end());
        line.holes = static_cast<int32_t>(std::unique(holes.begin(), holes.end()) - holes.begin());
    }
    return acts;
}

// ---- Reports ------------------------------------------------------------------------------

std::string OffsetText(int32_t offsetMinutes) {
    const int32_t magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[16];
    std::snprintf(text, sizeof text, "%c%02d:%02d", offsetMinutes < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return text;
}

const char* ActionWord(JournalAction action) {
    return action == JournalAction::Undo ? "되돌리기" : "수정";
}

std::string RuleStepsText(const ActLine& line, const char* rulePrefix, const char* stepsPrefix,
                          const char* stepsSuffix) {
    std::string text;
    for (const auto& [rule, steps] : line.stepsPerRule) {
        if (!text.empty()) text += ", ";
        text += rulePrefix + std::to_string(rule) + ": " + stepsPrefix + std::to_string(steps) +
                stepsSuffix;
    }
    return text;
}

void PrintText(std::ostream& out, const std::vector<ActLine>& acts, bool details) {
    for (const ActLine& line : acts) {
        const JournalAct& act = *line.act;
        out << LocalTimeText(act.time) << OffsetText(act.time.offsetMinutes) << "  " << act.user
            << "  " << act.computer << "  " << ActionWord(act.action) << "  구멍 " << line.holes
            << "개, 단계 " << line.rows.size() << "개";
        const std::string rules = RuleStepsText(line, "규칙 ", "단계 ", "개");
        if (!rules.empty()) out << "  " << rules;
        out << "\n";
        if (!details) continue;
        for (const Entry& entry : line.rows) {
            const JournalRow& row = *entry.row;
            out << "    구멍 " << row.hole << " 단계 " << row.step << " 코드 " << row.code << ": "
                << ShortestDecimal(row.before) << " → " << ShortestDecimal(row.after);
            if (!row.rules.empty()) out << " (규칙 " << RuleListText(row.rules) << ")";
            out << "\n";
        }
    }
    if (acts.empty()) out << "기록이 없습니다.\n";
}

std::vector<std::string> ActFields(const JournalAct& act) {
    return {IsoTimestamp(act.time), act.user,
            act.computer,           std::string(JournalActionName(act.action)),
            act.rewriteId,          act.ruleFile,
            act.ruleFileSha256};
}

void PrintCsv(std::ostream& out, const std::vector<ActLine>& acts, bool details) {
    if (details) {
        out << kJournalHeader << "\r\n";
    } else {
        out << "time,user,computer,action,rewrite,rule_file,rule_file_sha256,holes,steps,"
               "rule_steps\r\n";
    }
    for (const ActLine& line : acts) {
        std::vector<std::string> fields = ActFields(*line.act);
        if (!details) {
            fields.push_back(std::to_string(line.holes));
            fields.push_back(std::to_string(line.rows.size()));
            fields.push_back(RuleStepsText(line, "", "", ""));
            out << JournalCsvRecord(fields);
            continue;
        }
        for (const Entry& entry : line.rows) {
            const JournalRow& row = *entry.row;
            std::vector<std::string> rowFields = fields;
            for (std::string field : {std::to_string(row.hole), std::to_string(row.step),
                                      std::to_string(row.code), ShortestDecimal(row.before),
                                      ShortestDecimal(row.after), RuleListText(row.rules)}) {
                rowFields.push_back(std::move(field));
            }
            out << JournalCsvRecord(rowFields);
        }
    }
}

void ActJson(JsonWriter& json, const ActLine& line, bool details) {
    const JournalAct& act = *line.act;
    json.BeginObject().Key("time").String(IsoTimestamp(act.time));
    json.Key("user").String(act.user).Key("computer").String(act.computer);
    json.Key("action").String(JournalActionName(act.action)).Key("rewrite").String(act.rewriteId);
    json.Key("rule_file").String(act.ruleFile).Key("rule_file_sha256").String(act.ruleFileSha256);
    json.Key("holes")
        .Integer(line.holes)
        .Key("steps")
        .Integer(static_cast<int64_t>(line.rows.size()));
    json.Key("rules").BeginArray();
    for (const auto& [rule, steps] : line.stepsPerRule) {
        json.BeginObject().Key("rule").Integer(rule).Key("steps").Integer(steps).EndObject();
    }
    json.EndArray();
    if (details) {
        json.Key("rows").BeginArray();
        for (const Entry& entry : line.rows) {
            const JournalRow& row = *entry.row;
            json.BeginObject().Key("file").String(entry.file->name).Key("line").Integer(row.line);
            json.Key("hole").Integer(row.hole).Key("step").Integer(row.step);
            json.Key("code").Integer(row.code).Key("before").Number(row.before);
            json.Key("after").Number(row.after).Key("rules").BeginArray();
            for (const int32_t rule : row.rules) json.Integer(rule);
            json.EndArray().EndObject();
        }
        json.EndArray();
    }
    json.EndObject();
}

void PrintJson(std::ostream& out, const std::vector<ActLine>& acts,
               const std::vector<LoadedFile>& files, bool details) {
    JsonWriter json;
    json.BeginObject().Key("acts").BeginArray();
    for (const ActLine& line : acts) ActJson(json, line, details);
    json.EndArray().Key("problems").BeginArray();
    for (const LoadedFile& file : files) {
        for (const JournalProblem& problem : file.journal.problems) {
            json.BeginObject().Key("file").String(file.name).Key("line").Integer(problem.line);
            json.Key("message").String(ProblemWords(problem)).EndObject();
        }
    }
    json.EndArray().EndObject();
    out << json.Text() << "\n";
}

int Report(std::ostream& out, std::ostream& err, bool json, const Failure& failure) {
    if (!json) {
        err << TerminalText("quillet-rules: " + failure.message + "\n");
        if (failure.status == kExitUsage) err << UsageText();
        return failure.status;
    }
    JsonWriter writer;
    writer.BeginObject().Key("error").BeginObject().Key("code").String(failure.code);
    writer.Key("message").String(failure.message).EndObject().EndObject();
    out << writer.Text() << "\n";
    return failure.status;
}

}  // namespace

int RunJournalCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                      FilePort& files, bool outIsTerminal, const RuleLocation* seat) {
    const bool jsonRequested = JsonRequested(args);
    auto parsed = ParseJournalArguments(args);
    if (auto* usage = std::get_if<std::string>(&parsed)) {
        return Report(out, err, jsonRequested, {kExitUsage, "usage", *usage});
    }
    const JournalOptions& options = std::get<JournalOptions>(parsed);
    if (options.sources.empty() && !(seat && seat->configured())) {
        return Report(out, err, options.json,
                      {kExitUsage, "usage",
                       "journal에는 기록 파일이나 규칙 폴더를 주어야 합니다 (이 컴퓨터의 기록: "
                       "%LOCALAPPDATA%\\Quillet\\journal.csv)."});
    }
    auto loaded = LoadJournals(files, options, seat);
    if (auto* failure = std::get_if<Failure>(&loaded))
        return Report(out, err, options.json, *failure);
    const std::vector<LoadedFile>& journals = std::get<std::vector<LoadedFile>>(loaded);
    const std::vector<ActLine> acts = ActsInTimeOrder(journals, options);
    std::ostringstream report;
    bool problems = false;
    for (const LoadedFile& file : journals) {
        for (const JournalProblem& problem : file.journal.problems) {
            problems = true;
            if (options.json) continue;
            err << TerminalText(file.name + ":" + std::to_string(problem.line) + ": " +
                                ProblemWords(problem) + " (이 줄은 읽지 않았습니다)\n");
        }
    }
    if (options.json) {
        PrintJson(out, acts, journals, options.details);
    } else if (options.csv) {
        PrintCsv(report, acts, options.details);
        out << (outIsTerminal ? TerminalText(report.str()) : report.str());
    } else {
        PrintText(report, acts, options.details);
        out << TerminalText(report.str());
    }
    return problems ? kExitWarnings : kExitClean;
}

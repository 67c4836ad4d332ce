#include "workbench/JournalCommand.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <variant>
#include <vector>

#include "journal/JournalReader.h"
#include "journal/RuleTables.h"
#include "platform/LegacyCodePage.h"
#include "platform/TextEncoding.h"
#include "rules/RuleFileFormat.h"
#include "workbench/Arguments.h"
#include "workbench/Json.h"
#include "workbench/TerminalText.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

namespace {

// The most findings listed one by one; the rest are counted.
constexpr size_t kMostProblemsListed = 1000;

// The selection and form the command line asks for.
using JournalOptions = Invocation;

struct Failure {
    int status;
    std::string code;
    std::string message;
};

// ---- Which files ---------------------------------------------------------------------------

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

// Every file the sources name, a folder by the journal files it holds; each file once.
std::variant<std::vector<FilePath>, Failure> JournalPaths(FilePort& files,
                                                          const JournalOptions& options,
                                                          const RuleLocation* seat) {
    std::vector<FilePath> sources;
    for (const std::string& source : options.operands)
        sources.push_back(files.PathFromName(source));
    if (sources.empty() && seat && seat->configured()) sources.push_back(seat->folder);
    std::vector<FilePath> paths;
    std::vector<FileIdentity> seen;
    const auto add = [&](FilePath path) {
        const std::optional<FileInfo> info = files.InfoOf(path);
        if (info && std::ranges::find(seen, info->identity) != seen.end()) return;
        if (info) seen.push_back(info->identity);
        paths.push_back(std::move(path));
    };
    for (const FilePath& source : sources) {
        if (files.KindOf(source) != FileKind::Folder) {
            add(source);
            continue;
        }
        auto listed = JournalFilesIn(files, source);
        if (auto* failure = std::get_if<Failure>(&listed)) return *failure;
        for (FilePath& file : std::get<std::vector<FilePath>>(listed)) add(std::move(file));
    }
    return paths;
}

// ---- One seat's files as one stream --------------------------------------------------------

struct ReadProblem {
    std::string file;
    int64_t line = 0;  // 0: about the whole file
    std::string message;
};

// The first kMostProblemsListed findings, and how many there were.
struct Findings {
    std::vector<ReadProblem> listed;
    size_t count = 0;

    void Add(ReadProblem finding) {
        if (count++ < kMostProblemsListed) listed.push_back(std::move(finding));
    }
};

// "hole, step, code가 정수가 아닙니다: x, 1, 101": why a line of a journal was left out.
std::string ProblemWords(const JournalProblem& problem) {
    std::string values;
    for (const std::string& value : problem.values) values += (values.empty() ? "" : ", ") + value;
    switch (problem.fault) {
        case JournalFault::NotAHeader:
            return "첫 줄이 기록 파일의 머리글이 아니어서 이 파일은 읽지 않았습니다";
        case JournalFault::CutShort:
            return "줄 끝이 없어 끊긴 줄로 보고 읽지 않았습니다";
        case JournalFault::TooLong:
            return "줄이 너무 깁니다 (" + std::to_string(kMostJournalLine / 1024) +
                   " KiB 넘음): 기록의 줄이 아닙니다";
        case JournalFault::UnpairedQuote:
            return "따옴표가 맞지 않습니다";
        case JournalFault::ColumnCount:
            return "열이 " + values + "개입니다";
        case JournalFault::Time:
            return "time이 시차가 붙은 ISO 8601 시각이 아닙니다: " + values;
        case JournalFault::Action:
            return "action은 rewrite, undo, rules-saved 중 하나여야 합니다: " + values;
        case JournalFault::HoleStepCode:
            return "hole, step, code가 정수가 아닙니다: " + values;
        case JournalFault::BeforeAfter:
            return "before, after가 숫자가 아닙니다: " + values;
        case JournalFault::Rules:
            return "rules가 규칙 번호 목록이 아닙니다: " + values;
        case JournalFault::About:
            return "about이 기록의 시작, 끝, 규칙 행의 것이 아닙니다: " + values;
        case JournalFault::CutAct:
            return problem.values.size() == 3
                       ? "기록 " + problem.values[0] + "이(가) 끊겼습니다: 행 " +
                             problem.values[2] + "개 중 " + problem.values[1] + "개만 있습니다"
                       : "기록이 끊겼습니다";
    }
    return values;
}

class SeatStream {
public:
    SeatStream(FilePort& files, std::vector<FilePath> paths, Findings& findings)
        : files_(files), paths_(std::move(paths)), findings_(findings) {}

    // Opens files until one has an act; false when none is left.
    bool Advance() {
        for (;;) {
            if (reader_ && reader_->NextAct(head_)) return true;
            Collect();
            reader_.reset();
            if (next_ >= paths_.size()) return false;
            Open(paths_[next_++]);
        }
    }
    const JournalActHead& head() const { return head_; }
    JournalReader& reader() { return *reader_; }
    const FilePath& path() const { return paths_[next_ - 1]; }
    // Findings of the file being read, with its name.
    void Collect() {
        if (!reader_) return;
        for (JournalProblem& problem : reader_->TakeProblems()) {
            const bool line =
                problem.fault != JournalFault::NotAHeader && problem.fault != JournalFault::CutAct;
            findings_.Add({name_, problem.line,
                           ProblemWords(problem) + (line ? " (이 줄은 읽지 않았습니다)" : "")});
        }
    }

private:
    void Open(const FilePath& path) {
        name_ = files_.NameOf(path);
        std::unique_ptr<ReadStream> stream;
        const FileStatus opened = files_.OpenToRead(path, ReadSharing::WithWriters, stream);
        if (!opened.ok()) {
            std::string cause = opened.code ? files_.DescribeError(opened.code) + ", 오류 코드 " +
                                                  std::to_string(opened.code)
                                            : "파일이 아닙니다";
            findings_.Add({name_, 0, "읽을 수 없어 건너뛰었습니다 (" + cause + ")"});
            return;
        }
        reader_ = std::make_unique<JournalReader>(std::move(stream));
        if (!reader_->Open()) {
            Collect();
            reader_.reset();
        }
    }

    FilePort& files_;
    std::vector<FilePath> paths_;
    size_t next_ = 0;
    Findings& findings_;
    std::unique_ptr<JournalReader> reader_;
    JournalActHead head_;
    std::string name_;
};

// The files grouped by seat (folder and stem), each group in the order its files were
// written: those rolled over by the time in their names, then the current one.
std::vector<std::vector<FilePath>> SeatGroups(FilePort& files, const std::vector<FilePath>& paths) {
    std::map<std::string, std::vector<std::pair<std::string, FilePath>>> groups;
    for (const FilePath& path : paths) {
        const std::string name = files.NameOf(path);
        const std::string_view last = LastName(name);
        const std::string folder = name.substr(0, name.size() - last.size());
        const std::string stem = JournalStemOf(last);
        // A rolled file by its time, then by the number after it ("-2" after none, "-10" after
        // "-9"); the current file after the rolled ones: '~' after the digits.
        std::string order = "~";
        if (last.size() > stem.size() + 4) {
            const std::string_view tail =
                last.substr(stem.size() + 1, last.size() - stem.size() - 5);
            const std::string_view number = tail.size() > 16 ? tail.substr(16) : "1";
            order = std::string(tail.substr(0, 15)) +
                    std::string(20 - std::min<size_t>(20, number.size()), '0') +
                    std::string(number);
        }
        groups[folder + stem].emplace_back(order, path);
    }
    std::vector<std::vector<FilePath>> seats;
    for (auto& [key, members] : groups) {
        std::ranges::sort(members);
        std::vector<FilePath>& seat = seats.emplace_back();
        for (auto& member : members) seat.push_back(std::move(member.second));
    }
    return seats;
}

// ---- Filters -------------------------------------------------------------------------------

int64_t LocalMilliseconds(const Timestamp& time) {
    return time.utcMilliseconds + int64_t{time.offsetMinutes} * 60'000;
}

// A bound with an offset is an instant; without, the wall-clock time of each seat. --until a
// date alone takes in that whole day.
bool AtOrAfter(const Timestamp& time, const IsoTime& bound) {
    if (bound.offsetMinutes) {
        return time.utcMilliseconds >=
               TimestampOfLocal(bound.local, *bound.offsetMinutes).utcMilliseconds;
    }
    return LocalMilliseconds(time) >= MillisecondsSinceEpoch(bound.local);
}

bool Before(const Timestamp& time, const IsoTime& bound) {
    const int64_t past = bound.hasClock ? 1 : 86'400'000;
    if (bound.offsetMinutes) {
        return time.utcMilliseconds <
               TimestampOfLocal(bound.local, *bound.offsetMinutes).utcMilliseconds + past;
    }
    return LocalMilliseconds(time) < MillisecondsSinceEpoch(bound.local) + past;
}

bool SameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

bool ActSelected(const JournalAct& act, const JournalOptions& options) {
    if (options.since && !AtOrAfter(act.time, *options.since)) return false;
    if (options.until && !Before(act.time, *options.until)) return false;
    if (options.computer && !SameName(act.computer, *options.computer)) return false;
    if (options.user && !SameName(act.user, *options.user)) return false;
    return !options.action || act.action == *options.action;
}

bool RowSelected(const JournalRow& row, const JournalAct& act, const JournalOptions& options) {
    if (act.action == JournalAction::RulesSaved) {
        // A save's rows are rules: --rule picks the rule, by its number before or after.
        if (options.hole || options.code) return false;
        return !options.rule || row.rules.front() == *options.rule ||
               row.oldNumber == *options.rule;
    }
    if (options.hole && row.hole != *options.hole) return false;
    if (options.code && row.code != *options.code) return false;
    return !options.rule || std::ranges::find(row.rules, *options.rule) != row.rules.end();
}

// ---- Acts ----------------------------------------------------------------------------------

struct ActView {
    const JournalActHead* head = nullptr;
    std::string file;
    JournalActSummary summary;  // of the rows listed
    std::vector<JournalRow> rows;
    std::vector<int64_t> lines;
    bool cut = false;
    uint64_t rowsInFile = 0;
};

std::string OffsetText(int32_t offsetMinutes) {
    const int32_t magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[16];
    std::snprintf(text, sizeof text, "%c%02d:%02d", offsetMinutes < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return text;
}

const char* ActionWord(JournalAction action) {
    switch (action) {
        case JournalAction::Undo:
            return "되돌리기";
        case JournalAction::RulesSaved:
            return "규칙 저장";
        case JournalAction::Rewrite:
            break;
    }
    return "수정";
}

const char* EditWord(RuleEdit edit) {
    return edit == RuleEdit::Added ? "추가" : edit == RuleEdit::Removed ? "삭제" : "변경";
}

std::string RuleStepsText(const JournalActSummary& summary, const char* rulePrefix,
                          const char* stepsPrefix, const char* stepsSuffix) {
    std::string text;
    for (const auto& [rule, steps] : summary.stepsPerRule) {
        if (!text.empty()) text += ", ";
        text += rulePrefix + std::to_string(rule) + ": " + stepsPrefix + std::to_string(steps) +
                stepsSuffix;
    }
    return text;
}

// The rule tables named by acts, read once from beside their journal.
class Tables {
public:
    explicit Tables(FilePort& files) : files_(files) {}
    const RuleTable* Find(const FilePath& journal, const std::string& sha256) {
        if (sha256.empty()) return nullptr;
        const auto known = tables_.find(sha256);
        if (known != tables_.end()) return known->second ? &*known->second : nullptr;
        std::optional<RuleTable>& table = tables_[sha256];
        if (const std::optional<std::string> bytes = KeptRuleTable(files_, journal, sha256)) {
            table.emplace();
            const auto* data = reinterpret_cast<const unsigned char*>(bytes->data());
            DecodeRuleFile({data, bytes->size()}, *table, SystemCodePageDecoder());
        }
        return table ? &*table : nullptr;
    }

private:
    FilePort& files_;
    std::map<std::string, std::optional<RuleTable>> tables_;
};

std::string Utf8(const std::u16string& text) {
    return Utf8FromUtf16(text, SurrogateForm::Replaced);
}

std::string RuleWords(const HoleRule& rule) {
    return std::string(rule.enabled ? "켬" : "끔") + " 코드 " + Utf8(rule.CodeFrom) + "~" +
           Utf8(rule.CodeTo) + ", 지름 " + Utf8(rule.DiameterFrom) + "~" + Utf8(rule.DiameterTo) +
           " → " + Utf8(rule.DiameterModify);
}

// ---- Printing ------------------------------------------------------------------------------

class Printer {
public:
    Printer(std::ostream& out, const JournalOptions& options, bool outIsTerminal, Tables& tables)
        : out_(out), options_(options), terminal_(outIsTerminal), tables_(tables) {}

    void Start() {
        if (options_.json) {
            out_ << "{\"acts\": [";
        } else if (options_.csv && options_.details) {
            Put(std::string(kJournalHeader) + ",cut\r\n");
        } else if (options_.csv) {
            Put("time,user,computer,act,action,holes,steps,rule_steps,rule_file,table,cut\r\n");
        }
    }
    // The act's line; then its rows one by one (Row) under --details.
    void Act(const ActView& act, const FilePath& journal) {
        ++acts_;
        if (options_.json) return ActJson(act, journal);
        if (options_.csv) return ActCsv(act);
        ActText(act, journal);
    }
    void Finish(const Findings& findings) {
        if (options_.json) {
            out_ << "], \"problems\": [";
            for (size_t i = 0; i < findings.listed.size(); ++i) {
                JsonWriter json;
                json.BeginObject().Key("file").String(findings.listed[i].file);
                json.Key("line").Integer(findings.listed[i].line);
                json.Key("message").String(findings.listed[i].message).EndObject();
                out_ << (i ? ", " : "") << json.Text();
            }
            out_ << "], \"problem_count\": " << findings.count << "}\n";
        } else if (!options_.csv && acts_ == 0) {
            Put("기록이 없습니다.\n");
        }
    }

private:
    void Put(const std::string& text) {
        out_ << (options_.csv && !terminal_ ? text : TerminalText(text));
    }

    std::vector<std::string> ActFields(const JournalAct& act) const {
        return {IsoTimestampToSecond(act.time), act.user, act.computer, act.actId,
                std::string(JournalActionName(act.action))};
    }

    void ActCsv(const ActView& view) {
        const JournalAct& act = view.head->act;
        std::vector<std::string> fields = ActFields(act);
        if (!options_.details) {
            fields.push_back(std::to_string(view.summary.holes));
            fields.push_back(std::to_string(view.summary.rows));
            fields.push_back(RuleStepsText(view.summary, "", "", ""));
            fields.push_back(act.ruleFile);
            fields.push_back(act.ruleFileSha256);
            fields.push_back(view.cut ? "cut" : "");
            Put(JournalCsvRecord(fields));
            return;
        }
        for (const JournalRow& row : view.rows) {
            std::vector<std::string> rowFields = fields;
            if (act.action == JournalAction::RulesSaved) {
                rowFields.insert(rowFields.end(),
                                 {"", "", "", row.oldRule, row.newRule,
                                  std::to_string(row.rules.front()), EditWord(row.edit)});
            } else {
                rowFields.insert(rowFields.end(),
                                 {std::to_string(row.hole), std::to_string(row.step),
                                  std::to_string(row.code), JournalDecimal(row.before),
                                  JournalDecimal(row.after), RuleNumbersText(row.rules), ""});
            }
            rowFields.push_back(view.cut ? "cut" : "");
            Put(JournalCsvRecord(rowFields));
        }
    }

    void ActText(const ActView& view, const FilePath& journal) {
        const JournalAct& act = view.head->act;
        std::string line = LocalTimeText(act.time) + OffsetText(act.time.offsetMinutes) + "  " +
                           act.user + "  " + act.computer + "  " + ActionWord(act.action) + "  ";
        if (act.action == JournalAction::RulesSaved) {
            std::map<RuleEdit, int> edits;
            for (const JournalRow& row : view.rows) ++edits[row.edit];
            line += "규칙 " + std::to_string(view.summary.rows) + "개 바뀜";
            for (const RuleEdit edit : {RuleEdit::Added, RuleEdit::Removed, RuleEdit::Changed}) {
                if (edits[edit])
                    line += std::string(", ") + EditWord(edit) + " " + std::to_string(edits[edit]);
            }
            if (!act.ruleFile.empty()) line += "  " + act.ruleFile;
        } else {
            line += "구멍 " + std::to_string(view.summary.holes) + "개, 단계 " +
                    std::to_string(view.summary.rows) + "개";
            const std::string rules = RuleStepsText(view.summary, "규칙 ", "단계 ", "개");
            if (!rules.empty()) line += "  " + rules;
        }
        if (view.cut) {
            line += "  [끊김: 행 " + std::to_string(view.rowsInFile) + "개만 남음, " +
                    std::to_string(view.head->summary.rows) + "개 중]";
        }
        Put(line + "\n");
        if (!options_.details) return;
        if (act.action == JournalAction::RulesSaved) {
            for (const JournalRow& row : view.rows) {
                std::string text = "    규칙 " + std::to_string(row.rules.front()) + " " +
                                   EditWord(row.edit) + ": ";
                if (row.edit == RuleEdit::Changed && row.oldNumber != row.rules.front()) {
                    text += "(이전 규칙 " + std::to_string(row.oldNumber) + ") ";
                }
                text += row.edit == RuleEdit::Added     ? row.newRule
                        : row.edit == RuleEdit::Removed ? row.oldRule
                                                        : row.oldRule + " → " + row.newRule;
                Put(text + "\n");
            }
            return;
        }
        if (const RuleTable* table = tables_.Find(journal, act.ruleFileSha256)) {
            for (const auto& [rule, steps] : view.summary.stepsPerRule) {
                if (rule >= 1 && rule <= table->count()) {
                    Put("    규칙 " + std::to_string(rule) + ": " + RuleWords(table->rule(rule)) +
                        "\n");
                }
            }
        } else if (view.head->summaryKnown && !act.ruleFileSha256.empty()) {
            Put("    규칙 표 " + act.ruleFileSha256.substr(0, 12) + "…는 tables 폴더에 없습니다\n");
        }
        for (const JournalRow& row : view.rows) {
            std::string text = "    구멍 " + std::to_string(row.hole) + " 단계 " +
                               std::to_string(row.step) + " 코드 " + std::to_string(row.code) +
                               ": " + JournalDecimal(row.before) + " → " +
                               JournalDecimal(row.after);
            if (!row.rules.empty()) text += " (규칙 " + RuleNumbersText(row.rules) + ")";
            Put(text + "\n");
        }
    }

    void ActJson(const ActView& view, const FilePath& journal) {
        const JournalAct& act = view.head->act;
        JsonWriter json;
        json.BeginObject().Key("time").String(IsoTimestampToSecond(act.time));
        json.Key("user").String(act.user).Key("computer").String(act.computer);
        json.Key("act").String(act.actId);
        json.Key("action")
            .String(JournalActionName(act.action))
            .Key("rewrite")
            .String(act.rewriteId);
        json.Key("rule_file")
            .String(act.ruleFile)
            .Key("rule_file_sha256")
            .String(act.ruleFileSha256);
        if (act.action == JournalAction::RulesSaved) {
            json.Key("previous_sha256").String(act.previousSha256);
        }
        json.Key("cut").Bool(view.cut);
        json.Key("holes").Integer(static_cast<int64_t>(view.summary.holes));
        json.Key("steps").Integer(static_cast<int64_t>(view.summary.rows));
        json.Key("rules").BeginArray();
        const RuleTable* table =
            options_.details ? tables_.Find(journal, act.ruleFileSha256) : nullptr;
        for (const auto& [rule, steps] : view.summary.stepsPerRule) {
            json.BeginObject().Key("rule").Integer(rule).Key("steps").Integer(
                static_cast<int64_t>(steps));
            if (table && rule >= 1 && rule <= table->count()) {
                const HoleRule& r = table->rule(rule);
                json.Key("enabled").Bool(r.enabled != 0).Key("code_from").String(r.CodeFrom);
                json.Key("code_to").String(r.CodeTo).Key("diameter_from").String(r.DiameterFrom);
                json.Key("diameter_to")
                    .String(r.DiameterTo)
                    .Key("new_diameter")
                    .String(r.DiameterModify);
            }
            json.EndObject();
        }
        json.EndArray();
        if (options_.details) {
            json.Key("rows").BeginArray();
            for (size_t i = 0; i < view.rows.size(); ++i) {
                const JournalRow& row = view.rows[i];
                json.BeginObject().Key("file").String(view.file).Key("line").Integer(view.lines[i]);
                if (act.action == JournalAction::RulesSaved) {
                    json.Key("edit").String(row.edit == RuleEdit::Added     ? "added"
                                            : row.edit == RuleEdit::Removed ? "removed"
                                                                            : "changed");
                    json.Key("rule")
                        .Integer(row.rules.front())
                        .Key("old_rule_number")
                        .Integer(row.oldNumber);
                    json.Key("old").String(row.oldRule).Key("new").String(row.newRule);
                } else {
                    json.Key("hole").Integer(row.hole).Key("step").Integer(row.step);
                    json.Key("code").Integer(row.code).Key("before").Number(row.before);
                    json.Key("after").Number(row.after).Key("rules").BeginArray();
                    for (const int32_t rule : row.rules) json.Integer(rule);
                    json.EndArray();
                }
                json.EndObject();
            }
            json.EndArray();
        }
        json.EndObject();
        out_ << (acts_ > 1 ? ", " : "") << json.Text();
    }

    std::ostream& out_;
    const JournalOptions& options_;
    bool terminal_;
    Tables& tables_;
    size_t acts_ = 0;
};

// The key that makes an act found in two files (a seat's own journal and its file in the rule
// folder) one.
std::string ActKey(const JournalActHead& head) {
    const JournalAct& act = head.act;
    if (!act.actId.empty()) {
        return act.computer + '\n' + act.actId + '\n' + std::to_string(head.summary.part);
    }
    return std::to_string(act.time.utcMilliseconds) + '\n' + act.user + '\n' + act.computer + '\n' +
           std::string(JournalActionName(act.action)) + '\n' + act.rewriteId;
}

// Reads the current act of the stream and prints it when it is selected.
void TakeAct(SeatStream& seat, FilePort& files, const JournalOptions& options,
             std::set<std::string>& listed, Printer& printer) {
    const JournalActHead& head = seat.head();
    JournalReader& reader = seat.reader();
    ActView view;
    view.head = &head;
    view.file = files.NameOf(seat.path());
    const bool selected = ActSelected(head.act, options);
    // Rows are kept only when the listing shows them; what the line says of them is counted as
    // they pass, the holes by their runs (an act lists each hole's steps together).
    const bool keepRows =
        selected && (options.details || head.act.action == JournalAction::RulesSaved);
    std::map<int32_t, uint64_t> perRule;
    std::optional<int32_t> lastHole;
    JournalRow row;
    int64_t line = 0;
    while (reader.NextRow(row, line)) {
        ++view.rowsInFile;
        if (!selected || !RowSelected(row, head.act, options)) continue;
        ++view.summary.rows;
        if (head.act.action != JournalAction::RulesSaved) {
            if (row.hole != lastHole) ++view.summary.holes;
            lastHole = row.hole;
            for (const int32_t rule : row.rules) ++perRule[rule];
        }
        if (!keepRows) continue;
        view.rows.push_back(std::move(row));
        view.lines.push_back(line);
    }
    view.summary.stepsPerRule.assign(perRule.begin(), perRule.end());
    view.cut = reader.ActCut();
    // An act of no rows at all (an undo that restored no hole) is listed unless rows are asked
    // for: --rule, --hole and --code pick acts by their rows.
    const bool rowless = !view.cut && head.summaryKnown && head.summary.rows == 0 &&
                         !options.rule && !options.hole && !options.code;
    if (!selected || (view.summary.rows == 0 && !rowless)) return;
    if (!view.cut && !listed.insert(ActKey(head)).second) return;
    printer.Act(view, seat.path());
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

std::string JournalStemOf(std::string_view fileName) {
    std::string_view stem = LastName(fileName);
    if (stem.size() > 4 && IsCsvName(stem)) stem.remove_suffix(4);
    // "-yyyymmdd-hhmmss", and "-n" after it when that name was taken.
    const auto rolledTail = [](std::string_view tail) {
        if (tail.size() != 16 || tail[0] != '-' || tail[9] != '-') return false;
        for (size_t i = 1; i < tail.size(); ++i) {
            if (i != 9 && !std::isdigit(static_cast<unsigned char>(tail[i]))) return false;
        }
        return true;
    };
    if (stem.size() > 16 && rolledTail(stem.substr(stem.size() - 16))) {
        return std::string(stem.substr(0, stem.size() - 16));
    }
    const size_t dash = stem.rfind('-');
    if (dash != std::string_view::npos && dash >= 16 && dash + 1 < stem.size() &&
        std::ranges::all_of(stem.substr(dash + 1),
                            [](unsigned char c) { return std::isdigit(c) != 0; }) &&
        rolledTail(stem.substr(dash - 16, 16))) {
        return std::string(stem.substr(0, dash - 16));
    }
    return std::string(stem);
}

int RunJournal(const CommandContext& context) {
    const JournalOptions& options = context.invocation;
    std::ostream& out = context.out;
    std::ostream& err = context.err;
    FilePort& files = context.files;
    const RuleLocation* seat = context.seat ? &context.seat->location : nullptr;
    if (options.operands.empty() && !(seat && seat->configured())) {
        return Report(out, err, options.json,
                      {kExitUsage, "usage",
                       "journal에는 기록 파일이나 규칙 폴더를 주어야 합니다 (이 컴퓨터의 기록: "
                       "%LOCALAPPDATA%\\Quillet\\journal.csv)."});
    }
    auto paths = JournalPaths(files, options, seat);
    if (auto* failure = std::get_if<Failure>(&paths))
        return Report(out, err, options.json, *failure);

    Findings findings;
    std::vector<std::unique_ptr<SeatStream>> seats;
    for (std::vector<FilePath>& group : SeatGroups(files, std::get<std::vector<FilePath>>(paths))) {
        auto stream = std::make_unique<SeatStream>(files, std::move(group), findings);
        if (stream->Advance()) seats.push_back(std::move(stream));
    }
    Tables tables(files);
    Printer printer(out, options, context.outIsTerminal, tables);
    printer.Start();
    std::set<std::string> listed;
    // The seat whose next act is oldest goes next; each seat's acts are in its files' order.
    while (!seats.empty()) {
        const auto oldest = std::ranges::min_element(
            seats, {}, [](const auto& s) { return s->head().act.time.utcMilliseconds; });
        TakeAct(**oldest, files, options, listed, printer);
        if (!(*oldest)->Advance()) seats.erase(oldest);
    }
    printer.Finish(findings);
    if (!options.json) {
        for (const ReadProblem& finding : findings.listed) {
            err << TerminalText(finding.file +
                                (finding.line ? ":" + std::to_string(finding.line) : "") + ": " +
                                finding.message + "\n");
        }
        if (findings.count > kMostProblemsListed) {
            err << TerminalText("... 발견 사항 " + std::to_string(findings.count) + "개 중 " +
                                std::to_string(kMostProblemsListed) + "개만 보였습니다\n");
        }
    }
    return findings.count == 0 ? kExitClean : kExitWarnings;
}

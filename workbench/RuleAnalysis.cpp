#include "workbench/RuleAnalysis.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>
#include <span>
#include <string_view>
#include <tuple>
#include <utility>

#include "platform/TextEncoding.h"
#include "rules/CompiledRules.h"
#include "rules/RuleFields.h"
#include "rules/RuleText.h"
#include "texts/TextFormat.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct EnabledRule {
    int number;
    CompiledRule numbers;
};

// The rules the module's rewrite applies: enabled, with a new diameter in force.
std::vector<EnabledRule> EnabledRulesOf(const RuleTable& table) {
    std::vector<EnabledRule> rules;
    for (int n = 1; n <= table.count(); ++n) {
        if (IsInForce(table.rule(n))) rules.push_back({n, CompileRule(table.rule(n))});
    }
    return rules;
}

bool CodeRangeIsReversed(const CompiledRule& rule) {
    return rule.codeFrom > rule.codeTo;
}
// Written as a negation so that a NaN bound counts as reversed: it matches nothing either.
bool DiameterRangeIsReversed(const CompiledRule& rule) {
    return !(rule.diameterLow <= rule.diameterHigh);
}

bool SameBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// ---- The map -------------------------------------------------------------------------------

// A code interval and the enabled rules whose code range holds all of it, in rule order.
struct RuleBand {
    int64_t from, to;
    std::vector<const EnabledRule*> rules;
};

// The code bands the matcher uses; bands no rule covers are left out.
std::vector<RuleBand> CodeBands(const std::vector<EnabledRule>& rules) {
    std::vector<CompiledRule> numbers;
    for (const EnabledRule& rule : rules) numbers.push_back(rule.numbers);
    std::vector<RuleBand> bands;
    for (const CodeBand& band : CodeBandsOf(numbers)) {
        if (band.rules.empty()) continue;
        RuleBand& covered = bands.emplace_back(RuleBand{band.from, band.to, {}});
        for (const size_t r : band.rules) covered.rules.push_back(&rules[r]);
    }
    return bands;
}

// Cuts the diameter axis at every rule's low bound and just above its high bound, so that each
// piece [cut i, the double below cut i + 1] lies wholly inside or wholly outside each range
// (below the first cut no rule matches).
std::vector<double> DiameterCuts(std::span<const EnabledRule* const> rules) {
    std::vector<double> cuts;
    for (const EnabledRule* rule : rules) {
        if (DiameterRangeIsReversed(rule->numbers)) continue;
        cuts.push_back(rule->numbers.diameterLow);
        if (rule->numbers.diameterHigh < kInfinity) {
            cuts.push_back(std::nextafter(rule->numbers.diameterHigh, kInfinity));
        }
    }
    // -0.0 and 0.0 compare equal and match alike, so they make one cut.
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    return cuts;
}

// The diameter a step ends with when rule `first` is the first to match it: from there on
// the value no longer depends on the input. The rule numbers that match go to `matched`.
double ApplyFrom(std::span<const EnabledRule* const> rules, size_t first,
                 std::vector<int>& matched) {
    double diameter = rules[first]->numbers.diameterModify;
    matched.push_back(rules[first]->number);
    for (size_t r = first + 1; r < rules.size(); ++r) {
        if (rules[r]->numbers.MatchesDiameter(diameter)) {
            diameter = rules[r]->numbers.diameterModify;
            matched.push_back(rules[r]->number);
        }
    }
    return diameter;
}

std::vector<MapChange> DiameterChanges(std::span<const EnabledRule* const> rules) {
    const std::vector<double> cuts = DiameterCuts(rules);
    std::vector<MapChange> changes;
    for (size_t i = 0; i < cuts.size(); ++i) {
        const double low = cuts[i] == 0.0 ? 0.0 : cuts[i];  // one zero, written without sign
        const double high =
            i + 1 < cuts.size() ? std::nextafter(cuts[i + 1], -kInfinity) : kInfinity;
        const auto first = std::find_if(rules.begin(), rules.end(), [&](const EnabledRule* rule) {
            return rule->numbers.MatchesDiameter(low);
        });
        if (first == rules.end()) continue;
        MapChange change{low, high, 0.0, {}};
        change.result = ApplyFrom(rules, static_cast<size_t>(first - rules.begin()), change.rules);
        // The same rules in the same order write the same result. Two pieces with the same
        // first rule have nothing unmatched between them (that rule's range is one interval),
        // so equal lists in a row always touch.
        if (!changes.empty() && changes.back().rules == change.rules) {
            changes.back().high = high;
        } else {
            changes.push_back(std::move(change));
        }
    }
    return changes;
}

std::vector<MapSegment> MapOf(const std::vector<EnabledRule>& rules) {
    std::vector<MapSegment> segments;
    for (const RuleBand& band : CodeBands(rules)) {
        segments.push_back({band.from, band.to, DiameterChanges(band.rules)});
    }
    return segments;
}

// ---- Messages ------------------------------------------------------------------------------

// A rule text in double quotes for a message; a lone surrogate shows as U+FFFD.
std::string Quoted(std::u16string_view text) {
    return "\"" + Utf8FromUtf16(text, SurrogateForm::Replaced) + "\"";
}

std::string Number(double value) {
    return ShortestDecimal(value);
}

// A number as read, infinities as "∞" and "-∞".
std::string ReadingOf(double value) {
    if (std::isinf(value)) return value > 0 ? "∞" : "-∞";
    return Number(value);
}

std::string CodeRange(int32_t from, int32_t to) {
    return from == to ? std::to_string(from) : std::to_string(from) + "~" + std::to_string(to);
}
std::string DiameterRange(double low, double high) {
    return low == high ? Number(low) : Number(low) + "~" + Number(high);
}

// ---- Findings ------------------------------------------------------------------------------

class FindingList {
public:
    void Add(const char* code, Severity severity, int rule, std::string message) {
        findings_.push_back({code, severity, 0, rule, std::move(message)});
    }
    void AddError(const char* code, int rule, std::string message) {
        Add(code, Severity::Error, rule, std::move(message));
    }
    void AddWarning(const char* code, int rule, std::string message) {
        Add(code, Severity::Warning, rule, std::move(message));
    }

    std::vector<Finding> Sorted() && {
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) {
                             return std::tie(a.rule, a.code) < std::tie(b.rule, b.code);
                         });
        return std::move(findings_);
    }

private:
    std::vector<Finding> findings_;
};

// A code written with a fraction of zeros ("120.0", "120.", as data tools write whole
// numbers): the module reads the digits before the point, and the text to write is those.
bool ZeroFractionAfter(std::u16string_view text, size_t length) {
    std::u16string_view rest = text.substr(length);
    if (!rest.starts_with(u'.')) return false;
    rest.remove_prefix(1);
    rest.remove_prefix(std::min(rest.find_first_not_of(u'0'), rest.size()));
    return IsBlankText(rest);
}

void CheckField(const RuleFieldInfo& field, std::u16string_view text, int rule,
                FindingList& findings) {
    const bool isCode = field.IsCode();
    TextReading reading = TextReading::Number;
    size_t length = 0;
    bool outOfRange = false;
    std::string value;
    if (isCode) {
        const FieldNumber<int32_t> number = ReadCode(text);
        std::tie(reading, length, outOfRange) =
            std::tuple(number.reading, number.length, number.outOfRange);
        value = std::to_string(number.value);
    } else {
        const FieldNumber<double> number = ReadDiameter(text);
        std::tie(reading, length, outOfRange) =
            std::tuple(number.reading, number.length, number.outOfRange);
        value = ReadingOf(number.value);
    }
    const std::string named = std::string(field.label) + " " + Quoted(text);
    if (outOfRange) {
        if (isCode) {
            findings.AddWarning("code-overflow", rule,
                                named + ": 32비트를 넘어 " + value + "(으)로 읽습니다");
        } else {
            findings.AddError("not-finite", rule,
                              named + ": 너무 커서 " + value + "(으)로 읽습니다");
        }
    }
    switch (reading) {
        case TextReading::Blank:
            if (field.emptyMeansSingleValue) return;
            [[fallthrough]];
        case TextReading::NoNumber:
            findings.AddError(
                "no-number", rule,
                named + ": 숫자가 없어 0으로 읽습니다" +
                    (field.emptyMeansSingleValue ? ", 범위는 From 한 값이 됩니다" : ""));
            return;
        case TextReading::PartialNumber: {
            std::string message = named + ": 숫자가 " + Quoted(text.substr(0, length)) +
                                  "에서 끝나 " + value + "(으)로 읽습니다";
            if (isCode && !outOfRange && ZeroFractionAfter(text, length)) {
                message += ". 가공코드는 정수로 읽으므로 \"" + value + "\"(으)로 쓰십시오";
            }
            findings.AddError("partial-number", rule, message);
            return;
        }
        case TextReading::Number:
            return;
    }
}

void CheckRuleTexts(int n, const HoleRule& rule, FindingList& findings) {
    for (const RuleFieldInfo& field : RuleTextFields()) {
        CheckField(field, rule.*field.text, n, findings);
    }

    const CompiledRule numbers = CompileRule(rule);
    const NewDiameter modify = ReadNewDiameter(rule.DiameterModify);
    const std::string named =
        std::string(InfoOf(RuleField::DiameterModify).label) + " " + Quoted(rule.DiameterModify);
    if (modify.fault == NewDiameterFault::Implausible) {
        findings.AddError(
            "implausible-diameter", n,
            named + ": " + Number(modify.value) + "은(는) 구멍 지름일 수 없는 값입니다 (" +
                Number(kSmallestNewDiameter) + " ~ " + Number(kLargestNewDiameter) + ")");
    }
    if (!modify.usable()) {
        findings.AddError("not-in-force", n,
                          named + "이(가) " + NewDiameterFaultReason(modify.fault) +
                              " 이 규칙은 적용되지 않습니다");
    }
    if (CodeRangeIsReversed(numbers)) {
        findings.AddError("reversed-range", n,
                          "가공코드 범위 " + CodeRange(numbers.codeFrom, numbers.codeTo) +
                              "이(가) 거꾸로라 어떤 구멍에도 맞지 않습니다");
    }
    if (DiameterRangeIsReversed(numbers)) {
        findings.AddError("reversed-range", n,
                          "구멍경 범위 " + Number(numbers.diameterLow) + "~" +
                              Number(numbers.diameterHigh) +
                              "이(가) 거꾸로라 어떤 구멍에도 맞지 않습니다");
    }
}

// Two rules are duplicates when the module reads the same numbers from them, whatever the
// texts: "8.5" and "8.50", or "8,5" and "8", rewrite alike, and that is what matters here.
// Bounds compare as the matching compares them (-0.0 == 0.0); the new diameter is written
// as it is, so it must be the same double bit for bit.
bool SameNumbers(const CompiledRule& a, const CompiledRule& b) {
    return a.codeFrom == b.codeFrom && a.codeTo == b.codeTo && a.diameterLow == b.diameterLow &&
           a.diameterHigh == b.diameterHigh && SameBits(a.diameterModify, b.diameterModify);
}

void CheckDuplicates(const std::vector<EnabledRule>& rules, FindingList& findings) {
    for (size_t r = 0; r < rules.size(); ++r) {
        for (size_t earlier = 0; earlier < r; ++earlier) {
            if (SameNumbers(rules[earlier].numbers, rules[r].numbers)) {
                findings.AddWarning(
                    "duplicate", rules[r].number,
                    "규칙 " + std::to_string(rules[earlier].number) + "와(과) 숫자가 같습니다");
                break;
            }
        }
    }
}

const EnabledRule& RuleNumbered(const std::vector<EnabledRule>& rules, int number) {
    return *std::find_if(rules.begin(), rules.end(),
                         [&](const EnabledRule& rule) { return rule.number == number; });
}

// Reads what the map says about reach: a rule that appears in no change is never applied,
// and a rule that follows another in a change sees the diameter that rule wrote.
void CheckReach(const std::vector<EnabledRule>& rules, FindingList& findings) {
    std::set<int> reached;
    std::set<std::pair<int, int>> chains;  // (rule, the rule whose written diameter it matched)
    for (const MapSegment& segment : MapOf(rules)) {
        for (const MapChange& change : segment.changes) {
            reached.insert(change.rules.begin(), change.rules.end());
            for (size_t i = 1; i < change.rules.size(); ++i) {
                chains.insert({change.rules[i], change.rules[i - 1]});
            }
        }
    }
    for (const EnabledRule& rule : rules) {
        const CompiledRule& n = rule.numbers;
        if (reached.contains(rule.number) || CodeRangeIsReversed(n) || DiameterRangeIsReversed(n)) {
            continue;
        }
        findings.AddWarning("never-applies", rule.number,
                            "가공코드 " + CodeRange(n.codeFrom, n.codeTo) + "에서 구멍경 " +
                                DiameterRange(n.diameterLow, n.diameterHigh) +
                                "은(는) 앞 규칙들이 모두 다른 값으로 바꾸어 적용되지 않습니다");
    }
    for (const auto& [later, earlier] : chains) {
        const CompiledRule& a = RuleNumbered(rules, earlier).numbers;
        const CompiledRule& b = RuleNumbered(rules, later).numbers;
        findings.AddWarning(
            "chained", later,
            "규칙 " + std::to_string(earlier) + "이(가) 쓴 구멍경 " + Number(a.diameterModify) +
                "이(가) 이 규칙의 범위 " + DiameterRange(b.diameterLow, b.diameterHigh) +
                "에 들어 한 번 더 바뀝니다 (가공코드 " +
                CodeRange(std::max(a.codeFrom, b.codeFrom), std::min(a.codeTo, b.codeTo)) + ")");
    }
}

}  // namespace

std::string NewDiameterFaultReason(NewDiameterFault fault) {
    switch (fault) {
        case NewDiameterFault::Blank:
            return "비어 있어";
        case NewDiameterFault::NoNumber:
            return "숫자가 아니어서";
        case NewDiameterFault::PartialNumber:
            return "숫자 하나가 아니어서";
        case NewDiameterFault::NotFinite:
            return "무한대로 읽혀";
        case NewDiameterFault::Implausible:
            return FormatUtf8(u"{}부터 {}까지의 수가 아니어서", kSmallestNewDiameter,
                              kLargestNewDiameter);
        case NewDiameterFault::None:
            break;
    }
    return "";
}

std::vector<RuleNumbers> NumbersOf(const RuleTable& table) {
    std::vector<RuleNumbers> numbers;
    for (int n = 1; n <= table.count(); ++n) {
        const CompiledRule compiled = CompileRule(table.rule(n));
        numbers.push_back({n, table.rule(n).enabled != 0, compiled.codeFrom, compiled.codeTo,
                           compiled.diameterLow, compiled.diameterHigh, compiled.diameterModify});
    }
    return numbers;
}

std::vector<Finding> CheckRules(const RuleTable& table) {
    FindingList findings;
    for (int n = 1; n <= table.count(); ++n) {
        CheckRuleTexts(n, table.rule(n), findings);
        if (table.rule(n).enabled == 0) {
            findings.Add("disabled", Severity::Info, n, "꺼져 있어 적용되지 않습니다");
        }
    }
    const std::vector<EnabledRule> rules = EnabledRulesOf(table);
    CheckDuplicates(rules, findings);
    CheckReach(rules, findings);
    return std::move(findings).Sorted();
}

Explanation Explain(const RuleTable& table, int32_t code, double diameter) {
    const std::vector<RuleMatcher::Match> matches = RuleMatcher(table).Trace(code, diameter);
    Explanation explanation{{}, diameter, !matches.empty()};
    auto match = matches.begin();
    for (int n = 1; n <= table.count(); ++n) {
        const bool matched = match != matches.end() && match->rule == n;
        if (matched) explanation.result = (match++)->diameter;
        explanation.steps.push_back({n, table.rule(n).enabled != 0, matched, explanation.result});
    }
    return explanation;
}

std::vector<MapSegment> MapRules(const RuleTable& table) {
    std::vector<MapSegment> segments = MapOf(EnabledRulesOf(table));
    std::erase_if(segments, [](const MapSegment& segment) { return segment.changes.empty(); });
    return segments;
}

// check, map and explain: what the analysis finds, as text or JSON.
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "rules/CompiledRules.h"
#include "rules/RuleFields.h"
#include "workbench/FindingCodes.h"
#include "workbench/Json.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

namespace {

std::string_view SeverityText(Severity severity) {
    switch (severity) {
        case Severity::Info:
            return "정보";
        case Severity::Warning:
            return "경고";
        case Severity::Error:
            return "오류";
    }
    return "";
}

int StatusOf(const std::vector<Finding>& findings) {
    int status = kExitClean;
    for (const Finding& finding : findings) {
        if (finding.severity == Severity::Error) status = kExitErrors;
        if (finding.severity == Severity::Warning) status = std::max<int>(status, kExitWarnings);
    }
    return status;
}

std::string LineText(const FileLine& line) {
    switch (line.kind) {
        case RuleLineKind::Rule:
            return "규칙 " + std::to_string(line.rule);
        case RuleLineKind::RuleNotInForce:
            return "규칙 " + std::to_string(line.rule) + " (구멍경(수정)이 " +
                   std::string(NewDiameterFaultReason(line.fault)) + " 적용하지 않음)";
        case RuleLineKind::Blank:
            return "빈 줄";
        case RuleLineKind::Comment:
            return "주석 (TAB 없음, 저장하면 보관 사본에만 남음)";
        case RuleLineKind::OtherFieldCount:
            return "건너뜀 (필드 " + std::to_string(line.fields) + "개)";
        case RuleLineKind::Beyond49:
            return "49번째 규칙 뒤 (읽지 않음)";
    }
    return "";
}

std::string Range(double low, double high) {
    return TextNumber(low) + " ~ " + TextNumber(high);
}

// Digits of the shortest text from the first nonzero one: 8.1 has 2, 8.099999999999998 has 16.
size_t SignificantDigits(double value) {
    const std::string text = ShortestNumber(value);
    const std::string_view mantissa = std::string_view(text).substr(0, text.find('e'));
    size_t digits = 0;
    for (const char c : mantissa) {
        if (c >= '1' && c <= '9') ++digits;
        if (c == '0' && digits > 0) ++digits;
    }
    return digits;
}

// A bound of a closed binary64 interval as a shop reads it: the neighbour beyond the bound
// when that has the shorter decimal (the interval ends just before it), else the bound.
struct Bound {
    double value;
    bool included;
};
Bound ReadableBound(double bound, double outward) {
    const double beyond = std::nextafter(bound, outward);
    if (std::isfinite(beyond) && SignificantDigits(beyond) < SignificantDigits(bound)) {
        return {beyond, false};
    }
    return {bound, true};
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::optional<Bound> LowerBound(double low) {
    if (low == -kInfinity) return std::nullopt;
    return ReadableBound(low, -kInfinity);
}
std::optional<Bound> UpperBound(double high) {
    if (high == kInfinity) return std::nullopt;
    return ReadableBound(high, kInfinity);
}

// "8 이상 8.1 미만", "8.99 초과", "8.5".
std::string IntervalWords(double low, double high) {
    if (low == high) return TextNumber(low);
    const std::optional<Bound> lower = LowerBound(low);
    const std::optional<Bound> upper = UpperBound(high);
    std::string text;
    if (lower) text += TextNumber(lower->value) + (lower->included ? " 이상" : " 초과");
    if (lower && upper) text += " ";
    if (upper) text += TextNumber(upper->value) + (upper->included ? " 이하" : " 미만");
    return text.empty() ? "모든 값" : text;
}

void BoundJson(JsonWriter& json, std::string_view key, const std::optional<Bound>& bound) {
    json.Key(key);
    if (!bound) {
        json.Null();
        return;
    }
    json.BeginObject().Key("value").Number(bound->value);
    json.Key("included").Bool(bound->included).EndObject();
}

void PrintCheckText(std::ostream& out, const std::string& name, const RuleFileView& file,
                    const std::vector<RuleNumbers>& numbers, const std::vector<Finding>& findings) {
    out << "파일: " << name << " (" << EncodingName(file.encoding) << ")\n\n줄\n";
    for (const FileLine& line : file.lines)
        out << "  " << line.line << ": " << LineText(line) << "\n";
    if (file.lines.empty()) out << "  (없음)\n";
    out << "\n규칙 (모듈이 쓰는 숫자)\n";
    for (const RuleNumbers& rule : numbers) {
        out << "  규칙 " << rule.rule << (rule.enabled ? " 켜짐" : " 꺼짐") << ": 코드 "
            << rule.codeFrom << " ~ " << rule.codeTo << ", 지름 "
            << Range(rule.diameterLow, rule.diameterHigh) << " → " << TextNumber(rule.newDiameter)
            << "\n";
    }
    if (numbers.empty()) out << "  (없음)\n";
    out << "\n발견 사항\n";
    int counts[3] = {};
    for (const Finding& finding : findings) {
        ++counts[static_cast<int>(finding.severity)];
        out << "  [" << SeverityText(finding.severity) << "] " << finding.code;
        if (finding.line > 0) out << " 줄 " << finding.line;
        if (finding.rule > 0) out << " 규칙 " << finding.rule;
        out << ": " << finding.message << "\n";
    }
    if (findings.empty()) out << "  (없음)\n";
    out << "\n오류 " << counts[static_cast<int>(Severity::Error)] << ", 경고 "
        << counts[static_cast<int>(Severity::Warning)] << ", 정보 "
        << counts[static_cast<int>(Severity::Info)] << "\n";
}

void PrintCheckJson(std::ostream& out, const RuleFileView& file,
                    const std::vector<RuleNumbers>& numbers, const std::vector<Finding>& findings) {
    JsonWriter json;
    json.BeginObject().Key("encoding").String(EncodingName(file.encoding));
    json.Key("lines").BeginArray();
    for (const FileLine& line : file.lines) {
        json.BeginObject().Key("line").Integer(line.line).Key("kind").String(
            LineKindName(line.kind));
        json.Key("rule").IntegerOrNull(line.rule).Key("in_force");
        line.rule > 0 ? json.Bool(IsInForce(file.table.rule(line.rule))) : json.Null();
        json.EndObject();
    }
    json.EndArray().Key("rules").BeginArray();
    for (const RuleNumbers& rule : numbers) {
        // The rule's numbers under the keys of the texts they are read from; the new
        // diameter, a number rather than the text, has a key of its own.
        const auto key = [](RuleField field) { return InfoOf(field).csvColumn; };
        json.BeginObject().Key("rule").Integer(rule.rule);
        json.Key(key(RuleField::Enabled)).Bool(rule.enabled);
        json.Key(key(RuleField::CodeFrom)).Integer(rule.codeFrom);
        json.Key(key(RuleField::CodeTo)).Integer(rule.codeTo);
        json.Key(key(RuleField::DiameterFrom)).Number(rule.diameterLow);
        json.Key(key(RuleField::DiameterTo)).Number(rule.diameterHigh);
        json.Key("new_diameter").Number(rule.newDiameter).EndObject();
    }
    json.EndArray().Key("findings").BeginArray();
    for (const Finding& finding : findings) {
        json.BeginObject().Key("code").String(finding.code);
        json.Key("severity").String(SeverityName(finding.severity));
        json.Key("line").IntegerOrNull(finding.line).Key("rule").IntegerOrNull(finding.rule);
        json.Key("message").String(finding.message).EndObject();
    }
    json.EndArray().EndObject();
    out << json.Text() << "\n";
}

void PrintMapText(std::ostream& out, const std::vector<MapSegment>& segments) {
    for (const MapSegment& segment : segments) {
        out << "코드 " << segment.codeFrom << " ~ " << segment.codeTo << "\n";
        for (const MapChange& change : segment.changes) {
            out << "  지름 " << IntervalWords(change.low, change.high) << " → "
                << TextNumber(change.result) << " (규칙 " << NumberList(change.rules) << ")\n";
        }
    }
    out << (segments.empty() ? "켜진 규칙이 맞는 지름이 없어 아무것도 바뀌지 않습니다.\n"
                             : "나열되지 않은 코드와 지름은 그대로입니다.\n");
}

void PrintMapJson(std::ostream& out, const std::vector<MapSegment>& segments) {
    JsonWriter json;
    json.BeginObject().Key("segments").BeginArray();
    for (const MapSegment& segment : segments) {
        json.BeginObject().Key("code_from").Integer(segment.codeFrom);
        json.Key("code_to").Integer(segment.codeTo).Key("changes").BeginArray();
        for (const MapChange& change : segment.changes) {
            json.BeginObject().Key("low").Number(change.low).Key("high").Number(change.high);
            BoundJson(json, "lower", LowerBound(change.low));
            BoundJson(json, "upper", UpperBound(change.high));
            json.Key("result").Number(change.result).Key("rules").BeginArray();
            for (const int rule : change.rules) json.Integer(rule);
            json.EndArray().EndObject();
        }
        json.EndArray().EndObject();
    }
    json.EndArray().EndObject();
    out << json.Text() << "\n";
}

void PrintExplainText(std::ostream& out, const Invocation& invocation,
                      const Explanation& explanation) {
    out << "코드 " << *invocation.code << ", 지름 " << TextNumber(*invocation.diameter) << "\n";
    for (const ExplainStep& step : explanation.steps) {
        const char* what = !step.enabled  ? ": 꺼져 있어 건너뜀, 그대로 "
                           : step.matched ? ": 일치 → "
                                          : ": 불일치, 그대로 ";
        out << "  규칙 " << step.rule << what << TextNumber(step.diameter) << "\n";
    }
    if (explanation.steps.empty()) out << "  규칙이 없습니다.\n";
    out << "결과: " << TextNumber(explanation.result)
        << (explanation.changed ? " (변경됨: 일치한 규칙이 있으면 값이 같아도 변경으로 셉니다)\n"
                                : " (변경 없음)\n");
}

void PrintExplainJson(std::ostream& out, const Explanation& explanation) {
    JsonWriter json;
    json.BeginObject().Key("steps").BeginArray();
    for (const ExplainStep& step : explanation.steps) {
        json.BeginObject().Key("rule").Integer(step.rule).Key("enabled").Bool(step.enabled);
        json.Key("matched").Bool(step.matched);
        json.Key("diameter").Number(step.diameter).EndObject();
    }
    json.EndArray().Key("result").Number(explanation.result);
    json.Key("changed").Bool(explanation.changed).EndObject();
    out << json.Text() << "\n";
}

}  // namespace

std::string NumberList(const std::vector<int>& numbers) {
    std::string text;
    for (const int number : numbers) text += (text.empty() ? "" : ", ") + std::to_string(number);
    return text;
}

std::string TextNumber(double value) {
    if (std::isinf(value)) return value > 0 ? "∞" : "-∞";
    return ShortestNumber(value);
}

int RunCheck(const CommandContext& context, const RuleFileView& file) {
    const std::vector<RuleNumbers> numbers = NumbersOf(file.table);
    const std::vector<Finding> findings = CheckRuleFile(file);
    if (context.invocation.json) {
        PrintCheckJson(context.out, file, numbers, findings);
    } else {
        PrintCheckText(context.out, context.invocation.input, file, numbers, findings);
    }
    return StatusOf(findings);
}

int RunMap(const CommandContext& context, const RuleFileView& file) {
    const std::vector<MapSegment> segments = MapRules(file.table);
    if (context.invocation.json) {
        PrintMapJson(context.out, segments);
    } else {
        PrintMapText(context.out, segments);
    }
    return kExitClean;
}

int RunExplain(const CommandContext& context, const RuleFileView& file) {
    const Invocation& invocation = context.invocation;
    const Explanation explanation = Explain(file.table, *invocation.code, *invocation.diameter);
    if (invocation.json) {
        PrintExplainJson(context.out, explanation);
    } else {
        PrintExplainText(context.out, invocation, explanation);
    }
    return kExitClean;
}

int RunCodes(const CommandContext& context) {
    if (!context.invocation.json) {
        for (const FindingCode& code : AllFindingCodes()) {
            std::string name(code.code);
            name.resize(std::max<size_t>(name.size() + 1, 18), ' ');
            context.out << name << "[" << SeverityText(code.severity) << "] " << code.meaning
                        << "\n";
        }
        return kExitClean;
    }
    JsonWriter json;
    json.BeginObject().Key("codes").BeginArray();
    for (const FindingCode& code : AllFindingCodes()) {
        json.BeginObject().Key("code").String(code.code);
        json.Key("severity").String(SeverityName(code.severity));
        json.Key("meaning").String(code.meaning).EndObject();
    }
    json.EndArray().EndObject();
    context.out << json.Text() << "\n";
    return kExitClean;
}

std::string IntervalText(double low, double high) {
    return IntervalWords(low, high);
}

bool EndIsOpen(double bound, double outward) {
    return std::isfinite(bound) && !ReadableBound(bound, outward).included;
}

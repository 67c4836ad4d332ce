// check: how the module reads each line of a rule file, the numbers it uses, and what the
// analysis finds.
#include <algorithm>

#include "rules/CompiledRules.h"
#include "rules/RuleFields.h"
#include "workbench/Json.h"
#include "workbench/ReportWords.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

namespace {

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
                   NewDiameterFaultReason(line.fault) + " 적용하지 않음)";
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

}  // namespace

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

// explain: one code and diameter through the rules, step by step.
#include "workbench/Json.h"
#include "workbench/ReportWords.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

namespace {

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

// codes: every finding code with its severity and meaning.
#include <algorithm>

#include "workbench/FindingCodes.h"
#include "workbench/Json.h"
#include "workbench/ReportWords.h"
#include "workbench/Workbench.h"
#include "workbench/WorkbenchCommands.h"

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

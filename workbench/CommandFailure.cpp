#include "workbench/Json.h"
#include "workbench/WorkbenchCommands.h"

int Fail(const CommandContext& context, int status, std::string_view code,
         const std::string& message, const std::function<void(JsonWriter&)>& details) {
    if (!context.invocation.json) {
        context.err << "quillet-rules: " << message << "\n";
        return status;
    }
    JsonWriter json;
    json.BeginObject().Key("error").BeginObject().Key("code").String(code);
    json.Key("message").String(message);
    if (details) details(json);
    json.EndObject().EndObject();
    context.out << json.Text() << "\n";
    return status;
}

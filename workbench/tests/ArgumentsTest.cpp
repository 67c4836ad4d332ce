#include "workbench/Arguments.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "workbench/Json.h"

namespace {

// A value each option that takes one accepts.
const std::map<std::string_view, std::string> kGoodValues = {
    {"--code", "101"},         {"--diameter", "8.5"},  {"-o", "out"},
    {"--svg", "out.svg"},      {"--code-page", "949"}, {"--since", "2024-05-01"},
    {"--until", "2024-05-02"}, {"--rule", "1"},        {"--computer", "CAM1"},
    {"--user", "kim"},         {"--hole", "12"},       {"--action", "undo"}};

const OptionUse* UseOf(const CommandSpec& command, const OptionSpec& option) {
    const auto use = std::ranges::find(command.options, &option, &OptionUse::option);
    return use == command.options.end() ? nullptr : &*use;
}

// The command with the FILEs and options it must have, and then `option`.
std::vector<std::string> ArgumentsWith(const CommandSpec& command, const OptionSpec& option) {
    std::vector<std::string> args{std::string(command.name)};
    for (size_t i = 0; i < command.fewestFiles; ++i) args.push_back("file" + std::to_string(i));
    const auto add = [&](const OptionSpec& added) {
        args.emplace_back(added.name);
        if (added.read) args.push_back(kGoodValues.at(added.name));
    };
    for (const OptionUse& use : command.options) {
        if (!use.missing.empty() && use.option != &option) add(*use.option);
    }
    add(option);
    return args;
}

// Each command takes the options the table gives it and refuses every other in the words the
// table has for it; the value lands where the command reads it.
TEST(Arguments, EachCommandTakesItsOwnOptionsAndRefusesTheOthers) {
    for (const CommandSpec& command : WorkbenchCommands()) {
        for (const OptionSpec* option : WorkbenchOptions()) {
            const std::vector<std::string> args = ArgumentsWith(command, *option);
            const auto parsed = ParseArguments(args);
            const std::string what = ::testing::PrintToString(args);
            if (UseOf(command, *option)) {
                ASSERT_TRUE(std::holds_alternative<Invocation>(parsed))
                    << what << std::get<UsageError>(parsed).message;
                EXPECT_EQ(std::get<Invocation>(parsed).command, &command) << what;
                continue;
            }
            ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << what;
            const std::string expected = option->notHere.empty()
                                             ? "알 수 없는 옵션입니다: " + std::string(option->name)
                                             : std::string(option->notHere);
            EXPECT_EQ(std::get<UsageError>(parsed).message, expected) << what;
        }
        const auto json = ParseArguments(ArgumentsWith(command, *kJsonOption.option));
        ASSERT_TRUE(std::holds_alternative<Invocation>(json)) << command.name;
        EXPECT_TRUE(std::get<Invocation>(json).json);
    }
    const std::vector<std::string> explain{"explain", "f",  "--diameter",  "-8.5",
                                           "--code",  "-7", "--code-page", "1252"};
    const Invocation read = std::get<Invocation>(ParseArguments(explain));
    EXPECT_EQ(read.input, "f");
    EXPECT_EQ(read.diameter, -8.5);
    EXPECT_EQ(read.code, -7);
    EXPECT_EQ(read.codePage, 1252u);
}

// --help as text and as JSON: each command's synopsis, then the options it shows, in order.
TEST(Arguments, HelpTextAndJsonShowTheSameCommandsAndOptions) {
    JsonWriter writer;
    writer.BeginObject();
    UsageJson(writer);
    const nlohmann::json help = nlohmann::json::parse(writer.EndObject().Text());
    const std::string text = UsageText();
    size_t at = 0;
    const auto next = [&](const std::string& shown) {
        at = text.find("\n  " + shown, at);
        return at == std::string::npos ? at : at++;
    };
    size_t listed = 0;
    for (const nlohmann::json& command : help["commands"]) {
        const std::string synopsis = command["synopsis"];
        ASSERT_NE(next(synopsis), std::string::npos) << synopsis;
        for (const nlohmann::json& option : command["options"]) {
            ASSERT_NE(next("    " + option["option"].get<std::string>()), std::string::npos)
                << synopsis << " " << option["option"];
        }
        ++listed;
    }
    const auto commands = WorkbenchCommands();
    EXPECT_EQ(listed, static_cast<size_t>(std::ranges::count_if(
                          commands, [](const CommandSpec& c) { return !c.synopsis.empty(); })));
    EXPECT_TRUE(std::ranges::any_of(
        help["commands"], [](const nlohmann::json& c) { return c["command"] == "journal"; }));
    ASSERT_NE(text.find("모든 명령:", at), std::string::npos);
    for (const nlohmann::json& option : help["common_options"]) {
        ASSERT_NE(next(option["option"].get<std::string>()), std::string::npos) << option;
        const auto parsed = ParseArguments(std::vector<std::string>{option["option"]});
        EXPECT_TRUE(std::holds_alternative<Invocation>(parsed) || option["option"] == "--json");
    }
}

}  // namespace

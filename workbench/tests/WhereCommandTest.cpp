// quillet-rules where: the setting and its value, whether the folder is there now, the copy the
// seat falls back on, and what the module's next load would use; over a folder in memory.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "FakeFiles.h"
#include "texts/RuleFolderText.h"
#include "workbench/Workbench.h"

namespace {

constexpr char16_t kCopies[] = u"C:\\u\\Quillet";

class Where : public ::testing::Test {
protected:
    void SetUp() override { files_.entries[kCopies].kind = FileKind::Folder; }

    int Run(const RuleFolderValues& values, bool json) {
        seat_ = {values, ChooseRuleLocation(values, u"C:\\KEP"), kCopies};
        std::vector<std::string> args{"where"};
        if (json) args.push_back("--json");
        out_.str("");
        std::ostringstream err;
        return RunWorkbench(args, out_, err, files_, false, &seat_);
    }
    nlohmann::json Json(const RuleFolderValues& values, int expectedStatus) {
        EXPECT_EQ(Run(values, true), expectedStatus);
        return nlohmann::json::parse(out_.str());  // strict: throws on anything but JSON
    }
    std::string Text(const RuleFolderValues& values, int expectedStatus) {
        EXPECT_EQ(Run(values, false), expectedStatus);
        return out_.str();
    }
    void Copy(const FilePath& ruleFile, CopyOrigin origin, int64_t modified) {
        files_.entries[CopyPath(ruleFile, origin)] = {"copy", FileKind::File, modified};
    }
    static FilePath CopyPath(const FilePath& ruleFile, CopyOrigin origin) {
        return FilePath(kCopies) + u"\\" + LocalCopyNameFor(ruleFile, origin);
    }

    FakeFiles files_;
    Seat seat_;
    std::ostringstream out_;
};

SettingValue Expandable(std::u16string text, std::u16string expanded) {
    return {static_cast<uint32_t>(RegistryType::ExpandableText), std::move(text),
            std::move(expanded)};
}

TEST_F(Where, TellsTheValueItsSourceTheFolderNowAndTheLastCopy) {
    const FilePath file = u"\\\\srv\\cam\\Quillet.def";
    const RuleFolderValues both{Expandable(u"%SHARE%\\cam\\", u"\\\\srv\\cam\\"),
                                RuleFolderValue::Text(u"D:\\mine")};
    Copy(file, CopyOrigin::Read, 1765288800);  // 2025-12-09 14:00:00 UTC
    Copy(file, CopyOrigin::Saved, 1765288931);

    // Out of reach: the module falls back on the newer copy, this seat's own save.
    nlohmann::json where = Json(both, kExitWarnings);
    EXPECT_EQ(where["folder"], "\\\\srv\\cam");
    EXPECT_EQ(where["source"], "machine");
    EXPECT_EQ(where["setting"], nlohmann::json::parse(R"({"name":
        "HKLM\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\RuleFolder","type":"REG_EXPAND_SZ",
        "value":"%SHARE%\\cam\\","expanded":"\\\\srv\\cam\\"})"));
    EXPECT_EQ(where["ignored"]["name"], "HKCU\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\RuleFolder");
    EXPECT_EQ(where["ignored"]["value"], "D:\\mine");
    EXPECT_EQ(where["reachable"], false);
    EXPECT_TRUE(where["rule_file_exists"].is_null());
    EXPECT_EQ(where["rules_from"], "last-copy");
    EXPECT_EQ(where["last_copy"],
              (nlohmann::json{{"path", Narrow(CopyPath(file, CopyOrigin::Saved))},
                              {"origin", "saved"},
                              {"time", "2025-12-09T14:02:11Z"}}));
    const std::string text = Text(both, kExitWarnings);
    for (const std::string& part : std::vector<std::string>{
             "설정: HKLM\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\RuleFolder\n",
             "값: REG_EXPAND_SZ \"%SHARE%\\cam\\\" (풀면 \"\\\\srv\\cam\\\")\n",
             "쓰지 않는 값: HKCU\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\RuleFolder REG_SZ "
             "\"D:\\mine\"",
             "폴더: 지금 연결할 수 없습니다. 모듈은 이 컴퓨터에 보관한 마지막 사본을 쓰고",
             "마지막 사본: " + Narrow(CopyPath(file, CopyOrigin::Saved)) +
                 " (2025-12-09 14:02:11 UTC에 이 컴퓨터에서 저장한 규칙)\n"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    }

    // Reached, without a rule file yet, then with one; out of reach without a copy.
    files_.entries[u"\\\\srv\\cam"].kind = FileKind::Folder;
    EXPECT_NE(Text(both, kExitWarnings).find("규칙 파일이 없어 아직 적용할 규칙이 없습니다"),
              std::string::npos);
    files_.entries[file] = {"rules", FileKind::ReadOnlyFile};
    where = Json(both, kExitClean);
    EXPECT_EQ(where["reachable"], true);
    EXPECT_EQ(where["rule_file_exists"], true);
    EXPECT_EQ(where["rules_from"], "rule-file");
    files_.entries.clear();
    EXPECT_NE(Text(both, kExitWarnings).find("마지막 사본: 없음\n"), std::string::npos);

    // The user's own value, the whole document as it stands.
    EXPECT_EQ(Run({std::nullopt, RuleFolderValue::Text(u"\\\\srv\\cam\\")}, true), kExitWarnings);
    EXPECT_EQ(out_.str(),
              "{\"folder\":\"\\\\\\\\srv\\\\cam\",\"file\":\"\\\\\\\\srv\\\\cam\\\\Quillet.def\","
              "\"source\":\"user\",\"setting\":{\"name\":"
              "\"HKCU\\\\SOFTWARE\\\\Ferrimount\\\\KEP\\\\Quillet\\\\RuleFolder\",\"type\":"
              "\"REG_SZ\",\"value\":\"\\\\\\\\srv\\\\cam\\\\\",\"expanded\":"
              "\"\\\\\\\\srv\\\\cam\\\\\"},\"ignored\":null,\"overridden\":[],\"problem\":null,"
              "\"reachable\":false,"
              "\"rule_file_exists\":null,\"rules_from\":\"none\",\"last_copy\":null}\n");
}

// A policy decides over the machine's and the user's values, which where names as overridden.
TEST_F(Where, APolicyDecidesAndTheValuesItOverridesAreNamed) {
    const RuleFolderValues all{RuleFolderValue::Text(u"\\\\srv\\old"),
                               RuleFolderValue::Text(u"D:\\mine"),
                               RuleFolderValue::Text(u"\\\\srv\\policy")};
    nlohmann::json where = Json(all, kExitWarnings);
    EXPECT_EQ(where["source"], "policy");
    EXPECT_EQ(where["setting"]["name"],
              "HKLM\\SOFTWARE\\Policies\\Ferrimount\\KEP\\Quillet\\RuleFolder");
    EXPECT_EQ(where["ignored"]["value"], "\\\\srv\\old");
    ASSERT_EQ(where["overridden"].size(), 2u);
    EXPECT_EQ(where["overridden"][1]["name"],
              "HKCU\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\RuleFolder");
    const std::string text = Text(all, kExitWarnings);
    for (const std::string& part : std::vector<std::string>{
             "설정: HKLM\\SOFTWARE\\Policies\\Ferrimount\\KEP\\Quillet\\RuleFolder\n",
             "쓰지 않는 값: HKLM\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\RuleFolder REG_SZ "
             "\"\\\\srv\\old\" (정책의 값이 정합니다)\n",
             "쓰지 않는 값: HKCU\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\RuleFolder"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    }
}

// Each value that cannot name a folder is told with its reason, as the module tells it, never
// as no setting; the seat then falls back on the newest copy of any folder.
TEST_F(Where, AValueThatCannotBeUsedIsNamedWithItsFaultAndTheCopyTheSeatFallsBackOn) {
    Copy(u"D:\\old\\Quillet.def", CopyOrigin::Read, 100);
    Copy(u"\\\\srv\\cam\\Quillet.def", CopyOrigin::Saved, 200);
    const struct {
        SettingValue value;
        const char* code;
    } cases[] = {
        {{4, {}, {}}, "not-text"},  // REG_DWORD
        {RuleFolderValue::Text(u""), "empty"},
        {RuleFolderValue::Text(u"cam"), "relative"},
        {Expandable(u"%NOPE%\\cam", u"%NOPE%\\cam"), "unexpanded-variable"},
    };
    for (const auto& c : cases) {
        const RuleFolderValues values{c.value, std::nullopt};
        const nlohmann::json where = Json(values, kExitErrors);
        EXPECT_EQ(where["problem"]["code"], c.code);
        EXPECT_TRUE(where["folder"].is_null() && where["reachable"].is_null()) << c.code;
        EXPECT_EQ(where["setting"]["type"],
                  Utf8FromUtf16(RegistryTypeName(c.value.type), SurrogateForm::Replaced));
        EXPECT_EQ(where["rules_from"], "last-copy");
        EXPECT_EQ(where["last_copy"]["time"], "1970-01-01T00:03:20Z") << c.code;
        const std::string text = Text(values, kExitErrors);
        const RuleLocation location = ChooseRuleLocation(values, u"C:\\KEP");
        for (const std::string& part : std::vector<std::string>{
                 "규칙 폴더: (설정을 쓸 수 없음)\n설정: "
                 "HKLM\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\RuleFolder",
                 "문제: " + Utf8FromUtf16(RuleFolderFaultText(location), SurrogateForm::Replaced),
                 std::string("이 컴퓨터에 보관한 마지막 사본을 쓰고"),
                 std::string("에 이 컴퓨터에서 저장한 규칙)\n")}) {
            EXPECT_NE(text.find(part), std::string::npos) << c.code << ": " << part << "\n" << text;
        }
    }
    files_.entries.clear();
    EXPECT_EQ(Json({cases[0].value, std::nullopt}, kExitErrors)["rules_from"], "none");
}

// Without a value the module's own folder holds the rule file, and no copy is kept or used.
TEST_F(Where, WithoutASettingTheModulesFolderIsUsedWithoutCopies) {
    Copy(u"\\\\srv\\cam\\Quillet.def", CopyOrigin::Read, 100);
    const nlohmann::json where = Json({}, kExitClean);
    EXPECT_EQ(where["source"], "module-folder");
    EXPECT_EQ(where["file"], "C:\\KEP\\Quillet.def");
    EXPECT_TRUE(where["setting"].is_null() && where["last_copy"].is_null());
    const std::string text = Text({}, kExitClean);
    EXPECT_NE(text.find("설정: 설정 없음: 모듈의 폴더\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("마지막 사본"), std::string::npos) << text;
}

}  // namespace

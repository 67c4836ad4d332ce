// quillet-rules copy-to-share, and the rule file a seat moved to a rule folder leaves beside
// the module (TableLeftBesideModule, which the module's start message names too); over a
// folder in memory.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "FakeFiles.h"
#include "platform/LegacyCodePage.h"
#include "rules/RuleStore.h"
#include "workbench/Workbench.h"

namespace {

constexpr char16_t kModule[] = u"C:\\KEP";
constexpr char16_t kShare[] = u"\\\\srv\\cam";
constexpr char16_t kShareFile[] = u"\\\\srv\\cam\\Quillet.def";
constexpr char16_t kModuleFile[] = u"C:\\KEP\\Quillet.def";

class CopyToShare : public ::testing::Test {
protected:
    void SetUp() override {
        files_.entries[kShare].kind = FileKind::Folder;
        RuleTable table;
        table.Append(HoleRule{1, u"101", u"199", u"8.1", u"8.99", u"8.5"});
        table.Append(HoleRule{0, u"201", u"", u"5", u"", u"5.2"});
        ASSERT_TRUE(RuleStore(files_, kModuleFile).Save(table).succeeded());
        beside_ = *files_.Bytes(kModuleFile);
        files_.steps = 0;
    }
    int Run(const RuleFolderValues& values, bool json = false) {
        seat_ = {values, ChooseRuleLocation(values, kModule), u"C:\\u\\Quillet", kModule};
        std::vector<std::string> args{"copy-to-share"};
        if (json) args.push_back("--json");
        out_.str("");
        std::ostringstream err;
        return RunWorkbench(args, out_, err, files_, false, &seat_);
    }
    std::optional<FilePath> Left(const RuleFolderValues& values) {
        return TableLeftBesideModule(files_, ChooseRuleLocation(values, kModule), kModule);
    }
    static RuleFolderValues Machine(std::u16string folder) {
        return {RuleFolderValue::Text(std::move(folder)), std::nullopt};
    }

    FakeFiles files_;
    Seat seat_;
    std::ostringstream out_;
    std::string beside_;
};

TEST_F(CopyToShare, TheTableBesideTheModuleGoesIntoTheEmptyFolderAndStaysWhereItWas) {
    EXPECT_EQ(Left(Machine(kShare)), FilePath(kModuleFile));
    ASSERT_EQ(Run(Machine(kShare), true), kExitClean) << out_.str();
    const nlohmann::json done = nlohmann::json::parse(out_.str());
    EXPECT_EQ(done["to"], Narrow(kShareFile));
    EXPECT_EQ(done["rules"], 2);
    EXPECT_EQ(files_.Bytes(kShareFile), beside_);
    EXPECT_EQ(files_.Bytes(kModuleFile), beside_);
    EXPECT_FALSE(Left(Machine(kShare)));  // the start message no longer names it

    // A second run finds the folder's own file and leaves it.
    files_.entries[kShareFile].bytes = "other seat";
    EXPECT_EQ(Run(Machine(kShare)), kExitWarnings);
    EXPECT_EQ(files_.Bytes(kShareFile), "other seat");
}

// Another seat's file that appears between the load and the save is kept, whole.
TEST_F(CopyToShare, AFileThatAppearsInTheFolderMeanwhileIsKept) {
    files_.changeAt = 1;  // the load beside the module is step 0
    files_.changed = {kShareFile, "another seat's rules"};
    EXPECT_EQ(Run(Machine(kShare), true), kExitWarnings) << out_.str();
    EXPECT_EQ(nlohmann::json::parse(out_.str())["error"]["code"], "folder-has-rules");
    EXPECT_EQ(files_.Bytes(kShareFile), "another seat's rules");
    EXPECT_FALSE(files_.Bytes(FilePath(kShareFile) + u".bak"));
}

TEST_F(CopyToShare, NothingIsCopiedWithoutAFolderToCopyToOrATableToCopy) {
    const struct {
        RuleFolderValues values;
        int status;
        const char* code;
    } cases[] = {
        {{}, kExitErrors, "no-rule-folder"},
        {Machine(u"cam"), kExitErrors, "unusable-setting"},
        {Machine(u"\\\\srv\\gone"), kExitFileFailed, "folder-out-of-reach"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.values, true), c.status) << c.code;
        EXPECT_EQ(nlohmann::json::parse(out_.str())["error"]["code"], c.code);
        EXPECT_FALSE(Left(c.values)) << c.code;
    }
    files_.entries.erase(kModuleFile);
    EXPECT_EQ(Run(Machine(kShare)), kExitWarnings);
    EXPECT_FALSE(Left(Machine(kShare)));
    EXPECT_FALSE(files_.Bytes(kShareFile));
}

}  // namespace

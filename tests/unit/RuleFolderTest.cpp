#include "rules/RuleFolder.h"

#include <gtest/gtest.h>

namespace {

RuleFolderValue Sz(std::u16string text) {
    return RuleFolderValue::Text(std::move(text));
}

RuleLocation Choose(std::optional<RuleFolderValue> machine, std::optional<RuleFolderValue> user) {
    return ChooseRuleLocation({std::move(machine), std::move(user)}, u"C:\\KEP");
}

// A value that is there wins, whatever it holds: one that cannot be used is no "no setting".
TEST(RuleFolder, MachineWinsOverUserWhichWinsOverTheModulesFolder) {
    EXPECT_EQ(Choose(Sz(u"\\\\srv\\cam"), Sz(u"D:\\mine")).source, RuleFolderSource::Machine);
    EXPECT_EQ(Choose(std::nullopt, Sz(u"D:\\mine")).file, u"D:\\mine\\Quillet.def");
    const RuleLocation none = Choose(std::nullopt, std::nullopt);
    EXPECT_EQ(none.file, u"C:\\KEP\\Quillet.def");
    EXPECT_FALSE(none.configured());
    EXPECT_TRUE(none.usable());
    const RuleLocation broken = Choose(Sz(u""), Sz(u"D:\\mine"));
    EXPECT_EQ(broken.source, RuleFolderSource::Machine);
    EXPECT_FALSE(broken.usable());
    EXPECT_TRUE(broken.file.empty());
}

TEST(RuleFolder, FinalSeparatorsBlanksAndQuotesAreDroppedButADrivesRootKeepsItsBackslash) {
    EXPECT_EQ(Choose(Sz(u"\\\\srv\\share\\cam\\\\"), {}).folder, u"\\\\srv\\share\\cam");
    EXPECT_EQ(Choose(Sz(u" \"D:\\shop rules/\" "), {}).file, u"D:\\shop rules\\Quillet.def");
    const RuleLocation root = Choose(Sz(u"E:\\\\"), {});  // "E:" is the drive's current folder
    EXPECT_EQ(root.folder, u"E:\\");
    EXPECT_EQ(root.file, u"E:\\Quillet.def");
    EXPECT_EQ(Choose(Sz(u"\\\\?\\D:\\cam"), {}).file, u"\\\\?\\D:\\cam\\Quillet.def");
}

// Each value that cannot name a folder, and why; the words name the value and its type.
TEST(RuleFolder, ValuesThatCannotNameAFolderAreToldWithTheirReason) {
    using enum RuleFolderFault;
    const struct {
        RuleFolderValue value;
        RuleFolderFault fault;
        std::u16string_view said;
    } cases[] = {
        {{4, {}, {}}, NotText, u"(REG_DWORD)"},
        {{7, {}, {}}, NotText, u"(REG_MULTI_SZ)"},
        {{42, {}, {}}, NotText, u"(유형 42)"},
        {Sz(u""), Empty, u"비어 있어"},
        {Sz(u" \"\" "), Empty, u"비어 있어"},
        {Sz(u"\\"), Empty, u"비어 있어"},
        {Sz(u"cam"), Relative, u"\"cam\": 상대 경로"},
        {Sz(u"C:cam"), Relative, u"상대 경로"},
        {Sz(u"\\cam"), Relative, u"상대 경로"},
        {{2, u"%NOPE%\\cam", u"%NOPE%\\cam"}, UnexpandedVariable, u"%NOPE%이(가) 정의되어"},
        {Sz(u"%USERPROFILE%\\cam"), UnexpandedVariable, u"REG_SZ 값에서 풀리지"},
    };
    for (const auto& c : cases) {
        const RuleLocation location = Choose(std::nullopt, c.value);
        const std::u16string text = RuleFolderFaultText(location);
        EXPECT_EQ(location.fault, c.fault) << testing::PrintToString(text);
        EXPECT_EQ(location.source, RuleFolderSource::User);
        EXPECT_NE(text.find(u"HKCU\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\RuleFolder"), text.npos);
        EXPECT_NE(text.find(c.said), text.npos) << testing::PrintToString(text);
    }
    EXPECT_TRUE(Choose({RuleFolderValue{2, u"%S%\\cam", u"\\\\srv\\cam"}}, {}).usable());
    EXPECT_TRUE(RuleFolderFaultText(Choose(Sz(u"D:\\cam"), {})).empty());
}

TEST(RuleFolder, SeatFilesLieInTheRuleFoldersJournalFolder) {
    EXPECT_EQ(SeatJournalPath(u"\\\\server\\cam", u"CAM1"), u"\\\\server\\cam\\journal\\CAM1.csv");
    EXPECT_EQ(SeatJournalPath(u"D:\\", u"CAM1"), u"D:\\journal\\CAM1.csv");
    EXPECT_EQ(JournalFolderIn(u"\\\\server\\cam\\"), u"\\\\server\\cam\\journal");
}

TEST(RuleFolder, LocalCopiesAreNamedByFileAndOrigin) {
    EXPECT_EQ(LocalCopyNameFor(u"\\\\SRV\\Cam\\Quillet.def"),
              LocalCopyNameFor(u"\\\\srv\\cam\\quillet.def"));
    EXPECT_NE(LocalCopyNameFor(u"\\\\srv\\cam\\Quillet.def"),
              LocalCopyNameFor(u"\\\\srv\\cam2\\Quillet.def"));
    const std::u16string read = LocalCopyNameFor(u"\\\\srv\\cam\\Quillet.def", CopyOrigin::Read);
    const std::u16string saved = LocalCopyNameFor(u"\\\\srv\\cam\\Quillet.def", CopyOrigin::Saved);
    EXPECT_TRUE(read.ends_with(u".def") && !read.ends_with(u".saved.def"));
    EXPECT_EQ(saved, read.substr(0, read.size() - 4) + u".saved.def");
}

}  // namespace

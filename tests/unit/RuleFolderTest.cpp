#include "rules/RuleFolder.h"

#include <gtest/gtest.h>

namespace {

constexpr char16_t kModule[] = u"C:\\KEP\\Modules";

RuleLocation Choose(std::optional<std::u16string> machine, std::optional<std::u16string> user) {
    return ChooseRuleLocation({std::move(machine), std::move(user)}, kModule);
}

TEST(RuleFolderTest, MachineWinsOverUserWhichWinsOverTheModulesFolder) {
    const RuleLocation both = Choose(u"\\\\srv\\cam", u"D:\\mine");
    EXPECT_EQ(both.source, RuleFolderSource::Machine);
    EXPECT_EQ(both.file, u"\\\\srv\\cam\\Quillet.def");
    EXPECT_TRUE(both.configured());

    const RuleLocation user = Choose(std::nullopt, u"D:\\mine");
    EXPECT_EQ(user.source, RuleFolderSource::User);
    EXPECT_EQ(user.file, u"D:\\mine\\Quillet.def");

    const RuleLocation none = Choose(std::nullopt, std::nullopt);
    EXPECT_EQ(none.source, RuleFolderSource::ModuleFolder);
    EXPECT_EQ(none.folder, kModule);
    EXPECT_EQ(none.file, u"C:\\KEP\\Modules\\Quillet.def");
    EXPECT_FALSE(none.configured());
}

TEST(RuleFolderTest, AValueWithNothingInItCountsAsNoValue) {
    for (const std::u16string empty : {u"", u"  \t", u"\"\"", u"\\", u" \"\\\\\" "}) {
        EXPECT_EQ(Choose(empty, u"D:\\mine").source, RuleFolderSource::User);
        EXPECT_EQ(Choose(std::nullopt, empty).source, RuleFolderSource::ModuleFolder);
    }
}

TEST(RuleFolderTest, FinalSeparatorsBlanksAndQuotesAreDropped) {
    EXPECT_EQ(Choose(u"\\\\srv\\share\\cam\\\\", {}).folder, u"\\\\srv\\share\\cam");
    EXPECT_EQ(Choose(u" \"D:\\shop rules/\" ", {}).file, u"D:\\shop rules\\Quillet.def");
    // A drive's root keeps its backslash: "E:" alone is the drive's current folder.
    const RuleLocation root = Choose(u"E:\\\\", {});
    EXPECT_EQ(root.folder, u"E:\\");
    EXPECT_EQ(root.file, u"E:\\Quillet.def");
    // A long path is passed on whole; the file port makes it usable.
    const std::u16string deep = u"\\\\srv\\share\\" + std::u16string(300, u'd');
    EXPECT_EQ(Choose(deep + u"\\", {}).file, deep + u"\\Quillet.def");
}

TEST(RuleFolderTest, LocalCopyNamesTellFoldersApartButNotTheirLetterCase) {
    const std::u16string shared = LocalCopyNameFor(u"\\\\SRV\\Cam\\Quillet.def");
    EXPECT_EQ(shared, LocalCopyNameFor(u"\\\\srv\\cam\\quillet.def"));
    EXPECT_NE(shared, LocalCopyNameFor(u"\\\\srv\\cam2\\Quillet.def"));
    EXPECT_EQ(shared.size(), 20u);
}

}  // namespace

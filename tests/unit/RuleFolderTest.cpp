#include "rules/RuleFolder.h"

#include <gtest/gtest.h>

namespace {

RuleLocation Choose(std::optional<std::u16string> machine, std::optional<std::u16string> user) {
    return ChooseRuleLocation({std::move(machine), std::move(user)}, u"C:\\KEP");
}

TEST(RuleFolder, MachineWinsOverUserWhichWinsOverTheModulesFolderAndEmptyValuesCountAsNone) {
    EXPECT_EQ(Choose(u"\\\\srv\\cam", u"D:\\mine").source, RuleFolderSource::Machine);
    EXPECT_EQ(Choose(std::nullopt, u"D:\\mine").file, u"D:\\mine\\Quillet.def");
    const RuleLocation none = Choose(std::nullopt, std::nullopt);
    EXPECT_EQ(none.file, u"C:\\KEP\\Quillet.def");
    EXPECT_FALSE(none.configured());
    for (const std::u16string empty : {u"", u"  \t", u"\"\"", u"\\", u" \"\\\\\" "}) {
        EXPECT_EQ(Choose(empty, u"D:\\mine").source, RuleFolderSource::User);
        EXPECT_EQ(Choose(std::nullopt, empty).source, RuleFolderSource::ModuleFolder);
    }
}

TEST(RuleFolder, FinalSeparatorsBlanksAndQuotesAreDroppedButADrivesRootKeepsItsBackslash) {
    EXPECT_EQ(Choose(u"\\\\srv\\share\\cam\\\\", {}).folder, u"\\\\srv\\share\\cam");
    EXPECT_EQ(Choose(u" \"D:\\shop rules/\" ", {}).file, u"D:\\shop rules\\Quillet.def");
    const RuleLocation root = Choose(u"E:\\\\", {});  // "E:" is the drive's current folder
    EXPECT_EQ(root.folder, u"E:\\");
    EXPECT_EQ(root.file, u"E:\\Quillet.def");
    EXPECT_EQ(LocalCopyNameFor(u"\\\\SRV\\Cam\\Quillet.def"),
              LocalCopyNameFor(u"\\\\srv\\cam\\quillet.def"));
    EXPECT_NE(LocalCopyNameFor(u"\\\\srv\\cam\\Quillet.def"),
              LocalCopyNameFor(u"\\\\srv\\cam2\\Quillet.def"));
}

}  // namespace

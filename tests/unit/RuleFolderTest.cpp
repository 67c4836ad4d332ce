#include "rules/RuleFolder.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "FakeFiles.h"
#include "texts/RuleFolderText.h"

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

TEST(RuleFolder, PolicyWinsOverMachineAndUserAndItsRemovalGivesBackTheMachines) {
    RuleFolderValues values{Sz(u"\\\\srv\\old"), Sz(u"D:\\mine"), Sz(u"\\\\srv\\policy")};
    const RuleLocation byPolicy = ChooseRuleLocation(values, u"C:\\KEP");
    EXPECT_EQ(byPolicy.source, RuleFolderSource::Policy);
    EXPECT_EQ(byPolicy.file, u"\\\\srv\\policy\\Quillet.def");
    EXPECT_EQ(RuleFolderSettingName(byPolicy.source),
              u"HKLM\\SOFTWARE\\Policies\\Ferrimount\\KEP\\Quillet\\RuleFolder");
    values.policy = Sz(u"cam");  // a policy that cannot be used still decides
    EXPECT_EQ(ChooseRuleLocation(values, u"C:\\KEP").fault, RuleFolderFault::Relative);
    values.policy.reset();
    EXPECT_EQ(ChooseRuleLocation(values, u"C:\\KEP").file, u"\\\\srv\\old\\Quillet.def");
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

// The copy a load stands in with: this folder's newer copy (the file read's at the same second),
// or for a setting that cannot be used the newest copy of any folder; none for the module's own.
TEST(RuleFolder, StandInCopyIsTheNewerOfTheFoldersCopiesOrTheNewestOfAll) {
    const FilePath copies = u"C:\\u\\Quillet";
    const RuleLocation cam = Choose(Sz(u"\\\\srv\\cam"), {});
    const FilePath read = copies + u"\\" + LocalCopyNameFor(cam.file, CopyOrigin::Read);
    const FilePath saved = copies + u"\\" + LocalCopyNameFor(cam.file, CopyOrigin::Saved);
    const FilePath other = copies + u"\\" + LocalCopyNameFor(u"D:\\x\\Quillet.def");
    const auto copyOf = [&](const RuleLocation& location,
                            std::initializer_list<std::pair<FilePath, int64_t>> files) {
        FakeFiles fake;
        fake.entries[copies].kind = FileKind::Folder;
        for (const auto& [path, modified] : files)
            fake.entries[path] = {"x", FileKind::File, modified};
        const std::optional<LocalRuleCopy> copy = StandInCopy(fake, copies, location);
        return copy ? Narrow(copy->path) + "@" + std::to_string(copy->modified.value_or(-1)) +
                          (copy->origin == CopyOrigin::Saved ? " saved" : " read")
                    : std::string("none");
    };
    const std::string readAt = Narrow(read) + "@", savedAt = Narrow(saved) + "@";
    EXPECT_EQ(copyOf(cam, {{read, 100}, {saved, 200}, {other, 300}}), savedAt + "200 saved");
    EXPECT_EQ(copyOf(cam, {{read, 300}, {saved, 200}}), readAt + "300 read");
    EXPECT_EQ(copyOf(cam, {{read, 200}, {saved, 200}}), readAt + "200 read");
    EXPECT_EQ(copyOf(cam, {{other, 300}}), "none");
    const RuleLocation unusable = Choose(RuleFolderValue{4, {}, {}}, {});
    EXPECT_EQ(copyOf(unusable, {{read, 100}, {other, 300}, {copies + u"\\journal.csv", 900}}),
              Narrow(other) + "@300 read");
    EXPECT_EQ(copyOf(unusable, {{copies + u"\\journal.csv", 900}}), "none");
    EXPECT_EQ(copyOf(Choose({}, {}), {{read, 100}}), "none");
    FakeFiles empty;
    EXPECT_FALSE(StandInCopy(empty, copies, unusable).has_value());  // no folder of copies
    EXPECT_FALSE(StandInCopy(empty, u"", cam).has_value());
}

}  // namespace

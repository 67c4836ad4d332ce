#include "seat/RuleSession.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "FakeFiles.h"

namespace {

const FilePath kModule = u"C:\\KEP";
const FilePath kShare = u"\\\\srv\\cam";
const FilePath kShared = u"\\\\srv\\cam\\Quillet.def";
const FilePath kBackup = u"\\\\srv\\cam\\Quillet.def.bak";
const FilePath kOwn = u"C:\\Users\\kim\\AppData\\Local\\Quillet";

const HoleRule kA{1, u"101", u"199", u"8.1", u"8.99", u"8.5"};
const HoleRule kB{1, u"301", u"", u"10", u"", u"10.2"};
const HoleRule kC{0, u"401", u"", u"12", u"", u"12.5"};
const HoleRule kD{1, u"501", u"", u"14", u"", u"14.5"};

RuleTable Table(std::initializer_list<HoleRule> rules) {
    RuleTable table;
    for (const HoleRule& rule : rules) table.Append(rule);
    return table;
}

std::string Bytes(std::initializer_list<HoleRule> rules) {
    return EncodeRuleFile(Table(rules));
}

std::u16string NoLegacy(std::span<const unsigned char>) {
    return u"?";
}

SeatPlaces Places(std::optional<std::u16string> ruleFolder) {
    SeatPlaces places;
    if (ruleFolder) places.values.user = RuleFolderValue::Text(*ruleFolder);
    places.location = ChooseRuleLocation(places.values, kModule);
    places.moduleFolder = kModule;
    places.ownFolder = kOwn;
    return places;
}

const SeatPlaces kSharedSeat = Places(kShare);

FilePath CopyOf(const FilePath& file, CopyOrigin origin) {
    return kOwn + u"\\" + LocalCopyNameFor(file, origin);
}

const FilePath kReadCopy = CopyOf(kShared, CopyOrigin::Read);
const FilePath kSavedCopy = CopyOf(kShared, CopyOrigin::Saved);

// Records what the session tells, one word each (and the file it is about), and answers its
// question with `answer`.
class FakeUser final : public RuleSessionUser {
public:
    std::vector<std::string> told;
    std::vector<std::pair<FilePath, bool>> asked;
    std::function<bool()> answer = [] { return false; };
    std::optional<ReplacedRulesNotice> replaced;

    void TellRuleFileLoad(const RuleFileLoad& load) override {
        told.push_back(load.succeeded() ? "read" : "read failed");
    }
    void TellLocalCopyInUse(const RuleLocation&, const LocalRuleCopy& copy) override {
        told.push_back("copy " + Narrow(copy.path));
    }
    void TellNoRuleFileInFolder(const RuleLocation&,
                                const std::optional<FilePath>& besideModule) override {
        told.push_back("no file" + (besideModule ? " beside " + Narrow(*besideModule) : ""));
    }
    void TellUnusableRuleFolder(const RuleLocation&,
                                const std::optional<LocalRuleCopy>& copy) override {
        told.push_back("unusable " + (copy ? Narrow(copy->path) : std::string("no copy")));
    }
    void TellRulesReplaced(const ReplacedRulesNotice& notice) override {
        told.push_back("replaced");
        replaced = notice;
    }
    void TellNoFolderToSaveTo(const RuleLocation&) override { told.push_back("no folder"); }
    void TellSaveFailed(const FileSave&) override { told.push_back("save failed"); }
    bool AskToReplaceChangedFile(const FilePath& path, bool unreadableAtLoad) override {
        asked.emplace_back(path, unreadableAtLoad);
        return answer();
    }
};

class RuleSessionTest : public testing::Test {
protected:
    RuleSessionTest() {
        files.entries[kShare].kind = FileKind::Folder;
        files.entries[kOwn].kind = FileKind::Folder;
    }

    void Put(const FilePath& path, std::string bytes, int64_t modified = 0) {
        files.entries[path] = {std::move(bytes), FileKind::File, modified};
    }
    std::vector<std::string> LoadTold(const SeatPlaces& places = kSharedSeat) {
        user.told.clear();
        session.Load(places);
        return user.told;
    }
    TableSave SaveEdited(std::initializer_list<HoleRule> rules) {
        session.TakeEdited(Table(rules));
        user.told.clear();
        return session.Save();
    }

    FakeFiles files;
    FakeUser user;
    RuleSession session{files, user, NoLegacy};
};

using Told = std::vector<std::string>;

TEST_F(RuleSessionTest, ANamedFolderIsReadAndCopiedTheModulesFolderOnlyRead) {
    Put(kShared, Bytes({kA, kB}));
    EXPECT_EQ(LoadTold(), Told{"read"});
    EXPECT_EQ(session.table().count(), 2);
    EXPECT_EQ(files.Bytes(kReadCopy), Bytes({kA, kB}));

    FakeFiles before = files;
    Put(kModule + u"\\Quillet.def", Bytes({kC}));
    EXPECT_EQ(LoadTold(Places(std::nullopt)), Told{"read"});
    EXPECT_EQ(session.table().rule(1), kC);
    EXPECT_EQ(files.Files().size(), before.Files().size() + 1);  // no copy of it
}

TEST_F(RuleSessionTest, AFolderOutOfReachStandsInWithTheNewerCopyElseTellsTheError) {
    files.entries.erase(kShare);
    Put(kReadCopy, Bytes({kA}), 100);
    Put(kSavedCopy, Bytes({kA, kB}), 200);
    EXPECT_EQ(LoadTold(), Told{"copy " + Narrow(kSavedCopy)});
    EXPECT_EQ(session.table().count(), 2);
    EXPECT_EQ(session.RulesInForceBytes(), Bytes({kA, kB}));

    files.entries[kSavedCopy].kind = FileKind::Folder;  // no file: no stand-in
    EXPECT_EQ(LoadTold(), Told{"copy " + Narrow(kReadCopy)});
    files.entries.clear();
    EXPECT_EQ(LoadTold(), Told{"read failed"});
    EXPECT_EQ(session.table().count(), 0);
    EXPECT_EQ(session.RulesInForceBytes(), std::nullopt);

    files.entries[kShare].kind = FileKind::Folder;  // reached, but holds no rule file
    EXPECT_EQ(LoadTold(), Told{"no file"});
    Put(kModule + u"\\Quillet.def", Bytes({kA}));  // the seat's table before it moved
    EXPECT_EQ(LoadTold(), Told{"no file beside C:\\KEP\\Quillet.def"});
}

TEST_F(RuleSessionTest, AnUnusableSettingStandsInWithTheNewestCopyOfAnyFolderAndSavesNothing) {
    const FilePath other = CopyOf(u"D:\\old\\Quillet.def", CopyOrigin::Read);
    Put(kReadCopy, Bytes({kA}), 100);
    Put(other, Bytes({kB}), 300);
    EXPECT_EQ(LoadTold(Places(u"cam")), Told{"unusable " + Narrow(other)});
    EXPECT_EQ(session.table().rule(1), kB);

    const auto before = files.Files();
    const TableSave save = SaveEdited({kC});
    EXPECT_EQ(save.outcome, TableSave::Outcome::NoFolder);
    EXPECT_EQ(user.told, Told{"no folder"});
    EXPECT_EQ(files.Files(), before);

    files.entries.clear();
    EXPECT_EQ(LoadTold(Places(u"cam")), Told{"unusable no copy"});
    EXPECT_EQ(session.table().count(), 0);
}

// Another seat's save replaced this seat's: told once, with where the rules are kept.
TEST_F(RuleSessionTest, RulesThisSeatSavedThatTheFileNoLongerHoldsAreToldOnce) {
    Put(kShared, Bytes({kA, kB}));
    session.Load(kSharedSeat);
    ASSERT_TRUE(SaveEdited({kA, kB, kC}).saved());
    EXPECT_EQ(files.Bytes(kSavedCopy), Bytes({kA, kB, kC}));
    EXPECT_FALSE(files.Bytes(kReadCopy));  // the saved copy is the latest table known
    EXPECT_EQ(LoadTold(), Told{"read"});   // the seat's own save is nothing new

    Put(kShared, Bytes({kA, kD}));  // the other seat's save backs this seat's up
    Put(kBackup, Bytes({kA, kB, kC}));
    EXPECT_EQ(LoadTold(), (Told{"replaced", "read"}));
    ASSERT_TRUE(user.replaced);
    EXPECT_EQ(user.replaced->file, kShared);
    EXPECT_EQ(user.replaced->replaced.gone(), 2);
    EXPECT_EQ(user.replaced->keptIn, kBackup);
    EXPECT_EQ(user.replaced->ownCopy, kSavedCopy);
    EXPECT_EQ(session.table().rule(2), kD);
    EXPECT_EQ(LoadTold(), Told{"read"});
}

// The names and the order of kept copies are the store's (RuleStoreTest).
TEST_F(RuleSessionTest, ReplacedRulesAreFoundInTheBackupElseTheNewestKeptCopyThatHoldsThemAll) {
    const FilePath older = KeptCopyPathOf(kShared, {2026, 1, 1, 0, 0, 0}, 0);
    const FilePath newer = KeptCopyPathOf(kShared, {2026, 3, 4, 5, 6, 7}, 0);
    Put(kSavedCopy, Bytes({kA, kB, kC}));
    Put(kShared, Bytes({kA}));
    Put(older, Bytes({kA, kB, kC}));
    const auto keptIn = [&](std::initializer_list<HoleRule> backup,
                            std::initializer_list<HoleRule> inNewer) {
        Put(kBackup, Bytes(backup));
        Put(newer, Bytes(inNewer));
        files.entries.erase(kReadCopy);  // the file is new to this seat at each load
        user.replaced.reset();
        session.Load(kSharedSeat);
        EXPECT_TRUE(user.replaced);
        return user.replaced ? user.replaced->keptIn : std::nullopt;
    };
    EXPECT_EQ(keptIn({kA, kB, kC}, {kA, kB, kC}), kBackup);
    EXPECT_EQ(keptIn({kA, kB}, {kA, kB, kC}), newer);
    EXPECT_EQ(keptIn({kA, kB}, {kA, kC}), older);
    files.entries.erase(older);
    EXPECT_EQ(keptIn({kA}, {kA}), std::nullopt);
}

// What a save replaced and wrote, for the code that records it (the sweep below checks a
// save over the file the load read).
TEST_F(RuleSessionTest, ASaveTellsWhatItReplacedAlsoWhenTheFileHeldTheTableOrWasNotThere) {
    Put(kShared, Bytes({kA}));
    session.Load(kSharedSeat);
    TableSave save = session.Save();
    EXPECT_EQ(save.outcome, TableSave::Outcome::Saved);
    EXPECT_EQ(save.before, (FileContents{true, Bytes({kA})}));
    EXPECT_EQ(save.after, Bytes({kA}));

    files.entries.erase(kShared);
    session.Load(kSharedSeat);
    save = SaveEdited({kC});
    EXPECT_EQ(save.before, FileContents{});
    EXPECT_EQ(files.Bytes(kShared), save.after);
    EXPECT_EQ(session.RulesInForceBytes(), save.after);
    EXPECT_TRUE(user.asked.empty());
}

// Each yes agrees to replace exactly the file asked about; a no leaves the file and keeps the
// edited table. A file the load could not read is asked about as such.
TEST_F(RuleSessionTest, AFileTheLoadDidNotReadIsReplacedOnlyWhenTheUserSaysSo) {
    using Asked = std::vector<std::pair<FilePath, bool>>;
    Put(kShared, Bytes({kA}));
    files.failAt = 0;
    EXPECT_EQ(LoadTold(), Told{"read failed"});
    EXPECT_EQ(SaveEdited({kB}).outcome, TableSave::Outcome::Declined);
    EXPECT_EQ(user.asked, (Asked{{kShared, true}}));

    user.asked.clear();
    session.Load(kSharedSeat);
    Put(kShared, Bytes({kD}));
    TableSave save = SaveEdited({kA, kB});
    EXPECT_EQ(save.outcome, TableSave::Outcome::Declined);
    EXPECT_EQ(user.asked, (Asked{{kShared, false}}));
    EXPECT_EQ(files.Bytes(kShared), Bytes({kD}));
    EXPECT_EQ(session.RulesInForceBytes(), Bytes({kA, kB}));

    int answers = 0;
    user.answer = [&] {
        if (++answers == 1) Put(kShared, Bytes({kC}));  // changed once more meanwhile
        return true;
    };
    save = session.Save();
    EXPECT_EQ(save.outcome, TableSave::Outcome::Saved);
    EXPECT_EQ(answers, 2);
    EXPECT_EQ(save.before, (FileContents{true, Bytes({kC})}));
    EXPECT_EQ(files.Bytes(kShared), Bytes({kA, kB}));
    EXPECT_EQ(files.Bytes(kBackup), Bytes({kC}));
    EXPECT_EQ(files.Bytes(kShared + u".20260304-050607.bak"), Bytes({kC}));  // rules not kept
}

// Whatever step of a load fails, the rule file is untouched, the table is the file's or the
// user is told why not, and no copy holds anything but a whole table.
TEST_F(RuleSessionTest, AFailureAtAnyStepOfALoadLosesNothing) {
    int step = 0;
    for (;; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        FakeFiles start;
        start.entries[kShare].kind = FileKind::Folder;
        start.entries[kShared].bytes = Bytes({kA, kD});
        start.entries[kSavedCopy].bytes = Bytes({kA, kB});
        start.entries[kBackup].bytes = Bytes({kA, kB});
        files = start;
        files.failAt = step;
        files.failTimes = 100;
        const Told told = LoadTold();
        EXPECT_EQ(files.Bytes(kShared), start.Bytes(kShared));
        if (session.table().count() == 0) {
            EXPECT_EQ(told, Told{"read failed"});
        }
        for (const auto& [path, bytes] : files.Files()) {
            if (!path.starts_with(kOwn + u"\\")) continue;
            EXPECT_TRUE(path == kReadCopy || path == kSavedCopy) << Narrow(path);
            EXPECT_TRUE(bytes == Bytes({kA, kD}) || bytes == Bytes({kA, kB}));
        }
        if (files.steps <= step) break;
    }
    EXPECT_GE(step, 7);  // the file, both copies, the backup; the copy's folder, write, rename
}

// Whatever step of a save fails (with or without the question; that step alone, or every
// step from it on), the rule file holds what it held or the whole table, the outcome says
// which, a failure is told once, and this seat's copies follow the file.
TEST_F(RuleSessionTest, AFailureAtAnyStepOfASaveLeavesTheFileAsItWasAndIsTold) {
    for (const auto& [changedSinceLoad, failTimes] :
         {std::pair(false, 1), std::pair(false, 100), std::pair(true, 1), std::pair(true, 100)}) {
        int step = 0;
        for (;; ++step) {
            SCOPED_TRACE("step " + std::to_string(step) + " failing " + std::to_string(failTimes) +
                         (changedSinceLoad ? ", changed since the load" : ""));
            files = {};
            files.entries[kShare].kind = FileKind::Folder;
            Put(kShared, Bytes({kA}));
            session.Load(kSharedSeat);
            const std::string held = changedSinceLoad ? Bytes({kD}) : Bytes({kA});
            Put(kShared, held);
            user.answer = [] { return true; };
            files.steps = 0;
            files.failAt = step;
            files.failTimes = failTimes;
            const TableSave save = SaveEdited({kA, kB});
            const std::optional<std::string> now = files.Bytes(kShared);
            if (save.saved()) {
                EXPECT_EQ(now, save.after);
                EXPECT_EQ(save.after, Bytes({kA, kB}));
                EXPECT_EQ(save.before, (FileContents{true, held}));
                EXPECT_TRUE(user.told.empty());
            } else {
                EXPECT_EQ(save.outcome, TableSave::Outcome::Failed);
                EXPECT_EQ(now, held);
                EXPECT_EQ(user.told, Told{"save failed"});
                EXPECT_FALSE(files.Bytes(kSavedCopy));
            }
            if (changedSinceLoad && save.saved()) {
                EXPECT_EQ(files.Bytes(kShared + u".20260304-050607.bak"), held);
            }
            EXPECT_TRUE(files.Bytes(kReadCopy) || files.Bytes(kSavedCopy));
            if (files.steps <= step) break;
        }
        EXPECT_GE(step, 7);
    }
}

}  // namespace

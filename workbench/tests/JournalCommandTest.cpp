// quillet-rules journal over several seats' journal files in a rule folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "command/RewriteJournal.h"
#include "journal/RuleTables.h"
#include "journal/Sha256.h"
#include "platform/SystemFilePort.h"
#include "rules/RuleFileFormat.h"
#include "rules/RuleFolder.h"
#include "workbench/JournalCommand.h"
#include "workbench/Workbench.h"

namespace fs = std::filesystem;

namespace {

const std::string kHead =
    "\xEF\xBB\xBFtime,user,computer,action,rewrite,rule_file,rule_file_sha256,hole,step,code,"
    "before,after,rules\r\n";

// CAM1 runs on +09:00, CAM2 on +01:00: in time order CAM1's rewrite, CAM2's, CAM1's undo.
const std::string kCam1 =
    kHead +
    "2024-05-01T14:03:07.250+09:00,kim,CAM1,rewrite,aa,Q.def,00,12,1,101,8.3,8.6,\"1, 7\"\r\n"
    "2024-05-01T14:03:07.250+09:00,kim,CAM1,rewrite,aa,Q.def,00,12,2,101,8.2,8.5,1\r\n"
    "2024-05-01T14:03:07.250+09:00,kim,CAM1,rewrite,aa,Q.def,00,14,1,116,8.3,8.6,\"1, 7\"\r\n"
    "2024-05-01T15:00:00.000+09:00,kim,CAM1,undo,aa,Q.def,00,12,2,101,8.5,8.2,1\r\n";
const std::string kCam2 =
    kHead +
    "2024-05-01T06:30:00.000+01:00,lee\x1B[31m,CAM2,rewrite,bb,Q.def,00,3,1,201,6.9,6.8,2\r\n";

class JournalCommand : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "journal-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        fs::create_directory(folder_ / "journal");
        Write("journal/CAM1.csv", kCam1);
        Write("journal/CAM2.csv", kCam2);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Write(const char* name, const std::string& bytes) const {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
        return (folder_ / name).string();
    }
    int Run(std::vector<std::string> args, const RuleLocation* seat = nullptr) {
        out_.str("");
        err_.str("");
        args.insert(args.begin(), "journal");
        const Seat seen{{}, seat ? *seat : RuleLocation{}, {}};
        return RunWorkbench(args, out_, err_, files_, false, seat ? &seen : nullptr);
    }

    fs::path folder_;
    std::ostringstream out_, err_;
    SystemFilePort files_;
};

TEST_F(JournalCommand, ReadsEverySeatsFileOfARuleFolderInTimeOrder) {
    const std::string all =
        "2024-05-01 14:03:07+09:00  kim  CAM1  수정  구멍 2개, 단계 3개  규칙 1: 단계 3개, 규칙 "
        "7: 단계 2개\n"
        "2024-05-01 06:30:00+01:00  lee\\x1B[31m  CAM2  수정  구멍 1개, 단계 1개  규칙 2: 단계 "
        "1개\n"
        "2024-05-01 15:00:00+09:00  kim  CAM1  되돌리기  구멍 1개, 단계 1개  규칙 1: 단계 1개\n";
    EXPECT_EQ(Run({folder_.string()}), kExitClean);
    EXPECT_EQ(out_.str(), all);
    // The journal folder itself, and a seat's own journal given beside it, say the same.
    EXPECT_EQ(Run({(folder_ / "journal").string(), (folder_ / "journal/CAM1.csv").string()}),
              kExitClean);
    EXPECT_EQ(out_.str(), all);
    const RuleLocation seat =
        ChooseRuleLocation({RuleFolderValue::Text(folder_.u16string()), std::nullopt}, u"/m");
    EXPECT_EQ(Run({}, &seat), kExitClean);
    EXPECT_EQ(out_.str(), all);
}

TEST_F(JournalCommand, SinceAndHoleChooseRowsAndDetailsListThem) {
    // Without an offset a time is each seat's own clock; with one, an instant.
    EXPECT_EQ(Run({folder_.string(), "--since", "2024-05-01T14:30"}), kExitClean);
    EXPECT_EQ(out_.str(),
              "2024-05-01 15:00:00+09:00  kim  CAM1  되돌리기  구멍 1개, 단계 1개  "
              "규칙 1: 단계 1개\n");
    EXPECT_EQ(Run({folder_.string(), "--since", "2024-05-01T05:10Z"}), kExitClean);
    EXPECT_EQ(out_.str().find("CAM1  수정"), std::string::npos);
    EXPECT_NE(out_.str().find("CAM2  수정"), std::string::npos);

    EXPECT_EQ(Run({folder_.string(), "--hole", "14", "--details"}), kExitClean);
    EXPECT_EQ(out_.str(),
              "2024-05-01 14:03:07+09:00  kim  CAM1  수정  구멍 1개, 단계 1개  규칙 1: 단계 1개, "
              "규칙 7: 단계 1개\n"
              "    구멍 14 단계 1 코드 116: 8.3 → 8.6 (규칙 1, 7)\n");
    EXPECT_EQ(Run({folder_.string(), "--hole", "99"}), kExitClean);
    EXPECT_EQ(out_.str(), "기록이 없습니다.\n");
}

TEST_F(JournalCommand, TellsWhyEachRowLeftOutWasNotRead) {
    Write("journal/CAM3.csv",
          kHead + "2024-05-01T16:00:00+09:00,x,CAM3,rewrite,cc,Q,00,1,1\r\n" +
              "2024-05-01T16:00:00+09:00,x,CAM3,rewrite,cc,Q,00,1,1,101,8.3,8.6,\"1, -7\"\r\n");
    EXPECT_EQ(Run({(folder_ / "journal/CAM3.csv").string()}), kExitWarnings);
    const std::string file = (folder_ / "journal/CAM3.csv").string();
    EXPECT_EQ(err_.str(), file + ":2: 열이 9개입니다 (이 줄은 읽지 않았습니다)\n" + file +
                              ":3: rules가 규칙 번호 목록이 아닙니다: 1, -7 (이 줄은 읽지 " +
                              "않았습니다)\n");
}

TEST_F(JournalCommand, JsonAndCsvCarryTheActsAndTheRowsLeftOut) {
    Write("journal/CAM3.csv", kHead + "2024-05-01T16:00:00+09:00,x,CAM3,rewrite,cc,Q,00,1,1");
    EXPECT_EQ(Run({folder_.string(), "--json", "--details"}), kExitWarnings);
    const auto json = nlohmann::json::parse(out_.str());
    ASSERT_EQ(json["acts"].size(), 3u);
    EXPECT_EQ(json["acts"][1]["user"], "lee\x1B[31m");
    EXPECT_EQ(json["acts"][0]["rows"][0]["rules"], nlohmann::json::parse("[1,7]"));
    EXPECT_EQ(json["acts"][2]["action"], "undo");
    ASSERT_EQ(json["problems"].size(), 1u);
    EXPECT_EQ(json["problems"][0]["line"], 2);

    EXPECT_EQ(Run({(folder_ / "journal/CAM2.csv").string(), "--csv"}), kExitClean);
    EXPECT_EQ(out_.str(),
              "time,user,computer,act,action,holes,steps,rule_steps,rule_file,table,cut\r\n"
              "2024-05-01T06:30:00+01:00,lee\x1B[31m,CAM2,,rewrite,1,1,2: 1,Q.def,00,\r\n");
    EXPECT_EQ(Run({(folder_ / "journal/CAM2.csv").string(), "--csv", "--details"}), kExitClean);
    EXPECT_EQ(out_.str(), std::string(kJournalHeader) +
                              ",cut\r\n2024-05-01T06:30:00+01:00,lee\x1B[31m,CAM2,,rewrite,3,1,201,"
                              "6.9,6.8,2,,\r\n");
}

TEST_F(JournalCommand, SeatFilesNamedInAnyBytesAreListedReadAndNamedEscaped) {
    // A seat whose computer name the system gave as bytes that are not UTF-8, and a row cut
    // short: the listing must hand the name back unchanged for it to be read at all.
    Write("journal/\xFF\xE2\x80\xAE.csv",
          kHead +
              "2024-05-01T16:00:00.000+09:00,park,CAM3,rewrite,cc,Q.def,00,5,1,301,5,5.1,3\r\n"
              "2024-05-01T16:00:00.000+09:00,park,CAM3,rewrite,cc,Q.def,00,6,1");
    fs::create_directory(folder_ / "journal/old.csv");  // a folder is no journal file
    EXPECT_EQ(Run({folder_.string()}), kExitWarnings);
    EXPECT_NE(out_.str().find("park  CAM3  수정  구멍 1개, 단계 1개"), std::string::npos);
    EXPECT_NE(err_.str().find("journal/\\xFF\\u202E.csv:3: "), std::string::npos) << err_.str();
}

TEST_F(JournalCommand, ExitStatusAsTheOtherCommands) {
    fs::create_directory(folder_ / "empty");
    EXPECT_EQ(Run({(folder_ / "empty").string()}), kExitFileFailed);
    for (const std::vector<std::string>& usage :
         std::vector<std::vector<std::string>>{{},
                                               {folder_.string(), "--json", "--csv"},
                                               {folder_.string(), "--since", "yesterday"},
                                               {folder_.string(), "--hole", "1.5"}}) {
        EXPECT_EQ(Run(usage), kExitUsage) << ::testing::PrintToString(usage);
    }
    EXPECT_EQ(Run({"--json", "--since"}), kExitUsage);
    EXPECT_EQ(nlohmann::json::parse(out_.str())["error"]["code"], "usage");
}

// A file that cannot be read, or is no journal, is passed over with a finding; the others are
// reported all the same. Files are streamed: a bound on whole reads does not apply to them.
TEST_F(JournalCommand, PassesOverFilesItCannotReadAndReadsFilesOfAnySize) {
    Write("journal/export.csv", "enabled,code_from,code_to\r\n1,101,110\r\n");
    Write("journal/binary.csv", kHead + std::string(100'000, '\x01') + "\r\n");
    const std::string missing = (folder_ / "journal/missing.csv").string();
    SystemFilePort small(64);  // whole reads stop at 64 bytes
    out_.str("");
    err_.str("");
    const std::vector<std::string> args = {"journal", folder_.string(), missing};
    EXPECT_EQ(RunWorkbench(args, out_, err_, small), kExitWarnings);
    EXPECT_NE(out_.str().find("CAM1  수정"), std::string::npos) << out_.str();
    EXPECT_NE(out_.str().find("CAM2  수정"), std::string::npos);
    const std::string err = err_.str();
    EXPECT_NE(err.find("export.csv:1: 첫 줄이 기록 파일의 머리글이 아니어서"), std::string::npos)
        << err;
    EXPECT_NE(err.find("binary.csv:2: 줄이 너무 깁니다"), std::string::npos) << err;
    EXPECT_NE(err.find("missing.csv: 읽을 수 없어 건너뛰었습니다"), std::string::npos) << err;
}

TEST(JournalStem, RolledOverFilesBelongToTheirSeat) {
    EXPECT_EQ(JournalStemOf("CAM1.csv"), "CAM1");
    EXPECT_EQ(JournalStemOf("dir/CAM-3-20240501-140307.csv"), "CAM-3");
    EXPECT_EQ(JournalStemOf("journal-20240501-140307-2.csv"), "journal");
    EXPECT_EQ(JournalStemOf("CAM-2024.csv"), "CAM-2024");
}

// Acts of the acts format, written as the module writes them: CAM-3 rewrites with rule 7 on
// two days, an undo, and another seat; rule tables kept beside them.
class ActsJournal : public JournalCommand {
protected:
    void SetUp() override {
        JournalCommand::SetUp();
        fs::remove(folder_ / "journal/CAM1.csv");
        fs::remove(folder_ / "journal/CAM2.csv");
        RuleTable table;
        for (int i = 1; i <= 7; ++i) {
            table.Append(
                {1, i == 7 ? u"115" : u"301", i == 7 ? u"120" : u"320", u"8", u"8.9", u"8.6"});
        }
        tableBytes_ = EncodeRuleFile(table);
        sha_ = Sha256Hex(tableBytes_);
        const std::string cam3 = (folder_ / "journal/CAM-3.csv").string();
        ASSERT_TRUE(KeepRuleTable(files_, files_.PathFromName(cam3), sha_, tableBytes_).ok());
        RuleSet seven, one;
        seven.Add(7);
        one.Add(1);
        Append(cam3, Act("kim", "CAM-3", "a1", {2024, 5, 6, 9, 0, 0, 0}),
               {{14, {{1, 116, 8.3, 8.6, seven}, {2, 301, 8.2, 8.6, one}}},
                {15, {{1, 116, 8.4, 8.6, seven}}}});
        Append(cam3, Act("lee", "CAM-3", "a2", {2024, 5, 9, 17, 0, 0, 0}),
               {{21, {{1, 118, 8.5, 8.6, seven}}}});
        JournalAct undo = Act("lee", "CAM-3", "a3", {2024, 5, 9, 17, 5, 0, 0});
        undo.action = JournalAction::Undo;
        undo.rewriteId = "a2";
        Append(cam3, undo, {{21, {{1, 118, 8.6, 8.5, seven}}}});
        Append((folder_ / "journal/CAM-1.csv").string(),
               Act("kim", "CAM-1", "b1", {2024, 5, 7, 9, 0, 0, 0}),
               {{3, {{1, 116, 8.3, 8.6, seven}}}});
    }
    JournalAct Act(const char* user, const char* computer, const char* id, CivilTime local) {
        JournalAct act;
        act.time = TimestampOfLocal(local, 540);
        act.user = user;
        act.computer = computer;
        act.actId = act.rewriteId = id;
        act.ruleFile = "S:\\cam\\Quillet.def";
        act.ruleFileSha256 = sha_;
        return act;
    }
    void Append(const std::string& file, const JournalAct& act, std::vector<HoleChange> holes) {
        ASSERT_TRUE(
            AppendJournalAct(files_, files_.PathFromName(file), act, HoleChangeRows(holes)).ok());
    }
    std::string tableBytes_, sha_;
};

TEST_F(ActsJournal, FiltersEachAloneAndTogether) {
    const auto lines = [&](std::vector<std::string> args) {
        args.insert(args.begin(), folder_.string());
        EXPECT_EQ(Run(args), kExitClean) << err_.str();
        std::vector<std::string> acts;
        std::istringstream text(out_.str());
        for (std::string line; std::getline(text, line);) {
            if (line.size() > 42 && !line.starts_with("    ")) acts.push_back(line.substr(27, 15));
        }
        return acts;
    };
    using Lines = std::vector<std::string>;
    EXPECT_EQ(lines({}),
              (Lines{"kim  CAM-3  수", "kim  CAM-1  수", "lee  CAM-3  수", "lee  CAM-3  되"}));
    EXPECT_EQ(lines({"--since", "2024-05-07"}),
              (Lines{"kim  CAM-1  수", "lee  CAM-3  수", "lee  CAM-3  되"}));
    EXPECT_EQ(lines({"--until", "2024-05-07"}), (Lines{"kim  CAM-3  수", "kim  CAM-1  수"}));
    EXPECT_EQ(lines({"--until", "2024-05-09T17:00+09:00"}).size(), 3u);
    EXPECT_EQ(lines({"--computer", "cam-3"}).size(), 3u);
    EXPECT_EQ(lines({"--user", "LEE"}), (Lines{"lee  CAM-3  수", "lee  CAM-3  되"}));
    EXPECT_EQ(lines({"--action", "undo"}), (Lines{"lee  CAM-3  되"}));
    EXPECT_EQ(lines({"--hole", "3"}), (Lines{"kim  CAM-1  수"}));
    EXPECT_EQ(lines({"--code", "301"}), (Lines{"kim  CAM-3  수"}));
    EXPECT_EQ(lines({"--rule", "1"}), (Lines{"kim  CAM-3  수"}));
    EXPECT_EQ(lines({"--rule", "7", "--computer", "CAM-3", "--action", "rewrite", "--since",
                     "2024-05-06", "--until", "2024-05-12", "--user", "kim", "--code", "116"}),
              (Lines{"kim  CAM-3  수"}));
    EXPECT_TRUE(lines({"--rule", "7", "--hole", "3", "--computer", "CAM-3"}).empty());
}

// The manager's question: which holes did rule 7 change last week on CAM-3, and what were
// they before; the rule itself from the table the act names.
TEST_F(ActsJournal, DetailsShowTheRowsSelectedAndTheRulesAsTheActsTableHeldThem) {
    EXPECT_EQ(Run({folder_.string(), "--rule", "7", "--computer", "CAM-3", "--action", "rewrite",
                   "--since", "2024-05-06", "--until", "2024-05-12", "--details"}),
              kExitClean);
    EXPECT_EQ(out_.str(),
              "2024-05-06 09:00:00+09:00  kim  CAM-3  수정  구멍 2개, 단계 2개  규칙 7: 단계 2개\n"
              "    규칙 7: 켬 코드 115~120, 지름 8~8.9 → 8.6\n"
              "    구멍 14 단계 1 코드 116: 8.3 → 8.6 (규칙 7)\n"
              "    구멍 15 단계 1 코드 116: 8.4 → 8.6 (규칙 7)\n"
              "2024-05-09 17:00:00+09:00  lee  CAM-3  수정  구멍 1개, 단계 1개  규칙 7: 단계 1개\n"
              "    규칙 7: 켬 코드 115~120, 지름 8~8.9 → 8.6\n"
              "    구멍 21 단계 1 코드 118: 8.5 → 8.6 (규칙 7)\n");
    EXPECT_EQ(Run({folder_.string(), "--json", "--details", "--action", "undo"}), kExitClean);
    const auto json = nlohmann::json::parse(out_.str());
    ASSERT_EQ(json["acts"].size(), 1u);
    EXPECT_EQ(json["acts"][0]["rewrite"], "a2");
    EXPECT_EQ(json["acts"][0]["rules"][0]["code_from"], "115");
    // Without its table the act still reads, and says the table is missing.
    fs::remove_all(folder_ / "journal/tables");
    EXPECT_EQ(Run({folder_.string(), "--details", "--hole", "3"}), kExitClean);
    EXPECT_NE(out_.str().find("tables 폴더에 없습니다"), std::string::npos) << out_.str();
}

TEST_F(ActsJournal, ACutActIsShownAsCutWithWhatItHolds) {
    const fs::path cam1 = folder_ / "journal/CAM-1.csv";
    Append(cam1.string(), Act("kim", "CAM-1", "b2", {2024, 5, 8, 9, 0, 0, 0}),
           {{4, {{1, 116, 8.3, 8.6, {}}, {2, 116, 8.3, 8.6, {}}}}});
    fs::resize_file(cam1, fs::file_size(cam1) - 100);  // the disk filled in its last rows
    EXPECT_EQ(Run({cam1.string()}), kExitWarnings);
    EXPECT_NE(out_.str().find("구멍 1개, 단계 1개  [끊김: 행 1개만 남음, 2개 중]"),
              std::string::npos)
        << out_.str();
    EXPECT_NE(err_.str().find("기록 b2이(가) 끊겼습니다: 행 2개 중 1개만 있습니다"),
              std::string::npos)
        << err_.str();
}

// An undo that restored no hole is its begin and end rows: listed as an act, not as cut, unless
// rows are asked for.
TEST_F(ActsJournal, AnUndoThatRestoredNoHoleIsListed) {
    JournalAct undo = Act("lee", "CAM-3", "a4", {2024, 5, 9, 17, 6, 0, 0});
    undo.action = JournalAction::Undo;
    undo.left = "changed:21";
    const std::string cam3 = (folder_ / "journal/CAM-3.csv").string();
    Append(cam3, undo, {});
    EXPECT_EQ(Run({cam3, "--since", "2024-05-09T17:06+09:00"}), kExitClean);
    EXPECT_EQ(out_.str(), "2024-05-09 17:06:00+09:00  lee  CAM-3  되돌리기  구멍 0개, 단계 0개\n");
    EXPECT_EQ(Run({cam3, "--since", "2024-05-09T17:06+09:00", "--hole", "21"}), kExitClean);
    EXPECT_EQ(out_.str(), "기록이 없습니다.\n");
}

// The files a seat rolled over are read before its current one, with those of the first
// format, in time order.
TEST_F(ActsJournal, ReadsRolledOverAndFirstFormatFilesTogether) {
    fs::rename(folder_ / "journal/CAM-3.csv", folder_ / "journal/CAM-3-20240506-090000.csv");
    Write("journal/CAM-3.csv", kHead +
                                   "2024-05-10T08:00:00.000+09:00,park,CAM-3,rewrite,cc,Q,00,"
                                   "9,1,101,8.3,8.6,7\r\n");
    EXPECT_EQ(Run({folder_.string(), "--computer", "CAM-3"}), kExitClean);
    const std::string text = out_.str();
    EXPECT_LT(text.find("kim  CAM-3"), text.find("lee  CAM-3  수정"));
    EXPECT_LT(text.find("lee  CAM-3  되돌리기"), text.find("park  CAM-3"));

    // An act in twelve parts, a file each: the rolled names share its second (-2 to -11 after
    // the first), and the parts are read in the order they were written.
    std::vector<HoleChange> holes;
    for (int32_t hole = 1; hole <= 96; ++hole) holes.push_back({hole, {{1, 101, 8.3, 8.6, {}}}});
    const JournalAct long_ = Act("kim", "CAM-5", "c1", {2024, 5, 11, 9, 0, 0, 0});
    ASSERT_TRUE(AppendJournalAct(files_,
                                 files_.PathFromName((folder_ / "journal/CAM-5.csv").string()),
                                 long_, HoleChangeRows(holes), {10, 1 << 20, 4096})
                    .ok());
    ASSERT_TRUE(fs::exists(folder_ / "journal/CAM-5-20240511-090000-11.csv"));
    EXPECT_EQ(Run({folder_.string(), "--computer", "CAM-5", "--json", "--details"}), kExitClean);
    const nlohmann::json listed = nlohmann::json::parse(out_.str());
    std::vector<int> read;
    for (const auto& act : listed["acts"]) {
        for (const auto& row : act["rows"]) read.push_back(row["hole"].get<int>());
    }
    std::vector<int> written(96);
    std::iota(written.begin(), written.end(), 1);
    EXPECT_EQ(read, written);
}

// Saves of the rule file through import: who changed which rule, and when.
TEST_F(ActsJournal, ImportsAreRecordedAsRulesSaved) {
    const std::string rules = Write("Quillet.def", tableBytes_);
    Write("new.csv",
          "enabled,code_from,code_to,diameter_from,diameter_to,diameter_modify\r\n"
          "1,301,320,8,8.9,8.6\r\n1,301,320,8,8.9,8.6\r\n1,301,320,8,8.9,8.6\r\n"
          "1,301,320,8,8.9,8.6\r\n1,301,320,8,8.9,8.6\r\n1,301,320,8,8.9,8.6\r\n"
          "1,115,120,8,8.9,8.7\r\n1,401,420,5,6,5.5\r\n");
    setenv("USERNAME", "choi", 1);
    setenv("COMPUTERNAME", "CAM-3", 1);
    out_.str("");
    err_.str("");
    const std::vector<std::string> import = {"import", (folder_ / "new.csv").string(), "-o", rules};
    ASSERT_EQ(RunWorkbench(import, out_, err_, files_), kExitClean) << err_.str();
    EXPECT_EQ(Run({folder_.string(), "--action", "rules-saved", "--details"}), kExitClean);
    const std::string text = out_.str();
    EXPECT_NE(text.find("choi  CAM-3  규칙 저장  규칙 2개 바뀜, 추가 1, 변경 1"), std::string::npos)
        << text;
    EXPECT_NE(text.find("    규칙 7 변경: 1 115 120 8 8.9 8.6 → 1 115 120 8 8.9 8.7\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("    규칙 8 추가: 1 401 420 5 6 5.5\n"), std::string::npos) << text;
    EXPECT_EQ(Run({folder_.string(), "--action", "rules-saved", "--rule", "8"}), kExitClean);
    EXPECT_NE(out_.str().find("규칙 1개 바뀜, 추가 1"), std::string::npos) << out_.str();
}

}  // namespace

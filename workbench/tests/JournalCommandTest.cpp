// quillet-rules journal over several seats' journal files in a rule folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/SystemFilePort.h"
#include "rules/RuleFolder.h"
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
    EXPECT_EQ(err_.str(),
              file + ":2: 열이 9개입니다 (13개여야 합니다) (이 줄은 읽지 않았습니다)\n" + file +
                  ":3: rules가 규칙 번호 목록이 아닙니다: 1, -7 (이 줄은 읽지 " + "않았습니다)\n");
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
              "time,user,computer,action,rewrite,rule_file,rule_file_sha256,holes,steps,"
              "rule_steps\r\n"
              "2024-05-01T06:30:00.000+01:00,lee\x1B[31m,CAM2,rewrite,bb,Q.def,00,1,1,2: 1\r\n");
    EXPECT_EQ(Run({(folder_ / "journal/CAM2.csv").string(), "--csv", "--details"}), kExitClean);
    EXPECT_EQ(out_.str(), kCam2.substr(3));
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
    const std::string rules = Write("Quillet.def", "\xFF\xFE");
    fs::create_directory(folder_ / "empty");
    EXPECT_EQ(Run({(folder_ / "missing.csv").string()}), kExitFileFailed);
    EXPECT_EQ(Run({(folder_ / "empty").string()}), kExitFileFailed);
    EXPECT_EQ(Run({rules}), kExitErrors);
    for (const std::vector<std::string>& usage :
         std::vector<std::vector<std::string>>{{},
                                               {folder_.string(), "--json", "--csv"},
                                               {folder_.string(), "--since", "yesterday"},
                                               {folder_.string(), "--hole", "1.5"},
                                               {folder_.string(), "--verbose"}}) {
        EXPECT_EQ(Run(usage), kExitUsage) << ::testing::PrintToString(usage);
    }
    EXPECT_EQ(Run({"--json", "--since"}), kExitUsage);
    EXPECT_EQ(nlohmann::json::parse(out_.str())["error"]["code"], "usage");
}

}  // namespace

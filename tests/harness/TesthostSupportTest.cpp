// The test host's own parts under Wine: the message box watcher on real message boxes, the
// module session, the stand-in KepLib.dll's controls as a test program sees them, and what
// kephost.exe tells a script or a person.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "E2eSupport.h"
#include "journal/JournalReader.h"
#include "platform/Handles_win.h"
#include "platform/WideText_win.h"
#include "settings/Settings.h"
#include "standin/KepTest.h"
#include "testhost/MessageBoxWatcher.h"
#include "testhost/ModuleSession.h"
#include "testhost/ScratchFolder.h"
#include "testhost/StandinLog.h"
#include "testhost/TextUtf8.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

// Closes a box with this caption that is still open after the timeout, so that a broken
// watcher fails the test instead of hanging it.
class BoxSafetyNet {
public:
    BoxSafetyNet(std::wstring caption, std::chrono::milliseconds timeout)
        : thread_([this, caption = std::move(caption), timeout] {
              const auto deadline = std::chrono::steady_clock::now() + timeout;
              while (!stop_) {
                  std::this_thread::sleep_for(20ms);
                  if (std::chrono::steady_clock::now() < deadline) continue;
                  // Tests run in parallel on one desktop: only this process's windows.
                  for (HWND box = nullptr;
                       (box = FindWindowExW(nullptr, box, L"#32770", caption.c_str()));) {
                      DWORD owner = 0;
                      GetWindowThreadProcessId(box, &owner);
                      if (owner != GetCurrentProcessId()) continue;
                      PostMessageW(box, WM_CLOSE, 0, 0);
                      fired_ = true;
                  }
              }
          }) {}
    ~BoxSafetyNet() {
        stop_ = true;
        thread_.join();
    }
    bool fired() const { return fired_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

TEST(MessageBoxWatcher, RecordsAndClosesMessageBoxesInOrder) {
    std::mutex mutex;
    std::vector<std::string> order;
    MessageBoxWatcher watcher([&](const SeenMessageBox& box) {
        std::lock_guard lock(mutex);
        order.push_back(box.text);
    });
    BoxSafetyNet net(L"Quillet", 10s);

    EXPECT_EQ(MessageBoxW(nullptr, L"첫째 상자", L"Quillet", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, L"second\r\nline", L"Quillet", MB_OKCANCEL | MB_ICONERROR),
              IDOK);

    EXPECT_FALSE(net.fired());
    auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, "Quillet");
    EXPECT_EQ(seen[0].text, "첫째 상자");
    EXPECT_EQ(seen[1].text, "second\r\nline");
    std::lock_guard lock(mutex);
    EXPECT_THAT(order, ElementsAre("첫째 상자", "second\r\nline"));
}

TEST(MessageBoxWatcher, LeavesTheModulesOwnDialogsAlone) {
    MessageBoxWatcher watcher;
    BoxSafetyNet net(L"Hole Diameter", 500ms);
    const int answer = MessageBoxW(nullptr, L"not for the watcher", L"Hole Diameter", MB_OK);
    EXPECT_TRUE(net.fired()) << "the box ended with " << answer << " before the net closed it";
    EXPECT_EQ(watcher.Count(), 0u);
}

TEST(MessageBoxWatcher, WaitGivesUpAfterItsTimeout) {
    MessageBoxWatcher watcher;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(watcher.WaitForCount(1, 100ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
}

// ---- Module session ----

class ModuleSessionTest : public ::testing::Test {
protected:
    ScratchFolder scratch_;
    std::filesystem::path folder_ = scratch_.path() / L"module";
};

TEST_F(ModuleSessionTest, LoadsACopyBesideTheRuleFileAndRemovesItAfterwards) {
    const std::filesystem::path rules = scratch_.path() / L"rules.txt";
    std::ofstream(rules, std::ios::binary) << std::string("\xFF\xFE", 2);
    {
        MessageBoxWatcher watcher;
        ModuleSessionOptions options;
        options.folder = folder_;
        options.ruleFile = rules;
        ModuleSession session(options);
        EXPECT_EQ(session.startupResult(), 0);
        EXPECT_TRUE(std::filesystem::exists(folder_ / L"Quillet.dll"));
        EXPECT_EQ(std::filesystem::file_size(folder_ / L"Quillet.def"), 2u);
        wchar_t loaded[MAX_PATH] = {};
        GetModuleFileNameW(session.module(), loaded, MAX_PATH);
        EXPECT_TRUE(std::filesystem::equivalent(loaded, folder_ / L"Quillet.dll"));
        EXPECT_EQ(session.Start(), 0);
        EXPECT_EQ(watcher.Count(), 0u);  // the rule file was there: no file error
    }
    EXPECT_FALSE(std::filesystem::exists(folder_ / L"Quillet.dll"));
    EXPECT_TRUE(std::filesystem::exists(folder_ / L"Quillet.def"));
}

TEST_F(ModuleSessionTest, PreparesTheHostAfterTheResetAndBeforeStartup) {
    KepTestSetRegisterResult(0);  // forgotten by the session's reset
    ModuleSessionOptions options;
    options.folder = folder_;
    ModuleSession first(options);
    EXPECT_EQ(first.startupResult(), 0);
    options.folder = scratch_.path() / L"second";
    options.prepareHost = [] { KepTestSetRegisterResult(0); };
    ModuleSession second(options);
    EXPECT_EQ(second.startupResult(), -1);
}

TEST_F(ModuleSessionTest, ReportsAModuleThatCannotBeLoaded) {
    ModuleSessionOptions options;
    options.folder = folder_;
    options.module = scratch_.path() / L"missing.dll";
    EXPECT_THROW(ModuleSession session(options), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(folder_ / L"Quillet.dll"));
}

// ---- The stand-in's controls through the DLL ----

class StandinControls : public ::testing::Test {
protected:
    void SetUp() override {
        KepTestReset();
        std::ofstream(drawing_, std::ios::binary) << "hole 3\nelement 1 31\nstep 101 8.3\n"
                                                     "hole 4 excluded\nelement 2 41\n";
    }
    ScratchFolder scratch_;
    std::filesystem::path drawing_ = scratch_.path() / L"small.drawing";
};

TEST_F(StandinControls, LoadsADrawingAndAnswersHostCalls) {
    ASSERT_EQ(KepTestLoadDrawing(drawing_.c_str()), 0);
    EXPECT_EQ(KepElmGetSegment(1, 41), 2);  // the default element kind
    ElementRef ref{31, 1};
    EXPECT_EQ(KepHolGetHoleId(&ref), 3);
    HoleRecord record{};
    ASSERT_EQ(KepHolGetHoleData(3, &record), 0);
    record.steps[0].diameter = 8.5;
    ASSERT_EQ(KepHolAmendHoleData(3, &record), 0);
    HoleStep step{};
    ASSERT_EQ(KepTestHoleStep(3, 0, &step), 0);
    EXPECT_EQ(step.diameter, 8.5);
    EXPECT_EQ(KepTestHoleStep(3, 1, &step), -1);
    EXPECT_EQ(KepTestAmendCount(3), 1);
    ASSERT_EQ(KepTestHoleRecord(4, &record), 0);
    EXPECT_NE(record.excluded, 0);

    KepTestSelect(2, 41);
    KepTestSelect(1, 31);
    KepTestSelect(2, 41);
    int32_t ids[4] = {};
    EXPECT_EQ(KepTestSelectedHoleIds(ids, 1), 2);
    EXPECT_EQ(ids[0], 4);
    EXPECT_EQ(ids[1], 0);  // beyond the capacity: untouched
}

TEST_F(StandinControls, ReportsABadDrawingInTheLog) {
    std::ofstream(drawing_, std::ios::binary) << "hole 3\nstep 101 x\n";
    EXPECT_EQ(KepTestLoadDrawing(drawing_.c_str()), -1);
    auto log = ReadStandinLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("line 2: diameter 'x' is not a finite number"));
}

TEST_F(StandinControls, LogLinesAreCutToTheBufferButReportTheirLength) {
    KepMsgPutMessage(L"구멍");
    char buffer[5] = {'x', 'x', 'x', 'x', 'x'};
    const std::string full = "KepMsgPutMessage(\"구멍\")";
    EXPECT_EQ(KepTestLogLine(0, buffer, sizeof buffer), static_cast<int32_t>(full.size()));
    EXPECT_STREQ(buffer, "KepM");
    EXPECT_EQ(KepTestLogLine(1, buffer, sizeof buffer), -1);
    EXPECT_THAT(ReadStandinLog(), ElementsAre(full));
}

TEST_F(StandinControls, FailsNamedCallsAndRefusesUnknownNames) {
    ASSERT_EQ(KepTestLoadDrawing(drawing_.c_str()), 0);
    EXPECT_EQ(KepTestFailCall("KepIddOpenSelIdData", 1), 0);
    EXPECT_EQ(KepIddOpenSelIdData(1), nullptr);
    void* handle = KepIddOpenSelIdData(1);
    EXPECT_NE(handle, nullptr);
    KepIddCloseSelIdData(handle);
    EXPECT_EQ(KepTestFailCall("KepDlgMessageBox", 1), -1);
    EXPECT_EQ(KepTestFailCall("NoSuchFunction", 0), -1);
}

TEST_F(StandinControls, KeepsOnlyMessagesAndNotesWhenCallsAreOff) {
    KepTestLogCalls(0);
    KepEvtSetEventMask(32);
    KepDlgMessageBox(L"상자");
    KepTestAppendLog("MessageBox(\"Quillet\",\"x\")");
    EXPECT_THAT(ReadStandinLog(),
                ElementsAre("KepDlgMessageBox(\"상자\")", "MessageBox(\"Quillet\",\"x\")"));
    EXPECT_TRUE(IsMessageLine(ReadStandinLog()[0]));
    EXPECT_FALSE(IsMessageLine(ReadStandinLog()[1]));
}

// ---- kephost.exe ----

std::wstring Quoted(const std::filesystem::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring KephostPath() {
    return (std::filesystem::path(ThisProgram()).parent_path() / L"kephost.exe").wstring();
}

// A visible dialog of the process with this caption, or null after 20 s.
HWND WaitForDialogOf(const ChildProcess& process, const wchar_t* caption) {
    for (int waited = 0; waited < 20000; waited += 20, Sleep(20)) {
        for (HWND window = nullptr;
             (window = FindWindowExW(nullptr, window, L"#32770", caption));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == process.id() && IsWindowVisible(window)) return window;
        }
    }
    return nullptr;
}

constexpr wchar_t kHiddenDisplay[] = L"QUILLET_HIDDEN_DISPLAY";

class Kephost : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableW(kHiddenDisplay, nullptr);  // this desktop is there to be used
        std::ofstream(drawing_, std::ios::binary) << "hole 3\nelement 1 31\nstep 101 8.3\n";
        WriteBytes(rules_.wstring(), Utf16Le(u"1\t101\t120\t8.1\t8.99\t8.5\r\n"));
    }
    long Run(const std::wstring& arguments) {
        return ChildProcess(KephostPath(), arguments, output_).Wait(20000);
    }
    std::string Output() const { return ReadText(output_); }
    std::wstring RuleListIn(const std::filesystem::path& folder) const {
        return L"--workdir " + Quoted(folder) + L" --rules " + Quoted(rules_) + L" --event 7";
    }

    ScratchFolder scratch_;
    std::filesystem::path drawing_ = scratch_.path() / L"plate.drawing";
    std::filesystem::path rules_ = scratch_.path() / L"rules.def";
    std::filesystem::path work_ = scratch_.path() / L"work";
    std::filesystem::path output_ = scratch_.path() / L"output.txt";
};

TEST_F(Kephost, ExitStatusTellsWhetherTheModuleReportedAProblem) {
    const std::wstring rewrite = L"--drawing " + Quoted(drawing_) + L" --select 1:31 --event 0";
    EXPECT_EQ(Run(rewrite + L" --workdir " + Quoted(work_) + L" --rules " + Quoted(rules_)), 0);
    // Again in the same folder: the first run's copy of the module is gone.
    EXPECT_EQ(Run(rewrite + L" --workdir " + Quoted(work_) + L" --fail KepHolGetHoleData:1"), 1);
    EXPECT_THAT(Output(), HasSubstr("Error가 발생하였습니다."));
    EXPECT_EQ(Run(rewrite + L" --workdir " + Quoted(scratch_.path() / L"no-rules")), 1);
    EXPECT_THAT(Output(), HasSubstr("MessageBox(\"Quillet\""));
    EXPECT_EQ(Run(L"--select 1-2"), 2);
}

TEST_F(Kephost, RefusesWhatCannotRunAndLeavesAnotherModuleAlone) {
    SetEnvironmentVariableW(kHiddenDisplay, L"1");
    EXPECT_EQ(Run(L"--event 7"), 3);  // instead of waiting on a dialog nobody sees
    SetEnvironmentVariableW(kHiddenDisplay, nullptr);

    for (const wchar_t* version : {L"", L"--version "}) {
        EXPECT_EQ(Run(version + (L"--workdir " + Quoted(work_) + L" --module ") +
                      Quoted(work_ / L"Quillet.dll")),
                  3);
        EXPECT_THAT(Output(), HasSubstr("module not found"));
    }

    // Without a usable KepLib.dll beside it, kephost says so instead of failing to start.
    const std::filesystem::path alone = scratch_.path() / L"alone";
    std::filesystem::create_directories(alone);
    CopyFileW(KephostPath().c_str(), (alone / L"kephost.exe").c_str(), FALSE);
    for (const bool present : {false, true}) {
        if (present) std::ofstream(alone / L"KepLib.dll", std::ios::binary) << "MZ cut short";
        EXPECT_EQ(ChildProcess((alone / L"kephost.exe").wstring(), L"", output_).Wait(20000), 3);
        EXPECT_THAT(Output(), HasSubstr("cannot load the host library"));
    }

    std::filesystem::create_directories(work_);
    std::ofstream(work_ / L"Quillet.dll", std::ios::binary) << "an installed module";
    EXPECT_EQ(Run(L"--workdir " + Quoted(work_) + L" --event 0"), 3);
    EXPECT_THAT(Output(), HasSubstr("already exists"));
    EXPECT_EQ(ReadText(work_ / L"Quillet.dll"), "an installed module");
}

TEST_F(Kephost, SaysHowTheRuleListEndedAndWhetherTheRuleFileWasWritten) {
    const std::pair<WPARAM, const char*> cases[] = {
        {IDOK, "> rule list: ended with 확인 (OK); Quillet.def written"},
        {IDCANCEL, "> rule list: ended with 취소 (cancel); Quillet.def not written"}};
    // Without its byte-order mark the file differs from what 확인 saves: a save that would
    // change nothing writes nothing.
    WriteBytes(rules_.wstring(), Utf16Le(u"1\t101\t120\t8.1\t8.99\t8.5\r\n", false));
    for (const auto& [command, outcome] : cases) {
        ChildProcess run(KephostPath(), RuleListIn(work_), output_);
        HWND list = WaitForDialogOf(run, L"Hole Diameter");
        ASSERT_NE(list, nullptr);
        PostMessageW(list, WM_COMMAND, command, 0);
        EXPECT_EQ(run.Wait(20000), 0);
        EXPECT_THAT(Output(), HasSubstr(outcome));
    }
}

// The user's RuleFolder value, for the time of a test.
class UserRuleFolder {
public:
    explicit UserRuleFolder(const std::filesystem::path& folder) {
        const std::wstring text = folder.wstring();
        RegSetKeyValueW(HKEY_CURRENT_USER, ToWide(kSettingsKey).c_str(),
                        ToWide(kRuleFolderSetting.name).c_str(), REG_SZ, text.c_str(),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    ~UserRuleFolder() {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, ToWide(kSettingsKey).c_str(),
                           ToWide(kRuleFolderSetting.name).c_str());
    }
    UserRuleFolder(const UserRuleFolder&) = delete;
    UserRuleFolder& operator=(const UserRuleFolder&) = delete;
};

// Another seat saves the shared rule file while the rule list is open: 확인 asks whether to
// replace it, and kephost answers as told.
TEST_F(Kephost, AnswersTheQuestionAsToldAndNamesTheRuleFileInTheRuleFolder) {
    const std::filesystem::path share = scratch_.path() / L"share";
    std::filesystem::create_directories(share);
    const UserRuleFolder setting(share);
    const std::filesystem::path shared = share / L"Quillet.def";
    const Bytes otherSeat = Utf16Le(u"1\t301\t\t12\t\t12.5\r\n");
    const std::string sharedName = Utf8FromWide(shared.wstring());
    const std::tuple<const wchar_t*, const char*, const char*> cases[] = {
        {L" --answer no", "MessageBox -> 아니요 (no)", "; Quillet.def not written ("},
        {L"", "MessageBox -> 예 (yes)", "; Quillet.def written ("}};
    for (const auto& [answer, button, outcome] : cases) {
        CopyFileW(rules_.c_str(), shared.c_str(), FALSE);
        ChildProcess run(KephostPath(), L"--workdir " + Quoted(work_) + L" --event 7" + answer,
                         output_);
        HWND list = WaitForDialogOf(run, L"Hole Diameter");
        ASSERT_NE(list, nullptr);
        WriteBytes(shared.wstring(), otherSeat);
        PostMessageW(list, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(run.Wait(20000), 1);  // the question is a message box of the module
        EXPECT_THAT(Output(), HasSubstr(button));
        EXPECT_THAT(Output(), HasSubstr(outcome + sharedName + ")"));
        EXPECT_EQ(ReadText(shared) == std::string(otherSeat.begin(), otherSeat.end()),
                  std::wstring_view(answer) != L"")
            << Output();
    }
}

TEST_F(Kephost, RemovesItsCopyOfTheModuleEvenWhenKilled) {
    ChildProcess run(KephostPath(), RuleListIn(work_), output_);
    ASSERT_NE(WaitForDialogOf(run, L"Hole Diameter"), nullptr);
    ASSERT_TRUE(std::filesystem::exists(work_ / L"Quillet.dll"));
    run.Kill();
    for (int waited = 0; waited < 5000 && std::filesystem::exists(work_ / L"Quillet.dll");
         waited += 50) {
        Sleep(50);
    }
    EXPECT_FALSE(std::filesystem::exists(work_ / L"Quillet.dll"));
    EXPECT_TRUE(std::filesystem::exists(work_ / L"Quillet.def"));
}

// Two hosts of one user rewriting at once: each act reaches this user's journal whole, none
// among the rows of another, and its end row counts the file's rows up to it. One host makes
// long acts, the other many short ones, so that short appends fall within long ones: without
// the append's hold on the file, rows interleave or an end row counts wrong.
TEST_F(Kephost, TwoProcessesAppendWholeActsToOneJournal) {
    const auto arguments = [&](const wchar_t* name, int holes, int acts) {
        const std::filesystem::path drawing = scratch_.path() / (name + std::wstring(L".drawing"));
        std::ofstream out(drawing, std::ios::binary);
        for (int hole = 1; hole <= holes; ++hole) {
            out << "hole " << hole << "\nelement 1 " << hole << "\n";
            for (int step = 0; step < 10; ++step) out << "step 101 8.3\n";
        }
        std::wstring text = L"--drawing " + Quoted(drawing) + L" --rules " + Quoted(rules_) +
                            L" --select all --workdir " + Quoted(scratch_.path() / name);
        for (int act = 0; act < acts; ++act) text += L" --event 0";
        return text;
    };
    // This user's journal, those rolled over from it and the pending file, from none.
    const std::filesystem::path folder =
        std::filesystem::path(_wgetenv(L"LOCALAPPDATA")) / L"Quillet";
    std::filesystem::remove_all(folder);
    ChildProcess first(KephostPath(), arguments(L"one", 5'000, 16),
                       (scratch_.path() / L"one.txt").wstring());
    ChildProcess second(KephostPath(), arguments(L"two", 100, 160),
                        (scratch_.path() / L"two.txt").wstring());
    EXPECT_EQ(first.Wait(120000), 0);
    EXPECT_EQ(second.Wait(120000), 0);
    size_t whole = 0, miscounted = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != L".csv") continue;
        const Bytes bytes = ReadBytes(entry.path().wstring());
        const std::string text(bytes.begin(), bytes.end());
        const JournalFile file = ReadJournal(text);
        EXPECT_TRUE(file.problems.empty()) << entry.path();
        for (const JournalFile::Act& act : file.acts) {
            whole += !act.cut && (act.rows.size() == 50'000u || act.rows.size() == 1'000u);
        }
        uint64_t rows = 0;  // after the header
        for (size_t at = text.find('\n') + 1; at > 0 && at < text.size(); ++rows) {
            const size_t end = std::min(text.find('\n', at), text.size());
            const auto total = FileRowsOfEndLine(std::string_view(text).substr(at, end - at));
            miscounted += total && *total != rows + 1;
            at = end + 1;
        }
    }
    EXPECT_EQ(whole, 16u + 160u);
    EXPECT_EQ(miscounted, 0u);
    std::filesystem::remove_all(folder);
}

}  // namespace

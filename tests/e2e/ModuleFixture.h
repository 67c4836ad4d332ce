// The real Quillet.dll as the host loads it: copied into a folder of the test's own beside
// its rule file, driven through the stand-in KepLib.dll over a drawing in the stand-in's text
// format. Message boxes of the module are recorded and closed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "E2eSupport.h"
#include "testhost/MessageBoxWatcher.h"
#include "testhost/ModuleSession.h"

inline constexpr char kPromptLine[] =
    "KepMsgPutMessage(\"구멍 범위선택(도면전체:Ctrl+A / 확정:Dialog Open)\")";
inline constexpr char kNoMatchingHoleLine[] =
    "KepDlgMessageBox(\"설정과 부합되는 구멍이 없습니다.\")";
inline constexpr char kErrorOccurredLine[] = "KepDlgMessageBox(\"Error가 발생하였습니다.\")";

// "KepDlgMessageBox("총 <count>개의 구멍을 수정하였습니다.")".
std::string ChangedHolesLine(int count);

class ModuleTest : public ::testing::Test {
protected:
    ModuleTest();

    std::wstring RuleFilePath() const { return moduleFolder_ + L"\\Quillet.def"; }
    // The rule file beside the module, as UTF-16LE text.
    void WriteRules(std::u16string_view lines, bool bom = true);

    // Loads the module into the stand-in host after loading the drawing; prepareHost runs
    // after that, before the module's Startup.
    void LoadModule(std::string_view drawing = "", std::function<void()> prepareHost = {});
    // LoadModule, then the start of the command.
    void StartCommand(std::string_view drawing, std::u16string_view rules);
    // The same with the rule file's bytes as they are.
    void StartCommand(std::string_view drawing, const Bytes& ruleFile);

    ModuleSession& session() { return *session_; }

    std::vector<std::string> Log() const;
    // The log from line mark on.
    std::vector<std::string> LogSince(size_t mark) const;
    // The host messages (prompt, error messages, host message boxes) from line mark on.
    std::vector<std::string> MessagesSince(size_t mark) const;

    // Step i of the hole as the host now holds it.
    double Diameter(int32_t holeId, int32_t step) const;
    int32_t AmendCount(int32_t holeId) const;

    TempFolder folder_;
    std::wstring moduleFolder_ = folder_.path();
    // How long the stand-in's log was when the last message box appeared.
    std::atomic<int32_t> logCountAtLastBox_{-1};
    DisplayDriverLoaded displayDriver_;
    MessageBoxWatcher boxes_;
    std::unique_ptr<ModuleSession> session_;
};

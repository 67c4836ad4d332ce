// The module loaded into a folder of the test's own with a rule file, the command started,
// and the rule list dialog run by event 7 while a second thread drives it. Also the editor's
// registry key, read and prepared in-process.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "DialogDriver.h"
#include "testhost/MessageBoxWatcher.h"
#include "testhost/ModuleSession.h"
#include "testhost/ScratchFolder.h"

using Bytes = std::vector<unsigned char>;

// UTF-16LE with the byte-order mark, as the module writes its rule file.
Bytes RuleFileOf(std::u16string_view text);

// The file's bytes, or nothing when it cannot be read.
std::optional<Bytes> FileBytes(const std::filesystem::path& path);

inline constexpr wchar_t kEditorKey[] = L"SOFTWARE\\Ferrimount\\KEP\\Quillet";

void ClearEditorKey();
std::optional<std::wstring> ReadEditorValue(const wchar_t* name);
void WriteEditorValue(const wchar_t* name, DWORD type, const void* data, DWORD size);
void WriteEditorText(const wchar_t* name, std::wstring_view text);
void DeleteEditorValue(const wchar_t* name);

// The six remembered values in their order, or "<missing>" for a value not there.
std::vector<std::wstring> EditorValues();

// The drawing used to look at the rule table through a rewrite: one hole with these steps
// (machining code, diameter).
inline constexpr char kProbeDrawing[] =
    "hole 1\n"
    "element 1 101\n"
    "step 101 8.3\n"
    "step 150 8.99\n"
    "step 201 5.1\n"
    "step 300 10\n";

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the rule file (if any), loads the module with the probe drawing (or another one)
    // and starts the command, which reads the rule file.
    void StartWith(std::optional<Bytes> ruleFile, std::string_view drawing = kProbeDrawing);
    void StartWithRules(std::u16string_view lines) { StartWith(RuleFileOf(lines)); }
    // The command started again: the rule file is read afresh.
    void Restart();

    // Event 7 while `drive` works the rule list dialog it was handed. Returns the event's
    // result.
    int RunRuleList(const std::function<void(HWND dialog, const ListView& list)>& drive);
    // The rows the dialog shows when it is opened again (and cancelled).
    std::vector<ShownRule> RowsOnReopen();

    std::filesystem::path RuleFilePath() const { return folder_.path() / L"Quillet.def"; }
    std::filesystem::path BackupPath() const { return folder_.path() / L"Quillet.def.bak"; }
    std::optional<Bytes> RuleFileBytes() const { return FileBytes(RuleFilePath()); }

    // Event 0 over the whole probe drawing; the diameters of its steps afterwards.
    std::vector<double> RewriteProbe();
    // The same while `drive` works the dialogs it opens (the preview).
    std::vector<double> RewriteProbeWhileDriving(const std::function<void()>& drive);

    // For the driving thread: the event as the host's message handling hands it to the module,
    // on the module's thread inside whatever modal loop runs there. Nullopt on a timeout.
    std::optional<int32_t> SendHostEvent(int32_t eventCode, DWORD timeoutMs = 5000) const;
    // The same for the command started again.
    std::optional<int32_t> SendHostStart(DWORD timeoutMs = 5000) const;

    std::vector<SeenMessageBox> MessageBoxes() const { return boxes_.Seen(); }
    HMODULE Module() const { return session_->module(); }
    ModuleSession& session() { return *session_; }

private:
    std::optional<int32_t> SendToHostWindow(UINT message, WPARAM wParam, DWORD timeoutMs) const;

    ScratchFolder folder_;
    MessageBoxWatcher boxes_;
    std::unique_ptr<ModuleSession> session_;
    struct WindowCloser {
        void operator()(HWND window) const { DestroyWindow(window); }
    };
    // A message-only window of the test's thread: it runs the events sent to it.
    std::unique_ptr<std::remove_pointer_t<HWND>, WindowCloser> hostWindow_;
    size_t expectedBoxes_ = 0;

protected:
    // Tests that expect message boxes say how many.
    void ExpectMessageBoxes(size_t count) { expectedBoxes_ = count; }
    // Message boxes with this button (IDYES, IDNO) are answered with it from now on.
    void AnswerMessageBoxesWith(int button) { boxes_.PreferButton(button); }
    std::filesystem::path ModuleFolder() const { return folder_.path(); }
};

// The diameters of the probe drawing's steps as the host now holds them.
std::vector<double> ProbeDiameters();

// Opens the editor with a button of the list dialog (ADD or MODIFY); null after the timeout.
HWND OpenEditor(HWND listDialog, int button);

// The editor's check box and five fields, in the order of its members.
struct EditorFields {
    bool checked;
    std::wstring codeFrom, codeTo, diameterFrom, diameterTo, diameterModify;
    bool operator==(const EditorFields&) const = default;
};
EditorFields ReadEditor(HWND editor);
// Replaces all five texts with WM_SETTEXT.
void FillEditor(HWND editor, const EditorFields& fields);

void PrintTo(const ShownRule& rule, std::ostream* out);
void PrintTo(const EditorFields& fields, std::ostream* out);

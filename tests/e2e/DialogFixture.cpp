#include "DialogFixture.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <ostream>

#include "dialogs/resource.h"
#include "standin/KepTest.h"
#include "testhost/TextUtf8.h"

namespace {

constexpr const wchar_t* kValueNames[] = {L"isDisplay",    L"CodeFrom",   L"CodeTo",
                                          L"DiameterFrom", L"DiameterTo", L"DiameterModify"};

void WriteFile(const std::filesystem::path& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

constexpr UINT kRunEvent = WM_APP;
constexpr UINT kRunStart = WM_APP + 1;

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunEvent && message != kRunStart) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    auto* session = reinterpret_cast<ModuleSession*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return message == kRunStart ? session->Start() : session->Execute(static_cast<int32_t>(wParam));
}

}  // namespace

Bytes RuleFileOf(std::u16string_view text) {
    Bytes bytes{0xFF, 0xFE};
    for (char16_t unit : text) {
        bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
        bytes.push_back(static_cast<unsigned char>(unit >> 8));
    }
    return bytes;
}

void ClearEditorKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kEditorKey);
}

std::optional<std::wstring> ReadEditorValue(const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, kEditorKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(buffer);
}

void WriteEditorValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kEditorKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void WriteEditorText(const wchar_t* name, std::wstring_view text) {
    const std::wstring copy(text);
    WriteEditorValue(name, REG_SZ, copy.c_str(), static_cast<DWORD>((copy.size() + 1) * 2));
}

void DeleteEditorValue(const wchar_t* name) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kEditorKey, name);
}

std::vector<std::wstring> EditorValues() {
    std::vector<std::wstring> values;
    for (const wchar_t* name : kValueNames) {
        values.push_back(ReadEditorValue(name).value_or(L"<missing>"));
    }
    return values;
}

void DialogTest::SetUp() {
    ClearEditorKey();
}

void DialogTest::TearDown() {
    hostWindow_.reset();
    session_.reset();
    EXPECT_EQ(boxes_.Count(), expectedBoxes_) << "message boxes shown";
    for (const SeenMessageBox& box : boxes_.Seen()) {
        std::cout << "message box: " << box.caption << " | " << box.text << "\n";
    }
}

void DialogTest::StartWith(std::optional<Bytes> ruleFile, std::string_view drawingText) {
    const std::filesystem::path drawing = folder_.path() / L"probe.drawing";
    WriteFile(drawing, drawingText.data(), drawingText.size());
    if (ruleFile) WriteFile(RuleFilePath(), ruleFile->data(), ruleFile->size());
    ModuleSessionOptions options;
    options.folder = folder_.path();
    options.prepareHost = [drawing] { ASSERT_EQ(KepTestLoadDrawing(drawing.c_str()), 0); };
    session_ = std::make_unique<ModuleSession>(options);
    ASSERT_EQ(session_->startupResult(), 0);
    hostWindow_.reset(
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    ASSERT_NE(hostWindow_, nullptr);
    SetWindowLongPtrW(hostWindow_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(session_.get()));
    SetWindowLongPtrW(hostWindow_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HostWindowProc));
    Restart();
}

void DialogTest::Restart() {
    ASSERT_EQ(session_->Start(), 0);
}

int DialogTest::RunRuleList(const std::function<void(HWND, const ListView&)>& drive) {
    return RunWhileDriving([this] { return session_->Execute(7); },
                           [&drive] {
                               HWND dialog = WaitForDialog(kListCaption);
                               ASSERT_NE(dialog, nullptr) << "the rule list dialog did not open";
                               drive(dialog, ListView(GetDlgItem(dialog, IDC_RULE_LIST)));
                           });
}

std::optional<int32_t> DialogTest::SendToHostWindow(UINT message, WPARAM wParam,
                                                    DWORD timeoutMs) const {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hostWindow_.get(), message, wParam, 0, SMTO_NORMAL, timeoutMs,
                             &result)) {
        return std::nullopt;
    }
    return static_cast<int32_t>(result);
}

std::optional<int32_t> DialogTest::SendHostEvent(int32_t eventCode, DWORD timeoutMs) const {
    return SendToHostWindow(kRunEvent, static_cast<WPARAM>(eventCode), timeoutMs);
}

std::optional<int32_t> DialogTest::SendHostStart(DWORD timeoutMs) const {
    return SendToHostWindow(kRunStart, 0, timeoutMs);
}

std::vector<ShownRule> DialogTest::RowsOnReopen() {
    std::vector<ShownRule> rows;
    RunRuleList([&rows](HWND dialog, const ListView& list) {
        rows = ShownRules(list);
        Press(dialog, IDCANCEL);
    });
    return rows;
}

std::optional<Bytes> FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<double> DialogTest::RewriteProbe() {
    KepTestSelectAll();
    EXPECT_EQ(session_->Execute(0), 0);
    return ProbeDiameters();
}

std::vector<double> DialogTest::RewriteProbeWhileDriving(const std::function<void()>& drive) {
    KepTestSelectAll();
    EXPECT_EQ(RunWhileDriving([this] { return session_->Execute(0); }, drive), 0);
    return ProbeDiameters();
}

std::vector<double> ProbeDiameters() {
    HoleRecord record{};
    EXPECT_EQ(KepTestHoleRecord(1, &record), 0);
    std::vector<double> diameters;
    for (int32_t i = 0; i < record.stepCount; ++i) {
        HoleStep step{};
        EXPECT_EQ(KepTestHoleStep(1, i, &step), 0);
        diameters.push_back(step.diameter);
    }
    return diameters;
}

HWND OpenEditor(HWND listDialog, int button) {
    PressLater(listDialog, button);
    return WaitForDialog(kEditorCaption);
}

EditorFields ReadEditor(HWND editor) {
    return {IsDlgButtonChecked(editor, IDC_ENABLED) == BST_CHECKED,
            ItemText(editor, IDC_CODE_FROM),
            ItemText(editor, IDC_CODE_TO),
            ItemText(editor, IDC_DIAMETER_FROM),
            ItemText(editor, IDC_DIAMETER_TO),
            ItemText(editor, IDC_DIAMETER_MODIFY)};
}

void FillEditor(HWND editor, const EditorFields& fields) {
    if ((IsDlgButtonChecked(editor, IDC_ENABLED) == BST_CHECKED) != fields.checked) {
        Press(editor, IDC_ENABLED);
    }
    SetItemText(editor, IDC_CODE_FROM, fields.codeFrom);
    SetItemText(editor, IDC_CODE_TO, fields.codeTo);
    SetItemText(editor, IDC_DIAMETER_FROM, fields.diameterFrom);
    SetItemText(editor, IDC_DIAMETER_TO, fields.diameterTo);
    SetItemText(editor, IDC_DIAMETER_MODIFY, fields.diameterModify);
}

void PrintTo(const ShownRule& rule, std::ostream* out) {
    *out << "{" << (rule.checked ? "on" : "off") << ", " << Utf8FromWide(rule.codes) << ", "
         << Utf8FromWide(rule.diameters) << ", " << Utf8FromWide(rule.modify) << "}";
}

void PrintTo(const EditorFields& fields, std::ostream* out) {
    *out << "{" << (fields.checked ? "on" : "off") << ", " << Utf8FromWide(fields.codeFrom) << " ~ "
         << Utf8FromWide(fields.codeTo) << ", " << Utf8FromWide(fields.diameterFrom) << " ~ "
         << Utf8FromWide(fields.diameterTo) << ", " << Utf8FromWide(fields.diameterModify) << "}";
}

// Opens the rule list dialog on twelve rules, then the rule editor with its default values,
// then the preview of a rewrite of a small drawing by those rules (a summary of eleven rules
// and a step that keeps its value), and holds each on screen until scripts/screenshots.sh has
// captured it. The script and this program meet through files in a folder: "<name>.ready"
// from here, "<name>.done" back.
//
//     dialog_shots.exe SIGNAL_FOLDER WORK_FOLDER
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "DialogDriver.h"
#include "dialogs/resource.h"
#include "standin/KepTest.h"
#include "testhost/ModuleSession.h"

namespace {

constexpr char16_t kRules[] =
    u"1\t101\t199\t8.1\t8.99\t8.5\r\n"
    u"1\t201\t299\t5.0\t5.5\t5.2\r\n"
    u"0\t300\t\t10\t\t12\r\n"
    u"1\t401\t450\t6.6\t6.8\t6.5\r\n"
    u"1\t501\t599\t3\t4\t3.3\r\n"
    u"1\t601\t699\t3\t4\t3.4\r\n"
    u"1\t701\t799\t3\t4\t3.5\r\n"
    u"1\t801\t899\t3\t4\t3.6\r\n"
    u"1\t901\t999\t3\t4\t3.7\r\n"
    u"1\t1001\t1099\t3\t4\t3.8\r\n"
    u"1\t1101\t1199\t3\t4\t3.9\r\n"
    u"1\t1201\t1299\t3\t4\t3.25\r\n";

constexpr char kDrawing[] =
    "hole 1\nelement 1 101\nstep 101 8.3\n"
    "hole 2\nelement 1 102\nstep 105 8.99\nstep 230 5.3\n"
    "hole 3\nelement 1 103\nstep 401 6.7\n"
    "hole 4\nelement 1 104\nstep 150 9.5\nstep 120 8.5\n"
    "hole 5\nelement 1 105\nstep 501 3.2\nstep 601 3.9\nstep 701 3.1\n"
    "hole 6\nelement 1 106\nstep 801 3.5\nstep 901 3.6\nstep 1001 3.75\n"
    "hole 7\nelement 1 107\nstep 1101 3.8\nstep 1201 3.05\n";
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Ferrimount\\KEP\\Quillet";

void WriteRuleFile(const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.put(static_cast<char>(0xFF)).put(static_cast<char>(0xFE));
    for (char16_t unit : std::u16string_view(kRules)) {
        out.put(static_cast<char>(unit & 0xFF)).put(static_cast<char>(unit >> 8));
    }
}

// Announces that the named dialog is on screen and waits (at most 30 s) for the capture.
bool HoldForCapture(const std::filesystem::path& signals, const std::wstring& name) {
    std::ofstream(signals / (name + L".ready")).put('\n');
    const std::filesystem::path done = signals / (name + L".done");
    for (int waited = 0; waited < 30000; waited += 20) {
        if (std::filesystem::exists(done)) return true;
        Sleep(20);
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::cerr << "usage: dialog_shots.exe SIGNAL_FOLDER WORK_FOLDER\n";
        return 2;
    }
    const std::filesystem::path signals = argv[1];
    const std::filesystem::path work = argv[2];
    std::filesystem::create_directories(work);
    WriteRuleFile(work / L"Quillet.def");
    // The editor shows its defaults only when nothing is remembered.

    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    const std::filesystem::path drawing = work / L"shots.drawing";
    std::ofstream(drawing, std::ios::binary) << kDrawing;

    ModuleSessionOptions options;
    options.folder = work;
    options.prepareHost = [&drawing] { KepTestLoadDrawing(drawing.c_str()); };
    ModuleSession session(options);
    if (session.startupResult() != 0 || session.Start() != 0) return 1;

    bool captured = false;
    RunWhileDriving([&session] { return session.Execute(7); },
                    [&] {
                        HWND list = WaitForDialog(kListCaption);
                        if (list == nullptr || !HoldForCapture(signals, L"list")) return;
                        PressLater(list, IDC_ADD);
                        HWND editor = WaitForDialog(kEditorCaption);
                        if (editor == nullptr || !HoldForCapture(signals, L"editor")) return;
                        Press(editor, IDCANCEL);
                        WaitUntilClosed(editor);
                        Press(list, IDCANCEL);
                        captured = true;
                    });
    if (!captured) return 1;

    captured = false;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"PreviewBeforeRewrite", REG_SZ, L"1",
                    2 * sizeof(wchar_t));
    KepTestSelectAll();
    RunWhileDriving([&session] { return session.Execute(0); },
                    [&] {
                        HWND preview = WaitForDialog(L"미리 보기");
                        if (preview == nullptr || !HoldForCapture(signals, L"preview")) return;
                        Press(preview, IDCANCEL);
                        captured = true;
                    });
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    return captured ? 0 : 1;
}

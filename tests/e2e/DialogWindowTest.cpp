// Where the rule dialogs open, and which common controls they are made of: version 6, from
// the module's own manifest, whatever the host has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <initializer_list>
#include <memory>
#include <optional>

#include "DialogFixture.h"
#include "dialogs/resource.h"
#include "testhost/TextUtf8.h"

namespace {

constexpr char16_t kOneRule[] = u"1\t101\t199\t8.1\t8.99\t8.5\r\n";

RECT RectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// Entirely on the work area, and centred on `centre` as far as the work area lets it.
void ExpectCentredOn(HWND dialog, const RECT& centre, const RECT& area) {
    const RECT shown = RectOf(dialog);
    const auto expectAxis = [](LONG from, LONG to, LONG centreFrom, LONG centreTo, LONG areaFrom,
                               LONG areaTo) {
        EXPECT_TRUE(from >= areaFrom && to <= areaTo) << from << ".." << to;
        const LONG half = (to - from) / 2;
        EXPECT_NEAR(from + half,
                    std::clamp((centreFrom + centreTo) / 2, areaFrom + half, areaTo - half), 2);
    };
    expectAxis(shown.left, shown.right, centre.left, centre.right, area.left, area.right);
    expectAxis(shown.top, shown.bottom, centre.top, centre.bottom, area.top, area.bottom);
}

using DialogPlacement = DialogTest;

// The rule list opens on the host's window (a window of this thread, active as the host's is
// when the command runs) or without one on the work area; the editor on the rule list.
TEST_F(DialogPlacement, CentredOnTheOwnerAndKeptOnTheWorkArea) {
    StartWithRules(kOneRule);
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    // The host window's top left: none, off the middle of the work area, beyond two corners.
    const std::optional<POINT> hostPlaces[] = {
        std::nullopt, POINT{(area.left + area.right) / 2 - 180, (area.top + area.bottom) / 2 - 80},
        POINT{area.right - 100, area.bottom - 80}, POINT{area.left - 200, area.top - 150}};
    for (const std::optional<POINT>& place : hostPlaces) {
        const std::unique_ptr<HWND__, decltype(&DestroyWindow)> host(
            place
                ? CreateWindowExW(0, L"Static", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, place->x,
                                  place->y, 300, 200, nullptr, nullptr, nullptr, nullptr)
                : nullptr,
            &DestroyWindow);
        RunRuleList([&host, &area](HWND dialog, const ListView&) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), host.get());
            ExpectCentredOn(dialog, host ? RectOf(host.get()) : area, area);
            HWND editor = OpenEditor(dialog, IDC_ADD);
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(GetWindow(editor, GW_OWNER), dialog);
            ExpectCentredOn(editor, RectOf(dialog), area);
        });
    }
}

// The module holding each control's class procedure is the side-by-side copy of common
// controls 6 (C:\windows\winsxs\...), not the system's.
void ExpectCommonControls6(HWND dialog, std::initializer_list<int> controls) {
    for (int id : controls) {
        const auto procedure = GetClassLongPtrW(GetDlgItem(dialog, id), GCLP_WNDPROC);
        HMODULE module = nullptr;
        wchar_t path[MAX_PATH] = L"";
        if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                   GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               reinterpret_cast<LPCWSTR>(procedure), &module)) {
            GetModuleFileNameW(module, path, MAX_PATH);
        }
        EXPECT_NE(std::wcsstr(CharLowerW(path), L"\\winsxs\\"), nullptr)
            << "control " << id << ": " << Utf8FromWide(path);
    }
}

using CommonControls = DialogTest;

TEST_F(CommonControls, ListAndButtonsAreVersion6) {
    StartWithRules(kOneRule);
    RunRuleList([](HWND dialog, const ListView&) {
        ExpectCommonControls6(dialog, {IDC_RULE_LIST, IDOK, IDC_ALL_ON, IDC_ADD});
        HWND editor = OpenEditor(dialog, IDC_ADD);
        ASSERT_NE(editor, nullptr);
        ExpectCommonControls6(editor, {IDOK, IDC_ENABLED});
    });
}

}  // namespace

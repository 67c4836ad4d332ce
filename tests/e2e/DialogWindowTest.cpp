// Where the rule dialogs open.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "DialogFixture.h"
#include "dialogs/resource.h"

namespace {

constexpr char16_t kOneRule[] = u"1\t101\t199\t8.1\t8.99\t8.5\r\n";

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT PrimaryWorkArea() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// A window of this thread in the place of the host's main window, active as the host's is
// when the user starts the command.
UniqueWindow ActiveHostWindow(POINT topLeft) {
    UniqueWindow host(CreateWindowExW(0, L"Static", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      topLeft.x, topLeft.y, 300, 200, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
    SetActiveWindow(host.get());
    return host;
}

// Entirely on the work area and centred on `centre` as far as the work area lets it.
void ExpectCentredOn(HWND dialog, const RECT& centre) {
    const RECT area = PrimaryWorkArea();
    const RECT shown = WindowRect(dialog);
    EXPECT_TRUE(shown.left >= area.left && shown.top >= area.top && shown.right <= area.right &&
                shown.bottom <= area.bottom);
    const auto middle = [](LONG from, LONG to, LONG areaFrom, LONG areaTo, LONG size) {
        return std::clamp((from + to) / 2, areaFrom + size / 2, areaTo - size / 2);
    };
    EXPECT_NEAR((shown.left + shown.right) / 2,
                middle(centre.left, centre.right, area.left, area.right, shown.right - shown.left),
                2);
    EXPECT_NEAR((shown.top + shown.bottom) / 2,
                middle(centre.top, centre.bottom, area.top, area.bottom, shown.bottom - shown.top),
                2);
}

class DialogPlacement : public DialogTest {
protected:
    // The rule list opens centred on the host's window (or the work area without one), the
    // editor centred on the rule list.
    void ExpectBothCentred(std::optional<POINT> hostAt) {
        const UniqueWindow host = hostAt ? ActiveHostWindow(*hostAt) : nullptr;
        ASSERT_EQ(GetActiveWindow(), host.get());
        RunRuleList([&host](HWND dialog, const ListView&) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), host.get());
            ExpectCentredOn(dialog, host ? WindowRect(host.get()) : PrimaryWorkArea());
            HWND editor = OpenEditor(dialog, IDC_ADD);
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(GetWindow(editor, GW_OWNER), dialog);
            ExpectCentredOn(editor, WindowRect(dialog));
            Press(editor, IDCANCEL);
            Press(dialog, IDCANCEL);
        });
    }
};

TEST_F(DialogPlacement, WithoutAHostWindowOnTheWorkArea) {
    StartWithRules(kOneRule);
    ExpectBothCentred(std::nullopt);
}

TEST_F(DialogPlacement, OnTheHostWindow) {
    StartWithRules(kOneRule);
    const RECT area = PrimaryWorkArea();
    // Its middle lies off the work area's, so that the two cannot be taken for each other.
    ExpectBothCentred(POINT{(area.left + area.right) / 2 - 180, (area.top + area.bottom) / 2 - 80});
}

TEST_F(DialogPlacement, KeptOnTheWorkAreaBesideAHostWindowAtItsEdges) {
    StartWithRules(kOneRule);
    const RECT area = PrimaryWorkArea();
    ExpectBothCentred(POINT{area.right - 100, area.bottom - 80});
    ExpectBothCentred(POINT{area.left - 200, area.top - 150});
}

}  // namespace

// The dialog templates inside the built Quillet.dll, loaded as a resource module and parsed
// from their DLGTEMPLATEEX bytes: every control's id, class, caption and style in tab order,
// and a layout in which each control lies inside the dialog and overlaps no other one.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "dialogs/resource.h"
#include "testhost/ModuleSession.h"
#include "testhost/TextUtf8.h"

namespace {

// A class or a caption: a text or an ordinal (0xFFFF followed by a number).
using NameOrOrdinal = std::variant<std::wstring, WORD>;

struct Control {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    DWORD id;
    NameOrOrdinal className;
    NameOrOrdinal caption;
    WORD extraBytes;
};

struct Template {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    NameOrOrdinal menu;
    NameOrOrdinal className;
    std::wstring caption;
    WORD pointSize;
    WORD weight;
    BYTE italic;
    BYTE charset;
    std::wstring typeface;
    std::vector<Control> controls;
};

// Reads the template's fields in order, checking that nothing runs past its bytes.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}

    template <typename T>
    T Read() {
        T value{};
        if (offset_ + sizeof(T) > size_) {
            overrun_ = true;
            return value;
        }
        std::memcpy(&value, data_ + offset_, sizeof(T));
        offset_ += sizeof(T);
        return value;
    }
    std::wstring ReadText() {
        std::wstring text;
        for (WORD unit = Read<WORD>(); unit != 0 && !overrun_; unit = Read<WORD>()) {
            text.push_back(static_cast<wchar_t>(unit));
        }
        return text;
    }
    NameOrOrdinal ReadNameOrOrdinal() {
        const size_t start = offset_;
        if (Read<WORD>() == 0xFFFF) return Read<WORD>();
        offset_ = start;
        return ReadText();
    }
    void AlignToDword() { offset_ = (offset_ + 3) & ~size_t{3}; }
    void Skip(size_t bytes) { offset_ += bytes; }
    bool overrun() const { return overrun_ || offset_ > size_; }

private:
    const BYTE* data_;
    size_t size_;
    size_t offset_ = 0;
    bool overrun_ = false;
};

Template Parse(const BYTE* data, size_t size) {
    TemplateReader in(data, size);
    Template t{};
    EXPECT_EQ(in.Read<WORD>(), 1) << "dlgVer";
    EXPECT_EQ(in.Read<WORD>(), 0xFFFF) << "signature of DLGTEMPLATEEX";
    in.Read<DWORD>();  // helpID
    t.exStyle = in.Read<DWORD>();
    t.style = in.Read<DWORD>();
    const WORD count = in.Read<WORD>();
    t.x = in.Read<short>();
    t.y = in.Read<short>();
    t.cx = in.Read<short>();
    t.cy = in.Read<short>();
    t.menu = in.ReadNameOrOrdinal();
    t.className = in.ReadNameOrOrdinal();
    t.caption = in.ReadText();
    if (t.style & (DS_SETFONT | DS_SHELLFONT)) {
        t.pointSize = in.Read<WORD>();
        t.weight = in.Read<WORD>();
        t.italic = in.Read<BYTE>();
        t.charset = in.Read<BYTE>();
        t.typeface = in.ReadText();
    }
    for (WORD i = 0; i < count && !in.overrun(); ++i) {
        in.AlignToDword();
        Control c{};
        in.Read<DWORD>();  // helpID
        c.exStyle = in.Read<DWORD>();
        c.style = in.Read<DWORD>();
        c.x = in.Read<short>();
        c.y = in.Read<short>();
        c.cx = in.Read<short>();
        c.cy = in.Read<short>();
        c.id = in.Read<DWORD>();
        c.className = in.ReadNameOrOrdinal();
        c.caption = in.ReadNameOrOrdinal();
        c.extraBytes = in.Read<WORD>();
        in.Skip(c.extraBytes);
        t.controls.push_back(c);
    }
    EXPECT_FALSE(in.overrun()) << "the template ends before its last control";
    return t;
}

constexpr WORD kButton = 0x0080;
constexpr WORD kEdit = 0x0081;
constexpr WORD kStatic = 0x0082;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kStaticId = 0xFFFFFFFF;

// A control as the template must hold it, in tab order: its rectangle in dialog units.
struct ExpectedControl {
    DWORD id;
    NameOrOrdinal className;
    std::wstring caption;
    DWORD style;
    short x, y, cx, cy;
};

// A template: its frame and its controls.
struct ExpectedTemplate {
    int id;
    std::wstring caption;
    short cx, cy;
    std::vector<ExpectedControl> controls;
};

std::string Describe(const NameOrOrdinal& value) {
    if (const auto* text = std::get_if<std::wstring>(&value)) return Utf8FromWide(*text);
    return "#" + std::to_string(std::get<WORD>(value));
}

// Window classes are found regardless of case, and the resource compiler stores the names
// of classes it does not know in capitals.
bool SameClass(const NameOrOrdinal& a, const NameOrOrdinal& b) {
    const auto* textA = std::get_if<std::wstring>(&a);
    const auto* textB = std::get_if<std::wstring>(&b);
    if (textA == nullptr || textB == nullptr) return a == b;
    return CompareStringOrdinal(textA->c_str(), -1, textB->c_str(), -1, TRUE) == CSTR_EQUAL;
}

void ExpectControls(const Template& t, const std::vector<ExpectedControl>& expected) {
    ASSERT_EQ(t.controls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Control& c = t.controls[i];
        const ExpectedControl& e = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (" + Utf8FromWide(e.caption) + ")");
        EXPECT_EQ(c.id, e.id);
        EXPECT_TRUE(SameClass(c.className, e.className))
            << Describe(c.className) << " vs " << Describe(e.className);
        EXPECT_EQ(Describe(c.caption), Utf8FromWide(e.caption));
        EXPECT_EQ(c.style, e.style) << std::hex << c.style << " vs " << e.style;
        EXPECT_EQ(c.exStyle, 0u);
        EXPECT_EQ((std::vector<short>{c.x, c.y, c.cx, c.cy}),
                  (std::vector<short>{e.x, e.y, e.cx, e.cy}))
            << "x, y, width, height";
    }
}

bool Contains(const Control& outer, const Control& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.cx <= outer.x + outer.cx &&
           inner.y + inner.cy <= outer.y + outer.cy;
}

bool Overlap(const Control& a, const Control& b) {
    return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

bool IsGroupBox(const Control& c) {
    return (c.style & BS_TYPEMASK) == BS_GROUPBOX && SameClass(c.className, kButton);
}

// Every control has a size and lies inside the dialog; controls overlap only where a group
// box frames what lies wholly inside it.
void ExpectLaidOut(const Template& t) {
    Control frame{};
    frame.cx = t.cx;
    frame.cy = t.cy;
    for (size_t i = 0; i < t.controls.size(); ++i) {
        const Control& c = t.controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (" + Describe(c.caption) + ")");
        EXPECT_GT(c.cx, 0);
        EXPECT_GT(c.cy, 0);
        EXPECT_TRUE(Contains(frame, c));
        for (size_t j = i + 1; j < t.controls.size(); ++j) {
            const Control& other = t.controls[j];
            if (!Overlap(c, other)) continue;
            EXPECT_TRUE((IsGroupBox(c) && Contains(c, other)) ||
                        (IsGroupBox(other) && Contains(other, c)))
                << "overlaps control " << j << " (" << Describe(other.caption) << ")";
        }
    }
}

class DialogTemplates : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW(DefaultModulePath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr) << "Quillet.dll cannot be loaded as a resource module";
    }
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
    }

    // The template with the id, which exists in Korean (1042) only.
    Template Load(int id) {
        std::vector<WORD> languages;
        EnumResourceLanguagesW(
            module_, RT_DIALOG, MAKEINTRESOURCEW(id),
            [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) -> BOOL {
                reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, std::vector<WORD>{1042}) << "languages of dialog " << id;
        HRSRC korean = FindResourceExW(module_, RT_DIALOG, MAKEINTRESOURCEW(id),
                                       MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT));
        EXPECT_NE(korean, nullptr) << "no Korean dialog " << id;
        if (korean == nullptr) return {};
        HGLOBAL loaded = LoadResource(module_, korean);
        const auto* data = static_cast<const BYTE*>(LockResource(loaded));
        return Parse(data, SizeofResource(module_, korean));
    }

    HMODULE module_ = nullptr;
};

constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

constexpr DWORD kPush = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kDefaultPush = kChild | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kCheckBox = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kGroupBox = kChild | BS_GROUPBOX;
constexpr DWORD kText = kChild | WS_GROUP | SS_LEFT;
constexpr DWORD kEditBox = kChild | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
const NameOrOrdinal kListView = std::wstring(L"SysListView32");
const NameOrOrdinal kMfcButton = std::wstring(L"MfcButton");

// The templates as Quillet.rc and Preview.rc lay them out.
const ExpectedTemplate kHoleDiameter{
    IDD_HOLE_DIAMETER,
    L"Hole Diameter",
    516,
    226,
    {
        {IDOK, kButton, L"확인", kDefaultPush, 206, 200, 50, 14},
        {IDCANCEL, kButton, L"취소", kPush, 260, 200, 50, 14},
        {IDC_RULE_LIST, kListView, L"",
         kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_ALIGNLEFT, 60, 24, 230, 161},
        {IDC_ALL_ON, kButton, L"ON", kPush, 9, 24, 50, 14},
        {IDC_ALL_OFF, kButton, L"OFF", kPush, 9, 38, 50, 14},
        {IDC_REVERSE, kButton, L"REV", kPush, 9, 52, 50, 14},
        {IDC_ADD, kMfcButton, L"ADD", kPush, 59, 9, 59, 14},
        {IDC_DELETE, kMfcButton, L"DEL", kPush, 119, 9, 59, 14},
        {IDC_MODIFY, kMfcButton, L"MODIFY", kPush, 231, 9, 59, 14},
        {kStaticId, kButton, L"Help", kGroupBox, 295, 20, 214, 165},
        {kStaticId, kStatic, L"1. ADD(추가)", kText, 313, 35, 177, 8},
        {kStaticId, kStatic, L"    1-1. 적용할 Hole의 가공코드 입력", kText, 313, 48, 177, 8},
        {kStaticId, kStatic, L"       (ex) 101 ~ 199 : From ~ To", kText, 313, 61, 177, 8},
        {kStaticId, kStatic, L"    1-2. 적용할 Hole의 경 입력", kText, 313, 74, 177, 8},
        {kStaticId, kStatic, L"       (ex) 8.1 ~ 8.99 : From ~ To", kText, 313, 87, 177, 8},
        {kStaticId, kStatic, L"    1-3. 변경할 Hole의 경 입력", kText, 313, 100, 177, 8},
        {kStaticId, kStatic, L"       (ex) 8.5 : 8.1 <= 경 <= 8.99 일경우 8.5로 수정", kText, 313,
         113, 177, 8},
        {kStaticId, kStatic, L"2. DEL(삭제) : 노드선택후 삭제", kText, 313, 126, 177, 8},
        {kStaticId, kStatic, L"3. MODIFY(수정) : 노드선택후 수정", kText, 313, 139, 177, 8},
        {kStaticId, kStatic, L"4. ON/OFF/REV : 적용 on/off 기능", kText, 313, 152, 177, 8},
        // Added after every control above, so that their tab order stays.
        {IDC_UNDO, kButton, L"되돌리기", kPush, 9, 66, 50, 14},
        {IDC_PREVIEW_BEFORE_REWRITE, kButton, L"적용 전 미리 보기", kCheckBox, 110, 202, 90, 10},
        {kStaticId, kStatic, L"5. 되돌리기 : 마지막 수정 취소", kText, 313, 165, 177, 8},
    }};

const ExpectedTemplate kMasterSetting{
    IDD_MASTER_SETTING,
    L"Master Setting",
    187,
    118,
    {
        {IDCANCEL, kButton, L"취소", kPush, 94, 94, 50, 14},
        {kStaticId, kStatic, L"가공코드 :", kText, 15, 25, 46, 8},
        {kStaticId, kStatic, L"구멍경(대상) :", kText, 15, 42, 55, 8},
        {IDOK, kButton, L"적용", kPush, 42, 94, 50, 14},
        {IDC_CODE_FROM, kEdit, L"", kEditBox, 73, 22, 40, 14},
        {IDC_CODE_TO, kEdit, L"", kEditBox, 132, 22, 40, 14},
        {kStaticId, kStatic, L"~", kText, 120, 25, 8, 8},
        {kStaticId, kStatic, L"구멍경(수정) :", kText, 15, 58, 57, 8},
        {IDC_DIAMETER_MODIFY, kEdit, L"", kEditBox, 73, 54, 40, 14},
        {IDC_ENABLED, kButton, L"적용유무", kCheckBox, 15, 8, 49, 10},
        {IDC_DIAMETER_FROM, kEdit, L"", kEditBox, 73, 38, 40, 14},
        {IDC_DIAMETER_TO, kEdit, L"", kEditBox, 132, 38, 40, 14},
        {kStaticId, kStatic, L"~", kText, 120, 41, 8, 8},
        {kStaticId, kButton, L"", kGroupBox, 4, 0, 179, 91},
    }};

const ExpectedTemplate kPreview{
    12100,
    L"미리 보기",
    340,
    202,
    {
        {12101, kListView, L"",
         kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL |
             LVS_OWNERDATA,
         7, 46, 326, 130},
        {12102, kEdit, L"", kChild | WS_TABSTOP | WS_VSCROLL | ES_LEFT | ES_MULTILINE | ES_READONLY,
         7, 7, 326, 34},
        {IDOK, kButton, L"적용", kDefaultPush, 229, 182, 50, 14},
        {IDCANCEL, kButton, L"취소", kPush, 283, 182, 50, 14},
    }};

// The frame, every control from the table, and a layout without overlaps.
void ExpectTemplate(const Template& t, const ExpectedTemplate& expected) {
    EXPECT_EQ(t.style, kDialogStyle) << std::hex << t.style;
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(Describe(t.menu), "");
    EXPECT_EQ(Describe(t.className), "");
    EXPECT_EQ(t.caption, expected.caption);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.typeface, L"MS Shell Dlg");
    EXPECT_EQ(t.cx, expected.cx);
    EXPECT_EQ(t.cy, expected.cy);
    ExpectControls(t, expected.controls);
    ExpectLaidOut(t);
}

// The control of the template at the table's row for `id` and `caption`.
size_t RowOf(const ExpectedTemplate& expected, DWORD id, std::wstring_view caption = {}) {
    for (size_t i = 0; i < expected.controls.size(); ++i) {
        const ExpectedControl& c = expected.controls[i];
        if (c.id == id && (caption.empty() || c.caption == caption)) return i;
    }
    ADD_FAILURE() << "no row for control " << id;
    return 0;
}

TEST_F(DialogTemplates, HoleDiameterListsItsControlsInOrder) {
    const Template t = Load(kHoleDiameter.id);
    ExpectTemplate(t, kHoleDiameter);
    if (t.controls.size() != kHoleDiameter.controls.size()) return;
    // 되돌리기 below REV, the box left of 확인 on its line, the fifth help line under the fourth.
    const auto control = [&](DWORD id, std::wstring_view caption = {}) -> const Control& {
        return t.controls[RowOf(kHoleDiameter, id, caption)];
    };
    const Control& ok = control(IDOK);
    const Control& rev = control(IDC_REVERSE);
    const Control& undo = control(IDC_UNDO);
    const Control& box = control(IDC_PREVIEW_BEFORE_REWRITE);
    const Control& fourth = control(kStaticId, L"4. ON/OFF/REV : 적용 on/off 기능");
    const Control& fifth = control(kStaticId, L"5. 되돌리기 : 마지막 수정 취소");
    EXPECT_EQ(undo.x, rev.x);
    EXPECT_EQ(undo.y, rev.y + rev.cy);
    EXPECT_LE(box.x + box.cx, ok.x);
    EXPECT_TRUE(box.y >= ok.y && box.y + box.cy <= ok.y + ok.cy);
    EXPECT_EQ(fifth.x, fourth.x);
    EXPECT_EQ(fifth.y, fourth.y + 13);
    EXPECT_TRUE(Contains(control(kStaticId, L"Help"), fifth));  // inside the Help frame
}

TEST_F(DialogTemplates, PreviewListsItsControlsInOrder) {
    ExpectTemplate(Load(kPreview.id), kPreview);
}

TEST_F(DialogTemplates, MasterSettingListsItsControlsInOrder) {
    ExpectTemplate(Load(kMasterSetting.id), kMasterSetting);
}

}  // namespace

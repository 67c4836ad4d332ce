#include "dialogs/RuleListDialog_win.h"

#include <utility>

#include "controls/ReportListControl_win.h"
#include "dialogs/DialogFields.h"
#include "dialogs/EditorValues.h"
#include "dialogs/RuleEditorDialog_win.h"
#include "dialogs/RuleListText.h"
#include "dialogs/resource.h"
#include "framework/ModalDialog_win.h"
#include "platform/WideText_win.h"

namespace {

// Row r of the list shows rule r + 1 of the table.
int32_t RuleOfRow(int row) {
    return row + 1;
}

// Sets a flag for the life of the object.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), old_(std::exchange(flag, true)) {}
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

class RuleListDialog final : public ModalDialog {
public:
    RuleListDialog(RuleTable table, RuleListOptions options)
        : ModalDialog(IDD_HOLE_DIAMETER), rules_(std::move(table)), options_(std::move(options)) {}

    // What the user left, once the dialog has ended with `result`.
    RuleListResult Result(INT_PTR result) && {
        return {result == IDOK ? ListOutcome::Confirmed : ListOutcome::Cancelled, std::move(rules_),
                options_.previewBeforeRewrite};
    }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(bool saveAndValidate) override;
    void OnCommand(int controlId, int notifyCode) override;
    LRESULT OnNotify(const NMHDR& header) override;
    void OnDpiChanged(int dpi) override;

private:
    void FillList();
    void ShowRuleInRow(int row);
    void RefreshButtons();
    void EnableAddWhileRoomLeft();
    void FocusList();
    void TellTableChanged() const;

    void OnClickList();
    void OnItemChanged(const NMLISTVIEW& change);
    void OnAllOn();
    void OnAllOff();
    void OnReverse();
    void SetEveryBox(const std::function<bool(bool)>& newState);
    void OnAdd();
    void OnDelete();
    void OnModify();
    void OnAccepted(const HoleRule& values);
    void OnUndo();

    RuleTable rules_;
    RuleListOptions options_;
    ReportListControl list_;
    // True while the dialog itself changes rows and boxes, whose notifications must not
    // be taken for the user's.
    bool updatingList_ = false;
};

void RuleListDialog::DoDataExchange(bool saveAndValidate) {
    if (list_.hwnd() == nullptr) list_.SubclassWindow(Item(IDC_RULE_LIST));
    int32_t preview = options_.previewBeforeRewrite ? 1 : 0;
    ExchangeCheck(saveAndValidate, IDC_PREVIEW_BEFORE_REWRITE, preview);
    options_.previewBeforeRewrite = preview != 0;
}

BOOL RuleListDialog::OnInitDialog() {
    ModalDialog::OnInitDialog();
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    for (int column = 0; column < kRuleListColumns; ++column) {
        const DialogField& shown = FirstFieldOfColumn(column);
        list_.InsertScaledColumn(column, ToWide(shown.listHeader), shown.listWidth, LVCFMT_CENTER);
    }
    EnableWindow(Item(IDC_PREVIEW_BEFORE_REWRITE), !options_.previewDecidedByMachine);
    EnableWindow(Item(IDC_UNDO), options_.undoLastRewrite != nullptr);
    FillList();
    return TRUE;
}

void RuleListDialog::OnCommand(int controlId, int notifyCode) {
    if (notifyCode != BN_CLICKED) return;
    switch (controlId) {
        case IDC_ALL_ON:
            OnAllOn();
            break;
        case IDC_ALL_OFF:
            OnAllOff();
            break;
        case IDC_REVERSE:
            OnReverse();
            break;
        case IDC_ADD:
            OnAdd();
            break;
        case IDC_DELETE:
            OnDelete();
            break;
        case IDC_MODIFY:
            OnModify();
            break;
        case IDC_UNDO:
            OnUndo();
            break;
        default:
            break;
    }
}

LRESULT RuleListDialog::OnNotify(const NMHDR& header) {
    if (header.idFrom != IDC_RULE_LIST) return 0;
    switch (header.code) {
        case NM_CLICK:
            OnClickList();
            break;
        case LVN_ITEMCHANGED:
            OnItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
            break;
        default:
            break;
    }
    return 0;
}

// Moved to a monitor of another scaling: the columns follow (the dialog manager resizes the
// dialog itself).
void RuleListDialog::OnDpiChanged(int dpi) {
    list_.FollowDpi(dpi);
}

void RuleListDialog::FillList() {
    {
        FlagScope updating(updatingList_);
        list_.DeleteAllItems();
        for (int32_t n = 1; n <= rules_.count(); ++n) {
            const int row = list_.InsertItem(list_.GetItemCount(), L"");
            if (row < 0) break;
            ShowRuleInRow(row);
        }
    }
    RefreshButtons();
}

void RuleListDialog::ShowRuleInRow(int row) {
    const HoleRule& rule = rules_.rule(RuleOfRow(row));
    list_.SetCheckState(row, rule.enabled != 0);
    for (int column = 1; column <= kRuleListTextColumns; ++column) {
        list_.SetItemText(row, column, ToWide(RuleListColumnText(rule, column)));
    }
}

void RuleListDialog::RefreshButtons() {
    const UINT selected = list_.GetSelectedCount();
    EnableWindow(Item(IDC_DELETE), selected != 0);
    EnableWindow(Item(IDC_MODIFY), selected == 1);
    EnableAddWhileRoomLeft();
    FocusList();
}

// A full table takes no further rule, so ADD is offered only while there is room.
void RuleListDialog::EnableAddWhileRoomLeft() {
    EnableWindow(Item(IDC_ADD), !rules_.IsFull());
}

void RuleListDialog::FocusList() {
    SetFocus(list_.hwnd());
}

// The list only sends this for clicks on a cell (its click filter drops the others). The
// flag itself follows the box in OnItemChanged: the box changes only after this
// notification, and a click beside the box in column 0 changes nothing.
void RuleListDialog::OnClickList() {
    InvalidateRect(hwnd(), nullptr, TRUE);
    RefreshButtons();
}

// Every change of a box by the user, by mouse or by the space key, reaches the rule's
// flag, so flag and box never disagree.
void RuleListDialog::OnItemChanged(const NMLISTVIEW& change) {
    if (updatingList_ || (change.uChanged & LVIF_STATE) == 0) return;
    if (((change.uOldState ^ change.uNewState) & LVIS_STATEIMAGEMASK) == 0) return;
    const int32_t n = RuleOfRow(change.iItem);
    if (change.iItem < 0 || n > rules_.count()) return;
    const UINT image = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
    if (image != 1 && image != 2) return;
    rules_.SetEnabled(n, image == 2);
    TellTableChanged();
}

void RuleListDialog::OnAllOn() {
    SetEveryBox([](bool) { return true; });
}

void RuleListDialog::OnAllOff() {
    SetEveryBox([](bool) { return false; });
}

void RuleListDialog::OnReverse() {
    SetEveryBox([](bool ticked) { return !ticked; });
}

// The row count is read again before each row, and each rule's new flag is read back from
// its box rather than derived from the old flag.
void RuleListDialog::SetEveryBox(const std::function<bool(bool)>& newState) {
    {
        FlagScope updating(updatingList_);
        for (int row = 0; row < list_.GetItemCount(); ++row) {
            list_.SetCheckState(row, newState(list_.GetCheckState(row)));
            rules_.SetEnabled(RuleOfRow(row), list_.GetCheckState(row));
        }
    }
    TellTableChanged();
    FocusList();
}

void RuleListDialog::OnAdd() {
    if (!rules_.IsFull()) {
        HoleRule start = options_.recallEditorValues != nullptr ? options_.recallEditorValues()
                                                                : DefaultEditorValues();
        if (const std::optional<HoleRule> values =
                EditRule(hwnd(), rules_, EditedRule::New(std::move(start)))) {
            OnAccepted(*values);
            rules_.Append(*values);
            TellTableChanged();
            FillList();
        }
    }
    FocusList();
}

// Walks from the last row up, so that the rows still to visit keep their numbers, and
// their rules too, while rules are removed. DEL and MODIFY keep their state until the
// next click or fill.
void RuleListDialog::OnDelete() {
    {
        FlagScope updating(updatingList_);
        const int rows = list_.GetItemCount();
        for (int row = rows - 1; row >= 0; --row) {
            if ((list_.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) == 0) continue;
            rules_.Remove(RuleOfRow(row));
            list_.DeleteItem(row);
        }
    }
    TellTableChanged();
    EnableAddWhileRoomLeft();
    FocusList();
}

void RuleListDialog::OnModify() {
    const int row = list_.GetSelectedCount() == 1 ? list_.GetNextSelectedItem(-1) : -1;
    if (row >= 0) {
        if (const std::optional<HoleRule> values =
                EditRule(hwnd(), rules_, EditedRule::Existing(RuleOfRow(row)))) {
            OnAccepted(*values);
            rules_.Replace(RuleOfRow(row), *values);
            TellTableChanged();
            FillList();
        }
    }
    FocusList();
}

// The editor starts its next new rule from what it accepted last.
void RuleListDialog::OnAccepted(const HoleRule& values) {
    if (options_.rememberEditorValues != nullptr) options_.rememberEditorValues(values);
}

void RuleListDialog::TellTableChanged() const {
    if (options_.tableChanged != nullptr) options_.tableChanged(rules_);
}

// An undo cannot be undone: once it ran the button stays disabled.
void RuleListDialog::OnUndo() {
    if (options_.undoLastRewrite != nullptr && IsWindowEnabled(Item(IDC_UNDO)) &&
        !options_.undoLastRewrite()) {
        EnableWindow(Item(IDC_UNDO), FALSE);
    }
    FocusList();
}

}  // namespace

RuleListResult EditRuleList(HWND owner, RuleTable table, RuleListOptions options) {
    RuleListDialog list(std::move(table), std::move(options));
    const INT_PTR result = list.DoModal(owner);
    return std::move(list).Result(result);
}

// The host may send event 7 again from its own message handling, which runs inside the
// list's modal loop (or the editor's) on the same thread. A second list over the same table
// would leave the first one showing rows that no longer match the table, so whether one is
// open is asked of the thread's windows themselves.
bool RuleListIsOpen() {
    bool open = false;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            if (dynamic_cast<RuleListDialog*>(ModalDialog::FromWindow(window)) == nullptr)
                return TRUE;
            *reinterpret_cast<bool*>(found) = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&open));
    return open;
}

#include "dialogs/PreviewDialog_win.h"

#include <algorithm>

#include "controls/ReportListControl_win.h"
#include "dialogs/PreviewResource.h"
#include "dialogs/PreviewRows.h"
#include "framework/ModalDialog_win.h"
#include "platform/Handles_win.h"
#include "platform/WideText_win.h"
#include "texts/ModuleTexts.h"

namespace {

// Widths in pixels at 100 % display scaling; the list lays them out at its window's DPI.
struct ColumnLayout {
    std::u16string_view header;
    int width;
    int format;
};

constexpr ColumnLayout kColumns[kPreviewColumnCount] = {
    {texts::kPreviewHoleColumn, 60, LVCFMT_LEFT},
    {texts::kPreviewStepColumn, 45, LVCFMT_RIGHT},
    {texts::kPreviewCodeColumn, 70, LVCFMT_RIGHT},
    {texts::kPreviewDiameterColumn, 80, LVCFMT_RIGHT},
    {texts::kPreviewNewDiameterColumn, 80, LVCFMT_RIGHT},
    {texts::kPreviewRuleColumn, 110, LVCFMT_LEFT},
};

// A summary that fits its box shows no scroll bar. Hiding the bar only widens the box, so
// the text still fits once it wraps again.
void ScrollBarOnlyWhenNeeded(HWND box) {
    const WindowDc dc(box);
    if (dc.get() == nullptr) return;
    const SelectedObject font(dc.get(),
                              reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    RECT text{};
    SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    if (!GetTextMetricsW(dc.get(), &metrics) || metrics.tmHeight <= 0) return;
    const LRESULT lines = SendMessageW(box, EM_GETLINECOUNT, 0, 0);
    if (lines * metrics.tmHeight <= text.bottom - text.top) ShowScrollBar(box, SB_VERT, FALSE);
}

// The list holds no rows of its own (LVS_OWNERDATA): it asks for the cells it draws, so the
// dialog opens as fast for a million rows as for one.
class PreviewDialog final : public ModalDialog {
public:
    explicit PreviewDialog(const RewritePreview& preview)
        : ModalDialog(IDD_REWRITE_PREVIEW), preview_(preview), rows_(preview.holes) {}

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(bool saveAndValidate) override;
    LRESULT OnNotify(const NMHDR& header) override;
    // The summary's font and box are scaled after this, by the dialog manager, and need not
    // keep the same lines: its scroll bar is shown again, so that no line can be cut.
    void OnDpiChanged(int dpi) override {
        list_.FollowDpi(dpi);
        ShowScrollBar(Item(IDC_PREVIEW_SUMMARY), SB_VERT, TRUE);
    }

private:
    void GiveCellText(LVITEMW& item) const;
    void SortBy(int column);

    const RewritePreview& preview_;
    PreviewRows rows_;
    ReportListControl list_;
};

void PreviewDialog::DoDataExchange(bool /*saveAndValidate*/) {
    if (list_.hwnd() == nullptr) list_.SubclassWindow(Item(IDC_PREVIEW_LIST));
}

BOOL PreviewDialog::OnInitDialog() {
    ModalDialog::OnInitDialog();
    SetWindowTextW(Item(IDC_PREVIEW_SUMMARY), ToWide(preview_.summary).c_str());
    ScrollBarOnlyWhenNeeded(Item(IDC_PREVIEW_SUMMARY));
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    int column = 0;
    for (const ColumnLayout& shown : kColumns) {
        list_.InsertScaledColumn(column++, ToWide(shown.header), shown.width, shown.format);
    }
    // A list view counts its rows in an int.
    list_.SetItemCount(static_cast<int>(std::min<size_t>(rows_.size(), INT_MAX)));
    // The dialog manager gives the list the focus: the arrow keys scroll it, Enter is 적용
    // (the default button) and Esc 취소. The summary follows it in the tab order.
    return TRUE;
}

LRESULT PreviewDialog::OnNotify(const NMHDR& header) {
    if (header.idFrom != IDC_PREVIEW_LIST) return 0;
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            // The list reads the text from its own buffer, which the notification points to.
            auto& info = *reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header));
            GiveCellText(info.item);
            return 0;
        }
        case LVN_COLUMNCLICK:
            SortBy(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            return 0;
        case LVN_ODFINDITEMW:
            return -1;  // typing finds no row: the texts are not there to search
        default:
            return 0;
    }
}

// The list's buffer takes what fits of the text, always ended by a null.
void PreviewDialog::GiveCellText(LVITEMW& item) const {
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
    if (item.iItem < 0 || item.iSubItem < 0 || item.iSubItem >= kPreviewColumnCount) {
        item.pszText[0] = L'\0';
        return;
    }
    const std::wstring text = ToWide(
        rows_.CellText(static_cast<size_t>(item.iItem), static_cast<PreviewColumn>(item.iSubItem)));
    const size_t copied = std::min(text.size(), static_cast<size_t>(item.cchTextMax) - 1);
    std::copy_n(text.data(), copied, item.pszText);
    item.pszText[copied] = L'\0';
}

// The selected row stays selected and in view wherever the sort puts it.
void PreviewDialog::SortBy(int column) {
    if (column < 0 || column >= kPreviewColumnCount) return;
    const int selected = list_.GetNextSelectedItem(-1);
    const size_t moved = rows_.SortBy(static_cast<PreviewColumn>(column),
                                      selected >= 0 ? static_cast<size_t>(selected) : rows_.size());
    list_.SetSortArrow(column, rows_.descending());
    if (selected >= 0) {
        list_.SelectItem(static_cast<int>(moved));
        list_.EnsureVisible(static_cast<int>(moved));
    }
    list_.RedrawAllItems();
}

}  // namespace

bool ConfirmRewrite(HWND owner, const RewritePreview& preview) {
    PreviewDialog dialog(preview);
    return dialog.DoModal(owner) == IDOK;
}

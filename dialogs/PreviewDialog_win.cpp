#include "dialogs/PreviewDialog_win.h"

#include "controls/ReportListControl_win.h"
#include "dialogs/ModuleTexts.h"
#include "dialogs/PreviewResource.h"
#include "framework/ModalDialog_win.h"
#include "platform/WideText_win.h"

namespace {

// Widths in pixels at 100 % display scaling; the list lays them out at its window's DPI.
struct PreviewColumn {
    std::u16string_view header;
    int width;
    int format;
};

constexpr PreviewColumn kColumns[] = {
    {texts::kPreviewHoleColumn, 60, LVCFMT_LEFT},
    {texts::kPreviewStepColumn, 45, LVCFMT_RIGHT},
    {texts::kPreviewCodeColumn, 70, LVCFMT_RIGHT},
    {texts::kPreviewDiameterColumn, 80, LVCFMT_RIGHT},
    {texts::kPreviewNewDiameterColumn, 80, LVCFMT_RIGHT},
    {texts::kPreviewRuleColumn, 110, LVCFMT_LEFT},
};

class PreviewDialog final : public ModalDialog {
public:
    explicit PreviewDialog(const RewritePreview& preview)
        : ModalDialog(IDD_REWRITE_PREVIEW), preview_(preview) {}

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(bool saveAndValidate) override;
    void OnDpiChanged(int dpi) override { list_.FollowDpi(dpi); }

private:
    void FillList();

    const RewritePreview& preview_;
    ReportListControl list_;
};

void PreviewDialog::DoDataExchange(bool /*saveAndValidate*/) {
    if (list_.hwnd() == nullptr) list_.SubclassWindow(Item(IDC_PREVIEW_LIST));
}

BOOL PreviewDialog::OnInitDialog() {
    ModalDialog::OnInitDialog();
    SetWindowTextW(Item(IDC_PREVIEW_SUMMARY), ToWide(preview_.summary).c_str());
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    int column = 0;
    for (const PreviewColumn& shown : kColumns) {
        list_.InsertScaledColumn(column++, ToWide(shown.header), shown.width, shown.format);
    }
    FillList();
    // The dialog manager gives the list the focus: the arrow keys scroll it, Enter is 적용
    // (the default button) and Esc 취소.
    return TRUE;
}

void PreviewDialog::FillList() {
    for (const HoleChange& hole : preview_.holes) {
        for (const StepChange& step : hole.steps) {
            const std::vector<std::u16string> texts = PreviewRowTexts(hole.holeId, step);
            const int row = list_.InsertItem(list_.GetItemCount(), ToWide(texts[0]));
            if (row < 0) return;
            for (size_t column = 1; column < texts.size(); ++column) {
                list_.SetItemText(row, static_cast<int>(column), ToWide(texts[column]));
            }
        }
    }
}

}  // namespace

bool ConfirmRewrite(HWND owner, const RewritePreview& preview) {
    PreviewDialog dialog(preview);
    return dialog.DoModal(owner) == IDOK;
}

// The rule list's report view. It drops left clicks that fall on no cell before the list
// view sees them, and it takes the keyboard focus when its scroll bars are used. Its column
// widths are given at 100 % display scaling and follow the DPI of its window.
#pragma once

#include <string_view>

#include "framework/ListCtrl_win.h"

class ReportListControl final : public ListCtrl {
public:
    // The cell under a point in client coordinates. The caller sets row and column to -1.
    bool HitTestCell(POINT point, int& row, int& column) const;

    // A column whose width is given in pixels at 100 % scaling, laid out at the window's DPI.
    int InsertScaledColumn(int column, std::wstring_view header, int designWidth, int format);
    // Carries the column widths and the check box images to the window's new DPI.
    void FollowDpi(int dpi);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnScroll(UINT message, WPARAM wParam, LPARAM lParam);
    int LayoutDpi();
    void ScaleCheckBoxImages(int fromDpi, int toDpi);

    // The DPI the columns are laid out at; 0 until the first column is inserted.
    int layoutDpi_ = 0;
};

// The rule list's report view. It drops left clicks that fall on no cell before the list
// view sees them, and it takes the keyboard focus when its scroll bars are used.
#pragma once

#include "platform/ListCtrl.h"

class CiStCListCtrl final : public ListCtrl {
public:
    // The cell under a point in client coordinates. The caller sets row and column to -1.
    bool HitTestCell(POINT point, int& row, int& column) const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnScroll(UINT message, WPARAM wParam, LPARAM lParam);
};

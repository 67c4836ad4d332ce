// "미리 보기": what a rewrite would change, step by step, shown before anything is amended.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "command/HoleChange.h"

struct RewritePreview {
    std::u16string summary;  // the text above the list
    // One row per changed step, in selection order (columns 구멍, 단계, 가공코드, 현재 경,
    // 새 경, 규칙).
    std::span<const HoleChange> holes;
};

// Shows the preview modally over `owner`. True for 적용 (or Enter); false for 취소, Esc, the
// close box, or a dialog that could not be shown.
bool ConfirmRewrite(HWND owner, const RewritePreview& preview);

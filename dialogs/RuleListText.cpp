#include "dialogs/RuleListText.h"

#include <algorithm>
#include <array>

#include "dialogs/DialogFields.h"

namespace {

char16_t FoldLatinCase(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c - u'A' + u'a' : c;
}

}  // namespace

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return std::ranges::equal(
        a, b, [](char16_t x, char16_t y) { return FoldLatinCase(x) == FoldLatinCase(y); });
}

std::u16string RangeText(std::u16string_view from, std::u16string_view to) {
    std::u16string text(from);
    if (!to.empty() && !EqualsIgnoringCase(from, to)) {
        text += u'-';
        text += to;
    }
    return text;
}

std::u16string RuleListColumnText(const HoleRule& rule, int column) {
    std::array<std::u16string, 2> texts;
    size_t shown = 0;
    for (const RuleFieldInfo& field : RuleTextFields()) {
        if (DialogFieldOf(field.field).listColumn == column && shown < texts.size()) {
            texts[shown++] = FieldText(rule, field);
        }
    }
    return shown == 2 ? RangeText(texts[0], texts[1]) : texts[0];
}

bool ConfirmedListSaves(int32_t countAtOpen, int32_t countNow) {
    return countNow > 0 || countAtOpen > 0;
}

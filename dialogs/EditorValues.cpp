#include "dialogs/EditorValues.h"

namespace {

// The rule's texts in the order of kEditorValueRows; row 0 is the flag.
constexpr std::array<RuleText HoleRule::*, kEditorValueRows.size()> kTextMembers{
    nullptr,
    &HoleRule::CodeFrom,
    &HoleRule::CodeTo,
    &HoleRule::DiameterFrom,
    &HoleRule::DiameterTo,
    &HoleRule::DiameterModify,
};

}  // namespace

std::u16string MakeKeyPath(std::u16string_view subKeyName) {
    std::u16string path(kEditorKeyPrefix);
    path += subKeyName;
    return path;
}

std::u16string StoredText(const HoleRule& values, size_t row) {
    if (row == 0) return values.isDisplay != 0 ? u"1" : u"0";
    return row < kTextMembers.size() ? values.*kTextMembers[row] : std::u16string();
}

void TakeStoredText(HoleRule& values, size_t row, std::u16string_view text) {
    if (row == 0) {
        values.isDisplay = text == u"1" ? 1 : 0;
        return;
    }
    if (row < kTextMembers.size()) (values.*kTextMembers[row]).assign(text);
}

HoleRule DefaultEditorValues() {
    HoleRule values;
    for (size_t row = 0; row < kEditorValueRows.size(); ++row) {
        TakeStoredText(values, row, kEditorValueRows[row].defaultText);
    }
    return values;
}

std::u16string DecodeRegistryText(std::span<const unsigned char> bytes) {
    std::u16string text;
    // An odd last byte is half a code unit and is dropped.
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == u'\0') break;
        text.push_back(unit);
    }
    return text;
}

#include "entry/EditorMemory_win.h"

#include <string>

#include "dialogs/DialogFields.h"
#include "dialogs/EditorValues.h"
#include "settings/Registry_win.h"

HoleRule RecallEditorValues() {
    HoleRule values;
    for (size_t row = 0; row < kDialogFields.size(); ++row) {
        const Setting& setting = kDialogFields[row].remembered;
        SystemResult<std::u16string> text = ReadRememberedText(setting);
        if (!text) {
            text = std::u16string(setting.defaultText);
            (void)RememberText(setting, *text);
        }
        TakeStoredText(values, row, *text);
    }
    return values;
}

void RememberEditorValues(const HoleRule& values) {
    for (size_t row = 0; row < kDialogFields.size(); ++row) {
        (void)RememberText(kDialogFields[row].remembered, StoredText(values, row));
    }
}

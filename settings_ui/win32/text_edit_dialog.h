#pragma once
// The dialog "Строка" (resource 111): edits the one line of text a hotkey types.
#include <windows.h>

#include "toolkit/wide_string.h"
#include "toolkit/win32/dialog.h"

class TextEditDialog : public DialogEntity {
public:
    TextEditDialog() = default;

    // Set before the dialog runs; after it ended with 1 (OK) it holds the edited text.
    const WideString& Text() const { return text_; }
    void SetText(const WideString& text) { text_ = text; }

    // Shows the text; the focus goes to the first tab stop, the OK button.
    INT_PTR OnInitDialog() override;
    // OK takes the edit's text back, unless nothing storable is left of it.
    INT_PTR OnCommand(WPARAM wparam, LPARAM lparam) override;

private:
    WideString text_ = WideString(u"");
};

// The edit's text without the units a hotkey text cannot hold: U+0001 and U+0002 delimit the
// items in the stored profile, and NUL would cut the text short.
WideString StorableHotkeyText(std::u16string_view text);

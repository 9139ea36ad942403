#include "settings_ui/win32/text_edit_dialog.h"

#include "resources/resource.h"
#include "store/profile.h"
#include "toolkit/win32/window_text.h"

WideString StorableHotkeyText(std::u16string_view text) {
    WideString kept(u"");
    for (const char16_t unit : text) {
        if (unit != u'\0' && unit != kItemsSeparator && unit != kItemsTerminator) kept.Append(unit);
    }
    return kept;
}

INT_PTR TextEditDialog::OnInitDialog() {
    ::SetDlgItemTextW(Window(), IDC_TEXT_EDIT, text_.IsNull() ? L"" : W(text_));
    return DialogEntity::OnInitDialog();
}

INT_PTR TextEditDialog::OnCommand(WPARAM wparam, LPARAM lparam) {
    if (LOWORD(wparam) == IDOK) {
        WideString typed;
        FillFromWindowText(typed, ::GetDlgItem(Window(), IDC_TEXT_EDIT));
        // An emptied edit, or one holding only delimiters, keeps the text the dialog was given.
        WideString kept = StorableHotkeyText(typed.View());
        if (!kept.IsEmpty()) text_ = kept;
    }
    return DialogEntity::OnCommand(wparam, lparam);
}

#include "settings_ui/win32/hotkey_page.h"

#include "resources/resource.h"
#include "settings_ui/key_caption.h"
#include "settings_ui/win32/text_edit_dialog.h"
#include "toolkit/win32/handles.h"

namespace {

constexpr int kKeyColumnWidth = 80;
constexpr int kTextColumnWidth = 200;
constexpr DWORD kListStyles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
static_assert(kListStyles == 0x21);

// The list view takes its texts through non-const pointers but only reads them.
wchar_t* ListText(const WideString& text) { return const_cast<wchar_t*>(text.IsNull() ? L"" : W(text.Data())); }

void InsertColumn(HWND list, int index, const wchar_t* title, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(title);
    column.cx = width;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

// The list claims Enter, which the dialog-message handling would otherwise take as OK.
LRESULT CALLBACK ListClaimsEnter(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                 DWORD_PTR) noexcept {
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(list, ListClaimsEnter, id);
    const LRESULT result = ::DefSubclassProc(list, message, wparam, lparam);
    return message == WM_GETDLGCODE && wparam == VK_RETURN ? result | DLGC_WANTALLKEYS : result;
}

}  // namespace

INT_PTR HotkeyPage::OnInitDialog() {
    list_ = ::GetDlgItem(Window(), IDC_HOTKEY_LIST);
    ::SetWindowSubclass(list_, ListClaimsEnter, 0, 0);
    InsertColumn(list_, 0, L"Кнопка", kKeyColumnWidth);
    InsertColumn(list_, 1, L"Текст", kTextColumnWidth);
    ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, kListStyles, kListStyles);
    FillHotkeyList();
    return DialogEntity::OnInitDialog();
}

void HotkeyPage::SetRowText(int row, int column, const WideString& text) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = ListText(text);
    ::SendMessageW(list_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void HotkeyPage::FillHotkeyList() {
    const auto selected =
        static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < table_.Count(); ++i) {
        const HotkeyItem& hotkey = table_.At(i);
        const WideString caption = KeyCaption(hotkey.keyCode, hotkey.extraModifier);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = ListText(caption);
        ::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SetRowText(static_cast<int>(i), 1, hotkey.text);
    }
    if (selected >= 0) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&state));
    }
}

INT_PTR HotkeyPage::OnNotify(int controlId, NMHDR* header, LRESULT* result) {
    EditHotkeyText(controlId, header);
    return DialogEntity::OnNotify(controlId, header, result);
}

void HotkeyPage::EditHotkeyText(int controlId, const NMHDR* header) {
    if (controlId != IDC_HOTKEY_LIST || !header || !list_ || header->hwndFrom != list_) return;
    // Only the list view's own double-click carries the row record that is read here.
    if (header->code == static_cast<UINT>(NM_DBLCLK)) EditRow(reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
    if (header->code == static_cast<UINT>(LVN_KEYDOWN)) {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey;
        if (key == VK_RETURN || key == VK_F2)
            EditRow(static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
    }
}

void HotkeyPage::EditRow(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= table_.Count()) return;

    TextEditDialog editor;
    editor.SetText(table_.At(static_cast<std::size_t>(row)).text);
    if (editor.RunModal(IDD_TEXT_EDIT, Window()) != IDOK) return;
    // The dialog runs its own message loop: the row is looked up again, not kept by reference.
    if (static_cast<std::size_t>(row) >= table_.Count()) return;
    table_.At(static_cast<std::size_t>(row)).text = editor.Text();
    SetRowText(row, 1, editor.Text());
}

#include "settings_ui/win32/hotkey_page.h"

#include "resources/resource.h"
#include "settings_ui/key_caption.h"
#include "settings_ui/win32/chord_transfer.h"
#include "settings_ui/win32/text_edit_dialog.h"
#include "store/catalogue.h"
#include "toolkit/win32/handles.h"
#include "toolkit/win32/text.h"

namespace {

constexpr int kKeyColumnWidth = 80;
constexpr int kTextColumnWidth = 200;
constexpr DWORD kListStyles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
static_assert(kListStyles == 0x21);

// The list view takes its texts through non-const pointers but only reads them.
wchar_t* ListText(const WideString& text) { return const_cast<wchar_t*>(W(text)); }

WideString ItemCaption(const HotkeyItem& item) {
    return item.IsAbbreviation() ? AbbreviationCaption(item.abbreviation.View())
                                 : ChordCaption(item.keyCode, item.extraModifier);
}

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

void HotkeyPage::FillHotkeyList() {
    const auto selected =
        static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < table_.Count(); ++i) {
        const HotkeyItem& hotkey = table_.At(i);
        const WideString caption = ItemCaption(hotkey);
        const WideString text = ListedText(hotkey.text.View());
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = ListText(caption);
        ::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = ListText(text);
        ::SendMessageW(list_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    if (selected >= 0) SelectRow(selected);
}

void HotkeyPage::SelectRow(int row) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    ::SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

int HotkeyPage::SelectedRow() const {
    return static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

INT_PTR HotkeyPage::OnCommand(WPARAM wparam, LPARAM lparam) {
    switch (wparam) {
        case IDC_HOTKEY_ADD:
            EditRow(-1);
            break;
        case IDC_HOTKEY_CHANGE:
            if (SelectedRow() >= 0) EditRow(SelectedRow());
            break;
        case IDC_HOTKEY_DELETE:
            DeleteRow(SelectedRow());
            break;
        case IDC_HOTKEY_EXPORT:
            ExportChords(::GetAncestor(Window(), GA_ROOT), table_);
            break;
        case IDC_HOTKEY_IMPORT:
            if (ImportChords(::GetAncestor(Window(), GA_ROOT), table_)) FillHotkeyList();
            break;
        default:
            break;
    }
    return SettingsPage::OnCommand(wparam, lparam);
}

INT_PTR HotkeyPage::OnNotify(int controlId, NMHDR* header, LRESULT* result) {
    if (controlId == IDC_HOTKEY_LIST && header != nullptr && list_ != nullptr && header->hwndFrom == list_)
        OnListNotify(header);
    return DialogEntity::OnNotify(controlId, header, result);
}

void HotkeyPage::OnListNotify(const NMHDR* header) {
    // Only the list view's own notifications carry the records that are read here.
    if (header->code == static_cast<UINT>(NM_DBLCLK)) {
        const int row = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
        if (row >= 0) EditRow(row);
    } else if (header->code == static_cast<UINT>(LVN_KEYDOWN)) {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey;
        if ((key == VK_RETURN || key == VK_F2) && SelectedRow() >= 0) EditRow(SelectedRow());
        if (key == VK_INSERT) EditRow(-1);
        if (key == VK_DELETE) DeleteRow(SelectedRow());
    }
}

void HotkeyPage::EditRow(int row) {
    if (row < -1 || row >= static_cast<int>(table_.Count())) return;
    TextEditDialog editor;
    if (row >= 0) {
        const HotkeyItem& item = table_.At(static_cast<std::size_t>(row));
        editor.SetText(item.text);
        editor.SetChord(item.keyCode, item.extraModifier);
        if (item.IsAbbreviation()) editor.SetAbbreviation(item.abbreviation, item.immediate);
        editor.SetWay(item.way);
    }
    editor.SetModifierMode(::IsDlgButtonChecked(Window(), IDC_MODIFIER_ALT) == BST_CHECKED ? kHotKey2Alt
                                                                                           : kHotKey2LeftWin);
    editor.CheckAgainst(table_, row);
    if (editor.RunModal(IDD_TEXT_EDIT, Window()) != IDOK) return;
    // The dialog runs its own message loop: the row is looked up again, not kept by reference.
    if (row >= static_cast<int>(table_.Count())) return;
    const bool abbreviation = !editor.Abbreviation().IsNull();
    if (row < 0) {
        if (abbreviation)
            table_.AppendAbbreviation(editor.Abbreviation(), editor.Text());
        else
            table_.Append(editor.KeyCode(), editor.ExtraModifier(), editor.Text());
        row = static_cast<int>(table_.Count()) - 1;
    } else {
        if (abbreviation)
            table_.SetAbbreviation(static_cast<std::size_t>(row), editor.Abbreviation());
        else
            table_.SetChord(static_cast<std::size_t>(row), editor.KeyCode(), editor.ExtraModifier());
        table_.At(static_cast<std::size_t>(row)).text = editor.Text();
    }
    HotkeyItem& edited = table_.At(static_cast<std::size_t>(row));
    edited.way = editor.Way();
    if (abbreviation) table_.SetImmediate(static_cast<std::size_t>(row), editor.Immediate());  // keeps the hook's index true
    FillHotkeyList();
    SelectRow(row);
}

void HotkeyPage::DeleteRow(int row) {
    if (row < 0 || row >= static_cast<int>(table_.Count())) return;
    const HotkeyItem& item = table_.At(static_cast<std::size_t>(row));
    WideString question(item.IsAbbreviation() ? u"Удалить сокращение " : u"Удалить комбинацию ");
    question.Append(item.IsAbbreviation() ? AbbreviationCaption(item.abbreviation.View())
                                          : ChordCaption(item.keyCode, item.extraModifier));
    question.Append(u"?");
    if (::MessageBoxW(Window(), W(question), W(kApplicationName),
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    if (row >= static_cast<int>(table_.Count())) return;
    table_.Remove(static_cast<std::size_t>(row));
    FillHotkeyList();
    if (table_.Count() > 0) SelectRow(row < static_cast<int>(table_.Count()) ? row : row - 1);
}

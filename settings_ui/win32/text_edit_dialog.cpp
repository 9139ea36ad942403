#include "settings_ui/win32/text_edit_dialog.h"

#include <commctrl.h>

#include "resources/resource.h"
#include "settings_ui/key_caption.h"
#include "store/catalogue.h"
#include "store/profile.h"
#include "toolkit/win32/text.h"

namespace {

// Alt would make the chord the other main modifier's, and the engine never matches Ctrl and
// Shift together, so neither is offered: such a press records the plain key.
constexpr WPARAM kRefusedCombinations = HKCOMB_A | HKCOMB_CA | HKCOMB_SA | HKCOMB_SCA | HKCOMB_SC;

// The choices of "Вставлять:", in the order of the ways after "as the settings say".
constexpr const wchar_t* kWayNames[] = {L"как в настройках", L"сообщениями окну", L"нажатиями клавиш",
                                        L"через буфер обмена"};

void Say(HWND owner, const WideString& text) {
    ::MessageBoxW(owner, W(text), W(kApplicationName), MB_OK | MB_ICONEXCLAMATION);
}

void Enable(HWND dialog, int id, bool enabled) { ::EnableWindow(::GetDlgItem(dialog, id), enabled ? TRUE : FALSE); }

}  // namespace

WideString ChordCaption(std::uint16_t keyCode, std::int32_t extraModifier) {
    LONG scan = static_cast<LONG>(::MapVirtualKeyW(keyCode, MAPVK_VK_TO_VSC));
    // The navigation block and the like share their scan codes with the number pad; the
    // extended bit picks their own names.
    switch (keyCode) {
        case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
        case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_DIVIDE: case VK_NUMLOCK:
            scan |= 0x100;
            break;
        default:
            break;
    }
    wchar_t name[64] = {};
    const int length = scan != 0 ? ::GetKeyNameTextW(scan << 16, name, 64) : 0;
    return KeyCaption(keyCode, extraModifier,
                      std::u16string_view(reinterpret_cast<const char16_t*>(name), length > 0 ? length : 0));
}

INT_PTR TextEditDialog::OnInitDialog() {
    HWND window = Window();
    ::SetDlgItemTextW(window, IDC_TEXT_EDIT, W(text_));
    ::SetDlgItemTextW(window, IDC_ITEM_MODIFIER, modifierMode_ != 0 ? L"Кнопка [Alt] +" : L"Левая кнопка [Win] +");
    HWND key = ::GetDlgItem(window, IDC_ITEM_KEY);
    ::SendMessageW(key, HKM_SETRULES, kRefusedCombinations, 0);
    const WORD modifiers = extraModifier_ == kModifierCtrl ? HOTKEYF_CONTROL
                           : extraModifier_ == kModifierShift ? HOTKEYF_SHIFT : 0;
    ::SendMessageW(key, HKM_SETHOTKEY, MAKEWORD(keyCode_ & 0xFF, modifiers), 0);
    const HWND way = ::GetDlgItem(window, IDC_ITEM_WAY);
    for (const wchar_t* name : kWayNames) ::SendMessageW(way, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    const bool known = way_ >= kTypeByMessages && way_ <= kTypeByClipboard;
    ::SendMessageW(way, CB_SETCURSEL, known ? static_cast<WPARAM>(way_ + 1) : 0, 0);
    ::SendDlgItemMessageW(window, IDC_ITEM_ABBREVIATION, EM_LIMITTEXT, kMaxAbbreviation, 0);
    ::SetDlgItemTextW(window, IDC_ITEM_ABBREVIATION, W(abbreviation_));
    ::CheckDlgButton(window, IDC_ITEM_IMMEDIATE, immediate_ ? BST_CHECKED : BST_UNCHECKED);
    ::CheckRadioButton(window, IDC_ITEM_BY_CHORD, IDC_ITEM_BY_ABBREVIATION,
                       abbreviation_.IsNull() ? IDC_ITEM_BY_CHORD : IDC_ITEM_BY_ABBREVIATION);
    EnableKindFields();
    if (keyCode_ != 0 || !abbreviation_.IsNull()) return DialogEntity::OnInitDialog();
    ::SetFocus(key);
    return 0;
}

bool TextEditDialog::ByAbbreviation() const {
    return ::IsDlgButtonChecked(Window(), IDC_ITEM_BY_ABBREVIATION) == BST_CHECKED;
}

// Disabled rather than hidden, so the other kind's values stay in view and come back with a click.
void TextEditDialog::EnableKindFields() {
    const bool abbreviation = ByAbbreviation();
    Enable(Window(), IDC_ITEM_MODIFIER, !abbreviation);
    Enable(Window(), IDC_ITEM_KEY, !abbreviation);
    Enable(Window(), IDC_ITEM_ABBREVIATION, abbreviation);
    Enable(Window(), IDC_ITEM_IMMEDIATE, abbreviation);
}

// A duplicate stored before chords could be edited keeps its chord when only its text changes.
bool TextEditDialog::SameChord(std::uint16_t keyCode, std::int32_t extraModifier) const {
    return keyCode == keyCode_ &&
           HotkeyTable::ModifierClass(extraModifier) == HotkeyTable::ModifierClass(extraModifier_);
}

bool TextEditDialog::ReadChord() {
    HWND key = ::GetDlgItem(Window(), IDC_ITEM_KEY);
    const auto hotkey = static_cast<WORD>(::SendMessageW(key, HKM_GETHOTKEY, 0, 0));
    const std::uint16_t code = LOBYTE(hotkey);
    const BYTE modifiers = HIBYTE(hotkey);
    const std::int32_t extra = (modifiers & HOTKEYF_CONTROL) ? kModifierCtrl
                               : (modifiers & HOTKEYF_SHIFT) ? kModifierShift : kModifierNone;
    WideString problem;
    if (code == 0) {
        problem = WideString(u"Нажмите в поле «Комбинация» клавишу комбинации.");
    } else if (table_ != nullptr && !SameChord(code, extra) && table_->FindChord(code, extra, self_) >= 0) {
        problem = WideString(u"Комбинация ");
        problem.Append(ChordCaption(code, extra).View());
        problem.Append(u" уже есть. Выберите другую клавишу.");
    } else if (code == 'L' && modifierMode_ == 0 && !SameChord(code, extra)) {
        // Windows locks the computer on Win+L before any hook is asked. A stored L item keeps
        // its chord: with Alt as the main modifier it works.
        problem = WideString(
            u"Win + L Windows оставляет себе: эта комбинация блокирует компьютер. Выберите другую клавишу.");
    }
    if (!problem.IsNull()) {
        Say(Window(), problem);
        ::SetFocus(key);
        return false;
    }
    SetChord(code, extra);
    abbreviation_.SetNull();
    immediate_ = false;
    return true;
}

bool TextEditDialog::ReadAbbreviation() {
    const HWND field = ::GetDlgItem(Window(), IDC_ITEM_ABBREVIATION);
    WideString typed(u"");
    FillFromWindowText(typed, field);
    WideString problem;
    const AbbreviationFault fault = CheckAbbreviation(typed.View());
    if (fault == AbbreviationFault::Empty) {
        problem = WideString(u"Впишите в поле «Сокращение» сокращение: от 1 до 32 знаков без пробелов.");
    } else if (fault != AbbreviationFault::None) {
        problem = WideString(u"В сокращении может быть до 32 знаков, без пробелов и переносов строк: "
                             u"пробел заканчивает сокращение.");
    } else if (table_ != nullptr && typed != abbreviation_ && table_->FindAbbreviation(typed.View(), self_) >= 0) {
        // As for chords, a duplicate stored earlier keeps its abbreviation while it stays as it was.
        problem = WideString(u"Сокращение ");
        problem.Append(AbbreviationCaption(typed.View()));
        problem.Append(u" уже есть. Выберите другое сокращение.");
    }
    if (!problem.IsNull()) {
        Say(Window(), problem);
        ::SetFocus(field);
        return false;
    }
    abbreviation_ = typed;
    immediate_ = ::IsDlgButtonChecked(Window(), IDC_ITEM_IMMEDIATE) == BST_CHECKED;
    return true;
}

INT_PTR TextEditDialog::OnCommand(WPARAM wparam, LPARAM lparam) {
    if (wparam == IDC_ITEM_BY_CHORD || wparam == IDC_ITEM_BY_ABBREVIATION) EnableKindFields();
    if (wparam == IDOK) {
        if (ByAbbreviation() ? !ReadAbbreviation() : !ReadChord()) return 0;
        WideString typed;
        FillFromWindowText(typed, ::GetDlgItem(Window(), IDC_TEXT_EDIT));
        // An emptied edit, or one holding only delimiters, keeps the text the dialog was given.
        WideString kept = StorableItemText(typed.View());
        if (!kept.IsEmpty()) text_ = kept;
        const auto choice = ::SendDlgItemMessageW(Window(), IDC_ITEM_WAY, CB_GETCURSEL, 0, 0);
        way_ = choice > 0 ? static_cast<std::int32_t>(choice) - 1 : kWayAsSettings;
    }
    return DialogEntity::OnCommand(wparam, lparam);
}

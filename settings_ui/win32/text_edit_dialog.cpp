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
    if (keyCode_ != 0) return DialogEntity::OnInitDialog();
    ::SetFocus(key);
    return 0;
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
        problem = WideString(u"Нажмите в поле «Клавиша» клавишу комбинации.");
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
    return true;
}

INT_PTR TextEditDialog::OnCommand(WPARAM wparam, LPARAM lparam) {
    if (wparam == IDOK) {
        if (!ReadChord()) return 0;
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

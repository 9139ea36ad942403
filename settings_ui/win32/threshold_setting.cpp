#include "settings_ui/win32/threshold_setting.h"

namespace {

// A number the user can mean: anything else in the edit keeps the number shown before.
constexpr UINT kLargest = 1000000;

}  // namespace

HWND BoundThresholdSetting::NumberEdit() const {
    const HWND box = Control();
    return box ? ::GetDlgItem(::GetParent(box), GetControlId() + 1) : nullptr;
}

void BoundThresholdSetting::ShowInControl() {
    const HWND box = Control();
    const HWND edit = NumberEdit();
    if (!box || !edit) return;
    if (Get() > 0) shown_ = Get();
    showing_ = true;
    ::SendMessageW(box, BM_SETCHECK, Get() > 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SetDlgItemInt(::GetParent(box), GetControlId() + 1, static_cast<UINT>(shown_), FALSE);
    showing_ = false;
    ::EnableWindow(edit, Get() > 0);
}

void BoundThresholdSetting::TakeFromControl() {
    const HWND box = Control();
    if (!box || !NumberEdit()) return;
    BOOL read = FALSE;
    const UINT number = ::GetDlgItemInt(::GetParent(box), GetControlId() + 1, &read, FALSE);
    if (read && number > 0 && number <= kLargest) shown_ = static_cast<std::int32_t>(number);
    const bool on = ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    Set(on ? shown_ : 0);
    ::EnableWindow(NumberEdit(), on);
}

int BoundThresholdSetting::HandleCommand(HWND, WPARAM wparam, LPARAM) {
    const int id = LOWORD(wparam);
    const WORD code = HIWORD(wparam);
    const bool box = id == GetControlId() && code == BN_CLICKED;
    // While the user types the number is read at every change; a bad number keeps the last good one.
    const bool number = id == GetControlId() + 1 && code == EN_CHANGE && !showing_;
    if (box || number) TakeFromControl();
    // Leaving the edit shows what was taken, so a refused number does not stay on screen.
    if (id == GetControlId() + 1 && code == EN_KILLFOCUS) ShowInControl();
    return 0;
}

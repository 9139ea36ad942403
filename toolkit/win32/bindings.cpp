#include "toolkit/win32/bindings.h"

#include <algorithm>

#include "store/settings_store.h"
#include "toolkit/win32/text.h"

namespace {

bool IsAutoRadioButton(HWND window) {
    return (::GetWindowLongW(window, GWL_STYLE) & 0x0F) == BS_AUTORADIOBUTTON;
}

// The next button of a radio run, or null where the run ends: at a window that is not an
// auto radio button, or at one that starts a group of its own.
HWND NextInRun(HWND button) {
    HWND next = ::GetWindow(button, GW_HWNDNEXT);
    if (!next || !IsAutoRadioButton(next) || (::GetWindowLongW(next, GWL_STYLE) & WS_GROUP)) return nullptr;
    return next;
}

bool IsFor(const ControlBinding& binding, WPARAM wparam) {
    return LOWORD(wparam) == static_cast<WORD>(binding.GetControlId());
}

}  // namespace

void ControlBinding::SetDialog(HWND dialog) {
    dialog_ = dialog;
    control_ = nullptr;
}

void ControlBinding::Attach(HWND dialog) {
    if (!dialog_ || !::IsWindow(dialog_)) dialog_ = dialog;
    control_ = ::GetDlgItem(dialog_, controlId_);
    ShowInControl();
}

HWND ControlBinding::Control() const {
    return control_ && ::IsWindow(control_) ? control_ : nullptr;
}

// A dialog without the bound control cannot have sent anything about it, so a missing
// control leaves the value alone rather than reading as unchecked or empty.
int ControlBinding::HandleNotify(HWND, int, const NMHDR* header) {
    if (!header || static_cast<int>(header->idFrom) != GetControlId() || !Control()) return 0;
    TakeFromControl();
    return 0;
}

std::int32_t CheckBinding::ReadFromControl() const {
    HWND box = Control();
    if (!box) return 0;
    const auto state = static_cast<std::int32_t>(::SendMessageW(box, BM_GETCHECK, 0, 0));
    if (kind_ == Kind::Boolean) return state != 0 ? 1 : 0;
    return state;
}

void CheckBinding::ShowInControl() {
    if (HWND box = Control()) ::SendMessageW(box, BM_SETCHECK, static_cast<WPARAM>(CheckValue()), 0);
}

int CheckBinding::HandleCommand(HWND, WPARAM wparam, LPARAM) {
    if (!IsFor(*this, wparam) || !Control()) return 0;
    const std::int32_t state = ReadFromControl();
    if (state != CheckValue()) {
        StoreCheckValue(state);
        ShowInControl();
    }
    return 0;
}

std::int32_t RadioGroupBinding::ReadFromControl() const {
    std::int32_t index = 0;
    for (HWND button = Control(); button; button = NextInRun(button), ++index) {
        if (::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) return index;
    }
    return 0;
}

void RadioGroupBinding::ShowInControl() {
    std::int32_t index = 0;
    for (HWND button = Control(); button; button = NextInRun(button), ++index) {
        ::SendMessageW(button, BM_SETCHECK, index == Index() ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

// Any auto radio button of the page may have changed the run, so every such click re-reads it.
int RadioGroupBinding::HandleCommand(HWND, WPARAM wparam, LPARAM) {
    HWND clicked = Dialog() ? ::GetDlgItem(Dialog(), LOWORD(wparam)) : nullptr;
    if (clicked && IsAutoRadioButton(clicked) && Control()) StoreIndex(ReadFromControl());
    return kCommandLeftForLater;
}

bool EditBinding::showing_ = false;

WideString EditBinding::ReadFromControl() const {
    WideString text(u"");
    if (HWND edit = Control()) FillFromWindowText(text, edit);
    return text;
}

void EditBinding::ShowInControl() {
    HWND edit = Control();
    if (!edit || showing_) return;
    showing_ = true;
    ::SetWindowTextW(edit, W(Shown(Text())));
    showing_ = false;
}

// While the user types, the edit keeps the focus and is read when it loses it; a change
// made while it has no focus comes from the program and is read at once.
int EditBinding::HandleCommand(HWND, WPARAM wparam, LPARAM lparam) {
    if (!IsFor(*this, wparam)) return 0;
    const WORD code = HIWORD(wparam);
    const bool read = code == EN_KILLFOCUS || (code == EN_UPDATE && reinterpret_cast<HWND>(lparam) != ::GetFocus());
    if (!read) return kCommandLeftForLater;
    if (!Control()) return 0;
    TakeFromControl();
    ShowInControl();
    return 0;
}

bool BindingList::Add(ControlBinding* binding) {
    if (!binding || std::find(bindings_.begin(), bindings_.end(), binding) != bindings_.end()) return false;
    bindings_.push_back(binding);
    return true;
}

// The loops below index rather than iterate: a binding's window call may deliver a nested
// command to this list, and a nested OK or Cancel empties it.
void BindingList::RememberAndAttach(HWND dialog) {
    for (std::size_t i = 0; i < bindings_.size(); ++i) {
        bindings_[i]->Remember();
        bindings_[i]->Attach(dialog);
    }
}

// Only a click (notification code 0) is OK or Cancel, the same test that ends the dialog:
// detaching while the dialog stays open would lose the later clicks and the revert.
void BindingList::HandleCommand(HWND dialog, WPARAM wparam, LPARAM lparam) {
    if (wparam == IDCANCEL) {
        for (std::size_t i = 0; i < bindings_.size(); ++i) bindings_[i]->Revert();
        DetachAll();
    } else if (wparam == IDOK) {
        ::SetFocus(::GetDlgItem(dialog, IDOK));
        DetachAll();
    } else {
        for (std::size_t i = 0; i < bindings_.size(); ++i) bindings_[i]->HandleCommand(dialog, wparam, lparam);
    }
}

void BindingList::HandleNotify(HWND dialog, int controlId, const NMHDR* header) {
    for (std::size_t i = 0; i < bindings_.size(); ++i) bindings_[i]->HandleNotify(dialog, controlId, header);
}

void BindingList::DetachAll() {
    for (std::size_t i = 0; i < bindings_.size(); ++i) bindings_[i]->SetDialog(nullptr);
    bindings_.clear();
}

bool BoundStringSetting::Load(SettingsStore* store, const WideString& section) {
    if (!store) return false;
    WideString text;
    if (store->ReadString(section, key_, text)) value_ = text;
    return true;
}

bool BoundStringSetting::Save(SettingsStore* store, const WideString& section) {
    if (!store) return false;
    return store->WriteString(section, key_, value_);
}

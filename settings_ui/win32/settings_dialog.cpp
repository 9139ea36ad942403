#include "settings_ui/win32/settings_dialog.h"

#include "resources/resource.h"

namespace {

constexpr int kPageLeftShift = 2;

RECT WindowRectIn(HWND window, HWND client) {
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(HWND_DESKTOP, client, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void InsertTab(HWND tabs, int index, const wchar_t* text) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(text);
    ::SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

// The open settings dialog, whose Ctrl+Tab the message filter below turns into a page switch.
SettingsDialog* g_pageKeysDialog = nullptr;

// Runs in the modal loop before the dialog-message handling, which would take Ctrl+Tab for Tab.
LRESULT CALLBACK PageKeyFilter(int code, WPARAM wparam, LPARAM lparam) noexcept {
    const auto* msg = reinterpret_cast<const MSG*>(lparam);
    SettingsDialog* dialog = g_pageKeysDialog;
    if (code == MSGF_DIALOGBOX && dialog && msg && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB &&
        ::GetKeyState(VK_CONTROL) < 0 && (msg->hwnd == dialog->Window() || ::IsChild(dialog->Window(), msg->hwnd))) {
        dialog->SwitchPage(::GetKeyState(VK_SHIFT) < 0);
        return 1;
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

SettingsDialog::SettingsDialog(const SettingsDialogOptions& options)
    : options_(options), hotkeys_(options.table) {}

SettingsDialog::~SettingsDialog() { bindings_.DetachAll(); }

INT_PTR SettingsDialog::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    // A size change before the layout exists (during creation) has nothing to lay out.
    if (message == WM_SIZE && layout_) layout_->ApplySize(LOWORD(lparam), HIWORD(lparam));
    return DefaultProc(message, wparam, lparam);
}

INT_PTR SettingsDialog::OnCommand(WPARAM wparam, LPARAM lparam) {
    bindings_.HandleCommand(Window(), wparam, lparam);
    return DialogEntity::OnCommand(wparam, lparam);
}

HWND SettingsDialog::PageOfTab(LRESULT index) const {
    if (index == 0) return hotkeys_.Window();
    if (index == 1) return general_.Window();
    return nullptr;
}

INT_PTR SettingsDialog::OnNotify(int controlId, NMHDR* header, LRESULT* result) {
    bindings_.HandleNotify(Window(), controlId, header);
    if (header && header->idFrom == IDC_SETTINGS_TABS) {
        const LRESULT current = ::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0);
        // The tab control sends these around its own change: the page of the old selection
        // goes before, the page of the new one comes after.
        if (header->code == static_cast<UINT>(TCN_SELCHANGING)) {
            if (HWND page = PageOfTab(current)) ::ShowWindow(page, SW_HIDE);
        } else if (header->code == static_cast<UINT>(TCN_SELCHANGE)) {
            if (HWND page = PageOfTab(current)) ::ShowWindow(page, SW_SHOW);
        }
    }
    return DialogEntity::OnNotify(controlId, header, result);
}

void SettingsDialog::SwitchPage(bool back) {
    const LRESULT count = ::SendMessageW(tabs_, TCM_GETITEMCOUNT, 0, 0);
    if (count < 2) return;
    const LRESULT current = ::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0);
    const HWND page = PageOfTab(current);
    const HWND focus = ::GetFocus();
    // Unlike TCM_SETCURSEL this notifies the dialog as a click on the tab does, so OnNotify
    // swaps the pages.
    ::SendMessageW(tabs_, TCM_SETCURFOCUS, static_cast<WPARAM>((current + (back ? count - 1 : 1)) % count), 0);
    if (page && (focus == page || ::IsChild(page, focus)))
        ::SendMessageW(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tabs_), TRUE);
}

void SettingsDialog::Bind(ControlBinding& binding, HWND page, int controlId) {
    binding.SetDialog(page);
    binding.SetControlId(controlId);
    bindings_.Add(&binding);
}

INT_PTR SettingsDialog::OnInitDialog() {
    const HWND dialog = Window();
    smallIcon_ = LoadSmallIcon(IDI_SETTINGS_ICON);
    ::SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));

    // The display area is measured while the control has no tabs; the tab rows are taken
    // off its top below, once the tabs exist.
    tabs_ = ::GetDlgItem(dialog, IDC_SETTINGS_TABS);
    RECT display = WindowRectIn(tabs_, dialog);
    ::SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));

    InsertTab(tabs_, 0, L"Программа");
    InsertTab(tabs_, 1, L"Общие");

    RECT tab{};
    ::SendMessageW(tabs_, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
    const auto rows = static_cast<LONG>(::SendMessageW(tabs_, TCM_GETROWCOUNT, 0, 0));
    display.top += rows * (tab.bottom - tab.top);
    display.left -= kPageLeftShift;

    hotkeys_.CreateModeless(IDD_HOTKEY_PAGE, dialog);
    ::ShowWindow(hotkeys_.Window(), SW_SHOW);
    general_.CreateModeless(IDD_GENERAL_PAGE, dialog);
    ::ShowWindow(general_.Window(), SW_HIDE);
    for (HWND page : {hotkeys_.Window(), general_.Window()}) {
        ::SetWindowPos(page, nullptr, display.left, display.top, display.right - display.left,
                       display.bottom - display.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // The pages lie above the tab control; OK and Cancel stay first in the tab order.
    const HWND ok = ::GetDlgItem(dialog, IDOK);
    const HWND cancel = ::GetDlgItem(dialog, IDCANCEL);
    constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    ::SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, kKeepPlace);
    ::SetWindowPos(ok, HWND_TOP, 0, 0, 0, 0, kKeepPlace);
    ::SetWindowPos(cancel, ok, 0, 0, 0, 0, kKeepPlace);

    layout_ = std::make_unique<AnchorLayout>(dialog);
    for (HWND window : {hotkeys_.Window(), general_.Window(), tabs_, ok, cancel}) layout_->AddWindow(window, 0);

    Bind(options_.hotKey2, hotkeys_.Window(), IDC_MODIFIER_WIN);
    Bind(options_.ru, hotkeys_.Window(), IDC_RUSSIAN_ONLY);
    Bind(options_.autostart, general_.Window(), IDC_AUTOSTART);
    Bind(options_.startMinimize, general_.Window(), IDC_START_MINIMIZE);
    Bind(options_.minimizeToTray, general_.Window(), IDC_MINIMIZE_TO_TRAY);
    Bind(options_.typeMode, general_.Window(), IDC_TYPE_BY_MESSAGES);
    Bind(options_.excludePrograms, general_.Window(), IDC_EXCLUDE_PROGRAMS);
    Bind(options_.keystrokePrograms, general_.Window(), IDC_KEYSTROKE_PROGRAMS);
    Bind(options_.clipboardPrograms, general_.Window(), IDC_CLIPBOARD_PROGRAMS);
    Bind(options_.pasteLongerThan, general_.Window(), IDC_PASTE_LONG);
    Bind(options_.sheetDelay, general_.Window(), IDC_SHEET_DELAY);
    bindings_.RememberAndAttach(dialog);

    g_pageKeysDialog = this;
    pageKeys_.Reset(::SetWindowsHookExW(WH_MSGFILTER, PageKeyFilter, nullptr, ::GetCurrentThreadId()));
    return DialogEntity::OnInitDialog();
}

void SettingsDialog::OnDestroy() {
    ::SendMessageW(Window(), WM_SETICON, ICON_SMALL, 0);
    smallIcon_.Reset();
    layout_.reset();
    pageKeys_.Reset();
    if (g_pageKeysDialog == this) g_pageKeysDialog = nullptr;
    DialogEntity::OnDestroy();
}

#include "shell/win32/main_dialog.h"

#include <cwchar>

#include "engine/win32/foreground_watch.h"
#include "resources/resource.h"
#include "shell/win32/application.h"
#include "settings_ui/win32/settings_dialog.h"
#include "shell/win32/tray.h"
#include "store/catalogue.h"
#include "store/win32/window_placement.h"
#include "toolkit/product.h"
#include "toolkit/win32/about_dialog.h"
#include "toolkit/win32/handles.h"
#include "toolkit/win32/owner_menu.h"
#include "toolkit/win32/text.h"

namespace {

// Gives a variable a value for the length of a scope.
template <typename T>
class ScopedValue {
public:
    ScopedValue(T& variable, T value) : variable_(variable), old_(variable) { variable_ = value; }
    ~ScopedValue() { variable_ = old_; }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& variable_;
    T old_;
};

// True when a dialog of that kind is open already; it then comes to the front.
bool BringForward(const DialogEntity* open) {
    if (!open) return false;
    if (open->Window()) ::SetForegroundWindow(open->Window());
    return true;
}

// The dialogs of this thread but one, top-most (the innermost modal one) first.
struct OpenDialogs {
    HWND except;
    HWND found[8];
    int count;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    auto* open = reinterpret_cast<OpenDialogs*>(param);
    wchar_t className[8] = {};
    if (window != open->except && ::GetClassNameW(window, className, 8) > 0 && std::wcscmp(className, L"#32770") == 0)
        open->found[open->count++] = window;
    return open->count < 8;
}

}  // namespace

UINT QuitRequestMessage() {
    static const UINT message = ::RegisterWindowMessageW(W(kQuitRequestName));
    return message;
}

INT_PTR MainDialog::OnInitDialog() {
    HWND window = Window();
    // The window holds its icons until OnDestroy takes them back.
    ::SendMessageW(window, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(LoadSmallIcon(IDI_APPLICATION_ICON).Release()));
    ::SendMessageW(window, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(LoadLargeIcon(IDI_APPLICATION_ICON).Release()));
    tray_.Attach(window, app_.TrayMessage(), app_.TrayIconId());
    // Run as administrator, the window would refuse what ordinary processes send it: the
    // installer's quit request, and the tray's clicks from Explorer.
    ::ChangeWindowMessageFilterEx(window, QuitRequestMessage(), MSGFLT_ALLOW, nullptr);
    ::ChangeWindowMessageFilterEx(window, app_.TrayMessage(), MSGFLT_ALLOW, nullptr);
    SetPaused(app_.Paused().Get());
    StartForegroundWatch(OnElevatedFront, this);
    RestoreWindowPlacement(window, app_.Store(), WideString(kSectionMainWindow), true);
    return 1;
}

void MainDialog::OnDestroy() {
    HWND window = Window();
    StopForegroundWatch();
    SaveWindowPlacement(window, app_.Store(), WideString(kSectionMainWindow));
    // The window holds its icons until here; they are ours to destroy.
    UniqueIcon small(reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0)));
    UniqueIcon big(reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_BIG, 0)));
    tray_.Remove();
}

INT_PTR MainDialog::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_DRAWITEM:
            DrawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            break;
        case WM_MEASUREITEM:
            MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
            break;
        case WM_WINDOWPOSCHANGED:
            OnWindowPosChanged();
            break;
        case WM_TIMER:
            // Neither icon nor window would be left to the user.
            if (tray_.OnTimer(wparam)) {
                ShowRestored(Window());
                ::SetForegroundWindow(Window());
            }
            break;
        case WM_ENDSESSION:
            // The system ends the process once this returns.
            if (wparam) Leave();
            break;
        default:
            if (message == app_.TrayMessage())
                OnTrayMessage(wparam, lparam);
            else if (message == QuitRequestMessage())
                OnQuitRequest(wparam, lparam);
            else
                tray_.OnTaskbarMessage(message);
            break;
    }
    return DefaultProc(message, wparam, lparam);
}

void MainDialog::OnWindowPosChanged() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!::GetWindowPlacement(Window(), &placement)) return;
    if (placement.showCmd == SW_SHOWMINIMIZED && app_.MinimizeToTray().Get()) {
        tray_.Add();
        ::ShowWindow(Window(), SW_HIDE);
    } else if (placement.showCmd == SW_SHOWNORMAL && !app_.KeepInTray().Get() && tray_.Shown()) {
        tray_.Remove();
    }
}

void MainDialog::OnTrayMessage(WPARAM id, LPARAM mouseMessage) {
    if (id != kTrayIconId) return;
    if (mouseMessage == WM_LBUTTONUP) {
        ShowRestored(Window());
        ::SetForegroundWindow(Window());
    } else if (mouseMessage == WM_RBUTTONUP) {
        // Handled once the menu is gone, as if the button had been pressed.
        if (const int chosen = tray_.ShowMenu(); chosen > 0)
            ::PostMessageW(Window(), WM_COMMAND, static_cast<WPARAM>(chosen), 0);
    }
}

INT_PTR MainDialog::OnCommand(WPARAM wparam, LPARAM lparam) {
    switch (LOWORD(wparam)) {
        case IDOK:
            tray_.Add();
            ::ShowWindow(Window(), SW_SHOWMINIMIZED);
            ::ShowWindow(Window(), SW_HIDE);
            break;
        case IDCANCEL:
            if (!ExitSequence()) return 0;
            break;
        case IDC_MAIN_SETTINGS:
            RunSettings();
            break;
        case IDM_ABOUT:
            RunAbout();
            break;
        case IDM_PAUSE:
            SetPaused(!app_.Paused().Get());
            break;
        default:
            break;
    }
    return DialogEntity::OnCommand(wparam, lparam);
}

bool MainDialog::ExitSequence() {
    // Asked again while the question shows: the question already stands for it.
    if (exitAsked_) return false;
    if (app_.ConfirmExit().Get()) {
        const ScopedValue<bool> asking(exitAsked_, true);
        if (::MessageBoxW(Window(), L"Выйти?", W(app_.AppName()),
                          MB_SYSTEMMODAL | MB_ICONQUESTION | MB_OKCANCEL | MB_DEFBUTTON2) != IDOK)
            return false;
    }
    Leave();
    return true;
}

void MainDialog::OnQuitRequest(WPARAM flags, LPARAM round) {
    if (flags & kQuitRequestErase) erase_ = true;
    if (leaving_) return;  // the leave further up the stack sees the erase flag when it gets there
    // The open dialogs' loops run further up the stack: cancel them, and leave once they have
    // returned. A second round leaves whatever is still open.
    if (round == 0 && CancelOpenDialogs()) {
        ::PostMessageW(Window(), QuitRequestMessage(), 0, 1);
        return;
    }
    Leave();
}

bool MainDialog::CancelOpenDialogs() {
    ::EndMenu();
    OpenDialogs open{Window(), {}, 0};
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&open));
    for (int i = 0; i < open.count; ++i) {
        // Our dialogs put back what they changed on Cancel; a message box without a Cancel
        // button ignores the command and is ended directly.
        ::SendMessageW(open.found[i], WM_COMMAND, IDCANCEL, 0);
        if (::IsWindow(open.found[i])) ::EndDialog(open.found[i], IDCANCEL);
    }
    return open.count > 0;
}

void MainDialog::Leave() {
    // Asked again while the window goes (RemoveTrayIcon dispatches what is queued): once only.
    if (leaving_) return;
    leaving_ = true;
    CancelOpenDialogs();
    ::DestroyWindow(Window());
    app_.Shutdown();
    if (erase_) app_.Exit(true);
}

void MainDialog::RunSettings() {
    // A second dialog over the same options would detach the first one's bindings, and the
    // first one's Cancel would then put back what the second remembered.
    if (BringForward(settings_)) return;
    SettingsDialog dialog(SettingsDialogOptions{app_.HotKey2(), app_.Ru(), app_.Autostart(), app_.StartMinimize(),
                                                app_.MinimizeToTray(), app_.TypeMode(), app_.ExcludePrograms(),
                                                app_.KeystrokePrograms(), app_.ClipboardPrograms(),
                                                app_.PasteLongerThan(), app_.SheetDelay(), app_.Hotkeys()});
    const ScopedValue<const DialogEntity*> open(settings_, &dialog);
    if (dialog.RunModal(IDD_SETTINGS, Window()) == IDOK) {
        app_.ApplyAutostartOption();
        app_.RefreshEngineOptions();
    }
    // Texts edited in the dialog are live already, whatever its outcome; store them now so a
    // crash or a killed process cannot take back what the user saw in the dialog. Once the
    // program has left from inside the dialog, everything is saved (or erased) already.
    if (!leaving_) app_.SaveSettings();
}

void MainDialog::SetPaused(bool paused) {
    app_.SetPaused(paused);
    tray_.SetPaused(paused, app_.TrayIconId());
    ShowState();
}

void MainDialog::OnElevatedFront(void* self, bool elevated) {
    auto* dialog = static_cast<MainDialog*>(self);
    dialog->elevatedFront_ = elevated;
    dialog->tray_.SetElevatedFront(elevated);
    dialog->ShowState();
}

void MainDialog::ShowState() {
    HWND line = ::GetDlgItem(Window(), IDC_MAIN_PAUSED);
    const bool paused = app_.Paused().Get();
    if (paused || elevatedFront_) ::SetWindowTextW(line, paused ? L"Приостановлено" : kElevatedFrontText);
    ::ShowWindow(line, paused || elevatedFront_ ? SW_SHOW : SW_HIDE);
}

void MainDialog::RunAbout() {
    if (BringForward(about_)) return;
    AboutDialog about;
    const ScopedValue<const DialogEntity*> open(about_, &about);
    about.RunModal(IDD_ABOUT, Window());
}

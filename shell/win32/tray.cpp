#include "shell/win32/tray.h"

#include <shellapi.h>

#include <cwchar>

#include "resources/resource.h"
#include "toolkit/product.h"
#include "toolkit/win32/handles.h"
#include "toolkit/win32/owner_menu.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/version.h"

namespace {

NOTIFYICONDATAW Record(HWND window, UINT id) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    return data;
}

}  // namespace

void TrayTipText(wchar_t (&tip)[128], bool paused, bool elevatedFront) {
    const char16_t* version = QueryVersionString(ProgramPath().Data(), VersionKey::FileVersion);
    // wsprintfW (user32) rather than the C library's printf, which would grow the program.
    wchar_t text[1024];
    ::wsprintfW(text, L"%s\n%s ver.%s%s%s", W(kApplicationName), W(version), paused ? L"\nприостановлено" : L"",
                elevatedFront ? L"\n" : L"", elevatedFront ? kElevatedFrontText : L"");
    ::lstrcpynW(tip, text, 128);
}

namespace {

// Adds the icon, or changes the one shown (NIM_MODIFY), with the icon and tip of the state.
bool SendTrayIcon(DWORD action, HWND window, UINT callbackMessage, int iconResource, UINT id, bool paused,
                  bool elevatedFront = false) {
    if (window == nullptr) return false;
    NOTIFYICONDATAW data = Record(window, id);
    data.uCallbackMessage = callbackMessage;
    // The shell copies the icon; ours goes at the end of the call.
    const UniqueIcon icon = LoadSmallIcon(iconResource);
    data.hIcon = icon.Get();
    static_assert(sizeof(data.szTip) / sizeof(data.szTip[0]) == 128, "the tip's full size");
    TrayTipText(data.szTip, paused, elevatedFront);
    return ::Shell_NotifyIconW(action, &data) != FALSE;
}

}  // namespace

bool AddTrayIcon(HWND window, UINT callbackMessage, int iconResource, UINT id, bool paused) {
    return SendTrayIcon(NIM_ADD, window, callbackMessage, iconResource, id, paused);
}

void RemoveTrayIcon(HWND window, UINT id) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // A quit posted meanwhile must still end the main loop.
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    NOTIFYICONDATAW data = Record(window, id);
    ::Shell_NotifyIconW(NIM_DELETE, &data);
}

namespace {

UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

}  // namespace

void TrayIcon::Attach(HWND window, UINT callbackMessage, int iconResource) {
    window_ = window;
    callbackMessage_ = callbackMessage;
    iconResource_ = iconResource;
    // Registered before Explorer can announce anything, and let through to a Vellory run as
    // administrator, which would otherwise refuse Explorer's broadcast.
    ::ChangeWindowMessageFilterEx(window, TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
}

bool TrayIcon::SendModify() {
    return SendTrayIcon(NIM_MODIFY, window_, callbackMessage_, iconResource_, kTrayIconId, paused_, elevatedFront_);
}

bool TrayIcon::SendAdd() {
    return SendTrayIcon(NIM_ADD, window_, callbackMessage_, iconResource_, kTrayIconId, paused_, elevatedFront_);
}

void TrayIcon::Add() {
    // A second add of a shown icon would only be refused; one being tried again keeps trying.
    if (shown_ || window_ == nullptr) return;
    shown_ = true;
    TryAdd();
}

void TrayIcon::TryAdd() {
    if (SendAdd()) {
        retry_.Stop();
        ::KillTimer(window_, kTrayRetryTimer);
    } else {
        retry_.Start();
        ::SetTimer(window_, kTrayRetryTimer, TrayRetry::kIntervalMs, nullptr);
    }
}

bool TrayIcon::OnTimer(WPARAM timer) {
    if (timer != kTrayRetryTimer) return false;
    const TrayRetry::Step step = retry_.Tick(*this);
    if (step == TrayRetry::Step::Later) return false;
    ::KillTimer(window_, kTrayRetryTimer);
    if (step != TrayRetry::Step::GiveUp) return false;
    shown_ = false;  // the next hide tries again
    return true;
}

void TrayIcon::SetPaused(bool paused, int iconResource) {
    paused_ = paused;
    iconResource_ = iconResource;
    if (shown_) SendModify();
}

void TrayIcon::SetElevatedFront(bool elevated) {
    elevatedFront_ = elevated;
    if (shown_) SendModify();
}

void TrayIcon::Remove() {
    shown_ = false;
    retry_.Stop();
    if (window_ != nullptr) ::KillTimer(window_, kTrayRetryTimer);
    RemoveTrayIcon(window_, kTrayIconId);
}

bool TrayIcon::OnTaskbarMessage(UINT message) {
    if (message != TaskbarCreatedMessage()) return false;
    // The new taskbar has none of the old icons: add it afresh.
    if (shown_) TryAdd();
    return true;
}

int TrayIcon::ShowMenu() {
    if (menuShown_) return 0;
    menuShown_ = true;
    int chosen = 0;
    const WideString name(u"TrayIcon");
    CreateNamedMenu(name);
    if (OwnerMenu* menu = FindMenu(name)) {
        menu->AddItem(WideString(u"О программе..."), IDM_ABOUT, MF_OWNERDRAW, 0, 0, 0);
        menu->AddItem(WideString(u"Настройки"), IDC_MAIN_SETTINGS, MF_OWNERDRAW, 0, 0, 0);
        menu->AddItem(WideString(paused_ ? u"Возобновить" : u"Приостановить"), IDM_PAUSE, MF_OWNERDRAW, 0, 0, 0);
        menu->AddItem(WideString(u"---"), 0, MF_SEPARATOR, 0, 0, 0);
        menu->AddItem(WideString(u"Выход"), IDCANCEL, MF_OWNERDRAW, 0, 0, 0);
        menu->Rebuild();
        POINT cursor{};
        ::GetCursorPos(&cursor);
        // Without the foreground the menu would not close when the user clicks elsewhere; the
        // message posted after it keeps the next menu from closing as soon as it opens.
        ::SetForegroundWindow(window_);
        chosen = menu->Track(TPM_RETURNCMD, cursor.x, cursor.y, window_);
        ::PostMessageW(window_, WM_NULL, 0, 0);
        menu->ClearItems();
    }
    DestroyNamedMenu(name);
    menuShown_ = false;
    return chosen;
}

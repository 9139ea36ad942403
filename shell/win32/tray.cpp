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

void TrayTipText(wchar_t (&tip)[64], bool paused) {
    const char16_t* version = QueryVersionString(ProgramPath().Data(), VersionKey::FileVersion);
    // wsprintfW (user32) rather than the C library's printf, which would grow the program.
    wchar_t text[1024];
    ::wsprintfW(text, paused ? L"%s\n%s ver.\nприостановлено" : L"%s\n%s ver.", W(kApplicationName), W(version));
    ::lstrcpynW(tip, text, 64);
}

namespace {

// Adds the icon, or changes the one shown (NIM_MODIFY), with the icon and tip of the state.
bool SendTrayIcon(DWORD action, HWND window, UINT callbackMessage, int iconResource, UINT id, bool paused) {
    if (window == nullptr) return false;
    NOTIFYICONDATAW data = Record(window, id);
    data.uCallbackMessage = callbackMessage;
    // The shell copies the icon; ours goes at the end of the call.
    const UniqueIcon icon = LoadSmallIcon(iconResource);
    data.hIcon = icon.Get();
    wchar_t tip[64];
    TrayTipText(tip, paused);
    std::wcsncpy(data.szTip, tip, sizeof(data.szTip) / sizeof(data.szTip[0]) - 1);
    ::Shell_NotifyIconW(action, &data);
    return true;
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
    TaskbarCreatedMessage();  // registered before Explorer can announce anything
}

void TrayIcon::Add() {
    if (AddTrayIcon(window_, callbackMessage_, iconResource_, kTrayIconId, paused_)) shown_ = true;
}

void TrayIcon::SetPaused(bool paused, int iconResource) {
    paused_ = paused;
    iconResource_ = iconResource;
    if (shown_) SendTrayIcon(NIM_MODIFY, window_, callbackMessage_, iconResource_, kTrayIconId, paused_);
}

void TrayIcon::Remove() {
    shown_ = false;
    RemoveTrayIcon(window_, kTrayIconId);
}

bool TrayIcon::OnTaskbarMessage(UINT message) {
    if (message != TaskbarCreatedMessage()) return false;
    if (shown_) Add();
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

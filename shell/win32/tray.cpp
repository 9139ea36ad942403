#include "shell/win32/tray.h"

#include <shellapi.h>

#include <cwchar>

#include "toolkit/product.h"
#include "toolkit/win32/handles.h"
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

void TrayTipText(wchar_t (&tip)[64]) {
    const char16_t* version = QueryVersionString(ProgramPath().Data(), VersionKey::FileVersion);
    // wsprintfW (user32) rather than the C library's printf, which would grow the program.
    wchar_t text[1024];
    ::wsprintfW(text, L"%s\n%s ver.", W(kApplicationName), W(version));
    ::lstrcpynW(tip, text, 64);
}

bool AddTrayIcon(HWND window, UINT callbackMessage, int iconResource, UINT id) {
    if (window == nullptr) return false;
    NOTIFYICONDATAW data = Record(window, id);
    data.uCallbackMessage = callbackMessage;
    // The shell copies the icon; ours goes at the end of the call.
    UniqueIcon icon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconResource),
                                                    IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    data.hIcon = icon.Get();
    wchar_t tip[64];
    TrayTipText(tip);
    std::wcsncpy(data.szTip, tip, sizeof(data.szTip) / sizeof(data.szTip[0]) - 1);
    ::Shell_NotifyIconW(NIM_ADD, &data);
    return true;
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

// Entry point of Vellory.exe.
#include <windows.h>

#include "shell/win32/application.h"

namespace {
// Built before the entry point runs, destroyed after it returns.
HotkeyApplication g_application;
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (!g_application.Start()) return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND main = g_application.MainWindowHandle();
        // The dialog-message handling turns Escape into command 2, which is also "Выйти" and the
        // close box; Escape only hides the window, as "Скрыть" does.
        if (main != nullptr && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE &&
            (msg.hwnd == main || ::IsChild(main, msg.hwnd))) {
            ::SendMessageW(main, WM_COMMAND, IDOK, 0);
            continue;
        }
        // Tab and the arrow keys move between the main window's buttons.
        if (main != nullptr && ::IsDialogMessageW(main, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

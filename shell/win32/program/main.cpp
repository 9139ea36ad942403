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
        // Tab and the arrow keys move between the main window's buttons.
        HWND main = g_application.MainWindowHandle();
        if (main != nullptr && ::IsDialogMessageW(main, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

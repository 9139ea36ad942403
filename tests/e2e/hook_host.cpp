// Installs the keyboard and focus hooks over a small hotkey table and pumps messages, so the
// driver can type real keys at a target program. Writes "ready" to the given file once the
// hooks are in, and quits when that file is deleted. With "watchdog" the hooks are watched
// as Vellory watches them, and a file "<ready file>.drop" makes the host remove its keyboard
// hook behind the watchdog's back, as Windows does with a hook that timed out.
// Usage: hook_host.exe <ready file> [alt] [watchdog]
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "engine/win32/hooks.h"
#include "engine/win32/engine_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    bool alt = false, watch = false;
    for (int i = 2; i < argc; ++i) {
        alt = alt || wcscmp(argv[i], L"alt") == 0;
        watch = watch || wcscmp(argv[i], L"watchdog") == 0;
    }
    const std::wstring drop = std::wstring(argv[1]) + L".drop";
    HotkeyTable table;
    table.Append('1', kModifierNone, WideString(u"Привет!"));
    table.Append('0', kModifierShift, WideString(u":)))"));
    table.Append('2', kModifierCtrl, WideString(u"@"));
    table.Append('5', kModifierNone, WideString(u""));
    EngineState state;
    state.engineActive = true;
    state.modifierMode = alt ? 1 : 0;
    if (!InstallHooks({&state, &table}, instance)) return 4;
    EngineWindow engineWindow;
    if (watch && !engineWindow.Start({&state, &table}, instance)) return 5;
    HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(ready);
    // Pump with a timer so the loop notices the ready file going away.
    SetTimer(nullptr, 0, 200, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            if (GetFileAttributesW(argv[1]) == INVALID_FILE_ATTRIBUTES) break;
            // The handle stays as it was: only the watchdog may notice the hook is gone.
            if (DeleteFileW(drop.c_str())) UnhookWindowsHookEx(static_cast<HHOOK>(state.keyboardHook));
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    engineWindow.Stop();
    RemoveHooks(state);
    LocalFree(argv);
    return 0;
}

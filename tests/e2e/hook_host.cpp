// Installs the keyboard and focus hooks over a small hotkey table and pumps messages, so the
// driver can type real keys at a target program. Writes "ready" to the given file once the
// hooks are in, and quits when that file is deleted.
// Usage: hook_host.exe <ready file> [alt]
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "engine/win32/hooks.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    HotkeyTable table;
    table.Append('1', kModifierNone, WideString(u"Привет!"));
    table.Append('0', kModifierShift, WideString(u":)))"));
    table.Append('2', kModifierCtrl, WideString(u"@"));
    EngineState state;
    state.engineActive = true;
    state.modifierMode = (argc >= 3 && wcscmp(argv[2], L"alt") == 0) ? 1 : 0;
    if (!InstallHooks(state, table, instance)) return 4;
    HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(ready);
    // Pump with a timer so the loop notices the ready file going away.
    SetTimer(nullptr, 0, 200, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && GetFileAttributesW(argv[1]) == INVALID_FILE_ATTRIBUTES) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    RemoveHooks(state);
    LocalFree(argv);
    return 0;
}

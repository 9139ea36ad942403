#pragma once
// Brings the keyboard hook back when Windows drops it: a message-only window takes keyboard
// raw input, which arrives whoever has the focus, and half a second after a raw key event
// checks that the hook saw it too. No polling and no test keys, which would keep the user's
// screen saver away.
#include <windows.h>

#include "engine/hook_watchdog.h"
#include "engine/hotkey.h"
#include "toolkit/win32/handles.h"

class RawInputWatchdog {
public:
    RawInputWatchdog() = default;
    RawInputWatchdog(const RawInputWatchdog&) = delete;
    RawInputWatchdog& operator=(const RawInputWatchdog&) = delete;
    ~RawInputWatchdog() { Stop(); }

    // Watches the hooks that InstallHooks put in for this state and table; both must outlive
    // the watchdog. False when raw input cannot be had: the hooks then go unwatched.
    bool Start(EngineState& state, const HotkeyTable& table, HINSTANCE instance);
    void Stop();
    // How many times the hooks were installed again.
    int Reinstalls() const { return reinstalls_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void OnRawInput();
    void OnCheck();

    EngineState* state_ = nullptr;
    const HotkeyTable* table_ = nullptr;
    HINSTANCE instance_ = nullptr;
    HookWatchdog watchdog_;
    UniqueWindow window_;
    bool registered_ = false;
    int reinstalls_ = 0;
};

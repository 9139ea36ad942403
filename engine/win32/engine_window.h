#pragma once
// The engine's own message-only window, beside the hooks. It types the texts the hook left to
// it once the hook has returned (keystrokes, texts with placeholders, the rest of long texts),
// a little at every tick of a short timer, and it brings the keyboard hook back when
// Windows drops it: it takes keyboard raw input, which arrives whoever has the focus, and half a
// second after a raw key event checks that the hook saw it too. No polling and no test keys,
// which would keep the user's screen saver away.
#include <windows.h>

#include "engine/hook_watchdog.h"
#include "engine/hotkey.h"
#include "engine/typist.h"
#include "engine/win32/clipboard_swap.h"
#include "toolkit/win32/handles.h"

// What shows the chords while the main modifier is held alone (shell/win32/cheat_sheet.h).
class SheetView {
public:
    virtual void Show() = 0;
    virtual void Hide() = 0;

protected:
    ~SheetView() = default;
};

class EngineWindow {
public:
    EngineWindow() = default;
    EngineWindow(const EngineWindow&) = delete;
    EngineWindow& operator=(const EngineWindow&) = delete;
    ~EngineWindow() { Stop(); }

    // Serves the hooks that InstallHooks put in for this context, which must outlive the
    // window. False when the window or raw input cannot be had; without raw input the window
    // still types, and the hooks go unwatched.
    bool Start(EngineContext engine, HINSTANCE instance);
    void Stop();
    // Types nothing more of what is still queued, and hides the sheet.
    void StopTyping();
    void SetSheet(SheetView* sheet) { sheet_ = sheet; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void OnRawInput();
    void OnCheck();
    // Types what can be typed now, and keeps the timer going while something is left.
    void PumpTyping();
    void OnSheetMessage(bool start);
    void OnSheetDelay();
    void OnFocusLater();

    EngineContext engine_;
    HINSTANCE instance_ = nullptr;
    HookWatchdog watchdog_;
    TextTypist typist_;
    UniqueWindow window_;
    ClipboardSwap clipboard_;
    bool rawInput_ = false;
    SheetView* sheet_ = nullptr;
    HWND focusLater_ = nullptr;  // a focus event's window, judged again when kFocusTimer fires
};

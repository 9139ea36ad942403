#pragma once
// The clipboard way of inserting a text: keep what the clipboard holds, put the text there
// for one paste, and put the kept content back once the target has read it. Every clipboard
// call runs on a thread of its own, with its own window as the clipboard's owner: a program
// that keeps the clipboard open, or an owner slow to render its data, holds up that thread,
// never the keyboard hook's.
#include <windows.h>

#include <atomic>
#include <string>

#include "engine/win32/engine_messages.h"
#include "toolkit/win32/handles.h"

class ClipboardSwap {
public:
    // Posted to the window given to Start when a Place is done.
    static constexpr UINT kPlacedMessage = kClipboardPlacedMessage;
    // How long the kept content waits after the paste keys at the least, and at the most for
    // the target to ask for the text.
    static constexpr UINT kRestoreDelayMs = 500;
    static constexpr UINT kRestoreCapMs = 3000;

    ClipboardSwap() = default;
    ClipboardSwap(const ClipboardSwap&) = delete;
    ClipboardSwap& operator=(const ClipboardSwap&) = delete;
    ~ClipboardSwap() { Stop(); }

    bool Start(HWND notify);
    // Puts back what is still kept, then ends the thread.
    void Stop();
    // Keeps the clipboard's content (unless a text of ours is still there: then what is kept
    // is already the user's) and offers the text, with the formats that keep it out of the
    // clipboard history and cloud sync.
    bool Place(std::u16string text);
    // The paste keys went out: the kept content goes back no sooner than `delayMs` later, and
    // not before the target asked for the text, unless it never does (the cap).
    void Pasted(UINT delayMs);
    // The window that owns the clipboard while a text of ours is on it.
    HWND Owner() const { return window_; }
    // True from a Place until the kept content is back: the clipboard holds our text, not the
    // user's, so a reader of the user's clipboard waits.
    bool HoldsOurText() const { return busy_.load(); }

private:
    static DWORD WINAPI ThreadMain(void* self);

    HWND notify_ = nullptr;
    std::atomic<bool> busy_{false};
    HWND window_ = nullptr;  // owned by the thread
    UniqueKernelHandle thread_;
};

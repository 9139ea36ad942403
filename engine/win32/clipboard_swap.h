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
    // Posted to it when the target has read the latest text (a render request from its program).
    static constexpr UINT kReadMessage = kClipboardReadMessage;

    ClipboardSwap() = default;
    ClipboardSwap(const ClipboardSwap&) = delete;
    ClipboardSwap& operator=(const ClipboardSwap&) = delete;
    ~ClipboardSwap() { Stop(); }

    bool Start(HWND notify);
    // Puts back what is still kept, then ends the thread.
    void Stop();
    // Keeps the clipboard's content (unless a text of ours is still there: then what is kept
    // is already the user's) and offers the text for the target's paste, with the formats that
    // keep it out of the clipboard history and cloud sync. A text of ours still waiting for the
    // target to read it is not replaced before it has been read, or its wait is over.
    bool Place(std::u16string text, HWND target);
    // The paste keys went out: the kept content goes back no sooner than `delayMs` later, and
    // not before the target asked for the text, unless it never does (the cap).
    void Pasted(UINT delayMs);
    // The latest text placed, or still to be placed, will not be pasted: it is not placed, or
    // the kept content goes back at once.
    void Withdraw();
    // The window that owns the clipboard while a text of ours is on it.
    HWND Owner() const { return window_; }
    // True from a Place until the kept content is back: the clipboard holds our text, not the
    // user's, so a reader of the user's clipboard waits.
    bool HoldsOurText() const { return shared_.settled.load() != placements_; }

    enum class UserText { NotOurs, Wait, Kept };
    // What the user's clipboard holds while our text is on it: the text kept to go back (Kept),
    // not known yet (Wait), or the clipboard is not ours (NotOurs: read the clipboard itself).
    UserText KeptText(std::u16string& text);

    // The state the thread shares with callers on other threads.
    struct Shared {
        std::atomic<unsigned> settled{0};    // the latest placement whose course is over
        std::atomic<unsigned> withdrawn{0};  // the latest placement given up on
        SRWLOCK lock = SRWLOCK_INIT;         // guards the two below
        bool textKept = false;
        std::u16string keptText;
    };

private:
    static DWORD WINAPI ThreadMain(void* self);

    HWND notify_ = nullptr;
    Shared shared_;
    unsigned placements_ = 0;  // counted on the caller's thread
    HWND window_ = nullptr;  // owned by the thread
    UniqueKernelHandle thread_;
};

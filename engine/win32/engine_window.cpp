#include "engine/win32/engine_window.h"

#include <hidusage.h>

#include <utility>

#include "engine/abbreviations.h"
#include "engine/win32/fill_ins.h"
#include "engine/win32/foreground_watch.h"
#include "engine/win32/hooks.h"
#include "engine/win32/key_platform.h"

namespace {

constexpr wchar_t kClassName[] = L"VelloryEngine";
constexpr UINT_PTR kCheckTimer = 1;
constexpr UINT_PTR kTypingTimer = 2;
constexpr UINT_PTR kSheetTimer = 3;
constexpr UINT_PTR kFocusTimer = 4;
// Long enough for the activation that follows a click to have put the window in front.
constexpr UINT kFocusLaterMs = 150;
// Short enough that a long text flows, long enough that the target and the user's keys get
// their turn in between.
constexpr UINT kTypingTickMs = 10;
// Well under what a user notices, well over the time a live hook takes to see the event.
constexpr UINT kCheckDelayMs = 500;

RAWINPUTDEVICE KeyboardDevice(DWORD flags, HWND target) {
    RAWINPUTDEVICE device{};
    // Generic desktop controls, keyboard: the raw input of every keyboard.
    device.usUsagePage = HID_USAGE_PAGE_GENERIC;
    device.usUsage = HID_USAGE_GENERIC_KEYBOARD;
    device.dwFlags = flags;
    device.hwndTarget = target;
    return device;
}

}  // namespace

bool EngineWindow::Start(EngineContext engine, HINSTANCE instance) {
    if (window_) return false;
    engine_ = engine;
    instance_ = instance;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    ::RegisterClassW(&windowClass);  // fails harmlessly when a restart finds it registered
    window_.Reset(::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr));
    if (!window_) return false;
    ::SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    engine.state->engineWindow = window_.Get();
    clipboard_.Start(window_.Get());
    // INPUTSINK: raw input arrives while other programs have the focus, as the hook does.
    const RAWINPUTDEVICE device = KeyboardDevice(RIDEV_INPUTSINK, window_.Get());
    rawInput_ = ::RegisterRawInputDevices(&device, 1, sizeof device) != FALSE;
    return rawInput_;
}

void EngineWindow::Stop() {
    if (rawInput_) {
        const RAWINPUTDEVICE device = KeyboardDevice(RIDEV_REMOVE, nullptr);
        ::RegisterRawInputDevices(&device, 1, sizeof device);
        rawInput_ = false;
    }
    clipboard_.Stop();
    if (engine_.state != nullptr) engine_.state->engineWindow = nullptr;
    window_.Reset();
}

void EngineWindow::StopTyping() {
    typist_.Clear();
    clipboard_.Withdraw();
    // The keys held behind a text that will not go out now go on at once.
    if (engine_.state != nullptr) {
        WindowsKeyPlatform platform(*engine_.state);
        ReleaseHeldKeys(*engine_.state, platform);
    }
    if (engine_.state != nullptr) engine_.state->typingBusy = false;
    if (window_) ::KillTimer(window_.Get(), kTypingTimer);
    OnSheetMessage(false);
}

void EngineWindow::OnSheetMessage(bool start) {
    if (!window_) return;
    // Set again at every start, the timer counts from the latest first press of the modifier.
    if (start && engine_.state->sheetDelay != 0)
        ::SetTimer(window_.Get(), kSheetTimer, engine_.state->sheetDelay, nullptr);
    if (start) return;
    ::KillTimer(window_.Get(), kSheetTimer);
    if (sheet_ != nullptr) sheet_->Hide();
}

void EngineWindow::OnSheetDelay() {
    ::KillTimer(window_.Get(), kSheetTimer);
    EngineState& state = *engine_.state;
    if (state.sheet != SheetPhase::Waiting || sheet_ == nullptr) return;
    WindowsKeyPlatform platform(state);
    // Not shown, the hold goes on as if there were no sheet: its release is Windows' own.
    state.sheet = SheetAllowed(state, platform) ? SheetPhase::Shown : SheetPhase::Idle;
    if (state.sheet == SheetPhase::Shown) sheet_->Show();
}

void EngineWindow::PumpTyping() {
    WindowsKeyPlatform platform(*engine_.state);
    WindowsPlaceholderSource source;
    TextTypist::Next next = typist_.Step(platform, source, ::GetTickCount());
    engine_.state->typingBusy = typist_.Busy();
    // Before a placement: the one it follows may be the text given up on.
    if (next.withdraw) clipboard_.Withdraw();
    // The answer comes back as a message; a clipboard thread that is not there answers now.
    if (next.place && !clipboard_.Place(std::move(next.placeText), reinterpret_cast<HWND>(next.placeTarget)))
        ::PostMessageW(window_.Get(), kClipboardPlacedMessage, 0, 0);
    // After a placement, so that {буфер} then reads the user's text that is kept to go back.
    if (next.fetchClipboard) {
        std::u16string kept;
        const ClipboardSwap::UserText user = clipboard_.KeptText(kept);
        if (user == ClipboardSwap::UserText::Kept) typist_.OnClipboard(false, kept);
        if (user == ClipboardSwap::UserText::NotOurs && StartClipboardReader(window_.Get())) typist_.FetchStarted();
    }
    if (next.pasted) clipboard_.Pasted(engine_.state->pasteRestoreDelay);
    // After the text, in the same input stream: the keys the user typed meanwhile.
    if (next.releaseHeld || engine_.state->abbreviations.held.releaseDue) ReleaseHeldKeys(*engine_.state, platform);
    // Posted, the next step waits behind the messages already queued (the user's keys among
    // them) but for no timer tick; the timer still stands by in case nothing else comes.
    if (next.soon) ::PostMessageW(window_.Get(), kTypePendingMessage, 0, 0);
    if (next.tick)
        ::SetTimer(window_.Get(), kTypingTimer, kTypingTickMs, nullptr);
    else
        ::KillTimer(window_.Get(), kTypingTimer);
}

void EngineWindow::OnFocusLater() {
    ::KillTimer(window_.Get(), kFocusTimer);
    const HWND window = std::exchange(focusLater_, nullptr);
    // Only while it still has its thread's focus: a later click elsewhere has its own event.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (window == nullptr || !::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ||
        info.hwndFocus != window)
        return;
    WindowsKeyPlatform platform(*engine_.state);
    OnFocusEvent(*engine_.state, reinterpret_cast<WindowId>(window), platform);
}

void EngineWindow::OnRawInput() {
    // Keys typed into an elevated window never reach the hook: its silence proves nothing.
    if (ElevatedWindowInFront()) return;
    // The message's time is the input event's own time stamp, the one the hook records.
    if (watchdog_.OnRawKey(static_cast<std::uint32_t>(::GetMessageTime())))
        ::SetTimer(window_.Get(), kCheckTimer, kCheckDelayMs, nullptr);
}

void EngineWindow::OnCheck() {
    ::KillTimer(window_.Get(), kCheckTimer);
    if (watchdog_.HookLost(engine_.state->lastEventTime) && !ElevatedWindowInFront()) {
        ReinstallHooks(engine_, instance_);
        OnSheetMessage(false);  // the new hook knows of no sheet, and would never hide it
        WindowsKeyPlatform platform(*engine_.state);
        ReleaseHeldKeys(*engine_.state, platform);  // nor of keys held behind a text
    }
}

LRESULT CALLBACK EngineWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<EngineWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
        case WM_INPUT:
            self->OnRawInput();
            break;  // the default procedure frees the raw input data
        case WM_TIMER:
            if (wparam == kCheckTimer) self->OnCheck();
            if (wparam == kTypingTimer) self->PumpTyping();
            if (wparam == kSheetTimer) self->OnSheetDelay();
            if (wparam == kFocusTimer) self->OnFocusLater();
            return 0;
        case kFocusLaterMessage:
            self->focusLater_ = reinterpret_cast<HWND>(wparam);
            ::SetTimer(window, kFocusTimer, kFocusLaterMs, nullptr);
            return 0;
        case kTypePendingMessage:
            self->typist_.TakePending(*self->engine_.state, *self->engine_.table);
            self->PumpTyping();
            return 0;
        case kSheetMessage:
            self->OnSheetMessage(wparam != 0);
            return 0;
        case kClipboardReadMessage:
            self->typist_.OnPasteRead();
            self->PumpTyping();
            return 0;
        case kClipboardPlacedMessage:
            self->typist_.OnPlaced(wparam != 0);
            self->PumpTyping();
            return 0;
        case kClipboardTextMessage: {
            const HeapText text(reinterpret_cast<wchar_t*>(lparam));
            const auto* units = reinterpret_cast<const char16_t*>(text.get());
            self->typist_.OnClipboard(wparam != 0, units ? std::u16string_view(units) : std::u16string_view());
            self->PumpTyping();
            return 0;
        }
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

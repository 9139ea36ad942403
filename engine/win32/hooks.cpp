#include "engine/win32/hooks.h"

#include "engine/win32/engine_messages.h"
#include "engine/abbreviations.h"
#include "engine/win32/key_platform.h"

namespace {

// The hook callbacks carry no context argument; the installed context lives here.
EngineContext g_engine;

}  // namespace

LRESULT CALLBACK keyboardHookProcShim(int code, WPARAM message, LPARAM record) {
    auto* info = reinterpret_cast<KBDLLHOOKSTRUCT*>(record);
    if (g_engine.state == nullptr || g_engine.table == nullptr)
        return ::CallNextHookEx(nullptr, code, message, record);
    KeyEvent event;
    event.code = code;
    event.message = static_cast<std::uint32_t>(message);
    if (info != nullptr) {
        event.virtualKey = reinterpret_cast<const std::uint32_t*>(&info->vkCode);
        event.time = info->time;
        event.replayed = info->dwExtraInfo == kReplayMark;
        event.ownInput = info->dwExtraInfo == kOwnInputMark || event.replayed;
        event.scanCode = static_cast<std::uint16_t>(info->scanCode);
        event.extended = (info->flags & LLKHF_EXTENDED) != 0;
    }
    event.passOnData = record;
    WindowsKeyPlatform platform(*g_engine.state);
    return keyboardHookProc(event, *g_engine.state, *g_engine.table, platform);
}

void CALLBACK focusEventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD) {
    if (event != EVENT_OBJECT_FOCUS || g_engine.state == nullptr) return;
    WindowsKeyPlatform platform(*g_engine.state);
    OnFocusEvent(*g_engine.state, reinterpret_cast<WindowId>(window), platform);
    // Wine raises the event of a control clicked into before its window is the one in front,
    // and none when the window is activated: the engine's window judges it again a moment later.
    if (g_engine.state->focusWindow != reinterpret_cast<WindowId>(window) && g_engine.state->engineWindow != nullptr)
        ::PostMessageW(static_cast<HWND>(g_engine.state->engineWindow), kFocusLaterMessage,
                       reinterpret_cast<WPARAM>(window), 0);
}

// Another window in front, a menu, or a window taking the mouse's capture, as a click on an
// edit or a button does: what was typed is no longer what stands before the caret. These
// come once per click or switch, never for a mouse move, and cost the mouse nothing: no
// low-level mouse hook sits in its path.
void CALLBACK typingEndEventProc(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    if (g_engine.state != nullptr) ForgetTyped(*g_engine.state);
}

bool InstallHooks(EngineContext engine, HINSTANCE instance) {
    EngineState& state = *engine.state;
    if (state.keyboardHook != nullptr) return false;
    g_engine = engine;
    state.keyboardHook = ::SetWindowsHookExW(WH_KEYBOARD_LL, keyboardHookProcShim, instance, 0);
    state.focusHook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, focusEventProc, 0, 0,
                                        WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    // A new hook has seen no key go down: it starts from the modifiers held now. Read once the
    // hook is in, as its events are taken only when this thread next reads its messages.
    std::uint16_t held = 0;
    for (const int key : {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN})
        if ((::GetAsyncKeyState(key) & 0x8000) != 0) held |= ModifierBit(static_cast<std::uint8_t>(key));
    state.heldModifiers = held;
    state.clickHook = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_CAPTURESTART, nullptr, typingEndEventProc,
                                        0, 0, WINEVENT_OUTOFCONTEXT);
    // The system's toggle once; from here on the hook follows Caps Lock itself.
    state.abbreviations.capsLock = (::GetKeyState(VK_CAPITAL) & 1) != 0;
    return state.keyboardHook != nullptr;
}

bool RemoveHooks(EngineState& state) {
    if (state.keyboardHook != nullptr && ::UnhookWindowsHookEx(static_cast<HHOOK>(state.keyboardHook)))
        state.keyboardHook = nullptr;
    if (state.focusHook != nullptr && ::UnhookWinEvent(static_cast<HWINEVENTHOOK>(state.focusHook)))
        state.focusHook = nullptr;
    if (state.clickHook != nullptr && ::UnhookWinEvent(static_cast<HWINEVENTHOOK>(state.clickHook)))
        state.clickHook = nullptr;
    if (state.keyboardHook == nullptr && state.focusHook == nullptr && state.clickHook == nullptr)
        g_engine = EngineContext{};
    return true;
}

bool ReinstallHooks(EngineContext engine, HINSTANCE instance) {
    EngineState& state = *engine.state;
    // The system removed the keyboard hook already, so unhooking its handle fails: the
    // handle is stale whatever the call says, and so is what the lost hook knew of held keys.
    ::UnhookWindowsHookEx(static_cast<HHOOK>(state.keyboardHook));
    ::UnhookWinEvent(static_cast<HWINEVENTHOOK>(state.focusHook));
    ::UnhookWinEvent(static_cast<HWINEVENTHOOK>(state.clickHook));
    state.keyboardHook = nullptr;
    state.focusHook = nullptr;
    state.clickHook = nullptr;
    ResetChordState(state);
    return InstallHooks(engine, instance);
}

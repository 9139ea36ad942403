#include "engine/win32/hooks.h"

#include "engine/win32/engine_window.h"

namespace {

// The hook callbacks carry no context argument; the installed state lives here.
EngineState* g_state = nullptr;
const HotkeyTable* g_table = nullptr;

}  // namespace

bool WindowsKeyPlatform::isKeyDown(std::uint32_t virtualKey) {
    return (::GetKeyState(static_cast<int>(virtualKey)) & 0x80) != 0;
}

bool WindowsKeyPlatform::windowExists(WindowId window) {
    return ::IsWindow(reinterpret_cast<HWND>(window)) != FALSE;
}

std::uint16_t WindowsKeyPlatform::layoutLanguageOf(WindowId window) {
    const DWORD thread = ::GetWindowThreadProcessId(reinterpret_cast<HWND>(window), nullptr);
    return static_cast<std::uint16_t>(reinterpret_cast<std::uintptr_t>(::GetKeyboardLayout(thread)) & 0xFFFF);
}

bool WindowsKeyPlatform::postChar(WindowId window, char16_t unit) {
    return ::PostMessageW(reinterpret_cast<HWND>(window), WM_CHAR, static_cast<WPARAM>(unit), 1) != FALSE;
}

void WindowsKeyPlatform::injectKey(std::uint32_t virtualKey, bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(virtualKey);
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    input.ki.dwExtraInfo = kOwnInputMark;
    ::SendInput(1, &input, sizeof(INPUT));
}

void WindowsKeyPlatform::injectUnit(char16_t unit) {
    INPUT inputs[2]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = static_cast<WORD>(unit);
        input.ki.dwFlags = KEYEVENTF_UNICODE;
        input.ki.dwExtraInfo = kOwnInputMark;
    }
    inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    ::SendInput(2, inputs, sizeof(INPUT));
}

void WindowsKeyPlatform::scheduleTyping() {
    ::PostMessageW(static_cast<HWND>(state_.engineWindow), kTypePendingMessage, 0, 0);
}

HookResult WindowsKeyPlatform::passOn(const KeyEvent& event) {
    return ::CallNextHookEx(static_cast<HHOOK>(state_.keyboardHook), event.code,
                            static_cast<WPARAM>(event.message), static_cast<LPARAM>(event.passOnData));
}

LRESULT CALLBACK keyboardHookProcShim(int code, WPARAM message, LPARAM record) {
    auto* info = reinterpret_cast<KBDLLHOOKSTRUCT*>(record);
    if (g_state == nullptr || g_table == nullptr)
        return ::CallNextHookEx(nullptr, code, message, record);
    KeyEvent event;
    event.code = code;
    event.message = static_cast<std::uint32_t>(message);
    if (info != nullptr) {
        event.virtualKey = reinterpret_cast<const std::uint32_t*>(&info->vkCode);
        event.time = info->time;
        event.ownInput = info->dwExtraInfo == kOwnInputMark;
    }
    event.passOnData = record;
    WindowsKeyPlatform platform(*g_state);
    return keyboardHookProc(event, *g_state, *g_table, platform);
}

void CALLBACK focusEventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD) {
    if (event == EVENT_OBJECT_FOCUS && g_state != nullptr) g_state->focusWindow = reinterpret_cast<WindowId>(window);
}

bool InstallHooks(EngineState& state, const HotkeyTable& table, HINSTANCE instance) {
    if (state.keyboardHook != nullptr) return false;
    g_state = &state;
    g_table = &table;
    state.keyboardHook = ::SetWindowsHookExW(WH_KEYBOARD_LL, keyboardHookProcShim, instance, 0);
    state.focusHook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, focusEventProc, 0, 0,
                                        WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    return state.keyboardHook != nullptr;
}

bool RemoveHooks(EngineState& state) {
    if (state.keyboardHook != nullptr && ::UnhookWindowsHookEx(static_cast<HHOOK>(state.keyboardHook)))
        state.keyboardHook = nullptr;
    if (state.focusHook != nullptr && ::UnhookWinEvent(static_cast<HWINEVENTHOOK>(state.focusHook)))
        state.focusHook = nullptr;
    if (state.keyboardHook == nullptr && state.focusHook == nullptr) {
        g_state = nullptr;
        g_table = nullptr;
    }
    return true;
}

bool ReinstallHooks(EngineState& state, const HotkeyTable& table, HINSTANCE instance) {
    // The system removed the keyboard hook already, so unhooking its handle fails: the
    // handle is stale whatever the call says, and so is what the lost hook knew of held keys.
    ::UnhookWindowsHookEx(static_cast<HHOOK>(state.keyboardHook));
    ::UnhookWinEvent(static_cast<HWINEVENTHOOK>(state.focusHook));
    state.keyboardHook = nullptr;
    state.focusHook = nullptr;
    state.maskWinRelease = false;
    state.maskAltRelease = false;
    state.downFate.fill(DownFate::None);
    state.pendingCount = 0;
    return InstallHooks(state, table, instance);
}

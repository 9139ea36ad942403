#include "engine/win32/raw_input_watchdog.h"

#include "engine/win32/hooks.h"

namespace {

constexpr wchar_t kClassName[] = L"VelloryHookWatchdog";
constexpr UINT_PTR kCheckTimer = 1;
// Well under what a user notices, well over the time a live hook takes to see the event.
constexpr UINT kCheckDelayMs = 500;
// Generic desktop controls, keyboard: the raw input device of every keyboard.
constexpr USHORT kUsagePageGeneric = 1;
constexpr USHORT kUsageKeyboard = 6;

RAWINPUTDEVICE KeyboardDevice(DWORD flags, HWND target) {
    RAWINPUTDEVICE device{};
    device.usUsagePage = kUsagePageGeneric;
    device.usUsage = kUsageKeyboard;
    device.dwFlags = flags;
    device.hwndTarget = target;
    return device;
}

}  // namespace

bool RawInputWatchdog::Start(EngineState& state, const HotkeyTable& table, HINSTANCE instance) {
    if (window_) return false;
    state_ = &state;
    table_ = &table;
    instance_ = instance;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    ::RegisterClassW(&windowClass);  // fails harmlessly when a restart finds it registered
    window_.Reset(::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr));
    if (!window_) return false;
    ::SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // INPUTSINK: raw input arrives while other programs have the focus, as the hook does.
    const RAWINPUTDEVICE device = KeyboardDevice(RIDEV_INPUTSINK, window_.Get());
    registered_ = ::RegisterRawInputDevices(&device, 1, sizeof device) != FALSE;
    if (!registered_) window_.Reset();
    return registered_;
}

void RawInputWatchdog::Stop() {
    if (registered_) {
        const RAWINPUTDEVICE device = KeyboardDevice(RIDEV_REMOVE, nullptr);
        ::RegisterRawInputDevices(&device, 1, sizeof device);
        registered_ = false;
    }
    window_.Reset();
}

void RawInputWatchdog::OnRawInput() {
    // The message's time is the input event's own time stamp, the one the hook records.
    if (watchdog_.OnRawKey(static_cast<std::uint32_t>(::GetMessageTime())))
        ::SetTimer(window_.Get(), kCheckTimer, kCheckDelayMs, nullptr);
}

void RawInputWatchdog::OnCheck() {
    ::KillTimer(window_.Get(), kCheckTimer);
    if (!watchdog_.HookLost(state_->lastEventTime)) return;
    ReinstallHooks(*state_, *table_, instance_);
    ++reinstalls_;
}

LRESULT CALLBACK RawInputWatchdog::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<RawInputWatchdog*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_INPUT) {
        self->OnRawInput();
    } else if (self != nullptr && message == WM_TIMER && wparam == kCheckTimer) {
        self->OnCheck();
        return 0;
    }
    // WM_INPUT must reach the default procedure, which frees the raw input data.
    return ::DefWindowProcW(window, message, wparam, lparam);
}

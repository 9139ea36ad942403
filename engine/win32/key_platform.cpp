#include "engine/win32/key_platform.h"

#include <cwchar>
#include <utility>

#include "engine/shell_windows.h"
#include "toolkit/win32/process.h"

namespace {

bool OwnWindow(HWND window) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process == ::GetCurrentProcessId();
}

}  // namespace

bool IsShellWindow(HWND top) {
    wchar_t name[64];
    const int length = ::GetClassNameW(top, name, 64);
    if (length <= 0) return false;
    const ShellClass shell = ShellClassOf({reinterpret_cast<const char16_t*>(name), static_cast<std::size_t>(length)});
    if (shell != ShellClass::ShellIfHost) return shell == ShellClass::Shell;
    DWORD process = 0;
    ::GetWindowThreadProcessId(top, &process);
    wchar_t path[1024];
    const wchar_t* file = ::ProcessFileName(process, path, sizeof path / sizeof path[0]);
    return file != nullptr && IsShellHost(reinterpret_cast<const char16_t*>(file));
}

bool WindowsKeyPlatform::isKeyDown(std::uint32_t virtualKey) {
    // What the hook saw held is the truth on this thread; the system's state besides it
    // forgets a modifier whose release the hook never saw (let go in an administrator's
    // window, whose keys Windows keeps from the hook).
    return ModifierHeld(state_, virtualKey) && (::GetAsyncKeyState(static_cast<int>(virtualKey)) & 0x8000) != 0;
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

void WindowsKeyPlatform::scheduleTyping() {
    ::PostMessageW(static_cast<HWND>(state_.engineWindow), kTypePendingMessage, 0, 0);
}

void WindowsKeyPlatform::tellSheet(SheetPhase phase) {
    ::PostMessageW(static_cast<HWND>(state_.engineWindow), kSheetMessage, phase == SheetPhase::Waiting, 0);
}

HookResult WindowsKeyPlatform::passOn(const KeyEvent& event) {
    return ::CallNextHookEx(static_cast<HHOOK>(state_.keyboardHook), event.code,
                            static_cast<WPARAM>(event.message), static_cast<LPARAM>(event.passOnData));
}

ForegroundFacts WindowsKeyPlatform::foregroundFacts() {
    ForegroundFacts facts;
    const HWND front = ::GetForegroundWindow();
    if (front == nullptr) return facts;
    facts.front = reinterpret_cast<WindowId>(front);
    facts.frontOwn = OwnWindow(front);
    facts.frontShell = !facts.frontOwn && IsShellWindow(front);
    // Thread 0 asks the foreground thread itself: a console's window reports its client
    // program's thread, which has no input queue to ask. With attached input the focus may
    // sit in another process than the window in front.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (::GetGUIThreadInfo(0, &info) && info.hwndFocus != nullptr) {
        facts.focus = reinterpret_cast<WindowId>(info.hwndFocus);
        facts.focusOwn = OwnWindow(info.hwndFocus);
    }
    return facts;
}

bool WindowsKeyPlatform::focusRecordable(WindowId window) {
    const HWND focus = reinterpret_cast<HWND>(window);
    // Wine hands the hook this process's own focus events in spite of WINEVENT_SKIPOWNPROCESS;
    // Vellory's own control recorded would take the text with Vellory's window in front.
    if (!::IsWindowVisible(focus) || OwnWindow(focus)) return false;
    const HWND top = ::GetAncestor(focus, GA_ROOT);
    return top != nullptr && top == ::GetForegroundWindow() && !IsShellWindow(top);
}

bool WindowsKeyPlatform::processOf(WindowId window, ProcessKey& process) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &id);
    if (id == 0 || !ProcessStartTime(id, process.startTime)) return false;
    process.id = id;
    return true;
}

bool WindowsKeyPlatform::processFileName(const ProcessKey& process, char16_t (&name)[kMaxFileName]) {
    // On the stack, not in the program's data: a path far longer than this is as rare as a
    // program that cannot be asked, and is treated the same.
    wchar_t path[1024];
    const wchar_t* file = ::ProcessFileName(process.id, path, sizeof path / sizeof path[0]);
    const std::size_t length = file != nullptr ? std::wcslen(file) : kMaxFileName;
    if (length >= kMaxFileName) return false;
    std::wmemcpy(reinterpret_cast<wchar_t*>(name), file, length + 1);
    return true;
}

bool WindowsKeyPlatform::postKey(WindowId window, std::uint32_t virtualKey, bool release) {
    // What a keyboard's key gives: repeat count 1, the scan code, the extended bit of the
    // arrow block, and for a release the previous-state and transition bits.
    const UINT scan = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    const bool extended = virtualKey >= VK_PRIOR && virtualKey <= VK_DOWN;
    LPARAM info = 1 | static_cast<LPARAM>(scan << 16) | (extended ? 1 << 24 : 0);
    if (release) info |= static_cast<LPARAM>(0xC0000000u);
    return ::PostMessageW(reinterpret_cast<HWND>(window), release ? WM_KEYUP : WM_KEYDOWN, virtualKey, info) != FALSE;
}

bool WindowsKeyPlatform::isKeyHeld(std::uint32_t virtualKey) {
    return (::GetAsyncKeyState(static_cast<int>(virtualKey)) & 0x8000) != 0;
}

bool WindowsKeyPlatform::stillInFront(WindowId target) {
    const HWND front = ::GetForegroundWindow();
    return front != nullptr && ::GetAncestor(reinterpret_cast<HWND>(target), GA_ROOT) == front;
}

std::size_t WindowsKeyPlatform::sendKeys(const KeyStroke* keys, std::size_t count) {
    INPUT inputs[128];
    if (count > sizeof inputs / sizeof inputs[0]) count = sizeof inputs / sizeof inputs[0];
    for (std::size_t i = 0; i < count; ++i) {
        INPUT& input = inputs[i];
        input = INPUT{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = keys[i].virtualKey;
        input.ki.dwFlags = keys[i].release ? KEYEVENTF_KEYUP : 0;
        if (keys[i].virtualKey == 0) {
            input.ki.wScan = static_cast<WORD>(keys[i].unit);
            input.ki.dwFlags |= KEYEVENTF_UNICODE;
        } else if ((keys[i].virtualKey >= VK_PRIOR && keys[i].virtualKey <= VK_DOWN) || keys[i].virtualKey == VK_INSERT) {
            input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;  // the navigation block's own keys, not the number pad's
        }
        input.ki.dwExtraInfo = kOwnInputMark;
    }
    return ::SendInput(static_cast<UINT>(count), inputs, sizeof(INPUT));
}

namespace {

// Terminals whose Ctrl+V is a key of the program running in them: they paste on Shift+Insert.
constexpr const wchar_t* kShiftInsertClasses[] = {L"mintty", L"PuTTY"};

}  // namespace

bool WindowsKeyPlatform::pastesWithShiftInsert(WindowId target) {
    wchar_t name[32] = {};
    ::GetClassNameW(::GetAncestor(reinterpret_cast<HWND>(target), GA_ROOT), name, 32);
    for (const wchar_t* terminal : kShiftInsertClasses)
        if (std::wcscmp(name, terminal) == 0) return true;
    return false;
}

TypingFocus WindowsKeyPlatform::typingFocus() {
    TypingFocus focus;
    const HWND front = ::GetForegroundWindow();
    if (front == nullptr) return focus;
    // As for a chord's target: the focus of the foreground thread, or the window in front itself.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const HWND window = ::GetGUIThreadInfo(0, &info) && info.hwndFocus != nullptr ? info.hwndFocus : front;
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(window, &process);
    focus.window = reinterpret_cast<WindowId>(window);
    focus.own = process == ::GetCurrentProcessId();
    // The layout of the thread the keys go to, not Vellory's, nor the window in front's.
    focus.layout = reinterpret_cast<std::uintptr_t>(::GetKeyboardLayout(thread));
    return focus;
}

bool WindowsKeyPlatform::passwordField(WindowId window) {
    const HWND edit = reinterpret_cast<HWND>(window);
    wchar_t name[96];
    const int length = ::GetClassNameW(edit, name, 96);
    if (length <= 0) return false;
    for (int i = 0; i < length; ++i)
        if (name[i] >= L'a' && name[i] <= L'z') name[i] = static_cast<wchar_t>(name[i] - 0x20);
    // The system's edit, a rich edit, and the edits of Windows Forms ("WindowsForms10.EDIT.app...").
    const bool editClass = std::wcscmp(name, L"EDIT") == 0 || std::wcsncmp(name, L"RICHEDIT", 8) == 0 ||
                            std::wcsstr(name, L".EDIT.") != nullptr;
    return editClass && (::GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD) != 0;
}

namespace {

// Windows 10 1607 (build 14393) and later leave the keyboard state alone when ToUnicodeEx is
// given wFlags bit 2; older ones change it at every call.
bool TranslationKeepsState() {
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto get = reinterpret_cast<GetVersion>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (get == nullptr || get(&version) != 0) return false;
    return version.dwMajorVersion > 10 || (version.dwMajorVersion == 10 && version.dwBuildNumber >= 14393);
}

// On an older system: a dead key was the last key seen, so the next one completes it.
bool g_deadKeyBefore = false;

}  // namespace

int WindowsKeyPlatform::typedUnits(const KeyEvent& event, const TypedKeyState& keys, std::uintptr_t layout,
                                   char16_t (&units)[4]) {
    static const bool keepsState = TranslationKeepsState();
    const UINT key = *event.virtualKey & 0xFF;
    const HKL hkl = reinterpret_cast<HKL>(layout);
    if (!keepsState) {
        // Translating a dead key, or the key that completes one, would take it from the target:
        // it would come out twice. Neither is looked at; the key after one clears what was typed.
        const bool dead = (::MapVirtualKeyExW(key, MAPVK_VK_TO_CHAR, hkl) & 0x80000000u) != 0;
        const bool completes = std::exchange(g_deadKeyBefore, dead);
        if (dead) return kDeadKey;
        if (completes) return kUnitsUnknown;
    }
    // The modifiers as the hook followed them: this thread's own key state is stale.
    BYTE state[256] = {};
    if (keys.shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    if (keys.ctrl) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    if (keys.alt) state[VK_MENU] = state[VK_RMENU] = 0x80;  // with Ctrl, AltGr
    if (keys.capsLock) state[VK_CAPITAL] = 0x01;
    if (key >= VK_NUMPAD0 && key <= VK_DIVIDE) state[VK_NUMLOCK] = 0x01;  // these codes come with Num Lock on
    state[key] |= 0x80;
    WCHAR buffer[8];
    const int count = ::ToUnicodeEx(key, event.scanCode, state, buffer, 8, keepsState ? 4 : 0, hkl);
    if (count < 0) return kDeadKey;
    const int kept = count > 4 ? 4 : count;
    for (int i = 0; i < kept; ++i) units[i] = static_cast<char16_t>(buffer[i]);
    return kept;
}

std::size_t WindowsKeyPlatform::replayKeys(const HeldKey* keys, std::size_t count) {
    INPUT inputs[4 * HeldKeys::kCapacity];
    std::size_t n = 0;
    for (const HeldKey* key = keys; key != keys + count && n + 4 <= sizeof inputs / sizeof inputs[0]; ++key) {
        // A key held as its units: a press and a release of each.
        for (std::uint8_t k = 0; k < (key->unitCount != 0 ? 2 * key->unitCount : 1); ++k) {
            INPUT& input = inputs[n++];
            input = INPUT{};
            input.type = INPUT_KEYBOARD;
            input.ki.dwExtraInfo = kReplayMark;
            const DWORD release = (key->unitCount != 0 ? k % 2 == 1 : key->release) ? KEYEVENTF_KEYUP : 0;
            if (key->unitCount != 0) {
                input.ki.wScan = static_cast<WORD>(key->units[k / 2]);
                input.ki.dwFlags = KEYEVENTF_UNICODE | release;
            } else {
                input.ki.wVk = key->virtualKey;
                input.ki.wScan = key->scanCode;
                input.ki.dwFlags = (key->extended ? KEYEVENTF_EXTENDEDKEY : 0) | release;
            }
        }
    }
    return n == 0 ? 0 : ::SendInput(static_cast<UINT>(n), inputs, sizeof(INPUT));
}

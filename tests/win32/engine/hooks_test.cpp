#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "engine/win32/foreground_watch.h"
#include "engine/win32/hooks.h"
#include "engine/win32/key_platform.h"

namespace {

TEST(Hooks, SecondInstallFailsAndKeepsTheFirstHooks) {
    HotkeyTable table;
    EngineState state;
    state.engineActive = true;
    ASSERT_TRUE(InstallHooks({&state, &table}, GetModuleHandleW(nullptr)));
    void* keyboard = state.keyboardHook;
    void* focus = state.focusHook;
    EXPECT_NE(focus, nullptr);
    EXPECT_FALSE(InstallHooks({&state, &table}, GetModuleHandleW(nullptr)));
    EXPECT_EQ(state.keyboardHook, keyboard);
    EXPECT_EQ(state.focusHook, focus);
    // Dropped behind our back, as Windows drops a hook that timed out: installed afresh.
    ASSERT_TRUE(UnhookWindowsHookEx(static_cast<HHOOK>(state.keyboardHook)));
    state.maskWinRelease = true;
    state.downFate['1'] = DownFate::Swallowed;
    // The lost hook believed every modifier held; in fact only the left Shift is.
    state.heldModifiers = 0xFF;
    INPUT shift{};
    shift.type = INPUT_KEYBOARD;
    shift.ki.wVk = VK_LSHIFT;
    ASSERT_EQ(SendInput(1, &shift, sizeof shift), 1u);
    EXPECT_TRUE(ReinstallHooks({&state, &table}, GetModuleHandleW(nullptr)));
    EXPECT_NE(state.keyboardHook, nullptr);
    EXPECT_NE(state.focusHook, nullptr);
    EXPECT_FALSE(state.maskWinRelease);
    EXPECT_EQ(state.downFate['1'], DownFate::None);
    EXPECT_EQ(state.heldModifiers, ModifierBit(kVkLeftShift));
    EXPECT_TRUE(RemoveHooks(state));
    shift.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &shift, sizeof shift);
    EXPECT_EQ(state.keyboardHook, nullptr);
    EXPECT_EQ(state.focusHook, nullptr);
    // Nothing installed, or installation failed: removal still succeeds and leaves no handles.
    EXPECT_TRUE(RemoveHooks(state));
    EXPECT_EQ(state.keyboardHook, nullptr);
    EXPECT_EQ(state.focusHook, nullptr);
}

TEST(Hooks, FocusEventsRecordOnlyWhereTheUserTypes) {
    EngineState state;
    HotkeyTable table;
    ASSERT_TRUE(InstallHooks({&state, &table}, GetModuleHandleW(nullptr)));
    // Shell windows by their class; the classes are the test's own, registered in this process.
    const wchar_t* classes[] = {L"Shell_TrayWnd", L"Progman", L"VelloryPlainWindow"};
    HWND windows[3] = {};
    for (int i = 0; i < 3; ++i) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = classes[i];
        RegisterClassW(&wc);
        windows[i] = CreateWindowExW(0, classes[i], L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                     wc.hInstance, nullptr);
        ASSERT_NE(windows[i], nullptr);
    }
    EXPECT_TRUE(IsShellWindow(windows[0]));
    EXPECT_TRUE(IsShellWindow(windows[1]));
    EXPECT_FALSE(IsShellWindow(windows[2]));
    // None of these is recorded: Vellory's own window, the desktop, a handle of no window.
    state.focusWindow = 0x42;
    for (HWND window : {windows[2], GetDesktopWindow(), reinterpret_cast<HWND>(0x1234)}) {
        focusEventProc(nullptr, EVENT_OBJECT_FOCUS, window, -4 /* OBJID_CLIENT */, 0, 0, 0);
        EXPECT_EQ(state.focusWindow, 0x42u);
    }
    for (HWND window : windows) DestroyWindow(window);
    RemoveHooks(state);
}

// Reads the whole log of the typing target.
std::string ReadLog(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string text(4096, '\0');
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
    text.resize(read);
    return text;
}

TEST(Hooks, AFocusEventRaisedByAnotherProgramIsRecorded) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    dir.resize(dir.rfind(L'\\'));
    const std::wstring target = dir + L"\\..\\..\\e2e\\typing_target.exe";
    const std::wstring log = dir + L"\\hooks_test_target.log";
    DeleteFileW(log.c_str());

    EngineState state;
    HotkeyTable table;
    ASSERT_TRUE(InstallHooks({&state, &table}, GetModuleHandleW(nullptr)));
    // Object id 7 stands for an item inside a control: the window is recorded all the same.
    std::wstring command = L"\"" + target + L"\" \"" + log + L"\" --raise-focus 7";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    std::string text;
    for (int i = 0; i < 200 && state.focusWindow == 0; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    for (int i = 0; i < 100 && (text = ReadLog(log)).find("ready") == std::string::npos; ++i) Sleep(50);
    unsigned long long edit1 = 0, edit2 = 0;
    ASSERT_EQ(sscanf(text.c_str() + text.find("ready"), "ready %llu %llu", &edit1, &edit2), 2) << text;
    EXPECT_EQ(state.focusWindow, static_cast<WindowId>(edit2));
    // Another ordinary program of the user is read, and is not above us: its keys reach the hook.
    DWORD ours = 0, theirs = 0;
    EXPECT_EQ(ReadIntegrity(GetCurrentProcess(), ours), IntegrityReading::Known);
    EXPECT_EQ(ReadIntegrity(process.hProcess, theirs), IntegrityReading::Known);
    EXPECT_EQ(theirs, ours);
    EXPECT_FALSE(WindowRunsAbove(GetAncestor(reinterpret_cast<HWND>(edit2), GA_ROOT)));
    RemoveHooks(state);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

TEST(Hooks, PlatformMapsToTheWindowsCalls) {
    EngineState state;
    WindowsKeyPlatform platform(state);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(platform.windowExists(reinterpret_cast<WindowId>(edit)));
    EXPECT_TRUE(platform.postChar(reinterpret_cast<WindowId>(edit), u'Ж'));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, edit, WM_CHAR, WM_CHAR, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(u'Ж'));
    EXPECT_EQ(msg.lParam, 1);
    // A posted Left step looks like the key's own: the extended bit, and the release bits.
    EXPECT_TRUE(platform.postKey(reinterpret_cast<WindowId>(edit), kVkLeft, false));
    EXPECT_TRUE(platform.postKey(reinterpret_cast<WindowId>(edit), kVkLeft, true));
    ASSERT_TRUE(PeekMessageW(&msg, edit, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_LEFT));
    EXPECT_EQ(msg.lParam & 0x0100FFFF, 0x01000001);
    ASSERT_TRUE(PeekMessageW(&msg, edit, WM_KEYUP, WM_KEYUP, PM_REMOVE));
    EXPECT_EQ(static_cast<std::uint32_t>(msg.lParam) >> 30, 3u);
    EXPECT_EQ(platform.layoutLanguageOf(reinterpret_cast<WindowId>(edit)),
              static_cast<std::uint16_t>(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0)) & 0xFFFF));
    DestroyWindow(edit);
    EXPECT_FALSE(platform.windowExists(reinterpret_cast<WindowId>(edit)));
    EXPECT_FALSE(platform.postChar(reinterpret_cast<WindowId>(edit), u'Ж')) << "a window gone refuses the text";
    EXPECT_FALSE(platform.isKeyDown(kVkLeftWin));
}

}  // namespace

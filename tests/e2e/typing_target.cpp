// A typing target for the end-to-end scenarios: two edit controls that log every WM_CHAR,
// WM_KEYDOWN and WM_KEYUP they receive to a file, one line each, flushed at once. Its menu bar
// logs "menu" whenever a key (Alt+letter, a lone Alt release) enters the menu loop. Edit 2
// takes several lines and logs "edit2 lines N" after each character.
// Wine raises no focus event when focus moves between programs, so the target raises one
// itself on WM_SETFOCUS, as an accessible application does; nor does it raise the system's
// capture event when a click makes an edit take the mouse, so the target raises that too.
// Usage: typing_target.exe <log file> [--raise-focus <object id>] [--class <name>] [--at <x> <y>]
//        [--busy-paste <ms>]
// --class names the main window's class (a shell window's, say); --at moves the window;
// --busy-paste keeps the thread busy that long before it handles Ctrl+V, as a busy program.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;
WNDPROC g_editProc = nullptr;
HWND g_edits[2] = {};
DWORD g_busyBeforePaste = 0;  // --busy-paste: the thread is busy this long before it handles Ctrl+V

void Log(const char* line) {
    DWORD written = 0;
    WriteFile(g_log, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    FlushFileBuffers(g_log);
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const int which = window == g_edits[0] ? 1 : 2;
    char line[96];
    switch (message) {
        case WM_CHAR:
            std::snprintf(line, sizeof line, "edit%d char %04X\n", which, static_cast<unsigned>(wparam));
            Log(line);
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            std::snprintf(line, sizeof line, "edit%d down %02X\n", which, static_cast<unsigned>(wparam));
            Log(line);
            if (wparam == 'V' && (GetKeyState(VK_CONTROL) & 0x8000) != 0) Sleep(g_busyBeforePaste);
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            std::snprintf(line, sizeof line, "edit%d up %02X\n", which, static_cast<unsigned>(wparam));
            Log(line);
            break;
        case WM_SETFOCUS:
            std::snprintf(line, sizeof line, "edit%d focus\n", which);
            Log(line);
            NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, CHILDID_SELF);
            break;
        default:
            break;
    }
    const LRESULT result = CallWindowProcW(g_editProc, window, message, wparam, lparam);
    if (message == WM_LBUTTONDOWN && GetCapture() == window)
        NotifyWinEvent(EVENT_SYSTEM_CAPTURESTART, window, OBJID_WINDOW, CHILDID_SELF);
    if (message == WM_CHAR && (GetWindowLongW(window, GWL_STYLE) & ES_MULTILINE)) {
        std::snprintf(line, sizeof line, "edit%d lines %d\n", which,
                      static_cast<int>(SendMessageW(window, EM_GETLINECOUNT, 0, 0)));
        Log(line);
    }
    return result;
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    if (message == WM_ENTERMENULOOP) {
        Log("menu\n");
        // Leave the loop again, so that later keys reach the edits.
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    if (message == WM_ACTIVATE && LOWORD(wparam) != WA_INACTIVE && GetFocus() == nullptr) SetFocus(g_edits[0]);
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    g_log = CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_log == INVALID_HANDLE_VALUE) return 3;

    const wchar_t* className = L"VelloryTypingTarget";
    int left = 0, top = 40;
    for (int i = 2; i < argc; ++i) {
        if (wcscmp(argv[i], L"--class") == 0 && i + 1 < argc) className = argv[++i];
        if (wcscmp(argv[i], L"--busy-paste") == 0 && i + 1 < argc) g_busyBeforePaste = _wtoi(argv[++i]);
        if (wcscmp(argv[i], L"--at") == 0 && i + 2 < argc) {
            left = _wtoi(argv[++i]);
            top = _wtoi(argv[++i]);
        }
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    RegisterClassW(&wc);
    // Fixed place on the screen so the driver can click the edits: edit 1 at screen
    // (x 20..380, y 60..90) and edit 2 at (x 20..380, y 110..140), give or take the frame;
    // the menu bar lies above them.
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_STRING, 1, L"&File");
    const int menuHeight = GetSystemMetrics(SM_CYMENU);
    HWND main = CreateWindowExW(0, wc.lpszClassName, L"Typing target", WS_POPUP | WS_VISIBLE | WS_BORDER, left,
                                top - menuHeight, 400, 150 + menuHeight, nullptr, bar, instance, nullptr);
    for (int i = 0; i < 2; ++i) {
        // Edit 2 takes several lines, and logs their count after each character.
        const DWORD lines = i == 1 ? ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL : 0;
        g_edits[i] = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | lines, 20,
                                     20 + i * 50, 360, 30, main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)),
                                     instance, nullptr);
        g_editProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(g_edits[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
    }
    if (argc >= 4 && wcscmp(argv[2], L"--raise-focus") == 0) {
        // Raise a focus event for edit 2 with the given object id (e.g. a list item's).
        NotifyWinEvent(EVENT_OBJECT_FOCUS, g_edits[1], _wtoi(argv[3]), 1);
    }
    char line[64];
    std::snprintf(line, sizeof line, "ready %llu %llu\n",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(g_edits[0])),
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(g_edits[1])));
    Log(line);
    LocalFree(argv);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CloseHandle(g_log);
    return 0;
}

// Reaches into a running program's windows for the end-to-end driver, for what a person does
// through the shell: the tray icon's callbacks (Wine's tray cannot be clicked on a bare X
// display), and where a dialog's controls are on the screen.
//   wsend post  <caption> <message> <wparam> <lparam>   post a message to the top-level window
//   wsend send  <caption> <message> <wparam> <lparam>   send it and print the result
//   wsend rect  <caption> <control id | 0>              print the screen rectangle
//   wsend state <caption>                               print handle, visible, minimised, foreground
//   wsend text  <caption> <control id>                  print a control's text as UTF-16 hex units
//   wsend hwnd  <handle>                                print whether it is a window
//   wsend menu  -                                       print 1 while a popup menu is shown
//   wsend menurect -                                    print the shown popup menu's screen rectangle
//   wsend trayicon <caption> [delete]                   print whether the window's icon 0 is in the
//                                                       tray; with "delete" remove it, as a dying
//                                                       taskbar loses it
//   wsend taskbar <caption>                             post "TaskbarCreated", as Explorer does
//   wsend count <caption>                               print how many visible top-level windows bear it
//   wsend memory <caption>                              print the working set of the window's process (KB)
//   wsend place <caption> <x> <y> <w> <h>               move and size the top-level window
//   wsend childtext <caption> <class> [n]               print the text of its first (or n+1st) child of
//                                                       that class, as UTF-16 hex units (WM_GETTEXT)
//   wsend waitlen <caption> <class> <length> <ms>       wait until that child's text is that long; print
//                                                       its length and the Unix time in ms
//   wsend clipboard - <text>                            put the text on the clipboard
//   wsend holdclipboard - <ms>                          keep the clipboard open that long, as a busy
//                                                       program does; prints "open" once it holds it
//   wsend clipwatch <log> <ms>                          for that long, read the clipboard's text at every
//                                                       change, as a clipboard history tool does; log it
//   wsend slowowner <ms> <text> <life ms>               offer the text on the clipboard and render it only
//                                                       that long after a request, as a remote session does
//   wsend vector -                                      put a vector picture (an enhanced metafile) there
//   wsend vector? -                                     print the size of the clipboard's vector picture
//   wsend metrics -                                     print the small and large icon sizes a DPI-aware
//                                                       program is given
//   wsend quit <flags>                                  broadcast Vellory's quit request, as an installer does
//   wsend winevents <first> <last> <ms>                 count the events of that range an out-of-context
//                                                       WinEvent hook is woken for, as Vellory's would be,
//                                                       for that long; prints "ready", then the count
// A caption "class:<name>" names the top-level window by its class instead.
// Exit code 2 when no such window exists.
#include <windows.h>
#include <shellapi.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

HWND FindTop(const wchar_t* caption) {
    if (wcsncmp(caption, L"class:", 6) == 0) return FindWindowW(caption + 6, nullptr);
    HWND found = FindWindowW(L"#32770", caption);
    return found ? found : FindWindowW(nullptr, caption);
}

long long Number(const wchar_t* text) { return wcstoll(text, nullptr, 0); }

// Answers messages for that long.
void Serve(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - GetTickCount(), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
}

HANDLE g_watchLog = INVALID_HANDLE_VALUE;

// Reads every new content at once, ignoring the formats that ask history tools not to.
LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_CLIPBOARDUPDATE) return DefWindowProcW(window, message, wparam, lparam);
    char line[512] = "read";
    if (OpenClipboard(window)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(data));
            for (int i = 0; text && text[i] && i < 100; ++i) std::snprintf(line + strlen(line), 8, " %04X", text[i]);
            GlobalUnlock(data);
        } else {
            strcat(line, " nothing");
        }
        CloseClipboard();
    }
    strcat(line, "\n");
    DWORD written = 0;
    WriteFile(g_watchLog, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    return 0;
}

DWORD g_slowMs = 0;
const wchar_t* g_slowText = L"";

LRESULT CALLBACK SlowOwnerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_RENDERFORMAT || wparam != CF_UNICODETEXT) return DefWindowProcW(window, message, wparam, lparam);
    Sleep(g_slowMs);
    const size_t bytes = (wcslen(g_slowText) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(block), g_slowText, bytes);
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    return 0;
}

struct CaptionCount {
    const wchar_t* caption;
    int count;
};

BOOL CALLBACK CountCaption(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<CaptionCount*>(param);
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    if (IsWindowVisible(window) && wcscmp(text, search->caption) == 0) ++search->count;
    return TRUE;
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindVisibleControl(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ControlSearch*>(param);
    if (GetDlgCtrlID(child) == search->id && IsWindowVisible(child)) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

// A control of the dialog or of one of its pages; where two pages share an id, the visible one.
HWND FindControl(HWND dialog, int id) {
    ControlSearch search{id, nullptr};
    EnumChildWindows(dialog, FindVisibleControl, reinterpret_cast<LPARAM>(&search));
    return search.found ? search.found : GetDlgItem(dialog, id);
}

struct ClassSearch {
    const wchar_t* className;
    HWND found;
    long long skip = 0;  // children of the class to pass over first
};

BOOL CALLBACK FindChildOfClass(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (wcscmp(name, search->className) != 0 || search->skip-- > 0) return TRUE;
    search->found = child;
    return FALSE;
}

int g_events = 0;
bool g_list = false;
void CALLBACK CountEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD, DWORD) {
    ++g_events;
    if (g_list) std::printf("event %lX %p %ld\n", static_cast<unsigned long>(event), static_cast<void*>(window), object);
}

void PrintUnits(const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) std::printf("%04X ", static_cast<unsigned>(*p));
    std::printf("\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && wcscmp(argv[1], L"bits") == 0) {  // which loader ran us, and at what width
        wchar_t loader[260] = L"-";
        GetEnvironmentVariableW(L"WINELOADER", loader, 260);
        std::printf("%u %ls\n", static_cast<unsigned>(sizeof(void*) * 8), loader);
        return 0;
    }
    if (argc < 3) return 3;
    const wchar_t* command = argv[1];
    if (wcscmp(command, L"hwnd") == 0) {
        std::printf("%d\n", IsWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(Number(argv[2])))) ? 1 : 0);
        return 0;
    }
    if (wcscmp(command, L"menurect") == 0) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        RECT r{};
        if (!menu || !IsWindowVisible(menu) || !GetWindowRect(menu, &r)) return 2;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (wcscmp(command, L"menu") == 0) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        std::printf("%d\n", menu && IsWindowVisible(menu) ? 1 : 0);
        return 0;
    }
    if (wcscmp(command, L"count") == 0) {
        CaptionCount search{argv[2], 0};
        EnumWindows(CountCaption, reinterpret_cast<LPARAM>(&search));
        std::printf("%d\n", search.count);
        return 0;
    }
    if (wcscmp(command, L"metrics") == 0) {
        SetProcessDPIAware();
        std::printf("%d %d\n", GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CXICON));
        return 0;
    }
    if (wcscmp(command, L"quit") == 0) {
        const UINT message = RegisterWindowMessageW(L"Brannock.Vellory.Quit");
        return PostMessageW(HWND_BROADCAST, message, static_cast<WPARAM>(Number(argv[2])), 0) ? 0 : 1;
    }
    if (wcscmp(command, L"winevents") == 0 && argc >= 5) {
        HWINEVENTHOOK hook = SetWinEventHook(static_cast<DWORD>(Number(argv[2])), static_cast<DWORD>(Number(argv[3])),
                                             nullptr, CountEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
        if (!hook) return 1;
        g_list = argc >= 6;
        std::printf("ready\n");
        std::fflush(stdout);
        const DWORD end = GetTickCount() + static_cast<DWORD>(Number(argv[4]));
        MSG msg;
        while (static_cast<LONG>(end - GetTickCount()) > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, end - GetTickCount(), QS_ALLINPUT);
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        UnhookWinEvent(hook);
        std::printf("%d\n", g_events);
        return 0;
    }
    if (wcscmp(command, L"holdclipboard") == 0 && argc >= 4) {
        // Opened for a window: Wine lets two openers without one share the clipboard.
        HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (!owner || !OpenClipboard(owner)) return 1;
        std::printf("open\n");
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(Number(argv[3])));
        CloseClipboard();
        return 0;
    }
    if (wcscmp(command, L"clipboard") == 0 && argc >= 4) {
        const size_t bytes = (wcslen(argv[3]) + 1) * sizeof(wchar_t);
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (!block || !OpenClipboard(nullptr)) return 1;
        memcpy(GlobalLock(block), argv[3], bytes);
        GlobalUnlock(block);
        EmptyClipboard();
        const bool set = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        CloseClipboard();
        return set ? 0 : 1;
    }
    if (wcscmp(command, L"clipboard?") == 0) {  // the text as hex units, then the names of its formats
        if (!OpenClipboard(nullptr)) return 1;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
            for (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(data)); *p; ++p) std::printf("%04X ", *p);
        std::printf("|");
        for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
            wchar_t name[128];
            if (GetClipboardFormatNameW(format, name, 128) > 0) std::printf(" %ls", name);
            else std::printf(" %u", format);
        }
        CloseClipboard();
        std::printf("\n");
        return 0;
    }
    if (wcscmp(command, L"clipwatch") == 0 && argc >= 4) {
        g_watchLog = CreateFileW(argv[2], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
        HWND watcher = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(watcher, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchProc));
        if (g_watchLog == INVALID_HANDLE_VALUE || !AddClipboardFormatListener(watcher)) return 1;
        Serve(static_cast<DWORD>(Number(argv[3])));
        return 0;
    }
    if (wcscmp(command, L"slowowner") == 0 && argc >= 5) {
        g_slowMs = static_cast<DWORD>(Number(argv[2]));
        g_slowText = argv[3];
        HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SlowOwnerProc));
        if (!OpenClipboard(owner)) return 1;
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, nullptr);
        CloseClipboard();
        std::printf("offered\n");
        std::fflush(stdout);
        Serve(static_cast<DWORD>(Number(argv[4])));
        return 0;
    }
    if (wcscmp(command, L"vector") == 0) {
        HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
        Rectangle(dc, 0, 0, 40, 30);
        HENHMETAFILE picture = CloseEnhMetaFile(dc);
        if (!picture || !OpenClipboard(nullptr)) return 1;
        EmptyClipboard();
        const bool set = SetClipboardData(CF_ENHMETAFILE, picture) != nullptr;
        CloseClipboard();
        return set ? 0 : 1;
    }
    if (wcscmp(command, L"vector?") == 0) {
        if (!OpenClipboard(nullptr)) return 1;
        HANDLE data = GetClipboardData(CF_ENHMETAFILE);
        ENHMETAHEADER header{};
        const bool read = data && GetEnhMetaFileHeader(static_cast<HENHMETAFILE>(data), sizeof header, &header);
        if (read) std::printf("%ld %ld\n", header.rclBounds.right, header.rclBounds.bottom);
        CloseClipboard();
        return read ? 0 : 2;
    }
    if (wcscmp(command, L"picture") == 0) {  // a 2x2 picture as the clipboard's only content
        const BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 2, 2, 1, 32, BI_RGB, 16, 0, 0, 0, 0};
        const DWORD pixels[4] = {0x112233, 0x445566, 0x778899, static_cast<DWORD>(Number(argv[2]))};
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof header + sizeof pixels);
        if (!block || !OpenClipboard(nullptr)) return 1;
        char* to = static_cast<char*>(GlobalLock(block));
        memcpy(to, &header, sizeof header);
        memcpy(to + sizeof header, pixels, sizeof pixels);
        GlobalUnlock(block);
        EmptyClipboard();
        const bool set = SetClipboardData(CF_DIB, block) != nullptr;
        CloseClipboard();
        return set ? 0 : 1;
    }
    if (wcscmp(command, L"picture?") == 0) {  // the last pixel of the clipboard's picture
        if (!OpenClipboard(nullptr)) return 1;
        HANDLE data = GetClipboardData(CF_DIB);
        const SIZE_T size = data ? GlobalSize(data) : 0;
        if (size >= sizeof(BITMAPINFOHEADER) + 16)
            std::printf("%lu\n", reinterpret_cast<const DWORD*>(static_cast<const char*>(GlobalLock(data)) + sizeof(BITMAPINFOHEADER))[3]);
        CloseClipboard();
        return size ? 0 : 2;
    }
    HWND window = FindTop(argv[2]);
    if (!window) return 2;
    if ((wcscmp(command, L"post") == 0 || wcscmp(command, L"send") == 0) && argc >= 6) {
        const UINT message = static_cast<UINT>(Number(argv[3]));
        const WPARAM wparam = static_cast<WPARAM>(Number(argv[4]));
        const LPARAM lparam = static_cast<LPARAM>(Number(argv[5]));
        if (command[0] == L'p') return PostMessageW(window, message, wparam, lparam) ? 0 : 1;
        std::printf("%lld\n", static_cast<long long>(SendMessageW(window, message, wparam, lparam)));
        return 0;
    }
    if (wcscmp(command, L"trayicon") == 0) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = window;
        data.uID = 0;
        const bool remove = argc >= 4 && wcscmp(argv[3], L"delete") == 0;
        // Modifying nothing succeeds exactly when the icon exists.
        std::printf("%d\n", Shell_NotifyIconW(remove ? NIM_DELETE : NIM_MODIFY, &data) ? 1 : 0);
        return 0;
    }
    if (wcscmp(command, L"memory") == 0) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        const BOOL ok = process && K32GetProcessMemoryInfo(process, &counters, sizeof counters);
        if (process) CloseHandle(process);
        if (!ok) return 1;
        std::printf("%lu\n", static_cast<unsigned long>(counters.WorkingSetSize / 1024));
        return 0;
    }
    if (wcscmp(command, L"taskbar") == 0) {
        return PostMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0) ? 0 : 1;
    }
    if (wcscmp(command, L"rect") == 0 && argc >= 4) {
        const int id = static_cast<int>(Number(argv[3]));
        HWND target = id ? FindControl(window, id) : window;
        RECT r{};
        if (!target || !GetWindowRect(target, &r)) return 2;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (wcscmp(command, L"state") == 0) {
        std::printf("%llu %d %d %d\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)),
                    IsWindowVisible(window) ? 1 : 0, IsIconic(window) ? 1 : 0,
                    GetForegroundWindow() == window ? 1 : 0);
        return 0;
    }
    if (wcscmp(command, L"text") == 0 && argc >= 4) {
        HWND target = FindControl(window, static_cast<int>(Number(argv[3])));
        wchar_t text[512] = {};
        if (target) GetWindowTextW(target, text, 512);
        PrintUnits(text);
        return 0;
    }
    if (wcscmp(command, L"childtext") == 0 && argc >= 4) {
        ClassSearch search{argv[3], nullptr, argc >= 5 ? Number(argv[4]) : 0};
        EnumChildWindows(window, FindChildOfClass, reinterpret_cast<LPARAM>(&search));
        if (!search.found) return 2;
        static wchar_t text[16384];
        SendMessageW(search.found, WM_GETTEXT, 16384, reinterpret_cast<LPARAM>(text));
        PrintUnits(text);
        return 0;
    }
    if (wcscmp(command, L"waitlen") == 0 && argc >= 6) {  // for the paste benchmark
        ClassSearch search{argv[3], nullptr};
        EnumChildWindows(window, FindChildOfClass, reinterpret_cast<LPARAM>(&search));
        if (!search.found) return 2;
        const LRESULT wanted = static_cast<LRESULT>(Number(argv[4]));
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(Number(argv[5]));
        LRESULT length = 0;
        while ((length = SendMessageW(search.found, WM_GETTEXTLENGTH, 0, 0)) < wanted && GetTickCount64() < end) Sleep(2);
        FILETIME now;
        GetSystemTimePreciseAsFileTime(&now);
        const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
        std::printf("%lld %.1f\n", static_cast<long long>(length), (ticks - 116444736000000000ULL) / 10000.0);
        return length >= wanted ? 0 : 3;
    }
    if (wcscmp(command, L"place") == 0 && argc >= 7) {
        return SetWindowPos(window, nullptr, static_cast<int>(Number(argv[3])), static_cast<int>(Number(argv[4])),
                            static_cast<int>(Number(argv[5])), static_cast<int>(Number(argv[6])),
                            SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    }
    return 3;
}

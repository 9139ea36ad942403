#include "shell/win32/instance.h"

#include <cwchar>

#include "toolkit/win32/process.h"
#include "toolkit/win32/text.h"

namespace {

struct Search {
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK FindProc(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (IsOtherInstanceWindow(window, search->caption)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool InstanceGuard::Acquire(const wchar_t* name) {
    mutex_.Reset(::CreateMutexW(nullptr, FALSE, name));
    // A copy run as administrator owns a mutex that ordinary processes may not open: it runs.
    // Any other failure leaves no guard possible: the stored handle alone decides.
    if (!mutex_) return ::GetLastError() != ERROR_ACCESS_DENIED;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        mutex_.Reset();
        return false;
    }
    return true;
}

bool IsOtherInstanceWindow(HWND window, const wchar_t* caption) {
    if (window == nullptr || !::IsWindow(window)) return false;
    wchar_t className[16] = {};
    if (::GetClassNameW(window, className, 16) == 0 || std::wcscmp(className, L"#32770") != 0) return false;
    wchar_t text[64] = {};
    ::GetWindowTextW(window, text, 64);
    if (std::wcscmp(text, caption) != 0) return false;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == 0 || pid == ::GetCurrentProcessId()) return false;
    wchar_t path[MAX_PATH];
    const wchar_t* theirs = ProcessFileName(pid, path, MAX_PATH);
    return theirs != nullptr &&
           ::CompareStringOrdinal(theirs, -1, FileNamePart(W(ProgramPath())), -1, TRUE) == CSTR_EQUAL;
}

HWND FindOtherInstanceWindow(const wchar_t* caption) {
    Search search{caption, nullptr};
    ::EnumWindows(FindProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

#include "engine/win32/foreground_watch.h"

#include "toolkit/win32/handles.h"

namespace {

struct Watch {
    HWINEVENTHOOK hook = nullptr;
    ElevatedFrontChanged changed = nullptr;
    void* context = nullptr;
    bool elevated = false;
};
Watch g_watch;

IntegrityReading Denied(DWORD error) {
    return error == ERROR_ACCESS_DENIED ? IntegrityReading::Denied : IntegrityReading::None;
}

DWORD OwnLevel() {
    DWORD level = 0;
    return ReadIntegrity(::GetCurrentProcess(), level) == IntegrityReading::Known ? level : kIntegrityMedium;
}

void Look(HWND window) {
    const bool elevated = WindowRunsAbove(window);
    if (elevated == g_watch.elevated) return;
    g_watch.elevated = elevated;
    if (g_watch.changed != nullptr) g_watch.changed(g_watch.context, elevated);
}

void CALLBACK ForegroundEventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD) {
    if (event == EVENT_SYSTEM_FOREGROUND) Look(window);
}

}  // namespace

bool WindowRunsAbove(HWND window) {
    static const DWORD ownLevel = OwnLevel();
    DWORD pid = 0;
    if (window == nullptr || ::GetWindowThreadProcessId(window, &pid) == 0 || pid == 0) return false;
    if (pid == ::GetCurrentProcessId()) return false;
    DWORD level = 0;
    IntegrityReading reading = IntegrityReading::None;
    const UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (process)
        reading = ReadIntegrity(process.Get(), level);
    else
        reading = Denied(::GetLastError());
    return RunsAbove(reading, level, ownLevel);
}

IntegrityReading ReadIntegrity(HANDLE process, DWORD& level) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &token)) return Denied(::GetLastError());
    const UniqueKernelHandle owned(token);
    // A label SID holds one sub-authority, the level: room for it with plenty to spare.
    alignas(TOKEN_MANDATORY_LABEL) BYTE buffer[64];
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &size))
        return Denied(::GetLastError());
    const PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
    const UCHAR count = *::GetSidSubAuthorityCount(sid);
    if (count == 0) return IntegrityReading::None;
    level = *::GetSidSubAuthority(sid, count - 1);
    return IntegrityReading::Known;
}

bool StartForegroundWatch(ElevatedFrontChanged changed, void* context) {
    if (g_watch.hook != nullptr) return false;
    g_watch.changed = changed;
    g_watch.context = context;
    g_watch.elevated = false;
    // Our own windows count too: one of them in front ends an elevated window's turn.
    g_watch.hook = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, ForegroundEventProc, 0,
                                     0, WINEVENT_OUTOFCONTEXT);
    if (g_watch.hook == nullptr) return false;
    Look(::GetForegroundWindow());
    return true;
}

void StopForegroundWatch() {
    if (g_watch.hook != nullptr) ::UnhookWinEvent(g_watch.hook);
    g_watch = Watch{};
}

bool ElevatedWindowInFront() { return g_watch.elevated; }

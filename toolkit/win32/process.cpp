#include "toolkit/win32/process.h"

#include <cwchar>

#include "toolkit/win32/handles.h"

namespace {

UniqueKernelHandle OpenForQuery(DWORD processId) {
    return UniqueKernelHandle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
}

}  // namespace

const wchar_t* FileNamePart(const wchar_t* path) {
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

const wchar_t* ProcessFileName(DWORD processId, wchar_t* buffer, DWORD capacity) {
    const UniqueKernelHandle process = OpenForQuery(processId);
    if (!process || capacity == 0) return nullptr;
    DWORD size = capacity;
    if (!::QueryFullProcessImageNameW(process.Get(), 0, buffer, &size)) return nullptr;
    return FileNamePart(buffer);
}

bool ProcessStartTime(DWORD processId, std::uint64_t& time) {
    const UniqueKernelHandle process = OpenForQuery(processId);
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!process || !::GetProcessTimes(process.Get(), &created, &exited, &kernel, &user)) return false;
    time = (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return true;
}

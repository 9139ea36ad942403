#pragma once
// What another process is: the program it runs and when it started. Neither allocates, so the
// keyboard hook may ask.
#include <windows.h>

#include <cstdint>

// Writes the full path of the process's program into the buffer and returns its file name
// part there; null when the process cannot be asked or the path does not fit.
const wchar_t* ProcessFileName(DWORD processId, wchar_t* buffer, DWORD capacity);
// The process's creation time (FILETIME units); with the id it names one process for good,
// since an id is reused only after its process has ended.
bool ProcessStartTime(DWORD processId, std::uint64_t& time);
// The file name part of a path.
const wchar_t* FileNamePart(const wchar_t* path);

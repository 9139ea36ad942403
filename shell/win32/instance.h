#pragma once
// Single-instance guard of the program for the logged-on session.
#include <windows.h>

#include "toolkit/win32/handles.h"

// Holds the session-wide named mutex while this instance runs. Two copies started at the
// same moment cannot both own it, so at most one gets past start-up.
class InstanceGuard {
public:
    // True when this process is the only instance (it then keeps the mutex).
    bool Acquire(const wchar_t* name);

private:
    UniqueKernelHandle mutex_;
};

// Whether the window is a main window of this program run by another process: a dialog
// with the application's caption whose process runs a file of the same name as ours.
// A stale stored handle may name any unrelated window after a crash.
bool IsOtherInstanceWindow(HWND window, const wchar_t* caption);
// The main window of another running instance, found by enumeration; none if there is none.
HWND FindOtherInstanceWindow(const wchar_t* caption);

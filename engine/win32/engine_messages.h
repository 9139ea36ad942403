#pragma once
// The private messages of the engine's window, in one list so that none is given twice.
#include <windows.h>

enum : UINT {
    // Posted by the hook: type the pending texts now.
    kTypePendingMessage = WM_APP + 1,
    // Posted by the clipboard reader (engine/win32/fill_ins.h) with what it read.
    kClipboardTextMessage = WM_APP + 2,
};

#pragma once
// The private messages of the engine's window, in one list so that none is given twice.
#include <windows.h>

enum : UINT {
    // Posted by the hook: type the pending texts now.
    kTypePendingMessage = WM_APP + 1,
    // Posted by the clipboard reader (engine/win32/fill_ins.h) with what it read.
    kClipboardTextMessage = WM_APP + 2,
    // Posted by the clipboard's thread (engine/win32/clipboard_swap.h): wparam 1 when the text
    // is on the clipboard and the paste keys may go, 0 when it could not be had.
    kClipboardPlacedMessage = WM_APP + 3,
    // Posted by the hook: wparam 1 starts the cheat sheet's delay, 0 hides the sheet.
    kSheetMessage = WM_APP + 4,
    // Posted by the focus hook: wparam is a focused window not recorded yet, to judge again.
    kFocusLaterMessage = WM_APP + 5,
    // Posted by the clipboard's thread: the target has read the text of the latest paste.
    kClipboardReadMessage = WM_APP + 6,
};

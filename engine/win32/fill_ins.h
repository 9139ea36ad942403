#pragma once
// What the placeholders of a text are filled in with on Windows: the user's date and time
// formats, and the clipboard's text, read on a thread of its own.
#include <windows.h>

#include <memory>

#include "engine/placeholders.h"
#include "engine/win32/engine_messages.h"

class WindowsPlaceholderSource final : public PlaceholderSource {
public:
    bool formatDate(std::u16string_view picture, std::u16string& out) override;
    bool formatTime(std::u16string_view picture, std::u16string& out) override;
};

// Reading the clipboard may wait for the program that owns it, so a short-lived thread reads
// it and posts kClipboardTextMessage to the window: wparam 1 when another program held the
// clipboard open, lparam the text (or null), allocated on the process heap for the receiver.
bool StartClipboardReader(HWND window);

struct HeapTextDeleter {
    void operator()(wchar_t* text) const { ::HeapFree(::GetProcessHeap(), 0, text); }
};
using HeapText = std::unique_ptr<wchar_t, HeapTextDeleter>;

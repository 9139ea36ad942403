#pragma once
// "Экспорт…" and "Импорт…" of the hotkey page: the chords written to and read from a CSV file
// the user picks in the system's file dialogs.
#include <windows.h>

#include <string_view>

#include "engine/hotkey.h"

// Writes every chord's first item; says so when the file cannot be written.
void ExportChords(HWND owner, const HotkeyTable& table);

// Puts the bytes in the file's place only once all of them are written beside it: on failure
// the file that was there stays as it was, and nothing else is left behind.
bool WriteWholeFile(const wchar_t* path, std::string_view bytes);

// Reads a whole file before it changes anything, then merges it into the live table as edits on
// the page do, asking first when chords that exist would get another text. True when the table
// changed.
bool ImportChords(HWND owner, HotkeyTable& table);

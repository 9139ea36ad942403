#pragma once
// "Экспорт…" and "Импорт…" of the hotkey page: the chords written to and read from a CSV file
// the user picks in the system's file dialogs.
#include <windows.h>

#include "engine/hotkey.h"

// Writes every chord's first item; says so when the file cannot be written.
void ExportChords(HWND owner, const HotkeyTable& table);

// Reads a whole file before it changes anything, then merges it into the live table as edits on
// the page do, asking first when chords that exist would get another text. True when the table
// changed.
bool ImportChords(HWND owner, HotkeyTable& table);

#pragma once
// Keeps a window's position, size, show state and topmost state in a store section
// ("plmnt" and "topmost") and puts them back.
#include <windows.h>

#include "store/settings_store.h"

// Returns the result of the "plmnt" write.
bool SaveWindowPlacement(HWND window, SettingsStore& store, const WideString& section);
// Returns whether a stored placement was applied; without one the window is just shown.
// With keepCurrentSize only the stored position is used, with the window's current size.
bool RestoreWindowPlacement(HWND window, SettingsStore& store, const WideString& section, bool keepCurrentSize);
// Brings a minimised window back and re-shows a maximised one; a normal one is left alone.
bool ShowRestored(HWND window);

#pragma once
// Follows the window in front, out of context like the focus hook and never on the keyboard
// hook's path, and tells when it belongs to a process above Vellory's integrity level: there
// the hook sees no keys, so chords do not work and the watchdog must not count the silence.
#include <windows.h>

#include "engine/elevation.h"

// Called on the program's thread when an elevated window comes to the front or leaves it.
using ElevatedFrontChanged = void (*)(void* context, bool elevated);

// Installs the foreground event hook and looks at the window in front now; false when the
// hook cannot be had (nothing is then reported).
bool StartForegroundWatch(ElevatedFrontChanged changed, void* context);
void StopForegroundWatch();
// Whether the window in front runs above Vellory, as last seen.
bool ElevatedWindowInFront();

// The integrity level of a process, or what kept it from being read.
IntegrityReading ReadIntegrity(HANDLE process, DWORD& level);
// Whether the window's process runs above Vellory's level; false for none and for our own.
bool WindowRunsAbove(HWND window);

#pragma once
// The notification-area icon of the main window.
#include <windows.h>

// Adds icon `id` with the tip "<app>\n<version> ver."; false only when there is no window.
// Adding an icon that is already there is refused by the shell and leaves it as it is.
bool AddTrayIcon(HWND window, UINT callbackMessage, int iconResource, UINT id);
// Dispatches what is already queued for the thread, so no callback queued for the icon
// arrives after it is gone, then removes the icon.
void RemoveTrayIcon(HWND window, UINT id);
// The tip text, built in a buffer of 64 units as the tray shows it.
void TrayTipText(wchar_t (&tip)[64]);

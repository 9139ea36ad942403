#pragma once
// The notification-area icon of the main window, and the one object that owns it.
#include <windows.h>

// The icon's id among the window's icons: the window has just the one.
inline constexpr UINT kTrayIconId = 0;

// Adds icon `id` with the tip "<app>\n<version> ver."; false only when there is no window.
// Adding an icon that is already there is refused by the shell and leaves it as it is.
bool AddTrayIcon(HWND window, UINT callbackMessage, int iconResource, UINT id, bool paused = false);
// Dispatches what is already queued for the thread, so no callback queued for the icon
// arrives after it is gone, then removes the icon.
void RemoveTrayIcon(HWND window, UINT id);
// The tip text, built in a buffer of 64 units as the tray shows it; a paused Vellory says so
// on a line of its own.
void TrayTipText(wchar_t (&tip)[64], bool paused = false);

// The main window's icon: whether it shows, its return when Explorer restarts, and its menu.
class TrayIcon {
public:
    // The owning window, the callback message it handles and the icon resource to show.
    void Attach(HWND window, UINT callbackMessage, int iconResource);
    void Add();
    void Remove();
    // Shows the paused or the active state: icon, tip and menu item; a shown icon changes in place.
    void SetPaused(bool paused, int iconResource);
    bool Shown() const { return shown_; }
    // True for the message Explorer broadcasts when it recreates the taskbar; a shown icon
    // is then added again, since the old taskbar took it along.
    bool OnTaskbarMessage(UINT message);
    // The menu "О программе...", "Настройки", "Приостановить" or "Возобновить", "Выход" at the
    // cursor: returns the command
    // chosen, 0 for none. A request while it shows (a second right-click is handled inside
    // the first one's loop) returns 0 and leaves that menu alone.
    int ShowMenu();

private:
    HWND window_ = nullptr;
    UINT callbackMessage_ = 0;
    int iconResource_ = 0;
    bool shown_ = false;
    bool paused_ = false;
    bool menuShown_ = false;
};

#pragma once
// The notification-area icon of the main window, and the one object that owns it.
#include <windows.h>

#include "shell/tray_retry.h"

// The icon's id among the window's icons: the window has just the one.
inline constexpr UINT kTrayIconId = 0;
// The owning window's timer that tries a refused icon again.
inline constexpr UINT_PTR kTrayRetryTimer = 0x7E1;

// Adds icon `id` with the tip "<app>\n<version> ver."; false when there is no window or the
// shell refused it. Adding an icon that is already there is refused and leaves it as it is.
bool AddTrayIcon(HWND window, UINT callbackMessage, int iconResource, UINT id, bool paused = false);
// Dispatches what is already queued for the thread, so no callback queued for the icon
// arrives after it is gone, then removes the icon.
void RemoveTrayIcon(HWND window, UINT id);
// The tip text, in the tip's full 128 units; a paused Vellory says so on a line of its own, and
// so does one that cannot type into the elevated window in front.
void TrayTipText(wchar_t (&tip)[128], bool paused = false, bool elevatedFront = false);
// What the main window and the tip say while an elevated window is in front.
inline constexpr wchar_t kElevatedFrontText[] = L"Окно администратора: здесь Vellory не печатает";

// The main window's icon: whether it shows, its return when Explorer restarts, and its menu.
class TrayIcon : private TrayShell {
public:
    // The owning window, the callback message it handles and the icon resource to show.
    void Attach(HWND window, UINT callbackMessage, int iconResource);
    // Shows the icon unless it is shown (or being tried) already. A refused add is tried again
    // at the owner's timer kTrayRetryTimer, which it hands to OnTimer.
    void Add();
    void Remove();
    // True when the retry gave up: with no icon, the owner must show its window.
    bool OnTimer(WPARAM timer);
    // Shows the paused or the active state: icon, tip and menu item; a shown icon changes in place.
    void SetPaused(bool paused, int iconResource);
    void SetElevatedFront(bool elevated);
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
    bool SendModify() override;
    bool SendAdd() override;
    void TryAdd();

    HWND window_ = nullptr;
    UINT callbackMessage_ = 0;
    int iconResource_ = 0;
    bool shown_ = false;
    bool paused_ = false;
    bool elevatedFront_ = false;
    bool menuShown_ = false;
    TrayRetry retry_;
};

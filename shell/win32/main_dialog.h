#pragma once
// The main window (dialog 101): hide to the tray, exit, settings; the tray icon's callbacks.
#include <windows.h>

#include "shell/win32/tray.h"
#include "toolkit/win32/dialog.h"

class HotkeyApplication;

// What another program broadcasts (HWND_BROADCAST) to make a running Vellory save everything
// and end without asking, as an installer or an uninstaller expects. The flag
// kQuitRequestErase in wParam also removes the settings and the Startup shortcut, so nothing
// is written back after an uninstaller removed them. Its name is kQuitRequestName.
inline constexpr WPARAM kQuitRequestErase = 1;
UINT QuitRequestMessage();

class MainDialog : public DialogEntity {
public:
    explicit MainDialog(HotkeyApplication& app) : app_(app) {}

    INT_PTR WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    INT_PTR OnCommand(WPARAM wparam, LPARAM lparam) override;
    INT_PTR OnInitDialog() override;
    void OnDestroy() override;

private:
    void OnWindowPosChanged();
    void OnTrayMessage(WPARAM id, LPARAM mouseMessage);
    // Returns false when the user declined; the window then stays as it is.
    bool ExitSequence();
    void OnQuitRequest(WPARAM flags, LPARAM round);
    // The one way out, for the exit question, the end of the session and the quit request:
    // open dialogs cancelled, the window destroyed (placement saved, tray icon removed), then
    // the application's Shutdown, and the erase when one was asked for.
    void Leave();
    // Cancels every dialog and message box of the thread but the main window, as their Cancel
    // does, and closes a shown menu; false when none was open.
    bool CancelOpenDialogs();
    void RunSettings();
    void RunAbout();
    // Pauses or resumes, and shows which in the tray and the window.
    void SetPaused(bool paused);
    static void OnElevatedFront(void* self, bool elevated);
    // The line under the icon: the pause, else an elevated window in front, else nothing.
    void ShowState();

    HotkeyApplication& app_;
    TrayIcon tray_;
    // What is showing, so that a second request (the main window is disabled under a modal
    // dialog but still gets the tray's commands) opens nothing new.
    bool exitAsked_ = false;
    bool leaving_ = false;
    bool erase_ = false;
    bool elevatedFront_ = false;
    const DialogEntity* settings_ = nullptr;
    const DialogEntity* about_ = nullptr;
};

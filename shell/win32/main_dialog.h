#pragma once
// The main window (dialog 101): hide to the tray, exit, settings; the tray icon's callbacks.
#include <windows.h>

#include "shell/win32/tray.h"
#include "toolkit/win32/dialog.h"

class HotkeyApplication;

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
    void RunSettings();
    void RunAbout();
    // Pauses or resumes, and shows which in the tray and the window.
    void SetPaused(bool paused);

    HotkeyApplication& app_;
    TrayIcon tray_;
    // What is showing, so that a second request (the main window is disabled under a modal
    // dialog but still gets the tray's commands) opens nothing new.
    bool exitAsked_ = false;
    const DialogEntity* settings_ = nullptr;
    const DialogEntity* about_ = nullptr;
};

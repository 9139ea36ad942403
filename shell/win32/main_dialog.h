#pragma once
// The main window (dialog 101): hide to the tray, exit, settings; the tray icon's callbacks.
#include <windows.h>

#include "toolkit/win32/dialog.h"

class HotkeyApplication;

class MainDialog : public DialogEntity {
public:
    explicit MainDialog(HotkeyApplication& app) : app_(app) {}

    INT_PTR WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    INT_PTR OnCommand(WPARAM wparam, LPARAM lparam) override;
    INT_PTR OnInitDialog() override;
    void OnDestroy() override;

    bool TrayIconShown() const { return trayIconShown_; }

private:
    void AddIcon();
    void RemoveIcon();
    void OnWindowPosChanged();
    void OnTrayMessage(WPARAM id, LPARAM mouseMessage);
    void ShowTrayMenu();
    // Returns false when the user declined; the window then stays as it is.
    bool ExitSequence();
    void RunSettings();
    void RunAbout();

    HotkeyApplication& app_;
    bool trayIconShown_ = false;
    // What is showing, so that a second request (the main window is disabled under a modal
    // dialog but still gets the tray's commands) opens nothing new.
    bool trayMenuShown_ = false;
    bool exitAsked_ = false;
    const DialogEntity* settings_ = nullptr;
    const DialogEntity* about_ = nullptr;
};

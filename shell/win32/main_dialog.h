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
    // Set while the tray menu shows; the main window still gets the tray's callbacks meanwhile.
    bool trayMenuShown_ = false;
};

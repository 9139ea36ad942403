#pragma once
// The settings dialog "Настройки" (resource 104): a resizable dialog with the tabs
// "Программа" (the hotkey page, 107) and "Общие" (the general page, 106). It binds the
// application's own option objects to the page controls: a click changes the option at once,
// Cancel puts back the values of the opening, OK keeps them. It writes nothing to storage.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "engine/hotkey.h"
#include "settings_ui/win32/anchor_layout.h"
#include "settings_ui/win32/hotkey_page.h"
#include "settings_ui/win32/program_list_setting.h"
#include "settings_ui/win32/threshold_setting.h"
#include "toolkit/win32/bindings.h"
#include "toolkit/win32/dialog.h"
#include "toolkit/win32/handles.h"

// The options and the table the dialog shows; all belong to the application object.
struct SettingsDialogOptions {
    BoundRadioSetting& hotKey2;
    BoundBoolSetting& ru;
    BoundBoolSetting& autostart;
    BoundIntSetting& startMinimize;
    BoundBoolSetting& minimizeToTray;
    BoundRadioSetting& typeMode;
    BoundProgramListSetting& excludePrograms;
    BoundProgramListSetting& keystrokePrograms;
    BoundProgramListSetting& clipboardPrograms;
    BoundThresholdSetting& pasteLongerThan;
    BoundThresholdSetting& sheetDelay;
    HotkeyTable& table;
};

class SettingsDialog : public DialogEntity {
public:
    explicit SettingsDialog(const SettingsDialogOptions& options);
    // Detaches any binding still listed, so no option keeps a handle of a closed window.
    ~SettingsDialog() override;

    // Lays the controls out anew on WM_SIZE, then the base dispatch.
    INT_PTR WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    // The bindings first (Cancel reverts them, OK keeps them), then the base ends the dialog.
    INT_PTR OnCommand(WPARAM wparam, LPARAM lparam) override;
    // Notifications go to the bindings; the tab control's switch the visible page.
    INT_PTR OnNotify(int controlId, NMHDR* header, LRESULT* result) override;
    INT_PTR OnInitDialog() override;
    void OnDestroy() override;

    // The next page, or with `back` the previous one, chosen as a click on its tab chooses it;
    // Ctrl+Tab and Ctrl+Shift+Tab. The focus leaves a page that goes out of sight for the tabs.
    void SwitchPage(bool back);

    HWND Tabs() const { return tabs_; }
    const DialogEntity& GeneralPage() const { return general_; }
    const HotkeyPage& Hotkeys() const { return hotkeys_; }
    const BindingList& Bindings() const { return bindings_; }
    // Null before the dialog initialised and after its window is gone.
    const AnchorLayout* Layout() const { return layout_.get(); }

private:
    // The page that tab index shows, or null for an index without a page.
    HWND PageOfTab(LRESULT index) const;
    void Bind(ControlBinding& binding, HWND page, int controlId);

    SettingsDialogOptions options_;
    HWND tabs_ = nullptr;
    SettingsPage general_;
    HotkeyPage hotkeys_;
    BindingList bindings_;
    std::unique_ptr<AnchorLayout> layout_;
    UniqueIcon smallIcon_;
    UniqueMessageHook pageKeys_;
};

#pragma once
// The one application object, in five layers from a bare application to this tray utility.
// It owns the store, the option objects, the profile, the hotkey table and the engine state.
#include <windows.h>

#include "engine/hotkey.h"
#include "resources/resource.h"
#include "engine/win32/engine_window.h"
#include "shell/win32/cheat_sheet.h"
#include "shell/win32/instance.h"
#include "settings_ui/win32/program_list_setting.h"
#include "settings_ui/win32/threshold_setting.h"
#include "shell/win32/main_dialog.h"
#include "store/setting_value.h"
#include "store/settings_store.h"
#include "store/win32/win_registry.h"
#include "toolkit/win32/bindings.h"
#include "toolkit/wide_string.h"

class Application {
public:
    Application();
    virtual ~Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    virtual bool Initialize();
    virtual void Shutdown();
    virtual void LoadSettings() {}
    virtual void SaveSettings() {}
    virtual void Exit(bool erase);
    virtual bool IsService() const { return false; }
    virtual bool Start() { return Initialize(); }
    virtual bool CreateMainWindow() { return false; }
    virtual bool ShowMainWindow() { return false; }
    virtual DialogEntity* MainWindow() { return nullptr; }
    virtual HWND MainWindowHandle() const { return nullptr; }
    virtual UINT TrayMessage() const { return 0; }
    virtual int TrayIconId() const { return 0; }

    SettingsStore& Store() { return store_; }
    const WideString& AppName() const { return appName_; }
    BoundBoolSetting& Autostart() { return autostart_; }
    BoolSetting& ConfirmExit() { return confirmExit_; }
    // Applies the Autostart option to the shortcut in the Startup folder.
    void ApplyAutostartOption();

protected:
    WideString appName_;
    WideString firmName_;
    HINSTANCE instance_ = nullptr;
    WinRegistry registry_;
    SettingsStore store_{registry_};
    SettingsList general_{&store_};
    BoundBoolSetting autostart_;
    BoolSetting confirmExit_;
    bool firstRun_ = false;
};

class WindowedApplication : public Application {
public:
    WindowedApplication();
    void Shutdown() override;
    bool Start() override;
    bool ShowMainWindow() override;
    BoundIntSetting& StartMinimize() { return startMinimize_; }
    BoolSetting& CloseMinimize() { return closeMinimize_; }

protected:
    // Refuses the start when another instance runs, bringing its window back.
    bool ApplySingleInstanceRule();

    bool singleInstance_ = true;
    BoundIntSetting startMinimize_;
    BoolSetting closeMinimize_;
    InstanceGuard instanceGuard_;
};

class TrayApplication : public WindowedApplication {
public:
    TrayApplication();
    bool Start() override;
    void Exit(bool erase) override;
    BoundBoolSetting& MinimizeToTray() { return minimizeToTray_; }
    BoolSetting& HideInTray() { return hideInTray_; }
    BoolSetting& KeepInTray() { return keepInTray_; }

protected:
    void RegisterTrayOptions();

    BoundBoolSetting minimizeToTray_;
    BoolSetting hideInTray_;
    BoolSetting keepInTray_;
};

class ProfileApplication : public TrayApplication {
public:
    ProfileApplication();
    bool Initialize() override;
    void LoadSettings() override;
    void SaveSettings() override;
    bool Start() override;

protected:
    void ChooseCurrentProfile();
    virtual HotkeyTable& Table() = 0;

    WideString profileName_;
    SettingsList profileList_{&store_};
};

// The message the tray icon's clicks arrive as at the main window.
inline constexpr UINT kTrayCallbackMessage = 40001;

class HotkeyApplication final : public ProfileApplication {
public:
    HotkeyApplication();
    ~HotkeyApplication() override;

    void Shutdown() override;
    void LoadSettings() override;
    void SaveSettings() override;
    bool Start() override;
    bool CreateMainWindow() override;
    DialogEntity* MainWindow() override { return &mainDialog_; }
    HWND MainWindowHandle() const override { return mainDialog_.Window(); }
    UINT TrayMessage() const override { return kTrayCallbackMessage; }
    int TrayIconId() const override { return paused_.Get() ? IDI_PAUSED_ICON : IDI_APPLICATION_ICON; }

    EngineState& Engine() { return engine_; }
    EngineContext EngineView() { return EngineContext{&engine_, &table_}; }
    HotkeyTable& Hotkeys() { return table_; }
    BoundRadioSetting& HotKey2() { return hotKey2_; }
    BoundBoolSetting& Ru() { return ru_; }
    BoundRadioSetting& TypeMode() { return typeMode_; }
    BoundProgramListSetting& ExcludePrograms() { return excludePrograms_; }
    BoundProgramListSetting& KeystrokePrograms() { return keystrokePrograms_; }
    BoundProgramListSetting& ClipboardPrograms() { return clipboardPrograms_; }
    BoundThresholdSetting& PasteLongerThan() { return pasteLongerThan_; }
    BoundThresholdSetting& SheetDelay() { return sheetDelay_; }
    HWND SheetWindow() const { return sheet_.Window(); }
    BoolSetting& Paused() { return paused_; }
    // Copies "HotKey2", "Ru", "TypeMode", the program lists, the long-text rule, the sheet's delay and the pause
    // into the working copies the keyboard hook reads.
    void RefreshEngineOptions();
    // While paused every key passes on untouched; the hooks stay, so the watchdog still works.
    void SetPaused(bool paused);

protected:
    HotkeyTable& Table() override { return table_; }

private:
    MainDialog mainDialog_;
    EngineState engine_;
    EngineWindow engineWindow_;
    BoundRadioSetting hotKey2_;
    BoundBoolSetting ru_;
    BoundRadioSetting typeMode_;
    BoundProgramListSetting excludePrograms_;
    BoundProgramListSetting keystrokePrograms_;
    BoundProgramListSetting clipboardPrograms_;
    BoundThresholdSetting pasteLongerThan_;
    IntSetting pasteRestoreDelay_;
    BoundThresholdSetting sheetDelay_;
    BoolSetting paused_;
    HotkeyTable table_;
    CheatSheet sheet_{EngineContext{&engine_, &table_}};
};

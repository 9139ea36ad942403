#include "shell/win32/application.h"

#include <commctrl.h>

#include "engine/win32/hooks.h"
#include "resources/resource.h"
#include "shell/win32/autostart.h"
#include "shell/win32/tray.h"
#include "store/catalogue.h"
#include "store/profile.h"
#include "store/win32/window_placement.h"
#include "toolkit/win32/handles.h"
#include "toolkit/win32/text.h"

namespace {

WideString Text(const char16_t* text) { return WideString(text); }

}  // namespace

// ---- Application ------------------------------------------------------------------------

Application::Application() : autostart_(kInitialAutostart), confirmExit_(kInitialConfirmExit) {}

bool Application::Initialize() {
    if (appName_.IsEmpty()) return false;
    instance_ = ::GetModuleHandleW(nullptr);
    WideString firm(firmName_);
    firm.Append(u'\\');
    WideString app(appName_);
    app.Append(u'\\');
    store_.SetToken(Text(kFirmToken), firm);
    store_.SetToken(Text(kApplicationToken), app);
    store_.SetBasePath(Text(kBasePath));
    firstRun_ = !store_.SectionExists(Text(kSectionMainWindow));
    if (firstRun_)
        ApplyAutostartOption();
    else
        autostart_.Set(ReadAutostart(appName_));
    general_.Register(&confirmExit_, Text(kKeyConfirmExit));
    return true;
}

void Application::ApplyAutostartOption() { ApplyAutostart(autostart_.Get(), appName_); }

void Application::Shutdown() {
    general_.Clear();
    ::PostQuitMessage(0);
}

void Application::Exit(bool erase) {
    if (erase) {
        store_.DeleteSection(Text(u""));
        autostart_.Set(false);
        ApplyAutostartOption();
    }
    ::PostQuitMessage(0);
}

// ---- WindowedApplication ----------------------------------------------------------------

WindowedApplication::WindowedApplication()
    : startMinimize_(kInitialStartMinimize), closeMinimize_(kInitialCloseMinimize) {}

bool WindowedApplication::Start() {
    if (!Initialize()) return false;
    return ApplySingleInstanceRule();
}

bool WindowedApplication::ApplySingleInstanceRule() {
    if (!singleInstance_) return true;
    const bool alone = instanceGuard_.Acquire(W(kInstanceMutexName));
    HWND other = nullptr;
    WideString stored;
    if (store_.ReadString(Text(kSectionMainWindow), Text(kKeyHandle), stored)) {
        const auto value = static_cast<std::uintptr_t>(static_cast<std::uint32_t>(stored.ToInt()));
        // After a crash the number may name any window: act only on one of ours.
        HWND candidate = reinterpret_cast<HWND>(value);
        if (value != 0 && IsOtherInstanceWindow(candidate, W(appName_))) other = candidate;
    }
    // The first run stores no handle; its window is found by looking.
    if (other == nullptr && !alone) other = FindOtherInstanceWindow(W(appName_));
    if (other != nullptr) {
        ShowRestored(other);
        ::SetForegroundWindow(other);
        return false;
    }
    return alone;
}

bool WindowedApplication::ShowMainWindow() {
    CreateMainWindow();
    HWND main = MainWindowHandle();
    if (main != nullptr) {
        if (startMinimize_.Get() == kStartMinimizeMinimized) {
            ::SetProcessWorkingSetSize(::GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
            if (::SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0) != 0) ::ShowWindow(main, SW_MINIMIZE);
            ::SendMessageW(main, WM_ACTIVATEAPP, 0, 0);
        } else if (startMinimize_.Get() == kStartMinimizeShown) {
            ShowRestored(main);
            ::SetForegroundWindow(main);
        }
        if (!firstRun_)
            store_.WriteInt(Text(kSectionMainWindow), Text(kKeyHandle),
                            static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(main)));
    }
    return main != nullptr;
}

void WindowedApplication::Shutdown() {
    if (HWND main = MainWindowHandle(); main != nullptr && ::IsWindow(main)) ::EndDialog(main, IDCANCEL);
    store_.WriteString(Text(kSectionMainWindow), Text(kKeyHandle), WideString::Null());
    // The guard stays until the process ends: an installer waits for it to go before it
    // replaces the program's file.
    Application::Shutdown();
}

// ---- TrayApplication --------------------------------------------------------------------

TrayApplication::TrayApplication()
    : minimizeToTray_(kInitialMinimizeToTray), hideInTray_(kInitialHideInTray), keepInTray_(kInitialKeepInTray) {}

void TrayApplication::RegisterTrayOptions() {
    general_.Register(&minimizeToTray_, Text(kKeyMinimizeToTray));
    general_.Register(&hideInTray_, Text(kKeyHideInTray));
    general_.Register(&keepInTray_, Text(kKeyKeepInTray));
    general_.Register(&startMinimize_, Text(kKeyStartMinimize));
    general_.Register(&closeMinimize_, Text(kKeyCloseMinimize));
}

bool TrayApplication::Start() {
    RegisterTrayOptions();
    // The tray icon is not shown at start-up: the window does not exist yet; minimising adds it.
    return WindowedApplication::Start();
}

void TrayApplication::Exit(bool erase) {
    if (HWND main = MainWindowHandle()) RemoveTrayIcon(main, kTrayIconId);
    WindowedApplication::Exit(erase);
}

// ---- ProfileApplication -----------------------------------------------------------------

ProfileApplication::ProfileApplication() : profileName_(kDefaultProfile) {}

void ProfileApplication::ChooseCurrentProfile() { profileName_ = ChooseProfile(store_); }

bool ProfileApplication::Start() { return TrayApplication::Start(); }

bool ProfileApplication::Initialize() {
    if (!TrayApplication::Initialize()) return false;
    // The profile name lives under the application's key, which the base path and the
    // "*firm*" and "*app*" tokens only name once the base initialisation has set them.
    ChooseCurrentProfile();
    return true;
}

void ProfileApplication::LoadSettings() {
    ::LoadSettings(store_, general_, profileList_, profileName_, Table());
}

void ProfileApplication::SaveSettings() {
    ::SaveSettings(store_, general_, profileList_, profileName_, Table());
}

// ---- HotkeyApplication ------------------------------------------------------------------

HotkeyApplication::HotkeyApplication()
    : mainDialog_(*this), hotKey2_(kInitialHotKey2), ru_(kInitialRu), typeMode_(kInitialTypeMode),
      pasteLongerThan_(kShownPasteLongerThan), pasteRestoreDelay_(kDefaultPasteRestoreDelay),
      sheetDelay_(kDefaultSheetDelay, kDefaultSheetDelay), paused_(kInitialPaused) {
    appName_ = WideString(kApplicationName);
    firmName_ = WideString(kFirmName);
    engine_.engineActive = true;
    hotKey2_.SetDefault(kDefaultHotKey2);
    engine_.modifierMode = hotKey2_.Get();
    ru_.SetDefault(kDefaultRu);
    engine_.russianLayoutOnly = ru_.Get();
    typeMode_.SetDefault(kDefaultTypeMode);
    engine_.typeMode = typeMode_.Get();
    paused_.SetDefault(kDefaultPaused);
    pasteLongerThan_.SetDefault(kDefaultPasteLongerThan);
    pasteRestoreDelay_.SetDefault(kDefaultPasteRestoreDelay);
    sheetDelay_.SetDefault(kDefaultSheetDelay);
}

HotkeyApplication::~HotkeyApplication() { RemoveHooks(engine_); }

// Each layer registers its options before it calls the layer beneath, so the general list
// holds them from the last layer to the first: the order in which they are loaded and saved.
bool HotkeyApplication::Start() {
    general_.Register(&hotKey2_, Text(kKeyHotKey2));
    general_.Register(&ru_, Text(kKeyRu));
    general_.Register(&typeMode_, Text(kKeyTypeMode));
    general_.Register(&paused_, Text(kKeyPaused));
    general_.Register(&excludePrograms_, Text(kKeyExcludePrograms));
    general_.Register(&keystrokePrograms_, Text(kKeyKeystrokePrograms));
    general_.Register(&clipboardPrograms_, Text(kKeyClipboardPrograms));
    general_.Register(&pasteLongerThan_, Text(kKeyPasteLongerThan));
    general_.Register(&pasteRestoreDelay_, Text(kKeyPasteRestoreDelay));
    general_.Register(&sheetDelay_, Text(kKeySheetDelay));
    if (!ProfileApplication::Start()) return false;
    LoadSettings();
    RefreshEngineOptions();
    ::InitCommonControls();
    engineWindow_.SetSheet(&sheet_);
    if (InstallHooks(EngineView(), instance_)) engineWindow_.Start(EngineView(), instance_);
    ShowMainWindow();
    return true;
}

void HotkeyApplication::RefreshEngineOptions() {
    engine_.modifierMode = hotKey2_.Get();
    engine_.russianLayoutOnly = ru_.Get();
    engine_.typeMode = typeMode_.Get();
    engine_.exclusions.Set(excludePrograms_.Get().View());
    engine_.keystrokePrograms.Set(keystrokePrograms_.Get().View());
    engine_.clipboardPrograms.Set(clipboardPrograms_.Get().View());
    engine_.pasteLongerThan = static_cast<std::uint32_t>(pasteLongerThan_.Get() > 0 ? pasteLongerThan_.Get() : 0);
    engine_.pasteRestoreDelay = static_cast<std::uint32_t>(pasteRestoreDelay_.Get() > 0 ? pasteRestoreDelay_.Get() : 0);
    engine_.sheetDelay = static_cast<std::uint32_t>(sheetDelay_.Get() > 0 ? sheetDelay_.Get() : 0);
    engine_.engineActive = !paused_.Get();
}

void HotkeyApplication::SetPaused(bool paused) {
    paused_.Set(paused);
    // A mask armed before the pause would fire at a later release, typed by nobody; a text
    // still being typed stops where it is.
    ResetChordState(engine_);
    if (paused) engineWindow_.StopTyping();
    engine_.engineActive = !paused;
}

void HotkeyApplication::LoadSettings() { ProfileApplication::LoadSettings(); }
void HotkeyApplication::SaveSettings() { ProfileApplication::SaveSettings(); }

bool HotkeyApplication::CreateMainWindow() {
    return mainDialog_.CreateModeless(IDD_MAIN, nullptr) != nullptr;
}

void HotkeyApplication::Shutdown() {
    // The hooks go first: the engine's window may wait a moment for the clipboard's content to
    // go back, and every key of the desktop would wait with it.
    RemoveHooks(engine_);
    engineWindow_.Stop();
    SaveSettings();
    WindowedApplication::Shutdown();
}

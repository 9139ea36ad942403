#pragma once
// The system-wide keyboard hook and the focus-event hook, and the Windows side of the
// six platform operations of the decision.
#include <windows.h>

#include "engine/hotkey.h"

class WindowsKeyPlatform final : public KeyPlatform {
public:
    explicit WindowsKeyPlatform(const EngineState& state) : state_(state) {}
    bool isKeyDown(std::uint32_t virtualKey) override;
    bool windowExists(WindowId window) override;
    std::uint16_t layoutLanguageOf(WindowId window) override;
    bool postChar(WindowId window, char16_t unit) override;
    void injectKey(std::uint32_t virtualKey, bool release) override;
    void injectUnit(char16_t unit) override;
    void scheduleTyping() override;
    HookResult passOn(const KeyEvent& event) override;

private:
    const EngineState& state_;
};

// The hooks act on this state and table until RemoveHooks; both must outlive the hooks.
bool InstallHooks(EngineState& state, const HotkeyTable& table, HINSTANCE instance);
bool RemoveHooks(EngineState& state);
// Installs both hooks afresh after the system dropped the keyboard hook behind our back.
bool ReinstallHooks(EngineState& state, const HotkeyTable& table, HINSTANCE instance);

LRESULT CALLBACK keyboardHookProcShim(int code, WPARAM message, LPARAM record);
void CALLBACK focusEventProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId, LONG childId,
                             DWORD thread, DWORD time);

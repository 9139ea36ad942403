#pragma once
// The Windows side of the decision's platform operations.
#include <windows.h>

#include "engine/hotkey.h"

// Posted to the engine window by the hook: type the pending texts now.
inline constexpr UINT kTypePendingMessage = WM_APP + 1;

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
    ForegroundFocus foregroundFocus() override;
    bool processOf(WindowId window, ProcessKey& process) override;
    bool processFileName(const ProcessKey& process, char16_t (&name)[kMaxFileName]) override;
    bool postKey(WindowId window, std::uint32_t virtualKey, bool release) override;
    bool isKeyHeld(std::uint32_t virtualKey) override;
    void injectPaste(WindowId target) override;

private:
    const EngineState& state_;
};

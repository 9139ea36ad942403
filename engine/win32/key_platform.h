#pragma once
// The Windows side of the decision's platform operations.
#include <windows.h>

#include "engine/hotkey.h"
#include "engine/win32/engine_messages.h"

class WindowsKeyPlatform final : public KeyPlatform {
public:
    explicit WindowsKeyPlatform(const EngineState& state) : state_(state) {}
    bool isKeyDown(std::uint32_t virtualKey) override;
    bool windowExists(WindowId window) override;
    std::uint16_t layoutLanguageOf(WindowId window) override;
    bool postChar(WindowId window, char16_t unit) override;
    void injectKey(std::uint32_t virtualKey, bool release) override;
    void scheduleTyping() override;
    HookResult passOn(const KeyEvent& event) override;
    ForegroundFacts foregroundFacts() override;
    bool focusRecordable(WindowId window) override;
    bool processOf(WindowId window, ProcessKey& process) override;
    bool processFileName(const ProcessKey& process, char16_t (&name)[kMaxFileName]) override;
    bool postKey(WindowId window, std::uint32_t virtualKey, bool release) override;
    bool isKeyHeld(std::uint32_t virtualKey) override;
    bool stillInFront(WindowId target) override;
    std::size_t sendKeys(const KeyStroke* keys, std::size_t count) override;
    bool pastesWithShiftInsert(WindowId target) override;
    void tellSheet(SheetPhase phase) override;
    TypingFocus typingFocus() override;
    bool passwordField(WindowId window) override;
    int typedUnits(const KeyEvent& event, const TypedKeyState& keys, std::uintptr_t layout,
                   char16_t (&units)[4]) override;
    std::size_t replayKeys(const HeldKey* keys, std::size_t count) override;

private:
    const EngineState& state_;
};

// Whether a top-level window belongs to the shell (engine/shell_windows.h).
bool IsShellWindow(HWND top);

#include "engine/hotkey.h"

HotkeyItem& HotkeyTable::Append(std::uint16_t keyCode, std::int32_t extraModifier, WideString text) {
    auto item = std::make_unique<HotkeyItem>();
    item->keyCode = keyCode;
    item->extraModifier = extraModifier;
    item->text = std::move(text);
    // Codes above 255 can never equal the 8-bit key of an event, so they are not indexed.
    if (keyCode <= 255) {
        std::int32_t& slot = index_[keyCode * 3u + static_cast<unsigned>(ModifierClass(extraModifier))];
        if (slot == kNone) slot = static_cast<std::int32_t>(items_.size());
    }
    items_.push_back(std::move(item));
    return *items_.back();
}

namespace {

constexpr HookResult kSwallow = 1;

// Releasing Win alone opens the Start menu; a Shift press around the release makes it a
// chord, which the shell ignores. Shift already held is chord enough.
HookResult PassMaskedWinRelease(const KeyEvent& event, KeyPlatform& platform) {
    const bool shiftHeld = platform.isKeyDown(kVkShift);
    if (!shiftHeld) platform.injectKey(kVkLeftShift, false);
    const HookResult result = platform.passOn(event);
    if (!shiftHeld) platform.injectKey(kVkLeftShift, true);
    return result;
}

}  // namespace

HookResult keyboardHookProc(const KeyEvent& event, EngineState& state, const HotkeyTable& table,
                            KeyPlatform& platform) {
    if (event.code < 0 || event.virtualKey == nullptr || !state.engineActive) return platform.passOn(event);

    const bool release = event.message == kMsgKeyUp || event.message == kMsgSysKeyUp;
    if (!release && event.message != kMsgKeyDown && event.message != kMsgSysKeyDown) return platform.passOn(event);

    const auto key = static_cast<std::uint8_t>(*event.virtualKey & 0xFF);

    if (key == kVkLeftWin && release && state.maskWinRelease) {
        state.maskWinRelease = false;
        return PassMaskedWinRelease(event, platform);
    }

    // One thread runs both hooks, so the focus window cannot change during this call.
    const WindowId target = state.focusWindow;
    if (target == 0 || !platform.windowExists(target)) return platform.passOn(event);

    // The first item for the key and the Ctrl/Shift state is the one a scan would find, and
    // the main/other modifier test is the same for every item, so one lookup decides.
    if (!table.HasKey(key)) return platform.passOn(event);
    const bool ctrl = platform.isKeyDown(kVkControl);
    const bool shift = platform.isKeyDown(kVkShift);
    if (ctrl && shift) return platform.passOn(event);
    const std::int32_t found = table.FirstFor(key, ctrl ? 2 : shift ? 1 : 0);
    if (found < 0) return platform.passOn(event);
    const bool altMain = state.modifierMode != 0;
    if (!platform.isKeyDown(altMain ? kVkAlt : kVkLeftWin) || platform.isKeyDown(altMain ? kVkLeftWin : kVkAlt))
        return platform.passOn(event);
    const HotkeyItem& item = table.At(static_cast<std::size_t>(found));

    if (state.russianLayoutOnly && platform.layoutLanguageOf(target) != kRussianLanguage)
        return platform.passOn(event);

    if (release) return kSwallow;

    const char16_t* text = item.text.Data();
    if (text == nullptr || text[0] == 0) return platform.passOn(event);
    for (const char16_t* unit = text; *unit != 0; ++unit) platform.postChar(target, *unit);

    if (state.modifierMode == 1) {
        // Alt mode: a key code of 0 keeps the focused program from acting on Alt+key.
        *event.virtualKey = 0;
        return platform.passOn(event);
    }
    if (state.modifierMode == 0) state.maskWinRelease = true;
    return kSwallow;
}

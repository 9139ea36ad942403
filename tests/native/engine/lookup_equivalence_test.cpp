// The indexed lookup must answer exactly as a scan of the table in order would.
#include <gtest/gtest.h>

#include <random>

#include "fake_platform.h"

namespace {

// The matching rule written as a plain scan; returns the first matching item or -1.
int ScanFirstMatch(const HotkeyTable& table, std::uint8_t key, bool ctrl, bool shift, bool mainDown, bool otherDown) {
    for (std::size_t i = 0; i < table.Count(); ++i) {
        const HotkeyItem& item = table.At(i);
        if (item.keyCode != key) continue;
        if (ctrl != (item.extraModifier == kModifierCtrl) || shift != (item.extraModifier == kModifierShift)) continue;
        if (!mainDown || otherDown) continue;
        return static_cast<int>(i);
    }
    return -1;
}

TEST(LookupEquivalence, RandomTablesAgreeWithAPlainScan) {
    std::mt19937 random(20261208);
    const std::int32_t modifiers[] = {0, 16, 17, 0, 5, -1, 18};
    for (int round = 0; round < 200; ++round) {
        HotkeyTable table;
        const int count = 1 + static_cast<int>(random() % 300);
        const unsigned keySpan = 1 + random() % 300;  // some codes above 255
        for (int i = 0; i < count; ++i) {
            std::u16string text(1, static_cast<char16_t>(u'a' + i % 26));
            table.Append(static_cast<std::uint16_t>(random() % keySpan), modifiers[random() % 7],
                         WideString(std::u16string_view(text + std::u16string(1, static_cast<char16_t>(0x100 + i)))));
        }
        // Chords changed and items removed while running keep the index true.
        for (int edit = 0; edit < count / 10; ++edit) {
            const std::size_t at = random() % table.Count();
            if (random() % 2 && table.Count() > 1)
                table.Remove(at);
            else
                table.SetChord(at, static_cast<std::uint16_t>(random() % keySpan), modifiers[random() % 7]);
        }
        for (int probe = 0; probe < 200; ++probe) {
            EngineState state;
            state.engineActive = true;
            state.focusWindow = 42;
            state.modifierMode = static_cast<std::int32_t>(random() % 2);
            FakePlatform platform;
            const bool ctrl = random() % 3 == 0, shift = random() % 3 == 0;
            const bool mainDown = random() % 4 != 0, otherDown = random() % 5 == 0;
            const std::uint32_t main = state.modifierMode ? kVkAlt : kVkLeftWin;
            const std::uint32_t other = state.modifierMode ? kVkLeftWin : kVkAlt;
            if (ctrl) platform.held.insert(kVkControl);
            if (shift) platform.held.insert(kVkShift);
            if (mainDown) platform.held.insert(main);
            if (otherDown) platform.held.insert(other);
            std::uint32_t vk = static_cast<std::uint32_t>(random() % 512);
            const auto key = static_cast<std::uint8_t>(vk & 0xFF);
            KeyEvent e;
            e.message = kMsgKeyDown;
            e.virtualKey = &vk;
            keyboardHookProc(e, state, table, platform);
            const int expected = ScanFirstMatch(table, key, ctrl, shift, mainDown, otherDown);
            std::u16string want;
            if (expected >= 0) want = table.At(static_cast<std::size_t>(expected)).text.View();
            ASSERT_EQ(platform.posted, want) << "round " << round << " probe " << probe;
        }
    }
}

}  // namespace

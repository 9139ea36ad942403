#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "engine/abbreviations.h"
#include "engine/hook_watchdog.h"
#include "engine/typist.h"
#include "fake_platform.h"

namespace {

struct Engine : ::testing::Test {
    HotkeyTable table;
    EngineState state;
    FakePlatform platform;
    std::uint32_t vk = 0;

    void SetUp() override {
        state.engineActive = true;
        state.focusWindow = 42;
    }
    HookResult Send(std::uint32_t key, std::uint32_t message = kMsgKeyDown, std::int32_t code = 0) {
        vk = key;
        KeyEvent e;
        e.code = code;
        e.message = message;
        e.virtualKey = &vk;
        return keyboardHookProc(e, state, table, platform);
    }
    void Hold(std::initializer_list<std::uint32_t> keys) { platform.held = keys; }
    std::vector<std::string> TakeCalls() { return std::exchange(platform.calls, {}); }
};

using Calls = std::vector<std::string>;

TEST_F(Engine, WinModeTypesSwallowsAndMasksTheWinRelease) {
    table.Append('A', kModifierNone, u"hé");
    Hold({kVkLeftWin});
    EXPECT_EQ(Send('A'), 1);
    EXPECT_EQ(platform.posted, u"hé");
    EXPECT_EQ(TakeCalls(), (Calls{"post 42", "post 42"}));
    EXPECT_TRUE(state.maskWinRelease);

    EXPECT_EQ(Send('A', kMsgKeyUp), 1) << "key-up of a held hotkey is eaten";
    EXPECT_TRUE(TakeCalls().empty());

    Hold({});
    EXPECT_EQ(Send(kVkLeftWin, kMsgKeyUp), 7);
    EXPECT_EQ(TakeCalls(), (Calls{"inject 232 down", "pass 91", "inject 232 up"}));
    EXPECT_FALSE(state.maskWinRelease);
    EXPECT_EQ(Send(kVkLeftWin, kMsgKeyUp), 7) << "the mask is one-shot";
    EXPECT_EQ(TakeCalls(), (Calls{"pass 91"}));
}

TEST_F(Engine, WinReleaseWithShiftHeldInjectsNothing) {
    table.Append('A', kModifierShift, u"x");
    Hold({kVkLeftWin, kVkShift});
    EXPECT_EQ(Send('A'), 1);
    EXPECT_TRUE(state.maskWinRelease);
    TakeCalls();
    EXPECT_EQ(Send(kVkLeftWin, kMsgSysKeyUp), 7);
    EXPECT_EQ(TakeCalls(), (Calls{"pass 91"}));
}

TEST_F(Engine, MainAndOtherModifierMustBeExact) {
    table.Append('1', kModifierNone, u"t");
    struct Case { std::int32_t mode; std::set<std::uint32_t> held; bool types; };
    const Case cases[] = {
        {0, {kVkLeftWin}, true},
        {0, {92 /* right Win */}, false},
        {0, {kVkLeftWin, kVkAlt}, false},
        {0, {}, false},
        {1, {kVkAlt}, true},
        {1, {kVkAlt, kVkLeftWin}, false},
        {2, {kVkAlt}, true},
        {2, {kVkLeftWin}, false},
    };
    for (const Case& c : cases) {
        state.modifierMode = c.mode;
        state.maskWinRelease = false;
        platform.held = c.held;
        platform.posted.clear();
        Send('1');
        EXPECT_EQ(platform.posted == u"t", c.types) << "mode " << c.mode << " held " << c.held.size();
    }
}

TEST_F(Engine, TheMainModifierReleaseIsMaskedWithoutSideEffects) {
    table.Append('1', kModifierNone, u"a");
    // Never Shift: it would turn Caps Lock off for some, and reach the target as a Shift tap.
    const Calls unassigned{"inject 232 down", "pass 91", "inject 232 up"};
    const Calls altUnassigned{"inject 232 down", "pass 164", "inject 232 up"};
    struct Case { std::int32_t mode; std::set<std::uint32_t> heldAtRelease; std::uint32_t released; Calls calls; };
    const Case cases[] = {
        {0, {}, kVkLeftWin, unassigned},
        {0, {kVkShift}, kVkLeftWin, {"pass 91"}},  // Shift held is chord enough
        {0, {kVkControl}, kVkLeftWin, unassigned},
        {0, {kVkAlt}, kVkLeftWin, unassigned},
        {0, {kVkControl, kVkShift}, kVkLeftWin, {"pass 91"}},
        // A lone Alt press and release, as the target sees it, would enter its menu bar.
        {1, {}, kVkLeftAlt, altUnassigned},
        {1, {kVkShift}, kVkLeftAlt, altUnassigned},
        {1, {kVkControl}, kVkLeftAlt, altUnassigned},
        {1, {kVkControl, kVkShift}, kVkRightAlt, {"inject 232 down", "pass 165", "inject 232 up"}},
    };
    for (const Case& c : cases) {
        state.modifierMode = c.mode;
        Hold({c.mode ? kVkAlt : kVkLeftWin});
        EXPECT_EQ(Send('1'), 1);
        platform.held = c.heldAtRelease;
        TakeCalls();
        Send(c.released, kMsgKeyUp);
        EXPECT_EQ(TakeCalls(), c.calls) << c.mode << " " << c.heldAtRelease.size();
        Send(c.released, kMsgKeyUp);
        EXPECT_EQ(TakeCalls().size(), 1u) << "one release is masked";
    }
}

TEST_F(Engine, TheHookFollowsTheModifiersItSees) {
    struct Case { std::vector<std::pair<std::uint32_t, std::uint32_t>> events; std::set<std::uint32_t> held; };
    const Case cases[] = {
        {{{kVkLeftWin, kMsgKeyDown}, {kVkLeftWin, kMsgKeyUp}, {92, kMsgKeyDown}}, {92}},
        {{{kVkRightShift, kMsgKeyDown}, {kVkLeftShift, kMsgKeyDown}, {kVkLeftShift, kMsgKeyUp}}, {kVkShift}},
        {{{kVkRightControl, kMsgKeyDown}, {kVkLeftAlt, kMsgSysKeyDown}, {kVkShift, kMsgKeyDown}}, {kVkControl, kVkAlt, kVkShift}},
        {{{kVkRightAlt, kMsgSysKeyDown}, {kVkRightAlt, kMsgSysKeyUp}, {kVkLeftShift, 258}}, {}},
    };
    for (const Case& c : cases) {
        state.heldModifiers = 0;
        state.engineActive = &c != cases;  // paused, the hook still follows them
        for (const auto& [key, message] : c.events) Send(key, message);
        for (std::uint32_t vk : std::initializer_list<std::uint32_t>{kVkShift, kVkControl, kVkAlt, kVkLeftWin, 92})
            EXPECT_EQ(ModifierHeld(state, vk), c.held.count(vk) != 0) << vk << " after case " << (&c - cases);
    }
}

TEST_F(Engine, EveryKeyUpFollowsItsKeyDown) {
    table.Append('1', kModifierNone, u"a");
    table.Append('1', kModifierCtrl, u"c");
    table.Append('5', kModifierNone, u"");
    const std::set<std::uint32_t> win{kVkLeftWin};
    struct Step { std::set<std::uint32_t> held; std::uint16_t language; std::uint32_t key; std::uint32_t message; HookResult result; };
    struct Case { const char* what; std::vector<Step> steps; };
    const std::uint32_t down = kMsgKeyDown, up = kMsgKeyUp;
    state.russianLayoutOnly = true;
    const Case cases[] = {
        {"empty text", {{win, kRussianLanguage, '5', down, 7}, {win, kRussianLanguage, '5', up, 7}}},
        {"layout switched to Russian in between",
         {{win, 1033, '1', down, 7}, {win, kRussianLanguage, '1', up, 7}}},
        {"Shift let go in between",
         {{{kVkLeftWin, kVkControl, kVkShift}, kRussianLanguage, '1', down, 7},
          {{kVkLeftWin, kVkControl}, kRussianLanguage, '1', up, 7}}},
        {"Win pressed while the key repeats",
         {{{}, kRussianLanguage, '1', down, 7}, {win, kRussianLanguage, '1', down, 1}, {win, kRussianLanguage, '1', up, 7}}},
        {"a typed chord keeps its key-up", {{win, kRussianLanguage, '1', down, 1}, {win, 1033, '1', up, 1}}},
        {"unless Win went up first", {{win, kRussianLanguage, '1', down, 1}, {{}, kRussianLanguage, '1', up, 7}}},
        {"a key-up never seen going down", {{win, kRussianLanguage, '1', up, 7}}},
    };
    for (const Case& c : cases) {
        state.downFate.fill(DownFate::None);
        for (const Step& step : c.steps) {
            platform.held = step.held;
            platform.language = step.language;
            EXPECT_EQ(Send(step.key, step.message), step.result) << c.what;
        }
    }
}

TEST_F(Engine, OwnInjectedKeysAndRefusedPostsGoThrough) {
    table.Append('1', kModifierNone, u"ab");
    Hold({kVkLeftWin});
    vk = '1';
    const KeyEvent own{0, kMsgKeyDown, &vk, 1234, true};
    EXPECT_EQ(keyboardHookProc(own, state, table, platform), 7);
    EXPECT_EQ(state.lastEventTime, 1234u) << "every event is a sign of life";
    platform.refusePosts = true;
    EXPECT_EQ(Send('1'), 7);
    EXPECT_EQ(Send('1', kMsgKeyUp), 7);
    EXPECT_FALSE(state.maskWinRelease);
}

TEST_F(Engine, LineBreaksAreTypedOnceAndKeystrokesWaitForTheModifierRelease) {
    table.Append('1', kModifierNone, u"a\r\nb\nc\rd");
    Hold({kVkLeftWin});
    Send('1');
    EXPECT_EQ(platform.posted, u"a\rb\rc\rd");
    Send(kVkLeftWin, kMsgKeyUp);

    state.typeMode = kTypeByKeystrokes;
    TakeCalls();
    EXPECT_EQ(Send('1'), 1);
    EXPECT_EQ(Send('1', kMsgKeyUp), 1);
    EXPECT_TRUE(TakeCalls().empty()) << "nothing typed while Win is down";
    Hold({});
    Send(kVkLeftWin, kMsgKeyUp);
    EXPECT_EQ(TakeCalls(), (Calls{"inject 232 down", "pass 91", "inject 232 up", "schedule"}));
    TextTypist typist;
    FakeDates dates;
    typist.TakePending(state, table);
    EXPECT_FALSE(typist.Step(platform, dates, 0).tick);
    const Calls enter{"inject 13 down", "inject 13 up"};
    Calls typed{"send 14/14", "unit 97 down", "unit 97 up"};  // one call for the whole text
    for (char16_t unit : {u'b', u'c', u'd'}) {
        typed.insert(typed.end(), enter.begin(), enter.end());
        typed.push_back("unit " + std::to_string(unit) + " down");
        typed.push_back("unit " + std::to_string(unit) + " up");
    }
    EXPECT_EQ(TakeCalls(), typed);
    typist.TakePending(state, table);
    typist.Step(platform, dates, 0);
    EXPECT_TRUE(TakeCalls().empty()) << "typed once";
}

TEST(HotkeyTable, FindChordNamesTheItemANewChordWouldDuplicate) {
    HotkeyTable table;
    table.Append('1', kModifierNone, u"a");
    table.Append('1', kModifierShift, u"b");
    table.Append('2', 99, u"c");  // counts as no extra modifier
    EXPECT_EQ(table.FindChord('1', kModifierShift), 1);
    EXPECT_EQ(table.FindChord('2', kModifierNone), 2);
    EXPECT_EQ(table.FindChord('1', kModifierCtrl), -1);
    EXPECT_EQ(table.FindChord('1', kModifierNone, 0), -1) << "an item does not duplicate itself";
    table.SetChord(0, '3', kModifierCtrl);
    EXPECT_EQ(table.FindChord('3', kModifierCtrl), 0);
    table.Remove(0);
    EXPECT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.FirstFor('3', 2), -1);
    EXPECT_EQ(table.FirstFor('1', 1), 0);
}

TEST(HookWatchdog, ReinstallsOnlyWhenTheHookMissedTheLatestRawEvent) {
    struct Case { std::uint32_t firstRaw, laterRaw, hookSaw; bool lost; };
    const Case cases[] = {
        {1000, 1000, 1000, false},
        {1000, 1200, 1250, false},
        {1000, 1200, 1099, true},  // dropped between two events of one check
        {1000, 1000, 990, false},  // raw input stamped a little later than the hook: the same key
        {1000, 1000, 900, false},  // at the margin
        {1000, 1000, 899, true},
        {0xFFFFFFF0u, 0x10, 0x10, false},  // the tick count wrapped
        {0x10, 0x10, 0xFFFFFFF0u, false},
        {0x10, 0x10, 0xFFFFFF00u, true},
    };
    for (const Case& c : cases) {
        HookWatchdog watchdog;
        EXPECT_TRUE(watchdog.OnRawKey(c.firstRaw));
        EXPECT_FALSE(watchdog.OnRawKey(c.laterRaw)) << "one check at a time";
        EXPECT_EQ(watchdog.HookLost(c.hookSaw), c.lost) << c.firstRaw << " " << c.hookSaw;
        EXPECT_FALSE(watchdog.HookLost(0)) << "no check pending";
        EXPECT_TRUE(watchdog.OnRawKey(c.laterRaw));
    }
}

TEST_F(Engine, ModeTwoSwallowsWithoutMasking) {
    table.Append('1', kModifierNone, u"a");
    state.modifierMode = 2;
    Hold({kVkAlt});
    EXPECT_EQ(Send('1'), 1);
    EXPECT_EQ(platform.posted, u"a");
    EXPECT_FALSE(state.maskWinRelease);
}

TEST_F(Engine, CtrlAndShiftMustMatchTheItemExactly) {
    table.Append('1', kModifierNone, u"n");
    table.Append('1', kModifierShift, u"s");
    table.Append('1', kModifierCtrl, u"c");
    table.Append('1', 99, u"other");  // counts as no extra modifier, behind "n"
    struct Case { std::set<std::uint32_t> held; std::u16string typed; };
    const Case cases[] = {
        {{kVkLeftWin}, u"n"},
        {{kVkLeftWin, kVkShift}, u"s"},
        {{kVkLeftWin, kVkControl}, u"c"},
        {{kVkLeftWin, kVkControl, kVkShift}, u""},
    };
    for (const Case& c : cases) {
        platform.held = c.held;
        platform.posted.clear();
        Send('1');
        EXPECT_EQ(platform.posted, c.typed);
    }
}

TEST_F(Engine, OnlyTheFirstDuplicateTypes) {
    table.Append('2', kModifierNone, u"first");
    table.Append('2', kModifierNone, u"second");
    Hold({kVkLeftWin});
    Send('2');
    EXPECT_EQ(platform.posted, u"first");
}

TEST_F(Engine, KeyUpAfterTheModifierWasReleasedIsPassedOn) {
    table.Append('1', kModifierNone, u"a");
    Hold({});
    EXPECT_EQ(Send('1', kMsgKeyUp), 7);
    EXPECT_EQ(TakeCalls(), (Calls{"pass 49"}));
}

TEST_F(Engine, LayoutRuleLetsForeignLayoutsThrough) {
    table.Append('1', kModifierNone, u"a");
    state.russianLayoutOnly = true;
    platform.language = 1033;
    Hold({kVkLeftWin});
    EXPECT_EQ(Send('1'), 7);
    EXPECT_EQ(Send('1', kMsgKeyUp), 7);
    EXPECT_TRUE(platform.posted.empty());
    platform.language = kRussianLanguage;
    EXPECT_EQ(Send('1'), 1);
    EXPECT_EQ(platform.posted, u"a");
}

TEST_F(Engine, TheTextGoesToTheFocusOfTheProgramInFront) {
    table.Append('1', kModifierNone, u"a");
    platform.liveWindows = {42, 43, 50, 60};
    platform.processes[50] = {{9, 1}, u"wordpad.exe"};
    platform.shellWindows = {60};
    using F = ForegroundFacts;
    const F own{77, true, false, 78, true};
    struct Case {
        const char* what;
        F foreground;
        std::vector<WindowId> focusEvents;  // since the target 42 was recorded
        std::int32_t typeMode;
        std::string typedInto;
    };
    const std::int32_t posted = kTypeByMessages, keys = kTypeByKeystrokes, pasted = kTypeByClipboard;
    const Case cases[] = {
        {"another program in front, with its focus", {50, false, false, 50, false}, {}, posted, "post 50"},
        {"keystrokes, queued for the program in front", {50, false, false, 50, false}, {}, keys, "queued"},
        {"recorded window stale, never asked", {43, false, false, 43, false}, {5}, posted, "post 43"},
        {"a console: its thread has no focus to tell", {43, false, false, 0, false}, {}, posted, "post 43"},
        {"Vellory's own window in front: the last foreign focus", own, {}, posted, "post 42"},
        {"own window in front after the taskbar passed the focus on", own, {60}, posted, "post 42"},
        {"own window in front, keystrokes would reach it", own, {}, keys, ""},
        {"own window in front, a paste would land in it", own, {}, pasted, ""},
        {"own window in front, recorded window closed", own, {5}, posted, ""},
        {"own window in front, its focus unknown", {77, true, false, 0, false}, {}, posted, "post 42"},
        {"the taskbar in front", {60, false, true, 61, false}, {60}, posted, ""},
        {"no foreground, or another desktop", {}, {}, posted, ""},
    };
    Hold({kVkLeftWin});
    for (const Case& c : cases) {
        platform.foreground = c.foreground;
        state.typeMode = c.typeMode;
        state.focusWindow = 0;
        OnFocusEvent(state, 42, platform);
        for (WindowId w : c.focusEvents) OnFocusEvent(state, w, platform);
        const bool typed = !c.typedInto.empty();
        EXPECT_EQ(Send('1'), typed ? 1 : 7) << c.what;
        EXPECT_EQ(Send('1', kMsgKeyUp), typed ? 1 : 7) << c.what;
        const Calls calls = TakeCalls();
        const Calls passed{"pass 49", "pass 49"};
        EXPECT_EQ(calls, typed ? (c.typeMode != posted ? Calls{} : Calls{c.typedInto}) : passed) << c.what;
        state.maskWinRelease = false;
        state.pendingCount = 0;
    }
    state.focusWindow = 42;
    OnFocusEvent(state, 0, platform);
    EXPECT_EQ(state.focusWindow, 42u) << "a focus event without a window records nothing";
}

TEST_F(Engine, WhilePausedEveryEventPassesAndNoChordFiresLater) {
    table.Append('1', kModifierNone, u"a");
    state.typeMode = kTypeByKeystrokes;
    Hold({kVkLeftWin});
    EXPECT_EQ(Send('1'), 1);
    EXPECT_EQ(state.pendingCount, 1u);
    // Paused with the chord held: its key-up, the Win release and the queued typing are gone.
    ResetChordState(state);
    state.engineActive = false;
    TakeCalls();
    for (std::uint32_t key : {49u, 49u, 91u}) {
        EXPECT_EQ(Send(key), 7);
        EXPECT_EQ(Send(key, kMsgKeyUp), 7);
    }
    EXPECT_EQ(TakeCalls(), (Calls{"pass 49", "pass 49", "pass 49", "pass 49", "pass 91", "pass 91"}));
    EXPECT_EQ(state.pendingCount, 0u);
    const KeyEvent stamped{0, kMsgKeyDown, &vk, 555, false};
    EXPECT_EQ(keyboardHookProc(stamped, state, table, platform), 7);
    EXPECT_EQ(state.lastEventTime, 555u) << "the watchdog still sees the hook alive";
    state.engineActive = true;
    EXPECT_EQ(Send('1'), 1) << "resumed";
}

// The cheat sheet's state in the hook, with the engine window's part played by hand: 't' is the
// end of the delay (the sheet shows if it may), 'c' a click on the sheet's cell of key 1, 'l' a
// release the hook never sees (on the secure desktop). As on Windows, a press reaches the key
// state only once the hook has returned.
TEST_F(Engine, TheSheetShowsForTheMainModifierHeldAloneAndItsReleaseIsMasked) {
    table.Append('1', kModifierNone, u"a");
    struct Step {
        char what;  // 'd' down, 'u' up, 'o' / 'O' Vellory's own down / up, 't', 'c', 'l'
        std::uint32_t key = 0;
    };
    const struct Case {
        const char* name;
        std::int32_t mode;
        bool active;
        std::uint32_t delay;
        const char16_t* excluded;
        std::vector<Step> steps;
        Calls calls;
    } cases[] = {
        {"held alone past the delay; the repeat does not restart it", 0, true, 1000, u"",
         {{'d', 91}, {'d', 91}, {'t'}, {'u', 91}},
         {"sheet wait", "pass 91", "pass 91", "sheet hide", "inject 232 down", "pass 91", "inject 232 up"}},
        {"another key first", 0, true, 1000, u"", {{'d', 91}, {'d', 69}, {'t'}, {'u', 69}, {'u', 91}},
         {"sheet wait", "pass 91", "pass 69", "pass 69", "pass 91"}},
        {"released early", 0, true, 1000, u"", {{'d', 91}, {'u', 91}, {'t'}}, {"sheet wait", "pass 91", "pass 91"}},
        {"own keys neither start nor cancel it", 0, true, 1000, u"",
         {{'o', 91}, {'O', 91}, {'d', 91}, {'o', 69}, {'O', 69}, {'t'}, {'u', 91}},
         {"pass 91", "pass 91", "sheet wait", "pass 91", "pass 69", "pass 69", "sheet hide", "inject 232 down",
          "pass 91", "inject 232 up"}},
        {"paused", 0, false, 1000, u"", {{'d', 91}, {'t'}, {'u', 91}}, {"pass 91", "pass 91"}},
        {"delay 0 is off", 0, true, 0, u"", {{'d', 91}, {'t'}, {'u', 91}}, {"pass 91", "pass 91"}},
        {"an excluded program in front", 0, true, 1000, u"notepad.exe", {{'d', 91}, {'t'}, {'u', 91}},
         {"sheet wait", "pass 91", "pass 91"}},
        {"Shift held before", 0, true, 1000, u"", {{'d', 160}, {'d', 91}, {'t'}, {'u', 91}, {'u', 160}},
         {"pass 160", "pass 91", "pass 91", "pass 160"}},
        {"Alt mode", 1, true, 1000, u"", {{'d', 164}, {'d', 164}, {'t'}, {'u', 164}},
         {"sheet wait", "pass 164", "pass 164", "sheet hide", "inject 232 down", "pass 164", "inject 232 up"}},
        {"Win in Alt mode", 1, true, 1000, u"", {{'d', 91}, {'t'}, {'u', 91}}, {"pass 91", "pass 91"}},
        {"a chord while shown types and hides it", 0, true, 1000, u"", {{'d', 91}, {'t'}, {'d', 49}, {'u', 49}, {'u', 91}},
         {"sheet wait", "pass 91", "sheet hide", "post 42", "inject 232 down", "pass 91", "inject 232 up"}},
        {"another key while shown goes on", 0, true, 1000, u"", {{'d', 91}, {'t'}, {'d', 69}, {'u', 69}, {'u', 91}},
         {"sheet wait", "pass 91", "sheet hide", "pass 69", "pass 69", "pass 91"}},
        {"a click types as the chord would", 0, true, 1000, u"", {{'d', 91}, {'t'}, {'c'}, {'u', 91}},
         {"sheet wait", "pass 91", "post 42", "inject 232 down", "pass 91", "inject 232 up"}},
        {"a Ctrl release lost after Ctrl+Alt+Del", 0, true, 1000, u"", {{'d', 162}, {'l', 162}, {'d', 91}, {'t'}, {'u', 91}},
         {"pass 162", "sheet wait", "pass 91", "sheet hide", "inject 232 down", "pass 91", "inject 232 up"}},
        {"the Win release lost after Win+L", 0, true, 1000, u"",
         {{'d', 91}, {'d', 76}, {'l', 76}, {'l', 91}, {'d', 91}, {'t'}, {'u', 91}},
         {"sheet wait", "pass 91", "pass 76", "sheet wait", "pass 91", "sheet hide", "inject 232 down", "pass 91",
          "inject 232 up"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.modifierMode = c.mode;
        state.engineActive = c.active;
        state.sheetDelay = c.delay;
        state.exclusions.Set(c.excluded);
        state.heldModifiers = 0;
        Hold({});
        for (const Step& step : c.steps) {
            const std::uint32_t held = step.key >= kVkLeftShift && step.key <= kVkRightAlt
                                           ? kVkShift + (step.key - kVkLeftShift) / 2 : step.key;
            if (step.what == 'd') {
                Send(step.key, kMsgKeyDown);
                platform.held.insert(held);
            } else if (step.what == 'u' || step.what == 'l') {
                platform.held.erase(held);
                if (step.what == 'u') Send(step.key, kMsgKeyUp);
            } else if (step.what == 'o' || step.what == 'O') {
                vk = step.key;
                const KeyEvent own{0, step.what == 'o' ? kMsgKeyDown : kMsgKeyUp, &vk, 0, true};
                keyboardHookProc(own, state, table, platform);
            } else if (step.what == 't' && state.sheet == SheetPhase::Waiting) {
                state.sheet = SheetAllowed(state, platform) ? SheetPhase::Shown : SheetPhase::Idle;
            } else if (step.what == 'c') {
                state.sheet = SheetPhase::Idle;
                EXPECT_TRUE(TypeItem(0, state, table, platform));
            }
        }
        EXPECT_EQ(TakeCalls(), c.calls);
        EXPECT_EQ(state.sheet, SheetPhase::Idle);
        EXPECT_FALSE(state.maskWinRelease || state.maskAltRelease);
        platform.posted.clear();
    }
}

TEST(ProgramExclusions, NamesWildcardsAndCase) {
    EXPECT_EQ(ProgramListFromLines(u"  mstsc.exe \r\n\r\n\tvmware*.exe\n|KeePass.exe  "),
              u"mstsc.exe|vmware*.exe|KeePass.exe");
    EXPECT_EQ(ProgramListToLines(u"a.exe||b.exe"), u"a.exe\r\nb.exe");
    EXPECT_EQ(ProgramListFromLines(u" \r\n "), u"");
    struct Case { const char16_t* pattern; const char16_t* name; bool matches; };
    const Case cases[] = {
        {u"mstsc.exe", u"MSTSC.EXE", true},       {u"mstsc.exe", u"mstsc.exe.bak", false},
        {u"mstsc.exe", u"xmstsc.exe", false},     {u"vmware*.exe", u"vmware-vmx.exe", true},
        {u"vmware*.exe", u"vmware.exe", true},    {u"vmware*.exe", u"vmwarex.ex", false},
        {u"*.exe", u"a.b.exe", true},             {u"a?c.exe", u"abc.exe", true},
        {u"a?c.exe", u"ac.exe", false},           {u"*a*b*", u"xxaxxbxx", true},
        {u"*a*b", u"xxbxxa", false},              {u"программа.exe", u"ПРОГРАММА.EXE", true},
        {u"*", u"", true},                        {u"", u"a.exe", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesFileNamePattern(c.pattern, c.name), c.matches) << "case " << (&c - cases);
}

TEST_F(Engine, AnExcludedProgramGetsTheChordAsIfVelloryWereNotThere) {
    table.Append('1', kModifierNone, u"a");
    platform.liveWindows = {42, 50};
    platform.processes[50] = {{9, 1}, u"VMware-VMX.exe"};
    state.exclusions.Set(u"mstsc.exe|vmware*.exe");
    Hold({kVkLeftWin});
    platform.foreground = {50, false, false, 50, false};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Send('1'), 7);
        EXPECT_EQ(Send('1', kMsgKeyUp), 7);
        Hold({});
        EXPECT_EQ(Send(kVkLeftWin, kMsgKeyUp), 7);
        Hold({kVkLeftWin});
    }
    EXPECT_EQ(TakeCalls(), (Calls{"pass 49", "pass 49", "pass 91", "pass 49", "pass 49", "pass 91", "pass 49",
                                  "pass 49", "pass 91"}))
        << "no mask";
    EXPECT_EQ(platform.fileNameQueries, 1) << "later chords take the remembered verdict";

    // Another program still gets the text; its verdict is remembered beside the first one.
    platform.foreground = {42, false, false, 42, false};
    EXPECT_EQ(Send('1'), 1);
    EXPECT_EQ(Send('1'), 1);
    EXPECT_EQ(platform.fileNameQueries, 2);
    // The excluded program ended and its id went to another one, which is asked afresh.
    platform.processes[50] = {{9, 2}, u"notepad.exe"};
    platform.foreground = {50, false, false, 50, false};
    EXPECT_EQ(Send('1'), 1);
    EXPECT_EQ(platform.fileNameQueries, 3);
    // A program that cannot be asked is kept out while there is a list at all.
    platform.processes.erase(50);
    EXPECT_EQ(Send('1'), 7);
    state.exclusions.Set(u"");
    EXPECT_EQ(Send('1'), 1);
}

TEST_F(Engine, EmptyTextIsInert) {
    table.Append('1', kModifierNone, u"");
    table.Append('3', kModifierNone, WideString());
    Hold({kVkLeftWin});
    EXPECT_EQ(Send('1'), 7);
    EXPECT_EQ(Send('3'), 7);
    EXPECT_FALSE(state.maskWinRelease);
}

TEST_F(Engine, TextEndsAtItsFirstNulAndSurrogatesGoAsTwoUnits) {
    std::u16string text = u"a";
    text.push_back(0xD83D);
    text.push_back(0xDE00);
    text.push_back(0);
    text += u"hidden";
    table.Append('1', kModifierNone, WideString(std::u16string_view(text)));
    Hold({kVkLeftWin});
    Send('1');
    EXPECT_EQ(platform.posted, (std::u16string{u'a', 0xD83D, 0xDE00}));
}

TEST_F(Engine, OtherMessagesNegativeCodesAndInactiveEngineArePassedOn) {
    table.Append('1', kModifierNone, u"a");
    Hold({kVkLeftWin});
    state.maskWinRelease = true;
    EXPECT_EQ(Send('1', 258), 7);
    EXPECT_EQ(Send(kVkLeftWin, kMsgKeyUp, -1), 7);
    state.engineActive = false;
    EXPECT_EQ(Send('1'), 7);
    EXPECT_EQ(Send(kVkLeftWin, kMsgKeyUp), 7);
    EXPECT_TRUE(platform.posted.empty());
    EXPECT_TRUE(state.maskWinRelease);
    KeyEvent noRecord;
    noRecord.message = kMsgKeyDown;
    state.engineActive = true;
    EXPECT_EQ(keyboardHookProc(noRecord, state, table, platform), 7);
}

TEST_F(Engine, KeyIsTheLowByteAndCodesAbove255NeverMatch) {
    table.Append(0x131, kModifierNone, u"never");
    table.Append('1', kModifierNone, u"one");
    Hold({kVkLeftWin});
    Send(0x1031);  // low byte is '1'
    EXPECT_EQ(platform.posted, u"one");
}

TEST_F(Engine, ScanQueriesNoKeyStateForAKeyWithoutItems) {
    table.Append('1', kModifierNone, u"a");
    platform.recordQueries = true;
    Hold({kVkLeftWin});
    Send('Z');
    EXPECT_EQ(TakeCalls(), (Calls{"pass 90"}));
}

// Counts heap allocations made by this thread between Start and Stop.
std::size_t g_allocations = 0;
bool g_counting = false;

TEST_F(Engine, TheDecisionAllocatesNothing) {
    for (int k = 0; k < 10; ++k) table.Append(static_cast<std::uint16_t>('0' + k), kModifierNone, u"text");
    table.Append('Q', kModifierNone, u"«{курсор}» {дата}");  // queued for the engine's window
    table.AppendAbbreviation(u"zx", u"text");  // fires on the space, then A is held
    QuietPlatform quiet;
    state.exclusions.Set(u"mstsc.exe|vm*.exe");
    g_allocations = 0;
    g_counting = true;
    for (std::uint32_t key : {49u, 90u, 53u, 81u, 91u, 90u, 88u, 32u, 65u}) {
        for (std::uint32_t msg : {kMsgKeyDown, kMsgKeyUp}) {
            vk = key;
            KeyEvent e;
            e.message = msg;
            e.virtualKey = &vk;
            keyboardHookProc(e, state, table, quiet);
        }
    }
    EXPECT_TRUE(state.abbreviations.held.holding);
    ReleaseHeldKeys(state, quiet);
    g_counting = false;
    EXPECT_EQ(g_allocations, 0u);
    EXPECT_EQ(state.abbreviations.held.inFlight, 1u) << "A, held as the unit it typed";
}

}  // namespace

void* operator new(std::size_t size) {
    if (g_counting) ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

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
    EXPECT_EQ(TakeCalls(), (Calls{"inject 160 down", "pass 91", "inject 160 up"}));
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

TEST_F(Engine, AltModePassesTheKeyOnWithCodeZero) {
    table.Append('1', kModifierNone, u"ab");
    state.modifierMode = 1;
    Hold({kVkAlt});
    EXPECT_EQ(Send('1', kMsgSysKeyDown), 7);
    EXPECT_EQ(TakeCalls(), (Calls{"post 42", "post 42", "pass 0"}));
    EXPECT_EQ(vk, 0u);
    EXPECT_FALSE(state.maskWinRelease);
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

TEST_F(Engine, NothingHappensWithoutALiveFocusWindow) {
    table.Append('1', kModifierNone, u"a");
    Hold({kVkLeftWin});
    state.focusWindow = 0;
    EXPECT_EQ(Send('1'), 7);
    state.focusWindow = 5;  // closed window
    EXPECT_EQ(Send('1'), 7);
    EXPECT_TRUE(platform.posted.empty());
    EXPECT_FALSE(state.maskWinRelease);
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
    struct Quiet final : KeyPlatform {
        bool isKeyDown(std::uint32_t vk) override { return vk == kVkLeftWin; }
        bool windowExists(WindowId) override { return true; }
        std::uint16_t layoutLanguageOf(WindowId) override { return kRussianLanguage; }
        void postChar(WindowId, char16_t) override {}
        void injectKey(std::uint32_t, bool) override {}
        HookResult passOn(const KeyEvent&) override { return 0; }
    } quiet;
    g_allocations = 0;
    g_counting = true;
    for (std::uint32_t key : {49u, 90u, 53u, 91u}) {
        for (std::uint32_t msg : {kMsgKeyDown, kMsgKeyUp}) {
            vk = key;
            KeyEvent e;
            e.message = msg;
            e.virtualKey = &vk;
            keyboardHookProc(e, state, table, quiet);
        }
    }
    g_counting = false;
    EXPECT_EQ(g_allocations, 0u);
}

}  // namespace

void* operator new(std::size_t size) {
    if (g_counting) ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

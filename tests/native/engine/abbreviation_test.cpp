#include <gtest/gtest.h>

#include "engine/abbreviations.h"
#include "engine/typist.h"
#include "fake_platform.h"

namespace {

struct Abbreviations : ::testing::Test {
    HotkeyTable table;
    EngineState state;
    FakePlatform platform;
    std::uint32_t vk = 0;
    std::uint32_t now = 1000;

    void SetUp() override {
        Reset();
        table.AppendAbbreviation(u"sig", u"best regards");
        table.AppendAbbreviation(u";adr", u"Address 1");
        table.SetImmediate(1, true);
        for (const auto& [abbreviation, text] : {std::pair{u"a.b", u"dotted"}, {u"b", u"bee"}, {u"é", u"acute"},
                                                 {u"€u", u"euro"}, {u"ПРИВ", u"Привет!"}})
            table.AppendAbbreviation(abbreviation, text);
    }
    void Reset() {
        state = EngineState{};
        state.engineActive = true;
        platform = FakePlatform{};
        // The layout rule is the chords' alone: every abbreviation here fires in a foreign layout.
        state.russianLayoutOnly = true;
        platform.language = 1033;
    }
    HookResult Send(std::uint32_t key, bool release = false, bool replayed = false) {
        vk = key;
        KeyEvent e;
        e.message = release ? kMsgKeyUp : kMsgKeyDown;
        e.virtualKey = &vk;
        e.time = now += 20;
        e.replayed = e.ownInput = replayed;
        return keyboardHookProc(e, state, table, platform);
    }
    void Press(std::initializer_list<std::uint32_t> modifiers, std::uint32_t key) {
        for (std::uint32_t m : modifiers) Send(m);
        Send(key);
        Send(key, true);
        for (std::uint32_t m : modifiers) Send(m, true);
    }
    // Types the keys: characters as on a US keyboard, and a few signs for the rest.
    bool textOutAtOnce = false;  // what follows a firing is typed, not held
    void Type(std::u16string_view keys) {
        for (const char16_t c : keys) {
            if (textOutAtOnce) StopHolding(state, platform);
            const std::u16string_view punctuation = u" .,;/";
            const std::uint32_t oem[] = {0x20, 0xBE, 0xBC, 0xBA, 0xBF};
            if (c >= u'a' && c <= u'z') Press({}, c - 0x20);
            else if (c >= u'A' && c <= u'Z') Press({kVkLeftShift}, c);
            else if (punctuation.find(c) != std::u16string_view::npos) Press({}, oem[punctuation.find(c)]);
            else if (c == u'!') Press({kVkLeftShift}, '1');
            else if (c == u':') Press({kVkLeftShift}, 0xBA);
            else if (c == u'\r' || c == u'\t' || c == u'\b' || c == u'\'') Press({}, c == u'\'' ? 0xDE : c);
            else if (c == u'↵') Press({kVkLeftShift}, kVkReturn);
            else if (c == u'⌫') Press({kVkLeftControl}, kVkBack);
            else if (c == u'€') Press({kVkLeftControl, kVkRightAlt}, 'E');
            else if (c == u'⌃' || c == u'⊞' || c == u'⌥') Press({c == u'⌃' ? kVkLeftControl : c == u'⊞' ? kVkLeftWin : kVkLeftAlt}, 'A');
            else if (c == u'⇪') Press({}, kVkCapsLock);
            else if (c == u'←' || c == u'⎋' || c == u'⌦' || c == u'✱') Press({}, c == u'←' ? 37 : c == u'⎋' ? 27 : c == u'⌦' ? 46 : 0xE5);
            else if (c == u'◉') ForgetTyped(state);  // a click: the capture event
            else if (c == u'⇄') platform.focus.window = 43;
            else if (c == u'‖') ResetChordState(state);  // the pause and the resume
            else ADD_FAILURE() << "no key for " << static_cast<int>(c);
        }
    }
    // What fired: the text with the typed case, the units to erase, the ending.
    std::u16string Fired() {
        std::u16string out;
        for (std::size_t i = 0; i < state.pendingCount; ++i) {
            const PendingText& p = state.pending[i];
            std::u16string text(table.At(static_cast<std::size_t>(p.item)).text.View());
            ApplyTextCase(text, static_cast<TextCase>(p.textCase));
            out += text + u"|" + static_cast<char16_t>(u'0' + p.erase) + u"|" + (p.ending ? std::u16string(1, p.ending) : u"");
        }
        return out;
    }
};

TEST_F(Abbreviations, FireAtAWordsEndInTheTypedCaseAndOnlyWhereTheUserTypes) {
    const struct Case {
        const char16_t* keys;
        const char16_t* fired;
        char where = 0;  // 'r' Russian layout, 'p' a password field, 'x' excluded, 'o' Vellory's own, 'z' paused
    } cases[] = {
        {u"x sig ", u"best regards|3| "}, {u"design ", u""}, {u"Sig.", u"Best regards|3|."},
        {u"SIG!", u"BEST REGARDS|3|!"}, {u"sIG,", u"best regards|3|,"}, {u"⇪sig⇪\r", u"BEST REGARDS|3|\r"},
        {u"sig\t", u"best regards|3|\t"}, {u"sig:", u"best regards|3|:"}, {u"sig↵", u""},
        {u"sigg\b ", u"best regards|3| "}, {u"sx\big ", u"best regards|3| "},
        {u"sig← ", u""}, {u"sig⎋ ", u""}, {u"sig⌦ ", u""}, {u"sig⌫ ", u""}, {u"si⌃g ", u""}, {u"si⊞g ", u""},
        {u"si⌥g ", u""}, {u"si✱g ", u""}, {u"si◉g ", u""}, {u"◉sig ", u"best regards|3| "}, {u"si⇄g ", u""},
        {u"si‖g ", u""},
        {u" ;adr", u"Address 1|3|"}, {u"x;adr", u""}, {u";ad", u""},  // at once, at a word's start
        {u" ;adrb ", u"Address 1|3|"}, {u"x ;adr.b ", u"Address 1|3|bee|1| "},  // after the text's end
        {u"a.b ", u"dotted|3| "}, {u"x.b ", u"bee|1| "}, {u"xb ", u""},      // the longest that starts a word
        {u"'e ", u"acute|1| "}, {u"€u ", u"euro|2| "},                        // a dead key, AltGr
        {u"ghbd ", u"Привет!|4| ", 'r'}, {u"GHBD ", u"ПРИВЕТ!|4| ", 'r'},
        {u"sig ", u"", 'p'}, {u"sig ", u"", 'x'}, {u"sig ", u"", 'o'}, {u"sig ", u"", 'z'},
    };
    textOutAtOnce = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.keys, c.keys + std::char_traits<char16_t>::length(c.keys)));
        Reset();
        state.engineActive = c.where != 'z';
        platform.focus.layout = c.where == 'r' ? 0x419 : 0x409;
        platform.focus.own = c.where == 'o';
        if (c.where == 'p') platform.passwords = {42};
        if (c.where == 'x') state.exclusions.Set(u"notepad.exe");
        Type(c.keys);
        EXPECT_EQ(Fired(), c.fired);
        if (c.where == 'p') EXPECT_EQ(state.abbreviations.typed.count + platform.passwordQueries, 1) << "asked once, kept out";
    }
}

TEST_F(Abbreviations, KeysTypedBehindTheTextWaitAndFollowItInOrder) {
    Type(u"si");
    Send('G');
    EXPECT_EQ(Send(0x20), 1) << "the ending key is swallowed";
    platform.calls.clear();
    EXPECT_EQ(Send('G', true), 7) << "a key-up whose key-down went on goes on";
    Type(u"Y");
    EXPECT_EQ(Send(0x20, true), 1);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"pass 71"})) << "Shift and Y wait";
    ReleaseHeldKeys(state, platform);  // the text is out
    EXPECT_EQ(platform.replayed, u"#\u00A0Y") << "Shift as the key, Y as the unit it typed";
    Type(u"z");  // while the first ones are on their way
    for (int i = 0; i < 4; ++i) Send(0, false, true);
    EXPECT_TRUE(state.abbreviations.held.releaseDue) << "then z, from the engine's window";
    ReleaseHeldKeys(state, platform);
    EXPECT_EQ(platform.replayed, u"#\u00A0Yz");
    for (int i = 0; i < 2; ++i) Send(0, false, true);
    EXPECT_FALSE(state.abbreviations.held.holding);
    EXPECT_EQ(Send('W'), 7);

    // The hook may see them come back before the injection returns: nothing stays held.
    platform.duringReplay = [this](std::size_t events) { while (events--) Send(0, false, true); };
    Type(u" sig v");
    ReleaseHeldKeys(state, platform);
    EXPECT_FALSE(state.abbreviations.held.holding);
    EXPECT_EQ(platform.replayed, u"#\u00A0Yzv");
    platform.duringReplay = nullptr;

    // A text that never goes out holds the keys no longer than the limit.
    state.pendingCount = 0;
    Type(u" sig ");
    Send('Q');
    now += kHoldLimitMs;
    EXPECT_EQ(Send('R'), 7);
    EXPECT_EQ(platform.replayed, u"#\u00A0Yzvq");
    EXPECT_FALSE(state.abbreviations.held.holding);
    // Nor is a chord held back: its modifier lets the held keys go, and goes on itself.
    state.pendingCount = 0;
    Type(u" sig ");
    Send('K');
    EXPECT_EQ(Send(kVkLeftWin), 7);
    EXPECT_EQ(platform.replayed, u"#\u00A0Yzvqk");
    EXPECT_FALSE(state.abbreviations.held.holding);
}

// Backspaces first (posted characters in the posting way, where injected keys would come after
// the posted text), then the text in the typed case, then the ending key; then the held keys go.
TEST_F(Abbreviations, TheTextReplacesTheAbbreviationInEachWay) {
    TextTypist typist;
    FakeDates dates;
    for (const std::int32_t way : {kTypeByMessages, kTypeByKeystrokes, kTypeByClipboard}) {
        SCOPED_TRACE(way);
        Reset();
        state.typeMode = way;
        Type(u"Sig\r");
        typist.TakePending(state, table);
        platform.calls.clear();
        TextTypist::Next next = typist.Step(platform, dates, now += 10);
        EXPECT_EQ(platform.posted.empty() && platform.injected.empty(), way != kTypeByKeystrokes)
            << "posted, the text gives the target a moment to read the abbreviation's keys first";
        if (way == kTypeByClipboard) {
            EXPECT_EQ(next.placeText, u"Best regards");
            typist.OnPlaced(true);
        }
        if (way != kTypeByKeystrokes) next = typist.Step(platform, dates, now += TextTypist::kSettleMs);
        EXPECT_TRUE(next.releaseHeld);
        if (way == kTypeByMessages) {
            EXPECT_EQ(platform.posted, u"\b\b\bBest regards");
            EXPECT_EQ(platform.calls.back(), "key 42 13 up");
        }
        if (way == kTypeByKeystrokes) EXPECT_EQ(platform.injected, u"\b\b\bBest regards\r");
        if (way == kTypeByClipboard) EXPECT_EQ(platform.injected, std::u16string(u"\b\b\b\0\0\r", 6));
    }
}

}  // namespace

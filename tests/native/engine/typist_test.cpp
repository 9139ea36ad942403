#include <gtest/gtest.h>

#include <algorithm>

#include "engine/insert_way.h"
#include "engine/paste_course.h"
#include "engine/typist.h"
#include "fake_platform.h"

using Calls = std::vector<std::string>;

namespace {

TEST(Placeholders, ExpandOverAFakeDateTimeAndClipboard) {
    const std::u16string pair = u"\U0001F600";  // one character, two units
    struct Case { std::u16string text, clipboard, typed; bool cursor; std::size_t steps; bool known; };
    const Case cases[] = {
        {u"Дата: {дата}", u"", u"Дата: 09.12.2026", false, 0, true},
        {u"{дата:d MMMM yyyy} г.", u"", u"9 декабря 2026 г.", false, 0, true},
        {u"{время}|{время:HH:mm:ss}", u"", u"14:05|14:05:33", false, 0, true},
        {u"{дата:dd!}", u"", u"{дата:dd!}", false, 0, true},                // refused picture
        {u"{дата:}{дата", u"", u"{дата:}{дата", false, 0, false},            // no picture, no brace
        {u"{{дата}} {{буфер}} {{foo}}", u"x", u"{дата} {буфер} {{foo}}", false, 0, true},
        {u"{foo} { } {", u"", u"{foo} { } {", false, 0, false},
        {u"[{буфер}]", u"a{дата}\r\nb", u"[a{дата}\r\nb]", false, 0, true},   // typed literally
        {u"«{курсор}»", u"", u"«»", true, 1, true},
        {u"{курсор}a{курсор}b", u"", u"ab", true, 2, true},                   // only the first mark
        {u"x{курсор}" + pair + u"\r\ny\nz", u"", u"x" + pair + u"\r\ny\nz", true, 5, true},
        {pair + u"{курсор}\r\n", u"", pair + u"\r\n", true, 1, true},
        {u"{буфер}{курсор}!", u"", u"!", true, 1, true},
    };
    FakeDates dates;
    for (const Case& c : cases) {
        const Expansion e = ExpandPlaceholders(c.text, dates, c.clipboard);
        EXPECT_EQ(e.text, c.typed) << (&c - cases);
        EXPECT_EQ(e.hasCursor, c.cursor) << (&c - cases);
        EXPECT_EQ(e.cursorSteps, c.steps) << (&c - cases);
        EXPECT_EQ(HasPlaceholders(c.text), c.known) << (&c - cases);
    }
}

struct Typing : ::testing::Test {
    HotkeyTable table;
    EngineState state;
    FakePlatform platform;
    FakeDates dates;
    TextTypist typist;
    std::uint32_t vk = 0;
    std::uint32_t now = 0;

    void SetUp() override {
        state.engineActive = true;
        platform.held = {kVkLeftWin};
    }
    HookResult Send(std::uint32_t key, std::uint32_t message = kMsgKeyDown) {
        vk = key;
        KeyEvent e;
        e.message = message;
        e.virtualKey = &vk;
        const HookResult result = keyboardHookProc(e, state, table, platform);
        // What the engine's window does with the hook's request.
        if (!platform.calls.empty() && platform.calls.back() == "schedule") typist.TakePending(state, table);
        return result;
    }
    bool Tick(std::uint32_t ms = 10) {
        now += ms;
        const bool more = typist.Step(platform, dates, now).tick;
        state.typingBusy = typist.Busy();
        return more;
    }
};

TEST_F(Typing, ALongTextArrivesWholeAndInOrderAsTheTargetDrains) {
    std::u16string longText;
    for (int i = 0; i < 50; ++i) longText += static_cast<char16_t>(u'A' + i % 26);
    table.Append('1', kModifierNone, WideString(std::u16string_view(longText)));
    table.Append('2', kModifierNone, u"-next-");
    platform.queueRoom = 20;
    EXPECT_EQ(Send('1'), 1) << "swallowed and masked as today";
    EXPECT_TRUE(state.maskWinRelease);
    EXPECT_EQ(platform.posted, longText.substr(0, 20));
    EXPECT_TRUE(Tick()) << "the target still refuses";
    // A chord while the rest waits queues behind it, so the texts keep their order.
    EXPECT_EQ(Send('2'), 1);
    for (int i = 0; i < 10 && platform.posted.size() < 56; ++i) {
        platform.queueRoom = 7;
        Tick();
    }
    EXPECT_EQ(platform.posted, longText + u"-next-");
    EXPECT_FALSE(Tick());
    EXPECT_FALSE(state.typingBusy);

    // A target that never drains: the rest is dropped after the time-out, and Vellory goes on.
    platform.posted.clear();
    platform.queueRoom = 3;
    Send('1');
    EXPECT_TRUE(Tick());
    EXPECT_TRUE(Tick(TextTypist::kGiveUpMs));
    EXPECT_FALSE(Tick(1));
    EXPECT_EQ(platform.posted, longText.substr(0, 3));
    // A pause drops what is still queued.
    platform.queueRoom = 1;
    Send('1');
    EXPECT_TRUE(Tick());
    typist.Clear();
    EXPECT_FALSE(Tick());
    EXPECT_FALSE(typist.Busy());
}

TEST_F(Typing, TheCursorMarkWaitsForEveryModifierAndStepsBack) {
    table.Append('9', kModifierShift, u"«{курсор}» {время}");
    // In front, the steps are injected behind the releases; behind Vellory's own window they
    // are posted, a moment after the releases.
    for (const bool inFront : {true, false}) {
        platform.foreground = inFront ? ForegroundFacts{42, false, false, 42, false} : ForegroundFacts{77, true, false, 77, true};
        state.focusWindow = 42;
        platform.held = {kVkLeftWin, kVkShift};
        platform.posted.clear();
        platform.calls.clear();
        EXPECT_EQ(Send('9'), 1);
        for (const std::set<std::uint32_t>& held : {std::set<std::uint32_t>{kVkLeftWin, kVkShift}, {kVkShift}}) {
            platform.held = held;
            EXPECT_TRUE(Tick());
            EXPECT_TRUE(platform.posted.empty()) << "a Left step with Shift held would select";
        }
        platform.held = {};
        EXPECT_EQ(Tick(), !inFront) << "a posted step waits for the target to read the releases";
        EXPECT_FALSE(Tick(TextTypist::kSettleMs));
        EXPECT_EQ(platform.posted, u"«» 14:05");
        EXPECT_EQ(std::exchange(platform.injected, u""), inFront ? u"<<<<<<<" : u"");
        EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "key 42 37 up"), inFront ? 0 : 7);
    }
}

TEST_F(Typing, KeystrokesWaitUntilEveryModifierIsUp) {
    table.Append('3', kModifierCtrl, u"a\nb");
    state.typeMode = kTypeByKeystrokes;
    // What is still held at each tick after the Win release: nothing goes out before all are up.
    using Held = std::set<std::uint32_t>;
    const std::vector<Held> cases[] = {
        {{kVkControl}}, {{kVkLeftWin}}, {{kVkShift}}, {{kVkAlt}}, {{kVkRightWin}, {kVkRightWin, kVkControl}, {kVkControl}}, {},
    };
    for (const std::vector<Held>& ticks : cases) {
        platform.held = {kVkLeftWin, kVkControl};
        EXPECT_EQ(Send('3'), 1);
        Send(kVkLeftWin, kMsgKeyUp);
        for (const Held& held : ticks) {
            platform.held = held;
            EXPECT_TRUE(Tick());
            EXPECT_EQ(platform.injected, u"") << "typed with " << *held.begin() << " held";
        }
        platform.held = {};
        EXPECT_FALSE(Tick());
        EXPECT_EQ(std::exchange(platform.injected, u""), u"a\rb");
    }
}

TEST_F(Typing, ACutOffSendInputLosesNothingAndTypesNothingTwice) {
    std::u16string text;
    for (int i = 0; i < 70; ++i) text += static_cast<char16_t>(u'a' + i % 26);
    table.Append('1', kModifierNone, WideString(std::u16string_view(text + u"{курсор}!")));
    state.typeMode = kTypeByKeystrokes;
    struct Case { std::vector<std::size_t> answers; std::size_t calls, typed; };
    const Case cases[] = {
        {{}, 2, 72},           // 64 units, then 7 units and the Left step
        {{5, 1, 200}, 4, 72},  // cut off twice, once inside a unit: the rest at the next ticks
        {{128, 3, 0}, 3, 66},  // nothing taken: input is blocked, the rest is dropped
        {{0}, 1, 0},
    };
    for (const Case& c : cases) {
        platform.sendAnswers = c.answers;
        platform.held = {kVkLeftWin};
        EXPECT_EQ(Send('1'), 1);
        platform.held = {};
        Send(kVkLeftWin, kMsgKeyUp);
        platform.calls.clear();
        for (int i = 0; i < 10 && Tick(); ++i) {}
        EXPECT_FALSE(typist.Busy());
        EXPECT_EQ(std::count_if(platform.calls.begin(), platform.calls.end(),
                                [](const std::string& call) { return call.rfind("send", 0) == 0; }), c.calls);
        EXPECT_EQ(std::exchange(platform.injected, u""), (text + u"!<").substr(0, c.typed)) << (&c - cases);
    }
}

TEST_F(Typing, TheClipboardIsWaitedForBriefly) {
    table.Append('1', kModifierNone, u"[{буфер}]");
    Send('1');
    TextTypist::Next next = typist.Step(platform, dates, now);
    ASSERT_TRUE(next.fetchClipboard);
    typist.FetchStarted();
    typist.OnClipboard(true, u"");  // held open by another program: asked again
    EXPECT_TRUE(typist.Step(platform, dates, now += 10).fetchClipboard);
    typist.FetchStarted();
    typist.OnClipboard(false, u"{дата}");
    Tick();
    EXPECT_EQ(platform.posted, u"[{дата}]");

    // A reader that never answers: after the wait the text is typed without it.
    platform.posted.clear();
    Send('1');
    ASSERT_TRUE(typist.Step(platform, dates, now).fetchClipboard);
    typist.FetchStarted();
    EXPECT_FALSE(typist.Step(platform, dates, now + 50).fetchClipboard) << "one reader at a time";
    EXPECT_TRUE(platform.posted.empty());
    Tick(TextTypist::kClipboardWaitMs + 1);
    EXPECT_EQ(platform.posted, u"[]");
}

// The clipboard way: once the modifiers are up the text goes to the clipboard's thread with its
// line breaks as CR LF, then the paste keys and the cursor's steps; a clipboard that cannot be
// had types the text as keystrokes. The program lists and the long-text rule choose the way.
TEST_F(Typing, PastesThroughTheClipboardOrTypesTheTextWhenItCannot) {
    table.Append('1', kModifierNone, u"a\nb{курсор}c").way = kTypeByClipboard;
    Send('1');
    EXPECT_FALSE(typist.Step(platform, dates, now += 10).place) << "Win is still down";
    platform.held = {};
    TextTypist::Next next = typist.Step(platform, dates, now += 10);
    ASSERT_TRUE(next.place);
    EXPECT_EQ(next.placeText, u"a\r\nbc");
    platform.calls.clear();
    typist.OnPlaced(true);
    next = typist.Step(platform, dates, now += 10);
    EXPECT_TRUE(next.pasted);
    EXPECT_EQ(platform.calls, (Calls{"send 6/6", "inject 162 down", "inject 86 down", "inject 86 up", "inject 162 up",
                                     "inject 37 down", "inject 37 up"}));
    EXPECT_FALSE(typist.Busy());
    platform.injected.clear();

    // Which chords go that way: the keystroke list before the clipboard list, then long texts
    // (strictly longer than the number, placeholders filled in first), then the general way.
    state.pasteLongerThan = 5;
    state.clipboardPrograms.Set(u"note*.exe");
    table.Append('2', kModifierNone, u"12345");
    table.Append('3', kModifierNone, u"{дата}");  // 10 units once filled in
    const struct { std::uint32_t key; const char16_t* keystrokeList; bool pasted; } chords[] = {
        {'2', u"", true}, {'2', u"notepad.exe", false}, {'3', u"", true}};
    for (const auto& c : chords) {
        state.keystrokePrograms.Set(c.keystrokeList);
        platform.held = {kVkLeftWin};
        Send(c.key);
        Send(kVkLeftWin, kMsgKeyUp);
        typist.TakePending(state, table);
        platform.held = {};
        platform.calls.clear();
        EXPECT_EQ(typist.Step(platform, dates, now += 10).place, c.pasted) << c.key;
        typist.OnPlaced(false);  // held open by another program: typed instead, never lost
        Tick();
        EXPECT_EQ(std::exchange(platform.injected, u""), c.key == '2' ? u"12345" : u"09.12.2026") << c.key;
        EXPECT_FALSE(typist.Busy());
    }
    state.clipboardPrograms.Set(u"");
    platform.posted.clear();
    platform.held = {kVkLeftWin};
    Send('2');
    EXPECT_EQ(platform.posted, u"12345") << "at the limit: not long, posted from the hook";
}

// A burst in one hold of Win: every chord is swallowed and every text typed, in order, in each
// way; chords beyond what the queue holds are swallowed too, their texts dropped.
TEST_F(Typing, ABurstInOneHoldSwallowsEveryChordAndTypesEveryTextInOrder) {
    for (char16_t digit = u'0'; digit <= u'9'; ++digit) table.Append(digit, kModifierNone, WideString(std::u16string{digit, u';'}));
    for (const std::int32_t way : {kTypeByKeystrokes, kTypeByClipboard}) {
        state.typeMode = way;
        std::u16string wanted, typed;
        for (int i = 0; i < 70; ++i) {
            platform.held = {kVkLeftWin};
            const auto digit = static_cast<std::uint32_t>(u'0' + (i * 7) % 10);
            EXPECT_EQ(Send(digit), 1) << "chord " << i << " passed on";
            Send(digit, kMsgKeyUp);
            if (i < static_cast<int>(state.pending.size())) wanted += std::u16string{static_cast<char16_t>(digit), u';'};
        }
        platform.held = {};
        Send(kVkLeftWin, kMsgKeyUp);
        typist.TakePending(state, table);
        for (int i = 0; i < 1000 && typist.Busy(); ++i) {
            const TextTypist::Next next = typist.Step(platform, dates, now += 10);
            if (next.place) typed += next.placeText;
            if (next.place) typist.OnPlaced(true);
        }
        EXPECT_EQ(way == kTypeByClipboard ? typed : platform.injected, wanted);
        platform.injected.clear();
        EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "pass 48"), 0);
    }
}

// Injected keys go to whatever has the keyboard: a click into another program before the keys
// went out drops the rest of the text (keystrokes, the paste keys), and a text placed on the
// clipboard but never pasted is given back at once.
TEST_F(Typing, KeysAreSentOnlyWhileTheChordsWindowIsInFront) {
    std::u16string text(100, u'x');
    table.Append('1', kModifierNone, WideString(std::u16string_view(text)));
    table.Append('2', kModifierNone, u"вставка").way = kTypeByClipboard;
    state.typeMode = kTypeByKeystrokes;
    const struct { std::uint32_t key; int behindAfterTicks; std::size_t typed; bool withdraw; } cases[] = {
        {'1', 0, 0, false}, {'1', 1, TextTypist::kBatchUnits, false}, {'2', 0, 0, true}};
    for (const auto& c : cases) {
        platform.held = {kVkLeftWin};
        Send(c.key);
        platform.held = {};
        Send(kVkLeftWin, kMsgKeyUp);
        typist.TakePending(state, table);
        bool withdraw = false, pasted = false;
        for (int i = 0; i < 20 && typist.Busy(); ++i) {
            if (i == c.behindAfterTicks) platform.behind = {42};
            const TextTypist::Next next = typist.Step(platform, dates, now += 10);
            if (next.place) typist.OnPlaced(true);
            withdraw = withdraw || next.withdraw;
            pasted = pasted || next.pasted;
        }
        EXPECT_FALSE(typist.Busy());
        EXPECT_EQ(std::exchange(platform.injected, u"").size(), c.typed) << c.key;
        EXPECT_EQ(withdraw, c.withdraw) << c.key;
        EXPECT_FALSE(pasted) << c.key;
        platform.behind.clear();
    }
}

}  // namespace

// When the user's content goes back, and when the next text may take our text's place: only the
// target's own request counts as its paste, and another program's reader gets nothing meanwhile.
TEST(PasteCourse, TheTargetsReadDecidesTheRestoreAndTheHandOver) {
    using R = ClipboardReader;
    constexpr std::uint32_t kCap = PasteCourse::kRenderCapMs;
    const struct {
        std::vector<R> readers;  // render requests, right after the paste keys
        bool withdrawn;
        std::uint32_t at;        // ms after the paste keys
        bool restore, handOn;
        bool given;              // the last reader got the text
    } cases[] = {
        {{}, false, 499, false, false, true},
        {{}, false, 500 + kCap - 1, false, false, true},
        {{}, false, 500 + kCap, true, true, true},               // never read: back after the cap
        {{R::Target}, false, 10, false, true, true},             // read: the next text may follow
        {{R::Target}, false, 500, true, true, true},             // ... and the content goes back
        {{R::Other}, false, 2000, false, false, false},          // a history tool's read is no paste
        {{R::Other, R::Target}, false, 500, true, true, true},
        {{R::Unnamed}, false, 500, true, true, true},
        {{}, true, 0, true, true, true},                          // given up on: back at once
    };
    for (const auto& c : cases) {
        PasteCourse course;
        course.Placed(1000);
        course.Pasted(1100, 500);
        bool given = true;
        for (R reader : c.readers) given = course.Render(reader);
        if (c.withdrawn) course.Withdrawn();
        EXPECT_EQ(course.RestoreDue(1100 + c.at), c.restore) << (&c - cases);
        EXPECT_EQ(course.MayHandOn(1100 + c.at), c.handOn) << (&c - cases);
        EXPECT_EQ(given, c.given) << (&c - cases);
    }
    // Placed, but the paste keys never come: it goes back all the same.
    PasteCourse course;
    course.Placed(0);
    EXPECT_FALSE(course.RestoreDue(PasteCourse::kUnpastedMs - 1));
    EXPECT_FALSE(course.MayHandOn(10));
    EXPECT_TRUE(course.RestoreDue(PasteCourse::kUnpastedMs));
    course.Restored();
    EXPECT_TRUE(course.Render(R::Other)) << "nothing of ours is awaited";
}

// The first rule that applies decides the way: the item's own, the keystroke list, the
// clipboard list, the long-text rule (strictly longer than its number), the general choice.
TEST(InsertWay, FirstRuleThatAppliesDecides) {
    constexpr std::int32_t kAs = kWayAsSettings, kMsg = kTypeByMessages, kKeys = kTypeByKeystrokes,
                           kClip = kTypeByClipboard;
    const struct {
        WayRules rules;
        std::size_t length;
        std::int32_t way;
        bool lengthDecides;
    } cases[] = {
        {{kMsg, true, true, 10, kClip}, 500, kMsg, false},    // the item's own way first
        {{kAs, true, true, 10, kMsg}, 500, kKeys, false},     // then the keystroke list
        {{kAs, false, true, 0, kKeys}, 5, kClip, false},      // then the clipboard list
        {{kAs, false, false, 200, kKeys}, 201, kClip, true},  // a long text
        {{kAs, false, false, 200, kKeys}, 200, kKeys, true},  // at the limit: not long
        {{kAs, false, false, 200, kMsg}, 199, kMsg, true},
        {{kAs, false, false, 0, kMsg}, 100000, kMsg, true},   // the rule off
        {{kAs, false, false, 0, kClip}, 1, kClip, true},      // the general choice
        {{7, false, false, 0, 9}, 1, kMsg, true},             // unknown values: as settings, posted
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseWay(c.rules, c.length), c.way) << c.rules.itemWay << " " << c.length;
        EXPECT_EQ(LengthDecides(c.rules), c.lengthDecides) << c.rules.itemWay << " " << c.length;
    }
}

#include "engine/abbreviations.h"

#include "toolkit/case_fold.h"

namespace {

enum : std::uint8_t {
    kVkEscape = 0x1B,
    kVkPrior = 0x21,  // Page Up; then Page Down, End, Home and the four arrows up to 0x28
    kVkDown = 0x28,
    kVkDelete = 0x2E,
    kVkNumLock = 0x90,
    kVkScroll = 0x91,
    kVkProcessKey = 0xE5,  // an input method is at work: what it types is not the key's
    kVkPacket = 0xE7,      // a unit injected as such: the scan code is the unit
};

// Keys that type nothing themselves and change nothing of what was typed.
bool IsModifierKey(std::uint8_t key) {
    switch (key) {
        case kVkShift: case kVkControl: case kVkAlt: case kVkLeftShift: case kVkRightShift:
        case kVkLeftControl: case kVkRightControl: case kVkLeftAlt: case kVkRightAlt:
        case kVkLeftWin: case kVkRightWin: case kVkCapsLock: case kVkNumLock: case kVkScroll:
        case kVkMaskKey:
            return true;
        default:
            return false;
    }
}

// Keys that move the caret or drop what was typed, so the units before it are no longer known.
bool IsClearingKey(std::uint8_t key) {
    return key == kVkEscape || (key >= kVkPrior && key <= kVkDown) || key == kVkDelete || key == kVkProcessKey;
}

bool IsUpperLetter(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') || (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7) ||
           (unit >= 0x0400 && unit <= 0x042F);
}
bool IsLowerLetter(char16_t unit) { return UpcaseUnit(unit) != unit; }

struct Typed {
    bool fired = false;
    int count = 0;  // units the key typed; 0 for none, or when they were not looked at
    char16_t units[4] = {};
};

void StartHolding(EngineState& state) {
    HeldKeys& held = state.abbreviations.held;
    held.holding = true;
    held.count = 0;
    held.inFlight = 0;
    held.since = state.lastEventTime;
}

// Fires the longest abbreviation of the kind that ends the typed units and starts a word.
bool Fire(bool immediate, char16_t ending, EngineState& state, const HotkeyTable& table, KeyPlatform& platform) {
    TypedUnits& typed = state.abbreviations.typed;
    if (typed.count == 0 || !table.MayEndIn(UpcaseUnit(typed.units[typed.count - 1]), immediate)) return false;
    // Only the units since the last space can be an abbreviation, read from the last one back.
    char16_t reversed[TypedUnits::kCapacity];
    std::size_t reach = 0;
    for (; reach < typed.count && !IsSpaceUnit(typed.units[typed.count - 1 - reach]); ++reach)
        reversed[reach] = UpcaseUnit(typed.units[typed.count - 1 - reach]);
    for (std::size_t length = reach; length != 0; --length) {
        const bool startsWord = length == typed.count ? typed.whole : IsWordBoundary(typed.units[typed.count - length - 1]);
        if (!startsWord || !table.HasTypedLength(length, immediate)) continue;
        const std::int32_t item = table.FindTyped(std::u16string_view(reversed, length), immediate);
        if (item < 0) continue;
        PendingText typing;
        // An immediate abbreviation's last key is swallowed: it never reached the window.
        typing.erase = static_cast<std::uint8_t>(immediate ? length - 1 : length);
        typing.ending = ending;
        typing.textCase = static_cast<std::uint8_t>(
            CaseOfTyped(std::u16string_view(typed.units.data() + (typed.count - length), length)));
        if (!QueueAbbreviation(item, typing, state, table, platform)) return false;
        StartHolding(state);
        // What stands before the caret now ends in the ending, or in the text's last unit.
        const std::u16string_view text = table.At(static_cast<std::size_t>(item)).text.View();
        typed.Clear();
        typed.whole = IsWordBoundary(ending != 0 ? ending : text.back());
        return true;
    }
    return false;
}

// Follows one key-down in what was typed; with a table, an abbreviation it ends or completes fires.
Typed TypeKey(std::uint8_t key, const KeyEvent& event, const HotkeyTable* table, EngineState& state,
              KeyPlatform& platform) {
    const bool mayFire = table != nullptr;
    Typed result;
    AbbreviationState& abbreviations = state.abbreviations;
    TypedUnits& typed = abbreviations.typed;
    if (IsModifierKey(key)) return result;
    const bool shift = ModifierHeld(state, kVkShift);
    const bool ctrl = ModifierHeld(state, kVkControl);
    const bool alt = ModifierHeld(state, kVkAlt);
    const bool win = ModifierHeld(state, kVkLeftWin) || ModifierHeld(state, kVkRightWin);
    // Win, Ctrl without Alt and Alt without Ctrl make shortcuts; Ctrl and Alt together are AltGr.
    if (win || ctrl != alt || IsClearingKey(key)) {
        typed.Clear();
        return result;
    }
    const TypingFocus focus = platform.typingFocus();
    if (focus.window != typed.window) {
        typed.Clear();
        typed.window = focus.window;
        typed.password = focus.window != 0 && !focus.own && platform.passwordField(focus.window);
    }
    // Passwords never enter; nor does what is typed into Vellory's own windows.
    if (focus.window == 0 || focus.own || typed.password) {
        typed.Clear();
        return result;
    }
    if (key == kVkBack) {
        if (ctrl) typed.Clear(); else typed.Pop();
        return result;
    }
    if (key == kVkReturn || key == kVkTab) {
        result.count = 1;
        result.units[0] = key == kVkTab ? u'\t' : u'\r';
        // Shift+Enter and Shift+Tab mean something else than the key alone would after the text.
        if (!mayFire || shift || ctrl || !Fire(false, result.units[0], state, *table, platform)) typed.Clear();
        else result.fired = true;
        return result;
    }
    if (key == kVkPacket) {
        result.count = 1;
        result.units[0] = static_cast<char16_t>(event.scanCode);
    } else {
        result.count = platform.typedUnits(event, TypedKeyState{shift, ctrl, alt, abbreviations.capsLock},
                                           focus.layout, result.units);
    }
    if (result.count == kDeadKey) {
        result.count = 0;
        return result;
    }
    if (result.count <= 0) {
        // A key that types nothing with AltGr held was a shortcut after all.
        if (result.count == kUnitsUnknown || ctrl) typed.Clear();
        result.count = 0;
        return result;
    }
    if (mayFire && result.count == 1 && IsEndingUnit(result.units[0]) && Fire(false, result.units[0], state, *table, platform)) {
        result.fired = true;
        return result;
    }
    for (int k = 0; k < result.count; ++k) typed.Push(result.units[k]);
    // One key, one unit: a key that also typed a dead key's accent leaves it in the window.
    if (mayFire && result.count == 1 && Fire(true, 0, state, *table, platform)) result.fired = true;
    return result;
}

}  // namespace

bool OnTypedKeyDown(std::uint8_t key, const KeyEvent& event, EngineState& state, const HotkeyTable& table,
                    KeyPlatform& platform) {
    return TypeKey(key, event, &table, state, platform).fired;
}

DownFate HoldKey(std::uint8_t key, const KeyEvent& event, bool release, EngineState& state, KeyPlatform& platform) {
    HeldKeys& held = state.abbreviations.held;
    if (!held.holding) return DownFate::None;
    // Held too long: the text has not gone out, and the keyboard must not stay dead.
    if (event.time - held.since > kHoldLimitMs) {
        StopHolding(state, platform);
        return DownFate::None;
    }
    if (held.inFlight != 0 && event.time - held.flightSince > kFlightLimitMs) {
        held.inFlight = 0;
        held.releaseDue = true;
        platform.scheduleTyping();
    }
    // Key-downs leave room for the key-ups of those already held.
    if (held.count >= held.keys.size() - (release ? 0 : 8)) return DownFate::None;
    HeldKey& entry = held.keys[held.count++];
    entry = HeldKey{};
    entry.virtualKey = key;
    entry.scanCode = event.scanCode;
    entry.extended = event.extended;
    entry.release = release;
    if (release) return DownFate::Held;
    // What is typed meanwhile is followed as always, but fires nothing: it goes out after the text.
    const Typed typed = TypeKey(key, event, nullptr, state, platform);
    // A key that typed printable units goes again as them; control keys go as the keys they are.
    const bool printable = typed.count >= 1 && typed.count <= 2 && typed.units[0] >= 0x20 &&
                           (typed.count == 1 || typed.units[1] >= 0x20);
    if (!printable) return DownFate::Held;
    entry.unitCount = static_cast<std::uint8_t>(typed.count);
    for (std::uint8_t k = 0; k < entry.unitCount; ++k) entry.units[k] = typed.units[k];
    return DownFate::Eaten;
}

void ReleaseHeldKeys(EngineState& state, KeyPlatform& platform) {
    HeldKeys& held = state.abbreviations.held;
    if (!held.holding || held.inFlight != 0) return;
    held.releaseDue = false;
    if (held.count == 0) {
        held.holding = false;
        return;
    }
    // The hook may see the keys, and hold new ones, before the injection returns (Wine calls
    // it from inside SendInput): they leave the list, and are counted, before they go.
    HeldKey keys[HeldKeys::kCapacity];
    const std::size_t count = held.count;
    std::size_t events = 0;
    for (std::size_t i = 0; i < count; ++i) {
        keys[i] = held.keys[i];
        events += keys[i].unitCount != 0 ? 2u * keys[i].unitCount : 1u;
    }
    held.count = 0;
    held.inFlight = events;
    held.flightSince = state.lastEventTime;
    const std::size_t missing = events - platform.replayKeys(keys, count);
    // Input blocked (a locked desktop): what did not go could not go anywhere the user would want.
    if (missing == 0 || !held.holding) return;
    held.inFlight = held.inFlight > missing ? held.inFlight - missing : 0;
    if (held.inFlight == 0 && held.count == 0) held.holding = false;
}

void StopHolding(EngineState& state, KeyPlatform& platform) {
    HeldKeys& held = state.abbreviations.held;
    if (!held.holding) return;
    held.inFlight = 0;
    ReleaseHeldKeys(state, platform);
    held = HeldKeys{};
}

void OnReplayedKey(EngineState& state, KeyPlatform& platform) {
    HeldKeys& held = state.abbreviations.held;
    if (!held.holding || held.inFlight == 0 || --held.inFlight != 0) return;
    if (held.count == 0) {
        held.holding = false;
        return;
    }
    // Keys held while these were on their way follow them, from the engine's window.
    held.releaseDue = true;
    platform.scheduleTyping();
}

void ForgetTyped(EngineState& state) {
    state.abbreviations.typed.Clear();
    state.abbreviations.typed.window = 0;  // asked afresh at the next key, password field and all
}

TextCase CaseOfTyped(std::u16string_view typed) {
    std::size_t letters = 0, capitals = 0;
    bool firstCapital = false;
    for (const char16_t unit : typed) {
        const bool capital = IsUpperLetter(unit);
        if (!capital && !IsLowerLetter(unit)) continue;
        if (letters++ == 0) firstCapital = capital;
        if (capital) ++capitals;
    }
    if (letters >= 2 && capitals == letters) return TextCase::Capitals;
    return firstCapital ? TextCase::FirstCapital : TextCase::AsStored;
}

void ApplyTextCase(std::u16string& text, TextCase textCase) {
    for (char16_t& unit : text) {
        if (textCase == TextCase::AsStored) return;
        if (textCase == TextCase::FirstCapital && (IsUpperLetter(unit) || IsLowerLetter(unit))) {
            unit = UpcaseUnit(unit);
            return;
        }
        if (textCase == TextCase::Capitals) unit = UpcaseUnit(unit);
    }
}

bool IsWordBoundary(char16_t unit) {
    if (unit < 0x80) {
        const bool letterOrDigit = (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'z') ||
                                   (unit >= u'A' && unit <= u'Z') || unit == u'_';
        return !letterOrDigit;
    }
    switch (unit) {
        case 0xA0: case 0xA1: case 0xAB: case 0xBB: case 0xBF:  // no-break space, ¡ « » ¿
        case 0x2013: case 0x2014: case 0x2018: case 0x201C: case 0x201D: case 0x201E: case 0x2026:
            return true;
        default:
            return false;
    }
}

bool IsEndingUnit(char16_t unit) {
    switch (unit) {
        case u' ': case u'\r': case u'\t': case u'.': case u',': case u'!': case u'?': case u';': case u':': case u')':
            return true;
        default:
            return false;
    }
}

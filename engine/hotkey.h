#pragma once
// The hotkey table and the decision taken for every key event of the desktop.
// Pure logic over the KeyPlatform interface below; engine/win32 maps it to Windows.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/abbreviation_state.h"
#include "engine/exclusions.h"
#include "toolkit/wide_string.h"

using WindowId = std::uintptr_t;  // a window handle; 0 is none
using HookResult = std::intptr_t;

enum : std::int32_t { kModifierNone = 0, kModifierShift = 16, kModifierCtrl = 17 };

// The main modifier ("HotKey2"): the left Win key, or Alt for any other value; 1 is what the
// settings store for Alt, and only a hand-edited value gives another.
enum : std::int32_t { kModifierModeWin = 0, kModifierModeAlt = 1 };

enum : std::uint32_t {
    kVkShift = 16,
    kVkControl = 17,
    kVkAlt = 18,
    kVkBack = 8,
    kVkTab = 9,
    kVkReturn = 13,
    kVkLeft = 37,
    kVkLeftWin = 91,
    kVkRightWin = 92,
    kVkLeftShift = 160,
    kVkRightShift = 161,
    kVkLeftControl = 162,
    kVkInsert = 45,
    kVkRightControl = 163,
    kVkLeftAlt = 164,  // a low-level hook sees Alt as its left or right key, never as 18
    kVkRightAlt = 165,
    kVkCapsLock = 20,
    kVkMaskKey = 0xE8,  // unassigned: pressing it changes nothing but breaks a lone modifier press
};

enum : std::uint32_t {
    kMsgKeyDown = 256,
    kMsgKeyUp = 257,
    kMsgSysKeyDown = 260,
    kMsgSysKeyUp = 261,
};

constexpr std::uint16_t kRussianLanguage = 1049;

// The extra information of every key Vellory injects: its own hook lets them through undecided.
constexpr std::uintptr_t kOwnInputMark = 0x56454C59;
// ... and of the user's keys held back behind an abbreviation's text and injected again.
constexpr std::uintptr_t kReplayMark = 0x56454C5A;

// How a text reaches the target: "TypeMode" 0 posts characters to the focus window, 1 types
// keystrokes into whatever has the keyboard focus, for programs that ignore posted characters,
// 2 pastes it through the clipboard. An item may have a way of its own; -1 follows the settings.
enum : std::int32_t { kWayAsSettings = -1, kTypeByMessages = 0, kTypeByKeystrokes = 1, kTypeByClipboard = 2 };

struct HotkeyItem {
    std::uint16_t keyCode = 0;
    WideString text = WideString(u"");
    std::int32_t extraModifier = kModifierNone;
    std::int32_t way = kWayAsSettings;
    // An item reached by typing this abbreviation instead of a chord; null for a chord's item.
    // Such an item has key code 0 and is in no chord index.
    WideString abbreviation;
    // Fires as the abbreviation's last unit is typed, with no ending character ("сразу").
    // Set it through HotkeyTable::SetImmediate, which keeps the hook's index true.
    bool immediate = false;
    bool IsAbbreviation() const { return !abbreviation.IsNull(); }
};

// An abbreviation is 1 to this many UTF-16 units, without spaces or line breaks.
constexpr std::size_t kMaxAbbreviation = 32;

static_assert(TypedUnits::kCapacity == kMaxAbbreviation, "the typed units hold the longest abbreviation");

// Ordered items with a per-key index, so the hook finds the first match for a key and
// Ctrl/Shift state without scanning: the index gives exactly what a scan in table order gives.
class HotkeyTable {
public:
    HotkeyTable() { index_.fill(kNone); }
    HotkeyTable(const HotkeyTable&) = delete;
    HotkeyTable& operator=(const HotkeyTable&) = delete;

    HotkeyItem& Append(std::uint16_t keyCode, std::int32_t extraModifier, WideString text);
    HotkeyItem& AppendAbbreviation(WideString abbreviation, WideString text);
    // Changing a chord or an abbreviation, or removing an item, keeps the indexes true; a text
    // changes in place. A chord set on an abbreviation's item makes it a chord's, and back.
    void SetChord(std::size_t i, std::uint16_t keyCode, std::int32_t extraModifier);
    void SetAbbreviation(std::size_t i, WideString abbreviation);
    void SetImmediate(std::size_t i, bool immediate);
    void Remove(std::size_t i);
    // The first item other than `except` with this key and Ctrl/Shift class, or -1: the chord
    // that a new or changed item would duplicate, and so never type.
    std::int32_t FindChord(std::uint16_t keyCode, std::int32_t extraModifier, std::int32_t except = -1) const;
    // The first item other than `except` with this abbreviation, ignoring case, or -1.
    std::int32_t FindAbbreviation(std::u16string_view abbreviation, std::int32_t except = -1) const;
    std::size_t Count() const { return items_.size(); }
    HotkeyItem& At(std::size_t i) { return *items_[i]; }
    const HotkeyItem& At(std::size_t i) const { return *items_[i]; }

    // Index into the table of the first item for this key and modifier class, or -1.
    // Class 0 = neither Ctrl nor Shift, 1 = Shift only, 2 = Ctrl only.
    std::int32_t FirstFor(std::uint8_t key, int modifierClass) const {
        return index_[key * 3u + static_cast<unsigned>(modifierClass)];
    }
    bool HasKey(std::uint8_t key) const {
        const std::int32_t* slot = &index_[key * 3u];
        return (slot[0] & slot[1] & slot[2]) != kNone;
    }

    static int ModifierClass(std::int32_t extraModifier) {
        return extraModifier == kModifierShift ? 1 : extraModifier == kModifierCtrl ? 2 : 0;
    }

    // The hook's index of abbreviations: their units folded with UpcaseUnit and read from the
    // last one back, sorted, so that what the user typed last is found by binary search. Only
    // abbreviations of 1 to kMaxAbbreviation units without spaces or line breaks are in it.
    // Whether some abbreviation of the kind (immediate or not) may end in this folded unit:
    // false means none does, true that one may.
    bool MayEndIn(char16_t folded, bool immediate) const {
        return (lastUnits_[immediate][(folded >> 6) & 3] >> (folded & 63)) & 1;
    }
    // Whether some abbreviation of the kind is this many units long.
    bool HasTypedLength(std::size_t length, bool immediate) const { return (lengths_[immediate] >> (length - 1)) & 1; }
    // The first item of the kind whose folded abbreviation, read backwards, is `reversed`; -1 for none.
    std::int32_t FindTyped(std::u16string_view reversed, bool immediate) const;

private:
    static constexpr std::int32_t kNone = -1;
    struct TypedKey {
        std::array<char16_t, kMaxAbbreviation> reversed;  // folded, from the last unit back
        std::uint8_t length;
        bool immediate;
        std::int32_t item;
    };
    void Index(std::size_t i);
    void Reindex();

    std::vector<std::unique_ptr<HotkeyItem>> items_;
    std::array<std::int32_t, 256 * 3> index_;
    std::vector<TypedKey> typed_;
    // A 256-bit filter per kind over the low byte of the folded last unit.
    std::array<std::array<std::uint64_t, 4>, 2> lastUnits_{};
    std::array<std::uint32_t, 2> lengths_{};  // bit n-1: an abbreviation of the kind is n units long
};

// Reads the unit typed for the text at `p` and moves past it. A line break, stored as CR LF,
// CR or LF, is typed once, as CR: what the Enter key gives.
inline char16_t TakeTypedUnit(const char16_t*& p) {
    const char16_t unit = *p++;
    if (unit == u'\r' && *p == u'\n') ++p;
    return unit == u'\n' ? u'\r' : unit;
}


// What became of a key's latest key-down, so that its key-up goes the same way: a key-up
// swallowed after its key-down went through leaves the key stuck down in the target.
// Held: the key-down waits behind an abbreviation's text, and so does its key-up; Eaten: the
// key-down ended an abbreviation (or typed its last unit), and its key-up is swallowed too.
enum class DownFate : std::uint8_t { None, PassedOn, Swallowed, Held, Eaten };

// A chord whose text the engine's window types once the hook has returned: keystrokes, a text
// with placeholders, or the rest of a text the target's queue had no room for.
struct PendingText {
    std::int32_t item = 0;
    WindowId target = 0;
    std::uint32_t offset = 0;  // units of the stored text already typed
    std::int32_t typeMode = kTypeByMessages;
    // The target is the focus of the window in front, so keys injected after the modifiers'
    // releases reach it; otherwise it is the window recorded behind Vellory's own.
    bool inFront = true;
    // Non-zero while only the long-text rule and the general way decide: a text with
    // placeholders longer than this once filled in is pasted instead of going as typeMode.
    std::uint32_t longerThan = 0;
    // An abbreviation's text: the typed units to erase with Backspace first, the ending
    // character to type after the text (0 for none), and the case the typing gave (TextCase).
    std::uint8_t erase = 0;
    char16_t ending = 0;
    std::uint8_t textCase = 0;
    bool abbreviation = false;
};

// The cheat sheet's course while the main modifier is held: the delay runs, then it shows.
enum class SheetPhase : std::uint8_t { Idle, Waiting, Shown };

struct EngineState {
    bool engineActive = false;  // false while paused: every event then passes on untouched
    WindowId focusWindow = 0;
    bool maskWinRelease = false;
    bool maskAltRelease = false;
    std::int32_t modifierMode = 0;
    bool russianLayoutOnly = false;
    std::int32_t typeMode = kTypeByMessages;
    void* keyboardHook = nullptr;  // owned by engine/win32
    void* focusHook = nullptr;
    void* clickHook = nullptr;  // the events that end what was typed: a click, a window in front
    void* engineWindow = nullptr;  // receives the request to type pending keystrokes
    std::uint32_t lastEventTime = 0;  // of the latest event the hook saw: its sign of life
    // The modifiers down as the hook saw them go (one bit per left or right key, see
    // ModifierHeld): asking the key state on Vellory's own thread answers what that thread
    // has read from its queue, which is wrong while its own window has the keyboard.
    std::uint16_t heldModifiers = 0;
    std::array<DownFate, 256> downFate{};
    // Keystrokes typed while Win or Alt is down would arrive as shell chords or Alt+keys, so
    // the chords of keystroke typing wait here for the main modifier's release; so do texts
    // that the engine's window types. Room for more chords than a hand presses in one hold.
    std::array<PendingText, 64> pending{};
    std::size_t pendingCount = 0;
    // Set while the engine's window still has text to type: a new chord then queues behind it,
    // so texts arrive in the order of their chords.
    bool typingBusy = false;
    ProgramExclusions exclusions;  // a copy of "ExcludePrograms", parsed
    // Copies of "KeystrokePrograms" and "ClipboardPrograms", the programs that get a way of their own.
    ProgramExclusions keystrokePrograms;
    ProgramExclusions clipboardPrograms;
    std::uint32_t pasteLongerThan = 0;     // "PasteLongerThan": 0 leaves long texts to the general way
    std::uint32_t pasteRestoreDelay = 500;  // "PasteRestoreDelay", ms
    std::uint32_t sheetDelay = 1000;        // "SheetDelay", ms: 0 shows no sheet
    SheetPhase sheet = SheetPhase::Idle;
    AbbreviationState abbreviations;
};

// What the hooks and the engine's window act on. A view: the application owns both, and
// they must outlive the hooks.
struct EngineContext {
    EngineState* state = nullptr;
    const HotkeyTable* table = nullptr;
};

// Whether the hook saw this modifier (16 Shift, 17 Ctrl, 18 Alt: either key; 91, 92 the Win
// keys) go down and not come up again.
bool ModifierHeld(const EngineState& state, std::uint32_t virtualKey);

// The bit of a left or right modifier key (160 to 165, 91, 92; 16 to 18 count as the left
// ones) in EngineState::heldModifiers, or 0.
std::uint16_t ModifierBit(std::uint8_t key);

// Forgets every chord under way (release masks, keystrokes waiting for the modifier, what
// became of each key-down) and what was typed, so nothing of it fires later: after the hook
// was lost, or a pause.
void ResetChordState(EngineState& state);

struct KeyEvent {
    std::int32_t code = 0;
    std::uint32_t message = 0;
    // Points into the system's event record; null when no record was given.
    const std::uint32_t* virtualKey = nullptr;
    std::uint32_t time = 0;  // the system's time stamp of the event, in milliseconds
    bool ownInput = false;   // injected by Vellory itself
    bool replayed = false;   // one of the user's held keys, injected again by Vellory
    std::uint16_t scanCode = 0;
    bool extended = false;   // a key of the extended set: right Ctrl and Alt, the navigation block
    std::intptr_t passOnData = 0;  // opaque to the engine, used by passOn
};

// What the platform tells of the window in front; ChooseTarget makes the target of it.
struct ForegroundFacts {
    WindowId front = 0;  // the foreground window; 0 when there is none (another desktop)
    bool frontOwn = false;
    bool frontShell = false;  // the taskbar, the desktop, the Start menu, a task switcher...
    // The keyboard focus of the foreground thread; 0 when it has none or cannot be asked, as
    // a console's window, whose reported thread has no input queue.
    WindowId focus = 0;
    bool focusOwn = false;
};

// One key event for SendInput: a virtual key, or with virtualKey 0 a UTF-16 unit as typed.
struct KeyStroke {
    std::uint16_t virtualKey = 0;
    char16_t unit = 0;
    bool release = false;
    bool operator==(const KeyStroke&) const = default;
};

// The keyboard focus a typed key goes to: its window (the window in front when its thread has
// no focus to tell), whether it is Vellory's own, and its thread's keyboard layout.
struct TypingFocus {
    WindowId window = 0;
    bool own = false;
    std::uintptr_t layout = 0;
};

// The modifiers a key is typed with, as the hook followed them: AltGr is Ctrl and Alt.
struct TypedKeyState {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool capsLock = false;
};

// What KeyPlatform::typedUnits answers besides a count of units.
enum : int { kDeadKey = -1, kUnitsUnknown = -2 };

// Longest program file name a lookup takes; a longer one cannot exist on Windows.
constexpr std::size_t kMaxFileName = 260;

class KeyPlatform {
public:
    virtual bool isKeyDown(std::uint32_t virtualKey) = 0;
    virtual bool windowExists(WindowId window) = 0;
    virtual std::uint16_t layoutLanguageOf(WindowId window) = 0;
    // False when the unit could not be queued (the window is gone or refuses posted input).
    virtual bool postChar(WindowId window, char16_t unit) = 0;
    virtual void injectKey(std::uint32_t virtualKey, bool release) = 0;
    // Asks the engine's window to take the pending texts once the hook has returned.
    virtual void scheduleTyping() = 0;
    virtual HookResult passOn(const KeyEvent& event) = 0;
    // Asked only once a key has matched an item.
    virtual ForegroundFacts foregroundFacts() = 0;
    // Whether a focus event's window is one the user types into: visible, in a program other
    // than Vellory whose top-level window is in front, and no window of the shell.
    virtual bool focusRecordable(WindowId window) = 0;
    virtual bool processOf(WindowId window, ProcessKey& process) = 0;
    // The file name of the process's program, ended by a NUL; false when it cannot be asked.
    virtual bool processFileName(const ProcessKey& process, char16_t (&name)[kMaxFileName]) = 0;
    // Used by the engine's window only, never by the hook: a posted key press or release
    // (false when the target's queue refuses it), and whether a key is physically held now.
    virtual bool postKey(WindowId window, std::uint32_t virtualKey, bool release) = 0;
    virtual bool isKeyHeld(std::uint32_t virtualKey) = 0;
    // Whether the target's top-level window is still the one in front: injected keys go to
    // whatever has the keyboard when they are sent, not to a window.
    virtual bool stillInFront(WindowId target) = 0;
    // Injects the keys as one unbroken run and answers how many the system took: fewer than
    // given when input was cut off, none when input is blocked (a locked desktop).
    virtual std::size_t sendKeys(const KeyStroke* keys, std::size_t count) = 0;
    // Whether the target's program is a terminal that takes no Ctrl+V: it pastes on Shift+Insert.
    virtual bool pastesWithShiftInsert(WindowId target) = 0;
    // Asks the engine's window to start the sheet's delay (Waiting) or to hide the sheet (Idle).
    virtual void tellSheet(SheetPhase phase) = 0;
    // Asked by the hook for every key-down that may type: where it goes.
    virtual TypingFocus typingFocus() = 0;
    // Whether the window is a standard password field; asked once per focus.
    virtual bool passwordField(WindowId window) = 0;
    // The units the key types in this layout with these modifiers, leaving every keyboard
    // state as it was: their count, kDeadKey for a dead key (nothing until the next key
    // completes it), kUnitsUnknown when that cannot be told without disturbing the user's typing.
    virtual int typedUnits(const KeyEvent& event, const TypedKeyState& keys, std::uintptr_t layout,
                           char16_t (&units)[4]) = 0;
    // Injects held keys again, marked kReplayMark, as one run; answers how many events the
    // system took (a key with units is one event per unit).
    virtual std::size_t replayKeys(const HeldKey* keys, std::size_t count) = 0;

protected:
    ~KeyPlatform() = default;
};

// The focus event's window becomes the target of chords pressed while Vellory's own window is
// in front, if it is one the user types into.
void OnFocusEvent(EngineState& state, WindowId window, KeyPlatform& platform);

// Whether the sheet may show now: not paused, and the program in front is not excluded.
bool SheetAllowed(EngineState& state, KeyPlatform& platform);

// Types the item's text as its chord would, for a click on the sheet; false when nothing went.
bool TypeItem(std::int32_t item, EngineState& state, const HotkeyTable& table, KeyPlatform& platform);

// Queues an abbreviation's text for the engine's window, by the way a chord's would go, with
// what the typing needs besides (PendingText's erase, ending and textCase). False when it
// cannot go: no target in front, an excluded program, the queue full.
bool QueueAbbreviation(std::int32_t item, const PendingText& typing, EngineState& state, const HotkeyTable& table,
                       KeyPlatform& platform);

// Returns the hook result: the pass-on result, or 1 when the event is swallowed.
HookResult keyboardHookProc(const KeyEvent& event, EngineState& state, const HotkeyTable& table,
                            KeyPlatform& platform);


#include "engine/hotkey.h"

#include "engine/abbreviations.h"
#include "engine/insert_way.h"
#include "engine/placeholders.h"
#include "toolkit/case_fold.h"

#include <algorithm>
#include <utility>

HotkeyItem& HotkeyTable::Append(std::uint16_t keyCode, std::int32_t extraModifier, WideString text) {
    auto item = std::make_unique<HotkeyItem>();
    item->keyCode = keyCode;
    item->extraModifier = extraModifier;
    item->text = std::move(text);
    items_.push_back(std::move(item));
    Index(items_.size() - 1);
    return *items_.back();
}

HotkeyItem& HotkeyTable::AppendAbbreviation(WideString abbreviation, WideString text) {
    auto item = std::make_unique<HotkeyItem>();
    item->abbreviation = std::move(abbreviation);
    item->text = std::move(text);
    items_.push_back(std::move(item));
    Index(items_.size() - 1);
    return *items_.back();
}

namespace {

// An abbreviation the hook can find: 1 to kMaxAbbreviation units, none of them a space or a
// line break (which end a word) or zero (which ends the stored string).
bool IsTypableAbbreviation(std::u16string_view abbreviation) {
    if (abbreviation.empty() || abbreviation.size() > kMaxAbbreviation) return false;
    for (const char16_t unit : abbreviation)
        if (unit == 0 || IsSpaceUnit(unit)) return false;
    return true;
}

}  // namespace

void HotkeyTable::Index(std::size_t i) {
    const HotkeyItem& item = *items_[i];
    if (item.IsAbbreviation()) {
        const std::u16string_view abbreviation = item.abbreviation.View();
        if (!IsTypableAbbreviation(abbreviation)) return;
        TypedKey key{};
        key.length = static_cast<std::uint8_t>(abbreviation.size());
        for (std::size_t k = 0; k < abbreviation.size(); ++k) key.reversed[k] = UpcaseUnit(abbreviation[abbreviation.size() - 1 - k]);
        key.immediate = item.immediate;
        key.item = static_cast<std::int32_t>(i);
        // Equal keys stay in table order, so the first item of an abbreviation is found first.
        const auto before = [](const TypedKey& a, const TypedKey& b) {
            if (a.immediate != b.immediate) return a.immediate < b.immediate;
            const std::u16string_view x(a.reversed.data(), a.length), y(b.reversed.data(), b.length);
            return x != y ? x < y : a.item < b.item;
        };
        typed_.insert(std::upper_bound(typed_.begin(), typed_.end(), key, before), key);
        const char16_t last = key.reversed[0];
        lastUnits_[key.immediate][(last >> 6) & 3] |= std::uint64_t{1} << (last & 63);
        lengths_[key.immediate] |= std::uint32_t{1} << (key.length - 1);
        return;
    }
    // Codes above 255 can never equal the 8-bit key of an event, so they are not indexed.
    if (item.keyCode > 255) return;
    std::int32_t& slot = index_[item.keyCode * 3u + static_cast<unsigned>(ModifierClass(item.extraModifier))];
    if (slot == kNone) slot = static_cast<std::int32_t>(i);
}

void HotkeyTable::Reindex() {
    index_.fill(kNone);
    typed_.clear();
    lastUnits_ = {};
    lengths_ = {};
    for (std::size_t i = 0; i < items_.size(); ++i) Index(i);
}

void HotkeyTable::SetChord(std::size_t i, std::uint16_t keyCode, std::int32_t extraModifier) {
    items_[i]->keyCode = keyCode;
    items_[i]->extraModifier = extraModifier;
    items_[i]->abbreviation.SetNull();
    items_[i]->immediate = false;
    Reindex();
}

void HotkeyTable::SetAbbreviation(std::size_t i, WideString abbreviation) {
    items_[i]->keyCode = 0;
    items_[i]->extraModifier = kModifierNone;
    items_[i]->abbreviation = std::move(abbreviation);
    Reindex();
}

void HotkeyTable::SetImmediate(std::size_t i, bool immediate) {
    items_[i]->immediate = immediate;
    Reindex();
}

std::int32_t HotkeyTable::FindTyped(std::u16string_view reversed, bool immediate) const {
    // The first entry not before (immediate, reversed, any item): the first item of the key if it is there.
    const auto found = std::lower_bound(typed_.begin(), typed_.end(), reversed, [immediate](const TypedKey& entry, std::u16string_view key) {
        if (entry.immediate != immediate) return entry.immediate < immediate;
        return std::u16string_view(entry.reversed.data(), entry.length) < key;
    });
    if (found == typed_.end() || found->immediate != immediate || std::u16string_view(found->reversed.data(), found->length) != reversed)
        return kNone;
    return found->item;
}

void HotkeyTable::Remove(std::size_t i) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
    Reindex();
}

std::int32_t HotkeyTable::FindChord(std::uint16_t keyCode, std::int32_t extraModifier, std::int32_t except) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const HotkeyItem& item = *items_[i];
        if (static_cast<std::int32_t>(i) != except && !item.IsAbbreviation() && item.keyCode == keyCode &&
            ModifierClass(item.extraModifier) == ModifierClass(extraModifier))
            return static_cast<std::int32_t>(i);
    }
    return kNone;
}

std::int32_t HotkeyTable::FindAbbreviation(std::u16string_view abbreviation, std::int32_t except) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const HotkeyItem& item = *items_[i];
        if (static_cast<std::int32_t>(i) == except || !item.IsAbbreviation()) continue;
        const std::u16string_view own = item.abbreviation.View();
        if (own.size() != abbreviation.size()) continue;
        std::size_t k = 0;
        while (k < own.size() && UpcaseUnit(own[k]) == UpcaseUnit(abbreviation[k])) ++k;
        if (k == own.size()) return static_cast<std::int32_t>(i);
    }
    return kNone;
}

namespace {

constexpr HookResult kSwallow = 1;
constexpr std::uint32_t kNoMask = 0;

// Releasing Win alone opens the Start menu, and releasing Alt alone enters the focused
// program's menu bar; another key pressed around the release makes it a chord, which both
// ignore. The system queues the passed-on release after the injected keys.
HookResult PassMaskedRelease(const KeyEvent& event, std::uint32_t maskKey, KeyPlatform& platform) {
    if (maskKey != kNoMask) platform.injectKey(maskKey, false);
    const HookResult result = platform.passOn(event);
    if (maskKey != kNoMask) platform.injectKey(maskKey, true);
    return result;
}

// An unassigned key masks the Win release: an injected Shift would turn Caps Lock off for those
// who set Shift to do so, and reach the target as a Shift tap. Shift already held is chord enough.
std::uint32_t WinMaskKey(KeyPlatform& platform) {
    return platform.isKeyDown(kVkShift) ? kNoMask : std::uint32_t{kVkMaskKey};
}

bool IsAltKey(std::uint8_t key) { return key == kVkLeftAlt || key == kVkRightAlt || key == kVkAlt; }
bool IsMainModifierKey(std::uint8_t key, const EngineState& state) {
    return state.modifierMode != kModifierModeWin ? IsAltKey(key) : key == kVkLeftWin;
}

std::uint32_t MainModifier(const EngineState& state) {
    return state.modifierMode != kModifierModeWin ? kVkAlt : kVkLeftWin;
}
std::uint32_t OtherModifier(const EngineState& state) {
    return state.modifierMode != kModifierModeWin ? kVkLeftWin : kVkAlt;
}

struct Target {
    WindowId window = 0;
    bool inFront = false;
};

// The window the text goes to: the keyboard focus of the program in front. Vellory's own
// windows are no target: there posted characters go to the window last focused in another
// program (keystrokes and pastes would reach Vellory's own window, so the caller lets those
// chords pass). A shell window in front (the taskbar, the Start menu) is no target either.
// None when the focus cannot be told: better nothing typed than typed into the wrong window.
Target ChooseTarget(const EngineState& state, KeyPlatform& platform) {
    const ForegroundFacts facts = platform.foregroundFacts();
    if (facts.front == 0 || facts.frontShell) return {};
    // A console's thread cannot be asked for its focus; its window in front takes the text.
    const bool own = facts.focus != 0 ? facts.focusOwn : facts.frontOwn;
    if (!own) return {facts.focus != 0 ? facts.focus : facts.front, true};
    if (state.focusWindow != 0 && platform.windowExists(state.focusWindow)) return {state.focusWindow, false};
    return {};
}

// The target's program, asked of the system at most once per chord, and only when a list of
// programs is there to match it against.
class TargetProgram {
public:
    explicit TargetProgram(WindowId window) : window_(window) {}

    // Whether the program is in the list; `unknown` answers for a program that cannot be asked.
    bool In(ProgramExclusions& list, KeyPlatform& platform, bool unknown) {
        if (list.Empty()) return false;
        if (!asked_) {
            asked_ = true;
            known_ = platform.processOf(window_, process_);
        }
        if (!known_) return unknown;
        bool match = false;
        if (list.CachedVerdict(process_, match)) return match;
        if (!named_) {
            named_ = true;
            known_ = platform.processFileName(process_, name_);
            if (!known_) return unknown;
        }
        match = list.Matches(name_);
        list.RememberVerdict(process_, match);
        return match;
    }

private:
    WindowId window_;
    bool asked_ = false;
    bool known_ = false;
    bool named_ = false;
    ProcessKey process_;
    char16_t name_[kMaxFileName];
};

bool QueueText(EngineState& state, std::int32_t item, Target target, std::uint32_t offset, std::int32_t way,
               std::uint32_t longerThan = 0) {
    if (state.pendingCount == state.pending.size()) return false;
    state.pending[state.pendingCount++] = PendingText{item, target.window, offset, way, target.inFront, longerThan};
    return true;
}

// The units of the text up to `limit`: enough to tell whether it is longer than a limit.
std::size_t LengthUpTo(const char16_t* text, std::size_t limit) {
    std::size_t length = 0;
    while (length < limit && text[length] != 0) ++length;
    return length;
}

bool TypeFound(std::int32_t found, EngineState& state, const HotkeyTable& table, KeyPlatform& platform,
               const PendingText* typed = nullptr);

// Types the text of the chord's item into the target. False when the key-down must go
// through instead: no item for the chord, no target, an excluded program, a foreign layout,
// nothing typed.
bool TypeHotkey(std::uint8_t key, EngineState& state, const HotkeyTable& table, KeyPlatform& platform) {
    if (!table.HasKey(key)) return false;

    // The first item for the key and the Ctrl/Shift state is the one a scan would find, and
    // the main/other modifier test is the same for every item, so one lookup decides.
    const bool ctrl = platform.isKeyDown(kVkControl);
    const bool shift = platform.isKeyDown(kVkShift);
    if (ctrl && shift) return false;
    const std::int32_t found = table.FirstFor(key, ctrl ? 2 : shift ? 1 : 0);
    if (found < 0) return false;
    if (!platform.isKeyDown(MainModifier(state)) || platform.isKeyDown(OtherModifier(state))) return false;
    return TypeFound(found, state, table, platform);
}

// `typed` is set for an abbreviation's text: it is always left to the engine's window, which
// erases the abbreviation first, and only ever goes to the focus of the window in front.
bool TypeFound(std::int32_t found, EngineState& state, const HotkeyTable& table, KeyPlatform& platform,
               const PendingText* typed) {
    const HotkeyItem& item = table.At(static_cast<std::size_t>(found));
    const char16_t* text = item.text.Data();
    if (text == nullptr || text[0] == 0) return false;

    // One thread runs both hooks, so the recorded focus cannot change during this call.
    const Target target = ChooseTarget(state, platform);
    TargetProgram program(target.window);
    // A program that cannot be asked counts as excluded while there is a list: the list may be
    // there to keep it out.
    if (target.window == 0 || (typed != nullptr && !target.inFront) || program.In(state.exclusions, platform, true))
        return false;
    // The layout rule is the chords' alone: an abbreviation is typed in the layout it is written in.
    if (typed == nullptr && state.russianLayoutOnly && platform.layoutLanguageOf(target.window) != kRussianLanguage)
        return false;

    // Most texts hold no brace at all, and the plain path must cost what it did.
    bool brace = false;
    for (const char16_t* p = text; *p != 0 && !brace; ++p) brace = *p == u'{';
    const bool deferred = brace && HasPlaceholders(text);
    WayRules rules;
    rules.itemWay = item.way;
    // An item with a way of its own needs no program lookup for the lists.
    const bool ownWay = item.way >= kTypeByMessages && item.way <= kTypeByClipboard;
    rules.keystrokeProgram = !ownWay && program.In(state.keystrokePrograms, platform, false);
    rules.clipboardProgram = !ownWay && !rules.keystrokeProgram && program.In(state.clipboardPrograms, platform, false);
    rules.pasteLongerThan = state.pasteLongerThan;
    rules.generalWay = state.typeMode;
    // A text with placeholders is measured once they are filled in, by the engine's window;
    // pasted, it would land in Vellory's own window in front, so there it is posted whatever its length.
    const bool lengthLater = deferred && target.inFront && LengthDecides(rules) && state.pasteLongerThan != 0;
    const bool measure = !deferred && LengthDecides(rules) && state.pasteLongerThan != 0;
    const std::int32_t way = ChooseWay(rules, measure ? LengthUpTo(text, std::size_t{state.pasteLongerThan} + 1) : 0);
    // Keystrokes and a paste reach whatever is in front: with Vellory's own window there, only
    // posted characters reach the window behind it.
    if (!target.inFront && way != kTypeByMessages) return false;
    if (typed != nullptr) {
        if (state.pendingCount == state.pending.size()) return false;
        PendingText& pending = state.pending[state.pendingCount++];
        pending = *typed;
        pending.item = found;
        pending.target = target.window;
        pending.offset = 0;
        pending.typeMode = way;
        pending.inFront = true;
        pending.longerThan = lengthLater ? state.pasteLongerThan : 0;
        pending.abbreviation = true;
        platform.scheduleTyping();
        return true;
    }
    if (deferred || state.typingBusy || way != kTypeByMessages) {
        // A full queue drops the text but still swallows the chord: passed on, Win+digit would
        // open a program of the taskbar.
        // Placeholders are filled in at once; keystrokes and pastes wait for the modifier's release.
        if (QueueText(state, found, target, 0, way, lengthLater ? state.pasteLongerThan : 0) &&
            (deferred || way == kTypeByMessages))
            platform.scheduleTyping();
    } else {
        // A window that is gone or refuses posted input gets nothing: the user then sees the
        // plain key rather than a chord eaten for nothing.
        const char16_t* const start = text;
        if (!platform.postChar(target.window, TakeTypedUnit(text))) return false;
        while (*text != 0) {
            const char16_t* const at = text;
            if (platform.postChar(target.window, TakeTypedUnit(text))) continue;
            // The target's queue is full: the engine's window posts the rest as it drains.
            QueueText(state, found, target, static_cast<std::uint32_t>(at - start), kTypeByMessages);
            platform.scheduleTyping();
            break;
        }
    }

    // Another mode, only ever hand-edited, swallows without masking.
    if (state.modifierMode == kModifierModeWin) state.maskWinRelease = true;
    if (state.modifierMode == kModifierModeAlt) state.maskAltRelease = true;
    return true;
}

HookResult DecideKeyUp(std::uint8_t key, const KeyEvent& event, EngineState& state, KeyPlatform& platform) {
    if (key == kVkLeftWin && state.maskWinRelease) {
        state.maskWinRelease = false;
        return PassMaskedRelease(event, WinMaskKey(platform), platform);
    }
    if (IsAltKey(key) && state.maskAltRelease) {
        state.maskAltRelease = false;
        return PassMaskedRelease(event, kVkMaskKey, platform);
    }
    const DownFate down = std::exchange(state.downFate[key], DownFate::None);
    // Only a key-up whose key-down was swallowed may be swallowed, and only while the chord is
    // still held; any other key-up follows its key-down to the target.
    if (down == DownFate::Swallowed && platform.isKeyDown(MainModifier(state))) return kSwallow;
    return platform.passOn(event);
}

}  // namespace

// The bit of a left or right modifier key in EngineState::heldModifiers, or 0. Keys injected
// with the side-less codes count as the left ones.
std::uint16_t ModifierBit(std::uint8_t key) {
    switch (key) {
        case kVkLeftShift: case kVkShift: return 1u << 0;
        case kVkRightShift: return 1u << 1;
        case kVkLeftControl: case kVkControl: return 1u << 2;
        case kVkRightControl: return 1u << 3;
        case kVkLeftAlt: case kVkAlt: return 1u << 4;
        case kVkRightAlt: return 1u << 5;
        case kVkLeftWin: return 1u << 6;
        case kVkRightWin: return 1u << 7;
        default: return 0;
    }
}

namespace {

// The bits a question about the key asks: 16 to 18 ask either side's key.
std::uint16_t BitsOf(std::uint32_t virtualKey) {
    switch (virtualKey) {
        case kVkShift: return ModifierBit(kVkLeftShift) | ModifierBit(kVkRightShift);
        case kVkControl: return ModifierBit(kVkLeftControl) | ModifierBit(kVkRightControl);
        case kVkAlt: return ModifierBit(kVkLeftAlt) | ModifierBit(kVkRightAlt);
        default: return virtualKey < 256 ? ModifierBit(static_cast<std::uint8_t>(virtualKey)) : 0;
    }
}

// Whether a modifier the hook saw go down is held by the key state too, as the chords ask: a
// release lost on the secure desktop (Ctrl+Alt+Del, Win+L) must not count until the key's next
// press. The key state changes only once the hook has returned, so a repeat finds its own key.
bool AnyHeld(std::uint16_t seen, KeyPlatform& platform) {
    for (const std::uint32_t key : {kVkShift, kVkControl, kVkAlt, kVkLeftWin, kVkRightWin})
        if ((seen & BitsOf(key)) != 0 && platform.isKeyDown(key)) return true;
    return false;
}

// Only the main modifier's press and release and the first other key after it come here.
void FollowSheet(std::uint8_t key, bool press, std::uint16_t heldBefore, EngineState& state, KeyPlatform& platform) {
    const bool main = IsMainModifierKey(key, state);
    if (main && press) {
        // A held key repeats its key-down: only the first one, with nothing else held, starts the delay.
        if (state.sheet == SheetPhase::Idle && state.sheetDelay != 0 && !AnyHeld(heldBefore, platform)) {
            state.sheet = SheetPhase::Waiting;
            platform.tellSheet(SheetPhase::Waiting);
        }
        return;
    }
    const bool shown = state.sheet == SheetPhase::Shown;
    state.sheet = SheetPhase::Idle;
    if (!shown) return;
    platform.tellSheet(SheetPhase::Idle);
    // The user was looking at the sheet, not asking for the Start menu or the menu bar.
    if (main && state.modifierMode == kModifierModeWin) state.maskWinRelease = true;
    if (main && state.modifierMode == kModifierModeAlt) state.maskAltRelease = true;
}

}  // namespace

bool SheetAllowed(EngineState& state, KeyPlatform& platform) {
    if (!state.engineActive) return false;
    const Target target = ChooseTarget(state, platform);
    TargetProgram program(target.window);
    return target.window == 0 || !program.In(state.exclusions, platform, true);
}

bool TypeItem(std::int32_t item, EngineState& state, const HotkeyTable& table, KeyPlatform& platform) {
    if (!state.engineActive || item < 0 || static_cast<std::size_t>(item) >= table.Count()) return false;
    return TypeFound(item, state, table, platform);
}

bool QueueAbbreviation(std::int32_t item, const PendingText& typing, EngineState& state, const HotkeyTable& table,
                       KeyPlatform& platform) {
    return TypeFound(item, state, table, platform, &typing);
}

bool ModifierHeld(const EngineState& state, std::uint32_t virtualKey) {
    return (state.heldModifiers & BitsOf(virtualKey)) != 0;
}

void OnFocusEvent(EngineState& state, WindowId window, KeyPlatform& platform) {
    ForgetTyped(state);
    // Reaching Vellory's window through the taskbar, the tray or Alt+Tab passes the focus
    // through a shell window; recorded, it would swallow the next chord unseen.
    if (window != 0 && platform.focusRecordable(window)) state.focusWindow = window;
}

HookResult keyboardHookProc(const KeyEvent& event, EngineState& state, const HotkeyTable& table,
                            KeyPlatform& platform) {
    if (event.virtualKey == nullptr) return platform.passOn(event);
    state.lastEventTime = event.time;
    const bool release = event.message == kMsgKeyUp || event.message == kMsgSysKeyUp;
    const bool press = event.message == kMsgKeyDown || event.message == kMsgSysKeyDown;
    const auto key = static_cast<std::uint8_t>(*event.virtualKey & 0xFF);
    // Followed while paused too, so that a resumed engine knows what is held.
    const std::uint16_t bit = ModifierBit(key);
    const std::uint16_t heldBefore = state.heldModifiers;
    if (event.code >= 0 && bit != 0 && (press || release))
        state.heldModifiers = static_cast<std::uint16_t>(release ? state.heldModifiers & ~bit : state.heldModifiers | bit);
    AbbreviationState& abbreviations = state.abbreviations;
    // Caps Lock toggles as the user presses it; a held press counts when it was typed.
    if (event.code >= 0 && key == kVkCapsLock && !event.ownInput && (press || release)) {
        if (press && !abbreviations.capsDown) abbreviations.capsLock = !abbreviations.capsLock;
        abbreviations.capsDown = press;
    }
    if (event.code >= 0 && event.replayed) OnReplayedKey(state, platform);
    if (event.code < 0 || !state.engineActive || event.ownInput || !(press || release)) return platform.passOn(event);

    // Behind an abbreviation's text, keys wait their turn; the ending key's key-up is eaten.
    DownFate& fate = state.downFate[key];
    if (release && fate == DownFate::Eaten) {
        fate = DownFate::None;
        return kSwallow;
    }
    // A chord is no typing: held back and replayed, it would reach the system as the shell's.
    if (abbreviations.held.holding && press && IsMainModifierKey(key, state)) StopHolding(state, platform);
    if (abbreviations.held.holding && (press || fate == DownFate::Held)) {
        const DownFate held = HoldKey(key, event, release, state, platform);
        if (held != DownFate::None) {
            fate = release ? DownFate::None : held;
            return kSwallow;
        }
        if (press) {
            fate = DownFate::PassedOn;
            return platform.passOn(event);
        }
    }
    if (state.sheet != SheetPhase::Idle || IsMainModifierKey(key, state)) FollowSheet(key, press, heldBefore, state, platform);

    if (release) {
        const HookResult result = DecideKeyUp(key, event, state, platform);
        if (state.pendingCount != 0 && IsMainModifierKey(key, state)) platform.scheduleTyping();
        return result;
    }

    if (!TypeHotkey(key, state, table, platform)) {
        if (OnTypedKeyDown(key, event, state, table, platform)) {
            fate = DownFate::Eaten;
            return kSwallow;
        }
        fate = DownFate::PassedOn;
        return platform.passOn(event);
    }
    // A chord's text stands before the caret now, not what was typed.
    ForgetTyped(state);
    // An auto-repeat of a key that went through keeps its key-up going through.
    if (fate != DownFate::PassedOn) fate = DownFate::Swallowed;
    return kSwallow;
}

void ResetChordState(EngineState& state) {
    state.maskWinRelease = false;
    state.maskAltRelease = false;
    state.downFate.fill(DownFate::None);
    state.pendingCount = 0;
    state.sheet = SheetPhase::Idle;
    ForgetTyped(state);
}

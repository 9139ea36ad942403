#pragma once
// What the hook keeps for typed abbreviations, in fixed storage inside EngineState: the last
// units typed into the window in front, and the keys held back while an abbreviation's text
// is on its way. Nothing here is allocated, stored or written anywhere.
#include <array>
#include <cstddef>
#include <cstdint>

// A space or a line break: no abbreviation holds one, so none reaches back over it.
inline bool IsSpaceUnit(char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\r' || unit == u'\n'; }

// The last units the user typed into one window, oldest first.
struct TypedUnits {
    static constexpr std::size_t kCapacity = 32;
    std::array<char16_t, kCapacity> units{};
    std::uint8_t count = 0;
    // Nothing dropped off the front since the last clear: the first unit starts a word.
    bool whole = true;
    std::uintptr_t window = 0;  // the focus they were typed into; 0 until a key tells
    bool password = false;      // that window is a password field: nothing enters

    void Clear() {
        count = 0;
        whole = true;
    }
    void Push(char16_t unit) {
        if (count == kCapacity) {
            for (std::size_t i = 1; i < kCapacity; ++i) units[i - 1] = units[i];
            --count;
            whole = false;
        }
        units[count++] = unit;
    }
    void Pop() {
        if (count != 0) --count;
    }
};

// A key event the user typed while an abbreviation's text was still to go out; it goes again
// after the text. A key that typed units goes again as a press and release of those units, so
// that the modifiers held when it was typed (and perhaps let go since) still count; its own
// key-up is then swallowed. Any other key goes again as itself, its key-up held in turn.
struct HeldKey {
    std::uint16_t virtualKey = 0;
    std::uint16_t scanCode = 0;
    bool extended = false;
    bool release = false;
    std::uint8_t unitCount = 0;
    char16_t units[2] = {};
};

struct HeldKeys {
    static constexpr std::size_t kCapacity = 64;
    std::array<HeldKey, kCapacity> keys{};
    std::size_t count = 0;
    // Set from an abbreviation's firing until every held key has gone again: every key-down
    // of the user is held meanwhile, and so is the key-up of a held key-down.
    bool holding = false;
    // Keys injected again that the hook has not seen yet; new keys wait behind them.
    std::size_t inFlight = 0;
    std::uint32_t since = 0;        // time of the firing
    std::uint32_t flightSince = 0;  // time of the latest injection
    // The engine's window is to inject the keys held meanwhile: keys injected from inside the
    // hook may pass it by (Wine lets them), and would never be counted back.
    bool releaseDue = false;
};

struct AbbreviationState {
    TypedUnits typed;
    HeldKeys held;
    // Caps Lock's toggle as the hook followed it; the hook thread's own key state is stale.
    bool capsLock = false;
    bool capsDown = false;
};

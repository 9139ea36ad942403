#pragma once
// Typed abbreviations on the hook's path: what the user types into the window in front is
// followed in EngineState::abbreviations, an abbreviation at the start of a word fires on an
// ending character (or at once, "сразу"), and the keys typed on meanwhile are held back until
// its text is out. Pure logic over KeyPlatform, allocation-free like the rest of the hook.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/hotkey.h"

// What the hook does with a key-down the chords left alone: true when it is swallowed, because
// it ended an abbreviation (or typed an immediate one's last unit) and the text is queued.
bool OnTypedKeyDown(std::uint8_t key, const KeyEvent& event, EngineState& state, const HotkeyTable& table,
                    KeyPlatform& platform);

// While an abbreviation's text is on its way, every key-down and the key-up of every key held
// as itself waits. Answers what became of it: Held (as itself), Eaten (held as the units it
// typed, so its key-up is swallowed), None when it goes on at once.
DownFate HoldKey(std::uint8_t key, const KeyEvent& event, bool release, EngineState& state, KeyPlatform& platform);

// The hook saw one of the held keys come back.
void OnReplayedKey(EngineState& state, KeyPlatform& platform);

// The text is out (or will never be): the held keys go again, in order, and later ones follow them.
void ReleaseHeldKeys(EngineState& state, KeyPlatform& platform);
// The held keys go at once and nothing more is held: a chord is pressed, or the text is overdue.
void StopHolding(EngineState& state, KeyPlatform& platform);

// A click, another focus or window in front: what was typed is no longer before the caret.
void ForgetTyped(EngineState& state);

// How long keys are held at the most: past it they go, even if the text is not out yet.
constexpr std::uint32_t kHoldLimitMs = 5000;
// How long injected keys may take to come back through the hook; past it they count as back.
constexpr std::uint32_t kFlightLimitMs = 1000;

// The case the user typed an abbreviation in, carried over to its text.
enum class TextCase : std::uint8_t { AsStored, FirstCapital, Capitals };
// "Sig" gives FirstCapital, "SIG" (two or more letters, all capitals) Capitals, the rest AsStored.
TextCase CaseOfTyped(std::u16string_view typed);
void ApplyTextCase(std::u16string& text, TextCase textCase);

// A unit before which a word starts: a space, a line break, punctuation.
bool IsWordBoundary(char16_t unit);
// A unit that fires the abbreviation before it: space, Enter, Tab, . , ! ? ; : )
bool IsEndingUnit(char16_t unit);

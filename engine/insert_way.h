#pragma once
// Which way a chord's text goes. The first rule that applies decides: the item's own way, a
// program of the keystroke list, a program of the clipboard list, the long-text rule, the
// general choice ("TypeMode"). An excluded program gets nothing at all, before any of these.
#include <cstddef>
#include <cstdint>

#include "engine/hotkey.h"

struct WayRules {
    std::int32_t itemWay = kWayAsSettings;
    bool keystrokeProgram = false;
    bool clipboardProgram = false;
    std::uint32_t pasteLongerThan = 0;  // UTF-16 units; 0 leaves long texts to the general way
    std::int32_t generalWay = kTypeByMessages;
};

// The way for a text of `length` units, once placeholders are filled in.
std::int32_t ChooseWay(const WayRules& rules, std::size_t length);
// True when only the long-text rule and the general choice are left, so the length decides.
bool LengthDecides(const WayRules& rules);

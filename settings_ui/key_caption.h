#pragma once
// The caption of a hotkey in the hotkey list: the extra modifier's prefix, then the key.
#include <cstdint>

#include "toolkit/wide_string.h"

// "Control + " for 17, "Shift + " for 16, nothing otherwise; then the key code taken as one
// UTF-16 unit: the codes of letter and digit keys are those of the upper-case characters.
WideString KeyCaption(std::uint16_t keyCode, std::int32_t extraModifier);

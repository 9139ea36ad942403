#pragma once
// What the hotkey list shows: the caption of a chord or of an abbreviation, and the text it
// types; and which abbreviations an item may have.
#include <cstdint>
#include <string_view>

#include "toolkit/wide_string.h"

// "Control + " for 17, "Shift + " for 16, nothing otherwise; then the key. Letter and digit
// keys show their upper-case character, which their codes are; other keys show the name that
// Windows gives them, when given one, or else the key code taken as one UTF-16 unit.
WideString KeyCaption(std::uint16_t keyCode, std::int32_t extraModifier, std::u16string_view keyName = {});

// The text on one line: each line break (CR LF, CR or LF) shows as one "⏎".
WideString ListedText(std::u16string_view text);

// «sig»: the quotes tell an abbreviation from a key's name.
WideString AbbreviationCaption(std::u16string_view abbreviation);

// Why an abbreviation cannot be an item's, if it cannot: typing stops matching at a space or a
// line break, so one holding them would never fire; control units (the stored items'
// delimiters among them) count as such.
enum class AbbreviationFault : std::uint8_t { None, Empty, TooLong, Space };
AbbreviationFault CheckAbbreviation(std::u16string_view abbreviation);

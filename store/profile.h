#pragma once
// The current profile and its hotkey items, stored as one ItemsText value: per item the
// key code as one unit, an optional "c" (Ctrl) or "s" (Shift), U+0001, the text, U+0002.
#include <string_view>

#include "engine/hotkey.h"
#include "store/setting_value.h"
#include "store/settings_store.h"
#include "toolkit/wide_string.h"

inline constexpr char16_t kItemsSeparator = u'\u0001';
inline constexpr char16_t kItemsTerminator = u'\u0002';

// The text without the units an item's text cannot be stored with: the two format marks, and
// zero, which would end the stored string and lose every item after it.
WideString StorableItemText(std::u16string_view text);

// Reads "Profiles"/"Profile" (falling back to "Default") and sets the "*prof*" token.
WideString ChooseProfile(SettingsStore& store);
// "Profiles\" + name: the profile's own key.
WideString ProfileSection(const WideString& profileName);

WideString BuildItemsText(const HotkeyTable& table);
// The items' own ways, in the shape of the items text with the way's digit as the text; an
// entry whose chord has no item, or whose way is unknown, is skipped.
WideString BuildWaysText(const HotkeyTable& table);
void ApplyWaysText(std::u16string_view text, HotkeyTable& table);
// Appends every item the text holds; damaged parts are skipped, nothing fails.
void ParseItemsText(std::u16string_view text, HotkeyTable& table);
// The abbreviations' items: per item the abbreviation, U+0001, the text, U+0002. Items whose
// abbreviation holds a format unit, or is empty, are skipped.
WideString BuildAbbreviationsText(const HotkeyTable& table);
void ParseAbbreviationsText(std::u16string_view text, HotkeyTable& table);
// Their options in the same shape, the option letters as the text ('0'..'2' the item's own
// way, 'i' "сразу"), for the items whose options are not the defaults only.
WideString BuildAbbreviationOptionsText(const HotkeyTable& table);
void ApplyAbbreviationOptionsText(std::u16string_view text, HotkeyTable& table);
// The thirty items of a profile with none stored.
void AppendDefaultItems(HotkeyTable& table);

void LoadSettings(SettingsStore& store, SettingsList& general, SettingsList& profile,
                  const WideString& profileName, HotkeyTable& table);
// Returns whether the items were written; old items stay readable until the new ones are.
bool SaveSettings(SettingsStore& store, SettingsList& general, SettingsList& profile,
                  const WideString& profileName, const HotkeyTable& table);

#include "store/profile.h"

#include "store/catalogue.h"

namespace {

constexpr char16_t kCtrlMark = u'c';
constexpr char16_t kShiftMark = u's';
constexpr char16_t kImmediateMark = u'i';

// A profile name is one key name under "Profiles": an empty one would make the profile's
// key "Profiles" itself and a backslash would reach into another key, so that a save
// would delete what belongs to other profiles.
bool IsProfileName(const WideString& name) {
    return !name.IsNull() && !name.IsEmpty() && name.View().find(u'\\') == std::u16string_view::npos;
}

bool IsFormatUnit(char16_t unit) { return unit == u'\0' || unit == kItemsSeparator || unit == kItemsTerminator; }

struct DefaultText {
    std::uint16_t keyCode;
    const char16_t* plain;
    const char16_t* withModifier;
};

constexpr DefaultText kDefaultTexts[] = {
    {0x31, u"Привет!", u"Привет!"}, {0x32, u"@", u"@"},
    {0x33, u"Пока!", u"Пока!"},     {0x34, u"Жду в гости!", u"Жду в гости!"},
    {0x35, u"%)", u"%)"},           {0x36, u"^_^", u"^_^"},
    {0x37, u"O_o", u"O_o"},         {0x38, u":*", u":*"},
    {0x39, u":(", u":("},           {0x30, u":)", u":)))"},
};

}  // namespace

WideString StorableItemText(std::u16string_view text) {
    WideString kept(u"");
    for (const char16_t unit : text)
        if (!IsFormatUnit(unit)) kept.Append(unit);
    return kept;
}

WideString ProfileSection(const WideString& profileName) {
    WideString section(u"Profiles\\");
    section.Append(profileName);
    return section;
}

WideString ChooseProfile(SettingsStore& store) {
    WideString name(kDefaultProfile);
    WideString stored;
    if (store.ReadString(kSectionProfiles, kKeyProfile, stored) && IsProfileName(stored)) name = stored;
    WideString token = ProfileSection(name);
    token.Append(u'\\');
    store.SetToken(kProfileToken, token);
    return name;
}

namespace {

// Appends the item's chord and the separator; false, appending nothing, when the chord cannot
// be stored.
bool AppendChord(WideString& text, const HotkeyItem& item) {
    char16_t mark = 0;
    if (item.extraModifier == kModifierCtrl) mark = kCtrlMark;
    else if (item.extraModifier == kModifierShift) mark = kShiftMark;
    else if (item.extraModifier != kModifierNone) return false;
    // A key code that is itself a format unit cannot be written without breaking the text.
    if (IsFormatUnit(static_cast<char16_t>(item.keyCode))) return false;
    text.Append(static_cast<char16_t>(item.keyCode));
    if (mark != 0) text.Append(mark);
    text.Append(kItemsSeparator);
    return true;
}

}  // namespace

WideString BuildItemsText(const HotkeyTable& table) {
    WideString text(u"");
    for (std::size_t i = 0; i < table.Count(); ++i) {
        const HotkeyItem& item = table.At(i);
        // An older Vellory reads every entry of "data" as a chord: abbreviations live in "abbrs".
        if (item.IsAbbreviation() || !AppendChord(text, item)) continue;
        text.Append(StorableItemText(item.text.View()));
        text.Append(kItemsTerminator);
    }
    return text;
}

WideString BuildWaysText(const HotkeyTable& table) {
    WideString text(u"");
    for (std::size_t i = 0; i < table.Count(); ++i) {
        const HotkeyItem& item = table.At(i);
        // Only the first item of a chord ever types, so the chord names the item.
        if (item.IsAbbreviation() || item.way < kTypeByMessages || item.way > kTypeByClipboard ||
            table.FindChord(item.keyCode, item.extraModifier) != static_cast<std::int32_t>(i))
            continue;
        if (!AppendChord(text, item)) continue;
        text.Append(static_cast<char16_t>(u'0' + item.way));
        text.Append(kItemsTerminator);
    }
    return text;
}

void ApplyWaysText(std::u16string_view text, HotkeyTable& table) {
    HotkeyTable ways;
    ParseItemsText(text, ways);
    for (std::size_t i = 0; i < ways.Count(); ++i) {
        const HotkeyItem& entry = ways.At(i);
        const std::u16string_view way = entry.text.View();
        const std::int32_t item = table.FindChord(entry.keyCode, entry.extraModifier);
        if (item < 0 || way.size() != 1 || way[0] < u'0' || way[0] > u'0' + kTypeByClipboard) continue;
        table.At(static_cast<std::size_t>(item)).way = way[0] - u'0';
    }
}

void ParseItemsText(std::u16string_view text, HotkeyTable& table) {
    while (!text.empty()) {
        const std::size_t end = text.find(kItemsTerminator);
        const std::u16string_view token = text.substr(0, end);
        text.remove_prefix(end == std::u16string_view::npos ? text.size() : end + 1);

        const std::size_t separator = token.find(kItemsSeparator);
        if (separator == std::u16string_view::npos) continue;  // also skips empty tokens
        std::int32_t modifier = kModifierNone;
        if (separator != 1 && token.size() > 1) {
            if (token[1] == kCtrlMark) modifier = kModifierCtrl;
            else if (token[1] == kShiftMark) modifier = kModifierShift;
        }
        table.Append(token[0], modifier, WideString(token.substr(separator + 1)));
    }
}

namespace {

// Appends the abbreviation and the separator; false, appending nothing, when it cannot be stored.
bool AppendAbbreviation(WideString& text, const HotkeyItem& item) {
    const std::u16string_view abbreviation = item.abbreviation.View();
    if (!item.IsAbbreviation() || abbreviation.empty()) return false;
    for (const char16_t unit : abbreviation)
        if (IsFormatUnit(unit)) return false;
    text.Append(abbreviation);
    text.Append(kItemsSeparator);
    return true;
}

// Takes the next entry with both parts off the text into head and body; false at its end.
bool NextAbbreviationEntry(std::u16string_view& text, std::u16string_view& head, std::u16string_view& body) {
    while (!text.empty()) {
        const std::size_t end = text.find(kItemsTerminator);
        const std::u16string_view token = text.substr(0, end);
        text.remove_prefix(end == std::u16string_view::npos ? text.size() : end + 1);
        const std::size_t separator = token.find(kItemsSeparator);
        if (separator == std::u16string_view::npos || separator == 0) continue;
        head = token.substr(0, separator);
        body = token.substr(separator + 1);
        return true;
    }
    return false;
}

// The abbreviations with their texts, or with the options of those whose options are not the defaults.
WideString BuildAbbreviationEntries(const HotkeyTable& table, bool options) {
    WideString text(u"");
    for (std::size_t i = 0; i < table.Count(); ++i) {
        const HotkeyItem& item = table.At(i);
        const bool ownWay = item.way >= kTypeByMessages && item.way <= kTypeByClipboard;
        // Only the first item of an abbreviation ever types, so the abbreviation names the item.
        if (options && ((!ownWay && !item.immediate) || !item.IsAbbreviation() ||
                        table.FindAbbreviation(item.abbreviation.View()) != static_cast<std::int32_t>(i)))
            continue;
        if (!AppendAbbreviation(text, item)) continue;
        if (!options) text.Append(StorableItemText(item.text.View()));
        if (options && ownWay) text.Append(static_cast<char16_t>(u'0' + item.way));
        if (options && item.immediate) text.Append(kImmediateMark);
        text.Append(kItemsTerminator);
    }
    return text;
}

// Written only when there is something to write, so a table without it stores what it did.
void WriteUnlessEmpty(SettingsStore& store, const char16_t* key, const WideString& text) {
    store.WriteString(kSectionItems, key, text.IsEmpty() ? WideString::Null() : text);
}

}  // namespace

WideString BuildAbbreviationsText(const HotkeyTable& table) { return BuildAbbreviationEntries(table, false); }

void ParseAbbreviationsText(std::u16string_view text, HotkeyTable& table) {
    std::u16string_view abbreviation, itemText;
    while (NextAbbreviationEntry(text, abbreviation, itemText))
        table.AppendAbbreviation(WideString(abbreviation), WideString(itemText));
}

WideString BuildAbbreviationOptionsText(const HotkeyTable& table) { return BuildAbbreviationEntries(table, true); }

void ApplyAbbreviationOptionsText(std::u16string_view text, HotkeyTable& table) {
    std::u16string_view abbreviation, options;
    while (NextAbbreviationEntry(text, abbreviation, options)) {
        const std::int32_t item = table.FindAbbreviation(abbreviation);
        if (item < 0) continue;
        const auto i = static_cast<std::size_t>(item);
        // Letters this Vellory does not know are a later one's: they are skipped.
        for (const char16_t letter : options) {
            if (letter >= u'0' && letter <= u'0' + kTypeByClipboard) table.At(i).way = letter - u'0';
            if (letter == kImmediateMark) table.SetImmediate(i, true);
        }
    }
}

void AppendDefaultItems(HotkeyTable& table) {
    for (std::int32_t modifier : {kModifierNone, kModifierShift, kModifierCtrl})
        for (const DefaultText& entry : kDefaultTexts)
            table.Append(entry.keyCode, modifier,
                         WideString(modifier == kModifierNone ? entry.plain : entry.withModifier));
}

void LoadSettings(SettingsStore& store, SettingsList& general, SettingsList& profile,
                  const WideString& profileName, HotkeyTable& table) {
    general.LoadAll(kSectionCommon);
    profile.LoadAll(ProfileSection(profileName));
    WideString text;
    if (store.ReadString(kSectionItems, kKeyItemsData, text))
        ParseItemsText(text.View(), table);
    else
        AppendDefaultItems(table);
    if (store.ReadString(kSectionItems, kKeyItemsWays, text)) ApplyWaysText(text.View(), table);
    if (!store.ReadString(kSectionItems, kKeyItemsAbbreviations, text)) return;
    ParseAbbreviationsText(text.View(), table);
    if (store.ReadString(kSectionItems, kKeyItemsAbbreviationOptions, text))
        ApplyAbbreviationOptionsText(text.View(), table);
}

bool SaveSettings(SettingsStore& store, SettingsList& general, SettingsList& profile,
                  const WideString& profileName, const HotkeyTable& table) {
    const WideString section = ProfileSection(profileName);
    // The new items replace the old value in one write before anything else under the
    // profile's key is removed, so an interruption leaves the old or the new items, never none.
    const bool written = store.WriteString(kSectionItems, kKeyItemsData, BuildItemsText(table));
    // A table of chords alone stores exactly what it stored before abbreviations existed.
    WriteUnlessEmpty(store, kKeyItemsWays, BuildWaysText(table));
    WriteUnlessEmpty(store, kKeyItemsAbbreviations, BuildAbbreviationsText(table));
    WriteUnlessEmpty(store, kKeyItemsAbbreviationOptions, BuildAbbreviationOptionsText(table));
    if (written) store.PruneSection(section, u"items\\data|ways|abbrs|abbropts");
    store.WriteString(kSectionProfiles, kKeyProfile, profileName);
    profile.SaveAll(section);
    general.SaveAll(kSectionCommon);
    return written;
}

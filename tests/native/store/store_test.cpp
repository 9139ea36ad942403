#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "store/catalogue.h"
#include "store/memory_registry.h"
#include "store/placement_record.h"
#include "store/profile.h"
#include "store/setting_value.h"
#include "store_contract.h"

ContractBackend MakeContractBackend() { return {std::make_unique<MemoryRegistry>(), WideString(u"Software\\VelloryStoreTest")}; }

void SaveExamplePlacement(SettingsStore& store) {
    const PlacementBlock block = EncodePlacement(PlacementRecord{});
    store.WriteInt(kSectionMainWindow, kKeyTopmost, 1);
    store.WriteString(kSectionMainWindow, kKeyTopmost, WideString::Null());
    store.WriteStruct(kSectionMainWindow, kKeyPlacement, block.data(), kPlacementSize);
}

namespace {

struct AppStore {
    AppStore() {
        store.SetToken(kFirmToken, u"Brannock\\");
        store.SetToken(kApplicationToken, u"Vellory\\");
        store.SetBasePath(kBasePath);
    }
    WideString Text(const WideString& section, const WideString& key) {
        WideString out;
        return store.ReadString(section, key, out) ? out : WideString::Null();
    }
    MemoryRegistry registry;
    SettingsStore store{registry};
};

// Passes calls to a memory registry; the N-th change fails, or from the N-th on nothing
// lands any more, as when the process dies there.
class FaultyRegistry : public RegistryBackend {
public:
    explicit FaultyRegistry(MemoryRegistry& inner) : inner_(inner) {}
    int failAt = -1, crashAt = -1, changes = 0;

    RegistryStatus CreateKey(const char16_t* p, RegistryKeyId* k) override {
        return Change() ? inner_.CreateKey(p, k) : (*k = 0, kRegistryAccessDenied);
    }
    RegistryStatus OpenKey(const char16_t* p, KeyAccess a, RegistryKeyId* k) override { return inner_.OpenKey(p, a, k); }
    RegistryStatus SetValue(RegistryKeyId k, const char16_t* n, std::uint32_t t, const void* d, std::uint32_t s) override {
        return Change() ? inner_.SetValue(k, n, t, d, s) : kRegistryAccessDenied;
    }
    RegistryStatus QueryValue(RegistryKeyId k, const char16_t* n, std::uint32_t* t, void* d, std::uint32_t* s) override {
        return inner_.QueryValue(k, n, t, d, s);
    }
    RegistryStatus DeleteValue(RegistryKeyId k, const char16_t* n) override {
        return Change() ? inner_.DeleteValue(k, n) : kRegistryAccessDenied;
    }
    RegistryStatus EnumSubkey(RegistryKeyId k, std::uint32_t i, WideString* n) override { return inner_.EnumSubkey(k, i, n); }
    RegistryStatus EnumValue(RegistryKeyId k, std::uint32_t i, WideString* n) override { return inner_.EnumValue(k, i, n); }
    RegistryStatus DeleteTree(const char16_t* p) override { return Change() ? inner_.DeleteTree(p) : kRegistryAccessDenied; }
    void CloseKey(RegistryKeyId k) override { inner_.CloseKey(k); }

private:
    bool Change() {
        const int n = changes++;
        return n != failAt && (crashAt < 0 || n < crashAt);
    }
    MemoryRegistry& inner_;
};

std::vector<std::tuple<int, int, std::u16string>> Items(const HotkeyTable& table) {
    std::vector<std::tuple<int, int, std::u16string>> out;
    for (std::size_t i = 0; i < table.Count(); ++i)
        out.emplace_back(table.At(i).keyCode, table.At(i).extraModifier, std::u16string(table.At(i).text.View()));
    return out;
}

}  // namespace

TEST(SettingsStore, ResolvesTokensInListOrderWithoutRescanning) {
    MemoryRegistry registry;
    SettingsStore store(registry);
    EXPECT_EQ(store.ResolvePath(u"Options\\Common").View(), u"Options\\Common");
    store.SetBasePath(u"B\\");
    store.SetToken(u"*a*", u"*b*");
    store.SetToken(u"*b*", u"X");
    store.SetToken(u"*t*", u"1*t*2");
    store.SetToken(u"aa", u"c");
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"*a*", u"B\\X"},                // a later pair works on the result of an earlier one
        {u"*t*\\*t*", u"B\\1*t*2\\1*t*2"}, // a value just inserted is not rescanned
        {u"aaa", u"B\\ca"},               // the scan goes on after each occurrence
        {u"plain", u"B\\plain"},
    };
    for (auto [section, resolved] : cases) EXPECT_EQ(store.ResolvePath(section).View(), resolved) << (char)section[1];
    store.SetToken(u"*a*", u"*b*");  // moves to the end: "*b*" has already had its turn
    EXPECT_EQ(store.ResolvePath(u"*a*").View(), u"B\\*b*");
    ASSERT_EQ(store.Tokens().size(), 4u);

    AppStore app;
    app.store.SetToken(kProfileToken, u"Profiles\\Default\\");
    EXPECT_EQ(app.store.ResolvePath(kSectionCommon).View(), u"Software\\Brannock\\Vellory\\Options\\Common");
    EXPECT_EQ(app.store.ResolvePath(kSectionItems).View(), u"Software\\Brannock\\Vellory\\Profiles\\Default\\items");
}

TEST(SettingsStore, ClosesEveryKeyItOpensAndRefusesWriteOnlyQueries) {
    AppStore app;
    char buffer[4];
    WideString out;
    app.store.WriteString(u"A", u"v", u"x");
    app.store.WriteStruct(u"A", u"s", "ab", 2);
    app.store.ReadString(u"A", u"v", out);
    app.store.ReadString(u"A", u"none", out);
    app.store.ReadStruct(u"A", u"s", buffer, 4);
    app.store.SectionExists(u"A");
    app.store.PruneSection(u"", u"A\\v");
    EXPECT_EQ(app.registry.OpenKeyCount(), 0u);
    RegistryKeyId key = 0;
    std::uint32_t size = 0;
    ASSERT_EQ(app.registry.CreateKey(u"A", &key), kRegistryOk);
    EXPECT_EQ(app.registry.QueryValue(key, u"v", nullptr, nullptr, &size), kRegistryAccessDenied);
    app.registry.CloseKey(key);
}

TEST(SettingValues, LoadConvertsStoredTextAndKeepsValuesOnMissing) {
    const struct { const char16_t* stored; std::int32_t number; bool flag; } cases[] = {
        {u"7", 7, true},  {u"-3", -3, true}, {u" \t12x", 12, true}, {u"abc", 0, false},
        {u"", 0, false},  {u"+0", 0, false}, {u"99999999999", INT_MAX, true}, {u"١", 0, false},
    };
    for (const auto& c : cases) {
        AppStore app;
        app.store.WriteString(kSectionCommon, u"N", c.stored);
        IntSetting number(5);
        BoolSetting flag(true);
        number.SetKey(u"n");  // names ignore case
        flag.SetKey(u"N");
        EXPECT_TRUE(number.Load(&app.store, kSectionCommon));
        EXPECT_TRUE(flag.Load(&app.store, kSectionCommon));
        EXPECT_EQ(number.Get(), c.number) << (int)c.stored[0];
        EXPECT_EQ(flag.Get(), c.flag);
        EXPECT_EQ(number.IsModified(), c.number != 5);  // only the current value moved
    }
    AppStore app;
    app.store.WriteStruct(kSectionCommon, u"Zero", "", 0);
    IntSetting missing(4), zero(6);
    SettingsList list(&app.store);
    list.Register(&missing, u"Missing");
    list.Register(&zero, u"Zero");
    list.LoadAll(kSectionCommon);
    list.LoadAll(u"No\\Such\\Section");
    EXPECT_EQ(missing.Get(), 4);
    EXPECT_EQ(zero.Get(), 6);
    EXPECT_FALSE(missing.Load(nullptr, kSectionCommon));
    EXPECT_FALSE(missing.Save(nullptr, kSectionCommon));
}

TEST(SettingValues, SaveDeletesOnlyAtADefault) {
    AppStore app;
    IntSetting hotKey2(kInitialHotKey2), plain(0);
    BoolSetting ru(kInitialRu);
    hotKey2.SetDefault(kDefaultHotKey2);
    ru.SetDefault(kDefaultRu);
    SettingsList list(&app.store);
    EXPECT_TRUE(list.Register(&hotKey2, kKeyHotKey2));
    EXPECT_TRUE(list.Register(&ru, kKeyRu));
    EXPECT_TRUE(list.Register(&plain, u"First"));
    EXPECT_FALSE(list.Register(&plain, u"Plain"));  // renamed, listed once
    EXPECT_EQ(list.Count(), 3u);
    app.store.WriteString(kSectionCommon, kKeyRu, u"7");
    app.store.WriteString(kSectionCommon, kKeyHotKey2, u"1");
    list.LoadAll(kSectionCommon);
    EXPECT_TRUE(ru.Get());
    const struct { std::int32_t hotKey2; bool ru; WideString storedHotKey2, storedRu, storedPlain; } steps[] = {
        {1, true, u"1", u"1", u"0"},
        {0, false, WideString::Null(), WideString::Null(), u"0"},
        {1, false, u"1", WideString::Null(), u"0"},
    };
    for (const auto& s : steps) {
        hotKey2.Set(s.hotKey2);
        ru.Set(s.ru);
        list.SaveAll(kSectionCommon);
        EXPECT_EQ(app.Text(kSectionCommon, kKeyHotKey2).IsNull(), s.storedHotKey2.IsNull());
        EXPECT_EQ(app.Text(kSectionCommon, kKeyHotKey2).View(), s.storedHotKey2.View());
        EXPECT_EQ(app.Text(kSectionCommon, kKeyRu).IsNull(), s.storedRu.IsNull());
        EXPECT_EQ(app.Text(kSectionCommon, u"Plain").View(), s.storedPlain.View());
    }
    EXPECT_TRUE(app.Text(kSectionCommon, u"First").IsNull());
    hotKey2.Remember();
    hotKey2.Set(0);
    EXPECT_TRUE(hotKey2.IsModified());
    hotKey2.Revert();
    EXPECT_EQ(hotKey2.Get(), 1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
}

TEST(ItemsText, ParsesWhatItCanAndSkipsTheRest) {
    using Items_ = std::vector<std::tuple<int, int, std::u16string>>;
    const std::pair<std::u16string, Items_> cases[] = {
        {u"1c\u0001x\u00021s\u0001y\u0002", {{0x31, 17, u"x"}, {0x31, 16, u"y"}}},
        {u"5\u0001\u0002", {{0x35, 0, u""}}},
        {u"5q\u0001z", {{0x35, 0, u"z"}}},
        {u"7\u0001a\u0002\u0002\u0002no separator\u00028s\u0001b\u0001c\u0002", {{0x37, 0, u"a"}, {0x38, 16, u"b\u0001c"}}},
        {u"\u0001t\u0002", {{1, 0, u"t"}}},
        {u"", {}},
    };
    for (const auto& [text, items] : cases) {
        HotkeyTable table;
        ParseItemsText(text, table);
        EXPECT_EQ(Items(table), items);
    }
}

TEST(ItemsText, BuildsOnlyWhatParsesBack) {
    HotkeyTable table;
    table.Append(0x31, kModifierNone, u"Привет!");
    table.Append(0x31, kModifierShift, u"a\u0001b\u0002c");  // format units in a text are dropped
    table.Append(0x32, 18, u"alt");                         // no such extra modifier: left out
    table.Append(0x01, kModifierNone, u"bad key");          // key codes that are format units too
    table.Append(0x00, kModifierNone, u"bad key");
    table.Append(0x39, kModifierCtrl, WideString(std::u16string_view(u"x\0y", 3)));
    const WideString text = BuildItemsText(table);
    EXPECT_EQ(text.View(), u"1\u0001Привет!\u00021s\u0001abc\u00029c\u0001xy\u0002");
    HotkeyTable back;
    ParseItemsText(text.View(), back);
    const std::vector<std::tuple<int, int, std::u16string>> expected = {
        {0x31, 0, u"Привет!"}, {0x31, 16, u"abc"}, {0x39, 17, u"xy"}};
    EXPECT_EQ(Items(back), expected);
    EXPECT_EQ(BuildItemsText(back).View(), text.View());
    EXPECT_FALSE(BuildItemsText(HotkeyTable()).IsNull());
    EXPECT_EQ(StorableItemText(std::u16string_view(u"x\0y\u0001z", 5)).View(), u"xyz") << "what the item dialog keeps";
}

TEST(Profile, FirstStartGivesTheThirtyDefaultItems) {
    AppStore app;
    SettingsList general(&app.store), profile(&app.store);
    const WideString name = ChooseProfile(app.store);
    EXPECT_EQ(name.View(), u"Default");
    HotkeyTable table;
    LoadSettings(app.store, general, profile, name, table);
    const std::u16string plain[] = {u"Привет!", u"@", u"Пока!", u"Жду в гости!", u"%)", u"^_^", u"O_o", u":*", u":(", u":)"};
    const std::int32_t modifiers[] = {kModifierNone, kModifierShift, kModifierCtrl};
    ASSERT_EQ(table.Count(), 30u);
    for (std::size_t i = 0; i < 30; ++i) {
        const HotkeyItem& item = table.At(i);
        EXPECT_EQ(item.keyCode, u"1234567890"[i % 10]) << i;
        EXPECT_EQ(item.extraModifier, modifiers[i / 10]) << i;
        EXPECT_EQ(item.text.View(), i % 10 == 9 && i >= 10 ? u":)))" : plain[i % 10]) << i;
    }
}

TEST(Profile, StoredProfileAndDataDecideTheItems) {
    const struct { WideString profile; WideString data; std::size_t items; const char16_t* key; } cases[] = {
        {WideString::Null(), WideString(u""), 0, u"Profiles\\Default\\items"},  // 2 bytes: an empty table
        {WideString(u"Work"), WideString(u"1\u0001w\u0002"), 1, u"Profiles\\Work\\items"},
        {WideString(u""), WideString(u"1\u0001w\u0002"), 1, u"Profiles\\Default\\items"},  // no such profile name
        {WideString(u"A\\B"), WideString(u"1\u0001w\u0002"), 1, u"Profiles\\Default\\items"},
    };
    for (const auto& c : cases) {
        AppStore app;
        if (!c.profile.IsNull()) app.store.WriteString(kSectionProfiles, kKeyProfile, c.profile);
        app.store.WriteString(c.key, kKeyItemsData, c.data);
        SettingsList general(&app.store), profile(&app.store);
        const WideString name = ChooseProfile(app.store);
        HotkeyTable table;
        LoadSettings(app.store, general, profile, name, table);
        EXPECT_EQ(table.Count(), c.items) << (int)c.key[10];
        SaveSettings(app.store, general, profile, name, table);
        const WideString first = app.Text(c.key, kKeyItemsData);
        EXPECT_EQ(first.View(), c.data.View());
        SaveSettings(app.store, general, profile, name, table);
        EXPECT_EQ(app.Text(c.key, kKeyItemsData), first);
    }
    AppStore zero;
    zero.store.SetToken(kProfileToken, u"Profiles\\Default\\");
    zero.store.WriteStruct(kSectionItems, kKeyItemsData, "", 0);
    SettingsList general(&zero.store), profile(&zero.store);
    HotkeyTable table;
    LoadSettings(zero.store, general, profile, u"Default", table);
    EXPECT_EQ(table.Count(), 30u);
}

// An item's own way is stored beside "data", by chord, and only for the chord's first item;
// "data" stays what it was, and a table without ways leaves no value behind.
TEST(Profile, ItemsKeepTheirOwnWaysBesideData) {
    AppStore app;
    const WideString name = ChooseProfile(app.store);
    SettingsList none(&app.store);
    HotkeyTable table;
    table.Append(0x31, kModifierNone, u"a").way = kTypeByClipboard;
    table.Append(0x31, kModifierNone, u"never types").way = kTypeByKeystrokes;
    table.Append(0x32, kModifierCtrl, u"b").way = kTypeByMessages;
    table.Append(0x33, kModifierShift, u"c");
    SaveSettings(app.store, none, none, name, table);
    EXPECT_EQ(app.Text(kSectionItems, kKeyItemsWays).View(), u"1\u00012\u00022c\u00010\u0002");
    EXPECT_EQ(app.Text(kSectionItems, kKeyItemsData), BuildItemsText(table));

    // Entries of a chord without an item, or with a way this Vellory does not know, are skipped.
    app.store.WriteString(kSectionItems, kKeyItemsWays, u"1\u00012\u00022c\u00010\u00029\u00011\u00023s\u00017\u0002");
    HotkeyTable loaded;
    LoadSettings(app.store, none, none, name, loaded);
    const std::int32_t ways[] = {kTypeByClipboard, kWayAsSettings, kTypeByMessages, kWayAsSettings};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(loaded.At(i).way, ways[i]) << i;

    for (std::size_t i = 0; i < loaded.Count(); ++i) loaded.At(i).way = kWayAsSettings;
    SaveSettings(app.store, none, none, name, loaded);
    EXPECT_TRUE(app.Text(kSectionItems, kKeyItemsWays).IsNull());
}

// Abbreviations live in "abbrs", their options in "abbropts" only where they differ from the
// defaults; "data" keeps the chords alone, as an older Vellory reads it, and the prune keeps both.
TEST(Profile, AbbreviationsAreStoredBesideTheChords) {
    AppStore app;
    const WideString name = ChooseProfile(app.store);
    SettingsList none(&app.store);
    HotkeyTable table;
    table.Append(0x31, kModifierNone, u"a");
    table.AppendAbbreviation(u"sig", u"best\r\nregards");
    table.AppendAbbreviation(u";adr", u"Address").way = kTypeByClipboard;
    table.SetImmediate(2, true);
    table.AppendAbbreviation(u"SIG", u"never types").way = kTypeByKeystrokes;  // a duplicate, ignoring case
    app.store.WriteString(u"Profiles\\Default\\items", u"stale", u"x");
    SaveSettings(app.store, none, none, name, table);
    EXPECT_EQ(app.Text(kSectionItems, kKeyItemsData).View(), u"1\u0001a\u0002");
    EXPECT_EQ(app.Text(kSectionItems, u"abbrs").View(),
              u"sig\u0001best\r\nregards\u0002;adr\u0001Address\u0002SIG\u0001never types\u0002");
    EXPECT_EQ(app.Text(kSectionItems, u"abbropts").View(), u";adr\u00012i\u0002");
    EXPECT_TRUE(app.Text(kSectionItems, u"stale").IsNull());

    // As a plain entry written by hand reads: the defaults; unknown option letters are skipped.
    app.store.WriteString(kSectionItems, u"abbrs", u"sig\u0001best regards\u0002\u0001no abbreviation\u0002;adr\u0001A\u0002");
    app.store.WriteString(kSectionItems, u"abbropts", u";ADR\u0001i1z\u0002nope\u00010\u0002");
    HotkeyTable loaded;
    LoadSettings(app.store, none, none, name, loaded);
    ASSERT_EQ(loaded.Count(), 3u);
    EXPECT_FALSE(loaded.At(0).IsAbbreviation());
    EXPECT_EQ(loaded.At(1).abbreviation.View(), u"sig");
    EXPECT_EQ(loaded.At(1).text.View(), u"best regards");
    EXPECT_TRUE(!loaded.At(1).immediate && loaded.At(1).way == kWayAsSettings);
    EXPECT_TRUE(loaded.At(2).immediate && loaded.At(2).way == kTypeByKeystrokes);

    loaded.Remove(2);
    loaded.Remove(1);
    SaveSettings(app.store, none, none, name, loaded);
    EXPECT_TRUE(app.Text(kSectionItems, u"abbrs").IsNull() && app.Text(kSectionItems, u"abbropts").IsNull());
}

// Whatever point a save stops at, the old or the new items stay readable.
TEST(Profile, InterruptedSaveNeverLosesTheItems) {
    const auto prepare = [](AppStore& app, HotkeyTable& old) {
        old.Append(0x31, 0, u"old");
        SettingsList none(&app.store);
        SaveSettings(app.store, none, none, ChooseProfile(app.store), old);
        app.store.WriteString(u"Profiles\\Default", u"stale", u"x");
        app.store.WriteString(u"Profiles\\Default\\items", u"stale", u"x");
        app.store.WriteString(u"Profiles\\Default\\items\\sub", u"stale", u"x");
        app.store.WriteString(u"Profiles\\Default\\sub", u"stale", u"x");
    };
    HotkeyTable fresh;
    fresh.Append(0x32, kModifierCtrl, u"new");
    AppStore reference;
    HotkeyTable old;
    prepare(reference, old);
    IntSetting option(3);
    SettingsList general(&reference.store), profileList(&reference.store);
    general.Register(&option, u"Option");
    FaultyRegistry counter(reference.registry);
    {
        SettingsStore store(counter);
        store.SetBasePath(reference.store.BasePath());
        for (const auto& [token, value] : reference.store.Tokens()) store.SetToken(token, value);
        SettingsList list(&store);
        list.Register(&option, u"Option");
        ASSERT_TRUE(SaveSettings(store, list, profileList, u"Default", fresh));
    }
    const auto complete = reference.registry.Entries();
    ASSERT_EQ(complete.size(), 3u);  // Option, Profile, data
    for (int mode = 0; mode < 2; ++mode)
        for (int n = 0; n <= counter.changes; ++n) {
            AppStore app;
            HotkeyTable before;
            prepare(app, before);
            FaultyRegistry faulty(app.registry);
            (mode == 0 ? faulty.crashAt : faulty.failAt) = n;
            SettingsStore store(faulty);
            store.SetBasePath(app.store.BasePath());
            for (const auto& [token, value] : app.store.Tokens()) store.SetToken(token, value);
            SettingsList list(&store);
            list.Register(&option, u"Option");
            const bool saved = SaveSettings(store, list, profileList, u"Default", fresh);
            const WideString data = app.Text(kSectionItems, kKeyItemsData);
            EXPECT_TRUE(data == BuildItemsText(old) || data == BuildItemsText(fresh)) << mode << "/" << n;
            EXPECT_EQ(saved, data == BuildItemsText(fresh)) << mode << "/" << n;
            if (n == counter.changes) EXPECT_EQ(app.registry.Entries().size(), complete.size());
        }
}

TEST(PlacementRecord, ElevenLittleEndianFieldsAndKeptSize) {
    PlacementRecord record;
    record.showCommand = 3;
    record.minX = -1;
    record.left = 100, record.top = 100, record.right = 500, record.bottom = 400;
    const PlacementBlock block = EncodePlacement(record);
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.begin() + 16),
              (std::vector<std::uint8_t>{44, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(block[28], 100);
    EXPECT_EQ(block[36] | block[37] << 8, 500);
    PlacementRecord back = DecodePlacement(block);
    KeepCurrentSize(back, 20, 30, 320, 230);  // a 300 x 200 window
    EXPECT_EQ(std::tie(back.left, back.top, back.right, back.bottom), std::make_tuple(100, 100, 400, 300));
    EXPECT_EQ(back.minX, -1);
    KeepCurrentSize(back, INT_MIN, 0, INT_MAX, 0);  // damaged numbers wrap, never trap
    EXPECT_EQ(back.right, 100 + -1);
}

// Written once, compiled into the native program (memory backend) and the Windows program
// (the real registry under HKEY_CURRENT_USER).
#include "store_contract.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <tuple>

#include "store/catalogue.h"
#include "store/profile.h"
#include "store/setting_value.h"
#include "toolkit/case_fold.h"

std::vector<std::uint8_t> TextBytes(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) { bytes.push_back(c & 0xFF); bytes.push_back(c >> 8); }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

static std::u16string Upper(std::u16string_view s) {
    std::u16string out;
    for (char16_t c : s) out.push_back(UpcaseUnit(c));
    return out;
}

static void ListKey(RegistryBackend& backend, const WideString& path, const std::u16string& relative,
                    std::vector<StoredValue>* out) {
    BackendKey key(backend);
    ASSERT_EQ(backend.OpenKey(path.Data(), KeyAccess::Read, key.Put()), kRegistryOk);
    WideString name;
    for (std::uint32_t i = 0; backend.EnumValue(key.Get(), i, &name) == kRegistryOk; ++i) {
        std::uint32_t type = 0, size = 0;
        ASSERT_EQ(backend.QueryValue(key.Get(), name.Data(), &type, nullptr, &size), kRegistryOk);
        std::vector<std::uint8_t> bytes(size);
        ASSERT_EQ(backend.QueryValue(key.Get(), name.Data(), nullptr, bytes.data(), &size), kRegistryOk);
        out->push_back({relative, Upper(name.View()), type, bytes});
    }
    for (std::uint32_t i = 0; backend.EnumSubkey(key.Get(), i, &name) == kRegistryOk; ++i) {
        WideString sub = path;
        if (!path.View().ends_with(u'\\')) sub.Append(u"\\");
        sub.Append(name);
        ListKey(backend, sub, (relative.empty() ? u"" : relative + u"\\") + Upper(name.View()), out);
    }
}

std::vector<StoredValue> ListTree(RegistryBackend& backend, const WideString& path) {
    std::vector<StoredValue> out;
    ListKey(backend, path, u"", &out);
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        return std::tie(a.path, a.name) < std::tie(b.path, b.name);
    });
    return out;
}

class StoreContract : public ::testing::Test {
protected:
    void SetUp() override {
        WideString base = env_.scratch;
        base.Append(u"\\");
        store_.SetBasePath(base);
    }
    void TearDown() override { env_.backend->DeleteTree(env_.scratch.Data()); }

    // Type and bytes as the registry holds them; type kRegistryTypeNone when absent.
    std::pair<std::uint32_t, std::vector<std::uint8_t>> Raw(const WideString& section, const WideString& name) {
        BackendKey key(*env_.backend);
        std::uint32_t type = kRegistryTypeNone, size = 0;
        if (env_.backend->OpenKey(store_.ResolvePath(section).Data(), KeyAccess::Read, key.Put()) != kRegistryOk ||
            env_.backend->QueryValue(key.Get(), name.Data(), &type, nullptr, &size) != kRegistryOk)
            return {kRegistryTypeNone, {}};
        std::vector<std::uint8_t> bytes(size);
        env_.backend->QueryValue(key.Get(), name.Data(), nullptr, bytes.data(), &size);
        return {type, bytes};
    }

    ContractBackend env_ = MakeContractBackend();
    SettingsStore store_{*env_.backend};
};

TEST_F(StoreContract, WritesTextAndNumbersAsRegSz) {
    const struct { WideString value; std::u16string stored; } cases[] = {
        {WideString(u"Привет!"), u"Привет!"}, {WideString(u""), u""},  // empty is 2 bytes, present
        {WideString::FromInt(0), u"0"}, {WideString::FromInt(-1), u"-1"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(store_.WriteString(u"A\\B", u"v", c.value));
        EXPECT_EQ(Raw(u"A\\B", u"v"), std::make_pair(std::uint32_t{kRegistryTypeSz}, TextBytes(c.stored)));
        WideString read(u"old");
        EXPECT_TRUE(store_.ReadString(u"A\\B", u"v", read));
        EXPECT_EQ(read.View(), c.stored);
    }
    ASSERT_TRUE(store_.WriteInt(u"A", u"min", INT_MIN));
    EXPECT_EQ(Raw(u"A", u"min").second, TextBytes(u"-2147483648"));
    ASSERT_TRUE(store_.WriteString(u"A\\B", u"v", WideString::Null()));  // null deletes
    EXPECT_EQ(Raw(u"A\\B", u"v").first, kRegistryTypeNone);
    EXPECT_TRUE(store_.WriteString(u"A\\B", u"v", WideString::Null()));  // already gone: still done
}

TEST_F(StoreContract, FailedReadsLeaveTheOutStringAlone) {
    ASSERT_TRUE(store_.WriteStruct(u"S", u"zero", "", 0));
    for (auto [section, name] : {std::pair(u"Missing", u"v"), std::pair(u"S", u"missing"), std::pair(u"S", u"zero")}) {
        WideString out(u"kept");
        EXPECT_FALSE(store_.ReadString(section, name, out)) << static_cast<int>(name[0]);
        EXPECT_EQ(out.View(), u"kept");
    }
}

TEST_F(StoreContract, ReadsAnyTypeAsTextUpToTheFirstZero) {
    const std::uint32_t dword = 0x31;  // "1" and a zero unit, little-endian
    BackendKey key(*env_.backend);
    ASSERT_EQ(env_.backend->CreateKey(store_.ResolvePath(u"T").Data(), key.Put()), kRegistryOk);
    ASSERT_EQ(env_.backend->SetValue(key.Get(), u"d", kRegistryTypeDword, &dword, 4), kRegistryOk);
    ASSERT_TRUE(store_.WriteStruct(u"T", u"unterminated", u"ab", 4));
    ASSERT_TRUE(store_.WriteStruct(u"T", u"inner", u"a\0b", 6));
    for (auto [name, text] : {std::pair(u"d", u"1"), std::pair(u"unterminated", u"ab"), std::pair(u"inner", u"a")}) {
        WideString out;
        EXPECT_TRUE(store_.ReadString(u"T", name, out));
        EXPECT_EQ(out.View(), std::u16string_view(text));
    }
}

TEST_F(StoreContract, StructsKeepExactBytesAndReadOnlyIntoRoom) {
    const std::uint8_t block[5] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(store_.WriteStruct(u"S", u"b", block, 5));
    EXPECT_EQ(Raw(u"S", u"b"), std::make_pair(std::uint32_t{kRegistryTypeSz}, std::vector<std::uint8_t>(block, block + 5)));
    std::uint8_t buffer[8];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_TRUE(store_.ReadStruct(u"S", u"b", buffer, 8));  // shorter value: tail untouched
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 8), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE}));
    EXPECT_FALSE(store_.ReadStruct(u"S", u"b", buffer, 4));  // longer value fails
    EXPECT_FALSE(store_.ReadStruct(u"S", u"missing", buffer, 8));
    EXPECT_FALSE(store_.ReadStruct(u"Missing", u"b", buffer, 8));
    ASSERT_TRUE(store_.WriteStruct(u"S", u"b", nullptr, 5));
    EXPECT_EQ(Raw(u"S", u"b").first, kRegistryTypeNone);
}

TEST_F(StoreContract, NamesIgnoreCase) {
    ASSERT_TRUE(store_.WriteString(u"Options\\Профиль", u"HotKey2", u"1"));
    ASSERT_TRUE(store_.WriteString(u"OPTIONS\\ПРОФИЛЬ", u"HOTKEY2", u"2"));
    WideString out;
    EXPECT_TRUE(store_.ReadString(u"options\\профиль", u"hotkey2", out));
    EXPECT_EQ(out.View(), u"2");
    EXPECT_EQ(ListTree(*env_.backend, env_.scratch).size(), 1u);
}

TEST_F(StoreContract, SectionsExistAndGoWithEverythingBelow) {
    EXPECT_FALSE(store_.SectionExists(u"A"));
    EXPECT_FALSE(store_.DeleteSection(u"A"));
    ASSERT_TRUE(store_.WriteString(u"A\\B\\C", u"v", u"x"));
    ASSERT_TRUE(store_.WriteString(u"Z", u"v", u"x"));
    EXPECT_TRUE(store_.SectionExists(u"A\\B"));
    EXPECT_TRUE(store_.DeleteSection(u"A"));
    EXPECT_FALSE(store_.SectionExists(u"A"));
    EXPECT_TRUE(store_.SectionExists(u"Z"));
    EXPECT_TRUE(store_.DeleteSection(u""));  // the base key itself, trailing backslash and all
    EXPECT_FALSE(store_.SectionExists(u""));

    SettingsStore bare(*env_.backend);  // resolves to nothing: never the whole root
    EXPECT_FALSE(bare.DeleteSection(u""));
}

TEST_F(StoreContract, PruneKeepsOnlyTheNamedValue) {
    for (const char16_t* section : {u"P", u"P\\items", u"P\\items\\deep", u"P\\other"})
        ASSERT_TRUE(store_.WriteString(section, u"data", u"x"));
    ASSERT_TRUE(store_.WriteString(u"P\\items", u"more", u"x"));
    ASSERT_TRUE(store_.WriteString(u"Q", u"data", u"x"));
    ASSERT_TRUE(store_.WriteString(u"P\\items", u"ways", u"x"));
    EXPECT_TRUE(store_.PruneSection(u"P", u"ITEMS\\data|WAYS"));
    const auto tree = ListTree(*env_.backend, env_.scratch);
    ASSERT_EQ(tree.size(), 3u);
    EXPECT_EQ(tree[0].path + u"/" + tree[0].name, u"P\\ITEMS/DATA");
    EXPECT_EQ(tree[1].path + u"/" + tree[1].name, u"P\\ITEMS/WAYS");
    EXPECT_EQ(tree[2].path, u"Q");
    EXPECT_TRUE(store_.PruneSection(u"Missing", u"items\\data"));
}

// After a first run with nothing changed and a normal exit the store holds exactly this.
TEST_F(StoreContract, FirstRunLeavesTheDocumentedTable) {
    WideString firm = env_.scratch.View().substr(env_.scratch.View().rfind(u'\\') + 1);
    firm.Append(u"\\");
    store_.SetToken(kFirmToken, firm);
    store_.SetToken(kApplicationToken, u"Vellory\\");
    store_.SetBasePath(kBasePath);
    const WideString profile = ChooseProfile(store_);
    EXPECT_FALSE(store_.SectionExists(kSectionMainWindow));

    IntSetting hotKey2(kInitialHotKey2), startMinimize(kInitialStartMinimize);
    BoolSetting ru(kInitialRu), minimizeToTray(kInitialMinimizeToTray), hideInTray(kInitialHideInTray),
        keepInTray(kInitialKeepInTray), closeMinimize(kInitialCloseMinimize), confirmExit(kInitialConfirmExit);
    hotKey2.SetDefault(kDefaultHotKey2);
    ru.SetDefault(kDefaultRu);
    SettingsList general(&store_), profileList(&store_);
    general.Register(&hotKey2, kKeyHotKey2);
    general.Register(&ru, kKeyRu);
    general.Register(&minimizeToTray, kKeyMinimizeToTray);
    general.Register(&hideInTray, kKeyHideInTray);
    general.Register(&keepInTray, kKeyKeepInTray);
    general.Register(&startMinimize, kKeyStartMinimize);
    general.Register(&closeMinimize, kKeyCloseMinimize);
    general.Register(&confirmExit, kKeyConfirmExit);
    HotkeyTable table;
    LoadSettings(store_, general, profileList, profile, table);
    SaveExamplePlacement(store_);
    EXPECT_TRUE(SaveSettings(store_, general, profileList, profile, table));

    std::vector<StoredValue> tree = ListTree(*env_.backend, store_.ResolvePath(u""));
    ASSERT_EQ(tree.size(), 9u);
    EXPECT_EQ(tree[6].path + u"/" + tree[6].name, u"OPTIONS\\WINDOWS\\MAIN/PLMNT");
    EXPECT_EQ(tree[6].bytes.size(), 44u);
    tree.erase(tree.begin() + 6);
    const auto sz = [](std::u16string path, std::u16string name, std::u16string_view text) {
        return StoredValue{Upper(path), Upper(name), kRegistryTypeSz, TextBytes(text)};
    };
    HotkeyTable defaults;
    AppendDefaultItems(defaults);
    const std::vector<StoredValue> expected = {
        sz(u"Options\\Common", u"CloseMinimize", u"0"),  sz(u"Options\\Common", u"ConfirmExit", u"1"),
        sz(u"Options\\Common", u"HideInTray", u"0"),     sz(u"Options\\Common", u"KeepInTray", u"1"),
        sz(u"Options\\Common", u"MinimizeToTray", u"1"), sz(u"Options\\Common", u"StartMinimize", u"2"),
        sz(u"Profiles", u"Profile", u"Default"),
        sz(u"Profiles\\Default\\items", u"data", BuildItemsText(defaults).View()),
    };
    EXPECT_EQ(tree, expected);
}

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "toolkit/win32/version.h"

namespace {

std::u16string OwnPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::u16string(reinterpret_cast<const char16_t*>(path));
}

std::u16string Sibling(const char16_t* name) {
    std::u16string path = OwnPath();
    path.erase(path.rfind(u'\\') + 1);
    return path + name;
}

std::u16string Query(const std::u16string& path, VersionKey key) { return QueryVersionString(path.c_str(), key); }

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(Version, FirstTranslationThatHoldsTheNameWins) {
    const std::u16string self = OwnPath();
    struct Case { VersionKey key; std::u16string expected; };
    const Case cases[] = {
        {VersionKey::FileVersion, u"2.5.0.7"},                 // only in the second translation
        {VersionKey::CompanyName, u"First translation"},       // in both: the first one's
        {VersionKey::FileDescription, u"Утилита быстрой вставки текста"},
        {VersionKey::ProductVersion, u""},                     // in none
    };
    for (const auto& c : cases)
        EXPECT_EQ(Query(self, c.key), c.expected) << static_cast<int>(c.key);
}

TEST(Version, LongValuesAreCutToTheBuffer) {
    const std::u16string self = OwnPath();
    std::u16string digits;
    for (int i = 0; i < 127; ++i) digits += static_cast<char16_t>(u'0' + i % 10);
    struct Case { VersionKey key; std::u16string expected; };
    const Case cases[] = {
        {VersionKey::ProductName, digits},                            // 200 units
        {VersionKey::InternalName, std::u16string(127, u'b')},        // fits exactly
        {VersionKey::OriginalFilename, std::u16string(127, u'c')},    // one unit too many
        {VersionKey::LegalCopyright, std::u16string(126, u'd')},      // no half surrogate pair
    };
    for (const auto& c : cases) {
        const char16_t* text = QueryVersionString(self.c_str(), c.key);
        EXPECT_EQ(std::u16string(text), c.expected) << static_cast<int>(c.key);
    }
}

TEST(Version, EveryCallClearsTheOneBuffer) {
    const std::u16string self = OwnPath();
    const char16_t* first = QueryVersionString(self.c_str(), VersionKey::ProductName);
    ASSERT_NE(first[0], u'\0');
    const char16_t* second = QueryVersionString(self.c_str(), VersionKey::ProductVersion);
    EXPECT_EQ(first, second) << "one process-wide buffer";
    EXPECT_EQ(std::u16string(second), u"");
}

TEST(Version, MissingInformationGivesAnEmptyText) {
    const std::u16string self = OwnPath();
    const std::u16string untranslated = Sibling(u"version_sample_untranslated.exe");
    ASSERT_NE(::GetFileAttributesW(reinterpret_cast<const wchar_t*>(untranslated.c_str())), INVALID_FILE_ATTRIBUTES)
        << Narrow(untranslated);
    DWORD ignored = 0;
    ASSERT_GT(::GetFileVersionInfoSizeW(reinterpret_cast<const wchar_t*>(untranslated.c_str()), &ignored), 0u)
        << "it has version information, only no translation table";
    EXPECT_EQ(Query(untranslated, VersionKey::FileVersion), u"") << "no translation table";
    EXPECT_EQ(Query(Sibling(u"no_such_file.exe"), VersionKey::FileVersion), u"");
    EXPECT_EQ(Query(self, static_cast<VersionKey>(8)), u"") << "index past the names";
    EXPECT_EQ(Query(self, static_cast<VersionKey>(-1)), u"");
    EXPECT_EQ(std::u16string(QueryVersionString(nullptr, VersionKey::FileVersion)), u"");
}

}  // namespace

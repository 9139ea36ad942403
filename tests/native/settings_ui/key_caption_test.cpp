#include <gtest/gtest.h>

#include <string>

#include "settings_ui/key_caption.h"

namespace {

struct CaptionCase {
    std::uint16_t keyCode;
    std::int32_t extraModifier;
    std::u16string expected;
};

TEST(KeyCaption, PrefixByModifierThenTheKeyAsOneUnit) {
    const CaptionCase cases[] = {
        {0x41, 17, u"Control + A"},
        {0x31, 16, u"Shift + 1"},
        {0x35, 0, u"5"},
        {0xBA, 0, u"\u00BA"},          // not printable as a key name: the unit with that code
        {0x30, 18, u"0"},              // Alt and any other value give no prefix
        {0x30, -1, u"0"},
        {0x0410, 16, u"Shift + \u0410"},
        {0xD800, 17, std::u16string(u"Control + ") + char16_t(0xD800)},  // a lone unit is kept as is
        {0xFFFF, 0, std::u16string(1, char16_t(0xFFFF))},
    };
    for (const auto& c : cases) {
        const WideString caption = KeyCaption(c.keyCode, c.extraModifier);
        EXPECT_FALSE(caption.IsNull());
        EXPECT_EQ(std::u16string(caption.View()), c.expected) << "key " << c.keyCode << " modifier " << c.extraModifier;
    }
}

TEST(KeyCaption, WindowsKeyNamesExceptForLettersAndDigits) {
    EXPECT_EQ(std::u16string(KeyCaption(0x71, 17, u"F2").View()), u"Control + F2");
    EXPECT_EQ(std::u16string(KeyCaption(0x31, 16, u"Numpad 1").View()), u"Shift + 1");
    EXPECT_EQ(std::u16string(KeyCaption(0x41, 0, u"a").View()), u"A");
    EXPECT_EQ(std::u16string(ListedText(u"a\r\nb\nc\rd\r").View()), u"a⏎b⏎c⏎d⏎");
}

TEST(KeyCaption, KeyCodeZeroStillAddsOneUnit) {
    const WideString caption = KeyCaption(0, 17);
    ASSERT_EQ(caption.Length(), 11u);
    EXPECT_EQ(caption[10], u'\0');
}

}  // namespace

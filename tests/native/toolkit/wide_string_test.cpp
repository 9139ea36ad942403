#include <gtest/gtest.h>

#include "toolkit/wide_string.h"

TEST(WideString, NullAndEmptyAreDifferentAndNullNeverEquals) {
    WideString null;
    WideString empty(u"");
    EXPECT_TRUE(null.IsNull());
    EXPECT_EQ(null.Data(), nullptr);
    EXPECT_FALSE(empty.IsNull());
    ASSERT_NE(empty.Data(), nullptr);
    EXPECT_EQ(empty.Data()[0], 0);
    EXPECT_FALSE(null == null);
    EXPECT_FALSE(null == empty);
    EXPECT_TRUE(empty == WideString(u""));
    EXPECT_FALSE(WideString(static_cast<const char16_t*>(nullptr)) == WideString(u""));
    WideString s(u"x");
    s.Assign(static_cast<const char16_t*>(nullptr));
    EXPECT_TRUE(s.IsNull());
}

TEST(WideString, AssignAppendAndFormat) {
    WideString s;
    s.Append(u"Про");
    EXPECT_FALSE(s.IsNull());
    s.Append(WideString(u"филь"));
    s.Append(WideString());
    s.Append(u'!');
    EXPECT_EQ(s.View(), u"Профиль!");
    WideString copy;
    copy.Assign(s);
    EXPECT_TRUE(copy == s);
    EXPECT_EQ(WideString::FromInt(0).View(), u"0");
    EXPECT_EQ(WideString::FromInt(-1).View(), u"-1");
    EXPECT_EQ(WideString::FromInt(-2147483647 - 1).View(), u"-2147483648");
}

TEST(WideString, DecimalConversionAsStoredOptionsAreRead) {
    struct Case { const char16_t* text; std::int32_t value; };
    const Case cases[] = {
        {u"0", 0}, {u"1", 1}, {u"-5", -5}, {u"+7", 7}, {u"  \t\n42abc", 42}, {u"abc", 0}, {u"", 0},
        {u"-", 0}, {u"7", 7}, {u"12 34", 12}, {u"Ж5", 0}, {u"2147483647", 2147483647},
        {u"-2147483648", -2147483647 - 1}, {u"99999999999999999999", 2147483647},
        {u"-9999999999999999999", -2147483647 - 1},
        // Only the first 19 characters reach the conversion.
        {u"                  5", 5}, {u"                   5", 0},
        {u"0000000000000000001234", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(WideString(c.text).ToInt(), c.value) << "text";
    EXPECT_EQ(WideString().ToInt(), 0);
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings_ui/chord_file.h"

namespace {

std::u16string U16(const WideString& s) { return std::u16string(s.View()); }

std::string Utf8(std::u16string_view text) {
    ChordRow row;
    row.keyCode = 49;
    row.text = WideString(text);
    // The writer's own encoder, taken from the one text field of a row that needs no quotes.
    std::string file = WriteChordFile({row});
    const std::size_t start = file.find("\r\n") + 2 + 4;  // after the header and ";49;"
    return file.substr(start, file.size() - start - 3);    // before ";" CR LF
}

struct Expected {
    std::u16string code;
    std::u16string text;
    InsertWay way;
    std::uint32_t line;
};

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<Expected> rows;  // empty with a failure line
    std::uint32_t failureLine;
    std::u16string reason;       // part of the message
};

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader = "Комбинация;Код клавиши;Текст;Способ\r\n";

TEST(ChordFile, ReadsWhatSpreadsheetsWriteAndNamesTheLineOfAnyFault) {
    const std::string longText(kMaxChordTextUnits, 'x');
    const ReadCase cases[] = {
        {"quotes, separators and line breaks inside", kBom + kHeader +
             "1;49;\"a;b \"\"c\"\"\r\nd\";\r\n"
             "Shift + 1;Shift+49;\"x\ny\rz\";нажатиями клавиш\r\n"
             "\"Control\r\n+ A\";ctrl+65;'@;через буфер обмена\r\n",
         {{u"49", u"a;b \"c\"\r\nd", InsertWay::None, 2},
          {u"Shift+49", u"x\r\ny\r\nz", InsertWay::Keystrokes, 4},
          {u"Ctrl+65", u"@", InsertWay::Clipboard, 7}}, 0, u""},
        {"comma, no mark, LF, columns by name", "Текст,Код клавиши\n"
             "\"1,2\", 49 \n,,\n\n'-1,  Shift+ 50\n''=x,51\n'x,52\n",
         {{u"49", u"1,2", InsertWay::None, 2}, {u"Shift+50", u"-1", InsertWay::None, 5},
          {u"51", u"'=x", InsertWay::None, 6}, {u"52", u"'x", InsertWay::None, 7}}, 0, u""},
        {"surrogate pairs and the longest text", kHeader + ";49;" + Utf8(u"a\U0001F600b") + ";сообщениями окну\r\n;50;" +
             longText + "\r\n",
         {{u"49", u"a\U0001F600b", InsertWay::Messages, 2}, {u"50", std::u16string(kMaxChordTextUnits, u'x'),
          InsertWay::None, 3}}, 0, u""},
        {"a quote never closed", kHeader + ";49;\"a\r\nb\r\n;50;c\r\n", {}, 2, u"не закрыта"},
        {"text after a closing quote", kHeader + ";49;\"a\r\nb\" c;\r\n", {}, 3, u"после закрывающей кавычки"},
        {"not a chord file", "Имя;Телефон\r\nИван;123\r\n", {}, 1, u"не файл комбинаций"},
        {"an empty file", "", {}, 1, u"не файл комбинаций"},
        {"a modifier it has no chords for", kHeader + ";49;a\r\n;\"Alt+49\";b\r\n", {}, 3, u"«Alt+49» не прочитан"},
        {"a code past the keys", kHeader + ";255;a\r\n", {}, 2, u"«255»"},
        {"a code that cannot be stored", kHeader + ";2;a\r\n", {}, 2, u"«2»"},
        {"no code", kHeader + "1;;a\r\n", {}, 2, u"нет кода клавиши"},
        {"a chord twice", kHeader + ";Shift+49;a\r\n;49;b\r\n;shift+49;c\r\n", {}, 4,
         u"комбинация «Shift+49» уже есть в строке 2"},
        {"a text too long", kHeader + ";49;" + longText + "x\r\n", {}, 2, u"длиннее 32\u00A0767"},
        {"a way it does not know", kHeader + ";49;a;телепатией\r\n", {}, 2, u"способ вставки «телепатией» неизвестен"},
    };
    for (const ReadCase& c : cases) {
        std::u16string text;
        ASSERT_TRUE(DecodeUtf8(c.bytes, text)) << c.name;
        std::vector<ChordRow> rows;
        ChordFileFailure failure;
        const bool read = ReadChordFile(text, rows, failure);
        EXPECT_EQ(read, c.failureLine == 0) << c.name;
        if (!read) {
            EXPECT_TRUE(rows.empty()) << c.name;
            EXPECT_EQ(failure.line, c.failureLine) << c.name;
            const std::u16string message = U16(FailureMessage(failure));
            EXPECT_EQ(message.rfind(u"Файл не прочитан: строка " + U16(WideString::FromInt(c.failureLine)) + u" — ", 0),
                      0u) << c.name;
            EXPECT_NE(message.find(c.reason), std::u16string::npos) << c.name;
            continue;
        }
        ASSERT_EQ(rows.size(), c.rows.size()) << c.name;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(U16(ChordCode(rows[i].keyCode, rows[i].extraModifier)), c.rows[i].code) << c.name << i;
            EXPECT_EQ(U16(rows[i].text), c.rows[i].text) << c.name << i;
            EXPECT_EQ(rows[i].way, c.rows[i].way) << c.name << i;
            EXPECT_EQ(rows[i].line, c.rows[i].line) << c.name << i;
        }
    }
}

TEST(ChordFile, OnlyStrictUtf8IsTakenForUtf8) {
    const struct {
        std::string bytes;
        bool utf8;
        std::u16string text;
    } cases[] = {
        {kBom + "Привет", true, u"Привет"},
        {"\xF0\x9F\x98\x80", true, u"\U0001F600"},
        {"\xED\xA0\x80", true, u"\xD800"},  // a lone surrogate, as the writer gives it
        {"\xCF\xF0\xE8\xE2\xE5\xF2", false, u""},  // "Привет" in code page 1251
        {"\xC0\xAF", false, u""},                  // overlong
        {"\xE0\x80\xAF", false, u""},
        {"\xF4\x90\x80\x80", false, u""},          // past U+10FFFF
        {"ab\xD0", false, u""},                    // cut short
    };
    for (const auto& c : cases) {
        std::u16string text = u"kept";
        EXPECT_EQ(DecodeUtf8(c.bytes, text), c.utf8) << c.bytes;
        EXPECT_EQ(text, c.utf8 ? c.text : u"kept") << c.bytes;
    }
}

WideString TestCaption(std::uint16_t keyCode, std::int32_t extraModifier) {
    WideString caption(extraModifier == kModifierShift ? u"Shift + " : u"");
    caption.Append(keyCode == 0xBD ? u'-' : static_cast<char16_t>(keyCode));
    return caption;
}

TEST(ChordFile, WhatIsWrittenIsReadBackAsItWas) {
    HotkeyTable table;
    table.Append(0x31, kModifierNone, WideString(u"Привет!"));
    table.Append(0x32, kModifierShift, WideString(u"@"));
    table.Append(0x32, kModifierShift, WideString(u"never typed"));  // a later item of a chord is left out
    table.Append(0x33, kModifierCtrl, WideString(u"a;b \"c\"\r\nd\ne\rf"));
    table.Append(0xBD, kModifierNone, WideString(u"''+1"));
    table.Append(0x34, kModifierNone, WideString(u"x\U0001F600\xD800y"));
    table.Append(0x35, kModifierNone, WideString(u""));
    table.Append(0x36, kModifierCtrl, WideString(u"'quoted'"));

    const std::string file = WriteChordFile(ExportedRows(table, TestCaption));
    EXPECT_EQ(file.substr(0, 3 + kHeader.size()), kBom + kHeader);
    EXPECT_NE(file.find("\r\nShift + 2;Shift+50;'@;\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\n3;Ctrl+51;\"a;b \"\"c\"\"\r\nd\ne\rf\";\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\n'-;189;'''+1;\r\n"), std::string::npos) << "a caption is guarded too";
    EXPECT_NE(file.find("\r\n5;53;;\r\n"), std::string::npos);
    EXPECT_EQ(file.find("never typed"), std::string::npos);
    EXPECT_EQ(file.substr(file.size() - 2), "\r\n");

    std::u16string text;
    ASSERT_TRUE(DecodeUtf8(file, text));
    std::vector<ChordRow> rows;
    ChordFileFailure failure;
    ASSERT_TRUE(ReadChordFile(text, rows, failure)) << failure.line;
    const std::vector<std::size_t> items = {0, 1, 3, 4, 5, 6, 7};
    ASSERT_EQ(rows.size(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const HotkeyItem& item = table.At(items[i]);
        EXPECT_EQ(rows[i].keyCode, item.keyCode);
        EXPECT_EQ(rows[i].extraModifier, item.extraModifier);
        EXPECT_EQ(rows[i].way, InsertWay::None);
        const std::u16string stored(item.text.View());
        EXPECT_EQ(U16(rows[i].text), i == 2 ? u"a;b \"c\"\r\nd\r\ne\r\nf" : stored);
    }

    // Imported again, the file changes nothing and asks nothing.
    const ChordMerge again = PlanMerge(table, rows);
    EXPECT_TRUE(again.ChangesNothing());
}

TEST(ChordFile, ImportAddsWhatIsMissingAndReplacesTextsOnlyWhenTold) {
    for (const bool replace : {false, true}) {
        HotkeyTable table;
        table.Append(0x31, kModifierNone, WideString(u"Привет!"));
        table.Append(0x31, kModifierShift, WideString(u"a\nb"));
        table.Append(0x32, kModifierCtrl, WideString(u"ours"));
        table.Append(0x32, kModifierCtrl, WideString(u"theirs"));  // the second never types: ours is compared

        std::vector<ChordRow> rows(5);
        const struct {
            std::uint16_t key;
            std::int32_t modifier;
            const char16_t* text;
        } file[] = {{0x31, kModifierShift, u"a\r\nb"}, {0x32, kModifierCtrl, u"theirs"}, {0x41, kModifierNone, u"new"},
                    {0x31, kModifierNone, u"Пока!"}, {0x31, kModifierCtrl, u"more"}};
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i].keyCode = file[i].key;
            rows[i].extraModifier = file[i].modifier;
            rows[i].text = WideString(file[i].text);
        }
        const ChordMerge merge = PlanMerge(table, rows);
        EXPECT_EQ(merge.added, (std::vector<std::size_t>{2, 4}));
        EXPECT_EQ(merge.differing, (std::vector<std::size_t>{1, 3}));
        EXPECT_EQ(U16(ReplaceQuestion(merge.differing.size())),
                  u"В файле 2 комбинаций, которые уже есть с другим текстом. Заменить их тексты?");

        ApplyMerge(table, rows, merge, replace);
        ASSERT_EQ(table.Count(), 6u);
        EXPECT_EQ(U16(table.At(0).text), replace ? u"Пока!" : u"Привет!");
        EXPECT_EQ(U16(table.At(1).text), u"a\nb") << "the same typed text stays as stored";
        EXPECT_EQ(U16(table.At(2).text), replace ? u"theirs" : u"ours");
        EXPECT_EQ(U16(table.At(3).text), u"theirs");
        EXPECT_EQ(table.FirstFor(0x41, 0), 4);
        EXPECT_EQ(U16(table.At(5).text), u"more");
        EXPECT_EQ(table.At(5).extraModifier, kModifierCtrl);
        EXPECT_TRUE(PlanMerge(table, rows).added.empty());
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "settings_ui/chord_file.h"

namespace {

std::u16string U16(const WideString& s) { return std::u16string(s.View()); }

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader = "Комбинация;Код клавиши;Текст;Способ\r\n";

// The bytes of a spreadsheet's "Unicode text": UTF-16 with its byte order mark.
std::string Utf16(std::u16string_view text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

struct Expected {
    std::u16string code;
    std::u16string text;
    InsertWay way;
    std::uint32_t line;
};

// The file's bytes, then either its rows or the line of its fault and part of the message.
struct ReadCase {
    std::string bytes;
    std::vector<Expected> rows;
    std::uint32_t failureLine;
    std::u16string reason;
};

TEST(ChordFile, ReadsWhatSpreadsheetsWriteAndNamesTheLineOfAnyFault) {
    const std::string longText(kMaxChordTextUnits, 'x');
    const ReadCase cases[] = {
        {kBom + kHeader + "1;49;\"a;b \"\"c\"\"\r\nd\";\r\nShift + 1;Shift+49;\"x\ny\rz\";нажатиями клавиш\r\n"
                          "\"Control\r\n+ A\";ctrl+65;'@;через буфер обмена\r\n",
         {{u"49", u"a;b \"c\"\r\nd", InsertWay::None, 2}, {u"Shift+49", u"x\r\ny\r\nz", InsertWay::Keystrokes, 4},
          {u"Ctrl+65", u"@", InsertWay::Clipboard, 7}}, 0, u""},
        // "," and LF, no byte order mark, columns found by name, empty rows skipped, apostrophes.
        {"Текст,Код клавиши\n\"1,2\", 49 \n,,\n\n'-1,  Shift+ 50\n''=x,51\n'x,52\n",
         {{u"49", u"1,2", InsertWay::None, 2}, {u"Shift+50", u"-1", InsertWay::None, 5},
          {u"51", u"'=x", InsertWay::None, 6}, {u"52", u"'x", InsertWay::None, 7}}, 0, u""},
        {kHeader + ";49;a\xF0\x9F\x98\x80\xED\xA0\x80;сообщениями окну\r\n;50;" + longText + "\r\n",
         {{u"49", u"a\U0001F600\xD800", InsertWay::Messages, 2},
          {u"50", std::u16string(kMaxChordTextUnits, u'x'), InsertWay::None, 3}}, 0, u""},
        {kHeader + ";49;\"a\r\nb\r\n;50;c\r\n", {}, 2, u"кавычка в этой строке не закрыта"},
        {kHeader + ";49;\"a\r\nb\" c;\r\n", {}, 3, u"после закрывающей кавычки"},
        {"Имя;Телефон\r\nИван;123\r\n", {}, 1, u"не файл комбинаций"},
        {"", {}, 1, u"не файл комбинаций"},
        {kHeader + ";49;a\r\n;\"Alt+49\";b\r\n", {}, 3, u"код клавиши «Alt+49» не прочитан"},
        {kHeader + ";255;a\r\n", {}, 2, u"«255»"},
        {kHeader + ";2;a\r\n", {}, 2, u"«2»"},  // would break the stored items
        {kHeader + "1;;a\r\n", {}, 2, u"нет кода клавиши"},
        {kHeader + ";Shift+49;a\r\n;49;b\r\n;shift+49;c\r\n", {}, 4, u"комбинация «Shift+49» уже есть в строке 2"},
        {kHeader + ";49;" + longText + "x\r\n", {}, 2, u"длиннее 32\u00A0767"},
        {kHeader + ";49;a;телепатией\r\n", {}, 2, u"способ вставки «телепатией» неизвестен"},
        // Tabs between fields, the separators of CSV inside them.
        {Utf16(u"Комбинация\tКод клавиши\tТекст\tСпособ\r\n1\t49\t\"a\tб\r\n\U0001F600\"\t\r\n"
               u"Shift + 1\tShift+49\tx;y,z\tнажатиями клавиш\r\n"),
         {{u"49", u"a\tб\r\n\U0001F600", InsertWay::None, 2}, {u"Shift+49", u"x;y,z", InsertWay::Keystrokes, 4}}, 0, u""},
        {Utf16(u"Код клавиши\tТекст\n50\tЁ\n", true), {{u"50", u"Ё", InsertWay::None, 2}}, 0, u""},
        {Utf16(u"Код клавиши\tТекст\r\n50\tx\r\n") + '\0', {}, 3, u"обрывается посреди знака"},
        {kBom + kHeader + ";49;a\r\n;50;b\xFF\r\n", {}, 3, u"испорченный знак (файл в кодировке UTF-8)"},
        {kBom + kHeader + ";49;\"a\nb\xC0\xAF\"\r\n", {}, 3, u"испорченный знак"},
    };
    for (const ReadCase& c : cases) {
        const std::string name = c.bytes.substr(0, 80);
        std::u16string text;
        ChordFileFailure failure;
        const FileText decoded = DecodeChordFile(c.bytes, text, failure);
        ASSERT_NE(decoded, FileText::Ansi) << name;
        std::vector<ChordRow> rows;
        if (decoded == FileText::Read) {
            rows.resize(1);
            ASSERT_EQ(ReadChordFile(text, rows, failure), c.failureLine == 0) << name;
        }
        if (decoded == FileText::Broken) ASSERT_NE(c.failureLine, 0u) << name;
        if (c.failureLine != 0) {
            EXPECT_TRUE(rows.empty()) << name;
            EXPECT_EQ(U16(FailureMessage(failure)).find(u"Файл не прочитан: строка " +
                                                       U16(WideString::FromInt(c.failureLine)) + u" — "), 0u) << name;
            EXPECT_NE(U16(failure.reason).find(c.reason), std::u16string::npos) << name;
        }
        ASSERT_EQ(rows.size(), c.rows.size()) << name;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(U16(ChordCode(rows[i].keyCode, rows[i].extraModifier)), c.rows[i].code) << name << i;
            EXPECT_EQ(U16(rows[i].text), c.rows[i].text) << name << i;
            EXPECT_EQ(rows[i].way, c.rows[i].way) << name << i;
            EXPECT_EQ(rows[i].line, c.rows[i].line) << name << i;
        }
    }
    // Without a byte order mark, anything but strict UTF-8 is left to the system's ANSI code page.
    for (const std::string bytes : {"\xCF\xF0\xE8\xE2\xE5\xF2", "\xC0\xAF", "\xE0\x80\xAF", "\xF4\x90\x80\x80", "ab\xD0"}) {
        std::u16string text = u"kept";
        ChordFileFailure failure;
        EXPECT_EQ(DecodeChordFile(bytes, text, failure), FileText::Ansi) << bytes;
        EXPECT_FALSE(DecodeUtf8(bytes, text)) << bytes;
        EXPECT_EQ(text, u"kept");
    }
}

WideString TestCaption(std::uint16_t keyCode, std::int32_t extraModifier) {
    WideString caption(extraModifier == kModifierShift ? u"Shift + " : u"");
    caption.Append(keyCode == 0xBD ? u'-' : static_cast<char16_t>(keyCode));
    return caption;
}

TEST(ChordFile, WhatIsWrittenIsReadBackAsItWasAndChangesNothing) {
    HotkeyTable table;
    const char16_t* texts[] = {u"Привет!", u"@", u"never typed", u"a;b \"c\"\r\nd\ne\rf", u"''+1",
                               u"x\U0001F600\xD800y", u"", u"'quoted'"};
    const std::uint16_t keys[] = {0x31, 0x32, 0x32, 0x33, 0xBD, 0x34, 0x35, 0x36};
    const std::int32_t modifiers[] = {0, kModifierShift, kModifierShift, kModifierCtrl, 0, 0, 0, kModifierCtrl};
    for (int i = 0; i < 8; ++i) table.Append(keys[i], modifiers[i], WideString(texts[i]));
    table.At(3).way = kTypeByClipboard;
    const char16_t* abbreviations[] = {u"sig", u";adr", u"@me"};
    for (const char16_t* abbreviation : abbreviations)
        table.AppendAbbreviation(WideString(abbreviation), WideString(u"С уважением"));
    table.At(8).immediate = true;
    table.At(9).way = kTypeByKeystrokes;
    table.AppendAbbreviation(WideString(u"SIG"), WideString(u"never typed"));

    const std::string file = WriteChordFile(ExportedRows(table, TestCaption));
    const std::string header = "Комбинация;Код клавиши;Сокращение;Текст;Способ;Сразу\r\n";
    EXPECT_EQ(file.substr(0, 3 + header.size()), kBom + header);
    for (const char* row : {"\r\nShift + 2;Shift+50;;'@;;\r\n", "\r\n3;Ctrl+51;;\"a;b \"\"c\"\"\r\nd\ne\rf\";через буфер обмена;\r\n",
                            "\r\n'-;189;;'''+1;;\r\n", "\r\n5;53;;;;\r\n", "\r\n;;sig;С уважением;;да\r\n",
                            "\r\n;;\";adr\";С уважением;нажатиями клавиш;\r\n", "\r\n;;'@me;С уважением;;\r\n"})
        EXPECT_NE(file.find(row), std::string::npos) << row;

    std::u16string text;
    ASSERT_TRUE(DecodeUtf8(file, text));
    std::vector<ChordRow> rows;
    ChordFileFailure failure;
    ASSERT_TRUE(ReadChordFile(text, rows, failure)) << failure.line;
    const int items[] = {0, 1, 3, 4, 5, 6, 7};
    ASSERT_EQ(rows.size(), std::size(items) + std::size(abbreviations));
    EXPECT_TRUE(rows[7].immediate && !rows[8].immediate && rows[8].way == InsertWay::Keystrokes);
    for (std::size_t i = 0; i < std::size(items); ++i) {
        EXPECT_EQ(rows[i].keyCode, keys[items[i]]);
        EXPECT_EQ(rows[i].extraModifier, modifiers[items[i]]);
        EXPECT_EQ(U16(rows[i].text), i == 2 ? u"a;b \"c\"\r\nd\r\ne\r\nf" : texts[items[i]]);
        EXPECT_EQ(rows[i].way, i == 2 ? InsertWay::Clipboard : InsertWay::None);
    }
    EXPECT_TRUE(PlanMerge(table, rows).ChangesNothing());
}

TEST(ChordFile, ImportAddsWhatIsMissingAndReplacesTextsOnlyWhenTold) {
    for (const bool replace : {false, true}) {
        HotkeyTable table;
        table.Append(0x31, kModifierNone, WideString(u"Привет!"));
        table.Append(0x31, kModifierShift, WideString(u"a\nb"));
        table.Append(0x32, kModifierCtrl, WideString(u"ours"));
        table.Append(0x32, kModifierCtrl, WideString(u"theirs"));  // never types: the first is compared
        std::vector<ChordRow> rows(5);
        const char16_t* texts[] = {u"a\r\nb", u"theirs", u"new", u"Пока!", u"more"};
        const std::uint16_t keys[] = {0x31, 0x32, 0x41, 0x31, 0x31};
        const std::int32_t modifiers[] = {kModifierShift, kModifierCtrl, 0, 0, kModifierCtrl};
        for (int i = 0; i < 5; ++i) rows[i] = {WideString(u""), keys[i], modifiers[i], WideString(texts[i])};
        rows[3].way = rows[4].way = InsertWay::Keystrokes;  // the way goes with a replaced or added text

        const ChordMerge merge = PlanMerge(table, rows);
        EXPECT_EQ(merge.added, (std::vector<std::size_t>{2, 4}));
        EXPECT_EQ(merge.differing, (std::vector<std::size_t>{1, 3}));
        EXPECT_EQ(U16(ReplaceQuestion(2)),
                  u"В файле 2 комбинации, которые уже есть с другим текстом. Заменить их тексты?");
        ApplyMerge(table, rows, merge, replace);
        ASSERT_EQ(table.Count(), 6u);
        EXPECT_EQ(U16(table.At(0).text), replace ? u"Пока!" : u"Привет!");
        EXPECT_EQ(table.At(0).way, replace ? kTypeByKeystrokes : kWayAsSettings);
        EXPECT_EQ(table.At(5).way, kTypeByKeystrokes);
        EXPECT_EQ(U16(table.At(1).text), u"a\nb") << "a text that types the same stays as stored";
        EXPECT_EQ(U16(table.At(2).text), replace ? u"theirs" : u"ours");
        EXPECT_EQ(table.FirstFor(0x41, 0), 4);
        EXPECT_EQ(table.FirstFor(0x31, 2), 5);
    }
}

// Rows as "sig=a!" (the abbreviation or the code, the text, "!" for сразу), or the fault's line and reason.
TEST(ChordFile, AbbreviationsAreReadAsTheirOwnRows) {
    const std::string header = "Комбинация;Код клавиши;Сокращение;Текст;Способ;Сразу\r\n";
    const std::pair<std::string, std::u16string> cases[] = {
        {header + ";;sig;a;;да\r\n1;49;;b;;\r\n;; '@me ;c;;Нет\r\n", u"sig=a! 49=b @me=c "},
        {header + ";;sig;a\r\n;;SIG;b\r\n", u"3: сокращение «SIG» уже есть в строке 2"},
        {header + ";49;sig;a\r\n", u"2: в строке и код клавиши, и сокращение: оставьте что-то одно"},
        {header + ";;\"a b\";x\r\n", u"2: сокращение «a b» не подходит: нужно до 32 знаков без пробелов"},
        {header + ";;a\tb\x01;x\r\n", u"2: сокращение «a\tb\x01» не подходит: нужно до 32 знаков без пробелов"},  // 1 would break the stored items
        {header + ";;" + std::string(33, 'a') + ";x\r\n", u"2: сокращение «" + std::u16string(33, u'a') + u"» не подходит: нужно до 32 знаков без пробелов"},
        {header + ";;;x\r\n", u"2: нет ни кода клавиши, ни сокращения"},
        {header + ";;sig;x;;может быть\r\n", u"2: в столбце «Сразу» «может быть»: нужно «да», «нет» или ничего"},
    };
    for (const auto& [bytes, expected] : cases) {
        std::u16string text, read;
        ASSERT_TRUE(DecodeUtf8(bytes, text));
        std::vector<ChordRow> rows;
        ChordFileFailure failure;
        if (!ReadChordFile(text, rows, failure)) read = U16(WideString::FromInt(failure.line)) + u": " + U16(failure.reason);
        for (const ChordRow& row : rows)
            read += (row.abbreviation.IsNull() ? U16(ChordCode(row.keyCode, row.extraModifier)) : U16(row.abbreviation)) +
                    u"=" + U16(row.text) + (row.immediate ? u"! " : u" ");
        EXPECT_EQ(read, expected) << bytes;
    }
}

// The same abbreviation in other letters is the same item, asked about as a chord's text is.
TEST(ChordFile, ImportMergesAbbreviationsIgnoringCase) {
    HotkeyTable table;
    table.AppendAbbreviation(WideString(u"sig"), WideString(u"ours"));
    std::vector<ChordRow> rows;
    ChordFileFailure failure;
    ASSERT_TRUE(ReadChordFile(u"Сокращение;Текст;Сразу\r\nSIG;theirs;да\r\nприв;Привет!;\r\n", rows, failure));  // no codes
    const ChordMerge merge = PlanMerge(table, rows);
    EXPECT_EQ(merge.added, std::vector<std::size_t>{1});
    EXPECT_EQ(merge.differing, std::vector<std::size_t>{0});
    ApplyMerge(table, rows, merge, true);
    ASSERT_EQ(table.Count(), 2u);
    EXPECT_TRUE(table.At(0).immediate && U16(table.At(0).abbreviation) == u"sig" && U16(table.At(0).text) == u"theirs");
    EXPECT_EQ(table.FindAbbreviation(u"ПРИВ"), 1);
    EXPECT_EQ(U16(ReplaceQuestion(0, 1)), u"В файле 1 сокращение, которое уже есть с другим текстом. Заменить его текст?");
    EXPECT_EQ(U16(ReplaceQuestion(11, 22)),
              u"В файле 11 комбинаций и 22 сокращения, которые уже есть с другим текстом. Заменить их тексты?");
}

}  // namespace

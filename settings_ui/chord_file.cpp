#include "settings_ui/chord_file.h"

#include <iterator>

#include "settings_ui/key_caption.h"
#include "toolkit/case_fold.h"

namespace {

constexpr std::u16string_view kCaptionColumn = u"Комбинация";
constexpr std::u16string_view kCodeColumn = u"Код клавиши";
constexpr std::u16string_view kAbbreviationColumn = u"Сокращение";
constexpr std::u16string_view kTextColumn = u"Текст";
constexpr std::u16string_view kWayColumn = u"Способ";
constexpr std::u16string_view kImmediateColumn = u"Сразу";
constexpr std::u16string_view kImmediateYes = u"да";

constexpr std::u16string_view kWayNames[] = {u"", u"сообщениями окну", u"нажатиями клавиш", u"через буфер обмена"};

// Longer fields are cut where a message quotes them.
constexpr std::size_t kQuotedFieldUnits = 40;

bool IsFormulaStart(char16_t unit) { return unit == u'=' || unit == u'+' || unit == u'-' || unit == u'@'; }

// A spreadsheet takes a field that starts with one of "=+-@" for a formula; an apostrophe in
// front makes it text. A text that starts with apostrophes before such a character gets one
// more, so that import, which takes one off, gives back exactly what was written.
bool NeedsTextMark(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == u'\'') ++i;
    return i < text.size() && IsFormulaStart(text[i]);
}

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

void AppendUtf8(std::string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        // A lone surrogate is written in the three bytes of its code, which the reader takes
        // back, so even such a text comes back as it was.
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
}

void AppendField(std::string& out, std::u16string_view field, bool guardFormula) {
    std::u16string written;
    if (guardFormula && NeedsTextMark(field)) written += u'\'';
    written += field;
    if (written.find_first_of(u";\"\r\n") == std::u16string::npos) {
        AppendUtf8(out, written);
        return;
    }
    std::u16string quoted(1, u'"');
    for (const char16_t unit : written) {
        if (unit == u'"') quoted += u'"';
        quoted += unit;
    }
    quoted += u'"';
    AppendUtf8(out, quoted);
}

// Every line break, however written, as the CR LF the item dialog stores.
std::u16string WithCrLf(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            out += u"\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

// What typing the text gives: every line break is one Enter.
std::u16string Typed(std::u16string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        out += text[i] == u'\n' ? u'\r' : text[i];
    }
    return out;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        const char16_t unit = text[i] >= u'A' && text[i] <= u'Z' ? static_cast<char16_t>(text[i] + 32) : text[i];
        if (unit != lowerPrefix[i]) return false;
    }
    return true;
}

// "Shift+49", "Ctrl+49" or "49". Codes 0 to 2 cannot be stored among the items, 255 is no key.
bool ParseChordCode(std::u16string_view field, std::uint16_t& keyCode, std::int32_t& extraModifier) {
    field = Trimmed(field);
    extraModifier = kModifierNone;
    if (StartsWithNoCase(field, u"ctrl+")) {
        extraModifier = kModifierCtrl;
        field = Trimmed(field.substr(5));
    } else if (StartsWithNoCase(field, u"shift+")) {
        extraModifier = kModifierShift;
        field = Trimmed(field.substr(6));
    }
    if (field.empty() || field.size() > 3) return false;
    unsigned value = 0;
    for (const char16_t unit : field) {
        if (unit < u'0' || unit > u'9') return false;
        value = value * 10 + (unit - u'0');
    }
    if (value < 3 || value > 254) return false;
    keyCode = static_cast<std::uint16_t>(value);
    return true;
}

WideString Quoted(std::u16string_view field) {
    WideString text(u"«");
    text.Append(field.substr(0, kQuotedFieldUnits));
    if (field.size() > kQuotedFieldUnits) text.Append(u"…");
    text.Append(u"»");
    return text;
}

WideString Reason(std::u16string_view before, std::u16string_view quoted, std::u16string_view after) {
    WideString reason(before);
    reason.Append(Quoted(quoted));
    reason.Append(after);
    return reason;
}

// Fields and records as a spreadsheet writes them: a quoted field may hold separators, line
// breaks and doubled quotes; a quote inside an unquoted field is taken as it is.
class CsvReader {
public:
    CsvReader(std::u16string_view text, char16_t separator) : text_(text), separator_(separator) {}

    enum Outcome { Record, End, Broken };

    Outcome Next(std::vector<std::u16string>& fields, std::uint32_t& line, ChordFileFailure& failure) {
        fields.clear();
        if (pos_ >= text_.size()) return End;
        line = line_;
        for (;;) {
            std::u16string field;
            if (pos_ < text_.size() && text_[pos_] == u'"') {
                if (!ReadQuoted(field, failure)) return Broken;
            } else {
                while (pos_ < text_.size() && !AtFieldEnd()) field += text_[pos_++];
            }
            fields.push_back(std::move(field));
            if (pos_ < text_.size() && text_[pos_] == separator_) {
                ++pos_;
                continue;
            }
            SkipLineBreak();
            return Record;
        }
    }

private:
    bool AtFieldEnd() const { return text_[pos_] == separator_ || text_[pos_] == u'\r' || text_[pos_] == u'\n'; }

    void SkipLineBreak() {
        if (pos_ < text_.size() && text_[pos_] == u'\r') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == u'\n') ++pos_;
        ++line_;
    }

    bool ReadQuoted(std::u16string& field, ChordFileFailure& failure) {
        const std::uint32_t opened = line_;
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size()) {
                failure = {opened, WideString(u"кавычка в этой строке не закрыта")};
                return false;
            }
            const char16_t unit = text_[pos_++];
            if (unit == u'"') {
                if (pos_ < text_.size() && text_[pos_] == u'"') {
                    field += u'"';
                    ++pos_;
                    continue;
                }
                if (pos_ < text_.size() && !AtFieldEnd()) {
                    failure = {line_, WideString(u"после закрывающей кавычки идёт текст")};
                    return false;
                }
                return true;
            }
            if (unit == u'\n' || (unit == u'\r' && (pos_ >= text_.size() || text_[pos_] != u'\n'))) ++line_;
            field += unit;
        }
    }

    std::u16string_view text_;
    char16_t separator_;
    std::size_t pos_ = 0;
    std::uint32_t line_ = 1;
};

int ColumnOf(const std::vector<std::u16string>& header, std::u16string_view name) {
    for (std::size_t i = 0; i < header.size(); ++i)
        if (Trimmed(header[i]) == name) return static_cast<int>(i);
    return -1;
}

std::u16string_view FieldAt(const std::vector<std::u16string>& fields, int column) {
    return column >= 0 && static_cast<std::size_t>(column) < fields.size() ? std::u16string_view(fields[column])
                                                                            : std::u16string_view();
}

bool AllEmpty(const std::vector<std::u16string>& fields) {
    for (const auto& field : fields)
        if (!field.empty()) return false;
    return true;
}

bool SameNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpcaseUnit(a[i]) != UpcaseUnit(b[i])) return false;
    return true;
}

// The text a field holds, without the apostrophe that kept a spreadsheet from taking it for a formula.
std::u16string_view Unmarked(std::u16string_view field) {
    if (!field.empty() && field[0] == u'\'' && NeedsTextMark(field.substr(1))) field.remove_prefix(1);
    return field;
}

struct Columns {
    int code = -1, abbreviation = -1, text = -1, way = -1, immediate = -1;
};

// An abbreviation's row has its abbreviation where a chord's has its code, never both.
bool TakeAbbreviation(const std::vector<std::u16string>& fields, const Columns& columns, ChordRow& row,
                      ChordFileFailure& failure) {
    const std::u16string_view abbreviation = Unmarked(Trimmed(FieldAt(fields, columns.abbreviation)));
    const std::u16string_view immediate = Trimmed(FieldAt(fields, columns.immediate));
    row.abbreviation = WideString(abbreviation);
    row.immediate = SameNoCase(immediate, kImmediateYes);
    if (!Trimmed(FieldAt(fields, columns.code)).empty())
        failure.reason = WideString(u"в строке и код клавиши, и сокращение: оставьте что-то одно");
    else if (CheckAbbreviation(abbreviation) != AbbreviationFault::None)
        failure.reason = Reason(u"сокращение ", abbreviation, u" не подходит: нужно до 32 знаков без пробелов");
    else if (!row.immediate && !immediate.empty() && !SameNoCase(immediate, u"нет"))
        failure.reason = Reason(u"в столбце «Сразу» ", immediate, u": нужно «да», «нет» или ничего");
    return failure.reason.IsNull();
}

// Checks one row's fields into `row`; false with the reason in `failure`.
bool TakeRow(const std::vector<std::u16string>& fields, const Columns& columns, ChordRow& row,
             ChordFileFailure& failure) {
    const std::u16string_view code = FieldAt(fields, columns.code);
    if (!Trimmed(FieldAt(fields, columns.abbreviation)).empty()) {
        if (!TakeAbbreviation(fields, columns, row, failure)) return false;
    } else if (!ParseChordCode(code, row.keyCode, row.extraModifier)) {
        failure.reason = !Trimmed(code).empty() ? Reason(u"код клавиши ", Trimmed(code), u" не прочитан")
                         : columns.abbreviation >= 0 ? WideString(u"нет ни кода клавиши, ни сокращения")
                                                     : WideString(u"нет кода клавиши");
        return false;
    }
    const std::u16string stored = WithCrLf(Unmarked(FieldAt(fields, columns.text)));
    if (stored.size() > kMaxChordTextUnits) {
        failure.reason = WideString(u"текст длиннее 32\u00A0767 знаков");
        return false;
    }
    row.text = WideString(std::u16string_view(stored));
    const std::u16string_view way = Trimmed(FieldAt(fields, columns.way));
    for (std::size_t i = 0; i < std::size(kWayNames); ++i) {
        if (way == kWayNames[i]) {
            row.way = static_cast<InsertWay>(i);
            return true;
        }
    }
    failure.reason = Reason(u"способ вставки ", way, u" неизвестен");
    return false;
}

bool SameItem(const ChordRow& a, const ChordRow& b) {
    if (a.abbreviation.IsNull() || b.abbreviation.IsNull())
        return a.abbreviation.IsNull() && b.abbreviation.IsNull() && a.keyCode == b.keyCode &&
               HotkeyTable::ModifierClass(a.extraModifier) == HotkeyTable::ModifierClass(b.extraModifier);
    return SameNoCase(a.abbreviation.View(), b.abbreviation.View());
}

// The table's item that a row names, or -1.
std::int32_t ItemOf(const HotkeyTable& table, const ChordRow& row) {
    return row.abbreviation.IsNull() ? table.FindChord(row.keyCode, row.extraModifier)
                                     : table.FindAbbreviation(row.abbreviation.View());
}

// Where strict UTF-8 breaks, or npos; what comes before goes to `out`.
std::size_t Utf8Fault(std::string_view bytes, std::u16string& out) {
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
        if (length == 0 || i + length > bytes.size()) return i;
        std::uint32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return i;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms and codes past U+10FFFF are not UTF-8; surrogates are taken, as written.
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF))) return i;
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += length;
    }
    return std::string_view::npos;
}

// The line the text's end is on, counted as the reader counts: CR LF, LF or a CR alone end one.
template <typename Unit>
std::uint32_t LineOfEnd(std::basic_string_view<Unit> text) {
    std::uint32_t line = 1;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == Unit('\n') || (text[i] == Unit('\r') && (i + 1 == text.size() || text[i + 1] != Unit('\n')))) ++line;
    return line;
}

}  // namespace

// The item's own way as the file names it; an unknown one follows the settings.
InsertWay WayOfItem(std::int32_t way) {
    return way >= kTypeByMessages && way <= kTypeByClipboard ? static_cast<InsertWay>(way + 1) : InsertWay::None;
}

std::vector<ChordRow> ExportedRows(const HotkeyTable& table, ChordCaptionFunction caption) {
    std::vector<ChordRow> rows;
    for (std::size_t i = 0; i < table.Count(); ++i) {
        const HotkeyItem& item = table.At(i);
        ChordRow row;
        if (item.IsAbbreviation()) {
            if (table.FindAbbreviation(item.abbreviation.View()) != static_cast<std::int32_t>(i)) continue;
            row.abbreviation = item.abbreviation;
            row.immediate = item.immediate;
        } else {
            if (table.FindChord(item.keyCode, item.extraModifier) != static_cast<std::int32_t>(i)) continue;
            row.caption = caption(item.keyCode, item.extraModifier);
            row.keyCode = item.keyCode;
            row.extraModifier = item.extraModifier;
        }
        row.text = item.text.IsNull() ? WideString(u"") : item.text;
        row.way = WayOfItem(item.way);
        rows.push_back(std::move(row));
    }
    return rows;
}

WideString ChordCode(std::uint16_t keyCode, std::int32_t extraModifier) {
    WideString code(u"");
    const int modifierClass = HotkeyTable::ModifierClass(extraModifier);
    if (modifierClass == 1) code.Append(u"Shift+");
    if (modifierClass == 2) code.Append(u"Ctrl+");
    code.Append(WideString::FromInt(keyCode));
    return code;
}

std::string WriteChordFile(const std::vector<ChordRow>& rows) {
    std::string out = "\xEF\xBB\xBF";
    AppendUtf8(out, kCaptionColumn);
    for (const std::u16string_view name : {kCodeColumn, kAbbreviationColumn, kTextColumn, kWayColumn, kImmediateColumn}) {
        out += ';';
        AppendUtf8(out, name);
    }
    out += "\r\n";
    for (const ChordRow& row : rows) {
        AppendField(out, row.caption.View(), true);
        out += ';';
        const bool abbreviation = !row.abbreviation.IsNull();
        if (!abbreviation) AppendField(out, ChordCode(row.keyCode, row.extraModifier).View(), false);
        out += ';';
        AppendField(out, row.abbreviation.View(), true);
        out += ';';
        AppendField(out, row.text.View(), true);
        out += ';';
        AppendField(out, kWayNames[static_cast<std::size_t>(row.way)], false);
        out += ';';
        if (abbreviation && row.immediate) AppendUtf8(out, kImmediateYes);
        out += "\r\n";
    }
    return out;
}

bool DecodeUtf8(std::string_view bytes, std::u16string& text) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::u16string out;
    if (Utf8Fault(bytes, out) != std::string_view::npos) return false;
    text = std::move(out);
    return true;
}

FileText DecodeChordFile(std::string_view bytes, std::u16string& text, ChordFileFailure& failure) {
    const bool littleEndian = bytes.substr(0, 2) == "\xFF\xFE", bigEndian = bytes.substr(0, 2) == "\xFE\xFF";
    if (littleEndian || bigEndian) {
        std::u16string out;
        out.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
            out += static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
        }
        if (bytes.size() % 2 != 0) {
            failure = {LineOfEnd(std::u16string_view(out)), WideString(u"файл обрывается посреди знака")};
            return FileText::Broken;
        }
        text = std::move(out);
        return FileText::Read;
    }
    const bool marked = bytes.substr(0, 3) == "\xEF\xBB\xBF";
    if (marked) bytes.remove_prefix(3);
    std::u16string out;
    const std::size_t fault = Utf8Fault(bytes, out);
    if (fault == std::string_view::npos) {
        text = std::move(out);
        return FileText::Read;
    }
    if (!marked) return FileText::Ansi;
    failure = {LineOfEnd(bytes.substr(0, fault)), WideString(u"испорченный знак (файл в кодировке UTF-8)")};
    return FileText::Broken;
}

bool ReadChordFile(std::u16string_view text, std::vector<ChordRow>& rows, ChordFileFailure& failure) {
    rows.clear();
    if (!text.empty() && text[0] == u'\uFEFF') text.remove_prefix(1);
    // A spreadsheet saves CSV with the list separator of its locale, and "Unicode text" with
    // tabs: the first of them in the header line, whose names hold none, tells which.
    const std::u16string_view firstLine = text.substr(0, text.find_first_of(u"\r\n"));
    const std::size_t separator = firstLine.find_first_of(u";\t,");
    CsvReader reader(text, separator != std::u16string_view::npos ? firstLine[separator] : u',');

    std::vector<std::u16string> fields;
    std::uint32_t line = 1;
    failure = {1, WideString()};
    const CsvReader::Outcome header = reader.Next(fields, line, failure);
    if (header == CsvReader::Broken) return false;
    Columns columns;
    columns.code = ColumnOf(fields, kCodeColumn);
    columns.abbreviation = ColumnOf(fields, kAbbreviationColumn);
    columns.text = ColumnOf(fields, kTextColumn);
    columns.way = ColumnOf(fields, kWayColumn);
    columns.immediate = ColumnOf(fields, kImmediateColumn);
    if (header == CsvReader::End || (columns.code < 0 && columns.abbreviation < 0) || columns.text < 0) {
        failure = {1, WideString(u"это не файл комбинаций: нет столбцов «Код клавиши» и «Текст»")};
        return false;
    }

    std::vector<ChordRow> read;
    for (;;) {
        const CsvReader::Outcome outcome = reader.Next(fields, line, failure);
        if (outcome == CsvReader::Broken) return false;
        if (outcome == CsvReader::End) break;
        if (AllEmpty(fields)) continue;
        ChordRow row;
        row.line = line;
        failure.line = line;
        if (!TakeRow(fields, columns, row, failure)) return false;
        for (const ChordRow& earlier : read) {
            if (SameItem(earlier, row)) {
                failure.reason = row.abbreviation.IsNull()
                                     ? Reason(u"комбинация ", ChordCode(row.keyCode, row.extraModifier).View(),
                                              u" уже есть в строке ")
                                     : Reason(u"сокращение ", row.abbreviation.View(), u" уже есть в строке ");
                failure.reason.Append(WideString::FromInt(static_cast<std::int32_t>(earlier.line)));
                return false;
            }
        }
        read.push_back(std::move(row));
    }
    rows = std::move(read);
    return true;
}

WideString FailureMessage(const ChordFileFailure& failure) {
    WideString message(u"Файл не прочитан: строка ");
    message.Append(WideString::FromInt(static_cast<std::int32_t>(failure.line)));
    message.Append(u" — ");
    message.Append(failure.reason);
    return message;
}

ChordMerge PlanMerge(const HotkeyTable& table, const std::vector<ChordRow>& rows) {
    ChordMerge merge;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::int32_t found = ItemOf(table, rows[i]);
        if (found < 0)
            merge.added.push_back(i);
        else if (Typed(table.At(static_cast<std::size_t>(found)).text.View()) != Typed(rows[i].text.View()))
            merge.differing.push_back(i);
    }
    return merge;
}

// The file's way and "Сразу" go with the file's text: with an added item, and with a replaced
// text. A replaced abbreviation keeps the table's spelling.
void ApplyMerge(HotkeyTable& table, const std::vector<ChordRow>& rows, const ChordMerge& merge, bool replace) {
    // "Сразу" goes through the table, which keeps the hook's index true.
    const auto take = [&rows, &table](std::size_t index, std::size_t i) {
        HotkeyItem& item = table.At(index);
        item.text = rows[i].text;
        item.way = static_cast<std::int32_t>(rows[i].way) - 1;
        if (item.IsAbbreviation()) table.SetImmediate(index, rows[i].immediate);
    };
    if (replace) {
        for (const std::size_t i : merge.differing) {
            const std::int32_t found = ItemOf(table, rows[i]);
            if (found >= 0) take(static_cast<std::size_t>(found), i);
        }
    }
    for (const std::size_t i : merge.added) {
        if (ItemOf(table, rows[i]) >= 0) continue;
        if (rows[i].abbreviation.IsNull())
            table.Append(rows[i].keyCode, rows[i].extraModifier, rows[i].text);
        else
            table.AppendAbbreviation(rows[i].abbreviation, rows[i].text);
        take(table.Count() - 1, i);
    }
}

WideString ReplaceQuestion(std::size_t chords, std::size_t abbreviations) {
    // Russian numerals: 1, 21, 31… take one form, 2-4, 22-24… another, the rest a third.
    static constexpr const char16_t* kForms[2][4] = {{u"комбинаци", u"я", u"и", u"й"}, {u"сокращени", u"е", u"я", u"й"}};
    const std::size_t counts[2] = {chords, abbreviations};
    WideString question(u"В файле ");
    for (int kind = 0; kind < 2; ++kind) {
        const std::size_t n = counts[kind], units = n % 10;
        if (n == 0) continue;
        if (kind == 1 && chords > 0) question.Append(u" и ");
        question.Append(WideString::FromInt(static_cast<std::int32_t>(n)));
        question.Append(u' ');
        question.Append(kForms[kind][0]);
        question.Append(kForms[kind][n % 100 / 10 == 1 || units == 0 || units > 4 ? 3 : units == 1 ? 1 : 2]);
    }
    question.Append(chords + abbreviations != 1 ? u", которые уже есть с другим текстом. Заменить их тексты?"
                    : chords == 1               ? u", которая уже есть с другим текстом. Заменить её текст?"
                                                : u", которое уже есть с другим текстом. Заменить его текст?");
    return question;
}

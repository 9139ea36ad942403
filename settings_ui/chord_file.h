#pragma once
// The chords and abbreviations as a file the user carries to another computer or opens in a
// spreadsheet: CSV in UTF-8 with a byte order mark, CRLF and ";" between fields, as a Russian
// Excel opens it by a double click. The header names the columns
// "Комбинация;Код клавиши;Сокращение;Текст;Способ;Сразу"; reading finds them by name, so a file
// of chords alone needs neither "Сокращение" nor "Сразу", and takes "," and a tab as well, no
// byte order mark, and UTF-16.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/hotkey.h"
#include "toolkit/wide_string.h"

// How an item's text is inserted, where the item has its own way; None follows the settings.
// In the order of the item's way plus one.
enum class InsertWay : std::uint8_t { None, Messages, Keystrokes, Clipboard };
InsertWay WayOfItem(std::int32_t way);

// Longer texts are refused: an edit control shows no more by default, nor does a spreadsheet cell.
constexpr std::size_t kMaxChordTextUnits = 32767;

// A chord's row, or an abbreviation's: then the key code is 0 and the file's "Код клавиши" empty.
struct ChordRow {
    WideString caption = WideString(u"");  // for people: written, never read back
    std::uint16_t keyCode = 0;
    std::int32_t extraModifier = kModifierNone;
    WideString text = WideString(u"");
    InsertWay way = InsertWay::None;
    std::uint32_t line = 0;  // where a read row starts in the file, from 1
    WideString abbreviation = WideString::Null();  // for a chord's row
    bool immediate = false;   // "да" in "Сразу"
};

using ChordCaptionFunction = WideString (*)(std::uint16_t keyCode, std::int32_t extraModifier);

// One row per chord and per abbreviation, the first item of each only: the later ones never type.
std::vector<ChordRow> ExportedRows(const HotkeyTable& table, ChordCaptionFunction caption);

// "Shift+49", "Ctrl+49" or "49": what import reads back, whatever the keyboard layout.
WideString ChordCode(std::uint16_t keyCode, std::int32_t extraModifier);

// The whole file's bytes.
std::string WriteChordFile(const std::vector<ChordRow>& rows);

// Strict UTF-8 without the byte order mark, if any; false for anything else.
bool DecodeUtf8(std::string_view bytes, std::u16string& text);

struct ChordFileFailure {
    std::uint32_t line = 0;
    WideString reason;
};

// What a file's bytes gave: its text; no byte order mark and no UTF-8 either, for the caller to
// read in the system's ANSI code page, as a spreadsheet saves CSV; or bytes that break the
// encoding their mark names, with the line in `failure`.
enum class FileText : std::uint8_t { Read, Ansi, Broken };

// The text in the encoding the byte order mark names: UTF-16 LE or BE (a spreadsheet's "Unicode
// text"), or UTF-8; without a mark, strict UTF-8.
FileText DecodeChordFile(std::string_view bytes, std::u16string& text, ChordFileFailure& failure);

// Checks every row before it gives any: on failure `rows` is left empty. Line breaks in texts
// become CR LF, as the item dialog stores them.
bool ReadChordFile(std::u16string_view text, std::vector<ChordRow>& rows, ChordFileFailure& failure);

// "Файл не прочитан: строка N — …"
WideString FailureMessage(const ChordFileFailure& failure);

// What an import changes: rows whose chords or abbreviations (ignoring case) the table lacks,
// and rows whose chords or abbreviations it has with a text that types differently. Indices
// into the rows.
struct ChordMerge {
    std::vector<std::size_t> added;
    std::vector<std::size_t> differing;
    bool ChangesNothing() const { return added.empty() && differing.empty(); }
};

ChordMerge PlanMerge(const HotkeyTable& table, const std::vector<ChordRow>& rows);
// Appends the added items in file order and, with `replace`, gives the differing ones the
// file's text, with its way and "Сразу".
void ApplyMerge(HotkeyTable& table, const std::vector<ChordRow>& rows, const ChordMerge& merge, bool replace);

// "В файле 2 комбинации и 1 сокращение, которые уже есть с другим текстом. Заменить их тексты?"
WideString ReplaceQuestion(std::size_t chords, std::size_t abbreviations = 0);

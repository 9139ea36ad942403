#include "shell/win32/cheat_sheet.h"

#include <algorithm>
#include <string>

#include "engine/win32/key_platform.h"
#include "settings_ui/key_caption.h"
#include "settings_ui/win32/text_edit_dialog.h"
#include "toolkit/win32/text.h"

namespace {

constexpr wchar_t kClassName[] = L"VelloryCheatSheet";
// A cell shows no more of its text than fits; listing more would only cost.
constexpr std::size_t kShownUnits = 160;

void Line(HDC dc, int left, int top, int right, int bottom) {
    const RECT line{left, top, right, bottom};
    ::FillRect(dc, &line, ::GetSysColorBrush(COLOR_BTNSHADOW));
}

}  // namespace

void CheatSheet::Show() {
    const HotkeyTable& table = *engine_.table;
    bool seen[256] = {};
    rows_ = 0;
    abbreviations_.clear();
    for (std::size_t i = 0; i < table.Count(); ++i) {
        const HotkeyItem& item = table.At(i);
        if (item.IsAbbreviation()) {
            // A later item with the same abbreviation never types, as a chord's never does.
            if (table.FindAbbreviation(item.abbreviation.View()) == static_cast<std::int32_t>(i))
                abbreviations_.push_back(static_cast<std::int32_t>(i));
            continue;
        }
        const std::uint16_t key = item.keyCode;
        if (key > 255 || seen[key]) continue;
        seen[key] = true;
        keys_[rows_++] = static_cast<std::uint8_t>(key);
    }
    const int abbreviations = static_cast<int>(abbreviations_.size());
    if (rows_ == 0 && abbreviations == 0) return;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!window_) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        ::RegisterClassW(&windowClass);
        window_.Reset(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP,
                                        0, 0, 0, 0, nullptr, nullptr, instance, nullptr));
        if (!window_) return;
        ::SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    // Every chord on the screen the sheet appears on: the rows wrap into more groups of columns,
    // then the type grows smaller, down to 8 points; only then are rows left out, and counted.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(::GetForegroundWindow(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int workWidth = static_cast<int>(work.right - work.left), workHeight = static_cast<int>(work.bottom - work.top);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    // The program is aware of the system's DPI: the font comes scaled, the rest scales here.
    const HDC dc = ::GetDC(window_.Get());
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    const int sign = font.lfHeight < 0 ? -1 : 1, largest = font.lfHeight * sign;
    const int smallest = std::min(largest, ::MulDiv(8, dpi, 72));
    for (int height = largest;; --height) {
        font.lfHeight = sign * height;
        font_.Reset(::CreateFontIndirectW(&font));
        const SheetMeasures measures = Measure(dc, dpi);
        // The abbreviations get rows of their own beneath the chords, three to a group of columns,
        // in at most half the screen's height while there are chords.
        const int rowHeight = std::max(1, measures.rowHeight), fitting = (workHeight - 2) / rowHeight - 1;
        const int reserved = abbreviations == 0 ? 0 : std::min((abbreviations + 2) / 3, rows_ > 0 ? fitting / 2 : fitting);
        layout_ = LayOutSheet(rows_, measures, workWidth, workHeight - (reserved > 0 ? (reserved + 1) * rowHeight : 0));
        abbreviationRows_ = std::min(reserved, (abbreviations + AbbreviationsPerRow() - 1) / AbbreviationsPerRow());
        if (rows_ == 0) layout_.height = 1;  // the frame's top line: no chords, no header of theirs
        const bool all = abbreviationRows_ * AbbreviationsPerRow() >= abbreviations;
        if ((layout_.shownRows == rows_ && all) || height <= smallest) break;
    }
    ::ReleaseDC(window_.Get(), dc);
    notShown_ = 0;
    for (int row = layout_.shownRows; row < rows_; ++row)
        for (int column = 0; column < 3; ++column) notShown_ += table.FirstFor(keys_[row], column) >= 0 ? 1 : 0;

    const int width = layout_.width, height = layout_.height + AbbreviationHeight() - (AbbreviationHeight() > 0 ? 1 : 0);
    ::SetWindowPos(window_.Get(), HWND_TOPMOST, work.left + (workWidth - width) / 2, work.top + (workHeight - height) / 2,
                   width, height, SWP_NOACTIVATE);
    ::InvalidateRect(window_.Get(), nullptr, TRUE);
    ::ShowWindow(window_.Get(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(window_.Get());
}

SheetMeasures CheatSheet::Measure(HDC dc, int dpi) const {
    const HGDIOBJ old = ::SelectObject(dc, font_.Get());
    TEXTMETRICW text{};
    ::GetTextMetricsW(dc, &text);
    SheetMeasures measures;
    measures.rowHeight = text.tmHeight + ::MulDiv(8, dpi, 96);
    const int pad = measures.rowHeight / 3;
    // The key column as wide as its widest caption, within bounds; a longer name ends in "…".
    int widest = 0;
    for (int row = 0; row < rows_; ++row) {
        const WideString caption = ChordCaption(keys_[row], kModifierNone);
        SIZE size{};
        ::GetTextExtentPoint32W(dc, W(caption), static_cast<int>(caption.View().size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    measures.keyWidth = std::clamp(widest + 2 * pad + 1, ::MulDiv(48, dpi, 96), ::MulDiv(80, dpi, 96));
    measures.widestCell = ::MulDiv(220, dpi, 96);
    measures.narrowestCell = 12 * text.tmAveCharWidth + 2 * pad;
    ::SelectObject(dc, old);
    return measures;
}

void CheatSheet::Hide() {
    if (window_) ::ShowWindow(window_.Get(), SW_HIDE);
}

void CheatSheet::Paint(HDC dc) {
    const HotkeyTable& table = *engine_.table;
    const SheetLayout& layout = layout_;
    RECT client{};
    ::GetClientRect(window_.Get(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_INFOBK));
    // Put back before the paint ends: the next Show deletes the font, which must not be selected then.
    const HGDIOBJ oldFont = ::SelectObject(dc, font_.Get());
    ::SetBkMode(dc, TRANSPARENT);
    if (AbbreviationHeight() > 0) PaintAbbreviations(dc, client);
    if (rows_ == 0) {
        ::FrameRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOWFRAME));
        ::SelectObject(dc, oldFont);
        return;
    }
    const RECT header{0, 0, client.right, layout.rowHeight + 1};
    ::FillRect(dc, &header, ::GetSysColorBrush(COLOR_BTNFACE));
    // The line that counts the chords left out, below the rows, and above the abbreviations.
    const int chordsBottom = client.bottom - AbbreviationHeight();
    const int rowsBottom = chordsBottom - (layout.countLine ? layout.rowHeight + 1 : 0);
    const int pad = layout.rowHeight / 3;
    if (layout.countLine) {
        RECT last{0, rowsBottom, client.right, chordsBottom};
        ::FillRect(dc, &last, ::GetSysColorBrush(COLOR_BTNFACE));
        Line(dc, 0, rowsBottom, client.right, rowsBottom + 1);
        WideString shown(u"Не показано комбинаций: ");
        shown.Append(WideString::FromInt(notShown_));
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        last.left += pad;
        ::DrawTextW(dc, W(shown), -1, &last, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    const bool alt = engine_.state->modifierMode != kModifierModeWin;
    const char16_t* headers[] = {alt ? u"Alt + …" : u"Win + …", alt ? u"Alt + Shift + …" : u"Win + Shift + …",
                                 alt ? u"Alt + Control + …" : u"Win + Control + …"};
    // Narrow cells name only the other modifier: the first column names the main one.
    SIZE longest{};
    ::GetTextExtentPoint32W(dc, W(headers[2]), static_cast<int>(std::char_traits<char16_t>::length(headers[2])), &longest);
    if (longest.cx > layout.cellWidth - 2 * pad) {
        headers[1] = u"Shift + …";
        headers[2] = u"Ctrl + …";
    }
    for (int group = 0; group < layout.groups; ++group) {
        const int x = 1 + group * layout.GroupWidth(), first = group * layout.rowsPerGroup;
        const int rows = std::min(layout.rowsPerGroup, layout.shownRows - first);
        for (int row = -1; row < rows; ++row) {
            const int top = 1 + (row + 1) * layout.rowHeight;
            if (row >= 0) Line(dc, x - 1, top, x + layout.GroupWidth(), top + 1);
            ::SetTextColor(dc, ::GetSysColor(row < 0 ? COLOR_BTNTEXT : COLOR_INFOTEXT));
            for (int column = -1; column < 3; ++column) {
                const int left = column < 0 ? x : x + layout.keyWidth + column * layout.cellWidth;
                RECT cell{left + pad, top, left + (column < 0 ? layout.keyWidth : layout.cellWidth) - pad,
                          top + layout.rowHeight};
                const std::uint8_t key = row >= 0 ? keys_[first + row] : 0;
                WideString shown;
                if (row < 0) {
                    if (column >= 0) shown = headers[column];
                } else if (column < 0) {
                    shown = ChordCaption(key, kModifierNone);
                } else if (const std::int32_t item = table.FirstFor(key, column); item >= 0) {
                    shown = ListedText(table.At(static_cast<std::size_t>(item)).text.View().substr(0, kShownUnits));
                }
                ::DrawTextW(dc, W(shown), -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
            }
        }
        for (int column = 0; column < 3; ++column) {
            const int line = x + layout.keyWidth + column * layout.cellWidth;
            Line(dc, line - 1, 1, line, rowsBottom);
        }
        // Groups apart by the frame's colour.
        const RECT between{x - 1, 0, x, rowsBottom};
        if (group > 0) ::FillRect(dc, &between, ::GetSysColorBrush(COLOR_WINDOWFRAME));
    }
    ::FrameRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOWFRAME));
    ::SelectObject(dc, oldFont);
}

// A header row across the sheet, then the abbreviations in even columns, each cell «sig» and
// the start of its text.
void CheatSheet::PaintAbbreviations(HDC dc, const RECT& client) {
    const HotkeyTable& table = *engine_.table;
    const int rowHeight = layout_.rowHeight, pad = rowHeight / 3, perRow = AbbreviationsPerRow();
    const int top = static_cast<int>(client.bottom) - AbbreviationHeight(), cellWidth = (client.right - 2) / perRow;
    const RECT header{0, top, client.right, top + rowHeight + 1};
    ::FillRect(dc, &header, ::GetSysColorBrush(COLOR_BTNFACE));
    Line(dc, 0, top, client.right, top + 1);
    const int count = static_cast<int>(abbreviations_.size()), shown = std::min(count, abbreviationRows_ * perRow);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    RECT title{pad, top + 1, client.right - pad, top + 1 + rowHeight};
    ::DrawTextW(dc,
                shown < count ? L"Сокращения (поместились не все): напечатайте, затем пробел или знак препинания"
                              : L"Сокращения: напечатайте, затем пробел или знак препинания",
                -1, &title, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    ::SetTextColor(dc, ::GetSysColor(COLOR_INFOTEXT));
    for (int i = 0; i < shown; ++i) {
        const int y = top + 1 + (i / perRow + 1) * rowHeight, left = 1 + (i % perRow) * cellWidth;
        if (i % perRow == 0) Line(dc, 0, y, client.right, y + 1);
        if (i % perRow != 0) Line(dc, left - 1, y, left, y + rowHeight);
        const HotkeyItem& item = table.At(static_cast<std::size_t>(abbreviations_[static_cast<std::size_t>(i)]));
        WideString text = AbbreviationCaption(item.abbreviation.View());
        text.Append(u" ");
        text.Append(ListedText(item.text.View().substr(0, kShownUnits)));
        RECT cell{left + pad, y, left + cellWidth - pad, y + rowHeight};
        ::DrawTextW(dc, W(text), -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

void CheatSheet::Click(int x, int y) {
    const SheetLayout& layout = layout_;
    if (x < 1 || y < 1) return;
    // The abbreviations' section starts where the chords' frame would be.
    if (AbbreviationHeight() > 0 && y >= layout.height - 1) {
        const int perRow = AbbreviationsPerRow(), cellWidth = std::max(1, (layout.width - 2) / perRow);
        const int row = (y - layout.height) / layout.rowHeight - 1, column = std::min((x - 1) / cellWidth, perRow - 1);
        const std::size_t index = static_cast<std::size_t>(row * perRow + column);
        if (row >= 0 && row < abbreviationRows_ && index < abbreviations_.size()) Type(abbreviations_[index]);
        return;
    }
    if (rows_ == 0) return;
    const int group = (x - 1) / layout.GroupWidth(), inGroup = (x - 1) % layout.GroupWidth();
    const int row = (y - 1) / layout.rowHeight - 1;
    const int column = inGroup < layout.keyWidth ? -1 : (inGroup - layout.keyWidth) / layout.cellWidth;
    const int index = group * layout.rowsPerGroup + row;
    if (group >= layout.groups || row < 0 || row >= layout.rowsPerGroup || index >= layout.shownRows || column < 0 ||
        column > 2)
        return;
    Type(engine_.table->FirstFor(keys_[index], column));
}

void CheatSheet::Type(std::int32_t item) {
    if (item < 0) return;
    // As after a chord: the sheet goes, and the modifier's release is masked when the text went.
    Hide();
    engine_.state->sheet = SheetPhase::Idle;
    WindowsKeyPlatform platform(*engine_.state);
    TypeItem(item, *engine_.state, *engine_.table, platform);
}

LRESULT CALLBACK CheatSheet::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<CheatSheet*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_LBUTTONDOWN:
            if (self != nullptr) self->Click(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = ::BeginPaint(window, &paint);
            if (self != nullptr) self->Paint(dc);
            ::EndPaint(window, &paint);
            return 0;
        }
        default:
            return ::DefWindowProcW(window, message, wparam, lparam);
    }
}

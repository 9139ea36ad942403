#include "shell/win32/cheat_sheet.h"

#include <algorithm>

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
    if (rows_ == 0 && abbreviations_.empty()) return;
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
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        font_.Reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    }

    // The program is aware of the system's DPI: the font comes scaled, the rest scales here.
    const HDC dc = ::GetDC(window_.Get());
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    const HGDIOBJ old = ::SelectObject(dc, font_.Get());
    TEXTMETRICW text{};
    ::GetTextMetricsW(dc, &text);
    ::SelectObject(dc, old);
    ::ReleaseDC(window_.Get(), dc);
    rowHeight_ = text.tmHeight + ::MulDiv(8, dpi, 96);
    keyWidth_ = ::MulDiv(80, dpi, 96);

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(::GetForegroundWindow(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int workWidth = static_cast<int>(work.right - work.left), workHeight = static_cast<int>(work.bottom - work.top);
    // A small screen narrows the cells; a list longer than the screen loses its last rows.
    cellWidth_ = std::min(::MulDiv(220, dpi, 96), (workWidth - keyWidth_ - 2) / 3);
    const int fitting = (workHeight - 2) / rowHeight_;
    if (rows_ > 0) rows_ = std::max(1, std::min(rows_, fitting - 1));
    // The abbreviations take the rows the chords leave, beneath a header row of their own.
    const int wanted = static_cast<int>((abbreviations_.size() + 2) / 3);
    abbreviationRows_ = std::max(0, std::min(wanted, fitting - (rows_ > 0 ? rows_ + 1 : 0) - 1));
    if (rows_ == 0 && abbreviationRows_ == 0) return;
    const int width = keyWidth_ + 3 * cellWidth_ + 2,
              height = AbbreviationTop() + (abbreviationRows_ > 0 ? (abbreviationRows_ + 1) * rowHeight_ : 0) + 1;
    ::SetWindowPos(window_.Get(), HWND_TOPMOST, work.left + (workWidth - width) / 2, work.top + (workHeight - height) / 2,
                   width, height, SWP_NOACTIVATE);
    ::InvalidateRect(window_.Get(), nullptr, TRUE);
    ::ShowWindow(window_.Get(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(window_.Get());
}

void CheatSheet::Hide() {
    if (window_) ::ShowWindow(window_.Get(), SW_HIDE);
}

void CheatSheet::Paint(HDC dc) {
    const HotkeyTable& table = *engine_.table;
    RECT client{};
    ::GetClientRect(window_.Get(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_INFOBK));
    const RECT header{0, 0, client.right, rowHeight_ + 1};
    ::FillRect(dc, &header, ::GetSysColorBrush(COLOR_BTNFACE));
    ::SelectObject(dc, font_.Get());
    ::SetBkMode(dc, TRANSPARENT);
    const bool alt = engine_.state->modifierMode != kModifierModeWin;
    const char16_t* const headers[] = {alt ? u"Alt + …" : u"Win + …", alt ? u"Alt + Shift + …" : u"Win + Shift + …",
                                       alt ? u"Alt + Control + …" : u"Win + Control + …"};
    const int pad = rowHeight_ / 3;
    for (int row = rows_ > 0 ? -1 : 0; row < rows_; ++row) {
        const int top = 1 + (row + 1) * rowHeight_;
        if (row >= 0) Line(dc, 0, top, client.right, top + 1);
        ::SetTextColor(dc, ::GetSysColor(row < 0 ? COLOR_BTNTEXT : COLOR_INFOTEXT));
        for (int column = -1; column < 3; ++column) {
            const int left = column < 0 ? 1 : 1 + keyWidth_ + column * cellWidth_;
            RECT cell{left + pad, top, left + (column < 0 ? keyWidth_ : cellWidth_) - pad, top + rowHeight_};
            WideString shown;
            if (row < 0) {
                if (column >= 0) shown = headers[column];
            } else if (column < 0) {
                shown = ChordCaption(keys_[row], kModifierNone);
            } else if (const std::int32_t item = table.FirstFor(keys_[row], column); item >= 0) {
                shown = ListedText(table.At(static_cast<std::size_t>(item)).text.View().substr(0, kShownUnits));
            }
            ::DrawTextW(dc, W(shown), -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
    }
    for (int column = 0; column < 3 && rows_ > 0; ++column) {
        const int x = 1 + keyWidth_ + column * cellWidth_;
        Line(dc, x - 1, 1, x, AbbreviationTop());
    }
    if (abbreviationRows_ > 0) PaintAbbreviations(dc, client);
    ::FrameRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOWFRAME));
}

// A header row across the sheet, then the abbreviations in the chords' three columns, each
// cell «sig» and the start of its text.
void CheatSheet::PaintAbbreviations(HDC dc, const RECT& client) {
    const HotkeyTable& table = *engine_.table;
    const int top = AbbreviationTop(), pad = rowHeight_ / 3;
    const RECT header{0, top, client.right, top + rowHeight_};
    ::FillRect(dc, &header, ::GetSysColorBrush(COLOR_BTNFACE));
    if (rows_ > 0) Line(dc, 0, top - 1, client.right, top);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    RECT title{pad, top, client.right - pad, top + rowHeight_};
    ::DrawTextW(dc, L"Сокращения: напечатайте, затем пробел или знак препинания", -1, &title,
                DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    ::SetTextColor(dc, ::GetSysColor(COLOR_INFOTEXT));
    for (int row = 0; row < abbreviationRows_; ++row) {
        const int y = top + (row + 1) * rowHeight_;
        Line(dc, 0, y, client.right, y + 1);
        for (int column = 0; column < 3; ++column) {
            const std::size_t index = static_cast<std::size_t>(row) * 3 + static_cast<std::size_t>(column);
            if (index >= abbreviations_.size()) break;
            const HotkeyItem& item = table.At(static_cast<std::size_t>(abbreviations_[index]));
            WideString shown = AbbreviationCaption(item.abbreviation.View());
            shown.Append(u" ");
            shown.Append(ListedText(item.text.View().substr(0, kShownUnits)));
            const int left = 1 + keyWidth_ + column * cellWidth_;
            RECT cell{left + pad, y, left + cellWidth_ - pad, y + rowHeight_};
            ::DrawTextW(dc, W(shown), -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
    }
    for (int column = 0; column < 3; ++column) {
        const int x = 1 + keyWidth_ + column * cellWidth_;
        Line(dc, x - 1, top + rowHeight_, x, client.bottom);
    }
}

void CheatSheet::Click(int x, int y) {
    const int column = x <= keyWidth_ ? -1 : (x - 1 - keyWidth_) / cellWidth_;
    if (column < 0 || column > 2) return;
    std::int32_t item = -1;
    if (y >= AbbreviationTop()) {
        const int row = (y - AbbreviationTop()) / rowHeight_ - 1;
        const std::size_t index = static_cast<std::size_t>(row) * 3 + static_cast<std::size_t>(column);
        if (row >= 0 && row < abbreviationRows_ && index < abbreviations_.size()) item = abbreviations_[index];
    } else {
        const int row = (y - 1) / rowHeight_ - 1;
        if (row >= 0 && row < rows_) item = engine_.table->FirstFor(keys_[row], column);
    }
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

#pragma once
// The cheat sheet: every chord in a table (rows by key; the key alone, with Shift, with Ctrl),
// and beneath it every abbreviation with its text, shown while the main modifier is held alone. It takes neither focus nor activation, so the
// program in front keeps both and a click on a cell types into it.
#include <windows.h>

#include <vector>

#include "engine/hotkey.h"
#include "engine/win32/engine_window.h"
#include "shell/sheet_layout.h"
#include "toolkit/win32/handles.h"

class CheatSheet final : public SheetView {
public:
    explicit CheatSheet(EngineContext engine) : engine_(engine) {}
    CheatSheet(const CheatSheet&) = delete;
    CheatSheet& operator=(const CheatSheet&) = delete;

    void Show() override;
    void Hide() override;
    HWND Window() const { return window_.Get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    SheetMeasures Measure(HDC dc, int dpi) const;
    void Paint(HDC dc);
    void PaintAbbreviations(HDC dc, const RECT& client);
    void Click(int x, int y);
    void Type(std::int32_t item);
    // The abbreviations' section beneath the chords, from the line over its header row to the
    // frame, or nothing.
    int AbbreviationHeight() const { return abbreviationRows_ > 0 ? (abbreviationRows_ + 1) * layout_.rowHeight + 2 : 0; }
    int AbbreviationsPerRow() const { return 3 * layout_.groups; }

    EngineContext engine_;
    UniqueWindow window_;
    UniqueFont font_;
    std::uint8_t keys_[256] = {};  // the rows' keys, in the order of their first chords
    int rows_ = 0;
    SheetLayout layout_;
    int notShown_ = 0;  // chords of the rows left out
    std::vector<std::int32_t> abbreviations_;  // the first item of each abbreviation, in table order
    int abbreviationRows_ = 0;
};

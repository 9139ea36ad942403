#pragma once
// The cheat sheet: every chord in a table (rows by key; the key alone, with Shift, with Ctrl),
// and beneath it every abbreviation with its text, three to a row, shown while the main
// modifier is held alone. It takes neither focus nor activation, so the
// program in front keeps both and a click on a cell types into it.
#include <windows.h>

#include <vector>

#include "engine/hotkey.h"
#include "engine/win32/engine_window.h"
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
    void Paint(HDC dc);
    void PaintAbbreviations(HDC dc, const RECT& client);
    void Click(int x, int y);
    // Where the abbreviations' own header row starts.
    int AbbreviationTop() const { return 1 + (rows_ > 0 ? (rows_ + 1) * rowHeight_ : 0); }

    EngineContext engine_;
    UniqueWindow window_;
    UniqueFont font_;
    std::uint8_t keys_[256] = {};  // the rows' keys, in the order of their first chords
    int rows_ = 0;
    std::vector<std::int32_t> abbreviations_;  // the first item of each abbreviation, in table order
    int abbreviationRows_ = 0;                 // shown beneath their header row; 0: no section
    int keyWidth_ = 0, cellWidth_ = 0, rowHeight_ = 0;
};

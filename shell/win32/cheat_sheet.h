#pragma once
// The cheat sheet: every chord in a table (rows by key; the key alone, with Shift, with Ctrl),
// shown while the main modifier is held alone. It takes neither focus nor activation, so the
// program in front keeps both and a click on a cell types into it.
#include <windows.h>

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
    void Click(int x, int y);

    EngineContext engine_;
    UniqueWindow window_;
    UniqueFont font_;
    std::uint8_t keys_[256] = {};  // the rows' keys, in the order of their first chords
    int rows_ = 0;
    SheetLayout layout_;
    int notShown_ = 0;  // chords of the rows left out
};

#pragma once
// How the cheat sheet's rows fit the screen it appears on: under one header row, and when they
// are too many for the height, in groups of columns side by side (key, alone, with Shift, with
// Ctrl), each under its own header. Where even the narrowest cells leave no room for more
// groups, the rows that do not fit give way to a last line that says how many chords are not
// shown.

// In pixels, for the font the sheet is drawn in.
struct SheetMeasures {
    int rowHeight = 0;      // of every row, the header's and the last line's too
    int keyWidth = 0;       // the column of the keys
    int widestCell = 0;     // a cell is never wider...
    int narrowestCell = 0;  // ...nor narrower, where its text would no longer read
};

struct SheetLayout {
    int rowHeight = 0, keyWidth = 0, cellWidth = 0;
    int groups = 1;
    int rowsPerGroup = 1;  // the last group may hold fewer
    int shownRows = 0;     // the first rows; the others are left out and counted on the last line
    bool countLine = false;
    int width = 0, height = 0;  // of the window, its one-pixel frame included
    int GroupWidth() const { return keyWidth + 3 * cellWidth; }
};

SheetLayout LayOutSheet(int rows, const SheetMeasures& measures, int areaWidth, int areaHeight);

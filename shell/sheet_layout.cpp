#include "shell/sheet_layout.h"

#include <algorithm>

namespace {

int Groups(int rows, int rowsPerGroup) { return (rows + rowsPerGroup - 1) / rowsPerGroup; }

}  // namespace

SheetLayout LayOutSheet(int rows, const SheetMeasures& measures, int areaWidth, int areaHeight) {
    SheetLayout layout;
    layout.rowHeight = std::max(1, measures.rowHeight);
    layout.keyWidth = measures.keyWidth;
    rows = std::max(rows, 1);
    const int rowsUnderHeader = std::max(1, (areaHeight - 2) / layout.rowHeight - 1);
    const int mostGroups = std::max(1, (areaWidth - 2) / (measures.keyWidth + 3 * std::max(1, measures.narrowestCell)));
    if (Groups(rows, rowsUnderHeader) <= mostGroups) {
        layout.groups = Groups(rows, rowsUnderHeader);
        // As many rows in each group as the others: the sheet is no taller than it must be.
        layout.rowsPerGroup = Groups(rows, layout.groups);
        layout.shownRows = rows;
    } else {
        layout.groups = mostGroups;
        layout.rowsPerGroup = std::max(1, rowsUnderHeader - 1);  // the last line takes a row
        layout.shownRows = std::min(rows, layout.groups * layout.rowsPerGroup);
        layout.countLine = true;
    }
    layout.cellWidth = std::max(1, std::min(measures.widestCell,
                                            (areaWidth - 2 - layout.groups * measures.keyWidth) / (3 * layout.groups)));
    layout.width = layout.groups * layout.GroupWidth() + 2;
    layout.height = (layout.rowsPerGroup + 1 + (layout.countLine ? 1 : 0)) * layout.rowHeight + 2;
    return layout;
}

#include <gtest/gtest.h>

#include "shell/sheet_layout.h"

namespace {

// The sheet's rows on the screen: wrapped into groups as the height needs, the cells narrowed to
// fit the width, and only past the narrowest cells rows left out for the line that counts them.
TEST(SheetLayout, EveryRowFitsTheScreenOrIsCounted) {
    const SheetMeasures dpi96{21, 48, 220, 72}, dpi144{30, 72, 330, 108};
    const struct Case {
        int rows;
        SheetMeasures measures;
        int areaWidth, areaHeight;
        int groups, rowsPerGroup, shownRows;
    } cases[] = {
        {36, dpi96, 1024, 768, 2, 18, 36},  // 108 chords at 1024 x 768
        {36, dpi144, 1024, 768, 2, 18, 36},
        {35, dpi96, 1024, 738, 2, 18, 35},  // one row more than one group holds
        {34, dpi96, 1024, 738, 1, 34, 34},
        {252, dpi96, 1024, 768, 3, 34, 102},
        {252, dpi144, 1024, 768, 2, 23, 46},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows in " << c.areaWidth << " x " << c.areaHeight);
        const SheetLayout layout = LayOutSheet(c.rows, c.measures, c.areaWidth, c.areaHeight);
        EXPECT_EQ(layout.groups, c.groups);
        EXPECT_EQ(layout.rowsPerGroup, c.rowsPerGroup);
        EXPECT_EQ(layout.shownRows, c.shownRows);
        EXPECT_EQ(layout.countLine, c.shownRows < c.rows);
        EXPECT_GE(layout.cellWidth, c.measures.narrowestCell);
        EXPECT_GE(layout.groups * layout.rowsPerGroup, layout.shownRows);
        EXPECT_LE(layout.width, c.areaWidth);
        EXPECT_LE(layout.height, c.areaHeight);
    }
}

}  // namespace

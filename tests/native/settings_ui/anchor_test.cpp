#include <gtest/gtest.h>

#include "settings_ui/anchor.h"

#include <ostream>
#include <utility>

std::ostream& operator<<(std::ostream& os, const AnchorRect& r) {
    return os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace {

constexpr std::uint32_t kStretchBoth = RightFollows | BottomFollows;
constexpr std::uint32_t kMoveBoth = RightFollows | LeftFollows | BottomFollows | TopFollows;

TEST(Anchor, CentreIsHalfTheClientSizeRoundedTowardsZero) {
    struct Case { std::int32_t w, h, x, y; };
    const Case cases[] = {{400, 300, 200, 150}, {401, 301, 200, 150}, {1, 1, 0, 0}, {0, 0, 0, 0}, {-3, -5, -1, -2}};
    for (const auto& c : cases) {
        const AnchorCentre centre = CentreOf(c.w, c.h);
        EXPECT_EQ(centre.x, c.x) << c.w;
        EXPECT_EQ(centre.y, c.y) << c.h;
    }
}

TEST(Anchor, AutoFlagsCompareEachEdgeStrictlyWithTheCentre) {
    const AnchorCentre centre{200, 150};
    struct Case { AnchorRect rect; std::uint32_t flags; };
    const Case cases[] = {
        {{10, 10, 50, 30}, NothingFollows},          // top-left corner: never touched
        {{10, 10, 390, 260}, kStretchBoth},          // page or list: stretches both ways
        {{300, 270, 380, 290}, kMoveBoth},           // OK button: follows the corner
        {{10, 270, 390, 290}, RightFollows | BottomFollows | TopFollows},  // wide check box at the bottom
        {{10, 10, 390, 30}, RightFollows},           // wide text at the top: width only
        {{10, 270, 110, 290}, BottomFollows | TopFollows},
        {{300, 10, 380, 30}, RightFollows | LeftFollows},
        {{10, 10, 200, 150}, NothingFollows},        // edges exactly on the centre do not count
        {{10, 10, 201, 151}, kStretchBoth},
        {{200, 150, 300, 200}, kStretchBoth},        // left and top on the centre do not count
        {{201, 151, 300, 200}, kMoveBoth},
        {{-50, -50, -10, -10}, NothingFollows},
        {{0, 0, 0, 0}, NothingFollows},
    };
    for (const auto& c : cases) EXPECT_EQ(AutoAnchorFlags(c.rect, centre), c.flags) << c.rect;
}

TEST(Anchor, GapsAreMeasuredOnlyForTheEdgesThatFollow) {
    struct Case { std::uint32_t flags; AnchorRect rect; std::int32_t right, bottom; };
    const Case cases[] = {
        {kStretchBoth, {10, 10, 390, 260}, 10, 40},              // from the right and bottom edges
        {kMoveBoth, {300, 270, 380, 290}, 100, 30},              // from the left and top edges
        {RightFollows | LeftFollows, {300, 10, 380, 30}, 100, 0},
        {BottomFollows, {10, 10, 50, 280}, 0, 20},
        {NothingFollows, {300, 270, 380, 290}, 0, 0},
        {LeftFollows, {300, 10, 380, 30}, 0, 0},                 // meaningless alone
        {TopFollows, {10, 270, 50, 290}, 0, 0},
        {NothingFollows | kMoveBoth, {300, 270, 380, 290}, 0, 0},
        {RightFollows, {350, 10, 450, 30}, -50, 0},              // beyond the parent's edge
    };
    for (const auto& c : cases) {
        const AnchorGaps gaps = MeasureGaps(c.flags, c.rect, 400, 300);
        EXPECT_EQ(gaps.right, c.right) << c.flags << " " << c.rect;
        EXPECT_EQ(gaps.bottom, c.bottom) << c.flags << " " << c.rect;
    }
}

TEST(Anchor, NewRectanglesForAResizedParent) {
    struct Case { std::uint32_t flags; AnchorRect rect; std::int32_t w, h; AnchorRect expected; };
    const Case cases[] = {
        // grown by 100 x 50
        {kStretchBoth, {10, 10, 390, 260}, 500, 350, {10, 10, 490, 310}},
        {kMoveBoth, {300, 270, 380, 290}, 500, 350, {400, 320, 480, 340}},
        {RightFollows | BottomFollows | TopFollows, {10, 270, 390, 290}, 500, 350, {10, 320, 490, 340}},
        {RightFollows, {10, 10, 390, 30}, 500, 350, {10, 10, 490, 30}},
        {RightFollows | LeftFollows, {300, 10, 380, 30}, 500, 350, {400, 10, 480, 30}},
        {NothingFollows, {10, 10, 50, 30}, 500, 350, {10, 10, 50, 30}},
        {NothingFollows | kMoveBoth, {300, 270, 380, 290}, 500, 350, {300, 270, 380, 290}},  // never touched
        {LeftFollows | TopFollows, {300, 270, 380, 290}, 500, 350, {300, 270, 380, 290}},   // need their partners
        // shrunk
        {kStretchBoth, {10, 10, 390, 260}, 300, 200, {10, 10, 290, 160}},
        {kMoveBoth, {300, 270, 380, 290}, 300, 200, {200, 170, 280, 190}},
        // below the window's own position: sizes go negative and are passed on as they are
        {kStretchBoth, {10, 10, 390, 260}, 10, 20, {10, 10, 0, -20}},
    };
    for (const auto& c : cases) {
        const AnchorGaps gaps = MeasureGaps(c.flags, c.rect, 400, 300);
        EXPECT_EQ(AnchoredRect(c.flags, gaps, c.rect, c.w, c.h), c.expected) << c.flags << " " << c.rect;
    }
}

// Over a grid of windows, with flags chosen automatically: the initial size changes nothing,
// and growing the parent moves exactly the edges that follow by exactly the growth.
TEST(Anchor, FollowingEdgesTrackTheParentAndOthersStay) {
    constexpr std::int32_t kW = 400, kH = 300;
    const AnchorCentre centre = CentreOf(kW, kH);
    const std::int32_t stops[] = {-10, 0, 100, 199, 200, 201, 350, 400, 420};
    for (std::int32_t left : stops)
        for (std::int32_t right : stops) {
            if (right < left) continue;
            for (std::int32_t top : stops)
                for (std::int32_t bottom : stops) {
                    if (bottom < top) continue;
                    const AnchorRect r{left, top * 3 / 4, right, bottom * 3 / 4};
                    const std::uint32_t flags = AutoAnchorFlags(r, centre);
                    const AnchorGaps gaps = MeasureGaps(flags, r, kW, kH);
                    ASSERT_EQ(AnchoredRect(flags, gaps, r, kW, kH), r) << r;

                    for (auto [dx, dy] : {std::pair{100, 50}, std::pair{-30, -70}, std::pair{0, 25}}) {
                        const bool right = flags & RightFollows, bottom = flags & BottomFollows;
                        const bool leftToo = right && (flags & LeftFollows), topToo = bottom && (flags & TopFollows);
                        const AnchorRect expected{r.left + (leftToo ? dx : 0), r.top + (topToo ? dy : 0),
                                                  r.right + (right ? dx : 0), r.bottom + (bottom ? dy : 0)};
                        ASSERT_EQ(AnchoredRect(flags, gaps, r, kW + dx, kH + dy), expected)
                            << r << " grown by " << dx << "," << dy;
                    }
                }
        }
}

}  // namespace

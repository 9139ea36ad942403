#pragma once
// The arithmetic of the anchored layout: which edges of a window follow the right and
// bottom edges of its parent, the gaps they keep, and where a window goes on a resize.
// All rectangles are in the parent's client coordinates, in pixels.
#include <cstdint>
#include <optional>

enum AnchorFlag : std::uint32_t {
    TopFollows = 1,      // with BottomFollows: the window moves down instead of stretching
    BottomFollows = 2,
    LeftFollows = 4,     // with RightFollows: the window moves right instead of stretching
    RightFollows = 8,
    NothingFollows = 16, // the window is never touched
};

struct AnchorRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const AnchorRect&, const AnchorRect&) = default;
};

struct AnchorCentre {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct AnchorGaps {
    std::int32_t right = 0;   // only with RightFollows
    std::int32_t bottom = 0;  // only with BottomFollows
};

// One SetWindowPos: either a move that keeps the size or a resize that keeps the position.
struct AnchorPlacement {
    bool move = false;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Half the owner's client size, rounded towards zero.
AnchorCentre CentreOf(std::int32_t clientWidth, std::int32_t clientHeight);

// The flags chosen from where the window lies against the owner's centre (strict
// comparisons); NothingFollows when no edge lies beyond it.
std::uint32_t AutoAnchorFlags(const AnchorRect& rect, AnchorCentre centre);

// The distances the following edges keep to the parent's right and bottom edges.
AnchorGaps MeasureGaps(std::uint32_t flags, const AnchorRect& rect, std::int32_t parentWidth,
                       std::int32_t parentHeight);

// The horizontal and vertical steps for a parent of the given size; nullopt leaves the
// window alone in that direction. A parent smaller than at registration may give a zero or
// negative size, which is passed on unchanged.
std::optional<AnchorPlacement> HorizontalPlacement(std::uint32_t flags, std::int32_t rightGap,
                                                   const AnchorRect& rect, std::int32_t parentWidth);
std::optional<AnchorPlacement> VerticalPlacement(std::uint32_t flags, std::int32_t bottomGap,
                                                 const AnchorRect& rect, std::int32_t parentHeight);

// The rectangle a placement gives the window.
AnchorRect PlacedRect(const AnchorRect& rect, const AnchorPlacement& placement);

// Both steps in order, the vertical one from the rectangle the horizontal one left.
AnchorRect AnchoredRect(std::uint32_t flags, AnchorGaps gaps, const AnchorRect& rect, std::int32_t parentWidth,
                        std::int32_t parentHeight);

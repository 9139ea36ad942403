#include "settings_ui/anchor.h"

namespace {

bool Has(std::uint32_t flags, std::uint32_t flag) { return (flags & flag) != 0; }

// NothingFollows wins over any other bit a caller may have combined with it.
bool Follows(std::uint32_t flags, std::uint32_t flag) { return !Has(flags, NothingFollows) && Has(flags, flag); }

}  // namespace

AnchorCentre CentreOf(std::int32_t clientWidth, std::int32_t clientHeight) {
    return {clientWidth / 2, clientHeight / 2};
}

std::uint32_t AutoAnchorFlags(const AnchorRect& rect, AnchorCentre centre) {
    std::uint32_t flags = 0;
    if (rect.left > centre.x) flags |= LeftFollows;
    if (rect.right > centre.x) flags |= RightFollows;
    if (rect.top > centre.y) flags |= TopFollows;
    if (rect.bottom > centre.y) flags |= BottomFollows;
    return flags == 0 ? NothingFollows : flags;
}

AnchorGaps MeasureGaps(std::uint32_t flags, const AnchorRect& rect, std::int32_t parentWidth,
                       std::int32_t parentHeight) {
    AnchorGaps gaps;
    if (Follows(flags, RightFollows)) gaps.right = parentWidth - (Has(flags, LeftFollows) ? rect.left : rect.right);
    if (Follows(flags, BottomFollows)) gaps.bottom = parentHeight - (Has(flags, TopFollows) ? rect.top : rect.bottom);
    return gaps;
}

std::optional<AnchorPlacement> HorizontalPlacement(std::uint32_t flags, std::int32_t rightGap,
                                                   const AnchorRect& rect, std::int32_t parentWidth) {
    if (!Follows(flags, RightFollows)) return std::nullopt;
    const std::int32_t height = rect.bottom - rect.top;
    if (Has(flags, LeftFollows))
        return AnchorPlacement{true, parentWidth - rightGap, rect.top, rect.right - rect.left, height};
    return AnchorPlacement{false, rect.left, rect.top, parentWidth - rightGap - rect.left, height};
}

std::optional<AnchorPlacement> VerticalPlacement(std::uint32_t flags, std::int32_t bottomGap,
                                                 const AnchorRect& rect, std::int32_t parentHeight) {
    if (!Follows(flags, BottomFollows)) return std::nullopt;
    const std::int32_t width = rect.right - rect.left;
    if (Has(flags, TopFollows))
        return AnchorPlacement{true, rect.left, parentHeight - bottomGap, width, rect.bottom - rect.top};
    return AnchorPlacement{false, rect.left, rect.top, width, parentHeight - bottomGap - rect.top};
}

AnchorRect PlacedRect(const AnchorRect& rect, const AnchorPlacement& placement) {
    if (placement.move)
        return {placement.x, placement.y, placement.x + (rect.right - rect.left), placement.y + (rect.bottom - rect.top)};
    return {rect.left, rect.top, rect.left + placement.width, rect.top + placement.height};
}

AnchorRect AnchoredRect(std::uint32_t flags, AnchorGaps gaps, const AnchorRect& rect, std::int32_t parentWidth,
                        std::int32_t parentHeight) {
    AnchorRect r = rect;
    if (auto step = HorizontalPlacement(flags, gaps.right, r, parentWidth)) r = PlacedRect(r, *step);
    if (auto step = VerticalPlacement(flags, gaps.bottom, r, parentHeight)) r = PlacedRect(r, *step);
    return r;
}

#include "settings_ui/win32/anchor_layout.h"

#include <algorithm>

namespace {

constexpr UINT kMoveFlags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;
constexpr UINT kResizeFlags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;
static_assert(kMoveFlags == 0x615 && kResizeFlags == 0x616);

AnchorRect ToAnchorRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The window's rectangle in its parent's client coordinates; a window without a parent,
// or a popup (whose "parent" is its owner), keeps screen coordinates.
AnchorRect RectInParent(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    const HWND parent = ::GetParent(window);
    const bool popup = (static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)) & WS_POPUP) != 0;
    if (parent && !popup) {
        POINT topLeft{r.left, r.top};
        POINT bottomRight{r.right, r.bottom};
        ::ScreenToClient(parent, &topLeft);
        ::ScreenToClient(parent, &bottomRight);
        r = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    }
    return ToAnchorRect(r);
}

// A failed query (no parent) reads as an empty client area rather than stack garbage.
RECT ClientRectOf(HWND window) {
    RECT r{};
    if (!window || !::GetClientRect(window, &r)) r = RECT{};
    return r;
}

void Place(HWND window, const AnchorPlacement& p) {
    ::SetWindowPos(window, nullptr, p.x, p.y, p.width, p.height, p.move ? kMoveFlags : kResizeFlags);
}

}  // namespace

AnchorLayout::AnchorLayout(HWND owner) : owner_(owner) {
    const RECT client = ClientRectOf(owner);
    centre_ = CentreOf(client.right - client.left, client.bottom - client.top);
}

bool AnchorLayout::IsRegistered(HWND window) const {
    return std::any_of(entries_.begin(), entries_.end(), [window](const AnchorEntry& e) { return e.window == window; });
}

std::uint32_t AnchorLayout::AutoAnchor(HWND window) const { return AutoAnchorFlags(RectInParent(window), centre_); }

bool AnchorLayout::AddWindow(HWND window, std::uint32_t flags) {
    // A null window would make the child walk below enumerate every top-level window.
    if (!window || !::IsWindow(window) || IsRegistered(window)) return false;
    if (flags == 0) flags = AutoAnchor(window);
    const RECT parent = ClientRectOf(::GetParent(window));
    const AnchorGaps gaps =
        MeasureGaps(flags, RectInParent(window), parent.right - parent.left, parent.bottom - parent.top);
    entries_.push_back({window, flags, gaps.right, gaps.bottom});
    if (includeChildren_) {
        for (HWND child = ::FindWindowExW(window, nullptr, nullptr, nullptr); child;
             child = ::FindWindowExW(window, child, nullptr, nullptr))
            AddWindow(child, 0);
    }
    return true;
}

bool AnchorLayout::AddControl(int controlId, std::uint32_t flags) {
    const HWND control = ::GetDlgItem(owner_, controlId);
    return control ? AddWindow(control, flags) : false;
}

bool AnchorLayout::ApplySize(unsigned width, unsigned height) {
    for (const AnchorEntry& entry : entries_) {
        if ((entry.flags & (RightFollows | BottomFollows)) == 0 || (entry.flags & NothingFollows) != 0) continue;
        if (!::IsWindow(entry.window)) continue;
        const HWND parent = ::GetParent(entry.window);
        std::int32_t parentWidth = static_cast<std::int32_t>(width);
        std::int32_t parentHeight = static_cast<std::int32_t>(height);
        if (parent != owner_) {
            const RECT client = ClientRectOf(parent);
            parentWidth = client.right - client.left;
            parentHeight = client.bottom - client.top;
        }
        AnchorRect rect = RectInParent(entry.window);
        if (auto step = HorizontalPlacement(entry.flags, entry.rightGap, rect, parentWidth)) {
            Place(entry.window, *step);
            rect = RectInParent(entry.window);
        }
        if (auto step = VerticalPlacement(entry.flags, entry.bottomGap, rect, parentHeight))
            Place(entry.window, *step);
    }
    return true;
}

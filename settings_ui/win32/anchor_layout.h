#pragma once
// Keeps the controls of a resizable window at their distances to its right and bottom edges.
// Each registered window gets its flags from where it lies when registered; its children
// are registered with it, after it, so a parent is always placed before its children.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "settings_ui/anchor.h"

struct AnchorEntry {
    HWND window = nullptr;
    std::uint32_t flags = 0;
    std::int32_t rightGap = 0;
    std::int32_t bottomGap = 0;
};

class AnchorLayout {
public:
    // Measures the owner's centre now; later size changes do not move it.
    explicit AnchorLayout(HWND owner);
    AnchorLayout(const AnchorLayout&) = delete;
    AnchorLayout& operator=(const AnchorLayout&) = delete;

    // Flags 0 asks for AutoAnchor. False when the window is already registered (its
    // children are then not visited again) or is no window at all.
    bool AddWindow(HWND window, std::uint32_t flags = 0);
    // The owner's child with this id; false when there is none.
    bool AddControl(int controlId, std::uint32_t flags = 0);
    std::uint32_t AutoAnchor(HWND window) const;
    // The owner's new client size, as WM_SIZE gives it.
    bool ApplySize(unsigned width, unsigned height);

    const std::vector<AnchorEntry>& Entries() const { return entries_; }
    AnchorCentre Centre() const { return centre_; }

private:
    bool IsRegistered(HWND window) const;

    HWND owner_;
    bool includeChildren_ = true;
    AnchorCentre centre_;
    std::vector<AnchorEntry> entries_;
};

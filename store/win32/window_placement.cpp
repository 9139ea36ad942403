#include "store/win32/window_placement.h"

#include "store/catalogue.h"
#include "store/placement_record.h"

// The stored block is written field by field, but its size is the system record's on both
// the 32- and the 64-bit build.
static_assert(sizeof(WINDOWPLACEMENT) == kPlacementSize);

namespace {

PlacementRecord FromSystem(const WINDOWPLACEMENT& p) {
    PlacementRecord r;
    r.length = p.length;
    r.flags = p.flags;
    r.showCommand = p.showCmd;
    r.minX = p.ptMinPosition.x;
    r.minY = p.ptMinPosition.y;
    r.maxX = p.ptMaxPosition.x;
    r.maxY = p.ptMaxPosition.y;
    r.left = p.rcNormalPosition.left;
    r.top = p.rcNormalPosition.top;
    r.right = p.rcNormalPosition.right;
    r.bottom = p.rcNormalPosition.bottom;
    return r;
}

WINDOWPLACEMENT ToSystem(const PlacementRecord& r) {
    WINDOWPLACEMENT p{};
    p.length = r.length;
    p.flags = r.flags;
    p.showCmd = r.showCommand;
    p.ptMinPosition = {r.minX, r.minY};
    p.ptMaxPosition = {r.maxX, r.maxY};
    p.rcNormalPosition = {r.left, r.top, r.right, r.bottom};
    return p;
}

}  // namespace

bool SaveWindowPlacement(HWND window, SettingsStore& store, const WideString& section) {
    if ((::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0)
        store.WriteInt(section, kKeyTopmost, 1);
    else
        store.WriteString(section, kKeyTopmost, WideString::Null());
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    // Without a placement to write, the one stored before is worth more than zeros.
    if (!::GetWindowPlacement(window, &placement)) return false;
    const PlacementBlock block = EncodePlacement(FromSystem(placement));
    return store.WriteStruct(section, kKeyPlacement, block.data(), kPlacementSize);
}

bool RestoreWindowPlacement(HWND window, SettingsStore& store, const WideString& section, bool keepCurrentSize) {
    RECT current{};
    if (keepCurrentSize && !::GetWindowRect(window, &current)) keepCurrentSize = false;

    WideString topmost;
    if (store.ReadString(section, kKeyTopmost, topmost))
        ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // A shorter stored block fills only the front of this zeroed record, length field included.
    PlacementBlock block = EncodePlacement(PlacementRecord{});
    if (!store.ReadStruct(section, kKeyPlacement, block.data(), kPlacementSize)) {
        ::ShowWindow(window, SW_SHOW);
        return false;
    }
    PlacementRecord record = DecodePlacement(block);
    if (keepCurrentSize) KeepCurrentSize(record, current.left, current.top, current.right, current.bottom);
    const WINDOWPLACEMENT placement = ToSystem(record);
    if (!::SetWindowPlacement(window, &placement)) {
        ::ShowWindow(window, SW_SHOW);
        return false;
    }
    return true;
}

bool ShowRestored(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (::GetWindowPlacement(window, &placement)) {
        if (placement.showCmd == SW_SHOWMINIMIZED)
            ::ShowWindow(window, SW_RESTORE);
        else if (placement.showCmd == SW_SHOWMAXIMIZED)
            ::ShowWindow(window, SW_SHOWMAXIMIZED);
    }
    return true;
}

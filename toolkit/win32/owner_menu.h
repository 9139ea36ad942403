#pragma once
// Popup menus whose items the program draws itself: a 20-pixel picture column, the text after
// it, selection in the system highlight colours and embossed disabled text. Menus are kept in
// a registry under a name, so the code that builds a menu and the code that shows and
// destroys it share only the name.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/wide_string.h"
#include "toolkit/win32/handles.h"

class Picture;

// The item's address is its item data in the menu, which the system hands back with every
// measure and draw message: an item must live as long as its menu can be shown.
struct OwnerMenuItem {
    OwnerMenuItem() = default;
    OwnerMenuItem(const OwnerMenuItem&) = delete;
    OwnerMenuItem& operator=(const OwnerMenuItem&) = delete;
    ~OwnerMenuItem();  // gives the picture back to the cache

    WideString text;
    std::uint8_t style = 0;
    Picture* picture = nullptr;  // owned by the picture cache
    UINT commandId = 0;
    UINT pictureId = 0;  // 0: none
    UINT menuFlags = 0;  // MF_OWNERDRAW for items drawn here, MF_SEPARATOR for a line
};

class OwnerMenu {
public:
    // A new menu holds one placeholder entry, "stub" with id 1, until the first Rebuild.
    explicit OwnerMenu(WideString name, bool popup = true);
    ~OwnerMenu();
    OwnerMenu(const OwnerMenu&) = delete;
    OwnerMenu& operator=(const OwnerMenu&) = delete;

    HMENU Handle() const { return handle_.Get(); }
    const WideString& Name() const { return name_; }
    bool IsPopup() const { return popup_; }
    std::size_t ItemCount() const { return items_.size(); }
    const OwnerMenuItem& Item(std::size_t i) const { return *items_[i]; }

    // With a picture resource id other than 0 the item takes its picture from the cache
    // (AcquirePicture(pictureId, pictureArg)).
    void AddItem(const WideString& text, UINT commandId, UINT menuFlags, std::uint8_t style, UINT pictureId,
                 UINT pictureArg);
    // Makes the menu's entries match the item list.
    void Rebuild();
    // Destroys the items; the menu's entries stay until the next Rebuild or the menu's end.
    void ClearItems();
    // TrackPopupMenuEx on this menu. Its loop dispatches messages, and whatever they run may
    // reach this menu by its name: until it returns, Rebuild, ClearItems and DestroyNamedMenu
    // leave the menu alone, since the system still reads its entries and items.
    int Track(UINT flags, int x, int y, HWND owner);
    bool Tracked() const { return tracked_; }

private:
    UniqueMenu handle_;
    std::vector<std::unique_ptr<OwnerMenuItem>> items_;
    bool popup_;
    bool tracked_ = false;
    WideString name_;
};

class MenuRegistry {
public:
    MenuRegistry() = default;
    MenuRegistry(const MenuRegistry&) = delete;
    MenuRegistry& operator=(const MenuRegistry&) = delete;

    // A new popup menu under that name (names need not be unique); null when the menu cannot
    // be made, and then nothing is registered.
    OwnerMenu* CreateNamedMenu(const WideString& name);
    // The first menu registered under that exact name; null for none or a null name.
    OwnerMenu* FindMenu(const WideString& name) const;
    // Destroys the menu FindMenu gives and removes it; false when there is none or it is tracked.
    bool DestroyNamedMenu(const WideString& name);
    std::size_t Count() const { return menus_.size(); }

private:
    std::vector<std::unique_ptr<OwnerMenu>> menus_;
};

// The process-wide registry.
MenuRegistry& TheMenuRegistry();
OwnerMenu* CreateNamedMenu(const WideString& name);
OwnerMenu* FindMenu(const WideString& name);
bool DestroyNamedMenu(const WideString& name);

// For WM_MEASUREITEM and WM_DRAWITEM of the menu's owner window; other control types are left
// as they are.
void MeasureMenuItem(MEASUREITEMSTRUCT* measure);
void DrawMenuItem(const DRAWITEMSTRUCT* draw);

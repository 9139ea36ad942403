// Named owner-drawn menus: the registry, the entries a menu gets, and what MeasureMenuItem and
// DrawMenuItem produce on a memory device context.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "gif_surface.h"
#include "pictures.h"
#include "toolkit/win32/owner_menu.h"
#include "toolkit/win32/picture.h"
#include "toolkit/win32/text.h"

namespace {

std::u16string MenuText(HMENU menu, UINT position) {
    wchar_t buffer[64] = {};
    ::GetMenuStringW(menu, position, buffer, 64, MF_BYPOSITION);
    return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

MENUITEMINFOW EntryInfo(HMENU menu, UINT position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
    EXPECT_TRUE(::GetMenuItemInfoW(menu, position, TRUE, &info));
    return info;
}

TEST(OwnerMenuTest, ANewMenuShowsOnlyTheStub) {
    MenuRegistry registry;
    OwnerMenu* menu = registry.CreateNamedMenu(u"TrayIcon");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->IsPopup());
    ASSERT_EQ(::GetMenuItemCount(menu->Handle()), 1);
    EXPECT_EQ(::GetMenuItemID(menu->Handle(), 0), 1u);
    EXPECT_EQ(MenuText(menu->Handle(), 0), u"stub");
}

TEST(OwnerMenuTest, RebuildMakesTheEntriesMatchTheItems) {
    MenuRegistry registry;
    OwnerMenu* menu = registry.CreateNamedMenu(u"TrayIcon");
    ASSERT_NE(menu, nullptr);
    menu->AddItem(u"Открыть", 10, MF_OWNERDRAW, 0, 0, 0);
    menu->AddItem(u"", 0, MF_SEPARATOR, 0, 0, 0);
    menu->AddItem(u"Выход", 11, MF_OWNERDRAW | MF_GRAYED, 0, 0, 0);
    menu->AddItem(u"Обычный", 12, MF_STRING, 0, 0, 0);
    EXPECT_EQ(::GetMenuItemCount(menu->Handle()), 1) << "entries change only with Rebuild";
    for (int pass = 0; pass < 2; ++pass) {
        menu->Rebuild();
        ASSERT_EQ(::GetMenuItemCount(menu->Handle()), 4) << pass;
        const UINT ids[] = {10, 0, 11, 12};
        for (UINT i = 0; i < 4; ++i) {
            const MENUITEMINFOW info = EntryInfo(menu->Handle(), i);
            EXPECT_EQ(info.wID, ids[i]) << i;
            if (i != 1 && i != 3) {
                EXPECT_TRUE(info.fType & MFT_OWNERDRAW) << i;
                EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(&menu->Item(i))) << i;
            }
        }
        EXPECT_TRUE(EntryInfo(menu->Handle(), 1).fType & MFT_SEPARATOR);
        EXPECT_TRUE(::GetMenuState(menu->Handle(), 2, MF_BYPOSITION) & MF_GRAYED);
        EXPECT_EQ(MenuText(menu->Handle(), 3), u"Обычный") << "a plain string entry shows its text";
    }
    menu->ClearItems();
    EXPECT_EQ(menu->ItemCount(), 0u);
    EXPECT_EQ(::GetMenuItemCount(menu->Handle()), 4) << "entries stay until the next Rebuild";
    menu->Rebuild();
    EXPECT_EQ(::GetMenuItemCount(menu->Handle()), 0);
}

TEST(OwnerMenuTest, ItemsShareTheirPicturesThroughTheCache) {
    MenuRegistry registry;
    OwnerMenu* menu = registry.CreateNamedMenu(u"Pictures");
    ASSERT_NE(menu, nullptr);
    menu->AddItem(u"a", 1, MF_OWNERDRAW, 0, ID_MENU_SQUARE, 0);
    menu->AddItem(u"b", 2, MF_OWNERDRAW, 0, ID_MENU_SQUARE, 0);
    menu->AddItem(u"c", 3, MF_OWNERDRAW, 0, 0, 0);
    EXPECT_EQ(ThePictureCache().CountOf(ID_MENU_SQUARE), 2);
    EXPECT_EQ(menu->Item(0).picture, menu->Item(1).picture);
    EXPECT_NE(menu->Item(0).picture, nullptr);
    EXPECT_EQ(menu->Item(2).picture, nullptr);
    menu->ClearItems();
    EXPECT_EQ(ThePictureCache().CountOf(ID_MENU_SQUARE), 0);

    menu->AddItem(u"a", 1, MF_OWNERDRAW, 0, ID_MENU_SQUARE, 0);
    EXPECT_EQ(ThePictureCache().CountOf(ID_MENU_SQUARE), 1);
    EXPECT_TRUE(registry.DestroyNamedMenu(u"Pictures"));
    EXPECT_EQ(ThePictureCache().CountOf(ID_MENU_SQUARE), 0) << "a destroyed menu gives its pictures back";
}

TEST(MenuRegistryTest, TwoMenusUnderOneNameAreFoundAndDestroyedInOrder) {
    MenuRegistry registry;
    OwnerMenu* first = registry.CreateNamedMenu(u"TrayIcon");
    OwnerMenu* other = registry.CreateNamedMenu(u"Other");
    OwnerMenu* second = registry.CreateNamedMenu(u"TrayIcon");
    ASSERT_TRUE(first && other && second);
    const HMENU firstHandle = first->Handle();
    EXPECT_EQ(registry.FindMenu(u"TrayIcon"), first);
    EXPECT_EQ(registry.FindMenu(u"trayicon"), nullptr) << "names compare case-sensitively";
    EXPECT_EQ(registry.FindMenu(WideString::Null()), nullptr);

    EXPECT_TRUE(registry.DestroyNamedMenu(u"TrayIcon"));
    EXPECT_FALSE(::IsMenu(firstHandle));
    EXPECT_EQ(registry.FindMenu(u"TrayIcon"), second);
    EXPECT_EQ(registry.Count(), 2u);
    EXPECT_TRUE(registry.DestroyNamedMenu(u"TrayIcon"));
    EXPECT_EQ(registry.FindMenu(u"TrayIcon"), nullptr);
    EXPECT_FALSE(registry.DestroyNamedMenu(u"TrayIcon"));
    EXPECT_FALSE(registry.DestroyNamedMenu(WideString::Null()));
    EXPECT_EQ(registry.FindMenu(u"Other"), other);
}

TEST(MenuRegistryTest, TheProcessWideRegistry) {
    OwnerMenu* menu = CreateNamedMenu(u"TrayIcon");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(FindMenu(u"TrayIcon"), menu);
    EXPECT_EQ(TheMenuRegistry().Count(), 1u);
    EXPECT_TRUE(DestroyNamedMenu(u"TrayIcon"));
    EXPECT_EQ(FindMenu(u"TrayIcon"), nullptr);
    EXPECT_FALSE(DestroyNamedMenu(u"TrayIcon"));
}

// --- measuring ------------------------------------------------------------------------------

struct MenuMetrics {
    NONCLIENTMETRICSW metrics{};
    MenuMetrics() {
        metrics.cbSize = sizeof metrics;
        EXPECT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    }
    int TextWidth(const wchar_t* text) const {
        WindowDc screen(nullptr);
        UniqueFont font(::CreateFontIndirectW(&metrics.lfMenuFont));
        ScopedSelect select(screen.Get(), font.Get());
        SIZE size{};
        ::GetTextExtentPoint32W(screen.Get(), text, static_cast<int>(wcslen(text)), &size);
        return size.cx;
    }
};

MEASUREITEMSTRUCT Measure(const OwnerMenuItem* item, UINT type = ODT_MENU) {
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = type;
    measure.itemWidth = 777;
    measure.itemHeight = 777;
    measure.itemData = reinterpret_cast<ULONG_PTR>(item);
    MeasureMenuItem(&measure);
    return measure;
}

TEST(MeasureMenuItemTest, TextWidthPlusThePictureColumnAndTheMenuBarHeight) {
    const MenuMetrics m;
    ASSERT_GT(m.metrics.iMenuHeight, 0);
    OwnerMenuItem item;
    for (const char16_t* text : {u"Открыть", u"Выход из программы", u"W"}) {
        item.text = text;
        const MEASUREITEMSTRUCT measure = Measure(&item);
        EXPECT_EQ(measure.itemWidth, static_cast<UINT>(m.TextWidth(W(text)) + 20));
        EXPECT_EQ(measure.itemHeight, static_cast<UINT>(m.metrics.iMenuHeight)) << "whatever the text";
    }
    item.text = u"";
    EXPECT_EQ(Measure(&item).itemWidth, 20u);
    EXPECT_EQ(Measure(&item).itemHeight, static_cast<UINT>(m.metrics.iMenuHeight));
    EXPECT_EQ(Measure(nullptr).itemWidth, 58u) << "no item: 38 wide";
    EXPECT_EQ(Measure(nullptr).itemHeight, static_cast<UINT>(m.metrics.iMenuHeight));
    const MEASUREITEMSTRUCT button = Measure(&item, ODT_BUTTON);
    EXPECT_EQ(button.itemWidth, 777u);
    EXPECT_EQ(button.itemHeight, 777u);
}

// --- drawing --------------------------------------------------------------------------------

constexpr COLORREF kMenuBack = RGB(10, 20, 30);
constexpr COLORREF kMenuText = RGB(250, 200, 0);
constexpr COLORREF kUntouched = RGB(1, 2, 3);
constexpr COLORREF kSquare = RGB(220, 20, 60);

struct Found {
    int count = 0;
    int minX = INT_MAX, minY = INT_MAX;
};

Found Find(const Surface& surface, COLORREF color) {
    Found found;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            if (surface.Color(x, y) == color) {
                ++found.count;
                found.minX = std::min(found.minX, x);
                found.minY = std::min(found.minY, y);
            }
    return found;
}

// Draws one item filling a 160 x h surface, with the colours the system sets for a menu.
struct DrawnItem {
    Surface surface;
    OwnerMenuItem item;

    DrawnItem(const char16_t* text, UINT state, int h = 24, Picture* picture = nullptr) : surface(160, h, 32) {
        EXPECT_TRUE(surface.Valid());
        surface.Fill(Raw32(kUntouched));
        item.text = text ? WideString(text) : WideString::Null();
        item.picture = picture;
        ::SetBkColor(surface.Dc(), kMenuBack);
        ::SetTextColor(surface.Dc(), kMenuText);
        ::SetBkMode(surface.Dc(), OPAQUE);
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hDC = surface.Dc();
        draw.rcItem = RECT{0, 0, 160, h};
        draw.itemData = reinterpret_cast<ULONG_PTR>(&item);
        DrawMenuItem(&draw);
        ::GdiFlush();
    }
};

TEST(DrawMenuItemTest, PlainItemFillsTheBackgroundAndDrawsTheTextAfterThePictureColumn) {
    DrawnItem drawn(u"Открыть", 0);
    EXPECT_EQ(drawn.surface.Color(0, 0), kMenuBack);
    EXPECT_EQ(drawn.surface.Color(159, 23), kMenuBack);
    const Found text = Find(drawn.surface, kMenuText);
    EXPECT_GT(text.count, 10);
    EXPECT_GE(text.minX, 24) << "text begins 24 pixels right of the item's left edge";
    EXPECT_LT(text.minX, 28);
    EXPECT_EQ(::GetTextColor(drawn.surface.Dc()), kMenuText) << "colours are restored";
    EXPECT_EQ(::GetBkColor(drawn.surface.Dc()), kMenuBack);
    EXPECT_EQ(::GetBkMode(drawn.surface.Dc()), TRANSPARENT) << "the background mode stays transparent";
}

TEST(DrawMenuItemTest, SelectedItemInTheHighlightColours) {
    DrawnItem drawn(u"Открыть", ODS_SELECTED);
    EXPECT_EQ(drawn.surface.Color(0, 0), ::GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(drawn.surface.Color(159, 23), ::GetSysColor(COLOR_HIGHLIGHT));
    const Found text = Find(drawn.surface, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
    EXPECT_GT(text.count, 10);
    EXPECT_GE(text.minX, 24);
    EXPECT_EQ(Find(drawn.surface, kMenuText).count, 0);
    EXPECT_EQ(::GetTextColor(drawn.surface.Dc()), kMenuText);
    EXPECT_EQ(::GetBkColor(drawn.surface.Dc()), kMenuBack);
}

TEST(DrawMenuItemTest, DisabledItemShowsItsTextTwiceUnlessSelected) {
    const COLORREF light = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    const COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT);
    ASSERT_NE(light, grey);
    {
        DrawnItem drawn(u"Выход", ODS_DISABLED);
        const Found shadow = Find(drawn.surface, light);
        const Found text = Find(drawn.surface, grey);
        EXPECT_GT(shadow.count, 3);
        EXPECT_GT(text.count, 10);
        EXPECT_EQ(shadow.minX, text.minX + 1) << "one pixel right";
        EXPECT_EQ(shadow.minY, text.minY + 1) << "one pixel down";
        EXPECT_EQ(Find(drawn.surface, kMenuText).count, 0);
    }
    {
        DrawnItem drawn(u"Выход", ODS_DISABLED | ODS_SELECTED);
        EXPECT_EQ(drawn.surface.Color(0, 0), ::GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_GT(Find(drawn.surface, grey).count, 10);
        EXPECT_EQ(Find(drawn.surface, light).count, 0) << "no light copy on the highlight";
    }
}

TEST(DrawMenuItemTest, CheckedItemHasASunkenPictureColumn) {
    DrawnItem drawn(u"Автозапуск", ODS_CHECKED);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW), light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    EXPECT_EQ(drawn.surface.Color(0, 10), shadow);
    EXPECT_EQ(drawn.surface.Color(10, 0), shadow);
    EXPECT_EQ(drawn.surface.Color(19, 10), light);
    EXPECT_EQ(drawn.surface.Color(10, 23), light);
    EXPECT_EQ(drawn.surface.Color(20, 10), kMenuBack) << "the column is 20 pixels wide";
}

struct PicturePlace {
    const char* name;
    UINT state;
    int h;
    int x, y;  // where the 12 x 12 square lands
};

TEST(DrawMenuItemTest, ThePictureIsPlacedByStateAndItemHeight) {
    Picture* square = AcquirePicture(ID_MENU_SQUARE, 0);
    ASSERT_FALSE(square->Data().Empty());
    const PicturePlace places[] = {
        {"plain", 0, 24, 5, 4},        {"plain, odd height", 0, 21, 3, 2}, {"selected", ODS_SELECTED, 24, 5, 4},
        {"checked", ODS_CHECKED, 24, 2, 6}, {"checked, odd height", ODS_CHECKED, 21, 2, 4},
        {"disabled", ODS_DISABLED, 24, 6, 6},
    };
    for (const PicturePlace& p : places) {
        DrawnItem drawn(u"x", p.state, p.h, square);
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < 20; ++x) {
                const bool inside = x >= p.x && x < p.x + 12 && y >= p.y && y < p.y + 12;
                EXPECT_EQ(drawn.surface.Color(x, y) == kSquare, inside) << p.name << " " << x << "," << y;
            }
    }
    {
        DrawnItem drawn(u"x", ODS_SELECTED, 24, square);
        EXPECT_EQ(drawn.surface.Color(0, 20), ::GetSysColor(COLOR_BTNHIGHLIGHT)) << "raised column";
        EXPECT_EQ(drawn.surface.Color(19, 20), ::GetSysColor(COLOR_BTNSHADOW));
    }
    {
        DrawnItem drawn(u"x", ODS_SELECTED | ODS_DISABLED, 24, square);
        EXPECT_EQ(drawn.surface.Color(0, 20), ::GetSysColor(COLOR_HIGHLIGHT)) << "no raised column when disabled";
    }
    EXPECT_TRUE(ReleasePicture(ID_MENU_SQUARE));
}

TEST(DrawMenuItemTest, OtherControlsAndItemsWithoutTextAreLeftAlone) {
    DrawnItem noText(nullptr, ODS_SELECTED);
    EXPECT_EQ(Find(noText.surface, kUntouched).count, 160 * 24);

    Surface surface(160, 24, 32);
    surface.Fill(Raw32(kUntouched));
    OwnerMenuItem item;
    item.text = u"Открыть";
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_BUTTON;
    draw.hDC = surface.Dc();
    draw.rcItem = RECT{0, 0, 160, 24};
    draw.itemData = reinterpret_cast<ULONG_PTR>(&item);
    DrawMenuItem(&draw);
    ::GdiFlush();
    EXPECT_EQ(Find(surface, kUntouched).count, 160 * 24);
}

// --- a shown menu ---------------------------------------------------------------------------

std::vector<ULONG_PTR> g_measured, g_drawn;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_MEASUREITEM:
        g_measured.push_back(reinterpret_cast<MEASUREITEMSTRUCT*>(lparam)->itemData);
        MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
        return TRUE;
    case WM_DRAWITEM:
        g_drawn.push_back(reinterpret_cast<DRAWITEMSTRUCT*>(lparam)->itemData);
        DrawMenuItem(reinterpret_cast<DRAWITEMSTRUCT*>(lparam));
        return TRUE;
    case WM_TIMER:
        ::KillTimer(window, wparam);
        FindMenu(u"TrayIcon")->ClearItems();  // by its name while it shows: both leave it alone
        EXPECT_FALSE(DestroyNamedMenu(u"TrayIcon"));
        ::EndMenu();
        return 0;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

// The order the tray menu follows: create, add, rebuild, show, clear, destroy; choosing
// nothing still clears and destroys the menu.
TEST(OwnerMenuShown, TheSystemMeasuresAndDrawsOnlyTheOwnerDrawnItems) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelloryMenuOwner";
    ASSERT_NE(::RegisterClassW(&wc), 0);
    UniqueWindow owner(::CreateWindowExW(0, L"VelloryMenuOwner", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                                         nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(owner);
    ::SetForegroundWindow(owner.Get());

    OwnerMenu* menu = CreateNamedMenu(u"TrayIcon");
    ASSERT_EQ(FindMenu(u"TrayIcon"), menu);
    menu->AddItem(u"Открыть", 10, MF_OWNERDRAW, 0, 0, 0);
    menu->AddItem(u"", 0, MF_SEPARATOR, 0, 0, 0);
    menu->AddItem(u"Выход", 11, MF_OWNERDRAW, 0, ID_MENU_SQUARE, 0);
    menu->Rebuild();
    ::SetTimer(owner.Get(), 1, 300, nullptr);
    const int chosen = menu->Track(TPM_RETURNCMD, 50, 50, owner.Get());
    const ULONG_PTR items[] = {reinterpret_cast<ULONG_PTR>(&menu->Item(0)), reinterpret_cast<ULONG_PTR>(&menu->Item(2))};
    menu->ClearItems();
    EXPECT_EQ(chosen, 0);
    EXPECT_TRUE(DestroyNamedMenu(u"TrayIcon"));
    EXPECT_EQ(ThePictureCache().CountOf(ID_MENU_SQUARE), 0);

    EXPECT_EQ(g_measured, (std::vector<ULONG_PTR>{items[0], items[1]}));
    ASSERT_FALSE(g_drawn.empty());
    for (ULONG_PTR data : g_drawn) EXPECT_TRUE(data == items[0] || data == items[1]);
}

}  // namespace

#include "toolkit/win32/owner_menu.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "toolkit/win32/picture.h"
#include "toolkit/win32/text.h"

namespace {

constexpr int kPictureColumn = 20;
constexpr UINT kStubId = 1;
constexpr int kEmptyMeasureWidth = 38;


void DrawItemText(HDC dc, const wchar_t* text, RECT rect, int dx, int dy) {
    ::OffsetRect(&rect, dx, dy);
    ::DrawTextW(dc, text, -1, &rect, DT_SINGLELINE | DT_VCENTER);
}

void Edge(HDC dc, int left, int top, int right, int bottom, UINT edge) {
    RECT rect{left, top, right, bottom};
    ::DrawEdge(dc, &rect, edge, BF_RECT);
}

}  // namespace

OwnerMenuItem::~OwnerMenuItem() {
    if (pictureId != 0) ReleasePicture(pictureId);
}

OwnerMenu::OwnerMenu(WideString name, bool popup)
    : handle_(popup ? ::CreatePopupMenu() : ::CreateMenu()), popup_(popup), name_(std::move(name)) {
    if (handle_) ::InsertMenuW(handle_.Get(), 1, MF_BYPOSITION, kStubId, L"stub");
}

// The items go first: the menu handle is destroyed after them, as the last member to go.
OwnerMenu::~OwnerMenu() { ClearItems(); }

void OwnerMenu::AddItem(const WideString& text, UINT commandId, UINT menuFlags, std::uint8_t style, UINT pictureId,
                        UINT pictureArg) {
    auto item = std::make_unique<OwnerMenuItem>();
    item->text = text;
    item->style = style;
    item->commandId = commandId;
    item->pictureId = pictureId;
    item->menuFlags = menuFlags;
    if (pictureId != 0) item->picture = AcquirePicture(pictureId, pictureArg);
    items_.push_back(std::move(item));
}

void OwnerMenu::Rebuild() {
    if (tracked_) return;
    while (::RemoveMenu(handle_.Get(), 0, MF_BYPOSITION)) {
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const OwnerMenuItem& item = *items_[i];
        // Owner-drawn entries carry the item's address as item data; a plain string entry
        // would read that address as its text, so it gets the text itself.
        const bool plainString = (item.menuFlags & (MF_OWNERDRAW | MF_BITMAP | MF_SEPARATOR)) == 0;
        const wchar_t* content = plainString ? W(item.text) : reinterpret_cast<const wchar_t*>(&item);
        ::InsertMenuW(handle_.Get(), static_cast<UINT>(i), item.menuFlags | MF_BYPOSITION, item.commandId, content);
    }
}

void OwnerMenu::ClearItems() {
    if (tracked_) return;
    for (auto& item : items_) item.reset();
    items_.clear();
}

int OwnerMenu::Track(UINT flags, int x, int y, HWND owner) {
    tracked_ = true;
    const BOOL result = ::TrackPopupMenuEx(handle_.Get(), flags, x, y, owner, nullptr);
    tracked_ = false;
    return static_cast<int>(result);
}

OwnerMenu* MenuRegistry::CreateNamedMenu(const WideString& name) {
    auto menu = std::make_unique<OwnerMenu>(name, true);
    if (!menu->Handle()) return nullptr;
    menus_.push_back(std::move(menu));
    return menus_.back().get();
}

OwnerMenu* MenuRegistry::FindMenu(const WideString& name) const {
    for (const auto& menu : menus_)
        if (menu->Name() == name) return menu.get();
    return nullptr;
}

bool MenuRegistry::DestroyNamedMenu(const WideString& name) {
    const OwnerMenu* menu = FindMenu(name);
    if (!menu || menu->Tracked()) return false;
    menus_.erase(std::find_if(menus_.begin(), menus_.end(), [menu](const auto& m) { return m.get() == menu; }));
    return true;
}

MenuRegistry& TheMenuRegistry() {
    // Menus still registered at exit give their pictures back as they go, so the cache is made
    // first and therefore destroyed after the registry.
    ThePictureCache();
    static MenuRegistry registry;
    return registry;
}

OwnerMenu* CreateNamedMenu(const WideString& name) { return TheMenuRegistry().CreateNamedMenu(name); }
OwnerMenu* FindMenu(const WideString& name) { return TheMenuRegistry().FindMenu(name); }
bool DestroyNamedMenu(const WideString& name) { return TheMenuRegistry().DestroyNamedMenu(name); }

void MeasureMenuItem(MEASUREITEMSTRUCT* measure) {
    if (!measure || measure->CtlType != ODT_MENU) return;
    NONCLIENTMETRICSW metrics{};
    // The size without the last field, which every Windows version accepts.
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);

    WindowDc screen(nullptr);
    UniqueFont font(::CreateFontIndirectW(&metrics.lfMenuFont));
    RECT rect{};
    {
        ScopedSelect select(screen.Get(), font.Get());
        if (const auto* item = reinterpret_cast<const OwnerMenuItem*>(measure->itemData))
            ::DrawTextW(screen.Get(), W(item->text), -1, &rect, DT_CALCRECT);
        else
            rect = RECT{0, 0, kEmptyMeasureWidth, std::abs(metrics.lfMenuFont.lfHeight)};
    }
    measure->itemWidth = static_cast<UINT>(rect.right - rect.left + kPictureColumn);
    // Every item is as high as the menu bar, whatever its font and text.
    measure->itemHeight = static_cast<UINT>(metrics.iMenuHeight);
}

void DrawMenuItem(const DRAWITEMSTRUCT* draw) {
    if (!draw || draw->CtlType != ODT_MENU) return;
    const auto* item = reinterpret_cast<const OwnerMenuItem*>(draw->itemData);
    if (!item || item->text.IsNull()) return;

    HDC dc = draw->hDC;
    const RECT& bounds = draw->rcItem;
    const int left = bounds.left;
    const int top = bounds.top;
    const int h = bounds.bottom - bounds.top;
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    const bool disabled = (draw->itemState & ODS_DISABLED) != 0;
    const bool checked = (draw->itemState & ODS_CHECKED) != 0;
    const wchar_t* text = W(item->text.Data());

    const COLORREF oldText = ::GetTextColor(dc);
    const COLORREF oldBack = ::GetBkColor(dc);
    ::SetBkMode(dc, TRANSPARENT);
    if (selected) {
        ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_HIGHLIGHT));
    }
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &bounds, nullptr, 0, nullptr);
    if (selected && !disabled && item->picture) Edge(dc, left, top, left + kPictureColumn, top + h, BDR_RAISEDINNER);

    RECT textRect = bounds;
    textRect.left += 4;
    if (disabled) {
        // Embossed: a light copy one pixel down and right, the grey text on top of it.
        if (!selected) {
            ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
            DrawItemText(dc, text, textRect, kPictureColumn + 1, 1);
        }
        ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    }
    DrawItemText(dc, text, textRect, kPictureColumn, 0);
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);

    if (checked) {
        Edge(dc, left, top, left + kPictureColumn, bounds.bottom, BDR_SUNKENOUTER);
        if (item->picture) item->picture->DrawPicture(dc, left + 2, top + h / 2 - 6);
    } else if (disabled && item->picture) {
        item->picture->DrawPicture(dc, left + 6, top + h / 2 - 6);
    } else if (item->picture) {
        item->picture->DrawPicture(dc, left + h / 2 - 7, top + h / 2 - 8);
    }
}

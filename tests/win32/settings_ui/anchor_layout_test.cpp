#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <vector>

#include "settings_ui/win32/anchor_layout.h"
#include "toolkit/win32/handles.h"

namespace {

struct PositionChange {
    HWND window;
    UINT flags;
};
std::vector<PositionChange> g_changed;
int g_changing = 0;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_WINDOWPOSCHANGING) ++g_changing;
    if (message == WM_WINDOWPOSCHANGED)
        g_changed.push_back({window, reinterpret_cast<const WINDOWPOS*>(lparam)->flags});
    return ::DefWindowProcW(window, message, wparam, lparam);
}

const wchar_t* ClassName() {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelloryAnchorTest";
        return ::RegisterClassW(&wc);
    }();
    EXPECT_NE(atom, 0);
    return L"VelloryAnchorTest";
}

RECT InParent(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The owner stays hidden: hiding a shown top-level window costs Wine a 2 s wait without a
// window manager, and the layout does not depend on visibility.
// A dialog-like owner with a 400 x 300 client area (centre 200, 150) and the kinds of
// windows the settings dialog holds: two pages (one hidden) with controls, a button at
// the bottom-right corner, a wide check box at the bottom and a small control at the top.
struct Layout : ::testing::Test {
    UniqueWindow owner;
    HWND page = nullptr, radio = nullptr, list = nullptr, label = nullptr, listChild = nullptr;
    HWND hiddenPage = nullptr, hiddenList = nullptr, ok = nullptr, check = nullptr, corner = nullptr;

    HWND Child(HWND parent, int id, int x, int y, int w, int h, DWORD style = WS_VISIBLE) {
        HWND child = ::CreateWindowExW(0, ClassName(), L"", WS_CHILD | style, x, y, w, h, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                                       nullptr);
        EXPECT_NE(child, nullptr) << id;
        return child;
    }

    void SetUp() override {
        owner.Reset(::CreateWindowExW(0, ClassName(), L"owner", WS_POPUP, 50, 50, 400, 300, nullptr,
                                      nullptr, ::GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(owner);
        // The page has a border, so its client area (378 x 248) is smaller than its window.
        page = Child(owner.Get(), 100, 10, 10, 380, 250, WS_VISIBLE | WS_BORDER);
        radio = Child(page, 101, 5, 5, 80, 13);
        list = Child(page, 102, 5, 40, 360, 200);
        label = Child(page, 103, 100, 20, 260, 10);
        listChild = Child(list, 104, 300, 160, 50, 20);
        hiddenPage = Child(owner.Get(), 200, 10, 10, 380, 250, 0);
        hiddenList = Child(hiddenPage, 201, 5, 40, 360, 200);
        ok = Child(owner.Get(), 1, 300, 270, 80, 20);
        check = Child(owner.Get(), 300, 10, 270, 380, 20);
        corner = Child(owner.Get(), 400, 10, 10, 50, 20);
    }

    void RegisterAll(AnchorLayout& layout) {
        EXPECT_TRUE(layout.AddWindow(page));
        EXPECT_TRUE(layout.AddWindow(hiddenPage, 0));
        EXPECT_TRUE(layout.AddControl(1));
        EXPECT_TRUE(layout.AddControl(300));
        EXPECT_TRUE(layout.AddWindow(corner));
    }

    void ResizeOwner(int width, int height) {
        ::SetWindowPos(owner.Get(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        g_changed.clear();
        g_changing = 0;
    }

    static void ExpectRect(HWND window, RECT expected, const char* what) {
        const RECT r = InParent(window);
        EXPECT_EQ(r.left, expected.left) << what;
        EXPECT_EQ(r.top, expected.top) << what;
        EXPECT_EQ(r.right, expected.right) << what;
        EXPECT_EQ(r.bottom, expected.bottom) << what;
    }
};

TEST_F(Layout, CentreIsTakenFromTheOwnerAtCreation) {
    AnchorLayout layout(owner.Get());
    EXPECT_EQ(layout.Centre().x, 200);
    EXPECT_EQ(layout.Centre().y, 150);
    ::SetWindowPos(owner.Get(), nullptr, 0, 0, 401, 301, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(layout.Centre().x, 200) << "not measured again";
    AnchorLayout odd(owner.Get());
    EXPECT_EQ(odd.Centre().x, 200);
    EXPECT_EQ(odd.Centre().y, 150);
}

TEST_F(Layout, RegistrationTakesInDescendantsWithAutomaticFlagsAndGaps) {
    AnchorLayout layout(owner.Get());
    RegisterAll(layout);

    struct Expected { HWND window; std::uint32_t flags; std::int32_t rightGap, bottomGap; const char* what; };
    const Expected expected[] = {
        {page, RightFollows | BottomFollows, 10, 40, "page"},
        {radio, NothingFollows, 0, 0, "radio"},
        {list, RightFollows | BottomFollows, 13, 8, "list, in the page's client area"},
        {listChild, RightFollows | LeftFollows | BottomFollows | TopFollows, 60, 40, "control inside the list"},
        {label, RightFollows, 18, 0, "label"},
        {hiddenPage, RightFollows | BottomFollows, 10, 40, "hidden page"},
        {hiddenList, RightFollows | BottomFollows, 15, 10, "hidden list"},
        {ok, RightFollows | LeftFollows | BottomFollows | TopFollows, 100, 30, "ok"},
        {check, RightFollows | BottomFollows | TopFollows, 10, 30, "check box"},
        {corner, NothingFollows, 0, 0, "corner"},
    };
    std::map<HWND, std::size_t> position;
    const auto& entries = layout.Entries();
    ASSERT_EQ(entries.size(), std::size(expected));
    for (std::size_t i = 0; i < entries.size(); ++i) position[entries[i].window] = i;
    for (const auto& e : expected) {
        ASSERT_TRUE(position.count(e.window)) << e.what;
        const AnchorEntry& entry = entries[position[e.window]];
        EXPECT_EQ(entry.flags, e.flags) << e.what;
        EXPECT_EQ(entry.rightGap, e.rightGap) << e.what;
        EXPECT_EQ(entry.bottomGap, e.bottomGap) << e.what;
    }
    // Parents stand before their children, so a child sees its parent's new size.
    EXPECT_LT(position[page], position[list]);
    EXPECT_LT(position[list], position[listChild]);
    EXPECT_LT(position[hiddenPage], position[hiddenList]);
}

TEST_F(Layout, EachWindowIsRegisteredOnce) {
    AnchorLayout layout(owner.Get());
    ASSERT_TRUE(layout.AddWindow(page));
    const std::size_t count = layout.Entries().size();
    EXPECT_EQ(count, 5u) << "the page, its three controls and the control inside the list";
    EXPECT_FALSE(layout.AddWindow(page));
    EXPECT_FALSE(layout.AddWindow(list, RightFollows));
    EXPECT_FALSE(layout.AddControl(100));
    EXPECT_EQ(layout.Entries().size(), count);

    EXPECT_FALSE(layout.AddControl(9999)) << "no such control";
    EXPECT_FALSE(layout.AddWindow(nullptr)) << "null would walk every top-level window";
    EXPECT_EQ(layout.Entries().size(), count);

    // Given flags are kept as they are; only the children choose their own.
    ASSERT_TRUE(layout.AddWindow(hiddenPage, NothingFollows));
    EXPECT_EQ(layout.Entries()[count].flags, static_cast<std::uint32_t>(NothingFollows));
    EXPECT_EQ(layout.Entries()[count + 1].flags, static_cast<std::uint32_t>(RightFollows | BottomFollows));
}

TEST_F(Layout, GrowingBy100x50MovesTheCornerAndStretchesThePages) {
    AnchorLayout layout(owner.Get());
    RegisterAll(layout);
    const HWND zOrderBefore = ::GetWindow(ok, GW_HWNDNEXT);
    ResizeOwner(500, 350);
    EXPECT_TRUE(layout.ApplySize(500, 350));

    ExpectRect(page, {10, 10, 490, 310}, "page");
    ExpectRect(list, {5, 40, 465, 290}, "list: 100 wider, 50 taller");
    ExpectRect(listChild, {400, 210, 450, 230}, "control inside the list follows the list's new size");
    ExpectRect(label, {100, 20, 460, 30}, "label: width only");
    ExpectRect(radio, {5, 5, 85, 18}, "radio untouched");
    ExpectRect(hiddenPage, {10, 10, 490, 310}, "hidden page resized too");
    ExpectRect(hiddenList, {5, 40, 465, 290}, "list of the hidden page");
    EXPECT_EQ(::GetWindowLongW(hiddenPage, GWL_STYLE) & WS_VISIBLE, 0) << "and stays hidden";
    ExpectRect(ok, {400, 320, 480, 340}, "ok moves with the corner");
    ExpectRect(check, {10, 320, 490, 340}, "check box stretches and moves down");
    ExpectRect(corner, {10, 10, 60, 30}, "corner untouched");
    EXPECT_EQ(::GetWindow(ok, GW_HWNDNEXT), zOrderBefore) << "z-order kept";

    EXPECT_EQ(g_changing, 0) << "no WM_WINDOWPOSCHANGING is sent";
    for (const auto& change : g_changed) {
        const UINT exact = change.flags & 0x617;
        EXPECT_TRUE(exact == 0x615 || exact == 0x616) << std::hex << change.flags;
        EXPECT_NE(change.window, radio);
        EXPECT_NE(change.window, corner);
    }
    const auto changesOf = [](HWND w) {
        int n = 0;
        for (const auto& c : g_changed) n += c.window == w;
        return n;
    };
    EXPECT_EQ(changesOf(ok), 2) << "a move right, then a move down";
    EXPECT_EQ(changesOf(label), 1);

    // The gaps stay those of the initial size: shrinking back restores every rectangle.
    ResizeOwner(400, 300);
    layout.ApplySize(400, 300);
    ExpectRect(page, {10, 10, 390, 260}, "page back");
    ExpectRect(list, {5, 40, 365, 240}, "list back");
    ExpectRect(listChild, {300, 160, 350, 180}, "inner control back");
    ExpectRect(ok, {300, 270, 380, 290}, "ok back");
}

TEST_F(Layout, DestroyedWindowsAreSkipped) {
    AnchorLayout layout(owner.Get());
    RegisterAll(layout);
    ::DestroyWindow(ok);
    ::DestroyWindow(page);  // takes its children with it
    ResizeOwner(500, 350);
    EXPECT_TRUE(layout.ApplySize(500, 350));
    ExpectRect(check, {10, 320, 490, 340}, "the rest still follows");
    ExpectRect(hiddenList, {5, 40, 465, 290}, "the rest still follows");
    for (const auto& change : g_changed) {
        EXPECT_NE(change.window, ok);
        EXPECT_NE(change.window, list);
    }
}

}  // namespace

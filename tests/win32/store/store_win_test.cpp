// The store's contract against the real registry (a scratch key under HKEY_CURRENT_USER,
// deleted afterwards) and the window placement helpers with real windows.
#include <gtest/gtest.h>
#include <windows.h>

#include "store/catalogue.h"
#include "store/placement_record.h"
#include "store/win32/win_registry.h"
#include "store/win32/window_placement.h"
#include "store_contract.h"
#include "toolkit/win32/handles.h"

namespace {

WideString ScratchKey() {
    WideString key(u"Software\\VelloryStoreTest-");
    key.Append(WideString::FromInt(static_cast<std::int32_t>(::GetCurrentProcessId())));
    return key;
}

UniqueWindow MakeWindow(DWORD exStyle, int x, int y, int width, int height, bool visible) {
    static const ATOM windowClass = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelloryStoreTestWindow";
        return ::RegisterClassW(&wc);
    }();
    return UniqueWindow(::CreateWindowExW(exStyle, MAKEINTATOM(windowClass), L"placement",
                                          WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), x, y, width, height,
                                          nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
}

bool IsTopmost(HWND window) { return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

RECT NormalRect(HWND window) {
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    ::GetWindowPlacement(window, &p);
    return p.rcNormalPosition;
}

std::tuple<LONG, LONG, LONG, LONG> Tie(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

class Placement : public ::testing::Test {
protected:
    void SetUp() override {
        WideString base = ScratchKey();
        base.Append(u"\\");
        store_.SetBasePath(base);
    }
    void TearDown() override { registry_.DeleteTree(ScratchKey().Data()); }

    void StoreNormalRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
        PlacementRecord record;
        record.showCommand = SW_SHOWNORMAL;
        record.left = left, record.top = top, record.right = right, record.bottom = bottom;
        const PlacementBlock block = EncodePlacement(record);
        ASSERT_TRUE(store_.WriteStruct(kSectionMainWindow, kKeyPlacement, block.data(), kPlacementSize));
    }

    WinRegistry registry_;
    SettingsStore store_{registry_};
};

}  // namespace

ContractBackend MakeContractBackend() { return {std::make_unique<WinRegistry>(), ScratchKey()}; }

void SaveExamplePlacement(SettingsStore& store) {
    UniqueWindow window = MakeWindow(0, 50, 60, 400, 300, true);
    ASSERT_TRUE(SaveWindowPlacement(window.Get(), store, kSectionMainWindow));
}

TEST(WinRegistry, KeysFromCreateAreWriteOnly) {
    WinRegistry registry;
    BackendKey key(registry);
    ASSERT_EQ(registry.CreateKey(ScratchKey().Data(), key.Put()), kRegistryOk);
    std::uint32_t size = 0;
    EXPECT_EQ(registry.QueryValue(key.Get(), u"v", nullptr, nullptr, &size), kRegistryAccessDenied);
    key.Close();
    EXPECT_EQ(registry.DeleteTree(ScratchKey().Data()), kRegistryOk);
}

TEST_F(Placement, TopmostRoundTripAndRemoval) {
    UniqueWindow topmost = MakeWindow(WS_EX_TOPMOST, 40, 50, 320, 240, true);
    ASSERT_TRUE(SaveWindowPlacement(topmost.Get(), store_, kSectionMainWindow));
    WideString text;
    EXPECT_TRUE(store_.ReadString(kSectionMainWindow, kKeyTopmost, text));
    EXPECT_EQ(text.View(), u"1");
    PlacementBlock block{};
    EXPECT_TRUE(store_.ReadStruct(kSectionMainWindow, kKeyPlacement, block.data(), kPlacementSize));
    const PlacementRecord saved = DecodePlacement(block);
    EXPECT_EQ(std::tie(saved.length, saved.showCommand, saved.left, saved.top, saved.right, saved.bottom),
              std::make_tuple(44u, std::uint32_t{SW_SHOWNORMAL}, 40, 50, 360, 290));

    UniqueWindow fresh = MakeWindow(0, 0, 0, 100, 100, false);
    EXPECT_TRUE(RestoreWindowPlacement(fresh.Get(), store_, kSectionMainWindow, false));
    EXPECT_TRUE(IsTopmost(fresh.Get()));
    EXPECT_TRUE(::IsWindowVisible(fresh.Get()));
    EXPECT_EQ(Tie(NormalRect(fresh.Get())), std::make_tuple(40, 50, 360, 290));

    UniqueWindow plain = MakeWindow(0, 0, 0, 100, 100, true);
    ASSERT_TRUE(SaveWindowPlacement(plain.Get(), store_, kSectionMainWindow));
    EXPECT_FALSE(store_.ReadString(kSectionMainWindow, kKeyTopmost, text));

    ASSERT_TRUE(store_.WriteString(kSectionMainWindow, kKeyTopmost, u"0"));  // present is what counts
    UniqueWindow again = MakeWindow(0, 0, 0, 100, 100, false);
    RestoreWindowPlacement(again.Get(), store_, kSectionMainWindow, false);
    EXPECT_TRUE(IsTopmost(again.Get()));
}

TEST_F(Placement, KeepCurrentSizeTakesOnlyThePosition) {
    StoreNormalRect(100, 100, 500, 400);
    for (bool keep : {true, false}) {
        UniqueWindow window = MakeWindow(0, 10, 20, 300, 200, false);
        EXPECT_TRUE(RestoreWindowPlacement(window.Get(), store_, kSectionMainWindow, keep));
        RECT outer{};
        ::GetWindowRect(window.Get(), &outer);
        const auto expected = keep ? std::make_tuple(100, 100, 400, 300) : std::make_tuple(100, 100, 500, 400);
        EXPECT_EQ(Tie(NormalRect(window.Get())), expected) << keep;
        EXPECT_EQ(Tie(outer), expected) << keep;
        EXPECT_TRUE(::IsWindowVisible(window.Get()));
    }
}

TEST_F(Placement, NothingUsableStoredJustShowsTheWindow) {
    const std::uint8_t longer[kPlacementSize + 1] = {44};
    for (int variant = 0; variant < 2; ++variant) {
        if (variant == 1) {
            ASSERT_TRUE(store_.WriteStruct(kSectionMainWindow, kKeyPlacement, longer, sizeof longer));
        }
        UniqueWindow window = MakeWindow(0, 30, 40, 200, 150, false);
        EXPECT_FALSE(RestoreWindowPlacement(window.Get(), store_, kSectionMainWindow, true)) << variant;
        EXPECT_TRUE(::IsWindowVisible(window.Get())) << variant;
        EXPECT_FALSE(IsTopmost(window.Get()));
        EXPECT_EQ(Tie(NormalRect(window.Get())), std::make_tuple(30, 40, 230, 190));
    }
}

TEST(ShowRestored, BringsBackMinimisedAndLeavesNormalAlone) {
    const struct { int show; bool visible; bool iconic; bool zoomed; } cases[] = {
        {SW_HIDE, false, false, false},
        {SW_SHOWNORMAL, true, false, false},
        {SW_SHOWMINIMIZED, true, false, false},
        {SW_SHOWMAXIMIZED, true, false, true},
    };
    for (const auto& c : cases) {
        UniqueWindow window = MakeWindow(0, 10, 10, 200, 150, false);
        ::ShowWindow(window.Get(), c.show);
        EXPECT_TRUE(ShowRestored(window.Get()));
        EXPECT_EQ(::IsWindowVisible(window.Get()) != 0, c.visible) << c.show;
        EXPECT_EQ(::IsIconic(window.Get()) != 0, c.iconic) << c.show;
        EXPECT_EQ(::IsZoomed(window.Get()) != 0, c.zoomed) << c.show;
    }
}

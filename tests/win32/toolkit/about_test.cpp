// The about box run modally from an owner window: the owner's WM_ENTERIDLE handler looks at
// the open box and then ends it, as a user's click would.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "resources/resource.h"
#include "vellory_version.h"
#include "toolkit/win32/about_dialog.h"

namespace {

// How the box is closed: OK (Enter), Cancel (Escape) or the close box.
struct Close {
    const char* name;
    UINT message;
    WPARAM wparam;
};
constexpr Close kByOk{"OK", WM_COMMAND, IDOK};
constexpr Close kByEscape{"Escape", WM_COMMAND, IDCANCEL};
constexpr Close kByCloseBox{"close box", WM_SYSCOMMAND, SC_CLOSE};

// What the owner saw while the box was open.
struct Seen {
    bool idle = false;
    std::wstring version;
    std::wstring copyright;
    HICON smallIcon = nullptr;
    SIZE iconSize{};
};

struct Drive {
    Close close = kByOk;
    Seen seen;
};

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

// Size of the icon's colour bitmap; false when the handle is not (or no longer) an icon.
bool IconSize(HICON icon, SIZE* size) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return false;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (size) *size = {bitmap.bmWidth, bitmap.bmHeight};
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return true;
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* drive = reinterpret_cast<Drive*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_ENTERIDLE && wparam == MSGF_DIALOGBOX && drive && !drive->seen.idle) {
        const HWND dialog = reinterpret_cast<HWND>(lparam);
        Seen& seen = drive->seen;
        seen.idle = true;
        seen.version = ItemText(dialog, IDC_ABOUT_VERSION);
        seen.copyright = ItemText(dialog, IDC_ABOUT_COPYRIGHT);
        seen.smallIcon = reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0));
        IconSize(seen.smallIcon, &seen.iconSize);
        PostMessageW(dialog, drive->close.message, drive->close.wparam, 0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

BOOL CALLBACK EndAboutBox(HWND window, LPARAM) {
    if (GetDlgItem(window, IDC_ABOUT_VERSION)) EndDialog(window, 0);
    return TRUE;
}

// Ends a box the owner never got to see, so a missing WM_ENTERIDLE fails the test instead of
// hanging it.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), EndAboutBox, 0); }

class Owner {
public:
    Owner() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelloryAboutOwner";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    }
    ~Owner() { DestroyWindow(window_); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    // Runs one about box to its end and tells what was seen while it was open.
    Seen Run(AboutDialog& about, Close close) {
        Drive drive{close, {}};
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&drive));
        const UINT_PTR timer = SetTimer(nullptr, 0, 10000, Watchdog);
        about.RunModal(IDD_ABOUT, window_);
        KillTimer(nullptr, timer);
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        EXPECT_TRUE(drive.seen.idle) << "the box never went idle";
        return drive.seen;
    }
    HWND Window() const { return window_; }

private:
    HWND window_ = nullptr;
};

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(AboutDialog, ShowsNameWithFileVersionAndCopyright) {
    Owner owner;
    ASSERT_NE(owner.Window(), nullptr);
    AboutDialog about;
    const Seen seen = owner.Run(about, kByOk);
    EXPECT_EQ(seen.version, L"Vellory, " VELLORY_VERSION_TEXT);
    EXPECT_TRUE(EndsWith(seen.copyright, L"Brannock")) << testing::PrintToString(seen.copyright);
    EXPECT_EQ(seen.copyright, L"\u00A9 2026 Brannock") << "the version resource's LegalCopyright";
}

TEST(AboutDialog, SmallIconIsHeldWhileOpenAndDestroyedHoweverItCloses) {
    Owner owner;
    ASSERT_NE(owner.Window(), nullptr);
    for (const Close& close : {kByOk, kByEscape, kByCloseBox}) {
        SCOPED_TRACE(close.name);
        AboutDialog about;
        const Seen seen = owner.Run(about, close);
        ASSERT_NE(seen.smallIcon, nullptr);
        EXPECT_EQ(seen.iconSize.cx, GetSystemMetrics(SM_CXSMICON));
        EXPECT_EQ(seen.iconSize.cy, GetSystemMetrics(SM_CYSMICON));
        EXPECT_FALSE(IconSize(seen.smallIcon, nullptr)) << "the icon outlived its window";
        EXPECT_EQ(about.Window(), nullptr);
        EXPECT_TRUE(IsWindowEnabled(owner.Window())) << "the owner is given back its input";
    }
}

TEST(AboutDialog, RepeatedOpeningsLeaveNoIconBehind) {
    Owner owner;
    ASSERT_NE(owner.Window(), nullptr);
    const HANDLE process = GetCurrentProcess();
    {
        // The first box loads what the system keeps for good (fonts, classes, cursors).
        AboutDialog about;
        owner.Run(about, kByOk);
    }
    const DWORD gdiBefore = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD userBefore = GetGuiResources(process, GR_USEROBJECTS);

    int stillAlive = 0;
    for (int i = 0; i < 100; ++i) {
        AboutDialog about;
        const Seen seen = owner.Run(about, kByOk);
        ASSERT_NE(seen.smallIcon, nullptr) << "opening " << i;
        // Checked at once: a later icon may be given the same handle value.
        if (IconSize(seen.smallIcon, nullptr)) ++stillAlive;
    }
    EXPECT_EQ(stillAlive, 0);

    const DWORD gdiAfter = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD userAfter = GetGuiResources(process, GR_USEROBJECTS);
    std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu over 100 openings\n", gdiBefore, gdiAfter,
                userBefore, userAfter);
    EXPECT_EQ(gdiAfter, gdiBefore);
    EXPECT_EQ(userAfter, userBefore);
}

}  // namespace

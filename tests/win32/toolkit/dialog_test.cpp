// DialogEntity and DialogProc driven by messages, on dialogs made from the program's resources;
// the icons, version information and manifest of those resources.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdarg>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource.h"
#include "vellory_version.h"
#include "tests/win32/common_controls.h"
#include "toolkit/win32/dialog.h"

namespace {

std::string Format(const char* format, ...) {
    char buffer[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// Records every typed handler with its decoded arguments; returns values of its own where the
// handler's result is the dialog procedure's, so the test sees them passed on.
class Recorder : public DialogEntity {
public:
    std::vector<std::string> calls;
    std::vector<UINT> messages;

    INT_PTR WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
        messages.push_back(message);
        return DefaultProc(message, wparam, lparam);
    }
    INT_PTR OnCommand(WPARAM wparam, LPARAM lparam) override {
        calls.push_back(Format("OnCommand(%u,%u)", LOWORD(wparam), HIWORD(wparam)));
        return DialogEntity::OnCommand(wparam, lparam) + 9;
    }
    INT_PTR OnNotify(int id, NMHDR* header, LRESULT* result) override {
        calls.push_back(Format("OnNotify(%d,%d)", id, *result == reinterpret_cast<LRESULT>(header)));
        return DialogEntity::OnNotify(id, header, result);
    }
    INT_PTR OnSetCursor(HWND window, UINT hit, UINT message) override {
        calls.push_back(Format("OnSetCursor(%d,%u,%u)", window == Window(), hit, message));
        return 7;
    }
    void OnSize(UINT type, int w, int h) override { calls.push_back(Format("OnSize(%u,%d,%d)", type, w, h)); }
    void OnMove(int x, int y) override { calls.push_back(Format("OnMove(%d,%d)", x, y)); }
    void OnSizing(UINT edge, RECT* r) override { calls.push_back(Format("OnSizing(%u,%ld)", edge, r->left)); }
    void OnShowWindow(BOOL shown, UINT status) override { calls.push_back(Format("OnShowWindow(%d,%u)", shown, status)); }
    void OnOK() override { calls.push_back("OnOK"); }
    void OnCancel() override { calls.push_back("OnCancel"); }
    INT_PTR OnInitDialog() override {
        calls.push_back("OnInitDialog");
        return DialogEntity::OnInitDialog();
    }
    void OnDestroy() override { calls.push_back("OnDestroy"); }
    INT_PTR OnCreate(CREATESTRUCTW*) override {
        calls.push_back("OnCreate");
        return 5;
    }
    void OnLButtonDown(UINT k, int x, int y) override { calls.push_back(Format("OnLButtonDown(%u,%d,%d)", k, x, y)); }
    void OnLButtonUp(UINT k, int x, int y) override { calls.push_back(Format("OnLButtonUp(%u,%d,%d)", k, x, y)); }
    void OnRButtonDown(UINT k, int x, int y) override { calls.push_back(Format("OnRButtonDown(%u,%d,%d)", k, x, y)); }
    void OnRButtonUp(UINT k, int x, int y) override { calls.push_back(Format("OnRButtonUp(%u,%d,%d)", k, x, y)); }
    void OnMouseMove(UINT k, int x, int y) override { calls.push_back(Format("OnMouseMove(%u,%d,%d)", k, x, y)); }
    void OnMouseLeave() override { calls.push_back("OnMouseLeave"); }
    void OnTimer(UINT_PTR id) override { calls.push_back(Format("OnTimer(%u)", static_cast<unsigned>(id))); }
    void OnPaint() override { calls.push_back("OnPaint"); }
    void OnDrawItem(UINT id, DRAWITEMSTRUCT* item) override {
        calls.push_back(Format("OnDrawItem(%u,%u)", id, item->CtlID));
    }
};

TEST(DialogEntity, DispatchDecodesArgumentsAndPassesResultsOn) {
    Recorder dialog;
    HWND window = dialog.CreateModeless(IDD_TEXT_EDIT, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(dialog.Window(), window);
    ASSERT_FALSE(dialog.calls.empty());
    EXPECT_EQ(dialog.calls.front(), "OnInitDialog") << "nothing reaches a handler before WM_INITDIALOG";
    EXPECT_EQ(GetPropW(window, L"DLG_ENTITY"), &dialog);

    NMHDR header{window, 1009, NM_DBLCLK};
    DRAWITEMSTRUCT item{};
    item.CtlID = 1011;
    RECT rect{11, 0, 0, 0};
    CREATESTRUCTW create{};
    auto lp = [](int low, int high) { return static_cast<LPARAM>(MAKELONG(low, high)); };
    const struct {
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
        const char* call;  // nullptr: no handler
        INT_PTR result;
    } cases[] = {
        {WM_CREATE, 0, reinterpret_cast<LPARAM>(&create), "OnCreate", 5},
        {WM_MOVE, 0, lp(-10, 20), "OnMove(-10,20)", 0},
        {WM_SIZE, SIZE_MAXIMIZED, lp(0xFFFF, 40000), "OnSize(2,65535,40000)", 0},
        {WM_SHOWWINDOW, TRUE, SW_PARENTOPENING, "OnShowWindow(1,3)", 0},
        {WM_SETCURSOR, reinterpret_cast<WPARAM>(window), lp(HTERROR, WM_LBUTTONDOWN), "OnSetCursor(1,65534,513)", 7},
        {WM_DRAWITEM, 1011, reinterpret_cast<LPARAM>(&item), "OnDrawItem(1011,1011)", 0},
        {WM_NOTIFY, 1009, reinterpret_cast<LPARAM>(&header), "OnNotify(1009,1)", 1},
        {WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&dialog), "OnInitDialog", 1},
        {WM_COMMAND, MAKEWPARAM(IDC_TEXT_EDIT, EN_CHANGE), 0, "OnCommand(1011,768)", 9},
        {WM_TIMER, 42, 0, "OnTimer(42)", 0},
        {WM_MOUSEMOVE, MK_LBUTTON, lp(-3, -4), "OnMouseMove(1,-3,-4)", 0},
        {WM_LBUTTONDOWN, MK_SHIFT, lp(0xFFFF, 0x7FFF), "OnLButtonDown(4,-1,32767)", 0},
        {WM_LBUTTONUP, 0, lp(0x8000, 2), "OnLButtonUp(0,-32768,2)", 0},
        {WM_RBUTTONDOWN, MK_RBUTTON, lp(5, -6), "OnRButtonDown(2,5,-6)", 0},
        {WM_RBUTTONUP, 0, lp(7, 8), "OnRButtonUp(0,7,8)", 0},
        {WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&rect), "OnSizing(8,11)", 0},
        {WM_MOUSELEAVE, 0, 0, "OnMouseLeave", 0},
        {WM_PAINT, 0, 0, "OnPaint", 0},
        {WM_USER + 5, 1, 2, nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Format("message 0x%04X", c.message));
        dialog.calls.clear();
        EXPECT_EQ(DialogProc(window, c.message, c.wparam, c.lparam), c.result);
        EXPECT_EQ(dialog.calls, c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{});
    }

    // WM_SETFONT is answered before the object is looked at.
    dialog.messages.clear();
    dialog.calls.clear();
    EXPECT_EQ(DialogProc(window, WM_SETFONT, 0, 0), 0);
    EXPECT_TRUE(dialog.messages.empty());

    // Only the whole wparam 1 or 2 counts as OK or Cancel.
    const struct {
        WPARAM wparam;
        std::vector<std::string> calls;
    } commands[] = {
        {IDOK, {"OnCommand(1,0)", "OnOK"}},
        {IDCANCEL, {"OnCommand(2,0)", "OnCancel"}},
        {MAKEWPARAM(IDOK, BN_DOUBLECLICKED), {"OnCommand(1,5)"}},
        {MAKEWPARAM(IDCANCEL, 1), {"OnCommand(2,1)"}},
    };
    for (const auto& c : commands) {
        dialog.calls.clear();
        SendMessageW(window, WM_COMMAND, c.wparam, 0);
        EXPECT_EQ(dialog.calls, c.calls);
    }

    dialog.calls.clear();
    DestroyWindow(window);
    EXPECT_EQ(dialog.calls, std::vector<std::string>{"OnDestroy"});
    EXPECT_EQ(dialog.Window(), nullptr) << "no stale handle once the window is gone";
}

TEST(DialogEntity, ADialogWithoutAnObjectAnswersZero) {
    HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TEXT_EDIT), nullptr, DialogProc, 0);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetPropW(window, L"DLG_ENTITY"), nullptr);
    NMHDR header{window, 1, 0};
    EXPECT_EQ(DialogProc(window, WM_INITDIALOG, 0, 0), 0);
    EXPECT_EQ(DialogProc(window, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&header)), 0);
    EXPECT_EQ(DialogProc(window, WM_COMMAND, IDOK, 0), 0);
    DestroyWindow(window);
}

TEST(DialogEntity, AnObjectDestroyedBeforeItsWindowIsNoLongerReached) {
    auto* dialog = new Recorder;
    HWND window = dialog->CreateModeless(IDD_TEXT_EDIT, nullptr);
    ASSERT_NE(window, nullptr);
    delete dialog;
    EXPECT_EQ(GetPropW(window, L"DLG_ENTITY"), nullptr);
    EXPECT_EQ(DialogProc(window, WM_COMMAND, IDOK, 0), 0);
    DestroyWindow(window);
}

// Posts the given commands to itself as soon as it runs, as clicks would.
class SelfClicking : public DialogEntity {
public:
    std::vector<WPARAM> commands;
    std::vector<std::string> calls;
    INT_PTR OnInitDialog() override {
        for (WPARAM command : commands) PostMessageW(Window(), WM_COMMAND, command, 0);
        return DialogEntity::OnInitDialog();
    }
    void OnOK() override {
        calls.push_back("OnOK");
        DialogEntity::OnOK();
    }
    void OnCancel() override {
        calls.push_back("OnCancel");
        DialogEntity::OnCancel();
    }
};

TEST(DialogEntity, RunModalEndsWithTheCodeOfOkOrCancel) {
    const struct {
        std::vector<WPARAM> commands;
        INT_PTR result;
        std::vector<std::string> calls;
    } cases[] = {
        {{IDOK}, 1, {"OnOK"}},
        {{IDCANCEL}, 2, {"OnCancel"}},
        {{MAKEWPARAM(IDOK, BN_DOUBLECLICKED), IDCANCEL}, 2, {"OnCancel"}},
    };
    for (const auto& c : cases) {
        SelfClicking dialog;
        dialog.commands = c.commands;
        EXPECT_EQ(dialog.RunModal(IDD_ABOUT, nullptr), c.result);
        EXPECT_EQ(dialog.calls, c.calls);
    }
    SelfClicking missing;
    EXPECT_EQ(missing.RunModal(9999, nullptr), -1);
    EXPECT_EQ(missing.CreateModeless(9999, nullptr), nullptr);
}

TEST(SettingsPage, ACommandReachesTheParentBeforeThePagesOwnHandling) {
    std::vector<std::string> log;
    struct Parent : DialogEntity {
        std::vector<std::string>* log;
        INT_PTR OnCommand(WPARAM wparam, LPARAM lparam) override {
            log->push_back(Format("parent %u %d", LOWORD(wparam), lparam != 0));
            return 0;
        }
    } parent;
    struct Page : SettingsPage {
        std::vector<std::string>* log;
        void OnOK() override { log->push_back("page OnOK"); }
    } page;
    parent.log = page.log = &log;
    ASSERT_NE(parent.CreateModeless(IDD_SETTINGS, nullptr), nullptr);
    ASSERT_NE(page.CreateModeless(IDD_GENERAL_PAGE, parent.Window()), nullptr);

    SendMessageW(page.Window(), WM_COMMAND, IDOK, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"parent 1 0", "page OnOK"}));
    log.clear();
    SendDlgItemMessageW(page.Window(), IDC_AUTOSTART, BM_CLICK, 0, 0);
    EXPECT_EQ(log, std::vector<std::string>{"parent 1003 1"}) << "a click on a page control";
    DestroyWindow(parent.Window());
}

TEST(Resources, IconsVersionAndManifest) {
    // Every size Windows asks for from 100 % to 200 %, and Explorer's 256, is drawn, not stretched.
    for (int id : {IDI_APPLICATION_ICON, IDI_SETTINGS_ICON, IDI_PAUSED_ICON}) {
        for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
            HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                       size, size, LR_DEFAULTCOLOR));
            ASSERT_NE(icon, nullptr) << id << " at " << size;
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP bitmap{};
            GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
            EXPECT_EQ(bitmap.bmWidth, size);
            EXPECT_EQ(bitmap.bmBitsPixel, 32);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }

    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path, nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data()));
    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u) << "one translation";
    EXPECT_EQ(translation[0], 0x0419);
    EXPECT_EQ(translation[1], 1200);
    // The texts are UTF-8 in the .rc: the copyright sign must arrive as one UTF-16 unit.
    for (const auto& [name, expected] : {std::pair{L"FileVersion", L"" VELLORY_VERSION_TEXT}, std::pair{L"CompanyName", L"Brannock"},
                                         std::pair{L"LegalCopyright", L"\u00A9 2026 Brannock"}}) {
        wchar_t* value = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\041904B0\\") + name;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) << name;
        EXPECT_EQ(std::wstring(value), expected);
    }

    EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr);
    // The manifest asks for the version 6 common controls, which then provide the buttons.
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TEXT_EDIT), nullptr, DialogProc, 0);
    HMODULE controls = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(GetClassLongPtrW(GetDlgItem(dialog, IDOK), GCLP_WNDPROC)), &controls);
    DestroyWindow(dialog);
    // Version 6 lives side by side, not in the system folder.
    wchar_t file[MAX_PATH] = {};
    GetModuleFileNameW(controls, file, MAX_PATH);
    CharLowerW(file);
    EXPECT_NE(std::wstring(file).find(L"common-controls"), std::wstring::npos)
        << "buttons from " << ::testing::PrintToString(std::wstring(file));
}

}  // namespace

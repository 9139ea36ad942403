// Bound settings on the real settings pages (106 and 107 as children of a modeless 104) and on
// the text edit dialog (111), driven by clicks, typed characters and commands.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "resources/resource.h"
#include "toolkit/win32/bindings.h"
#include "toolkit/win32/dialog.h"

namespace {

// Drives its bindings as the settings dialog does.
class Host : public DialogEntity {
public:
    BindingList bindings;
    int editUpdates = 0;

    INT_PTR OnCommand(WPARAM wparam, LPARAM lparam) override {
        if (wparam == MAKEWPARAM(IDC_TEXT_EDIT, EN_UPDATE)) ++editUpdates;
        bindings.HandleCommand(Window(), wparam, lparam);
        return DialogEntity::OnCommand(wparam, lparam);
    }
    INT_PTR OnNotify(int id, NMHDR* header, LRESULT* result) override {
        bindings.HandleNotify(Window(), id, header);
        return DialogEntity::OnNotify(id, header, result);
    }
};

void Bind(Host& host, ControlBinding& binding, HWND page, int id) {
    binding.SetDialog(page);
    binding.SetControlId(id);
    host.bindings.Add(&binding);
}

LRESULT Check(HWND page, int id) { return SendDlgItemMessageW(page, id, BM_GETCHECK, 0, 0); }
void Click(HWND page, int id) { SendDlgItemMessageW(page, id, BM_CLICK, 0, 0); }

class SettingsPages : public ::testing::Test {
protected:
    Host host;
    SettingsPage hotkeys, general;
    BoundRadioSetting modifier{0};
    BoundBoolSetting russian{false};
    BoundBoolSetting autostart{true};
    BoundIntSetting startMinimize{2};
    BoundBoolSetting toTray{true};

    void SetUp() override {
        ASSERT_NE(host.CreateModeless(IDD_SETTINGS, nullptr), nullptr);
        ASSERT_NE(hotkeys.CreateModeless(IDD_HOTKEY_PAGE, host.Window()), nullptr);
        ASSERT_NE(general.CreateModeless(IDD_GENERAL_PAGE, host.Window()), nullptr);
        ShowWindow(host.Window(), SW_SHOW);
        ShowWindow(hotkeys.Window(), SW_SHOW);
        ShowWindow(general.Window(), SW_SHOW);
        Bind(host, modifier, hotkeys.Window(), IDC_MODIFIER_WIN);
        Bind(host, russian, hotkeys.Window(), IDC_RUSSIAN_ONLY);
        Bind(host, autostart, general.Window(), IDC_AUTOSTART);
        Bind(host, startMinimize, general.Window(), IDC_START_MINIMIZE);
        Bind(host, toTray, general.Window(), IDC_MINIMIZE_TO_TRAY);
        host.bindings.RememberAndAttach(host.Window());
    }
    void TearDown() override { DestroyWindow(host.Window()); }

    HWND Hotkeys() const { return hotkeys.Window(); }
    HWND General() const { return general.Window(); }
};

TEST_F(SettingsPages, AttachShowsEachValueInItsOwnPage) {
    EXPECT_FALSE(host.bindings.Add(&russian)) << "already listed";
    EXPECT_EQ(host.bindings.Count(), 5u);
    EXPECT_EQ(modifier.Dialog(), Hotkeys()) << "the page stays, though Attach was given the settings dialog";
    EXPECT_EQ(Check(Hotkeys(), IDC_MODIFIER_WIN), BST_CHECKED);
    EXPECT_EQ(Check(Hotkeys(), IDC_MODIFIER_ALT), BST_UNCHECKED);
    EXPECT_EQ(Check(Hotkeys(), IDC_RUSSIAN_ONLY), BST_UNCHECKED);
    EXPECT_EQ(Check(General(), IDC_AUTOSTART), BST_CHECKED);
    EXPECT_EQ(Check(General(), IDC_START_MINIMIZE), BST_INDETERMINATE);
    EXPECT_EQ(Check(General(), IDC_MINIMIZE_TO_TRAY), BST_CHECKED);
}

TEST_F(SettingsPages, ClicksStoreAtOnceAndOnlyInTheSettingOfTheirPage) {
    // 1004 and 1005 are on both pages: the three-state box and the radio run.
    const struct {
        HWND page;
        int id;
        std::int32_t modifier, startMinimize;
    } clicks[] = {
        {General(), IDC_START_MINIMIZE, 0, 0},  // indeterminate -> unchecked
        {General(), IDC_START_MINIMIZE, 0, 1},
        {Hotkeys(), IDC_MODIFIER_ALT, 1, 1},
        {General(), IDC_START_MINIMIZE, 1, 2},
        {General(), IDC_MINIMIZE_TO_TRAY, 1, 2},
        {Hotkeys(), IDC_MODIFIER_WIN, 0, 2},
        {Hotkeys(), IDC_MODIFIER_WIN, 0, 2},
        {Hotkeys(), IDC_MODIFIER_ALT, 1, 2},
    };
    for (const auto& c : clicks) {
        Click(c.page, c.id);
        EXPECT_EQ(modifier.Get(), c.modifier);
        EXPECT_EQ(startMinimize.Get(), c.startMinimize);
    }
    EXPECT_EQ(Check(Hotkeys(), IDC_MODIFIER_WIN), BST_UNCHECKED);
    EXPECT_FALSE(toTray.Get());

    // A run with no button checked reads as 0.
    SendDlgItemMessageW(Hotkeys(), IDC_MODIFIER_ALT, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(Hotkeys(), WM_COMMAND, MAKEWPARAM(IDC_MODIFIER_ALT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(Hotkeys(), IDC_MODIFIER_ALT)));
    EXPECT_EQ(modifier.Get(), 0);
}

TEST_F(SettingsPages, CancelRevertsEveryValueAndDetaches) {
    Click(Hotkeys(), IDC_MODIFIER_ALT);
    Click(Hotkeys(), IDC_RUSSIAN_ONLY);
    Click(General(), IDC_AUTOSTART);
    Click(General(), IDC_START_MINIMIZE);
    Click(General(), IDC_MINIMIZE_TO_TRAY);
    ASSERT_TRUE(modifier.Get() == 1 && russian.Get() && !autostart.Get() && startMinimize.Get() == 0 && !toTray.Get());

    SendMessageW(host.Window(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(modifier.Get(), 0);
    EXPECT_FALSE(russian.Get());
    EXPECT_TRUE(autostart.Get());
    EXPECT_EQ(startMinimize.Get(), 2);
    EXPECT_TRUE(toTray.Get());
    EXPECT_EQ(host.bindings.Count(), 0u);
    EXPECT_EQ(modifier.Dialog(), nullptr);
    Click(Hotkeys(), IDC_MODIFIER_ALT);
    EXPECT_EQ(modifier.Get(), 0) << "a detached setting keeps its value";
}

TEST_F(SettingsPages, OkKeepsTheValuesAndDetaches) {
    Click(Hotkeys(), IDC_MODIFIER_ALT);
    Click(General(), IDC_START_MINIMIZE);
    SendMessageW(host.Window(), WM_COMMAND, IDOK, 0);
    EXPECT_EQ(modifier.Get(), 1);
    EXPECT_EQ(startMinimize.Get(), 0);
    EXPECT_EQ(host.bindings.Count(), 0u);
    EXPECT_EQ(startMinimize.Dialog(), nullptr);
}

TEST_F(SettingsPages, OnlyAClickOnOkOrCancelEndsTheBinding) {
    SendMessageW(host.Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_DOUBLECLICKED), 0);
    SendMessageW(host.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_DOUBLECLICKED), 0);
    EXPECT_EQ(host.bindings.Count(), 5u);
    Click(Hotkeys(), IDC_RUSSIAN_ONLY);
    EXPECT_TRUE(russian.Get());
    SendMessageW(host.Window(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(russian.Get());
}

TEST_F(SettingsPages, NotificationsReadTheirControlBack) {
    SendDlgItemMessageW(Hotkeys(), IDC_RUSSIAN_ONLY, BM_SETCHECK, BST_CHECKED, 0);
    NMHDR header{GetDlgItem(Hotkeys(), IDC_RUSSIAN_ONLY), IDC_RUSSIAN_ONLY, NM_CLICK};
    SendMessageW(host.Window(), WM_NOTIFY, IDC_RUSSIAN_ONLY, reinterpret_cast<LPARAM>(&header));
    EXPECT_TRUE(russian.Get());
    SendDlgItemMessageW(General(), IDC_START_MINIMIZE, BM_SETCHECK, BST_CHECKED, 0);
    header.idFrom = IDC_AUTOSTART;
    SendMessageW(host.Window(), WM_NOTIFY, IDC_AUTOSTART, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(startMinimize.Get(), 2) << "another sender id";
    host.bindings.HandleNotify(host.Window(), 0, nullptr);
}

TEST_F(SettingsPages, ABindingWithoutItsControlKeepsItsValue) {
    BoundBoolSetting orphan{true};
    Bind(host, orphan, General(), 3999);
    orphan.Attach(host.Window());
    EXPECT_EQ(orphan.Control(), nullptr);
    EXPECT_EQ(orphan.ReadFromControl(), 0);
    SendMessageW(host.Window(), WM_COMMAND, MAKEWPARAM(3999, BN_CLICKED), 0);
    NMHDR header{nullptr, 3999, NM_CLICK};
    SendMessageW(host.Window(), WM_NOTIFY, 3999, reinterpret_cast<LPARAM>(&header));
    EXPECT_TRUE(orphan.Get());
    host.bindings.DetachAll();
}

TEST(RadioGroupBinding, TheRunEndsAtAButtonThatStartsAGroup) {
    Host host;
    ASSERT_NE(host.CreateModeless(IDD_SETTINGS, nullptr), nullptr);
    HWND buttons[4];
    for (int i = 0; i < 4; ++i) {
        const DWORD group = i == 0 || i == 2 ? WS_GROUP : 0;
        buttons[i] = CreateWindowExW(0, L"BUTTON", L"r", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | group, 0, 0, 10, 10,
                                     host.Window(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(2001 + i)), nullptr, nullptr);
    }
    SendMessageW(buttons[3], BM_SETCHECK, BST_CHECKED, 0);
    BoundRadioSetting setting{1};
    Bind(host, setting, host.Window(), 2001);
    host.bindings.RememberAndAttach(host.Window());
    const LRESULT afterAttach[] = {BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED, BST_CHECKED};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(SendMessageW(buttons[i], BM_GETCHECK, 0, 0), afterAttach[i]) << i;

    setting.Set(5);
    setting.Announce();
    EXPECT_EQ(SendMessageW(buttons[1], BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(buttons[3], BM_GETCHECK, 0, 0), BST_CHECKED) << "another group, left alone";
    // Nothing of the run is checked: 0, not the index of a checked button of the next group.
    SendMessageW(host.Window(), WM_COMMAND, MAKEWPARAM(2004, BN_CLICKED), reinterpret_cast<LPARAM>(buttons[3]));
    EXPECT_EQ(setting.Get(), 0);
    host.bindings.DetachAll();
    DestroyWindow(host.Window());
}

class TextEdit : public ::testing::Test {
protected:
    Host host;
    BoundStringSetting text{u"Привет"};
    HWND edit = nullptr;

    void SetUp() override {
        ASSERT_NE(host.CreateModeless(IDD_TEXT_EDIT, nullptr), nullptr);
        ShowWindow(host.Window(), SW_SHOW);
        SetFocus(GetDlgItem(host.Window(), IDCANCEL));
        // A one-line edit, which reports program changes too; the dialog's own is multi-line.
        DestroyWindow(GetDlgItem(host.Window(), IDC_TEXT_EDIT));
        edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 10, 10,
                               300, 24, host.Window(), reinterpret_cast<HMENU>(IDC_TEXT_EDIT), nullptr, nullptr);
        Bind(host, text, host.Window(), IDC_TEXT_EDIT);
        host.bindings.RememberAndAttach(host.Window());
    }
    void TearDown() override { DestroyWindow(host.Window()); }

    std::u16string Shown() const {
        wchar_t buffer[64] = {};
        GetWindowTextW(edit, buffer, 64);
        return std::u16string(reinterpret_cast<const char16_t*>(buffer));
    }
    void Type(const wchar_t* characters) {
        SetFocus(edit);
        ASSERT_EQ(GetFocus(), edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (const wchar_t* c = characters; *c; ++c) SendMessageW(edit, WM_CHAR, *c, 1);
    }
};

TEST_F(TextEdit, AProgramChangeIsReadBackOnceWithoutLooping) {
    EXPECT_TRUE(Shown() == u"Привет");
    host.editUpdates = 0;
    SetWindowTextW(edit, L"abc");
    EXPECT_TRUE(text.Get() == u"abc");
    EXPECT_GE(host.editUpdates, 1);
    EXPECT_LE(host.editUpdates, 2) << "the change and the one re-show it causes, no more";
}

TEST_F(TextEdit, TypedTextIsReadWhenOkTakesTheFocus) {
    Type(L"xyz");
    EXPECT_TRUE(text.Get() == u"Привет") << "not read while typing";
    SendMessageW(host.Window(), WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(text.Get() == u"xyz");
    EXPECT_EQ(text.Dialog(), nullptr);
}

TEST_F(TextEdit, CancelPutsTheOpeningTextBack) {
    Type(L"xyz");
    SetFocus(GetDlgItem(host.Window(), IDCANCEL));
    EXPECT_TRUE(text.Get() == u"xyz") << "read when the edit lost the focus";
    SendMessageW(host.Window(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(text.Get() == u"Привет");
}

}  // namespace

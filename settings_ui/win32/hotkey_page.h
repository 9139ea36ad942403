#pragma once
// The page "Программа" of the settings dialog (resource 107): the main modifier, the
// Russian-layout box and the list of hotkeys with their texts. Texts are edited in place in
// the live table, so a change holds whatever the settings dialog's outcome.
#include <windows.h>
#include <commctrl.h>

#include "engine/hotkey.h"
#include "toolkit/win32/dialog.h"

// A SettingsPage, so the clicks on its radio buttons and check box reach the settings
// dialog's bindings.
class HotkeyPage : public SettingsPage {
public:
    explicit HotkeyPage(HotkeyTable& table) : table_(table) {}

    // Sets up the list's columns and styles and fills it.
    INT_PTR OnInitDialog() override;
    // A double-click on a row edits that row's text; so do Enter and F2 on the selected row.
    INT_PTR OnNotify(int controlId, NMHDR* header, LRESULT* result) override;

    HWND List() const { return list_; }

private:
    // Row i shows item i; the selected row, if any, stays selected.
    void FillHotkeyList();
    void EditHotkeyText(int controlId, const NMHDR* header);
    void EditRow(int row);
    void SetRowText(int row, int column, const WideString& text);

    HotkeyTable& table_;
    HWND list_ = nullptr;
};

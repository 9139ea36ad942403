#pragma once
// The page "Программа" of the settings dialog (resource 107): the main modifier, the
// Russian-layout box and the list of items, chords and abbreviations, with their texts, which
// the user edits, adds and deletes. Every change goes into the live table at once, so it holds whatever the settings
// dialog's outcome.
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
    // "Добавить…", "Изменить…", "Удалить", "Экспорт…" and "Импорт…", then the settings
    // dialog's bindings.
    INT_PTR OnCommand(WPARAM wparam, LPARAM lparam) override;
    // A double-click on a row edits it, as do Enter and F2; Insert adds and Delete deletes.
    INT_PTR OnNotify(int controlId, NMHDR* header, LRESULT* result) override;

    HWND List() const { return list_; }

private:
    // Row i shows item i; the selected row, if any, stays selected.
    void FillHotkeyList();
    void OnListNotify(const NMHDR* header);
    int SelectedRow() const;
    // Runs the item dialog for a row, or for a new item when `row` is -1.
    void EditRow(int row);
    void DeleteRow(int row);
    void SelectRow(int row);

    HotkeyTable& table_;
    HWND list_ = nullptr;
};

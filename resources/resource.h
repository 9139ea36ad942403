#pragma once
// Resource and control ids, shared by the program and vellory.rc (plain #defines so the
// resource compiler reads them too).

// Dialogs
#define IDD_MAIN 101
#define IDD_ABOUT 103
#define IDD_SETTINGS 104
#define IDD_GENERAL_PAGE 106
#define IDD_HOTKEY_PAGE 107
#define IDD_TEXT_EDIT 111

// Icons
#define IDI_APPLICATION_ICON 102
#define IDI_SETTINGS_ICON 112
#define IDI_PAUSED_ICON 113

// Main window (101); 1001, 1007 and 1020 are also the tray menu's commands
#define IDC_MAIN_SETTINGS 1001
#define IDM_ABOUT 1007
#define IDM_PAUSE 1020
#define IDC_MAIN_PAUSED 1021

// About box (103)
#define IDC_ABOUT_COPYRIGHT 1000
#define IDC_ABOUT_VERSION 1001

// Settings dialog (104)
#define IDC_SETTINGS_TABS 1002

// General page (106)
#define IDC_AUTOSTART 1003
#define IDC_START_MINIMIZE 1004
#define IDC_MINIMIZE_TO_TRAY 1005

// Hotkey page (107): 1004 and 1005 again, as the radio run of the main modifier
#define IDC_MODIFIER_WIN 1004
#define IDC_MODIFIER_ALT 1005
#define IDC_RUSSIAN_ONLY 1006
#define IDC_HOTKEY_LIST 1009
#define IDC_HOTKEY_GROUP 1010
#define IDC_HOTKEY_ADD 1013
#define IDC_HOTKEY_CHANGE 1014
#define IDC_HOTKEY_DELETE 1015
#define IDC_HOTKEY_EXPORT 1022
#define IDC_HOTKEY_IMPORT 1023

// General page (106): how texts are typed, a radio run
#define IDC_TYPE_BY_MESSAGES 1016
#define IDC_TYPE_BY_KEYSTROKES 1017
// General page (106): the programs texts are never typed into, one file name a line
#define IDC_EXCLUDE_PROGRAMS 1019
#define IDC_TYPE_BY_CLIPBOARD 1040
// The long-text box and, as the next id, its number.
#define IDC_PASTE_LONG 1041
#define IDC_PASTE_LONG_UNITS 1042
#define IDC_KEYSTROKE_PROGRAMS 1043
#define IDC_CLIPBOARD_PROGRAMS 1044
#define IDC_ITEM_WAY 1045
// The cheat sheet's box and, as the next id, its delay.
#define IDC_SHEET_DELAY 1046
#define IDC_SHEET_DELAY_MS 1047

// Text edit dialog (111): the chord's key field with its main modifier, and the text
#define IDC_TEXT_EDIT 1011
#define IDC_ITEM_MODIFIER 1012
#define IDC_ITEM_KEY 1018
// Text edit dialog (111): a radio run of the two kinds of item, the abbreviation's field and
// its "сразу" box
#define IDC_ITEM_BY_CHORD 1048
#define IDC_ITEM_BY_ABBREVIATION 1049
#define IDC_ITEM_ABBREVIATION 1050
#define IDC_ITEM_IMMEDIATE 1051

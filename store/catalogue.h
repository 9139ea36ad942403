#pragma once
// Every section, key and initial value the application persists. Sections are relative to
// the store's base path, Software\Brannock\Vellory\ once the tokens are set.
#include <cstdint>

#include "engine/hotkey.h"
#include "toolkit/product.h"

inline constexpr char16_t kFirmToken[] = u"*firm*";
inline constexpr char16_t kApplicationToken[] = u"*app*";
inline constexpr char16_t kProfileToken[] = u"*prof*";
inline constexpr char16_t kBasePath[] = u"Software\\*firm**app*";

inline constexpr char16_t kSectionCommon[] = u"Options\\Common";
inline constexpr char16_t kSectionMainWindow[] = u"Options\\Windows\\Main";
inline constexpr char16_t kSectionProfiles[] = u"Profiles";
inline constexpr char16_t kSectionItems[] = u"*prof*items";

// "Options\Common", registered in the general list in this order.
inline constexpr char16_t kKeyHotKey2[] = u"HotKey2";
inline constexpr char16_t kKeyRu[] = u"Ru";
inline constexpr char16_t kKeyTypeMode[] = u"TypeMode";
inline constexpr char16_t kKeyPaused[] = u"Paused";
inline constexpr char16_t kKeyExcludePrograms[] = u"ExcludePrograms";
inline constexpr char16_t kKeyKeystrokePrograms[] = u"KeystrokePrograms";
inline constexpr char16_t kKeyClipboardPrograms[] = u"ClipboardPrograms";
inline constexpr char16_t kKeyPasteLongerThan[] = u"PasteLongerThan";
inline constexpr char16_t kKeyPasteRestoreDelay[] = u"PasteRestoreDelay";
inline constexpr char16_t kKeySheetDelay[] = u"SheetDelay";
inline constexpr char16_t kKeyMinimizeToTray[] = u"MinimizeToTray";
inline constexpr char16_t kKeyHideInTray[] = u"HideInTray";
inline constexpr char16_t kKeyKeepInTray[] = u"KeepInTray";
inline constexpr char16_t kKeyStartMinimize[] = u"StartMinimize";
inline constexpr char16_t kKeyCloseMinimize[] = u"CloseMinimize";
inline constexpr char16_t kKeyConfirmExit[] = u"ConfirmExit";

// "Options\Windows\Main".
inline constexpr char16_t kKeyHandle[] = u"Handle";
inline constexpr char16_t kKeyPlacement[] = u"plmnt";
inline constexpr char16_t kKeyTopmost[] = u"topmost";

// "Profiles" and "*prof*items".
inline constexpr char16_t kKeyProfile[] = u"Profile";
inline constexpr char16_t kKeyItemsData[] = u"data";
// Beside "data", so that "data" stays what every Vellory reads: the items with a way of their own.
inline constexpr char16_t kKeyItemsWays[] = u"ways";
// The items reached by a typed abbreviation, in the items text's shape with the abbreviation in
// place of the chord, and beside them their options where they differ from the defaults.
inline constexpr char16_t kKeyItemsAbbreviations[] = u"abbrs";
inline constexpr char16_t kKeyItemsAbbreviationOptions[] = u"abbropts";
inline constexpr char16_t kDefaultProfile[] = u"Default";

// "HotKey2" values (the modifier mode) and "StartMinimize" values.
inline constexpr std::int32_t kHotKey2LeftWin = kModifierModeWin;
inline constexpr std::int32_t kHotKey2Alt = kModifierModeAlt;
inline constexpr std::int32_t kStartMinimizeShown = 0;
inline constexpr std::int32_t kStartMinimizeMinimized = 1;
inline constexpr std::int32_t kStartMinimizeAsPlaced = 2;

// Initial values. "HotKey2", "Ru" and "TypeMode" also have a default, at which their value is deleted
// instead of written; the other options are always written.
inline constexpr std::int32_t kInitialHotKey2 = kHotKey2LeftWin;
inline constexpr std::int32_t kDefaultHotKey2 = kHotKey2LeftWin;
inline constexpr bool kInitialRu = false;
inline constexpr bool kDefaultRu = false;
// How texts are typed: posted characters, or keystrokes for programs that ignore them.
inline constexpr std::int32_t kInitialTypeMode = kTypeByMessages;
inline constexpr std::int32_t kDefaultTypeMode = kTypeByMessages;
// Not paused, and no program left alone: neither is stored then.
inline constexpr bool kInitialPaused = false;
inline constexpr bool kDefaultPaused = false;
// Long texts go the general way unless the user asks for the clipboard; the kept clipboard
// content goes back half a second after the paste (a hand-edited value for slow programs).
inline constexpr std::int32_t kDefaultPasteLongerThan = 0;
inline constexpr std::int32_t kShownPasteLongerThan = 200;  // the number offered while off
inline constexpr std::int32_t kDefaultPasteRestoreDelay = 500;
inline constexpr std::int32_t kDefaultSheetDelay = 1000;  // ms the main modifier is held before the cheat sheet shows
inline constexpr bool kInitialMinimizeToTray = true;
inline constexpr bool kInitialHideInTray = false;
inline constexpr bool kInitialKeepInTray = true;
inline constexpr std::int32_t kInitialStartMinimize = kStartMinimizeAsPlaced;
inline constexpr bool kInitialCloseMinimize = false;
inline constexpr bool kInitialConfirmExit = true;
// Not stored: follows the shortcut in the Startup folder.
inline constexpr bool kInitialAutostart = true;

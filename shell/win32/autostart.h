#pragma once
// The autostart shortcut: <Startup folder>\<application name>.lnk pointing at the program.
// The Autostart option itself lives in the application object; these functions take its
// value and give it back.
#include <windows.h>

#include "toolkit/wide_string.h"

// The user's Startup folder; false when the system cannot name it.
bool StartupFolder(WideString& folder);
// folder + "\" + application name + ".lnk".
WideString ShortcutPath(const WideString& folder, const WideString& appName);

// Writes a shell link at shortcutPath to target, working in the target's folder (empty when
// the target has no "\"), described by description. A non-zero icon index names the icon
// resource of that id in the target; a null arguments string sets none. Returns the COM result.
HRESULT CreateShortcut(const WideString& target, const WideString& shortcutPath, const WideString& description,
                       int iconIndex, const WideString& arguments = WideString::Null());

// Creates the shortcut to this program (overwriting an old one) or deletes it. Does nothing
// when there is no Startup folder; the outcome is read back at the next start.
void ApplyAutostart(bool autostart, const WideString& appName);
// Whether the shortcut exists; false without a Startup folder.
bool ReadAutostart(const WideString& appName);

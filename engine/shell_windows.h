#pragma once
// The windows of the Windows shell, which are never where the user means text to go: the user
// passes through them on the way to another window (the taskbar, the tray, Alt+Tab), or they
// are the shell's own (the desktop, the Start menu, search).
#include <string_view>

enum class ShellClass { None, Shell, ShellIfHost };

// The class of a top-level window: a shell window's, or the class the Start and search hosts
// share with every modern app, which is the shell's only in those hosts.
ShellClass ShellClassOf(std::u16string_view className);
// Whether a program file name is one of the Start and search hosts.
bool IsShellHost(std::u16string_view fileName);

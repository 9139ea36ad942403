#pragma once
// Text between the program's UTF-16 strings and the Windows API, which spells UTF-16 as
// wchar_t: the one converter, window texts and the program's own path.
#include <windows.h>

#include "toolkit/wide_string.h"

inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline wchar_t* W(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
// A null text reads as empty, so no call gets a null text pointer.
inline const wchar_t* W(const WideString& s) { return s.IsNull() ? L"" : W(s.Data()); }

// Fills the string with a window's whole text; an absent window gives an empty string.
void FillFromWindowText(WideString& out, HWND window);

// The program's own file, however long its path: a cut path would name some other file.
// Null when the system cannot tell.
WideString ProgramPath();

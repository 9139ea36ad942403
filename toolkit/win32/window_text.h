#pragma once
#include <windows.h>

#include "toolkit/wide_string.h"

// Fills the string with a window's whole text; an absent window gives an empty string.
void FillFromWindowText(WideString& out, HWND window);
inline const wchar_t* W(const WideString& s) { return reinterpret_cast<const wchar_t*>(s.Data()); }

#include "toolkit/win32/window_text.h"

#include <string>

void FillFromWindowText(WideString& out, HWND window) {
    if (!window || !::IsWindow(window)) {
        out = WideString(u"");
        return;
    }
    const int length = ::GetWindowTextLengthW(window);
    std::u16string buffer(static_cast<std::size_t>(length) + 1, u'\0');
    const int copied = ::GetWindowTextW(window, reinterpret_cast<wchar_t*>(buffer.data()), length + 1);
    buffer.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    out = WideString(std::u16string_view(buffer));
}

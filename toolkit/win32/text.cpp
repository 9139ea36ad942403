#include "toolkit/win32/text.h"

#include <string>

void FillFromWindowText(WideString& out, HWND window) {
    if (!window || !::IsWindow(window)) {
        out = WideString(u"");
        return;
    }
    const int length = ::GetWindowTextLengthW(window);
    std::u16string buffer(static_cast<std::size_t>(length) + 1, u'\0');
    const int copied = ::GetWindowTextW(window, W(buffer.data()), length + 1);
    buffer.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    out = WideString(std::u16string_view(buffer));
}

WideString ProgramPath() {
    std::u16string buffer(MAX_PATH, u'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = ::GetModuleFileNameW(nullptr, W(buffer.data()), size);
        if (length == 0) return WideString::Null();
        if (length < size) {
            buffer.resize(length);
            return WideString(std::u16string_view(buffer));
        }
        if (size >= 32768) return WideString::Null();
        buffer.resize(buffer.size() * 2);
    }
}

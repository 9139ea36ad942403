#include "engine/win32/fill_ins.h"

#include <cwchar>
#include <string>

#include "toolkit/win32/handles.h"

namespace {

using Formatter = int (*)(const std::u16string& picture, wchar_t* out, int size);

bool Format(std::u16string_view picture, std::u16string& out, Formatter format) {
    const std::u16string pictureText(picture);
    wchar_t buffer[256];
    const int length = format(pictureText, buffer, 256);
    if (length <= 0) return false;
    out.assign(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(length - 1));
    return true;
}

// The picture as a NUL-ended text, or null for the user's own format.
const wchar_t* PictureOrNull(const std::u16string& picture) {
    return picture.empty() ? nullptr : reinterpret_cast<const wchar_t*>(picture.c_str());
}

// Another program may hold the clipboard open for a while (Office renders its data on
// request): the reader tries again for most of the typist's wait, never the user's keys.
constexpr DWORD kOpenTriesMs = 900;
constexpr DWORD kOpenRetryMs = 15;

bool OpenClipboardPatiently() {
    const DWORD start = ::GetTickCount();
    while (!::OpenClipboard(nullptr)) {
        if (::GetTickCount() - start >= kOpenTriesMs) return false;
        ::Sleep(kOpenRetryMs);
    }
    return true;
}

DWORD WINAPI ReadClipboard(void* param) {
    const HWND window = static_cast<HWND>(param);
    wchar_t* copy = nullptr;
    const bool open = OpenClipboardPatiently();
    if (open) {
        if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* text = static_cast<const wchar_t*>(::GlobalLock(data))) {
                // Another program wrote the block: never read past its end, NUL or not.
                const std::size_t room = ::GlobalSize(data) / sizeof(wchar_t);
                std::size_t length = 0;
                while (length < room && text[length] != 0) ++length;
                copy = static_cast<wchar_t*>(::HeapAlloc(::GetProcessHeap(), 0, (length + 1) * sizeof(wchar_t)));
                if (copy != nullptr) {
                    std::wmemcpy(copy, text, length);
                    copy[length] = 0;
                }
                ::GlobalUnlock(data);
            }
        }
        ::CloseClipboard();
    }
    // A window gone meanwhile never takes the text, so it stays ours to free.
    HeapText text(copy);
    if (::PostMessageW(window, kClipboardTextMessage, open ? 0 : 1, reinterpret_cast<LPARAM>(text.get())))
        text.release();
    return 0;
}

}  // namespace

bool WindowsPlaceholderSource::formatDate(std::u16string_view picture, std::u16string& out) {
    return Format(picture, out, [](const std::u16string& p, wchar_t* buffer, int size) {
        return ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, p.empty() ? DATE_SHORTDATE : 0, nullptr, PictureOrNull(p),
                                 buffer, size, nullptr);
    });
}

bool WindowsPlaceholderSource::formatTime(std::u16string_view picture, std::u16string& out) {
    return Format(picture, out, [](const std::u16string& p, wchar_t* buffer, int size) {
        return ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, p.empty() ? TIME_NOSECONDS : 0, nullptr, PictureOrNull(p),
                                 buffer, size);
    });
}

bool StartClipboardReader(HWND window) {
    // A small stack: the reader only copies one text.
    // The thread ends by itself; its handle is not needed.
    const UniqueKernelHandle thread(
        ::CreateThread(nullptr, 64 * 1024, ReadClipboard, window, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    return static_cast<bool>(thread);
}

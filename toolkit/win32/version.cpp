#include "toolkit/win32/version.h"

#include <windows.h>

#include <initializer_list>
#include <iterator>
#include <memory>
#include <new>

#include "toolkit/win32/handles.h"
#include "toolkit/win32/text.h"

namespace {

constexpr std::size_t kValueUnits = 128;
char16_t g_value[kValueUnits];

constexpr const char16_t* kNames[] = {
    u"CompanyName",    u"FileDescription",  u"FileVersion", u"InternalName",
    u"LegalCopyright", u"OriginalFilename", u"ProductName", u"ProductVersion",
};

struct Translation {
    WORD language;
    WORD codePage;
};

// "\StringFileInfo\%04X%04X\%s" without pulling in a formatting library.
void FormatValuePath(char16_t* out, std::size_t units, Translation t, const char16_t* name) {
    constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::size_t n = 0;
    auto put = [&](char16_t c) { if (n + 1 < units) out[n++] = c; };
    for (const char16_t* p = u"\\StringFileInfo\\"; *p; ++p) put(*p);
    for (WORD word : {t.language, t.codePage})
        for (int shift = 12; shift >= 0; shift -= 4) put(kHex[(word >> shift) & 0xF]);
    put(u'\\');
    for (const char16_t* p = name; *p; ++p) put(*p);
    out[n] = u'\0';
}

// Copies at most the buffer's capacity, never leaving half a surrogate pair at the cut.
void CopyValue(const char16_t* value, std::size_t length) {
    std::size_t n = 0;
    while (n < length && n + 1 < kValueUnits && value[n] != u'\0') {
        g_value[n] = value[n];
        ++n;
    }
    const bool cut = n < length && value[n] != u'\0';
    if (cut && n > 0 && g_value[n - 1] >= 0xD800 && g_value[n - 1] <= 0xDBFF) --n;
    g_value[n] = u'\0';
}

}  // namespace

const char16_t* QueryVersionString(const char16_t* path, VersionKey key) {
    g_value[0] = u'\0';
    const auto index = static_cast<std::size_t>(key);
    if (path == nullptr || index >= std::size(kNames)) return g_value;

    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(W(path), &ignored);
    if (size == 0) return g_value;
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[size]);
    if (!block || !::GetFileVersionInfoW(W(path), 0, size, block.get())) return g_value;

    // Without a translation table no value path can be formed: the result stays empty.
    void* table = nullptr;
    UINT tableBytes = 0;
    if (!::VerQueryValueW(block.get(), L"\\VarFileInfo\\Translation", &table, &tableBytes) || table == nullptr)
        return g_value;
    const auto* translations = static_cast<const Translation*>(table);
    for (UINT i = 0; i < tableBytes / sizeof(Translation); ++i) {
        char16_t valuePath[64];
        FormatValuePath(valuePath, std::size(valuePath), translations[i], kNames[index]);
        void* value = nullptr;
        UINT valueUnits = 0;
        if (::VerQueryValueW(block.get(), W(valuePath), &value, &valueUnits) && value != nullptr) {
            CopyValue(static_cast<const char16_t*>(value), valueUnits);
            break;
        }
    }
    return g_value;
}

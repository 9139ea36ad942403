#include "store/registry_backend.h"

char16_t RegistryUpcase(char16_t c) {
    // The registry folds case with its own upper-case table; the letters that can appear in
    // this program's names are ASCII, Latin-1 and Cyrillic.
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c < 0x80) return c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x0430 && c <= 0x044F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x0450 && c <= 0x045F) return static_cast<char16_t>(c - 0x50);
    return c;
}

bool RegistryNamesEqual(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (RegistryUpcase(a[i]) != RegistryUpcase(b[i])) return false;
    return true;
}

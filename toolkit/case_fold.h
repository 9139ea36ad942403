#pragma once
// Case folding as the registry and the file system fold names: upper case, unit by unit.

// The letters that occur in this program's key names and in program file names are ASCII,
// Latin-1 and Cyrillic; others stay as they are.
inline char16_t UpcaseUnit(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c < 0x80) return c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x0430 && c <= 0x044F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x0450 && c <= 0x045F) return static_cast<char16_t>(c - 0x50);
    return c;
}

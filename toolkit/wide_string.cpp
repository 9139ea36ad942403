#include "toolkit/wide_string.h"

#include <limits>

WideString WideString::FromInt(std::int32_t value) {
    WideString s;
    s.AssignInt(value);
    return s;
}

void WideString::Assign(const char16_t* text) {
    if (text == nullptr) {
        SetNull();
        return;
    }
    text_.assign(text);
    null_ = false;
}

// "%d" by hand: the printf family would add tens of kilobytes to the program.
void WideString::AssignInt(std::int32_t value) {
    char16_t buffer[12];
    char16_t* end = buffer + 12;
    char16_t* p = end;
    // Work in the negative range so the most negative value needs no special case.
    std::int32_t rest = value < 0 ? value : -value;
    do {
        *--p = static_cast<char16_t>(u'0' - rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0) *--p = u'-';
    text_.assign(p, end);
    null_ = false;
}

void WideString::Append(std::u16string_view text) {
    text_.append(text);
    null_ = false;
}

std::int32_t WideString::ToInt() const { return DecimalTextToInt(text_); }

std::int32_t DecimalTextToInt(std::u16string_view text) {
    // The narrow buffer holds 20 bytes with its terminator; anything outside ASCII narrows
    // to a byte that is neither space, sign nor digit, so it ends the number.
    constexpr std::size_t kNarrowLimit = 19;
    if (text.size() > kNarrowLimit) text = text.substr(0, kNarrowLimit);
    std::size_t i = 0;
    auto isSpace = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Saturate like strtol with a 32-bit long instead of wrapping on overflow.
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min());
    const std::int64_t limit = negative ? kMin : kMax;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > limit) value = limit;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

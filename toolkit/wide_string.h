#pragma once
// Owning UTF-16 string of the program. Null and empty are different values: a null
// string handed to a store write deletes the stored value.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class WideString {
public:
    WideString() = default;
    WideString(const char16_t* text) { Assign(text); }  // NOLINT: implicit by design, like a literal
    WideString(std::u16string_view text) : text_(text), null_(false) {}

    static WideString Null() { return WideString(); }
    static WideString FromInt(std::int32_t value);

    void Assign(const char16_t* text);
    void Assign(const WideString& other) { *this = other; }
    void AssignInt(std::int32_t value);
    void SetNull() { text_.clear(); null_ = true; }

    void Append(std::u16string_view text);
    void Append(const WideString& other) { if (!other.null_) Append(std::u16string_view(other.text_)); }
    void Append(const char16_t* text) { Append(std::u16string_view(text)); }
    void Append(char16_t unit) { null_ = false; text_.push_back(unit); }

    bool IsNull() const { return null_; }
    bool IsEmpty() const { return text_.empty(); }
    std::size_t Length() const { return text_.size(); }
    // Null-terminated text, or nullptr for a null string.
    const char16_t* Data() const { return null_ ? nullptr : text_.c_str(); }
    // Null reads as empty.
    std::u16string_view View() const { return text_; }
    char16_t operator[](std::size_t i) const { return text_[i]; }

    // A null side never compares equal, not even to another null.
    bool operator==(const WideString& other) const { return !null_ && !other.null_ && text_ == other.text_; }
    bool operator!=(const WideString& other) const { return !(*this == other); }

    // Decimal value of the text as stored options are read: narrowed to at most 19 bytes,
    // leading white space, optional sign, digits up to the first other character; no digits is 0.
    std::int32_t ToInt() const;

private:
    std::u16string text_;
    bool null_ = true;
};

// The number conversion of stored text, usable without a WideString.
std::int32_t DecimalTextToInt(std::u16string_view text);

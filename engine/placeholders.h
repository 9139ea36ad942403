#pragma once
// Texts that fill themselves in: {дата}, {время} (each with an optional Windows picture after
// a colon), {буфер} (the clipboard's text) and {курсор} (where the cursor ends up). A name in
// doubled braces types itself in single ones; anything else in braces types as it stands.
#include <cstddef>
#include <string>
#include <string_view>

class PlaceholderSource {
public:
    // Today's date or the time now in the user's format: with an empty picture the short date,
    // or the time without seconds. False when the picture is refused.
    virtual bool formatDate(std::u16string_view picture, std::u16string& out) = 0;
    virtual bool formatTime(std::u16string_view picture, std::u16string& out) = 0;

protected:
    ~PlaceholderSource() = default;
};

struct Expansion {
    std::u16string text;
    bool hasCursor = false;
    // Left presses that take the cursor from the text's end back to the mark: one per
    // character, a surrogate pair and a line break counting one each, as an edit control steps.
    std::size_t cursorSteps = 0;
};

// Whether the text holds a placeholder; looks only, so the keyboard hook may ask.
bool HasPlaceholders(std::u16string_view text);
bool NeedsClipboard(std::u16string_view text);
bool HasCursorMark(std::u16string_view text);

// The clipboard's text is typed as it is: placeholders in it stay.
Expansion ExpandPlaceholders(std::u16string_view text, PlaceholderSource& source, std::u16string_view clipboard);

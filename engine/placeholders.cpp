#include "engine/placeholders.h"

namespace {

enum class Kind { None, Date, Time, Clipboard, Cursor };

struct Found {
    Kind kind = Kind::None;
    std::u16string_view picture;
    std::size_t end = 0;  // just past the closing brace
};

// The placeholder that starts with the brace at `at`, if any.
Found ParseAt(std::u16string_view text, std::size_t at) {
    struct Name { std::u16string_view name; Kind kind; bool picture; };
    static constexpr Name kNames[] = {
        {u"дата", Kind::Date, true},
        {u"время", Kind::Time, true},
        {u"буфер", Kind::Clipboard, false},
        {u"курсор", Kind::Cursor, false},
    };
    if (at >= text.size() || text[at] != u'{') return {};
    const std::u16string_view rest = text.substr(at + 1);
    for (const Name& n : kNames) {
        if (rest.substr(0, n.name.size()) != n.name) continue;
        std::size_t i = n.name.size();
        if (i < rest.size() && rest[i] == u'}') return {n.kind, {}, at + 1 + i + 1};
        if (!n.picture || i >= rest.size() || rest[i] != u':') return {};
        // The picture runs to the first closing brace; an empty one is no picture at all.
        const std::size_t close = rest.find(u'}', i + 1);
        if (close == std::u16string_view::npos || close == i + 1) return {};
        return {n.kind, rest.substr(i + 1, close - i - 1), at + 1 + close + 1};
    }
    return {};
}

template <typename Visit>
bool AnyPlaceholder(std::u16string_view text, Visit visit) {
    for (std::size_t i = text.find(u'{'); i != std::u16string_view::npos; i = text.find(u'{', i + 1))
        if (const Found found = ParseAt(text, i); found.kind != Kind::None && visit(found.kind)) return true;
    return false;
}

std::size_t CursorSteps(std::u16string_view typed) {
    std::size_t steps = 0;
    for (std::size_t i = 0; i < typed.size(); ++i, ++steps) {
        const char16_t unit = typed[i];
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < typed.size() && typed[i + 1] >= 0xDC00 &&
                          typed[i + 1] <= 0xDFFF;
        if (pair || (unit == u'\r' && i + 1 < typed.size() && typed[i + 1] == u'\n')) ++i;
    }
    return steps;
}

}  // namespace

bool HasPlaceholders(std::u16string_view text) {
    return AnyPlaceholder(text, [](Kind) { return true; });
}

bool NeedsClipboard(std::u16string_view text) {
    return AnyPlaceholder(text, [](Kind kind) { return kind == Kind::Clipboard; });
}

bool HasCursorMark(std::u16string_view text) {
    return AnyPlaceholder(text, [](Kind kind) { return kind == Kind::Cursor; });
}

Expansion ExpandPlaceholders(std::u16string_view text, PlaceholderSource& source, std::u16string_view clipboard) {
    Expansion result;
    std::size_t mark = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != u'{') {
            result.text += text[i++];
            continue;
        }
        // "{{дата}}" types "{дата}".
        if (const Found inner = ParseAt(text, i + 1);
            inner.kind != Kind::None && inner.end < text.size() && text[inner.end] == u'}') {
            result.text += text.substr(i + 1, inner.end - i - 1);
            i = inner.end + 1;
            continue;
        }
        const Found found = ParseAt(text, i);
        switch (found.kind) {
            case Kind::None:
                result.text += text[i++];
                continue;
            case Kind::Date:
            case Kind::Time: {
                std::u16string formatted;
                const bool ok = found.kind == Kind::Date ? source.formatDate(found.picture, formatted)
                                                         : source.formatTime(found.picture, formatted);
                // A refused picture types the placeholder as it stands.
                result.text += ok ? std::u16string_view(formatted) : text.substr(i, found.end - i);
                break;
            }
            case Kind::Clipboard:
                result.text += clipboard;
                break;
            case Kind::Cursor:
                // Only the first mark counts; the others type nothing.
                if (!result.hasCursor) mark = result.text.size();
                result.hasCursor = true;
                break;
        }
        i = found.end;
    }
    if (result.hasCursor) result.cursorSteps = CursorSteps(std::u16string_view(result.text).substr(mark));
    return result;
}

#include "settings_ui/key_caption.h"

#include "engine/hotkey.h"

WideString KeyCaption(std::uint16_t keyCode, std::int32_t extraModifier, std::u16string_view keyName) {
    WideString caption(u"");
    if (extraModifier == kModifierCtrl)
        caption.Append(u"Control + ");
    else if (extraModifier == kModifierShift)
        caption.Append(u"Shift + ");
    const bool letterOrDigit = (keyCode >= u'0' && keyCode <= u'9') || (keyCode >= u'A' && keyCode <= u'Z');
    if (letterOrDigit || keyName.empty()) {
        caption.Append(static_cast<char16_t>(keyCode));
    } else {
        for (const char16_t unit : keyName) caption.Append(unit);
    }
    return caption;
}

WideString ListedText(std::u16string_view text) {
    const std::u16string terminated(text);
    WideString listed(u"");
    for (const char16_t* p = terminated.c_str(); p != terminated.c_str() + terminated.size();) {
        const char16_t unit = TakeTypedUnit(p);
        listed.Append(unit == u'\r' ? u'\u23CE' : unit);
    }
    return listed;
}

WideString AbbreviationCaption(std::u16string_view abbreviation) {
    WideString caption(u"«");
    caption.Append(abbreviation);
    caption.Append(u"»");
    return caption;
}

AbbreviationFault CheckAbbreviation(std::u16string_view abbreviation) {
    if (abbreviation.empty()) return AbbreviationFault::Empty;
    if (abbreviation.size() > kMaxAbbreviation) return AbbreviationFault::TooLong;
    for (const char16_t unit : abbreviation)
        if (unit <= u' ' || unit == 0x7F || unit == 0xA0 || unit == 0x2028 || unit == 0x2029)
            return AbbreviationFault::Space;
    return AbbreviationFault::None;
}

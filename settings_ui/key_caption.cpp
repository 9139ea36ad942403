#include "settings_ui/key_caption.h"

#include "engine/hotkey.h"

WideString KeyCaption(std::uint16_t keyCode, std::int32_t extraModifier) {
    WideString caption(u"");
    if (extraModifier == kModifierCtrl)
        caption.Append(u"Control + ");
    else if (extraModifier == kModifierShift)
        caption.Append(u"Shift + ");
    caption.Append(static_cast<char16_t>(keyCode));
    return caption;
}

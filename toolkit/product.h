#pragma once
// The product's own names: the window captions, the registry path, the shortcut and the
// about box all take them from here.
inline constexpr char16_t kApplicationName[] = u"Vellory";
inline constexpr char16_t kFirmName[] = u"Brannock";

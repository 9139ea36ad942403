#pragma once
// The product's own names: the window captions, the registry path, the shortcut and the
// about box all take them from here.
inline constexpr char16_t kApplicationName[] = u"Vellory";
inline constexpr char16_t kFirmName[] = u"Brannock";
// What other programs (the installer and the uninstaller) use to find and end a running copy;
// installer/CMakeLists.txt reads both from here.
// Session-local, so other users' copies on the same machine do not count.
inline constexpr char16_t kInstanceMutexName[] = u"Local\\Brannock.Vellory.Instance";
inline constexpr char16_t kQuitRequestName[] = u"Brannock.Vellory.Quit";

#include "store/win32/win_registry.h"

#include <shlwapi.h>

#include <vector>

#include "toolkit/win32/handles.h"
#include "toolkit/win32/text.h"

namespace {

// An open key travels through the portable store as a number; the store's BackendKey is
// its one owner and gives it back through CloseKey.
HKEY ToKey(RegistryKeyId key) { return reinterpret_cast<HKEY>(key); }
RegistryKeyId ToId(UniqueKey key) { return reinterpret_cast<RegistryKeyId>(key.Release()); }

constexpr DWORD kMaxKeyNameUnits = 256;     // 255 and the terminator
constexpr DWORD kMaxValueNameUnits = 16384; // 16383 and the terminator

}  // namespace

RegistryStatus WinRegistry::CreateKey(const char16_t* path, RegistryKeyId* key) {
    HKEY raw = nullptr;
    const LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, W(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_WRITE, nullptr, &raw, nullptr);
    UniqueKey owned(status == ERROR_SUCCESS ? raw : nullptr);
    *key = ToId(std::move(owned));
    return status;
}

RegistryStatus WinRegistry::OpenKey(const char16_t* path, KeyAccess access, RegistryKeyId* key) {
    HKEY raw = nullptr;
    const REGSAM rights = access == KeyAccess::Read ? KEY_READ : KEY_READ | KEY_WRITE;
    const LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, W(path), 0, rights, &raw);
    UniqueKey owned(status == ERROR_SUCCESS ? raw : nullptr);
    *key = ToId(std::move(owned));
    return status;
}

RegistryStatus WinRegistry::SetValue(RegistryKeyId key, const char16_t* name, std::uint32_t type,
                                     const void* data, std::uint32_t size) {
    return ::RegSetValueExW(ToKey(key), W(name), 0, type, static_cast<const BYTE*>(data), size);
}

RegistryStatus WinRegistry::QueryValue(RegistryKeyId key, const char16_t* name, std::uint32_t* type,
                                       void* data, std::uint32_t* size) {
    DWORD valueType = 0;
    DWORD bytes = size != nullptr ? *size : 0;
    const LSTATUS status = ::RegQueryValueExW(ToKey(key), W(name), nullptr, type != nullptr ? &valueType : nullptr,
                                              static_cast<BYTE*>(data), size != nullptr ? &bytes : nullptr);
    if (type != nullptr) *type = valueType;
    if (size != nullptr) *size = bytes;
    return status;
}

RegistryStatus WinRegistry::DeleteValue(RegistryKeyId key, const char16_t* name) {
    return ::RegDeleteValueW(ToKey(key), W(name));
}

RegistryStatus WinRegistry::EnumSubkey(RegistryKeyId key, std::uint32_t index, WideString* name) {
    wchar_t buffer[kMaxKeyNameUnits];
    DWORD length = kMaxKeyNameUnits;
    const LSTATUS status = ::RegEnumKeyExW(ToKey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) *name = WideString(std::u16string_view(reinterpret_cast<char16_t*>(buffer), length));
    return status;
}

RegistryStatus WinRegistry::EnumValue(RegistryKeyId key, std::uint32_t index, WideString* name) {
    std::vector<wchar_t> buffer(kMaxValueNameUnits);
    DWORD length = kMaxValueNameUnits;
    const LSTATUS status =
        ::RegEnumValueW(ToKey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        *name = WideString(std::u16string_view(reinterpret_cast<char16_t*>(buffer.data()), length));
    return status;
}

RegistryStatus WinRegistry::DeleteTree(const char16_t* path) {
    return static_cast<RegistryStatus>(::SHDeleteKeyW(HKEY_CURRENT_USER, W(path)));
}

void WinRegistry::CloseKey(RegistryKeyId key) { UniqueKey owned(ToKey(key)); }

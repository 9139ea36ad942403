#pragma once
// The store's backend over the Windows registry, rooted at HKEY_CURRENT_USER.
#include "store/registry_backend.h"

class WinRegistry : public RegistryBackend {
public:
    RegistryStatus CreateKey(const char16_t* path, RegistryKeyId* key) override;
    RegistryStatus OpenKey(const char16_t* path, KeyAccess access, RegistryKeyId* key) override;
    RegistryStatus SetValue(RegistryKeyId key, const char16_t* name, std::uint32_t type, const void* data,
                            std::uint32_t size) override;
    RegistryStatus QueryValue(RegistryKeyId key, const char16_t* name, std::uint32_t* type, void* data,
                              std::uint32_t* size) override;
    RegistryStatus DeleteValue(RegistryKeyId key, const char16_t* name) override;
    RegistryStatus EnumSubkey(RegistryKeyId key, std::uint32_t index, WideString* name) override;
    RegistryStatus EnumValue(RegistryKeyId key, std::uint32_t index, WideString* name) override;
    RegistryStatus DeleteTree(const char16_t* path) override;
    void CloseKey(RegistryKeyId key) override;
};

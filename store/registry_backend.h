#pragma once
// The few registry calls the store needs, relative to HKEY_CURRENT_USER. Results are
// registry status codes (0 success), so the store's rules read the same over every backend.
#include <cstdint>
#include <string_view>

#include "toolkit/wide_string.h"

using RegistryStatus = std::int32_t;
using RegistryKeyId = std::uintptr_t;  // an open key; 0 is none

enum : RegistryStatus {
    kRegistryOk = 0,
    kRegistryNotFound = 2,          // ERROR_FILE_NOT_FOUND
    kRegistryAccessDenied = 5,      // ERROR_ACCESS_DENIED
    kRegistryInvalidParameter = 87, // ERROR_INVALID_PARAMETER
    kRegistryBadPathname = 161,     // ERROR_BAD_PATHNAME
    kRegistryMoreData = 234,        // ERROR_MORE_DATA
    kRegistryNoMoreItems = 259,     // ERROR_NO_MORE_ITEMS
};

enum : std::uint32_t {
    kRegistryTypeNone = 0,
    kRegistryTypeSz = 1,      // REG_SZ
    kRegistryTypeBinary = 3,  // REG_BINARY
    kRegistryTypeDword = 4,   // REG_DWORD
};

enum class KeyAccess {
    Read,   // KEY_READ: query and enumerate
    Write,  // KEY_READ | KEY_WRITE on an existing key: also set and delete values
};

class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;

    // RegCreateKeyExW with KEY_WRITE: creates missing keys on the way.
    virtual RegistryStatus CreateKey(const char16_t* path, RegistryKeyId* key) = 0;
    // RegOpenKeyExW: the key must exist.
    virtual RegistryStatus OpenKey(const char16_t* path, KeyAccess access, RegistryKeyId* key) = 0;
    // RegSetValueExW; a null name is the key's default value.
    virtual RegistryStatus SetValue(RegistryKeyId key, const char16_t* name, std::uint32_t type,
                                    const void* data, std::uint32_t size) = 0;
    // RegQueryValueExW: type and data may be null; with data null only the size is reported;
    // a buffer too small gives kRegistryMoreData and the size needed.
    virtual RegistryStatus QueryValue(RegistryKeyId key, const char16_t* name, std::uint32_t* type,
                                      void* data, std::uint32_t* size) = 0;
    virtual RegistryStatus DeleteValue(RegistryKeyId key, const char16_t* name) = 0;
    // RegEnumKeyExW / RegEnumValueW: kRegistryNoMoreItems past the last one.
    virtual RegistryStatus EnumSubkey(RegistryKeyId key, std::uint32_t index, WideString* name) = 0;
    virtual RegistryStatus EnumValue(RegistryKeyId key, std::uint32_t index, WideString* name) = 0;
    // SHDeleteKeyW: the key with all its subkeys and values.
    virtual RegistryStatus DeleteTree(const char16_t* path) = 0;
    virtual void CloseKey(RegistryKeyId key) = 0;
};

// Owns one open key of a backend; closes it when it goes.
class BackendKey {
public:
    explicit BackendKey(RegistryBackend& backend) : backend_(backend) {}
    ~BackendKey() { Close(); }
    BackendKey(const BackendKey&) = delete;
    BackendKey& operator=(const BackendKey&) = delete;

    RegistryKeyId Get() const { return key_; }
    RegistryKeyId* Put() { Close(); return &key_; }
    void Close() {
        if (key_ != 0) backend_.CloseKey(key_);
        key_ = 0;
    }

private:
    RegistryBackend& backend_;
    RegistryKeyId key_ = 0;
};

// Key and value names compare as the registry compares them: without regard to case.
bool RegistryNamesEqual(std::u16string_view a, std::u16string_view b);

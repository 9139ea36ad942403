#pragma once
// A registry in memory, for systems without one and for tests: a tree of keys with typed
// byte values, names compared without regard to case, subkeys enumerated in sorted order,
// and the access rules of KEY_READ and KEY_WRITE handles.
#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

#include "store/registry_backend.h"

class MemoryRegistry : public RegistryBackend {
public:
    struct Value {
        WideString name;
        std::uint32_t type = kRegistryTypeNone;
        std::vector<std::uint8_t> bytes;
    };
    struct Key {
        WideString name;
        std::uint64_t serial = 0;  // tells a re-created key from the one a handle opened
        std::vector<Value> values;  // in the order they were first set
        std::vector<Key> subkeys;   // sorted by upper-cased name
    };
    // One stored value with the full path of its key, for tests to inspect the content.
    struct Entry {
        WideString path;
        WideString name;
        std::uint32_t type = kRegistryTypeNone;
        std::vector<std::uint8_t> bytes;
    };

    MemoryRegistry();

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

    // Inspection.
    bool HasKey(std::u16string_view path) const;
    // Every value of the tree, keys depth first in enumeration order.
    std::vector<Entry> Entries() const;
    // Keys opened and not yet closed: every operation of the store must close what it opens.
    std::size_t OpenKeyCount() const { return handles_.size(); }

private:
    struct Handle {
        std::vector<WideString> path;
        std::uint64_t serial = 0;
        bool canRead = false;
        bool canWrite = false;
    };

    Key* Walk(const std::vector<WideString>& path, bool create);
    const Key* Walk(const std::vector<WideString>& path) const;
    Key* Resolve(RegistryKeyId key, bool write, RegistryStatus* status);
    RegistryStatus Open(const char16_t* path, bool create, bool read, bool write, RegistryKeyId* key);

    Key root_;
    std::uint64_t nextSerial_ = 1;
    std::map<RegistryKeyId, Handle> handles_;
    RegistryKeyId nextHandle_ = 0x100;
};

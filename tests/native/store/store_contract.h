#pragma once
// The store's contract suite runs against every backend; each test program supplies one.
#include <cstdint>
#include <memory>
#include <vector>

#include "store/registry_backend.h"
#include "store/settings_store.h"

struct ContractBackend {
    std::unique_ptr<RegistryBackend> backend;
    WideString scratch;  // a key the suite owns and deletes afterwards, without trailing backslash
};
ContractBackend MakeContractBackend();

// Stores the main window's placement as the application does when its window goes.
void SaveExamplePlacement(SettingsStore& store);

struct StoredValue {
    std::u16string path;  // relative to the listed key, upper-cased
    std::u16string name;  // upper-cased
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
    bool operator==(const StoredValue&) const = default;
};
// Every value below path through the backend's own enumeration, sorted.
std::vector<StoredValue> ListTree(RegistryBackend& backend, const WideString& path);
std::vector<std::uint8_t> TextBytes(std::u16string_view text);  // UTF-16LE with the terminator

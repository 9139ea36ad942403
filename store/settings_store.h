#pragma once
// Every persisted value goes through one SettingsStore: sections are paths relative to a
// base path, with placeholder tokens ("*firm*", "*app*", "*prof*") replaced by their values.
#include <cstdint>
#include <utility>
#include <vector>

#include "store/registry_backend.h"
#include "toolkit/wide_string.h"

class SettingsStore {
public:
    explicit SettingsStore(RegistryBackend& backend) : backend_(backend) {}
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    void SetBasePath(const WideString& path);
    // Replaces an equal token (which moves it to the end of the list) or appends a new one.
    // The token must not be empty.
    void SetToken(const WideString& token, const WideString& value);
    WideString ResolvePath(const WideString& section) const;

    // A null value deletes the stored value; an empty one stores a 2-byte REG_SZ.
    bool WriteString(const WideString& section, const WideString& key, const WideString& value);
    bool WriteInt(const WideString& section, const WideString& key, std::int32_t value);
    // Exactly size raw bytes as REG_SZ; a null data pointer deletes the value.
    bool WriteStruct(const WideString& section, const WideString& key, const void* data, std::uint32_t size);
    // A failed read leaves out as it was, except when the value vanished between the size
    // query and the read, which empties it. Zero-byte values read as missing.
    bool ReadString(const WideString& section, const WideString& key, WideString& out);
    // Reads at most size bytes; a longer value fails, a shorter one leaves the buffer's tail.
    bool ReadStruct(const WideString& section, const WideString& key, void* buffer, std::uint32_t size);
    // Refuses an empty resolved path, which would be the whole of HKEY_CURRENT_USER.
    bool DeleteSection(const WideString& section);
    bool SectionExists(const WideString& section);

    // Deletes everything below the section except the values named by keep, a path relative
    // to the section whose last component names them, joined by '|' ("items\data|ways").
    // Lets a rewrite put the new value in place before the stale content goes.
    bool PruneSection(const WideString& section, const WideString& keep);

    const WideString& BasePath() const { return basePath_; }
    const std::vector<std::pair<WideString, WideString>>& Tokens() const { return tokens_; }

private:
    bool PruneKey(const WideString& path, std::u16string_view keep);

    RegistryBackend& backend_;
    WideString basePath_ = WideString(u"");
    std::vector<std::pair<WideString, WideString>> tokens_;
};

#include "store/settings_store.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// The whole text's bytes with the terminating zero, as the registry stores REG_SZ.
bool TextByteSize(const WideString& text, std::uint32_t* size) {
    constexpr std::size_t kMaxUnits = std::numeric_limits<std::uint32_t>::max() / 2 - 1;
    if (text.Length() > kMaxUnits) return false;
    *size = static_cast<std::uint32_t>((text.Length() + 1) * 2);
    return true;
}

WideString JoinPath(const WideString& path, std::u16string_view name) {
    WideString joined = path;
    if (!joined.IsEmpty() && joined[joined.Length() - 1] != u'\\') joined.Append(u'\\');
    joined.Append(name);
    return joined;
}

}  // namespace

void SettingsStore::SetBasePath(const WideString& path) {
    basePath_ = path.IsNull() ? WideString(u"") : path;
}

void SettingsStore::SetToken(const WideString& token, const WideString& value) {
    // An empty token would match everywhere and never advance the scan.
    if (token.IsEmpty()) return;
    tokens_.erase(std::remove_if(tokens_.begin(), tokens_.end(),
                                 [&](const auto& pair) { return pair.first.View() == token.View(); }),
                  tokens_.end());
    tokens_.emplace_back(token, value.IsNull() ? WideString(u"") : value);
}

WideString SettingsStore::ResolvePath(const WideString& section) const {
    std::u16string full(basePath_.View());
    full.append(section.View());
    for (const auto& [token, value] : tokens_) {
        const std::u16string_view find = token.View();
        if (find.empty()) continue;
        std::u16string result;
        std::size_t from = 0;
        for (std::size_t at = full.find(find, from); at != std::u16string::npos; at = full.find(find, from)) {
            result.append(full, from, at - from);
            result.append(value.View());
            from = at + find.size();
        }
        result.append(full, from, std::u16string::npos);
        full.swap(result);
    }
    return WideString(std::u16string_view(full));
}

bool SettingsStore::WriteString(const WideString& section, const WideString& key, const WideString& value) {
    std::uint32_t size = 0;
    if (!value.IsNull() && !TextByteSize(value, &size)) return false;
    const WideString path = ResolvePath(section);
    BackendKey handle(backend_);
    if (backend_.CreateKey(path.Data(), handle.Put()) != kRegistryOk) return false;
    // A failed set is reported, not hidden: callers that rewrite data rely on knowing it
    // landed. Deleting a value that is already gone has reached its goal.
    if (!value.IsNull())
        return backend_.SetValue(handle.Get(), key.Data(), kRegistryTypeSz, value.Data(), size) == kRegistryOk;
    const RegistryStatus status = backend_.DeleteValue(handle.Get(), key.Data());
    return status == kRegistryOk || status == kRegistryNotFound;
}

bool SettingsStore::WriteInt(const WideString& section, const WideString& key, std::int32_t value) {
    return WriteString(section, key, WideString::FromInt(value));
}

bool SettingsStore::WriteStruct(const WideString& section, const WideString& key, const void* data,
                                std::uint32_t size) {
    const WideString path = ResolvePath(section);
    BackendKey handle(backend_);
    if (backend_.CreateKey(path.Data(), handle.Put()) != kRegistryOk) return false;
    if (data != nullptr)
        return backend_.SetValue(handle.Get(), key.Data(), kRegistryTypeSz, data, size) == kRegistryOk;
    const RegistryStatus status = backend_.DeleteValue(handle.Get(), key.Data());
    return status == kRegistryOk || status == kRegistryNotFound;
}

bool SettingsStore::ReadString(const WideString& section, const WideString& key, WideString& out) {
    const WideString path = ResolvePath(section);
    BackendKey handle(backend_);
    if (backend_.OpenKey(path.Data(), KeyAccess::Read, handle.Put()) != kRegistryOk) return false;
    std::uint32_t size = 0;
    if (backend_.QueryValue(handle.Get(), key.Data(), nullptr, nullptr, &size) != kRegistryOk || size == 0)
        return false;
    // Twice the reported size plus a terminator: room for the text whatever the value's
    // type, and always a zero after it.
    std::vector<char16_t> buffer(static_cast<std::size_t>(size) + 1, u'\0');
    std::uint32_t capacity = size <= std::numeric_limits<std::uint32_t>::max() / 2
                                 ? size * 2
                                 : std::numeric_limits<std::uint32_t>::max() - 1;
    if (backend_.QueryValue(handle.Get(), key.Data(), nullptr, buffer.data(), &capacity) != kRegistryOk) {
        out = WideString(u"");
        return false;
    }
    out = WideString(buffer.data());
    return true;
}

bool SettingsStore::ReadStruct(const WideString& section, const WideString& key, void* buffer,
                               std::uint32_t size) {
    const WideString path = ResolvePath(section);
    BackendKey handle(backend_);
    if (backend_.OpenKey(path.Data(), KeyAccess::Read, handle.Put()) != kRegistryOk) return false;
    if (buffer == nullptr) return true;
    // Through a copy, so that only the value's own bytes reach the caller: some registries
    // append a terminator to a shorter REG_SZ value, which would overwrite the buffer's tail.
    std::vector<std::uint8_t> copy(size);
    std::uint32_t got = size;
    if (backend_.QueryValue(handle.Get(), key.Data(), nullptr, copy.data(), &got) != kRegistryOk) return false;
    std::copy_n(copy.begin(), std::min(got, size), static_cast<std::uint8_t*>(buffer));
    return true;
}

bool SettingsStore::DeleteSection(const WideString& section) {
    const WideString path = ResolvePath(section);
    if (path.IsEmpty()) return false;
    return backend_.DeleteTree(path.Data()) == kRegistryOk;
}

bool SettingsStore::SectionExists(const WideString& section) {
    const WideString path = ResolvePath(section);
    BackendKey handle(backend_);
    return backend_.OpenKey(path.Data(), KeyAccess::Read, handle.Put()) == kRegistryOk;
}

bool SettingsStore::PruneSection(const WideString& section, const WideString& keep) {
    const WideString path = ResolvePath(section);
    if (path.IsEmpty()) return false;
    return PruneKey(path, keep.View());
}

bool SettingsStore::PruneKey(const WideString& path, std::u16string_view keep) {
    const std::size_t slash = keep.find(u'\\');
    const bool keepsSubkey = slash != std::u16string_view::npos;
    const std::u16string_view keptName = keepsSubkey ? keep.substr(0, slash) : keep;
    // The last name may list several values to keep, joined by '|'.
    const auto kept = [&](std::u16string_view name) {
        for (std::u16string_view rest = keptName;;) {
            const std::size_t bar = rest.find(u'|');
            if (RegistryNamesEqual(name, rest.substr(0, bar))) return true;
            if (bar == std::u16string_view::npos) return false;
            rest.remove_prefix(bar + 1);
        }
    };

    std::vector<WideString> subkeys;
    std::vector<WideString> values;
    {
        BackendKey handle(backend_);
        const RegistryStatus status = backend_.OpenKey(path.Data(), KeyAccess::Read, handle.Put());
        if (status == kRegistryNotFound) return true;
        if (status != kRegistryOk) return false;
        WideString name;
        for (std::uint32_t i = 0; backend_.EnumSubkey(handle.Get(), i, &name) == kRegistryOk; ++i)
            if (!keepsSubkey || !RegistryNamesEqual(name.View(), keptName)) subkeys.push_back(name);
        for (std::uint32_t i = 0; backend_.EnumValue(handle.Get(), i, &name) == kRegistryOk; ++i)
            if (keepsSubkey || !kept(name.View())) values.push_back(name);
    }

    bool ok = true;
    for (const WideString& name : subkeys) {
        const WideString subpath = JoinPath(path, name.View());
        const RegistryStatus status = backend_.DeleteTree(subpath.Data());
        ok = ok && (status == kRegistryOk || status == kRegistryNotFound);
    }
    if (!values.empty()) {
        BackendKey handle(backend_);
        if (backend_.OpenKey(path.Data(), KeyAccess::Write, handle.Put()) != kRegistryOk) return false;
        for (const WideString& name : values) {
            const RegistryStatus status = backend_.DeleteValue(handle.Get(), name.Data());
            ok = ok && (status == kRegistryOk || status == kRegistryNotFound);
        }
    }
    if (keepsSubkey) ok = PruneKey(JoinPath(path, keptName), keep.substr(slash + 1)) && ok;
    return ok;
}

#include "store/memory_registry.h"

#include <algorithm>
#include <cstring>

#include "toolkit/case_fold.h"

enum : RegistryStatus { kRegistryKeyDeleted = 1018 };  // ERROR_KEY_DELETED

namespace {

constexpr std::size_t kMaxKeyNameLength = 255;

// Splits a key path at backslashes. As in the registry, a leading backslash makes the path
// invalid, and doubled or trailing ones are passed over.
RegistryStatus SplitPath(const char16_t* path, std::vector<WideString>* parts) {
    parts->clear();
    if (path == nullptr) return kRegistryInvalidParameter;
    std::u16string_view rest(path);
    if (!rest.empty() && rest[0] == u'\\') return kRegistryBadPathname;
    while (!rest.empty()) {
        const std::size_t slash = rest.find(u'\\');
        const std::u16string_view part = rest.substr(0, slash);
        if (part.size() > kMaxKeyNameLength) return kRegistryInvalidParameter;
        if (!part.empty()) parts->push_back(WideString(part));
        if (slash == std::u16string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    return kRegistryOk;
}

bool NameLess(const WideString& a, const WideString& b) {
    const std::u16string_view x = a.View(), y = b.View();
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
        const char16_t cx = UpcaseUnit(x[i]), cy = UpcaseUnit(y[i]);
        if (cx != cy) return cx < cy;
    }
    return x.size() < y.size();
}

std::u16string_view NameOf(const char16_t* name) { return name == nullptr ? std::u16string_view() : name; }

void Collect(const MemoryRegistry::Key& key, const WideString& path, std::vector<MemoryRegistry::Entry>* out) {
    for (const auto& value : key.values) out->push_back({path, value.name, value.type, value.bytes});
    for (const auto& sub : key.subkeys) {
        WideString subpath = path;
        if (!subpath.IsEmpty()) subpath.Append(u'\\');
        subpath.Append(sub.name);
        Collect(sub, subpath, out);
    }
}

}  // namespace

MemoryRegistry::MemoryRegistry() { root_.name = WideString(u""); }

MemoryRegistry::Key* MemoryRegistry::Walk(const std::vector<WideString>& path, bool create) {
    Key* key = &root_;
    for (const WideString& part : path) {
        auto it = std::lower_bound(key->subkeys.begin(), key->subkeys.end(), part,
                                   [](const Key& k, const WideString& n) { return NameLess(k.name, n); });
        if (it == key->subkeys.end() || !RegistryNamesEqual(it->name.View(), part.View())) {
            if (!create) return nullptr;
            Key fresh;
            fresh.name = part;
            fresh.serial = nextSerial_++;
            it = key->subkeys.insert(it, std::move(fresh));
        }
        key = &*it;
    }
    return key;
}

const MemoryRegistry::Key* MemoryRegistry::Walk(const std::vector<WideString>& path) const {
    return const_cast<MemoryRegistry*>(this)->Walk(path, false);
}

RegistryStatus MemoryRegistry::Open(const char16_t* path, bool create, bool read, bool write, RegistryKeyId* key) {
    *key = 0;
    std::vector<WideString> parts;
    if (const RegistryStatus status = SplitPath(path, &parts); status != kRegistryOk) return status;
    Key* found = Walk(parts, create);
    if (found == nullptr) return kRegistryNotFound;
    const RegistryKeyId id = nextHandle_;
    nextHandle_ += 4;
    handles_[id] = Handle{std::move(parts), found->serial, read, write};
    *key = id;
    return kRegistryOk;
}

RegistryStatus MemoryRegistry::CreateKey(const char16_t* path, RegistryKeyId* key) {
    // KEY_WRITE: set values and create subkeys, but neither query nor enumerate.
    return Open(path, true, false, true, key);
}

RegistryStatus MemoryRegistry::OpenKey(const char16_t* path, KeyAccess access, RegistryKeyId* key) {
    return Open(path, false, true, access == KeyAccess::Write, key);
}

MemoryRegistry::Key* MemoryRegistry::Resolve(RegistryKeyId key, bool write, RegistryStatus* status) {
    const auto it = handles_.find(key);
    if (it == handles_.end()) {
        *status = kRegistryInvalidParameter;  // ERROR_INVALID_HANDLE in the registry
        return nullptr;
    }
    if (write ? !it->second.canWrite : !it->second.canRead) {
        *status = kRegistryAccessDenied;
        return nullptr;
    }
    Key* found = Walk(it->second.path, false);
    if (found == nullptr || found->serial != it->second.serial) {
        *status = kRegistryKeyDeleted;
        return nullptr;
    }
    *status = kRegistryOk;
    return found;
}

RegistryStatus MemoryRegistry::SetValue(RegistryKeyId key, const char16_t* name, std::uint32_t type,
                                        const void* data, std::uint32_t size) {
    RegistryStatus status;
    Key* found = Resolve(key, true, &status);
    if (found == nullptr) return status;
    if (data == nullptr && size != 0) return kRegistryInvalidParameter;
    const std::u16string_view wanted = NameOf(name);
    auto it = std::find_if(found->values.begin(), found->values.end(),
                           [&](const Value& v) { return RegistryNamesEqual(v.name.View(), wanted); });
    if (it == found->values.end()) {
        found->values.push_back(Value{WideString(wanted), type, {}});
        it = found->values.end() - 1;
    }
    it->type = type;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    it->bytes.assign(bytes, bytes + size);
    return kRegistryOk;
}

RegistryStatus MemoryRegistry::QueryValue(RegistryKeyId key, const char16_t* name, std::uint32_t* type,
                                          void* data, std::uint32_t* size) {
    RegistryStatus status;
    Key* found = Resolve(key, false, &status);
    if (found == nullptr) return status;
    if (data != nullptr && size == nullptr) return kRegistryInvalidParameter;
    const std::u16string_view wanted = NameOf(name);
    const auto it = std::find_if(found->values.begin(), found->values.end(),
                                 [&](const Value& v) { return RegistryNamesEqual(v.name.View(), wanted); });
    if (it == found->values.end()) return kRegistryNotFound;
    if (type != nullptr) *type = it->type;
    const auto stored = static_cast<std::uint32_t>(it->bytes.size());
    if (data != nullptr && *size < stored) {
        *size = stored;
        return kRegistryMoreData;
    }
    if (data != nullptr && stored != 0) std::memcpy(data, it->bytes.data(), stored);
    if (size != nullptr) *size = stored;
    return kRegistryOk;
}

RegistryStatus MemoryRegistry::DeleteValue(RegistryKeyId key, const char16_t* name) {
    RegistryStatus status;
    Key* found = Resolve(key, true, &status);
    if (found == nullptr) return status;
    const std::u16string_view wanted = NameOf(name);
    const auto it = std::find_if(found->values.begin(), found->values.end(),
                                 [&](const Value& v) { return RegistryNamesEqual(v.name.View(), wanted); });
    if (it == found->values.end()) return kRegistryNotFound;
    found->values.erase(it);
    return kRegistryOk;
}

RegistryStatus MemoryRegistry::EnumSubkey(RegistryKeyId key, std::uint32_t index, WideString* name) {
    RegistryStatus status;
    Key* found = Resolve(key, false, &status);
    if (found == nullptr) return status;
    if (index >= found->subkeys.size()) return kRegistryNoMoreItems;
    *name = found->subkeys[index].name;
    return kRegistryOk;
}

RegistryStatus MemoryRegistry::EnumValue(RegistryKeyId key, std::uint32_t index, WideString* name) {
    RegistryStatus status;
    Key* found = Resolve(key, false, &status);
    if (found == nullptr) return status;
    if (index >= found->values.size()) return kRegistryNoMoreItems;
    *name = found->values[index].name;
    return kRegistryOk;
}

RegistryStatus MemoryRegistry::DeleteTree(const char16_t* path) {
    std::vector<WideString> parts;
    if (const RegistryStatus status = SplitPath(path, &parts); status != kRegistryOk) return status;
    // The root of the tree stands for HKEY_CURRENT_USER itself, which cannot be deleted.
    if (parts.empty()) return kRegistryAccessDenied;
    const WideString last = parts.back();
    parts.pop_back();
    Key* parent = Walk(parts, false);
    if (parent == nullptr) return kRegistryNotFound;
    const auto it = std::find_if(parent->subkeys.begin(), parent->subkeys.end(),
                                 [&](const Key& k) { return RegistryNamesEqual(k.name.View(), last.View()); });
    if (it == parent->subkeys.end()) return kRegistryNotFound;
    parent->subkeys.erase(it);
    return kRegistryOk;
}

void MemoryRegistry::CloseKey(RegistryKeyId key) { handles_.erase(key); }

bool MemoryRegistry::HasKey(std::u16string_view path) const {
    std::vector<WideString> parts;
    const std::u16string copy(path);
    return SplitPath(copy.c_str(), &parts) == kRegistryOk && Walk(parts) != nullptr;
}

std::vector<MemoryRegistry::Entry> MemoryRegistry::Entries() const {
    std::vector<Entry> out;
    Collect(root_, WideString(u""), &out);
    return out;
}

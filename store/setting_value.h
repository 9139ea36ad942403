#pragma once
// Option objects: each knows its key, its current value and a remembered value for
// cancelling edits, and loads and saves itself as decimal text through the store.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/wide_string.h"

class SettingsStore;

class SettingValue {
public:
    virtual ~SettingValue() = default;
    virtual const WideString& GetKey() const = 0;
    virtual void SetKey(const WideString& name) = 0;
    // Both return false only without a store; a value that cannot be read stays as it was.
    virtual bool Load(SettingsStore* store, const WideString& section) = 0;
    virtual bool Save(SettingsStore* store, const WideString& section) = 0;
};

// Shared body of BoolSetting and IntSetting. A default, once set, makes Save delete the
// stored value while the current value equals it, so a default leaves no trace.
template <typename T>
class NumericSetting : public SettingValue {
public:
    explicit NumericSetting(T initial) : value_(initial), remembered_(initial) {}

    const WideString& GetKey() const override { return key_; }
    void SetKey(const WideString& name) override { key_ = name; }
    bool Load(SettingsStore* store, const WideString& section) override;
    bool Save(SettingsStore* store, const WideString& section) override;

    virtual void SetDefault(T value) { hasDefault_ = true; defaultValue_ = value; }
    virtual T GetDefault() const { return defaultValue_; }
    virtual bool HasDefault() const { return hasDefault_; }

    virtual T Get() const { return value_; }
    virtual void Set(T value) { value_ = value; }
    virtual bool IsModified() const { return value_ != remembered_; }
    virtual void Remember() { remembered_ = value_; }
    virtual void Revert() { value_ = remembered_; }

protected:
    WideString key_ = WideString(u"");
    T value_;
    T remembered_;
    bool hasDefault_ = false;
    T defaultValue_ = T();
};

extern template class NumericSetting<bool>;
extern template class NumericSetting<std::int32_t>;

// Stored as "0" or "1"; any stored number other than 0 loads as true.
class BoolSetting : public NumericSetting<bool> {
public:
    explicit BoolSetting(bool initial = false) : NumericSetting<bool>(initial) {}
};

class IntSetting : public NumericSetting<std::int32_t> {
public:
    explicit IntSetting(std::int32_t initial = 0) : NumericSetting<std::int32_t>(initial) {}
};

// Loads or saves a set of options against one section. Holds the options and the store
// without owning them.
class SettingsList {
public:
    explicit SettingsList(SettingsStore* store) : store_(store) {}
    SettingsList(const SettingsList&) = delete;
    SettingsList& operator=(const SettingsList&) = delete;

    // Renames the value; appends it unless already listed. Returns whether it was appended.
    bool Register(SettingValue* value, const WideString& key);
    void LoadAll(const WideString& section);
    void SaveAll(const WideString& section);
    void Clear() { values_.clear(); }

    std::size_t Count() const { return values_.size(); }
    SettingValue* At(std::size_t i) const { return values_[i]; }
    SettingsStore* Store() const { return store_; }

private:
    SettingsStore* store_;
    std::vector<SettingValue*> values_;
};

#include "store/setting_value.h"

#include <algorithm>

#include "store/settings_store.h"

template <typename T>
bool NumericSetting<T>::Load(SettingsStore* store, const WideString& section) {
    if (store == nullptr) return false;
    WideString text;
    // A missing or empty-bytes value keeps the current value; only the current value moves.
    if (store->ReadString(section, key_, text)) value_ = static_cast<T>(text.ToInt());
    return true;
}

template <typename T>
bool NumericSetting<T>::Save(SettingsStore* store, const WideString& section) {
    if (store == nullptr) return false;
    if (hasDefault_ && value_ == defaultValue_) return store->WriteString(section, key_, WideString::Null());
    return store->WriteInt(section, key_, static_cast<std::int32_t>(value_));
}

template class NumericSetting<bool>;
template class NumericSetting<std::int32_t>;

bool SettingsList::Register(SettingValue* value, const WideString& key) {
    if (value == nullptr) return false;
    value->SetKey(key);
    if (std::find(values_.begin(), values_.end(), value) != values_.end()) return false;
    values_.push_back(value);
    return true;
}

void SettingsList::LoadAll(const WideString& section) {
    for (SettingValue* value : values_) value->Load(store_, section);
}

void SettingsList::SaveAll(const WideString& section) {
    for (SettingValue* value : values_) value->Save(store_, section);
}

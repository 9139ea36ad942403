#pragma once
// "ExcludePrograms": program file names stored joined by '|' and edited one a line.
#include "engine/exclusions.h"
#include "store/settings_store.h"
#include "toolkit/win32/bindings.h"

class BoundProgramListSetting final : public BoundStringSetting {
public:
    // An empty list leaves no value behind, so an installation without one stores nothing.
    bool Save(SettingsStore* store, const WideString& section) override {
        if (!Get().IsEmpty()) return BoundStringSetting::Save(store, section);
        return store != nullptr && store->WriteString(section, GetKey(), WideString::Null());
    }

protected:
    WideString Shown(const WideString& value) const override { return WideString(ProgramListToLines(value.View())); }
    WideString FromShown(const WideString& shown) const override {
        return WideString(ProgramListFromLines(shown.View()));
    }
};

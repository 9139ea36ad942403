#pragma once
// The dialog "Строка" (resource 111): edits a hotkey item, what reaches it (a chord's key with
// Ctrl or Shift, or a typed abbreviation) and the text it types, on as many lines as the user
// likes.
#include <windows.h>

#include "engine/hotkey.h"
#include "toolkit/wide_string.h"
#include "toolkit/win32/dialog.h"

class TextEditDialog : public DialogEntity {
public:
    TextEditDialog() = default;

    // Set before the dialog runs; after it ended with 1 (OK) it holds the edited text.
    const WideString& Text() const { return text_; }
    void SetText(const WideString& text) { text_ = text; }
    // The chord, likewise; a key code of 0 is no key yet, as for a new item.
    std::uint16_t KeyCode() const { return keyCode_; }
    std::int32_t ExtraModifier() const { return extraModifier_; }
    void SetChord(std::uint16_t keyCode, std::int32_t extraModifier) {
        keyCode_ = keyCode;
        extraModifier_ = extraModifier;
    }
    // The abbreviation, null while the item is a chord's; after OK it tells which kind the user
    // chose. "Сразу" goes with it.
    const WideString& Abbreviation() const { return abbreviation_; }
    bool Immediate() const { return immediate_; }
    void SetAbbreviation(const WideString& abbreviation, bool immediate) {
        abbreviation_ = abbreviation;
        immediate_ = immediate;
    }
    // The item's own way of inserting, or kWayAsSettings.
    std::int32_t Way() const { return way_; }
    void SetWay(std::int32_t way) { way_ = way; }
    // The main modifier shown before the key, as the settings have it ("HotKey2").
    void SetModifierMode(std::int32_t mode) { modifierMode_ = mode; }
    // OK refuses a chord, or an abbreviation ignoring case, that an item of this table other
    // than `self` has already.
    void CheckAgainst(const HotkeyTable& table, std::int32_t self) {
        table_ = &table;
        self_ = self;
    }

    // Shows the chord or the abbreviation and the text. The focus goes to the first tab stop,
    // the OK button, or to the key field when a new item has no key yet.
    INT_PTR OnInitDialog() override;
    // The kind's radio buttons enable its own fields. OK takes the chord or the abbreviation
    // and the edit's text back, unless the chord or the abbreviation is missing, malformed or
    // taken, which it says and leaves the dialog open with nothing lost.
    INT_PTR OnCommand(WPARAM wparam, LPARAM lparam) override;

private:
    bool ReadChord();
    bool ReadAbbreviation();
    bool SameChord(std::uint16_t keyCode, std::int32_t extraModifier) const;
    bool ByAbbreviation() const;
    void EnableKindFields();

    WideString text_ = WideString(u"");
    std::uint16_t keyCode_ = 0;
    std::int32_t extraModifier_ = kModifierNone;
    std::int32_t modifierMode_ = 0;
    std::int32_t way_ = kWayAsSettings;
    WideString abbreviation_;
    bool immediate_ = false;
    const HotkeyTable* table_ = nullptr;
    std::int32_t self_ = -1;
};

// The caption of a chord, as the hotkey list shows it, with the key's Windows name.
WideString ChordCaption(std::uint16_t keyCode, std::int32_t extraModifier);

#pragma once
// Control bindings tie a setting to a dialog control: show the value when the dialog opens,
// read the control back when the user changes it, put the opening value back on Cancel.
// A bound setting is one object that is both the setting value and its binding, so the two
// never hold diverging copies.
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/setting_value.h"
#include "toolkit/wide_string.h"

class ControlBinding {
public:
    ControlBinding() = default;
    virtual ~ControlBinding() = default;
    ControlBinding(const ControlBinding&) = delete;
    ControlBinding& operator=(const ControlBinding&) = delete;

    virtual int GetControlId() const { return controlId_; }
    virtual void SetControlId(int id) { controlId_ = id; }
    // Null detaches.
    virtual void SetDialog(HWND dialog);
    // Keeps a page stored by SetDialog (the enclosing dialog may be given here), finds the
    // control in it and shows the current value.
    virtual void Attach(HWND dialog);
    // The arguments of a WM_COMMAND that reached the dialog; reads the control back when the
    // command concerns it. Returns 0, or kCommandLeftForLater.
    virtual int HandleCommand(HWND dialog, WPARAM wparam, LPARAM lparam) = 0;
    // What a radio run returns after reading itself, and an edit while it waits for the focus
    // to leave; no caller acts on it, but the bindings' protocol fixes the value.
    static constexpr int kCommandLeftForLater = 6;
    // Reads the control back when the notification comes from the bound control id.
    virtual int HandleNotify(HWND dialog, int controlId, const NMHDR* header);
    virtual void Announce() { ShowInControl(); }
    virtual void Remember() = 0;
    virtual void Revert() = 0;
    // Nothing happens while the control does not exist.
    virtual void ShowInControl() = 0;

    HWND Dialog() const { return dialog_; }
    // The attached control, or null when there is none (or it is gone).
    HWND Control() const;

protected:
    // Stores the control's state as the current value.
    virtual void TakeFromControl() = 0;

private:
    int controlId_ = 0;
    HWND dialog_ = nullptr;
    HWND control_ = nullptr;
};

// A check box with a boolean value (any check state but 0 reads as 1) or an integer value
// (the check state itself: 0, 1 or 2 = indeterminate for a three-state box).
class CheckBinding : public ControlBinding {
public:
    enum class Kind { Boolean, Integer };
    explicit CheckBinding(Kind kind) : kind_(kind) {}

    std::int32_t ReadFromControl() const;
    void ShowInControl() override;
    int HandleCommand(HWND dialog, WPARAM wparam, LPARAM lparam) override;

protected:
    virtual std::int32_t CheckValue() const = 0;
    virtual void StoreCheckValue(std::int32_t value) = 0;
    void TakeFromControl() override { StoreCheckValue(ReadFromControl()); }

private:
    Kind kind_;
};

// A run of auto radio buttons holding an index; the control id is the run's first button,
// and the run ends before a window that is not an auto radio button or that starts a group.
class RadioGroupBinding : public ControlBinding {
public:
    std::int32_t ReadFromControl() const;
    void ShowInControl() override;
    int HandleCommand(HWND dialog, WPARAM wparam, LPARAM lparam) override;

protected:
    virtual std::int32_t Index() const = 0;
    virtual void StoreIndex(std::int32_t index) = 0;
    void TakeFromControl() override { StoreIndex(ReadFromControl()); }
};

// An edit control holding a string, read back when it loses the focus, or when its text is
// changed while it has no focus (that is, by the program).
class EditBinding : public ControlBinding {
public:
    WideString ReadFromControl() const;
    void ShowInControl() override;
    int HandleCommand(HWND dialog, WPARAM wparam, LPARAM lparam) override;

protected:
    virtual const WideString& Text() const = 0;
    virtual void StoreText(const WideString& text) = 0;
    // What the edit shows of a value, and the value of what it shows: the same text unless a
    // setting shows its value in another form.
    virtual WideString Shown(const WideString& value) const { return value; }
    virtual WideString FromShown(const WideString& shown) const { return shown; }
    void TakeFromControl() override { StoreText(FromShown(ReadFromControl())); }

private:
    // Process-wide: set while the program writes an edit's text, so the change notifications
    // that this sends cannot start a nested write.
    static bool showing_;
};

// The list of bindings a settings dialog drives; it does not own them.
class BindingList {
public:
    // Appends unless already listed; returns whether it was appended.
    bool Add(ControlBinding* binding);
    // When the dialog has initialised: remember each value, then show it in its control.
    void RememberAndAttach(HWND dialog);
    // Cancel reverts every value and detaches; OK first moves the focus to the OK button, so
    // an edit being typed in is read back while still attached, then detaches; any other
    // command goes to every binding.
    void HandleCommand(HWND dialog, WPARAM wparam, LPARAM lparam);
    void HandleNotify(HWND dialog, int controlId, const NMHDR* header);
    // Detaches every binding and empties the list.
    void DetachAll();

    std::size_t Count() const { return bindings_.size(); }
    ControlBinding* At(std::size_t i) const { return bindings_[i]; }

private:
    std::vector<ControlBinding*> bindings_;
};

// A boolean option shown in a check box.
class BoundBoolSetting : public BoolSetting, public CheckBinding {
public:
    explicit BoundBoolSetting(bool initial = false) : BoolSetting(initial), CheckBinding(Kind::Boolean) {}
    void Remember() override { BoolSetting::Remember(); }
    void Revert() override { BoolSetting::Revert(); }

protected:
    std::int32_t CheckValue() const override { return Get() ? 1 : 0; }
    void StoreCheckValue(std::int32_t value) override { Set(value != 0); }
};

// An integer option shown in a (usually three-state) check box.
class BoundIntSetting : public IntSetting, public CheckBinding {
public:
    explicit BoundIntSetting(std::int32_t initial = 0) : IntSetting(initial), CheckBinding(Kind::Integer) {}
    void Remember() override { IntSetting::Remember(); }
    void Revert() override { IntSetting::Revert(); }

protected:
    std::int32_t CheckValue() const override { return Get(); }
    void StoreCheckValue(std::int32_t value) override { Set(value); }
};

// An integer option chosen by a run of radio buttons.
class BoundRadioSetting : public IntSetting, public RadioGroupBinding {
public:
    explicit BoundRadioSetting(std::int32_t initial = 0) : IntSetting(initial) {}
    void Remember() override { IntSetting::Remember(); }
    void Revert() override { IntSetting::Revert(); }

protected:
    std::int32_t Index() const override { return Get(); }
    void StoreIndex(std::int32_t index) override { Set(index); }
};

// A text option shown in an edit control, stored as it stands (a null text deletes the value).
class BoundStringSetting : public SettingValue, public EditBinding {
public:
    explicit BoundStringSetting(const WideString& initial = WideString(u""))
        : value_(initial), remembered_(initial) {}

    const WideString& GetKey() const override { return key_; }
    void SetKey(const WideString& name) override { key_ = name; }
    // A value that cannot be read stays as it was; false only without a store.
    bool Load(SettingsStore* store, const WideString& section) override;
    bool Save(SettingsStore* store, const WideString& section) override;

    const WideString& Get() const { return value_; }
    void Set(const WideString& value) { value_ = value; }
    bool IsModified() const { return value_.IsNull() != remembered_.IsNull() || value_.View() != remembered_.View(); }
    void Remember() override { remembered_ = value_; }
    void Revert() override { value_ = remembered_; }

protected:
    const WideString& Text() const override { return value_; }
    void StoreText(const WideString& text) override { value_ = text; }

private:
    WideString key_ = WideString(u"");
    WideString value_;
    WideString remembered_;
};

#pragma once
// "PasteLongerThan" and "SheetDelay": a check box (the bound control) with an edit for the number just after
// it in the page (the next control id). 0 is off; the edit keeps its number while the box is
// clear, so ticking the box again brings the number back.
#include "toolkit/win32/bindings.h"

class BoundThresholdSetting final : public IntSetting, public ControlBinding {
public:
    explicit BoundThresholdSetting(std::int32_t shownWhenOff, std::int32_t initial = 0)
        : IntSetting(initial), shown_(shownWhenOff) {}
    void Remember() override { IntSetting::Remember(); }
    void Revert() override { IntSetting::Revert(); }
    void ShowInControl() override;
    int HandleCommand(HWND dialog, WPARAM wparam, LPARAM lparam) override;

protected:
    void TakeFromControl() override;

private:
    HWND NumberEdit() const;
    std::int32_t shown_;
    bool showing_ = false;
};

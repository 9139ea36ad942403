#pragma once
// Every window of the program is a dialog from a resource, driven by an object derived from
// DialogEntity. DialogProc finds the object through the window property "DLG_ENTITY" and
// hands it each message; WindowProc splits the common ones into typed handlers.
#include <windows.h>

class DialogEntity {
public:
    DialogEntity() = default;
    // Unbinds a window that outlives its object, so later messages find no object.
    virtual ~DialogEntity();
    DialogEntity(const DialogEntity&) = delete;
    DialogEntity& operator=(const DialogEntity&) = delete;

    // The base dispatch, reached without virtual dispatch so an overriding WindowProc can
    // fall back to it.
    virtual INT_PTR DefaultProc(UINT message, WPARAM wparam, LPARAM lparam);
    virtual INT_PTR WindowProc(UINT message, WPARAM wparam, LPARAM lparam);

    // wparam exactly 1 is OK and exactly 2 Cancel: a notification code other than 0 is not a click.
    virtual INT_PTR OnCommand(WPARAM wparam, LPARAM lparam);
    // result points at a scratch copy of lparam; what a handler leaves there is dropped.
    virtual INT_PTR OnNotify(int controlId, NMHDR* header, LRESULT* result);
    virtual INT_PTR OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage);
    virtual void OnSize(UINT type, int width, int height);
    virtual void OnMove(int x, int y);
    virtual void OnSizing(UINT edge, RECT* rect);
    virtual void OnShowWindow(BOOL shown, UINT status);
    virtual void OnOK();
    virtual void OnCancel();
    // 1 lets the system give the focus to the first tab stop.
    virtual INT_PTR OnInitDialog();
    virtual void OnDestroy();
    virtual INT_PTR OnCreate(CREATESTRUCTW* create);
    virtual void OnLButtonDown(UINT keys, int x, int y);
    virtual void OnLButtonUp(UINT keys, int x, int y);
    virtual void OnRButtonDown(UINT keys, int x, int y);
    virtual void OnRButtonUp(UINT keys, int x, int y);
    virtual void OnMouseMove(UINT keys, int x, int y);
    virtual void OnMouseLeave();
    virtual void OnTimer(UINT_PTR timerId);
    virtual void OnPaint();
    virtual void OnDrawItem(UINT controlId, DRAWITEMSTRUCT* item);

    // Both use the program's own module, so every template comes from the program's resources.
    // The creation calls' results are passed on unchanged (null; 0 or -1).
    HWND CreateModeless(int templateId, HWND parent);
    INT_PTR RunModal(int templateId, HWND parent);

    // Null before WM_INITDIALOG and again once the window is gone.
    HWND Window() const { return window_; }

private:
    friend INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
    HWND window_ = nullptr;
};

// The dialog procedure of every dialog of the program. The initialisation parameter of the
// creation call is the DialogEntity; without one the dialog answers 0 to everything.
INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;

// A page of the settings dialog: its commands go to the settings dialog too, which holds the
// bindings of the page's controls.
class SettingsPage : public DialogEntity {
public:
    INT_PTR OnCommand(WPARAM wparam, LPARAM lparam) override;
};

#include "toolkit/win32/dialog.h"

#include <cstdint>

namespace {

constexpr wchar_t kEntityProperty[] = L"DLG_ENTITY";

// Mouse and window positions are signed 16-bit words: negative beyond the left or top
// edge, on a monitor left of the primary one, or while the mouse is captured.
int SignedLow(LPARAM value) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF)); }
int SignedHigh(LPARAM value) { return static_cast<std::int16_t>(static_cast<std::uint16_t>((value >> 16) & 0xFFFF)); }
// Sizes, hit-test codes and message numbers are taken as unsigned words.
UINT UnsignedLow(LPARAM value) { return static_cast<UINT>(value & 0xFFFF); }
UINT UnsignedHigh(LPARAM value) { return static_cast<UINT>((value >> 16) & 0xFFFF); }

DialogEntity* EntityOf(HWND window) { return static_cast<DialogEntity*>(::GetPropW(window, kEntityProperty)); }

}  // namespace

DialogEntity::~DialogEntity() {
    if (window_ && ::IsWindow(window_) && EntityOf(window_) == this) ::RemovePropW(window_, kEntityProperty);
}

INT_PTR DialogEntity::DefaultProc(UINT message, WPARAM wparam, LPARAM lparam) {
    return DialogEntity::WindowProc(message, wparam, lparam);
}

INT_PTR DialogEntity::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTW*>(lparam));
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_MOVE:
        OnMove(SignedLow(lparam), SignedHigh(lparam));
        return 0;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wparam), static_cast<int>(UnsignedLow(lparam)), static_cast<int>(UnsignedHigh(lparam)));
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SHOWWINDOW:
        OnShowWindow(static_cast<BOOL>(wparam), static_cast<UINT>(lparam));
        return 0;
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wparam), UnsignedLow(lparam), UnsignedHigh(lparam));
    case WM_DRAWITEM:
        OnDrawItem(static_cast<UINT>(wparam), reinterpret_cast<DRAWITEMSTRUCT*>(lparam));
        return 0;
    case WM_NOTIFY: {
        LRESULT scratch = lparam;
        return OnNotify(static_cast<int>(wparam), reinterpret_cast<NMHDR*>(lparam), &scratch);
    }
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(wparam, lparam);
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wparam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wparam), SignedLow(lparam), SignedHigh(lparam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wparam), SignedLow(lparam), SignedHigh(lparam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wparam), SignedLow(lparam), SignedHigh(lparam));
        return 0;
    case WM_RBUTTONDOWN:
        OnRButtonDown(static_cast<UINT>(wparam), SignedLow(lparam), SignedHigh(lparam));
        return 0;
    case WM_RBUTTONUP:
        OnRButtonUp(static_cast<UINT>(wparam), SignedLow(lparam), SignedHigh(lparam));
        return 0;
    case WM_SIZING:
        OnSizing(static_cast<UINT>(wparam), reinterpret_cast<RECT*>(lparam));
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    default:
        return 0;
    }
}

INT_PTR DialogEntity::OnCommand(WPARAM wparam, LPARAM) {
    if (wparam == IDOK) OnOK();
    else if (wparam == IDCANCEL) OnCancel();
    return 0;
}

INT_PTR DialogEntity::OnNotify(int, NMHDR*, LRESULT*) { return 1; }
INT_PTR DialogEntity::OnSetCursor(HWND, UINT, UINT) { return 0; }
void DialogEntity::OnSize(UINT, int, int) {}
void DialogEntity::OnMove(int, int) {}
void DialogEntity::OnSizing(UINT, RECT*) {}
void DialogEntity::OnShowWindow(BOOL, UINT) {}
void DialogEntity::OnOK() { ::EndDialog(window_, IDOK); }
void DialogEntity::OnCancel() { ::EndDialog(window_, IDCANCEL); }
INT_PTR DialogEntity::OnInitDialog() { return 1; }
void DialogEntity::OnDestroy() {}
INT_PTR DialogEntity::OnCreate(CREATESTRUCTW*) { return 0; }
void DialogEntity::OnLButtonDown(UINT, int, int) {}
void DialogEntity::OnLButtonUp(UINT, int, int) {}
void DialogEntity::OnRButtonDown(UINT, int, int) {}
void DialogEntity::OnRButtonUp(UINT, int, int) {}
void DialogEntity::OnMouseMove(UINT, int, int) {}
void DialogEntity::OnMouseLeave() {}
void DialogEntity::OnTimer(UINT_PTR) {}
void DialogEntity::OnPaint() {}
void DialogEntity::OnDrawItem(UINT, DRAWITEMSTRUCT*) {}

HWND DialogEntity::CreateModeless(int templateId, HWND parent) {
    window_ = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    return window_;
}

INT_PTR DialogEntity::RunModal(int templateId, HWND parent) {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
    if (message == WM_SETFONT) return 0;
    if (message == WM_INITDIALOG) {
        if (!lparam) return 0;
        auto* created = reinterpret_cast<DialogEntity*>(lparam);
        ::SetPropW(window, kEntityProperty, created);
        created->window_ = window;
    }
    DialogEntity* entity = EntityOf(window);
    if (!entity) return 0;
    INT_PTR result = 0;
#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
    try {
        result = entity->WindowProc(message, wparam, lparam);
    } catch (...) {
        result = 0;
    }
#else
    // Built without exceptions: the noexcept ends the process rather than let an exception
    // from the library unwind through the system's frames.
    result = entity->WindowProc(message, wparam, lparam);
#endif
    if (message == WM_NCDESTROY) {
        // The object usually outlives its window; it must not keep a handle that may be reused.
        ::RemovePropW(window, kEntityProperty);
        entity->window_ = nullptr;
    }
    return result;
}

INT_PTR SettingsPage::OnCommand(WPARAM wparam, LPARAM lparam) {
    ::SendMessageW(::GetParent(Window()), WM_COMMAND, wparam, lparam);
    return DialogEntity::OnCommand(wparam, lparam);
}

#pragma once
// One movable, non-copyable owner per handle kind; a handle a function returns is wrapped.
#include <windows.h>
#include <objbase.h>

#include <utility>

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : handle_(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
    void Reset(Handle h = Traits::Invalid()) {
        if (handle_ != Traits::Invalid()) Traits::Close(handle_);
        handle_ = h;
    }

private:
    Handle handle_ = Traits::Invalid();
};

#define VELLORY_HANDLE_TRAITS(Name, Type, CloseCall)         \
    struct Name {                                            \
        static Type Invalid() { return nullptr; }            \
        static void Close(Type h) { CloseCall; }             \
    }

VELLORY_HANDLE_TRAITS(KeyTraits, HKEY, ::RegCloseKey(h));
VELLORY_HANDLE_TRAITS(IconTraits, HICON, ::DestroyIcon(h));
VELLORY_HANDLE_TRAITS(FontTraits, HFONT, ::DeleteObject(h));
VELLORY_HANDLE_TRAITS(BitmapTraits, HBITMAP, ::DeleteObject(h));
VELLORY_HANDLE_TRAITS(MemoryDcTraits, HDC, ::DeleteDC(h));
VELLORY_HANDLE_TRAITS(MenuTraits, HMENU, ::DestroyMenu(h));
VELLORY_HANDLE_TRAITS(MessageHookTraits, HHOOK, ::UnhookWindowsHookEx(h));
VELLORY_HANDLE_TRAITS(KernelHandleTraits, HANDLE, ::CloseHandle(h));
VELLORY_HANDLE_TRAITS(WindowTraits, HWND, ::DestroyWindow(h));
#undef VELLORY_HANDLE_TRAITS

using UniqueKey = UniqueHandle<HKEY, KeyTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueFont = UniqueHandle<HFONT, FontTraits>;
using UniqueBitmap = UniqueHandle<HBITMAP, BitmapTraits>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueMessageHook = UniqueHandle<HHOOK, MessageHookTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;

// An icon resource of this program at size x size pixels, owned; empty when it cannot be loaded.
inline UniqueIcon LoadIconResource(int id, int size) {
    return UniqueIcon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                      size, size, LR_DEFAULTCOLOR)));
}

// The sizes the system shows small icons (captions, the tray) and large ones (Alt+Tab) at, for
// the DPI this program runs at: a frame of that size is picked, never one stretched.
inline UniqueIcon LoadSmallIcon(int id) { return LoadIconResource(id, ::GetSystemMetrics(SM_CXSMICON)); }
inline UniqueIcon LoadLargeIcon(int id) { return LoadIconResource(id, ::GetSystemMetrics(SM_CXICON)); }

// A device context from GetDC, released to its window.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() { if (dc_) ::ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC and selects the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect() { if (previous_) ::SelectObject(dc_, previous_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// COM initialised for the lifetime of the object, when the call succeeded.
class ComInit {
public:
    ComInit() : ok_(SUCCEEDED(::CoInitialize(nullptr))) {}
    ~ComInit() { if (ok_) ::CoUninitialize(); }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;

private:
    bool ok_;
};

// Releases a COM interface pointer.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    Interface* operator->() const { return ptr_; }
    Interface* Get() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    void** PutVoid() { Reset(); return reinterpret_cast<void**>(&ptr_); }
    void Reset() { if (ptr_) { ptr_->Release(); ptr_ = nullptr; } }

private:
    Interface* ptr_ = nullptr;
};

#include "engine/win32/clipboard_swap.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr wchar_t kClassName[] = L"VelloryClipboard";
constexpr UINT kPlace = WM_APP + 1;   // lparam: the text, a heap std::u16string
constexpr UINT kPasted = WM_APP + 2;  // wparam: the delay
constexpr UINT kQuit = WM_APP + 3;
constexpr UINT_PTR kRestoreTimer = 1;
constexpr UINT kRestoreTickMs = 50;
// Another program may hold the clipboard open for a moment (a clipboard manager reading it).
constexpr int kOpenTries = 10;
constexpr DWORD kOpenPauseMs = 30;
// An owner that does not answer this fast would hold the thread up rendering its data.
constexpr UINT kOwnerAnswerMs = 250;

// Formats whose data is a memory block the clipboard frees: a copy of the block brings them
// back. Handles of pictures and palettes, and private formats, cannot be copied that way.
bool IsMemoryFormat(UINT format) {
    switch (format) {
        case CF_BITMAP:
        case CF_METAFILEPICT:
        case CF_PALETTE:
        case CF_ENHMETAFILE:
        case CF_OWNERDISPLAY:
        case CF_DSPBITMAP:
        case CF_DSPMETAFILEPICT:
        case CF_DSPENHMETAFILE:
            return false;
        default:
            return !(format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) &&
                   !(format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST);
    }
}

struct GlobalTraits {
    static HGLOBAL Invalid() { return nullptr; }
    static void Close(HGLOBAL h) { ::GlobalFree(h); }
};
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalTraits>;

UniqueGlobal CopyBlock(const void* data, SIZE_T size) {
    UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block) return block;
    void* to = ::GlobalLock(block.Get());
    if (to == nullptr) return UniqueGlobal();
    std::memcpy(to, data, size);
    ::GlobalUnlock(block.Get());
    return block;
}

// Hands the block to the open clipboard, which owns it from then on.
void SetBlock(UINT format, UniqueGlobal block) {
    if (block && ::SetClipboardData(format, block.Get()) != nullptr) block.Release();
}

bool OpenClipboardFor(HWND window) {
    for (int i = 0; i < kOpenTries; ++i) {
        if (::OpenClipboard(window)) return true;
        ::Sleep(kOpenPauseMs);
    }
    return false;
}

class Worker {
public:
    Worker(HWND window, std::atomic<bool>& busy) : window_(window), busy_(busy) {}

    void Place(const std::u16string& text, HWND notify) {
        // A restore still to come would take this text away before its paste.
        ::KillTimer(window_, kRestoreTimer);
        restorePending_ = false;
        const bool opened = OpenClipboardFor(window_);
        bool placed = false;
        if (opened) {
            // Our text from a chord just before is still there: what is kept is the user's.
            const bool kept = (ours_ && ::GetClipboardOwner() == window_) || Keep();
            placed = kept && ::EmptyClipboard();
        }
        if (placed) {
            ours_ = true;
            text_ = text;
            rendered_ = false;
            // Offered, not given: the target's request tells when it has read the text.
            ::SetClipboardData(CF_UNICODETEXT, nullptr);
            SetPrivacyFormats();
        }
        if (opened) ::CloseClipboard();
        // Not placed: a text of ours still there goes back as it would have.
        if (!placed && ours_) {
            rendered_ = true;
            Pasted(0);
        }
        if (!placed && !ours_) busy_ = false;
        ::PostMessageW(notify, ClipboardSwap::kPlacedMessage, placed ? 1 : 0, 0);
    }

    void Pasted(UINT delayMs) {
        pastedAt_ = ::GetTickCount();
        delay_ = delayMs;
        restorePending_ = true;
        ::SetTimer(window_, kRestoreTimer, kRestoreTickMs, nullptr);
    }

    void OnTimer() {
        const DWORD elapsed = ::GetTickCount() - pastedAt_;
        const UINT cap = delay_ + ClipboardSwap::kRestoreCapMs;
        if (elapsed < delay_ || (!rendered_ && elapsed < cap)) return;
        if (!Restore() && elapsed < cap + 2000) return;  // held open: asked again at the next tick
        ::KillTimer(window_, kRestoreTimer);
        restorePending_ = false;
        kept_.clear();
        busy_ = false;
    }

    // The target asks for the text it pastes; the clipboard is open for it meanwhile.
    void Render() {
        SetBlock(CF_UNICODETEXT, TextBlock());
        rendered_ = true;
    }

    // The window goes while the text is still offered: give the text for real, then put back.
    void Finish() {
        if (ours_) Restore();
        ::KillTimer(window_, kRestoreTimer);
        restorePending_ = false;
        kept_.clear();
        busy_ = false;
    }

private:
    struct Kept {
        UINT format;
        UniqueGlobal data;
    };

    UniqueGlobal TextBlock() const {
        return CopyBlock(text_.c_str(), (text_.size() + 1) * sizeof(char16_t));
    }

    // False when the owner does not answer: asked to render, it would hold us up, and what
    // it holds could not be brought back; the text is then typed and the clipboard left alone.
    bool Keep() {
        kept_.clear();
        const HWND owner = ::GetClipboardOwner();
        DWORD_PTR answer = 0;
        if (owner != nullptr &&
            !::SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kOwnerAnswerMs, &answer))
            return false;
        for (UINT format = ::EnumClipboardFormats(0); format != 0; format = ::EnumClipboardFormats(format)) {
            if (!IsMemoryFormat(format)) continue;
            const HANDLE data = ::GetClipboardData(format);
            const SIZE_T size = data != nullptr ? ::GlobalSize(data) : 0;
            const void* from = size != 0 ? ::GlobalLock(data) : nullptr;
            if (from == nullptr) continue;
            UniqueGlobal copy = CopyBlock(from, size);
            ::GlobalUnlock(data);
            if (copy) kept_.push_back(Kept{format, std::move(copy)});
        }
        return true;
    }

    // Clipboard history, cloud sync and clipboard monitors leave these contents alone.
    static void SetPrivacyFormats() {
        const DWORD no = 0;
        SetBlock(::RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"), CopyBlock(&no, sizeof no));
        SetBlock(::RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"), CopyBlock(&no, sizeof no));
        SetBlock(::RegisterClipboardFormatW(L"CanUploadToCloudClipboard"), CopyBlock(&no, sizeof no));
    }

    // False when the clipboard could not be opened. What another program copied meanwhile
    // is never overwritten: only a clipboard that still holds our text gets the kept back.
    bool Restore() {
        if (!OpenClipboardFor(window_)) return false;
        if (ours_ && ::GetClipboardOwner() == window_) {
            ::EmptyClipboard();
            for (Kept& kept : kept_) SetBlock(kept.format, std::move(kept.data));
            SetPrivacyFormats();
        }
        ours_ = false;
        ::CloseClipboard();
        return true;
    }

    HWND window_;
    std::atomic<bool>& busy_;
    std::vector<Kept> kept_;
    std::u16string text_;
    bool ours_ = false;  // our text was put on the clipboard and not taken back yet
    bool rendered_ = false;
    bool restorePending_ = false;
    DWORD pastedAt_ = 0;
    UINT delay_ = 0;
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* worker = reinterpret_cast<Worker*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (worker == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
        case kPlace: {
            const std::unique_ptr<std::u16string> text(reinterpret_cast<std::u16string*>(lparam));
            worker->Place(*text, reinterpret_cast<HWND>(wparam));
            return 0;
        }
        case kPasted:
            worker->Pasted(static_cast<UINT>(wparam));
            return 0;
        case WM_TIMER:
            if (wparam == kRestoreTimer) worker->OnTimer();
            return 0;
        case WM_RENDERFORMAT:
            if (wparam == CF_UNICODETEXT) worker->Render();
            return 0;
        case WM_RENDERALLFORMATS:
            // Ending while our text is offered: the clipboard gets the kept content back.
            worker->Finish();
            return 0;
        case kQuit:
            worker->Finish();
            ::DestroyWindow(window);
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wparam, lparam);
    }
}

struct StartInfo {
    ClipboardSwap* swap;
    HWND* window;
    HANDLE ready;
};

}  // namespace

DWORD WINAPI ClipboardSwap::ThreadMain(void* param) {
    const StartInfo start = *static_cast<StartInfo*>(param);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassW(&windowClass);  // fails harmlessly when a restart finds it registered
    const HWND window = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          windowClass.hInstance, nullptr);
    Worker worker(window, start.swap->busy_);
    if (window != nullptr) ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&worker));
    *start.window = window;
    ::SetEvent(start.ready);
    if (window == nullptr) return 1;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}

bool ClipboardSwap::Start(HWND notify) {
    if (thread_) return false;
    notify_ = notify;
    const UniqueKernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready) return false;
    StartInfo start{this, &window_, ready.Get()};
    thread_.Reset(::CreateThread(nullptr, 0, ThreadMain, &start, 0, nullptr));
    if (!thread_) return false;
    ::WaitForSingleObject(ready.Get(), INFINITE);
    if (window_ == nullptr) {
        ::WaitForSingleObject(thread_.Get(), INFINITE);
        thread_.Reset();
        return false;
    }
    return true;
}

void ClipboardSwap::Stop() {
    if (!thread_) return;
    ::PostMessageW(window_, kQuit, 0, 0);
    // Ending the program waits for the kept content to go back, a moment at most.
    ::WaitForSingleObject(thread_.Get(), 5000);
    thread_.Reset();
    window_ = nullptr;
}

bool ClipboardSwap::Place(std::u16string text) {
    if (!thread_) return false;
    auto* payload = new std::u16string(std::move(text));
    busy_ = true;
    if (::PostMessageW(window_, kPlace, reinterpret_cast<WPARAM>(notify_), reinterpret_cast<LPARAM>(payload)))
        return true;
    delete payload;
    return false;
}

void ClipboardSwap::Pasted(UINT delayMs) {
    if (thread_) ::PostMessageW(window_, kPasted, delayMs, 0);
}

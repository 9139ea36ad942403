#include "engine/win32/clipboard_swap.h"

#include <cstring>
#include <memory>
#include <vector>

#include "engine/paste_course.h"

namespace {

constexpr wchar_t kClassName[] = L"VelloryClipboard";
constexpr UINT kPlace = WM_APP + 1;     // lparam: the request, a heap PlaceRequest
constexpr UINT kPasted = WM_APP + 2;    // wparam: the delay
constexpr UINT kQuit = WM_APP + 3;
constexpr UINT kWithdraw = WM_APP + 4;
constexpr UINT kAdvance = WM_APP + 5;   // the target has read the text: look again at once
constexpr UINT_PTR kCourseTimer = 1;
constexpr UINT kCourseTickMs = 50;
// Another program may hold the clipboard open for a moment (a clipboard manager reading it).
constexpr int kOpenTries = 10;
constexpr DWORD kOpenPauseMs = 30;
// An owner that does not answer this fast would hold the thread up rendering its data.
constexpr UINT kOwnerAnswerMs = 250;
// A clipboard held open this long after the paste gets the kept content back no more.
constexpr DWORD kRestoreGiveUpMs = 10000;

struct PlaceRequest {
    std::u16string text;
    DWORD targetProcess = 0;
    unsigned placement = 0;
    HWND notify = nullptr;
};

struct GlobalTraits {
    static HGLOBAL Invalid() { return nullptr; }
    static void Close(HGLOBAL h) { ::GlobalFree(h); }
};
struct EnhMetaFileTraits {
    static HENHMETAFILE Invalid() { return nullptr; }
    static void Close(HENHMETAFILE h) { ::DeleteEnhMetaFile(h); }
};
struct MetaFileTraits {
    static HMETAFILE Invalid() { return nullptr; }
    static void Close(HMETAFILE h) { ::DeleteMetaFile(h); }
};
struct PaletteTraits {
    static HPALETTE Invalid() { return nullptr; }
    static void Close(HPALETTE h) { ::DeleteObject(h); }
};
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalTraits>;
using UniqueEnhMetaFile = UniqueHandle<HENHMETAFILE, EnhMetaFileTraits>;
using UniqueMetaFile = UniqueHandle<HMETAFILE, MetaFileTraits>;
using UniquePalette = UniqueHandle<HPALETTE, PaletteTraits>;

UniqueGlobal CopyBlock(const void* data, SIZE_T size) {
    UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block) return block;
    void* to = ::GlobalLock(block.Get());
    if (to == nullptr) return UniqueGlobal();
    std::memcpy(to, data, size);
    ::GlobalUnlock(block.Get());
    return block;
}

UniqueGlobal CopyBlock(HANDLE data) {
    const SIZE_T size = ::GlobalSize(data);
    const void* from = size != 0 ? ::GlobalLock(data) : nullptr;
    if (from == nullptr) return UniqueGlobal();
    UniqueGlobal copy = CopyBlock(from, size);
    ::GlobalUnlock(data);
    return copy;
}

// Hands the block to the open clipboard, which owns it from then on.
void SetBlock(UINT format, UniqueGlobal block) {
    if (block && ::SetClipboardData(format, block.Get()) != nullptr) block.Release();
}

// Answers the messages other threads send this one (a reader asking us to render) for a while:
// a thread that only sleeps would keep such a reader, and so the clipboard, waiting.
void AnswerSentMessages(DWORD ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= ms) return;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, ms - elapsed, QS_SENDMESSAGE, 0);
    }
}

bool OpenClipboardFor(HWND window) {
    for (int i = 0; i < kOpenTries; ++i) {
        if (::OpenClipboard(window)) return true;
        AnswerSentMessages(kOpenPauseMs);
    }
    return false;
}

bool IsGdiObjectFormat(UINT format) { return format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST; }

class Worker {
public:
    Worker(HWND window, ClipboardSwap::Shared& shared) : window_(window), shared_(shared) {}

    void OnPlace(std::unique_ptr<PlaceRequest> request) {
        if (pending_) ::PostMessageW(pending_->notify, ClipboardSwap::kPlacedMessage, 0, 0);
        lastRequest_ = request->placement;
        pending_ = std::move(request);
        Advance();
    }

    void OnPasted(UINT delayMs) {
        course_.Pasted(::GetTickCount(), delayMs);
        Advance();
    }

    void OnWithdraw() {
        const unsigned withdrawn = shared_.withdrawn.load();
        if (pending_ && pending_->placement <= withdrawn) {
            ::PostMessageW(pending_->notify, ClipboardSwap::kPlacedMessage, 0, 0);
            pending_.reset();
            if (!ours_) shared_.settled = lastRequest_;
        }
        if (ours_ && placement_ == withdrawn) course_.Withdrawn();
        Advance();
    }

    // Places a waiting text once the one before it was read, and puts the kept content back
    // when its time has come; the timer runs while either is still to happen.
    void Advance() {
        DWORD now = ::GetTickCount();
        if (pending_ && (!course_.Active() || course_.MayHandOn(now))) {
            PlaceNow();
            now = ::GetTickCount();  // placing may have waited for a slow owner
        }
        if (course_.Active() && course_.RestoreDue(now)) {
            if (!restoreFailingSince_) restoreFailingSince_ = now;
            if (Restore() || now - restoreFailingSince_ >= kRestoreGiveUpMs) Done();
        }
        if (pending_ || course_.Active())
            ::SetTimer(window_, kCourseTimer, kCourseTickMs, nullptr);
        else
            ::KillTimer(window_, kCourseTimer);
    }

    // A reader asks for the text; the clipboard is open for it meanwhile.
    void Render() {
        const HWND opener = ::GetOpenClipboardWindow();
        DWORD process = 0;
        if (opener != nullptr) ::GetWindowThreadProcessId(opener, &process);
        const ClipboardReader reader = opener == nullptr          ? ClipboardReader::Unnamed
                                       : process == targetProcess_ ? ClipboardReader::Target
                                                                   : ClipboardReader::Other;
        if (!course_.Render(reader)) return;
        SetBlock(CF_UNICODETEXT, CopyBlock(text_.c_str(), (text_.size() + 1) * sizeof(char16_t)));
        ::PostMessageW(notify_, ClipboardSwap::kReadMessage, 0, 0);
        // Not from here: the reader holds the clipboard open until we return.
        ::PostMessageW(window_, kAdvance, 0, 0);
    }

    // The clipboard was emptied: the blocks of the private GDI range that we put back are ours
    // to free, as their owner, not the system's.
    void OnDestroyClipboard() {
        for (HGLOBAL block : gdiBlocks_) ::GlobalFree(block);
        gdiBlocks_.clear();
    }

    // The window goes while the text is still offered: the kept content goes back first.
    void Finish() {
        if (pending_) ::PostMessageW(pending_->notify, ClipboardSwap::kPlacedMessage, 0, 0);
        pending_.reset();
        if (ours_) Restore();
        Done();
        ::KillTimer(window_, kCourseTimer);
    }

private:
    // What one format held, copied so that it outlives the clipboard's emptying.
    struct Kept {
        UINT format = 0;
        UniqueGlobal data;  // a memory block, or the METAFILEPICT that holds `metaFile`
        UniqueEnhMetaFile enhMetaFile;
        UniqueMetaFile metaFile;
        UniquePalette palette;
    };

    void PlaceNow() {
        // Held open (the target may still be reading the text before): tried again at the next
        // tick, until the typist gives the text up.
        if (pending_->placement > shared_.withdrawn.load() && !OpenClipboardFor(window_)) return;
        const std::unique_ptr<PlaceRequest> request = std::move(pending_);
        bool placed = false;
        if (request->placement > shared_.withdrawn.load()) {
            // Our text from a chord just before is still there: what is kept is the user's.
            const bool handOn = ours_ && ::GetClipboardOwner() == window_;
            bool kept = handOn || Keep();
            // A slow owner may have taken so long that the typist typed the text instead.
            if (request->placement <= shared_.withdrawn.load()) kept = false;
            placed = kept && ::EmptyClipboard();
            if (placed) {
                // Offered, not given: the target's request tells when it has read the text.
                ::SetClipboardData(CF_UNICODETEXT, nullptr);
                SetPrivacyFormats();
            }
            ::CloseClipboard();
            if (!placed && !handOn) kept_.clear();
        }
        if (placed) {
            ours_ = true;
            text_ = std::move(request->text);
            targetProcess_ = request->targetProcess;
            notify_ = request->notify;
            placement_ = request->placement;
            course_.Placed(::GetTickCount());
        } else if (ours_) {
            course_.Withdrawn();  // a text of ours still there goes back as it would have
        } else {
            Done();
        }
        ::PostMessageW(request->notify, ClipboardSwap::kPlacedMessage, placed ? 1 : 0, 0);
    }

    void Done() {
        course_.Restored();
        restoreFailingSince_ = 0;
        kept_.clear();
        AcquireSRWLockExclusive(&shared_.lock);
        shared_.textKept = false;
        shared_.keptText.clear();
        shared_.keptText.shrink_to_fit();
        ReleaseSRWLockExclusive(&shared_.lock);
        if (!pending_) shared_.settled = lastRequest_;
    }

    // One format's content copied into `kept`; false when it cannot be kept, and the clipboard
    // must then not be taken at all.
    static bool KeepFormat(UINT format, bool hasDib, Kept& kept) {
        kept.format = format;
        switch (format) {
            case CF_BITMAP:
            case CF_DSPBITMAP:
                return hasDib && format == CF_BITMAP;  // the system makes it again from the DIB
            case CF_OWNERDISPLAY:
                return false;
            default:
                break;
        }
        if (format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) return false;  // handles of unknown kinds
        const HANDLE data = ::GetClipboardData(format);
        if (data == nullptr) return true;  // nothing there to keep
        switch (format) {
            case CF_ENHMETAFILE:
            case CF_DSPENHMETAFILE:
                kept.enhMetaFile.Reset(::CopyEnhMetaFile(static_cast<HENHMETAFILE>(data), nullptr));
                return static_cast<bool>(kept.enhMetaFile);
            case CF_METAFILEPICT:
            case CF_DSPMETAFILEPICT: {
                kept.data = CopyBlock(data);
                auto* picture = kept.data ? static_cast<METAFILEPICT*>(::GlobalLock(kept.data.Get())) : nullptr;
                if (picture == nullptr) return false;
                kept.metaFile.Reset(::CopyMetaFileW(picture->hMF, nullptr));
                picture->hMF = kept.metaFile.Get();
                ::GlobalUnlock(kept.data.Get());
                return static_cast<bool>(kept.metaFile);
            }
            case CF_PALETTE: {
                PALETTEENTRY entries[256];
                const UINT count = ::GetPaletteEntries(static_cast<HPALETTE>(data), 0, 256, entries);
                if (count == 0) return false;
                alignas(LOGPALETTE) BYTE buffer[sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY)];
                auto* palette = reinterpret_cast<LOGPALETTE*>(buffer);
                palette->palVersion = 0x300;
                palette->palNumEntries = static_cast<WORD>(count);
                std::memcpy(palette->palPalEntry, entries, count * sizeof(PALETTEENTRY));
                kept.palette.Reset(::CreatePalette(palette));
                return static_cast<bool>(kept.palette);
            }
            default:
                // Memory blocks, the private GDI range among them: its owner frees those itself.
                kept.data = CopyBlock(data);
                return static_cast<bool>(kept.data);
        }
    }

    // False when something cannot be kept: asked to render, an owner that does not answer would
    // hold us up, and what it holds could not be brought back; the text is then typed and the
    // clipboard left alone.
    bool Keep() {
        kept_.clear();
        const HWND owner = ::GetClipboardOwner();
        DWORD_PTR answer = 0;
        if (owner != nullptr && owner != window_ &&
            !::SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kOwnerAnswerMs, &answer))
            return false;
        const bool hasDib = ::IsClipboardFormatAvailable(CF_DIB) || ::IsClipboardFormatAvailable(CF_DIBV5);
        for (UINT format = ::EnumClipboardFormats(0); format != 0; format = ::EnumClipboardFormats(format)) {
            Kept kept;
            if (!KeepFormat(format, hasDib, kept)) {
                kept_.clear();
                return false;
            }
            if (kept.data || kept.enhMetaFile || kept.palette) kept_.push_back(std::move(kept));
        }
        ShareKeptText();
        return true;
    }

    // {буфер} reads the user's text while ours is on the clipboard, not ours.
    void ShareKeptText() {
        std::u16string text;
        for (const Kept& kept : kept_) {
            if (kept.format != CF_UNICODETEXT) continue;
            const SIZE_T room = ::GlobalSize(kept.data.Get()) / sizeof(char16_t);
            if (const auto* units = static_cast<const char16_t*>(::GlobalLock(kept.data.Get()))) {
                std::size_t length = 0;
                while (length < room && units[length] != 0) ++length;
                text.assign(units, length);
                ::GlobalUnlock(kept.data.Get());
            }
        }
        AcquireSRWLockExclusive(&shared_.lock);
        shared_.keptText = std::move(text);
        shared_.textKept = true;
        ReleaseSRWLockExclusive(&shared_.lock);
    }

    // Clipboard history, cloud sync and clipboard monitors leave these contents alone.
    static void SetPrivacyFormats() {
        const DWORD no = 0;
        SetBlock(::RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"), CopyBlock(&no, sizeof no));
        SetBlock(::RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"), CopyBlock(&no, sizeof no));
        SetBlock(::RegisterClipboardFormatW(L"CanUploadToCloudClipboard"), CopyBlock(&no, sizeof no));
    }

    void Give(Kept& kept) {
        HANDLE data = kept.data.Get();
        if (kept.enhMetaFile) data = kept.enhMetaFile.Get();
        if (kept.palette) data = kept.palette.Get();
        if (::SetClipboardData(kept.format, data) == nullptr) return;
        kept.enhMetaFile.Release();
        kept.palette.Release();
        kept.metaFile.Release();
        const HGLOBAL block = kept.data.Release();
        if (IsGdiObjectFormat(kept.format) && block != nullptr) gdiBlocks_.push_back(block);
    }

    // False when the clipboard could not be opened. What another program copied meanwhile
    // is never overwritten: only a clipboard that still holds our text gets the kept back.
    bool Restore() {
        if (!OpenClipboardFor(window_)) return false;
        if (ours_ && ::GetClipboardOwner() == window_) {
            ::EmptyClipboard();
            for (Kept& kept : kept_) Give(kept);
            SetPrivacyFormats();
        }
        ours_ = false;
        text_.clear();
        text_.shrink_to_fit();
        ::CloseClipboard();
        return true;
    }

    HWND window_;
    ClipboardSwap::Shared& shared_;
    std::vector<Kept> kept_;
    std::vector<HGLOBAL> gdiBlocks_;  // put back by us, freed by us when the clipboard is emptied
    std::unique_ptr<PlaceRequest> pending_;
    PasteCourse course_;
    std::u16string text_;
    DWORD targetProcess_ = 0;
    HWND notify_ = nullptr;
    unsigned placement_ = 0;
    unsigned lastRequest_ = 0;
    bool ours_ = false;  // our text was put on the clipboard and not taken back yet
    DWORD restoreFailingSince_ = 0;
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* worker = reinterpret_cast<Worker*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (worker == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
        case kPlace:
            worker->OnPlace(std::unique_ptr<PlaceRequest>(reinterpret_cast<PlaceRequest*>(lparam)));
            return 0;
        case kPasted:
            worker->OnPasted(static_cast<UINT>(wparam));
            return 0;
        case kWithdraw:
            worker->OnWithdraw();
            return 0;
        case kAdvance:
            worker->Advance();
            return 0;
        case WM_TIMER:
            if (wparam == kCourseTimer) worker->Advance();
            return 0;
        case WM_RENDERFORMAT:
            if (wparam == CF_UNICODETEXT) worker->Render();
            return 0;
        case WM_DESTROYCLIPBOARD:
            worker->OnDestroyClipboard();
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
    ClipboardSwap::Shared* shared;
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
    Worker worker(window, *start.shared);
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
    StartInfo start{&shared_, &window_, ready.Get()};
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

bool ClipboardSwap::Place(std::u16string text, HWND target) {
    if (!thread_) return false;
    auto request = std::make_unique<PlaceRequest>();
    request->text = std::move(text);
    ::GetWindowThreadProcessId(target, &request->targetProcess);
    request->placement = ++placements_;
    request->notify = notify_;
    if (::PostMessageW(window_, kPlace, 0, reinterpret_cast<LPARAM>(request.get()))) {
        request.release();
        return true;
    }
    --placements_;
    return false;
}

void ClipboardSwap::Pasted(UINT delayMs) {
    if (thread_) ::PostMessageW(window_, kPasted, delayMs, 0);
}

void ClipboardSwap::Withdraw() {
    if (!thread_) return;
    shared_.withdrawn = placements_;
    ::PostMessageW(window_, kWithdraw, 0, 0);
}

ClipboardSwap::UserText ClipboardSwap::KeptText(std::u16string& text) {
    if (!HoldsOurText()) return UserText::NotOurs;
    AcquireSRWLockShared(&shared_.lock);
    const bool kept = shared_.textKept;
    if (kept) text = shared_.keptText;
    ReleaseSRWLockShared(&shared_.lock);
    if (!kept) return UserText::Wait;
    // Copied over meanwhile: what the clipboard holds now is what stays.
    return ::GetClipboardOwner() == window_ ? UserText::Kept : UserText::NotOurs;
}

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "engine/win32/clipboard_swap.h"

namespace {

// Pumps this thread's messages for a while; returns the wparam of the swap's answer, or -1.
int PumpFor(DWORD ms, bool wantPlaced = false) {
    const DWORD end = GetTickCount() + ms;
    MSG message;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (wantPlaced && message.message == ClipboardSwap::kPlacedMessage) return static_cast<int>(message.wParam);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
    return -1;
}

void Copy(HWND owner, const std::u16string& text, UINT extraFormat = 0, const char* extra = nullptr) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
    std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * 2);
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    if (extraFormat != 0) {
        HGLOBAL more = GlobalAlloc(GMEM_MOVEABLE, std::strlen(extra) + 1);
        std::memcpy(GlobalLock(more), extra, std::strlen(extra) + 1);
        GlobalUnlock(more);
        SetClipboardData(extraFormat, more);
    }
    CloseClipboard();
}

std::string Read(UINT format) {
    std::string out;
    if (!OpenClipboard(nullptr)) return "<busy>";
    if (HANDLE data = GetClipboardData(format)) {
        const char* bytes = static_cast<const char*>(GlobalLock(data));
        out.assign(bytes, GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return out;
}

std::string Units(const std::u16string& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
}

class ClipboardSwapTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_TRUE(swap_.Start(owner_));
    }
    void TearDown() override {
        swap_.Stop();
        DestroyWindow(owner_);
    }
    HWND owner_ = nullptr;
    ClipboardSwap swap_;
};

// Kept, offered, pasted, put back: the user's text and its other format come back whole, and
// while our text is there the formats that keep it out of the history are there too.
TEST_F(ClipboardSwapTest, PutsBackWhatTheUserHad) {
    const UINT html = RegisterClipboardFormatW(L"HTML Format");
    Copy(owner_, u"старое", html, "<b>old</b>");
    ASSERT_TRUE(swap_.Place(u"Привет!\r\nВторая 😀", owner_));
    ASSERT_EQ(PumpFor(2000, true), 1);
    for (const wchar_t* name : {L"ExcludeClipboardContentFromMonitorProcessing", L"CanIncludeInClipboardHistory",
                                L"CanUploadToCloudClipboard"})
        EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(name))) << name;
    EXPECT_EQ(GetClipboardOwner(), swap_.Owner());
    EXPECT_EQ(Read(CF_UNICODETEXT), Units(u"Привет!\r\nВторая 😀")) << "asked for, the text is rendered";
    swap_.Pasted(100);
    PumpFor(600);
    EXPECT_EQ(Read(CF_UNICODETEXT), Units(u"старое"));
    EXPECT_EQ(Read(html), std::string("<b>old</b>", 11));
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory")))
        << "what goes back does not enter the history a second time";

    // Two chords in a row: the second keeps the user's content, not the first chord's text, and
    // takes its place only once the first was read: placed before, it would be pasted twice.
    ASSERT_TRUE(swap_.Place(u"один", owner_));
    ASSERT_EQ(PumpFor(2000, true), 1);
    swap_.Pasted(50);
    ASSERT_TRUE(swap_.Place(u"два", owner_));
    EXPECT_EQ(PumpFor(300, true), -1) << "the first text is not read yet";
    EXPECT_EQ(Read(CF_UNICODETEXT), Units(u"один"));
    ASSERT_EQ(PumpFor(2000, true), 1);
    EXPECT_EQ(Read(CF_UNICODETEXT), Units(u"два"));
    swap_.Pasted(50);
    PumpFor(400);
    EXPECT_EQ(Read(CF_UNICODETEXT), Units(u"старое"));
}

// What the user copies between the paste and the restore is never overwritten; a clipboard
// held open by another program is not taken, and nothing changes.
TEST_F(ClipboardSwapTest, LeavesNewCopiesAndBusyClipboardsAlone) {
    Copy(owner_, u"старое");
    ASSERT_TRUE(swap_.Place(u"вставка", owner_));
    ASSERT_EQ(PumpFor(2000, true), 1);
    EXPECT_EQ(Read(CF_UNICODETEXT), Units(u"вставка"));
    Copy(owner_, u"скопировано потом");
    swap_.Pasted(50);
    PumpFor(400);
    EXPECT_EQ(Read(CF_UNICODETEXT), Units(u"скопировано потом"));

    // Held open, the placement is tried again until the typist gives the text up; held for a
    // moment only, the text is placed once the clipboard is free.
    ASSERT_TRUE(OpenClipboard(owner_));
    ASSERT_TRUE(swap_.Place(u"не выйдет", owner_));
    EXPECT_EQ(PumpFor(1000, true), -1);
    swap_.Withdraw();
    EXPECT_EQ(PumpFor(1000, true), 0);
    CloseClipboard();
    EXPECT_EQ(Read(CF_UNICODETEXT), Units(u"скопировано потом"));
    ASSERT_TRUE(OpenClipboard(owner_));
    ASSERT_TRUE(swap_.Place(u"потом", owner_));
    Sleep(300);
    CloseClipboard();
    EXPECT_EQ(PumpFor(2000, true), 1);
}

// Pictures and palettes are handles, not blocks: they come back as copies. The private GDI range
// is memory that its owner frees. The private range holds handles of unknown kinds: a clipboard
// with one is not taken at all, and the text is typed instead.
TEST_F(ClipboardSwapTest, KeepsPicturesAndPalettesAndLeavesWhatCannotBeKept) {
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(dc, 0, 0, 40, 30);
    const HENHMETAFILE vector = CloseEnhMetaFile(dc);
    HDC oldDc = CreateMetaFileW(nullptr);
    Rectangle(oldDc, 0, 0, 20, 10);
    HGLOBAL picture = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
    *static_cast<METAFILEPICT*>(GlobalLock(picture)) = METAFILEPICT{MM_ANISOTROPIC, 400, 300, CloseMetaFile(oldDc)};
    GlobalUnlock(picture);
    struct { LOGPALETTE head; PALETTEENTRY more[2]; } colours{{0x300, 3, {{1, 2, 3, 0}}}, {{4, 5, 6, 0}, {7, 8, 9, 0}}};
    const HPALETTE palette = CreatePalette(&colours.head);
    HGLOBAL gdi = GlobalAlloc(GMEM_MOVEABLE, 4);
    std::memcpy(GlobalLock(gdi), "gdi", 4);
    GlobalUnlock(gdi);
    ASSERT_TRUE(OpenClipboard(owner_));
    EmptyClipboard();
    SetClipboardData(CF_ENHMETAFILE, vector);
    SetClipboardData(CF_METAFILEPICT, picture);
    SetClipboardData(CF_PALETTE, palette);
    SetClipboardData(CF_GDIOBJFIRST, gdi);
    CloseClipboard();

    ASSERT_TRUE(swap_.Place(u"вставка", owner_));
    ASSERT_EQ(PumpFor(2000, true), 1);
    EXPECT_EQ(Read(CF_UNICODETEXT), Units(u"вставка"));
    swap_.Pasted(50);
    PumpFor(400);
    ASSERT_TRUE(OpenClipboard(nullptr));
    ENHMETAHEADER header{};
    const HANDLE back = GetClipboardData(CF_ENHMETAFILE);
    EXPECT_TRUE(back && GetEnhMetaFileHeader(static_cast<HENHMETAFILE>(back), sizeof header, &header));
    EXPECT_EQ(header.rclBounds.right, 39);
    const HANDLE pictureBack = GetClipboardData(CF_METAFILEPICT);
    const auto* pict = pictureBack ? static_cast<const METAFILEPICT*>(GlobalLock(pictureBack)) : nullptr;
    EXPECT_TRUE(pict && pict->xExt == 400 && GetMetaFileBitsEx(pict->hMF, 0, nullptr) > 0);
    if (pict) GlobalUnlock(pictureBack);
    PALETTEENTRY entries[4] = {};
    const HANDLE paletteBack = GetClipboardData(CF_PALETTE);
    EXPECT_EQ(paletteBack ? GetPaletteEntries(static_cast<HPALETTE>(paletteBack), 0, 4, entries) : 0u, 3u);
    EXPECT_EQ(entries[2].peRed, 7);
    CloseClipboard();
    EXPECT_EQ(Read(CF_GDIOBJFIRST), std::string("gdi", 4));

    HGLOBAL unknown = GlobalAlloc(GMEM_MOVEABLE, 4);
    ASSERT_TRUE(OpenClipboard(owner_));
    EmptyClipboard();
    SetClipboardData(CF_PRIVATEFIRST, unknown);
    CloseClipboard();
    ASSERT_TRUE(swap_.Place(u"вставка", owner_));
    EXPECT_EQ(PumpFor(2000, true), 0);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_PRIVATEFIRST));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

}  // namespace

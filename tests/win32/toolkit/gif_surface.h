#pragma once
// A memory device context with a top-down DIB section selected, so a test reads what was
// drawn straight from memory.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "toolkit/blend.h"
#include "toolkit/win32/handles.h"

class Surface {
public:
    // 16 bits: 5-5-5 without masks (a plain 16-bit DIB), else the masks given.
    Surface(int width, int height, int bitsPerPixel, const PixelMasks16* masks = nullptr)
        : width_(width), height_(height), bitsPerPixel_(bitsPerPixel), dc_(::CreateCompatibleDC(nullptr)) {
        struct {
            BITMAPINFOHEADER header;
            DWORD fields[3];
        } info{};
        info.header.biSize = sizeof info.header;
        info.header.biWidth = width;
        info.header.biHeight = -height;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
        info.header.biCompression = masks ? BI_BITFIELDS : BI_RGB;
        if (masks) {
            info.fields[0] = masks->red;
            info.fields[1] = masks->green;
            info.fields[2] = masks->blue;
        }
        bitmap_.Reset(::CreateDIBSection(dc_.Get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits_,
                                         nullptr, 0));
        old_ = ::SelectObject(dc_.Get(), bitmap_.Get());
        stride_ = ((width * bitsPerPixel + 31) / 32) * 4;
    }
    ~Surface() { ::SelectObject(dc_.Get(), old_); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    bool Valid() const { return dc_ && bitmap_ && bits_; }
    HDC Dc() const { return dc_.Get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

    std::uint32_t Raw(int x, int y) const {
        const auto* at = static_cast<const std::uint8_t*>(bits_) + y * stride_ + x * bitsPerPixel_ / 8;
        std::uint32_t value = 0;
        std::memcpy(&value, at, static_cast<std::size_t>(bitsPerPixel_ / 8));
        return value;
    }
    void Fill(std::uint32_t raw) {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                std::memcpy(static_cast<std::uint8_t*>(bits_) + y * stride_ + x * bitsPerPixel_ / 8, &raw,
                            static_cast<std::size_t>(bitsPerPixel_ / 8));
        ::GdiFlush();
    }
    // A 32-bit pixel as a COLORREF.
    COLORREF Color(int x, int y) const {
        const std::uint32_t v = Raw(x, y);
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }

private:
    int width_, height_, bitsPerPixel_;
    int stride_ = 0;
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    void* bits_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

inline std::uint32_t Raw32(COLORREF c) {
    return std::uint32_t{GetRValue(c)} << 16 | std::uint32_t{GetGValue(c)} << 8 | GetBValue(c);
}

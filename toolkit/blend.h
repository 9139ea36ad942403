#pragma once
// Blending a picture over the pixels of a device bitmap, each channel with its own alpha
// from the mask palette: 0 shows the picture's colour, 255 leaves the screen as it was.
#include <cstdint>
#include <span>

#include "toolkit/gif.h"

// A channel of a 32-bit pixel (0 to 255); divisions truncate.
constexpr std::uint8_t Blend32(std::uint8_t color, std::uint8_t alpha, std::uint8_t screen) {
    return static_cast<std::uint8_t>((color * (255 - alpha) + screen * alpha) / 255);
}

// A channel of a 16-bit pixel: the screen value has 5 bits (0 to 31), the colour is scaled
// down to 5 bits first; divisions truncate.
constexpr std::uint8_t Blend16(std::uint8_t color, std::uint8_t alpha, std::uint8_t screen) {
    return static_cast<std::uint8_t>(((color * 31 / 255) * (255 - alpha)) / 255 + (screen * alpha) / 255);
}

// Where a 16-bit pixel keeps red, green and blue: 5-5-5 is the format of a plain 16-bit DIB,
// 5-6-5 that of most 16-bit displays.
struct PixelMasks16 {
    std::uint16_t red;
    std::uint16_t green;
    std::uint16_t blue;
};
constexpr PixelMasks16 kMasks555{0x7C00, 0x03E0, 0x001F};
constexpr PixelMasks16 kMasks565{0xF800, 0x07E0, 0x001F};

// True when every mask is one run of at least 5 bits and no two overlap.
bool UsableMasks16(const PixelMasks16& masks);

// `bits` holds width x height pixels of the picture's size, row by row from the top.
// 32 bits: the bytes blue, green, red and a fourth byte that keeps its value.
// 16 bits (little-endian): each channel's top 5 bits are blended; lower bits of a wider
// channel and bits outside the masks keep their value.
// A pixel whose colour or mask index has no palette entry leaves the screen as it was.
// False, touching nothing, when `bits` is too short or the masks are not usable.
bool BlendPicture32(const PictureData& picture, std::span<std::uint8_t> bits);
bool BlendPicture16(const PictureData& picture, const PixelMasks16& masks, std::span<std::uint8_t> bits);

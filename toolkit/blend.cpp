#include "toolkit/blend.h"

#include <bit>

namespace {

// The position of a channel's top 5 bits in a 16-bit pixel.
unsigned TopFiveShift(std::uint16_t mask) {
    return static_cast<unsigned>(16 - std::countl_zero(mask) - 5);
}

bool UsableMask(std::uint16_t mask) {
    if (std::popcount(mask) < 5) return false;
    const unsigned low = static_cast<unsigned>(std::countr_zero(mask));
    const unsigned run = static_cast<unsigned>(std::popcount(mask));
    return unsigned{mask} >> low == (1u << run) - 1;
}

// The palette entries of a pixel; false when an index has none.
bool Colors(const PictureData& picture, const PixelRecord& pixel, const ColorEntry*& color, const ColorEntry*& alpha) {
    if (pixel.colorIndex >= picture.drawColorPalette.Count() || pixel.maskIndex >= picture.drawMaskPalette.Count())
        return false;
    color = &picture.drawColorPalette.entries[pixel.colorIndex];
    alpha = &picture.drawMaskPalette.entries[pixel.maskIndex];
    return true;
}

}  // namespace

bool UsableMasks16(const PixelMasks16& masks) {
    return UsableMask(masks.red) && UsableMask(masks.green) && UsableMask(masks.blue) &&
           (masks.red & masks.green) == 0 && (masks.red & masks.blue) == 0 && (masks.green & masks.blue) == 0;
}

bool BlendPicture32(const PictureData& picture, std::span<std::uint8_t> bits) {
    if (bits.size() / 4 < picture.pixels.size()) return false;
    std::uint8_t* pixel = bits.data();
    for (const PixelRecord& record : picture.pixels) {
        const ColorEntry* color;
        const ColorEntry* alpha;
        if (Colors(picture, record, color, alpha)) {
            pixel[2] = Blend32(color->red, alpha->red, pixel[2]);
            pixel[1] = Blend32(color->green, alpha->green, pixel[1]);
            pixel[0] = Blend32(color->blue, alpha->blue, pixel[0]);
        }
        pixel += 4;
    }
    return true;
}

bool BlendPicture16(const PictureData& picture, const PixelMasks16& masks, std::span<std::uint8_t> bits) {
    if (bits.size() / 2 < picture.pixels.size() || !UsableMasks16(masks)) return false;
    const unsigned shifts[3] = {TopFiveShift(masks.red), TopFiveShift(masks.green), TopFiveShift(masks.blue)};
    std::uint8_t* pixel = bits.data();
    for (const PixelRecord& record : picture.pixels) {
        const ColorEntry* color;
        const ColorEntry* alpha;
        if (Colors(picture, record, color, alpha)) {
            unsigned value = pixel[0] | pixel[1] << 8;
            const std::uint8_t colors[3] = {color->red, color->green, color->blue};
            const std::uint8_t alphas[3] = {alpha->red, alpha->green, alpha->blue};
            for (int k = 0; k < 3; ++k) {
                const auto screen = static_cast<std::uint8_t>((value >> shifts[k]) & 31);
                value = (value & ~(31u << shifts[k])) | unsigned{Blend16(colors[k], alphas[k], screen)} << shifts[k];
            }
            pixel[0] = static_cast<std::uint8_t>(value);
            pixel[1] = static_cast<std::uint8_t>(value >> 8);
        }
        pixel += 2;
    }
    return true;
}

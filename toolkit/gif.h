#pragma once
// Small GIF pictures as the program keeps them in "PICT" resources: one image of palette
// indices covering the logical screen, coloured by the global colour table, optionally with
// a second GIF of the same size whose colours give each pixel's transparency.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct ColorEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const ColorEntry&) const = default;
};

struct ColorTable {
    std::vector<ColorEntry> entries;
    std::size_t Count() const { return entries.size(); }
};

// Where the parts of a GIF lie. Only what the program needs is read: the logical screen size,
// the global colour table and the image data after the first image separator byte.
struct GifLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ColorTable palette;
    // From the LZW minimum code size byte to the end of the bytes.
    std::span<const std::uint8_t> imageData;
};

// False when the bytes have no global colour table, end inside it, or hold no image
// separator with a minimum code size byte after it.
bool ReadGifLayout(std::span<const std::uint8_t> gif, GifLayout& layout);

// LZW codes are at most 12 bits wide, so the minimum code size can be at most 11.
constexpr unsigned kMaxMinimumCodeSize = 11;

// Decodes the LZW image data (minimum code size byte, then sub-blocks) into `indices` and
// returns how many were written. Decoding stops at the end code, at the end of the data or
// when `indices` is full. A minimum code size above 11 is refused (0 indices). Indices are
// bytes: above a minimum code size of 8 only their low byte is kept.
std::size_t DecodeGifImage(std::span<const std::uint8_t> imageData, std::span<std::uint8_t> indices);

struct PixelRecord {
    std::uint8_t colorIndex = 0;
    std::uint8_t maskIndex = 0;
    std::uint8_t unused[3] = {};
};
static_assert(sizeof(PixelRecord) == 5);

// The portable content of a picture: pixels row by row from the top, and the palettes as
// loaded and as used for drawing.
struct PictureData {
    std::vector<PixelRecord> pixels;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ColorTable colorPalette;
    ColorTable maskPalette;
    ColorTable drawColorPalette;
    ColorTable drawMaskPalette;

    bool Empty() const { return pixels.empty(); }
};

// Menu pictures are tiny; the cap keeps a header claiming a huge screen from allocating
// gigabytes for data that could never fill them.
constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{1} << 22;

// Without a mask GIF this palette index is transparent: the highest one whose blue is 255,
// or else the last one.
std::size_t TransparentIndex(const ColorTable& palette);

// Builds the picture from the colour GIF and, when `maskGif` is not empty, the mask GIF.
// False (and an empty picture) when the colour GIF is not in the expected form, has a zero
// size or more than kMaxPicturePixels pixels. A mask that is not in the expected form is
// ignored: the picture then uses its transparent palette index, as without a mask.
bool LoadPictureData(std::span<const std::uint8_t> colorGif, std::span<const std::uint8_t> maskGif,
                     PictureData& picture);

// The GIF reader and the portable picture loading over any bytes. An input holding a second
// "GIF8" is a colour GIF followed by its mask GIF; otherwise the input is both, and also raw
// image data for the decoder. Every buffer has its exact size, so AddressSanitizer sees any
// access outside it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "toolkit/blend.h"
#include "toolkit/gif.h"

namespace {

void Blend(const PictureData& picture) {
    std::vector<std::uint8_t> bits32(picture.pixels.size() * 4, 0x80);
    std::vector<std::uint8_t> bits16(picture.pixels.size() * 2, 0x80);
    if (!BlendPicture32(picture, bits32)) __builtin_trap();
    if (!BlendPicture16(picture, kMasks565, bits16) || !BlendPicture16(picture, kMasks555, bits16)) __builtin_trap();
}

void Load(std::span<const std::uint8_t> color, std::span<const std::uint8_t> mask) {
    // Large screens take the same path as small ones, only slower; the size limits have
    // their own native tests.
    if (color.size() >= 10 && std::uint32_t(color[6] | color[7] << 8) * std::uint32_t(color[8] | color[9] << 8) > 1u << 16)
        return;
    PictureData picture;
    const bool loaded = LoadPictureData(color, mask, picture);
    if (picture.pixels.size() != std::size_t{picture.width} * picture.height) __builtin_trap();
    if (loaded != !picture.Empty()) __builtin_trap();
    if (loaded && picture.drawMaskPalette.Count() == 0) __builtin_trap();
    Blend(picture);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);

    const std::size_t capacity = size > 0 ? data[0] * 16u + 1 : 0;
    auto indices = std::make_unique<std::uint8_t[]>(capacity);
    if (DecodeGifImage(input, std::span<std::uint8_t>(indices.get(), capacity)) > capacity) __builtin_trap();

    for (std::size_t at = 1; at + 4 <= size; ++at) {
        if (std::memcmp(data + at, "GIF8", 4) == 0) {
            Load(input.first(at), input.subspan(at));
            return 0;
        }
    }
    Load(input, {});
    Load(input, input);
    return 0;
}

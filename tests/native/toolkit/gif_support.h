#pragma once
// GIF test material: images encoded and decoded by giflib (the reference), and image data
// written code by code, for streams giflib's encoder never makes.
#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/gif.h"

namespace gif_support {

using Bytes = std::vector<std::uint8_t>;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<ColorEntry> palette;  // a power of two, 2 to 256 entries
    Bytes indices;
};

inline std::vector<ColorEntry> Palette(int count, unsigned seed = 1) {
    std::mt19937 random(seed);
    std::vector<ColorEntry> palette(static_cast<std::size_t>(count));
    for (ColorEntry& c : palette)
        c = ColorEntry{static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                       static_cast<std::uint8_t>(random())};
    return palette;
}

enum class Pattern { Noise, Gradient, Stripes, Solid, Runs };

inline Image MakeImage(int width, int height, int colors, Pattern pattern, unsigned seed = 7) {
    Image image{width, height, Palette(colors, seed), Bytes(static_cast<std::size_t>(width) * height)};
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned v = 0;
            switch (pattern) {
            case Pattern::Noise: v = random(); break;
            case Pattern::Gradient: v = static_cast<unsigned>((x + y) * colors / (width + height)); break;
            case Pattern::Stripes: v = static_cast<unsigned>(x / 3 + y); break;
            case Pattern::Solid: v = 1; break;
            case Pattern::Runs: v = random() % 16 == 0 ? random() : static_cast<unsigned>(y); break;
            }
            image.indices[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(v % colors);
        }
    }
    return image;
}

// --- giflib ---------------------------------------------------------------------------------

inline int WriteToBytes(GifFileType* file, const GifByteType* data, int length) {
    auto* out = static_cast<Bytes*>(file->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

struct ReadState {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
};

inline int ReadFromBytes(GifFileType* file, GifByteType* data, int length) {
    auto* state = static_cast<ReadState*>(file->UserData);
    const std::size_t n = std::min(static_cast<std::size_t>(length), state->bytes.size() - state->at);
    std::memcpy(data, state->bytes.data() + state->at, n);
    state->at += n;
    return static_cast<int>(n);
}

inline ColorMapObject* MakeMap(const std::vector<ColorEntry>& palette) {
    std::vector<GifColorType> colors;
    for (const ColorEntry& c : palette) colors.push_back(GifColorType{c.red, c.green, c.blue});
    return GifMakeMapObject(static_cast<int>(colors.size()), colors.data());
}

// The image through giflib's EGifPut* calls, as one whole-screen image without extensions.
inline Bytes EncodeWithGiflib(const Image& image) {
    Bytes out;
    int error = 0;
    GifFileType* file = EGifOpen(&out, WriteToBytes, &error);
    if (!file) throw std::runtime_error("EGifOpen " + std::to_string(error));
    ColorMapObject* map = MakeMap(image.palette);
    bool ok = EGifPutScreenDesc(file, image.width, image.height, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(file, 0, 0, image.width, image.height, false, nullptr) == GIF_OK;
    Bytes row(static_cast<std::size_t>(image.width));
    for (int y = 0; ok && y < image.height; ++y) {
        std::memcpy(row.data(), image.indices.data() + static_cast<std::size_t>(y) * image.width, row.size());
        ok = EGifPutLine(file, row.data(), image.width) == GIF_OK;
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(file, &error) != GIF_OK || !ok) throw std::runtime_error("giflib encoding failed");
    return out;
}

// The first image's indices as giflib decodes them (DGifSlurp from memory); empty on error.
inline Bytes DecodeWithGiflib(std::span<const std::uint8_t> gif) {
    ReadState state{gif};
    int error = 0;
    GifFileType* file = DGifOpen(&state, ReadFromBytes, &error);
    if (!file) return {};
    Bytes indices;
    if (DGifSlurp(file) == GIF_OK && file->ImageCount > 0) {
        const SavedImage& image = file->SavedImages[0];
        const std::size_t count = static_cast<std::size_t>(image.ImageDesc.Width) * image.ImageDesc.Height;
        indices.assign(image.RasterBits, image.RasterBits + count);
    }
    DGifCloseFile(file, &error);
    return indices;
}

// --- hand-written streams -------------------------------------------------------------------

// Packs codes least significant bit first and splits the bytes into sub-blocks.
class CodeStream {
public:
    explicit CodeStream(unsigned minimumSize) : minimumSize_(minimumSize) {}

    CodeStream& Put(unsigned code, unsigned width) {
        bits_ |= std::uint64_t{code & ((1u << width) - 1)} << count_;
        count_ += width;
        while (count_ >= 8) {
            bytes_.push_back(static_cast<std::uint8_t>(bits_));
            bits_ >>= 8;
            count_ -= 8;
        }
        return *this;
    }

    // Minimum code size byte, sub-blocks of `blockSize` bytes, and the terminator if asked.
    Bytes ImageData(std::size_t blockSize = 255, bool terminator = true) const {
        Bytes data = bytes_;
        if (count_ > 0) data.push_back(static_cast<std::uint8_t>(bits_));
        Bytes out{static_cast<std::uint8_t>(minimumSize_)};
        for (std::size_t at = 0; at < data.size(); at += blockSize) {
            const std::size_t n = std::min(blockSize, data.size() - at);
            out.push_back(static_cast<std::uint8_t>(n));
            out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(at + n));
        }
        if (terminator) out.push_back(0);
        return out;
    }

private:
    unsigned minimumSize_;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;
    Bytes bytes_;
};

struct EncodeOptions {
    bool clearFirst = true;
    // -1: never clear when the table is full; otherwise clear after this many more codes.
    int codesAfterFull = 0;
    std::size_t blockSize = 255;
    bool endCode = true;
};

// A plain GIF LZW encoder. Code widths follow the decoder: a code is written with the width
// the decoder has after the codes before it.
inline Bytes EncodeLzw(const Bytes& indices, unsigned minimumSize, const EncodeOptions& options = {}) {
    const unsigned clear = 1u << minimumSize;
    CodeStream stream(minimumSize);
    std::map<std::pair<unsigned, unsigned>, unsigned> dictionary;
    unsigned next = clear + 2;         // the encoder's next free code
    unsigned decoderNext = clear + 2;  // what the decoder will have
    unsigned width = minimumSize + 1;
    bool firstAfterClear = true;
    int sinceFull = 0;

    auto reset = [&] {
        dictionary.clear();
        next = decoderNext = clear + 2;
        width = minimumSize + 1;
        firstAfterClear = true;
        sinceFull = 0;
    };
    auto emit = [&](unsigned code) {
        stream.Put(code, width);
        if (!firstAfterClear && decoderNext < 4096) {
            ++decoderNext;
            if (width < 12 && decoderNext >= (1u << width)) ++width;
        }
        firstAfterClear = false;
    };

    if (options.clearFirst) stream.Put(clear, width);
    if (!indices.empty()) {
        unsigned current = indices[0];
        for (std::size_t i = 1; i < indices.size(); ++i) {
            const unsigned k = indices[i];
            const auto found = dictionary.find({current, k});
            if (found != dictionary.end()) {
                current = found->second;
                continue;
            }
            emit(current);
            if (next < 4096) {
                dictionary[{current, k}] = next++;
            } else if (options.codesAfterFull >= 0 && sinceFull++ >= options.codesAfterFull) {
                stream.Put(clear, width);
                reset();
            }
            current = k;
        }
        emit(current);
    }
    if (options.endCode) stream.Put(clear + 1, width);
    return stream.ImageData(options.blockSize);
}

// A GIF around the given image data: header, screen, global colour table, image descriptor.
inline Bytes MakeGif(unsigned width, unsigned height, const std::vector<ColorEntry>& palette, const Bytes& imageData) {
    unsigned bits = 0;
    while ((2u << bits) < palette.size()) ++bits;
    Bytes gif{'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&](unsigned v) {
        gif.push_back(static_cast<std::uint8_t>(v));
        gif.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put16(width);
    put16(height);
    gif.push_back(static_cast<std::uint8_t>(0x80 | 0x70 | bits));
    gif.push_back(0);
    gif.push_back(0);
    for (std::size_t i = 0; i < (2u << bits); ++i) {
        const ColorEntry c = i < palette.size() ? palette[i] : ColorEntry{};
        gif.insert(gif.end(), {c.red, c.green, c.blue});
    }
    gif.push_back(0x2C);
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    gif.push_back(0);
    gif.insert(gif.end(), imageData.begin(), imageData.end());
    gif.push_back(0x3B);
    return gif;
}

}  // namespace gif_support

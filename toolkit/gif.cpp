#include "toolkit/gif.h"

#include <algorithm>

namespace {

constexpr std::size_t kScreenWidthOffset = 6;
constexpr std::size_t kPackedOffset = 10;
constexpr std::size_t kColorTableOffset = 13;
constexpr std::uint8_t kImageSeparator = 0x2C;
// The separator is followed by 9 bytes of image descriptor the program does not look at.
constexpr std::size_t kSeparatorToCodeSize = 10;

constexpr unsigned kMaxCodes = 4096;
constexpr unsigned kMaxCodeBits = 12;
// Palette indices are bytes, and a colour table has at most 256 entries.
constexpr unsigned kMaxPictureCodeSize = 8;

// Reads codes least significant bit first from the data of the sub-blocks joined end to end.
class CodeReader {
public:
    CodeReader(const std::uint8_t* begin, const std::uint8_t* end) : next_(begin), blockEnd_(begin), end_(end) {}

    // False once the data run out before a whole code.
    bool Read(unsigned size, unsigned& code) {
        while (count_ < size) {
            if (next_ == blockEnd_ && !NextBlock()) return false;
            bits_ |= std::uint32_t{*next_++} << count_;
            count_ += 8;
        }
        code = bits_ & ((1u << size) - 1);
        bits_ >>= size;
        count_ -= size;
        return true;
    }

private:
    bool NextBlock() {
        // A zero length ends the image data; a length beyond the bytes takes what is there.
        if (done_ || next_ == end_ || *next_ == 0) {
            done_ = true;
            return false;
        }
        const std::size_t length = *next_++;
        blockEnd_ = next_ + std::min(length, static_cast<std::size_t>(end_ - next_));
        if (next_ == blockEnd_) done_ = true;
        return !done_;
    }

    const std::uint8_t* next_;
    const std::uint8_t* blockEnd_;
    const std::uint8_t* end_;
    std::uint32_t bits_ = 0;
    unsigned count_ = 0;
    bool done_ = false;
};

// A code's string is its prefix code's string followed by its suffix. The length and first
// index are kept per code, so a string is written straight into place from its back and a
// code equal to the next free one needs no walk to find its first index.
struct StringEntry {
    std::uint16_t prefix;
    std::uint16_t length;
    std::uint8_t suffix;
    std::uint8_t first;
};

class StringWriter {
public:
    StringWriter(const StringEntry* table, std::span<std::uint8_t> out) : table_(table), out_(out) {}

    std::size_t Count() const { return count_; }
    bool Full() const { return count_ == out_.size(); }

    // Writes as much of the string as fits; the tail that does not fit is dropped.
    void Write(unsigned code) {
        std::size_t length = table_[code].length;
        const std::size_t room = out_.size() - count_;
        for (; length > room; --length) code = table_[code].prefix;
        std::uint8_t* at = out_.data() + count_ + length;
        count_ += length;
        for (; length > 0; --length) {
            *--at = table_[code].suffix;
            code = table_[code].prefix;
        }
    }

private:
    const StringEntry* table_;
    std::span<std::uint8_t> out_;
    std::size_t count_ = 0;
};

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

}  // namespace

bool ReadGifLayout(std::span<const std::uint8_t> gif, GifLayout& layout) {
    if (gif.size() < kColorTableOffset) return false;
    const std::uint8_t packed = gif[kPackedOffset];
    if ((packed & 0x80) == 0) return false;
    const std::size_t entries = std::size_t{2} << (packed & 0x07);
    const std::size_t tableEnd = kColorTableOffset + 3 * entries;
    if (gif.size() < tableEnd) return false;

    // Extension blocks are not parsed: the first 0x2C byte after the table is taken for the
    // image separator, as the pictures are made.
    const auto separator = std::find(gif.begin() + static_cast<std::ptrdiff_t>(tableEnd), gif.end(), kImageSeparator);
    const std::size_t at = static_cast<std::size_t>(separator - gif.begin());
    if (separator == gif.end() || gif.size() - at <= kSeparatorToCodeSize) return false;

    layout.width = Read16(gif, kScreenWidthOffset);
    layout.height = Read16(gif, kScreenWidthOffset + 2);
    layout.palette.entries.resize(entries);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint8_t* rgb = gif.data() + kColorTableOffset + 3 * i;
        layout.palette.entries[i] = ColorEntry{rgb[0], rgb[1], rgb[2]};
    }
    layout.imageData = gif.subspan(at + kSeparatorToCodeSize);
    return true;
}

std::size_t DecodeGifImage(std::span<const std::uint8_t> imageData, std::span<std::uint8_t> indices) {
    if (imageData.empty() || imageData[0] > kMaxMinimumCodeSize) return 0;
    const unsigned minimumSize = imageData[0];
    const unsigned clear = 1u << minimumSize;
    const unsigned end = clear + 1;

    StringEntry table[kMaxCodes];
    for (unsigned i = 0; i < clear; ++i) {
        const auto index = static_cast<std::uint8_t>(i);
        table[i] = StringEntry{0, 1, index, index};
    }
    CodeReader reader(imageData.data() + 1, imageData.data() + imageData.size());
    StringWriter out(table, indices);

    unsigned code = clear;
    while (code == clear) {
        unsigned next = clear + 2;
        unsigned size = minimumSize + 1;
        do {
            if (!reader.Read(size, code)) return out.Count();
        } while (code == clear);
        // Right after a reset only a single index starts a string; anything else but the end
        // code names no string, so nothing after it can be decoded.
        if (code >= clear) return out.Count();
        if (out.Full()) return out.Count();
        out.Write(code);

        unsigned previous = code;
        for (;;) {
            if (!reader.Read(size, code) || code == end) return out.Count();
            if (code == clear) break;
            if (out.Full()) return out.Count();
            const StringEntry& before = table[previous];
            if (code >= next) {
                // The code being defined: the previous string followed by its own first index.
                // A damaged stream may name a code beyond it; it is decoded the same way, so
                // every later string is still made of defined codes.
                table[next] = StringEntry{static_cast<std::uint16_t>(previous),
                                          static_cast<std::uint16_t>(before.length + 1), before.first, before.first};
                code = next++;
            } else if (next < kMaxCodes) {
                // Once all 4096 codes are defined they are only used, until a clear code.
                table[next++] = StringEntry{static_cast<std::uint16_t>(previous),
                                            static_cast<std::uint16_t>(before.length + 1), table[code].first,
                                            before.first};
            } else {
                out.Write(code);
                previous = code;
                continue;
            }
            if (size < kMaxCodeBits && next >= (1u << size)) ++size;
            out.Write(code);
            previous = code;
        }
    }
    return out.Count();
}

std::size_t TransparentIndex(const ColorTable& palette) {
    for (std::size_t i = palette.Count(); i > 0; --i)
        if (palette.entries[i - 1].blue == 255) return i - 1;
    return palette.Count() > 0 ? palette.Count() - 1 : 0;
}

bool LoadPictureData(std::span<const std::uint8_t> colorGif, std::span<const std::uint8_t> maskGif,
                     PictureData& picture) {
    picture = PictureData();
    GifLayout color;
    if (!ReadGifLayout(colorGif, color) || color.imageData[0] > kMaxPictureCodeSize) return false;
    const std::uint64_t area = std::uint64_t{color.width} * color.height;
    if (area == 0 || area > kMaxPicturePixels) return false;
    const auto pixelCount = static_cast<std::size_t>(area);

    // One spare row, as the picture format has always been decoded.
    std::vector<std::uint8_t> colorIndices(pixelCount + color.width);
    DecodeGifImage(color.imageData, colorIndices);
    picture.pixels.resize(pixelCount);
    for (std::size_t i = 0; i < pixelCount; ++i) picture.pixels[i].colorIndex = colorIndices[i];
    picture.colorPalette = color.palette;
    picture.drawColorPalette = picture.colorPalette;

    GifLayout mask;
    if (!maskGif.empty() && ReadGifLayout(maskGif, mask) && mask.imageData[0] <= kMaxPictureCodeSize) {
        // The mask image's own size is not compared: its indices fill the picture's pixels in
        // order, and pixels it does not reach keep mask index 0.
        std::vector<std::uint8_t> maskIndices(pixelCount);
        DecodeGifImage(mask.imageData, maskIndices);
        for (std::size_t i = 0; i < pixelCount; ++i) picture.pixels[i].maskIndex = maskIndices[i];
        picture.maskPalette = mask.palette;
    } else {
        picture.maskPalette.entries = {ColorEntry{0, 0, 0}, ColorEntry{255, 255, 255}};
        const std::size_t transparent = TransparentIndex(picture.colorPalette);
        for (PixelRecord& pixel : picture.pixels) pixel.maskIndex = pixel.colorIndex == transparent ? 1 : 0;
    }
    picture.drawMaskPalette = picture.maskPalette;
    picture.width = color.width;
    picture.height = color.height;
    return true;
}

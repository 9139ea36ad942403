// Damaged and hostile GIFs, one kind at a time. Every buffer is heap-allocated at its exact
// size, so under AddressSanitizer a single byte read or written outside it fails the test.
#include <gtest/gtest.h>

#include <random>

#include "gif_support.h"
#include "toolkit/blend.h"
#include "toolkit/gif.h"

using namespace gif_support;

namespace {

const Image& Base() {
    static const Image image = MakeImage(8, 6, 4, Pattern::Noise, 3);
    return image;
}

Bytes BaseGif() { return EncodeWithGiflib(Base()); }

std::size_t DecodeExact(const Bytes& imageData, std::size_t capacity) {
    auto out = std::make_unique<std::uint8_t[]>(capacity);  // exact size: no slack for an overrun
    return DecodeGifImage(std::span<const std::uint8_t>(imageData), std::span<std::uint8_t>(out.get(), capacity));
}

// Loads the picture and draws it on both bitmap depths, which reads every palette entry it uses.
bool LoadAndBlend(const Bytes& color, const Bytes& mask, PictureData& picture) {
    const bool loaded = LoadPictureData(std::span<const std::uint8_t>(color), std::span<const std::uint8_t>(mask), picture);
    EXPECT_EQ(picture.pixels.size(), std::size_t{picture.width} * picture.height);
    Bytes bits32(picture.pixels.size() * 4, 0x55), bits16(picture.pixels.size() * 2, 0x55);
    EXPECT_TRUE(BlendPicture32(picture, bits32));
    EXPECT_TRUE(BlendPicture16(picture, kMasks565, bits16));
    return loaded;
}

TEST(GifMalformed, EveryTruncationOfAValidFile) {
    const Bytes gif = BaseGif();
    for (std::size_t length = 0; length < gif.size(); ++length) {
        Bytes cut(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(length));
        PictureData picture;
        if (LoadAndBlend(cut, cut, picture)) EXPECT_EQ(picture.pixels.size(), 48u) << length;
    }
}

TEST(GifMalformed, LayoutThatCannotBeRead) {
    Bytes noTable = BaseGif();
    noTable[10] &= 0x7F;
    Bytes tableTooLong = BaseGif();
    tableTooLong.resize(13 + 3 * 4 - 1);
    Bytes noSeparator = BaseGif();
    for (std::size_t i = 13 + 12; i < noSeparator.size(); ++i)
        if (noSeparator[i] == 0x2C) noSeparator[i] = 0x2B;
    const Bytes valid = BaseGif();
    Bytes separatorAtTheEnd(valid.begin(), valid.begin() + 13 + 12);
    separatorAtTheEnd.insert(separatorAtTheEnd.end(), {0x2C, 0, 0, 0, 0, 8, 0, 6, 0, 0});  // no code size byte
    Bytes bigTableClaim = BaseGif();
    bigTableClaim[10] |= 0x07;  // 256 entries claimed, the file is shorter than that

    const std::pair<const char*, Bytes> cases[] = {
        {"no global colour table", noTable},
        {"ends inside the colour table", tableTooLong},
        {"no image separator", noSeparator},
        {"separator without a code size byte", separatorAtTheEnd},
        {"colour table beyond the end", bigTableClaim},
        {"header only", Bytes(valid.begin(), valid.begin() + 13)},
        {"nothing", Bytes{}},
    };
    for (const auto& [name, bytes] : cases) {
        GifLayout layout;
        EXPECT_FALSE(ReadGifLayout(bytes, layout)) << name;
        PictureData picture;
        EXPECT_FALSE(LoadAndBlend(bytes, {}, picture)) << name;
        EXPECT_TRUE(picture.Empty()) << name;
    }
}

TEST(GifMalformed, SizesZeroOrTooLarge) {
    const Bytes data = EncodeLzw(Bytes(4, 1), 2);
    const std::vector<ColorEntry> palette(4);
    struct Case {
        unsigned width, height;
        bool loads;
    };
    const Case cases[] = {{0, 6, false},    {8, 0, false},   {0, 0, false},  {65535, 65535, false},
                          {4096, 1025, false}, {4096, 1024, true}, {1, 65535, true}};
    for (const Case& c : cases) {
        PictureData picture;
        EXPECT_EQ(LoadPictureData(MakeGif(c.width, c.height, palette, data), {}, picture), c.loads)
            << c.width << "x" << c.height;
        EXPECT_EQ(picture.pixels.size(), c.loads ? std::size_t{c.width} * c.height : 0u);
    }
}

TEST(GifMalformed, MoreIndicesThanThePictureHolds) {
    const Bytes data = EncodeLzw(Base().indices, 2);  // 48 indices
    for (std::size_t capacity : {0u, 1u, 5u, 47u}) EXPECT_EQ(DecodeExact(data, capacity), capacity);

    PictureData picture;
    ASSERT_TRUE(LoadAndBlend(MakeGif(4, 2, Base().palette, data), {}, picture));
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(picture.pixels[i].colorIndex, Base().indices[i]);
}

TEST(GifMalformed, StreamsCutShortOrWithoutEndCode) {
    EncodeOptions noEnd;
    noEnd.endCode = false;
    Bytes noTerminator = EncodeLzw(Base().indices, 2, noEnd);
    noTerminator.pop_back();
    Bytes lengthBeyondData = EncodeLzw(Base().indices, 2);
    lengthBeyondData[1] = 255;  // first sub-block claims more bytes than there are
    const Bytes cases[] = {noTerminator, lengthBeyondData, Bytes{2}, Bytes{2, 0}, Bytes{2, 5}};
    for (const Bytes& data : cases) {
        EXPECT_LE(DecodeExact(data, 48), 48u);
        PictureData picture;
        EXPECT_TRUE(LoadAndBlend(MakeGif(8, 6, Base().palette, data), data, picture));
    }
    EXPECT_EQ(DecodeExact(noTerminator, 48), 48u) << "all codes before the missing end code count";
}

TEST(GifMalformed, MinimumCodeSizes) {
    for (unsigned size = 0; size <= 255; ++size) {
        CodeStream stream(size);
        for (int i = 0; i < 40; ++i) stream.Put(static_cast<unsigned>(i * 37), std::min(size + 1, 12u));
        const Bytes data = stream.ImageData();
        const std::size_t count = DecodeExact(data, 64);
        if (size > 11) EXPECT_EQ(count, 0u) << size;
        // Indices of a larger code size cannot name one of at most 256 colours.
        PictureData picture;
        EXPECT_EQ(LoadAndBlend(MakeGif(8, 8, Palette(256), data), {}, picture), size <= 8) << size;
    }
}

TEST(GifMalformed, RandomCodesOfEveryWidth) {
    std::mt19937 random(2024);
    for (int round = 0; round < 3000; ++round) {
        const unsigned minimumSize = random() % 12;
        CodeStream stream(minimumSize);
        const int codes = static_cast<int>(random() % 600);
        for (int i = 0; i < codes; ++i) {
            const unsigned width = 1 + random() % 12;
            stream.Put(random() & ((1u << width) - 1), width);
        }
        const Bytes data = stream.ImageData(1 + random() % 255, random() % 2 == 0);
        const std::size_t capacity = random() % 700;
        EXPECT_LE(DecodeExact(data, capacity), capacity);
    }
}

TEST(GifMalformed, IndicesBeyondThePalettesLeaveTheScreenAlone) {
    // Two colours but a minimum code size of 3: indices 2 to 7 have no colour.
    const Bytes indices{0, 1, 2, 7, 1, 5};
    const Bytes color = MakeGif(6, 1, {{10, 20, 30}, {40, 50, 60}}, EncodeLzw(indices, 3));
    // A two-entry mask palette with mask indices 0, 1, 1, 0, 3, 0.
    const Bytes mask = MakeGif(6, 1, {{0, 0, 0}, {255, 255, 255}}, EncodeLzw({0, 1, 1, 0, 3, 0}, 2));
    PictureData picture;
    ASSERT_TRUE(LoadAndBlend(color, mask, picture));
    Bytes bits(6 * 4, 0x80);
    ASSERT_TRUE(BlendPicture32(picture, bits));
    const Bytes expected{30, 20, 10, 0x80,  0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
                         0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
    EXPECT_EQ(bits, expected);
}

TEST(GifMalformed, UnusableMaskFallsBackToTheTransparentIndex) {
    const Bytes color = MakeGif(4, 1, {{1, 2, 3}, {0, 0, 255}}, EncodeLzw({0, 1, 1, 0}, 2));
    Bytes noTable = MakeGif(4, 1, {{0, 0, 0}, {9, 9, 9}}, EncodeLzw({1, 1, 1, 1}, 2));
    noTable[10] &= 0x7F;
    const Bytes wideCodes = MakeGif(4, 1, {{0, 0, 0}, {9, 9, 9}}, CodeStream(9).Put(512, 10).Put(1, 10).ImageData());
    const std::pair<const char*, Bytes> masks[] = {
        {"missing", {}}, {"no colour table", noTable}, {"code size 9", wideCodes}, {"cut", Bytes(noTable.begin(), noTable.begin() + 8)}};
    for (const auto& [name, mask] : masks) {
        PictureData picture;
        ASSERT_TRUE(LoadAndBlend(color, mask, picture)) << name;
        EXPECT_EQ(picture.maskPalette.entries, (std::vector<ColorEntry>{{0, 0, 0}, {255, 255, 255}})) << name;
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(picture.pixels[i].maskIndex, picture.pixels[i].colorIndex == 1 ? 1 : 0) << name << " " << i;
    }
}

}  // namespace

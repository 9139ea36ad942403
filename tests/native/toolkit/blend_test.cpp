// The blend arithmetic for 32- and 16-bit device pixels, with values worked out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "toolkit/blend.h"

namespace {

struct ChannelCase {
    int color, alpha, screen, expected;
};

TEST(BlendTest, ThirtyTwoBitChannel) {
    const ChannelCase cases[] = {
        {200, 0, 50, 200},  {200, 255, 50, 50}, {200, 128, 50, 124}, {255, 128, 0, 127},
        {0, 128, 255, 128}, {255, 1, 255, 255}, {100, 200, 7, 27},   {1, 254, 0, 0},
    };
    for (const ChannelCase& c : cases)
        EXPECT_EQ(Blend32(std::uint8_t(c.color), std::uint8_t(c.alpha), std::uint8_t(c.screen)), c.expected)
            << c.color << " " << c.alpha << " " << c.screen;
}

TEST(BlendTest, SixteenBitChannel) {
    const ChannelCase cases[] = {
        {200, 0, 10, 24}, {200, 255, 10, 10}, {200, 128, 10, 16}, {255, 0, 0, 31},
        {255, 1, 31, 30}, {8, 0, 31, 0},      {9, 0, 0, 1},       {0, 128, 31, 15},
    };
    for (const ChannelCase& c : cases)
        EXPECT_EQ(Blend16(std::uint8_t(c.color), std::uint8_t(c.alpha), std::uint8_t(c.screen)), c.expected)
            << c.color << " " << c.alpha << " " << c.screen;
}

TEST(BlendTest, ResultsStayInTheChannelRangeAndTheEndsAreExact) {
    for (int color = 0; color < 256; ++color) {
        for (int alpha = 0; alpha < 256; ++alpha) {
            for (int screen = 0; screen < 32; ++screen) {
                const auto c = std::uint8_t(color), a = std::uint8_t(alpha), s = std::uint8_t(screen);
                ASSERT_LE(Blend16(c, a, s), 31) << color << " " << alpha << " " << screen;
            }
        }
        for (int screen = 0; screen < 256; ++screen) {
            const auto c = std::uint8_t(color), s = std::uint8_t(screen);
            ASSERT_EQ(Blend32(c, 0, s), c);
            ASSERT_EQ(Blend32(c, 255, s), s);
            if (screen < 32) {
                ASSERT_EQ(Blend16(c, 0, s), color * 31 / 255);
                ASSERT_EQ(Blend16(c, 255, s), s);
            }
        }
    }
}

TEST(BlendTest, UsableSixteenBitMasks) {
    const std::pair<PixelMasks16, bool> cases[] = {
        {kMasks555, true},
        {kMasks565, true},
        {{0xFC00, 0x03E0, 0x001F}, true},
        {{0xF000, 0x0F00, 0x00FF}, false},  // 4-bit red
        {{0xF800, 0xFFE0, 0x001F}, false},  // overlapping
        {{0xF801, 0x07C0, 0x003E}, false},  // red in two runs
        {{0, 0, 0}, false},
    };
    for (const auto& [masks, usable] : cases)
        EXPECT_EQ(UsableMasks16(masks), usable) << masks.red << " " << masks.green << " " << masks.blue;
}

// One colour (255, 128, 8) over four pixels with the mask colours black, white, grey 128
// and a per-channel mix (0, 128, 255).
PictureData FourPixels() {
    PictureData picture;
    picture.width = 4;
    picture.height = 1;
    picture.drawColorPalette.entries = {{255, 128, 8}};
    picture.drawMaskPalette.entries = {{0, 0, 0}, {255, 255, 255}, {128, 128, 128}, {0, 128, 255}};
    picture.pixels.resize(4);
    for (std::uint8_t i = 0; i < 4; ++i) picture.pixels[i].maskIndex = i;
    return picture;
}

TEST(BlendTest, ThirtyTwoBitPixelsKeepTheirFourthByte) {
    std::vector<std::uint8_t> bits;
    for (int i = 0; i < 4; ++i) bits.insert(bits.end(), {17, 43, 4, 0x99});  // blue, green, red, spare
    ASSERT_TRUE(BlendPicture32(FourPixels(), bits));
    const std::vector<std::uint8_t> expected{8, 128, 255, 0x99, 17, 43, 4, 0x99, 12, 85, 129, 0x99, 17, 85, 255, 0x99};
    EXPECT_EQ(bits, expected);
}

struct SixteenBitCase {
    const char* name;
    PixelMasks16 masks;
    std::uint16_t screen;
    std::uint16_t expected[4];
};

TEST(BlendTest, SixteenBitPixelsBlendTheTopFiveBitsOfEachChannel) {
    // Screen: red 4, green 21 (565: 43, its low bit set), blue 17; the 5-5-5 pixel has its
    // unused top bit set. Both must survive where the mask lets the screen through.
    const SixteenBitCase cases[] = {
        {"565", kMasks565, 0x2571, {0xFBE0, 0x2571, 0x8C68, 0xFC71}},
        {"555", kMasks555, 0x92B1, {0xFDE0, 0x92B1, 0xC628, 0xFE31}},
    };
    for (const SixteenBitCase& c : cases) {
        std::vector<std::uint8_t> bits;
        for (int i = 0; i < 4; ++i) bits.insert(bits.end(), {std::uint8_t(c.screen), std::uint8_t(c.screen >> 8)});
        ASSERT_TRUE(BlendPicture16(FourPixels(), c.masks, bits)) << c.name;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(bits[2 * i] | bits[2 * i + 1] << 8, c.expected[i]) << c.name << " pixel " << i;
    }
}

TEST(BlendTest, ShortBuffersAndUnusableMasksAreLeftAlone) {
    std::vector<std::uint8_t> bits32(15, 7), bits16(7, 7);
    EXPECT_FALSE(BlendPicture32(FourPixels(), bits32));
    EXPECT_FALSE(BlendPicture16(FourPixels(), kMasks565, bits16));
    std::vector<std::uint8_t> enough(8, 7);
    EXPECT_FALSE(BlendPicture16(FourPixels(), PixelMasks16{0xF000, 0x0F00, 0x00FF}, enough));
    EXPECT_EQ(bits32, std::vector<std::uint8_t>(15, 7));
    EXPECT_EQ(bits16, std::vector<std::uint8_t>(7, 7));
    EXPECT_EQ(enough, std::vector<std::uint8_t>(8, 7));
}

}  // namespace

// Building a picture from its colour GIF and optional mask GIF: the transparent-index rule
// without a mask, the mask indices and palette with one.
#include <gtest/gtest.h>

#include "gif_support.h"
#include "toolkit/blend.h"
#include "toolkit/gif.h"

using namespace gif_support;

namespace {

using Palette_ = std::vector<ColorEntry>;

TEST(TransparentIndexTest, HighestBlue255OrElseTheLast) {
    Palette_ only17(256, ColorEntry{1, 2, 3});
    only17[17] = {0, 0, 255};
    const std::pair<Palette_, std::size_t> cases[] = {
        {{{0, 0, 0}, {0, 0, 255}}, 1},
        {{{0, 0, 255}, {1, 1, 1}}, 0},
        {{{0, 0, 255}, {9, 9, 255}, {3, 3, 3}, {4, 4, 4}}, 1},
        {{{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}}, 3},
        {{{255, 255, 254}, {255, 0, 0}, {0, 255, 0}, {7, 7, 7}}, 3},
        {only17, 17},
    };
    for (const auto& [palette, expected] : cases) EXPECT_EQ(TransparentIndex(ColorTable{palette}), expected);
}

struct TransparencyCase {
    const char* name;
    Palette_ palette;
    std::uint8_t transparent;
};

TEST(LoadPictureDataTest, WithoutAMaskOnlyTheTransparentIndexLetsTheScreenThrough) {
    const TransparencyCase cases[] = {
        {"last entry is the only blue 255", {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {5, 5, 255}}, 3},
        {"no blue 255 at all", {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {5, 5, 5}}, 3},
        {"first entry is the only blue 255", {{0, 0, 255}, {0, 200, 0}, {0, 0, 200}, {5, 5, 5}}, 0},
    };
    const Bytes indices{0, 1, 2, 3, 3, 2, 1, 0};
    for (const TransparencyCase& c : cases) {
        PictureData picture;
        ASSERT_TRUE(LoadPictureData(MakeGif(4, 2, c.palette, EncodeLzw(indices, 2)), {}, picture)) << c.name;
        EXPECT_EQ(picture.width, 4u);
        EXPECT_EQ(picture.height, 2u);
        EXPECT_EQ(picture.colorPalette.entries, c.palette);
        EXPECT_EQ(picture.drawColorPalette.entries, c.palette);
        const Palette_ blackWhite{{0, 0, 0}, {255, 255, 255}};
        EXPECT_EQ(picture.maskPalette.entries, blackWhite);
        EXPECT_EQ(picture.drawMaskPalette.entries, blackWhite);

        Bytes bits(8 * 4, 0x33);
        ASSERT_TRUE(BlendPicture32(picture, bits));
        for (std::size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(picture.pixels[i].colorIndex, indices[i]);
            EXPECT_EQ(picture.pixels[i].maskIndex, indices[i] == c.transparent ? 1 : 0) << c.name << " " << i;
            const ColorEntry shown = indices[i] == c.transparent ? ColorEntry{0x33, 0x33, 0x33} : c.palette[indices[i]];
            EXPECT_EQ((ColorEntry{bits[4 * i + 2], bits[4 * i + 1], bits[4 * i]}), shown) << c.name << " " << i;
        }
    }
}

TEST(LoadPictureDataTest, AMaskGifGivesTheMaskPaletteAndIndices) {
    const Palette_ colors{{10, 20, 30}, {40, 50, 60}};
    const Palette_ alphas{{0, 0, 0}, {255, 255, 255}, {128, 128, 128}, {0, 128, 255}};
    const Bytes maskIndices{0, 1, 2, 3, 3, 2};
    PictureData picture;
    ASSERT_TRUE(LoadPictureData(MakeGif(3, 2, colors, EncodeLzw({0, 1, 0, 1, 0, 1}, 2)),
                                MakeGif(3, 2, alphas, EncodeLzw(maskIndices, 2)), picture));
    EXPECT_EQ(picture.maskPalette.entries, alphas);
    EXPECT_EQ(picture.drawMaskPalette.entries, alphas);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(picture.pixels[i].maskIndex, maskIndices[i]) << i;
}

TEST(LoadPictureDataTest, ASmallerMaskCoversThePixelsInOrderAndLeavesTheRestAtZero) {
    const Palette_ alphas{{0, 0, 0}, {255, 255, 255}};
    PictureData picture;
    // A 2 x 2 mask on a 3 x 2 picture: its four indices are the first four pixels.
    ASSERT_TRUE(LoadPictureData(MakeGif(3, 2, alphas, EncodeLzw(Bytes(6, 1), 2)),
                                MakeGif(2, 2, alphas, EncodeLzw({1, 1, 0, 1}, 2)), picture));
    const Bytes expected{1, 1, 0, 1, 0, 0};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(picture.pixels[i].maskIndex, expected[i]) << i;
}

TEST(LoadPictureDataTest, APictureThatFailsToLoadIsEmpty) {
    PictureData picture;
    const Palette_ palette{{1, 1, 1}, {2, 2, 2}};
    ASSERT_TRUE(LoadPictureData(MakeGif(2, 1, palette, EncodeLzw({0, 1}, 2)), {}, picture));
    Bytes broken = MakeGif(2, 1, palette, EncodeLzw({0, 1}, 2));
    broken[10] = 0;
    EXPECT_FALSE(LoadPictureData(broken, {}, picture));
    EXPECT_TRUE(picture.Empty());
    EXPECT_EQ(picture.width, 0u);
    EXPECT_EQ(picture.colorPalette.Count(), 0u);
}

}  // namespace

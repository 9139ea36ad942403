// The LZW decoder index by index against giflib, on images giflib encodes and on streams
// giflib's encoder never writes (no clear code when the table is full, odd sub-blocks),
// plus hand-written code sequences for the corner cases of the format.
#include <gtest/gtest.h>

#include <string>

#include "gif_support.h"
#include "toolkit/gif.h"

using namespace gif_support;

namespace {

Bytes Decode(std::span<const std::uint8_t> imageData, std::size_t capacity) {
    Bytes out(capacity);
    out.resize(DecodeGifImage(imageData, out));
    return out;
}

::testing::AssertionResult SameIndices(const Bytes& expected, const Bytes& actual) {
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure() << actual.size() << " indices instead of " << expected.size();
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (expected[i] != actual[i])
            return ::testing::AssertionFailure() << "index " << i << ": " << int(actual[i]) << " instead of "
                                                 << int(expected[i]);
    return ::testing::AssertionSuccess();
}

struct ImageCase {
    int width, height, colors;
    Pattern pattern;
};

std::string Name(const ::testing::TestParamInfo<ImageCase>& info) {
    const char* patterns[] = {"noise", "gradient", "stripes", "solid", "runs"};
    const ImageCase& c = info.param;
    return std::to_string(c.width) + "x" + std::to_string(c.height) + "_" + std::to_string(c.colors) + "_" +
           patterns[static_cast<int>(c.pattern)];
}

class GiflibImages : public ::testing::TestWithParam<ImageCase> {
protected:
    void SetUp() override {
        const ImageCase& c = GetParam();
        image = MakeImage(c.width, c.height, c.colors, c.pattern);
        gif = EncodeWithGiflib(image);
        ASSERT_TRUE(SameIndices(image.indices, DecodeWithGiflib(gif))) << "giflib disagrees with itself";
        ASSERT_TRUE(ReadGifLayout(gif, layout));
    }
    Image image;
    Bytes gif;
    GifLayout layout;
};

TEST_P(GiflibImages, LayoutAndEveryIndexMatchGiflib) {
    EXPECT_EQ(layout.width, static_cast<std::uint32_t>(image.width));
    EXPECT_EQ(layout.height, static_cast<std::uint32_t>(image.height));
    EXPECT_EQ(layout.palette.entries, image.palette);
    const std::size_t count = image.indices.size();
    // The picture loader's buffer has a spare row: a whole image still decodes to w x h.
    EXPECT_TRUE(SameIndices(image.indices, Decode(layout.imageData, count + static_cast<std::size_t>(image.width))));
}

TEST_P(GiflibImages, AFullBufferEndsDecodingWithTheFrontOfTheImage) {
    const std::size_t count = image.indices.size();
    for (std::size_t capacity : {std::size_t{0}, std::size_t{1}, count / 3, count / 2 + 1, count - 1}) {
        if (capacity > count) continue;
        const Bytes expected(image.indices.begin(), image.indices.begin() + static_cast<std::ptrdiff_t>(capacity));
        EXPECT_TRUE(SameIndices(expected, Decode(layout.imageData, capacity))) << "capacity " << capacity;
    }
}

INSTANTIATE_TEST_SUITE_P(Images, GiflibImages,
                         ::testing::Values(ImageCase{1, 1, 2, Pattern::Solid}, ImageCase{3, 5, 2, Pattern::Noise},
                                           ImageCase{16, 16, 4, Pattern::Stripes},
                                           ImageCase{20, 20, 16, Pattern::Noise},
                                           ImageCase{97, 61, 8, Pattern::Gradient},
                                           ImageCase{320, 200, 256, Pattern::Noise},
                                           ImageCase{640, 480, 256, Pattern::Gradient},
                                           ImageCase{300, 300, 32, Pattern::Runs},
                                           ImageCase{1000, 3, 128, Pattern::Stripes},
                                           ImageCase{512, 512, 2, Pattern::Noise},
                                           ImageCase{256, 256, 64, Pattern::Solid}),
                         Name);

struct StreamCase {
    const char* name;
    EncodeOptions options;
    int colors;
    Pattern pattern;
};

class OwnStreams : public ::testing::TestWithParam<StreamCase> {};

// giflib decodes these as well; both must give back the source indices.
TEST_P(OwnStreams, DecodeLikeGiflib) {
    const StreamCase& c = GetParam();
    const Image image = MakeImage(233, 177, c.colors, c.pattern, 11);
    unsigned minimumSize = 2;
    while ((1u << minimumSize) < static_cast<unsigned>(c.colors)) ++minimumSize;
    const Bytes data = EncodeLzw(image.indices, minimumSize, c.options);
    const Bytes gif = MakeGif(233, 177, image.palette, data);
    ASSERT_TRUE(SameIndices(image.indices, DecodeWithGiflib(gif)));
    GifLayout layout;
    ASSERT_TRUE(ReadGifLayout(gif, layout));
    EXPECT_TRUE(SameIndices(image.indices, Decode(layout.imageData, image.indices.size())));
}

INSTANTIATE_TEST_SUITE_P(
    Streams, OwnStreams,
    ::testing::Values(StreamCase{"ClearWhenFull", {}, 256, Pattern::Noise},
                      // 4096 codes defined, then 12-bit codes without definitions to the end.
                      StreamCase{"NeverClear", {true, -1}, 256, Pattern::Noise},
                      StreamCase{"NeverClearFewColours", {true, -1}, 4, Pattern::Runs},
                      StreamCase{"LateClear", {true, 300}, 256, Pattern::Noise},
                      StreamCase{"NoLeadingClear", {false, 0}, 16, Pattern::Noise},
                      StreamCase{"OneByteBlocks", {true, 0, 1}, 16, Pattern::Noise},
                      StreamCase{"SevenByteBlocks", {true, -1, 7}, 64, Pattern::Noise},
                      StreamCase{"NoEndCode", {true, 0, 255, false}, 8, Pattern::Gradient}),
    [](const ::testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.name); });

// Hand-written code sequences, minimum code size 2 unless given: clear 4, end 5, first free
// code 6, codes 3 bits wide until code 8 is reached.
struct CodeCase {
    const char* name;
    std::vector<std::pair<unsigned, unsigned>> codes;  // code, width
    Bytes expected;
    unsigned minimumSize = 2;
};

TEST(GifCodes, CornerCasesOfTheFormat) {
    const CodeCase cases[] = {
        {"clear after clear", {{4, 3}, {4, 3}, {1, 3}, {2, 3}, {5, 3}}, {1, 2}},
        {"first code is no clear", {{1, 3}, {1, 3}, {5, 3}}, {1, 1}},
        {"code equal to the next free one", {{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 4}}, {1, 1, 1, 1, 1, 1}},
        // 7 is read as 6 = "1 1"; the code defined next is (6, 2), so 7 is then "1 1 2".
        {"code beyond the next free one", {{4, 3}, {1, 3}, {7, 3}, {2, 3}, {7, 4}, {5, 4}}, {1, 1, 1, 2, 1, 1, 2}},
        {"undefined code right after a reset", {{4, 3}, {6, 3}, {1, 3}, {5, 3}}, {}},
        {"end code first", {{5, 3}, {1, 3}}, {}},
        // 24 bits: no padding bits that would read as more codes.
        {"data end without an end code", {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {1, 4}, {2, 4}, {3, 4}}, {1, 2, 3, 1, 2, 3}},
        // After the clear the width is 3 again and 6 is free again: 3, then 6 = "3 3".
        {"clear resets width and table",
         {{4, 3}, {1, 3}, {2, 3}, {6, 3}, {4, 4}, {3, 3}, {6, 3}, {5, 3}},
         {1, 2, 1, 2, 3, 3, 3}},
        {"minimum code size 11", {{2048, 12}, {5, 12}, {2049, 12}}, {5}, 11},
        {"minimum code size 12 is refused", {{4096, 13}, {5, 13}, {4097, 13}}, {}, 12},
    };
    for (const CodeCase& c : cases) {
        CodeStream stream(c.minimumSize);
        for (auto [code, width] : c.codes) stream.Put(code, width);
        EXPECT_TRUE(SameIndices(c.expected, Decode(stream.ImageData(), 64))) << c.name;
    }
}

// Codes 0 1 2 3 0 1 ... define one entry each until code 4095 = (1, 2) is the last; then 4095
// and 4094 are used at 12 bits and a further code 3 defines nothing. giflib agrees.
TEST(GifCodes, TheLastCodeIsDefinedAndTheFullTableStillDecodes) {
    CodeStream stream(2);
    Bytes expected;
    unsigned width = 3, next = 6;
    auto put = [&](unsigned code, bool defines) {
        stream.Put(code, width);
        if (defines && next < 4096 && ++next >= (1u << width) && width < 12) ++width;
    };
    put(4, false);
    for (unsigned k = 0; k < 4091; ++k) {
        put(k % 4, k > 0);
        expected.push_back(static_cast<std::uint8_t>(k % 4));
    }
    ASSERT_EQ(next, 4096u);
    ASSERT_EQ(width, 12u);
    put(4095, true);
    put(4094, true);
    put(3, true);
    put(5, false);
    expected.insert(expected.end(), {1, 2, 0, 1, 3});

    const Bytes gif = MakeGif(static_cast<unsigned>(expected.size()), 1, Palette(4), stream.ImageData());
    ASSERT_TRUE(SameIndices(expected, DecodeWithGiflib(gif)));
    GifLayout layout;
    ASSERT_TRUE(ReadGifLayout(gif, layout));
    EXPECT_TRUE(SameIndices(expected, Decode(layout.imageData, expected.size() + 10)));
}

TEST(GifLayoutTest, ExtensionBlocksBeforeTheImageAreSkipped) {
    const Image image = MakeImage(9, 4, 4, Pattern::Noise);
    Bytes out;
    int error = 0;
    GifFileType* file = EGifOpen(&out, WriteToBytes, &error);
    ASSERT_NE(file, nullptr);
    ColorMapObject* map = MakeMap(image.palette);
    const GifByteType control[4] = {1, 0, 0, 3};  // transparent index 3, no 0x2C byte
    EXPECT_EQ(EGifPutScreenDesc(file, 9, 4, 8, 0, map), GIF_OK);
    EXPECT_EQ(EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, control), GIF_OK);
    EXPECT_EQ(EGifPutImageDesc(file, 0, 0, 9, 4, false, nullptr), GIF_OK);
    Bytes pixels = image.indices;
    EXPECT_EQ(EGifPutLine(file, pixels.data(), 36), GIF_OK);
    GifFreeMapObject(map);
    EXPECT_EQ(EGifCloseFile(file, &error), GIF_OK);

    GifLayout layout;
    ASSERT_TRUE(ReadGifLayout(out, layout));
    EXPECT_TRUE(SameIndices(image.indices, Decode(layout.imageData, 36)));
}

}  // namespace

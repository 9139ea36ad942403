// Pictures from the test's own "PICT" resources, drawn on 32- and 16-bit memory bitmaps, and
// the reference counts of the picture cache.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "gif_surface.h"
#include "pictures.h"
#include "toolkit/win32/picture.h"

namespace {

HINSTANCE Self() { return ::GetModuleHandleW(nullptr); }

constexpr COLORREF kScreen = RGB(0x33, 0x22, 0x11);

TEST(PictureResource, CopiesTheBytesOfAPictResource) {
    const std::vector<std::uint8_t> bytes = LoadPictureResource(Self(), ID_KEY_BLUE);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
    EXPECT_TRUE(LoadPictureResource(Self(), ID_MISSING).empty());
    EXPECT_TRUE(LoadPictureResource(Self(), 0x10000 + ID_KEY_BLUE).empty()) << "ids are 16 bits";
}

struct KeyCase {
    const char* name;
    UINT id, maskId;
    COLORREF palette[4];
};

// The 4 x 2 pictures hold indices 0 1 2 3 / 3 2 1 0 and are drawn at (2, 1).
TEST(PictureDraw, WithoutAMaskOnePaletteIndexIsTransparent) {
    const KeyCase cases[] = {
        {"last entry the only blue 255", ID_KEY_BLUE, 0, {RGB(200, 40, 20), RGB(20, 160, 60), RGB(90, 90, 200), CLR_INVALID}},
        {"no blue 255: the last index", ID_NO_BLUE, 0, {RGB(200, 40, 20), RGB(20, 160, 60), RGB(90, 90, 200), CLR_INVALID}},
        {"mask resource missing", ID_KEY_BLUE, ID_MISSING, {RGB(200, 40, 20), RGB(20, 160, 60), RGB(90, 90, 200), CLR_INVALID}},
    };
    const int indices[2][4] = {{0, 1, 2, 3}, {3, 2, 1, 0}};
    for (const KeyCase& c : cases) {
        Picture picture;
        ASSERT_TRUE(picture.LoadPicture(Self(), c.id, c.maskId)) << c.name;
        Surface surface(8, 4, 32);
        ASSERT_TRUE(surface.Valid());
        surface.Fill(Raw32(kScreen));
        ASSERT_TRUE(picture.DrawPicture(surface.Dc(), 2, 1)) << c.name;
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x) {
                const bool inside = x >= 2 && x < 6 && y >= 1 && y < 3;
                const COLORREF color = inside ? c.palette[indices[y - 1][x - 2]] : CLR_INVALID;
                EXPECT_EQ(surface.Color(x, y), color == CLR_INVALID ? kScreen : color) << c.name << " " << x << "," << y;
            }
        }
    }
}

// The 3 x 2 colour (200, 100, 40) with the mask black white grey / grey white black.
struct MaskCase {
    const char* name;
    int bitsPerPixel;
    const PixelMasks16* masks;
    std::uint32_t screen;
    std::uint32_t black, white, grey;
};

TEST(PictureDraw, MaskBlackKeepsTheColourWhiteTheScreenGreyMixes) {
    const MaskCase cases[] = {
        {"32 bits", 32, nullptr, Raw32(kScreen), Raw32(RGB(200, 100, 40)), Raw32(kScreen), Raw32(RGB(125, 66, 28))},
        // Screen red 4, green 21 (its sixth bit set), blue 17: see the native blend tables.
        {"16 bits 5-6-5", 16, &kMasks565, 0x2571, 0xC324, 0x2571, 0x6BE9},
        {"16 bits 5-5-5", 16, nullptr, 0x12B1, 0x6184, 0x12B1, 0x35E9},
    };
    Picture picture;
    ASSERT_TRUE(picture.LoadPicture(Self(), ID_MASKED_COLOUR, ID_MASK));
    for (const MaskCase& c : cases) {
        Surface surface(5, 4, c.bitsPerPixel, c.masks);
        ASSERT_TRUE(surface.Valid()) << c.name;
        surface.Fill(c.screen);
        ASSERT_TRUE(picture.DrawPicture(surface.Dc(), 1, 2)) << c.name;
        const std::uint32_t expected[2][3] = {{c.black, c.white, c.grey}, {c.grey, c.white, c.black}};
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                const bool inside = x >= 1 && x < 4 && y >= 2;
                EXPECT_EQ(surface.Raw(x, y), inside ? expected[y - 2][x - 1] : c.screen) << c.name << " " << x << "," << y;
            }
    }
}

TEST(PictureDraw, ACompatibleDeviceBitmapOfTheScreen) {
    Picture picture;
    ASSERT_TRUE(picture.LoadPicture(Self(), ID_MASKED_COLOUR, ID_MASK));
    WindowDc screen(nullptr);
    UniqueMemoryDc dc(::CreateCompatibleDC(screen.Get()));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), 3, 2));
    ASSERT_TRUE(dc && bitmap);
    ScopedSelect select(dc.Get(), bitmap.Get());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) ::SetPixel(dc.Get(), x, y, kScreen);
    ASSERT_TRUE(picture.DrawPicture(dc.Get(), 0, 0));
    EXPECT_EQ(::GetPixel(dc.Get(), 0, 0), RGB(200, 100, 40));
    EXPECT_EQ(::GetPixel(dc.Get(), 1, 0), kScreen);
    EXPECT_EQ(::GetPixel(dc.Get(), 2, 0), RGB(125, 66, 28));
}

TEST(PictureDraw, DrawnTwiceAtOnePlaceIsBlendedTwice) {
    Picture picture;
    ASSERT_TRUE(picture.LoadPicture(Self(), ID_MASKED_COLOUR, ID_MASK));
    Surface surface(3, 2, 32);
    surface.Fill(Raw32(kScreen));
    ASSERT_TRUE(picture.DrawPicture(surface.Dc(), 0, 0));
    ASSERT_TRUE(picture.DrawPicture(surface.Dc(), 0, 0));
    EXPECT_EQ(surface.Color(2, 0), RGB(162, 82, 33));
    EXPECT_EQ(surface.Color(0, 0), RGB(200, 100, 40));
    EXPECT_EQ(surface.Color(1, 0), kScreen);
}

TEST(PictureDraw, NothingIsDrawnForAnEmptyPictureOrAnotherDepth) {
    Picture missing, broken, good;
    EXPECT_FALSE(missing.LoadPicture(Self(), ID_MISSING, 0));
    EXPECT_FALSE(broken.LoadPicture(Self(), ID_NO_TABLE, 0));
    ASSERT_TRUE(good.LoadPicture(Self(), ID_KEY_BLUE, 0));
    Surface surface(6, 3, 32);
    surface.Fill(Raw32(kScreen));
    EXPECT_FALSE(missing.DrawPicture(surface.Dc(), 0, 0));
    EXPECT_FALSE(broken.DrawPicture(surface.Dc(), 0, 0));
    Surface deep(6, 3, 24);
    ASSERT_TRUE(deep.Valid());
    deep.Fill(0x112233);
    EXPECT_FALSE(good.DrawPicture(deep.Dc(), 0, 0)) << "24 bits per pixel are not blended";
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(surface.Color(x, y), kScreen);
            EXPECT_EQ(deep.Raw(x, y), 0x112233u);
        }
}

TEST(PictureCacheTest, OnePicturePerIdCountedUntilTheLastRelease) {
    PictureCache cache(Self());
    Picture* first = cache.AcquirePicture(ID_KEY_BLUE, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->Data().Empty());
    EXPECT_EQ(cache.AcquirePicture(ID_KEY_BLUE, ID_MASK), first) << "the mask id is not part of the key";
    EXPECT_EQ(cache.CountOf(ID_KEY_BLUE), 2);
    Picture* other = cache.AcquirePicture(ID_NO_BLUE, 0);
    EXPECT_NE(other, first);

    EXPECT_TRUE(cache.ReleasePicture(ID_KEY_BLUE));
    EXPECT_EQ(cache.CountOf(ID_KEY_BLUE), 1);
    EXPECT_TRUE(cache.ReleasePicture(ID_KEY_BLUE));
    EXPECT_EQ(cache.CountOf(ID_KEY_BLUE), 0);
    EXPECT_FALSE(cache.ReleasePicture(ID_KEY_BLUE));
    EXPECT_EQ(cache.CountOf(ID_NO_BLUE), 1) << "other entries stay";

    Picture* again = cache.AcquirePicture(ID_KEY_BLUE, 0);
    EXPECT_EQ(cache.CountOf(ID_KEY_BLUE), 1) << "loaded afresh";
    EXPECT_FALSE(again->Data().Empty());
}

TEST(PictureCacheTest, AMissingPictureIsCachedEmpty) {
    Picture* missing = AcquirePicture(ID_MISSING, 0);
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->Data().Empty());
    EXPECT_EQ(ThePictureCache().CountOf(ID_MISSING), 1);
    Surface surface(2, 2, 32);
    EXPECT_FALSE(missing->DrawPicture(surface.Dc(), 0, 0));
    EXPECT_TRUE(ReleasePicture(ID_MISSING));
    EXPECT_FALSE(ReleasePicture(ID_MISSING));
}

}  // namespace

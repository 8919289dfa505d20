#include "gif/GIFDitherers.h"
#include "gif/GIFPalettes.h"
#include "gif/GIFReduce.h"
#include "gif/codec/GIFException.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Palette.h"
#include "support/Bitmap24.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct RGBc {
    Byte r, g, b;
};

// A 24-bit bitmap of width x height whose pixel (x, y) is colors[(y * width + x) % n].
ObjectPtr<TBitmap> Picture(int width, int height, const std::vector<RGBc>& colors) {
    return test_support::Bitmap24(width, height, [&](int x, int y) {
        const RGBc& c = colors[static_cast<size_t>(y * width + x) % colors.size()];
        return std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | c.b;
    });
}

std::vector<RGBQUAD> ColorTable(TBitmap& bitmap) {
    std::vector<RGBQUAD> table(256);
    UINT n = GetDIBColorTable(bitmap.Canvas()->Handle(), 0, 256, table.data());
    table.resize(n);
    return table;
}

std::vector<PALETTEENTRY> Entries(HPALETTE palette) {
    std::vector<PALETTEENTRY> e(GetPaletteEntries(palette, 0, 0, nullptr));
    GetPaletteEntries(palette, 0, static_cast<UINT>(e.size()), e.data());
    return e;
}

Byte IndexAt(TBitmap& bitmap, int x, int y) {
    return static_cast<const Byte*>(bitmap.ScanLine(y))[x];
}

} // namespace

TEST(Reduce, FixedPalettes) {
    HPALETTE cube = BuildNetscapePalette();
    std::vector<PALETTEENTRY> e = Entries(cube);
    ASSERT_EQ(e.size(), 216u);
    EXPECT_EQ(e[180].peRed, 255);
    EXPECT_EQ(e[180].peGreen, 0);
    EXPECT_EQ(e[5].peBlue, 255);
    EXPECT_EQ(e[5].peRed, 0);
    EXPECT_EQ(e[43].peGreen, 51); // 1 x 36 + 1 x 6 + 1
    DeleteObject(cube);

    HPALETTE grays = BuildWindowsGrayPalette();
    e = Entries(grays);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[1].peRed, 128);
    EXPECT_EQ(e[2].peBlue, 192);
    EXPECT_EQ(e[3].peFlags, PC_NOCOLLAPSE);
    DeleteObject(grays);

    HPALETTE gray256 = BuildGrayPalette256();
    e = Entries(gray256);
    ASSERT_EQ(e.size(), 256u);
    EXPECT_EQ(e[77].peGreen, 77);
    DeleteObject(gray256);

    HPALETTE mono = BuildMonochromePalette();
    e = Entries(mono);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].peRed, 0);
    EXPECT_EQ(e[1].peRed, 255);
    DeleteObject(mono);
}

TEST(Reduce, QuantiseKeepsFewColoursInWalkOrder) {
    // Walk order sorts by interleaved bits red 7, green 7, blue 7, red 6...
    std::vector<RGBc> colors = {{200, 10, 10}, {10, 10, 200}, {10, 200, 10}};
    ObjectPtr<TBitmap> source = Picture(6, 3, colors);
    ObjectPtr<TBitmap> result =
        ReduceBitmapColors(source.get(), redQuantize, dtFloydSteinberg, 8, 0);
    ASSERT_EQ(result->PixelFormat(), pf8bit);
    ASSERT_EQ(result->Width(), 6);
    std::vector<RGBQUAD> table = ColorTable(*result);
    ASSERT_GE(table.size(), 3u);
    EXPECT_EQ(table[0].rgbBlue, 200);  // blue first: its child index is 1
    EXPECT_EQ(table[1].rgbGreen, 200); // then green (2)
    EXPECT_EQ(table[2].rgbRed, 200);   // then red (4)
    // Every pixel is its exact colour, so dithering changes nothing.
    EXPECT_EQ(IndexAt(*result, 0, 0), 2);
    EXPECT_EQ(IndexAt(*result, 1, 0), 0);
    EXPECT_EQ(IndexAt(*result, 2, 0), 1);
    EXPECT_EQ(IndexAt(*result, 5, 2), 1);
    EXPECT_EQ(source->PixelFormat(), pf24bit);
}

TEST(Reduce, ZeroBitsGiveTheAverageColour) {
    ObjectPtr<TBitmap> source = Picture(2, 1, {{0, 0, 0}, {255, 101, 3}});
    ObjectPtr<TBitmap> result = ReduceBitmapColors(source.get(), redQuantize, dtNearest, 0, 0);
    std::vector<RGBQUAD> table = ColorTable(*result);
    ASSERT_GE(table.size(), 1u);
    EXPECT_EQ(table[0].rgbRed, 127);
    EXPECT_EQ(table[0].rgbGreen, 50);
    EXPECT_EQ(table[0].rgbBlue, 1);
    EXPECT_EQ(IndexAt(*result, 0, 0), 0);
    EXPECT_EQ(IndexAt(*result, 1, 0), 0);
}

TEST(Reduce, QuantiseBitsAboveEightStayWithin256Colours) {
    std::vector<RGBc> colors;
    for (int i = 0; i < 600; ++i)
        colors.push_back({Byte(i * 7), Byte(i * 13), Byte(i * 29)});
    ObjectPtr<TBitmap> source = Picture(60, 10, colors);
    ObjectPtr<TBitmap> result =
        ReduceBitmapColors(source.get(), redQuantize, dtFloydSteinberg, 12, 0);
    ASSERT_EQ(result->PixelFormat(), pf8bit);
    EXPECT_LE(ColorTable(*result).size(), 256u);
}

TEST(Reduce, GrayScaleNearestIsTheLuminance) {
    std::vector<RGBc> colors = {
        {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {17, 99, 201}};
    ObjectPtr<TBitmap> source = Picture(5, 3, colors);
    ObjectPtr<TBitmap> result = ReduceBitmapColors(source.get(), redGrayScale, dtNearest, 8, 0);
    ASSERT_EQ(result->PixelFormat(), pf8bit);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const RGBc& c = colors[static_cast<size_t>(y * 5 + x) % colors.size()];
            EXPECT_EQ(IndexAt(*result, x, y), (c.r * 77 + c.g * 150 + c.b * 29) >> 8)
                << x << "," << y;
        }
    }
    std::vector<RGBQUAD> table = ColorTable(*result);
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table[76].rgbGreen, 76);
}

TEST(Reduce, QuantiseWindowsFramesTheColoursWithTheSystemOnes) {
    ObjectPtr<TBitmap> source = Picture(4, 4, {{1, 2, 3}, {250, 100, 7}});
    ObjectPtr<TBitmap> result =
        ReduceBitmapColors(source.get(), redQuantizeWindows, dtNearest, 8, 0);
    std::vector<RGBQUAD> table = ColorTable(*result);
    ASSERT_EQ(table.size(), 256u);
    std::vector<PALETTEENTRY> system = Entries(StockPalette());
    ASSERT_EQ(system.size(), 20u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(table[i].rgbRed, system[i].peRed) << i;
        EXPECT_EQ(table[246 + i].rgbGreen, system[10 + i].peGreen) << i;
    }
    EXPECT_EQ(table[10].rgbRed, 1);
    EXPECT_EQ(table[11].rgbRed, 250);
    EXPECT_EQ(IndexAt(*result, 1, 0), 11);
}

TEST(Reduce, WhatGivesAnEmptyBitmapOrACopy) {
    ObjectPtr<TBitmap> source = Picture(3, 2, {{9, 9, 9}});
    struct Case {
        const char* what;
        int method, dither;
    } empty[] = {{"method above 9", 10, dtNearest},
                 {"dither above 6", redGrayScale, 7},
                 {"redPalette without a palette", redPalette, dtNearest}};
    for (const Case& c : empty) {
        ObjectPtr<TBitmap> result = ReduceBitmapColors(source.get(), c.method, c.dither, 8, 0);
        EXPECT_TRUE(result->Empty()) << c.what;
    }
    source->SetPixelFormat(pf8bit);
    ObjectPtr<TBitmap> copy = ReduceBitmapColors(source.get(), redNone, dtNearest, 8, 0);
    EXPECT_EQ(copy->PixelFormat(), pf24bit);
    EXPECT_EQ(copy->Width(), 3);
    EXPECT_EQ(source->PixelFormat(), pf8bit);

    HPALETTE own = BuildMonochromePalette();
    ObjectPtr<TBitmap> custom = ReduceBitmapColors(source.get(), redPalette, dtNearest, 8, own);
    std::vector<RGBQUAD> table = ColorTable(*custom);
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table[1].rgbRed, 255);
    EXPECT_EQ(table[2].rgbRed, 0);
    EXPECT_EQ(IndexAt(*custom, 0, 0), 0);
    // The caller's palette is copied, never taken.
    EXPECT_EQ(GetObjectType(own), OBJ_PAL);
    DeleteObject(own);
}

TEST(Reduce, NoPixelsAreInvalidDimensionsForEveryPalette) {
    ObjectPtr<TBitmap> source = Picture(0, 0, {{1, 2, 3}});
    for (int method : {redWindows20, redGrayScale, redNetscape, redQuantize, redQuantizeWindows}) {
        try {
            ObjectPtr<TBitmap> result = ReduceBitmapColors(source.get(), method, dtNearest, 8, 0);
            ADD_FAILURE() << "method " << method << " gave a bitmap";
        } catch (const GIFException& e) {
            EXPECT_EQ(e.Message(), "Invalid image dimensions") << method;
        }
    }
    // Copying needs no dimensions.
    ObjectPtr<TBitmap> copy = ReduceBitmapColors(source.get(), redNone, dtNearest, 8, 0);
    EXPECT_EQ(copy->Width(), 0);
}

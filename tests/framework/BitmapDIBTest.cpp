#include "GraphicTestUtil.h"

#include "framework/BitmapDIB.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Object.h"

#include <gtest/gtest.h>

#include <vector>

using namespace gfx_test;

namespace {

TEST(BitmapDIB, HeaderAndImageSizesPerFormat) {
    auto bitmap = SolidBitmap(100, 50, clWhite);
    struct Case {
        TPixelFormat format;
        DWORD header, image;
    } cases[] = {
        {pf24bit, 40, 300 * 50},
        {pf8bit, 1064, 100 * 50},
        {pf4bit, 104, 52 * 50},
        // A 1-bit row of 100 pixels takes 128 bits: 16 bytes.
        {pf1bit, 48, 16 * 50},
    };
    for (const Case& c : cases) {
        DWORD header = 0, image = 0;
        GetBitmapDIBSizes(bitmap->Handle(), header, image, c.format);
        EXPECT_EQ(header, c.header) << c.format;
        EXPECT_EQ(image, c.image) << c.format;
    }
    DWORD header, image;
    try {
        GetBitmapDIBSizes(bitmap->Handle(), header, image, pf32bit);
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Unsupported PixelFormat");
    }
    try {
        GetBitmapDIBSizes(0, header, image, pf8bit);
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
}

TEST(BitmapDIB, InfoHeaderDescribesTheTargetFormat) {
    // An 8-bit source with 3 colours: the 24-bit header claims no colour table.
    auto bitmap = SolidBitmap(10, 4, clBlack, pf8bit);
    bitmap->SetPalette(MakePalette({RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}));
    BITMAPINFOHEADER header;
    FillBitmapInfoHeader(bitmap->Handle(), header, pf24bit);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 10);
    EXPECT_EQ(header.biHeight, 4);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, 0u);
    EXPECT_EQ(header.biSizeImage, 32u * 4);
    EXPECT_EQ(header.biClrUsed, 0u);
    EXPECT_EQ(header.biClrImportant, 0u);

    // A top-down DIB section keeps its sign; the size uses the absolute height.
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 5;
    info.bmiHeader.biHeight = -3;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP topDown = CreateDIBSection(0, &info, DIB_RGB_COLORS, &bits, 0, 0);
    ASSERT_NE(topDown, HBITMAP(0));
    FillBitmapInfoHeader(topDown, header, pf8bit);
    EXPECT_EQ(header.biHeight, -3);
    EXPECT_EQ(header.biSizeImage, 8u * 3);
    DeleteObject(topDown);
}

TEST(BitmapDIB, GetBitmapDIBitsCopiesBottomUpRows) {
    auto bitmap = SolidBitmap(2, 2, clBlack);
    bitmap->Canvas()->SetPixels(0, 0, RGB(10, 20, 30));
    bitmap->Canvas()->SetPixels(1, 1, RGB(40, 50, 60));
    DWORD headerSize, imageSize;
    GetBitmapDIBSizes(bitmap->Handle(), headerSize, imageSize, pf24bit);
    std::vector<Byte> header(headerSize), bits(imageSize);
    ASSERT_TRUE(GetBitmapDIBits(bitmap->Handle(), 0, header.data(), bits.data(), pf24bit));
    // Row 0 of the bits is the bottom row: (0, 1) then (1, 1).
    EXPECT_EQ(bits[3], 60);
    EXPECT_EQ(bits[4], 50);
    EXPECT_EQ(bits[5], 40);
    EXPECT_EQ(bits[8 + 0], 30);
    EXPECT_EQ(bits[8 + 2], 10);
}

} // namespace

#include "gif/GIFDIB.h"
#include "gif/codec/GIFException.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Palette.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ObjectPtr<TBitmap> MakeBitmap(int width, int height, TPixelFormat format = pf24bit) {
    ObjectPtr<TBitmap> bitmap = MakeObject<TBitmap>();
    bitmap->SetPixelFormat(format);
    bitmap->SetSize(width, height);
    return bitmap;
}

void SetPixel24(TBitmap& bitmap, int x, int y, Byte r, Byte g, Byte b) {
    Byte* p = static_cast<Byte*>(bitmap.ScanLine(y)) + x * 3;
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

TColor Pixel24(TBitmap& bitmap, int x, int y) {
    const Byte* p = static_cast<const Byte*>(bitmap.ScanLine(y)) + x * 3;
    return RGB(p[2], p[1], p[0]);
}

HPALETTE PaletteOf(std::initializer_list<PALETTEENTRY> entries) {
    std::vector<Byte> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * entries.size());
    auto* pal = reinterpret_cast<LOGPALETTE*>(block.data());
    pal->palVersion = 0x300;
    pal->palNumEntries = static_cast<WORD>(entries.size());
    int i = 0;
    for (const PALETTEENTRY& e : entries)
        pal->palPalEntry[i++] = e;
    return CreatePalette(pal);
}

} // namespace

TEST(DIB, ReaderConvertsTheCallersBitmap) {
    ObjectPtr<TBitmap> bitmap = MakeBitmap(3, 2, pf8bit);
    {
        TDIBReader reader(bitmap.get(), pf24bit);
        EXPECT_EQ(reader.RowPointer(1), bitmap->ScanLine(1));
        EXPECT_THROW(reader.RowPointer(2), EInvalidGraphicOperation);
    }
    EXPECT_EQ(BitmapPixelFormat(*bitmap), pf24bit);
}

TEST(DIB, WriterBuildsTheTableAndLoadsTheBitmap) {
    HPALETTE palette = PaletteOf({{255, 0, 0, 0}, {0, 255, 0, 0}, {1, 2, 3, 0}});
    ObjectPtr<TBitmap> target = MakeObject<TBitmap>();
    {
        TDIBWriter writer(target.get(), pf8bit, 3, 2, palette);
        Byte* top = static_cast<Byte*>(writer.RowPointer(0));
        top[0] = 2;
        top[1] = 1;
        static_cast<Byte*>(writer.RowPointer(1))[2] = 0;
        const BITMAPINFOHEADER* header = writer.Header();
        EXPECT_EQ(writer.InfoSize, 1064u);
        EXPECT_EQ(header->biClrUsed, 256u);
        EXPECT_EQ(header->biClrImportant, 3u);
        const auto* table = reinterpret_cast<const RGBQUAD*>(writer.InfoHeader.get() + 40);
        EXPECT_EQ(table[0].rgbRed, 255);
        EXPECT_EQ(table[2].rgbBlue, 3);
        EXPECT_EQ(table[2].rgbRed, 1);
        for (int i = 3; i < 256; ++i)
            EXPECT_EQ(table[i].rgbRed | table[i].rgbGreen | table[i].rgbBlue, 0);
        // Row 0 is the last row in memory of a bottom-up DIB.
        EXPECT_EQ(top, writer.Bits.get() + 4);
        EXPECT_EQ(writer.BitsSize, 8);
        try {
            writer.RowPointer(2);
            ADD_FAILURE();
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_STREQ(e.what(), "Scan line index out of range");
        }
    }
    DeleteObject(palette);
    ASSERT_EQ(target->Width(), 3);
    ASSERT_EQ(target->Height(), 2);
    EXPECT_EQ(target->PixelFormat(), pf8bit);
    const Byte* row0 = static_cast<const Byte*>(target->ScanLine(0));
    EXPECT_EQ(row0[0], 2);
    EXPECT_EQ(row0[1], 1);
    EXPECT_EQ(target->Canvas()->Pixels(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(target->Canvas()->Pixels(1, 0), RGB(0, 255, 0));
    EXPECT_EQ(target->Canvas()->Pixels(2, 1), RGB(255, 0, 0));
}

TEST(DIB, TopDownWriterCountsRowsFromTheTop) {
    ObjectPtr<TBitmap> target = MakeObject<TBitmap>();
    TDIBWriter writer(target.get(), pf24bit, 2, -3, 0);
    Byte* first = static_cast<Byte*>(writer.RowPointer(0));
    EXPECT_EQ(first, writer.Bits.get());
    Byte* last = static_cast<Byte*>(writer.RowPointer(2));
    EXPECT_EQ(last, writer.Bits.get() + 16);
    last[2] = 200; // red of pixel (0, 2)
    EXPECT_THROW(writer.RowPointer(3), EInvalidGraphicOperation);
    EXPECT_THROW(writer.RowPointer(-1), EInvalidGraphicOperation);
    writer.FlushToBitmap();
    ASSERT_EQ(target->Height(), 3);
    EXPECT_EQ(Pixel24(*target, 0, 2), RGB(200, 0, 0));
}

TEST(DIB, WriterRefusesFormatsAndEmptySizes) {
    ObjectPtr<TBitmap> target = MakeObject<TBitmap>();
    struct Case {
        TPixelFormat format;
        int width, height;
        const char* error;
    } cases[] = {
        {pf4bit, 2, 2, "Unsupported PixelFormat"},
        {pf32bit, 2, 2, "Unsupported PixelFormat"},
        {pf8bit, 0, 2, "Invalid image dimensions"},
        {pf24bit, 2, 0, "Invalid image dimensions"},
    };
    for (const Case& c : cases) {
        try {
            TDIBWriter writer(target.get(), c.format, c.width, c.height, 0);
            ADD_FAILURE() << c.error;
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), c.error);
        }
    }
}

TEST(DIB, MaskedStretchBltKeepsTheDestinationWhereTheMaskIsSet) {
    ObjectPtr<TBitmap> source = MakeBitmap(2, 1);
    SetPixel24(*source, 0, 0, 255, 0, 0);
    SetPixel24(*source, 1, 0, 0, 255, 0);
    // Mask 1 over the first pixel, 0 over the second (rows padded to 2 bytes).
    const Byte maskBits[2] = {0x80, 0};
    HBITMAP mask = CreateBitmap(2, 1, 1, 1, maskBits);
    HDC maskDC = CreateCompatibleDC(0);
    HGDIOBJ oldMask = SelectObject(maskDC, mask);

    for (int scale : {1, 2}) {
        ObjectPtr<TBitmap> dest = MakeBitmap(2 * scale, scale);
        for (int y = 0; y < scale; ++y)
            for (int x = 0; x < 2 * scale; ++x)
                SetPixel24(*dest, x, y, 0, 0, 255);
        EXPECT_TRUE(MaskedStretchBlt(dest->Canvas()->Handle(), 0, 0, 2 * scale, scale,
                                     source->Canvas()->Handle(), 0, 0, 2, 1, maskDC, 0, 0));
        for (int y = 0; y < scale; ++y) {
            for (int x = 0; x < 2 * scale; ++x) {
                TColor want = x < scale ? RGB(0, 0, 255) : RGB(0, 255, 0);
                EXPECT_EQ(dest->Canvas()->Pixels(x, y), want) << scale << " " << x << "," << y;
            }
        }
        // The mask bitmap is back in its context.
        EXPECT_EQ(GetCurrentObject(maskDC, OBJ_BITMAP), mask);
    }
    SelectObject(maskDC, oldMask);
    DeleteDC(maskDC);
    DeleteObject(mask);
}

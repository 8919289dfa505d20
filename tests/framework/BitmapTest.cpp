#include "GraphicTestUtil.h"

#include "framework/Resources.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Palette.h"
#include "platform/user/Clipboard.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace gfx_test;

namespace {

const TPixelFormat kAllFormats[] = {pf1bit,  pf4bit,  pf8bit,  pf15bit,
                                    pf16bit, pf24bit, pf32bit, pfDevice};

TEST(Bitmap, NewBitmapIsEmptyDeviceDib) {
    auto b = MakeObject<TBitmap>();
    EXPECT_TRUE(b->Empty());
    EXPECT_EQ(b->PixelFormat(), pfDevice);
    EXPECT_EQ(b->HandleType(), bmDIB);
    EXPECT_EQ(b->Handle(), HBITMAP(0));
    b->SetSize(3, 2);
    EXPECT_FALSE(b->Empty());
    DIBSECTION ds;
    EXPECT_EQ(GetObject(b->Handle(), sizeof ds, &ds), kDibSectionObjectSize);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
}

TEST(Bitmap, ResizeKeepsTopLeftAndWhitensNewAreaInEveryFormat) {
    for (TPixelFormat f : kAllFormats) {
        SCOPED_TRACE(int(f));
        auto b = SolidBitmap(4, 3, clBlack, f);
        EXPECT_EQ(b->PixelFormat(), f);
        b->SetSize(6, 5);
        EXPECT_EQ(b->Width(), 6);
        EXPECT_EQ(b->Height(), 5);
        EXPECT_EQ(b->PixelFormat(), f);
        EXPECT_EQ(PixelOf(*b, 0, 0), clBlack);
        EXPECT_EQ(PixelOf(*b, 3, 2), clBlack);
        EXPECT_EQ(PixelOf(*b, 4, 0), clWhite);
        EXPECT_EQ(PixelOf(*b, 0, 3), clWhite);
        EXPECT_EQ(PixelOf(*b, 5, 4), clWhite);
        // Shrinking keeps the corner too.
        b->SetSize(1, 1);
        EXPECT_EQ(PixelOf(*b, 0, 0), clBlack);
    }
}

TEST(Bitmap, ZeroSideEmptiesAndGrowingAgainIsWhite) {
    auto b = SolidBitmap(2, 2, clRed);
    b->SetWidth(0);
    EXPECT_TRUE(b->Empty());
    b->SetWidth(2);
    EXPECT_FALSE(b->Empty());
    EXPECT_EQ(PixelOf(*b, 1, 1), clWhite);
}

TEST(Bitmap, ScanLineCountsRowsFromTheTop) {
    auto b = SolidBitmap(2, 3, clWhite);
    b->Canvas()->SetPixels(1, 0, clRed);
    Byte* row0 = static_cast<Byte*>(b->ScanLine(0));
    EXPECT_EQ(row0[3], 0);   // blue
    EXPECT_EQ(row0[4], 0);   // green
    EXPECT_EQ(row0[5], 255); // red
    Byte* row2 = static_cast<Byte*>(b->ScanLine(2));
    row2[0] = 0;
    row2[1] = 255;
    row2[2] = 0;
    EXPECT_EQ(PixelOf(*b, 0, 2), clLime);
}

TEST(Bitmap, ScanLineOutsideTheRowsRaises) {
    auto b = SolidBitmap(2, 3, clWhite);
    for (int row : {-1, 3, 1000}) {
        try {
            b->ScanLine(row);
            FAIL() << row;
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_STREQ(e.what(), "Scan line index out of range");
        }
    }
    auto empty = MakeObject<TBitmap>();
    EXPECT_THROW(empty->ScanLine(0), EInvalidGraphicOperation);
}

TEST(Bitmap, PixelFormatConversionKeepsStandardColours) {
    const TColor colours[] = {clBlack, clWhite, clRed, clLime, clBlue, clYellow};
    for (TPixelFormat f : {pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        SCOPED_TRACE(int(f));
        auto b = MakeObject<TBitmap>();
        b->SetPixelFormat(pf24bit);
        b->SetSize(6, 1);
        for (int x = 0; x < 6; ++x)
            b->Canvas()->SetPixels(x, 0, colours[x]);
        b->SetPixelFormat(f);
        EXPECT_EQ(b->PixelFormat(), f);
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(PixelOf(*b, x, 0), colours[x]) << x;
        b->SetPixelFormat(pf24bit);
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(PixelOf(*b, x, 0), colours[x]) << x;
    }
}

TEST(Bitmap, DownToOneBitGivesBlackAndWhite) {
    auto b = MakeObject<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(2, 1);
    b->Canvas()->SetPixels(0, 0, RGB(20, 20, 20));
    b->Canvas()->SetPixels(1, 0, RGB(240, 230, 250));
    b->SetPixelFormat(pf1bit);
    EXPECT_TRUE(b->Monochrome());
    EXPECT_EQ(static_cast<Byte*>(b->ScanLine(0))[0] & 0xC0, 0x40);
    EXPECT_EQ(PixelOf(*b, 0, 0), clBlack);
    EXPECT_EQ(PixelOf(*b, 1, 0), clWhite);
}

TEST(Bitmap, AssignedPaletteDecidesDownConversionAndTable) {
    auto b = SolidBitmap(2, 1, RGB(200, 10, 10));
    b->Canvas()->SetPixels(1, 0, RGB(10, 10, 190));
    b->SetPalette(MakePalette({RGB(0, 0, 255), RGB(255, 0, 0), RGB(0, 0, 0)}));
    b->SetPixelFormat(pf8bit);
    std::vector<RGBQUAD> table = b->ColorTable();
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[1].rgbRed, 255);
    const Byte* row = static_cast<Byte*>(b->ScanLine(0));
    EXPECT_EQ(row[0], 1);
    EXPECT_EQ(row[1], 0);
    EXPECT_EQ(GetPaletteEntries(b->Palette(), 0, 0, nullptr), 3u);
}

TEST(Bitmap, PaletteOnPalettedBitmapReplacesTableKeepingIndices) {
    auto b = SolidBitmap(1, 1, clBlack, pf8bit);
    const Byte index = static_cast<Byte*>(b->ScanLine(0))[0];
    std::vector<COLORREF> entries(256, RGB(1, 2, 3));
    std::vector<Byte> buffer(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
    log->palVersion = 0x300;
    log->palNumEntries = 256;
    for (int i = 0; i < 256; ++i)
        log->palPalEntry[i] = PALETTEENTRY{Byte(i), 0, 0, 0};
    b->SetPalette(CreatePalette(log));
    EXPECT_EQ(static_cast<Byte*>(b->ScanLine(0))[0], index);
    EXPECT_EQ(PixelOf(*b, 0, 0), TColor(RGB(index, 0, 0)));
    EXPECT_TRUE(b->PaletteModified());
}

TEST(Bitmap, AssignMakesADeepCopy) {
    auto a = SolidBitmap(3, 2, clRed, pf8bit);
    a->SetTransparentColor(clRed);
    a->SetTransparent(true);
    auto b = MakeObject<TBitmap>();
    b->Assign(a.get());
    a->Canvas()->SetPixels(0, 0, clBlue);
    EXPECT_EQ(b->PixelFormat(), pf8bit);
    EXPECT_EQ(b->Width(), 3);
    EXPECT_EQ(PixelOf(*b, 0, 0), clRed);
    EXPECT_EQ(b->ColorTable().size(), a->ColorTable().size());
    EXPECT_TRUE(b->Transparent());
    EXPECT_EQ(b->TransparentMode(), tmFixed);
    EXPECT_NE(b->Handle(), a->Handle());
    b->Assign(nullptr);
    EXPECT_TRUE(b->Empty());
}

// Assigning over a bitmap of the same size and format (the next grabbed frame) copies every
// byte of the rows, padding included; the old mask and drawing context do not outlive it.
TEST(Bitmap, AssignOverTheSameLayoutCopiesEveryByteAndDropsTheMask) {
    for (TPixelFormat f : {pf24bit, pf8bit}) {
        SCOPED_TRACE(int(f));
        auto source = SolidBitmap(3, 2, clRed, f);
        auto target = SolidBitmap(3, 2, clBlue, f);
        const int rowBytes = f == pf24bit ? 9 : 3; // then padding up to 12 and 4
        const int stride = f == pf24bit ? 12 : 4;
        for (int y = 0; y < 2; ++y)
            std::memset(static_cast<Byte*>(source->ScanLine(y)) + rowBytes, 0xAB,
                        size_t(stride - rowBytes));
        source->SetTransparentColor(clBlue);
        source->SetTransparent(true);
        target->SetTransparentColor(clBlue);
        target->SetTransparent(true);
        ASSERT_NE(target->MaskHandle(), HBITMAP(0)); // all see-through: the target is blue
        target->Canvas()->SetPixels(0, 0, clBlue);   // its canvas holds a context
        target->Assign(source.get());
        for (int y = 0; y < 2; ++y)
            EXPECT_EQ(std::memcmp(target->ScanLine(y), source->ScanLine(y), size_t(stride)), 0)
                << "row " << y;
        EXPECT_EQ(PixelOf(*target, 2, 1), clRed);
        // Drawn see-through, the red picture covers the white under it.
        auto under = SolidBitmap(3, 2, clWhite);
        under->Canvas()->Draw(0, 0, target.get());
        EXPECT_EQ(PixelOf(*under, 1, 1), clRed);
        // The target draws on its own pixels, not on the source's.
        target->Canvas()->SetPixels(1, 0, clLime);
        EXPECT_EQ(PixelOf(*source, 1, 0), clRed);
        EXPECT_NE(PixelOf(*target, 1, 0), clRed);
    }
}

TEST(Bitmap, OnChangeFollowsDrawingAndSizing) {
    auto b = SolidBitmap(2, 2, clWhite);
    int changes = 0;
    b->OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, b.get());
        ++changes;
    };
    b->Canvas()->FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(changes, 1);
    b->SetSize(3, 3);
    EXPECT_EQ(changes, 2);
    b->SetPixelFormat(pf8bit);
    EXPECT_EQ(changes, 3);
}

TEST(Bitmap, TransparentColourAutoIsBottomLeftPixel) {
    auto b = SolidBitmap(3, 3, clWhite);
    b->Canvas()->SetPixels(0, 2, clFuchsia);
    EXPECT_EQ(b->TransparentMode(), tmAuto);
    EXPECT_EQ(b->TransparentColor(), clFuchsia);
    b->SetTransparentColor(clWhite);
    EXPECT_EQ(b->TransparentMode(), tmFixed);
    EXPECT_EQ(b->TransparentColor(), clWhite);
    b->SetTransparentMode(tmAuto);
    EXPECT_EQ(b->TransparentColor(), clFuchsia);
}

TEST(Bitmap, MaskMarksTheTransparentColour) {
    auto b = SolidBitmap(10, 2, clFuchsia);
    b->Canvas()->SetPixels(0, 0, clRed);
    b->Canvas()->SetPixels(9, 1, clBlue);
    b->SetTransparentColor(clFuchsia);
    HBITMAP mask = b->MaskHandle();
    BITMAP bm;
    ASSERT_GT(GetObject(mask, sizeof bm, &bm), 0);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    Byte rows[8] = {};
    ASSERT_EQ(GetBitmapBits(mask, sizeof rows, rows), 4); // rows padded to 16 bits
    EXPECT_EQ(rows[0], 0x7F);
    EXPECT_EQ(rows[1] & 0xC0, 0xC0);
    EXPECT_EQ(rows[2], 0xFF);
    EXPECT_EQ(rows[3] & 0xC0, 0x80);
}

TEST(Bitmap, TransparentDrawLeavesSeeThroughPixels) {
    auto sprite = SolidBitmap(2, 2, clFuchsia);
    sprite->Canvas()->SetPixels(0, 0, clRed);
    sprite->SetTransparentColor(clFuchsia);
    sprite->SetTransparent(true);
    auto target = SolidBitmap(6, 6, clGreen);
    target->Canvas()->Draw(1, 1, sprite.get());
    EXPECT_EQ(PixelOf(*target, 1, 1), clRed);
    EXPECT_EQ(PixelOf(*target, 2, 1), clGreen);
    EXPECT_EQ(PixelOf(*target, 2, 2), clGreen);
    // Stretched: each source pixel becomes 2 x 2, the key colour stays see-through.
    target->Canvas()->StretchDraw(Rect(2, 2, 6, 6), sprite.get());
    EXPECT_EQ(PixelOf(*target, 3, 3), clRed);
    EXPECT_EQ(PixelOf(*target, 4, 4), clGreen);
    EXPECT_EQ(PixelOf(*target, 5, 2), clGreen);
    // Opaque drawing copies the key colour too.
    sprite->SetTransparent(false);
    target->Canvas()->Draw(0, 0, sprite.get());
    EXPECT_EQ(PixelOf(*target, 1, 1), clFuchsia);
}

TEST(Bitmap, HandleCanBeSelectedElsewhereAndCanvasComesBack) {
    auto b = SolidBitmap(2, 2, clWhite);
    HBITMAP h = b->Handle();
    HDC dc = CreateCompatibleDC(0);
    HGDIOBJ old = SelectObject(dc, h);
    ASSERT_NE(old, HGDIOBJ(0));
    SetPixelV(dc, 0, 0, clBlue);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(PixelOf(*b, 0, 0), clBlue);
}

TEST(Bitmap, DeviceBitmapHandedOverIsGivenBackWithChanges) {
    Byte bits[4] = {0x80, 0, 0x00, 0}; // 2 x 2 monochrome, 16-bit rows
    HBITMAP mono = CreateBitmap(2, 2, 1, 1, bits);
    auto b = MakeObject<TBitmap>();
    b->SetHandle(mono);
    EXPECT_EQ(b->PixelFormat(), pf1bit);
    EXPECT_TRUE(b->Monochrome());
    EXPECT_EQ(PixelOf(*b, 0, 0), clWhite);
    EXPECT_EQ(PixelOf(*b, 1, 0), clBlack);
    b->Canvas()->SetPixels(1, 1, clWhite);
    EXPECT_EQ(b->ReleaseHandle(), mono);
    EXPECT_TRUE(b->Empty());
    Byte back[4] = {};
    GetBitmapBits(mono, sizeof back, back);
    EXPECT_EQ(back[0] & 0xC0, 0x80);
    EXPECT_EQ(back[2] & 0xC0, 0x40);
    DeleteObject(mono);
}

TEST(Bitmap, ResourceLoadIsCaseInsensitive) {
    auto source = SolidBitmap(3, 2, clTeal);
    static std::vector<Byte> file = SaveBytes(*source);
    resources::RegisterBitmap("TEST_TEAL", file);
    auto b = MakeObject<TBitmap>();
    b->LoadFromResourceName(HInstance, "test_Teal");
    EXPECT_EQ(b->Width(), 3);
    EXPECT_EQ(PixelOf(*b, 2, 1), clTeal);
    EXPECT_THROW(b->LoadFromResourceName(HInstance, "NO_SUCH"), EResNotFound);
}

TEST(Bitmap, ClipboardBitmapRoundTrip) {
    auto a = SolidBitmap(2, 2, clNavy);
    Word format = 0;
    HANDLE data = 0;
    HPALETTE palette = 0;
    a->SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, CF_BITMAP);
    auto b = MakeObject<TBitmap>();
    b->LoadFromClipboardFormat(format, data, palette);
    EXPECT_EQ(PixelOf(*b, 1, 1), clNavy);
    DeleteObject(data);
    EXPECT_THROW(b->LoadFromClipboardFormat(CF_TEXT, 1, 0), EInvalidGraphic);
}

} // namespace

namespace {

TEST(Bitmap, DrawsOntoItsOwnCanvas) {
    auto b = SolidBitmap(4, 4, clWhite);
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->FillRect(Rect(0, 0, 2, 2)); // the top-left quarter
    b->Canvas()->StretchDraw(Rect(2, 2, 4, 4), b.get());
    EXPECT_EQ(PixelOf(*b, 2, 2), clRed);
    EXPECT_EQ(PixelOf(*b, 3, 3), clWhite);
}

} // namespace

namespace {

TEST(Bitmap, CanvasContextHoldsTheColourTable) {
    BmpSpec s;
    s.width = 1;
    s.height = 1;
    s.bitCount = 8;
    s.colors = {Q(1, 2, 3), Q(4, 5, 6), Q(7, 8, 9)};
    s.pixels = {2, 0, 0, 0};
    auto b = MakeObject<TBitmap>();
    LoadBytes(*b, MakeBmp(s));
    RGBQUAD table[256];
    ASSERT_EQ(GetDIBColorTable(b->Canvas()->Handle(), 0, 256, table), 3u);
    EXPECT_EQ(table[2].rgbRed, 7);
    EXPECT_EQ(GetPaletteEntries(b->Palette(), 0, 0, nullptr), 3u);
    EXPECT_EQ(PixelOf(*b, 0, 0), TColor(RGB(7, 8, 9)));
}

} // namespace

#include "GdiTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace gdi_test;

namespace {

std::vector<BYTE> infoBlock(int w, int h, int bpp) {
    std::vector<BYTE> b(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* bi = reinterpret_cast<BITMAPINFO*>(b.data());
    bi->bmiHeader = BITMAPINFOHEADER{};
    bi->bmiHeader.biWidth = w;
    bi->bmiHeader.biHeight = h;
    bi->bmiHeader.biBitCount = static_cast<WORD>(bpp);
    return b;
}

BITMAPINFO* asInfo(std::vector<BYTE>& b) {
    return reinterpret_cast<BITMAPINFO*>(b.data());
}

} // namespace

TEST(DibSection, RowsArePaddedToFourBytesAndDescribedByGetObject) {
    struct Case {
        int width, bpp;
        LONG rowBytes;
    };
    for (Case c : {Case{100, 24, 300}, Case{101, 24, 304}, Case{3, 8, 4}, Case{9, 4, 8},
                   Case{33, 1, 8}, Case{5, 16, 12}, Case{7, 32, 28}}) {
        Dib d(c.width, 3, c.bpp,
              c.bpp <= 8 ? std::vector<RGBQUAD>{quad(0, 0, 0), quad(255, 255, 255)}
                         : std::vector<RGBQUAD>{});
        ASSERT_NE(d.bitmap, 0u) << c.width << "x" << c.bpp;
        EXPECT_EQ(DibRowBytes(c.width, c.bpp), c.rowBytes);
        DIBSECTION ds{};
        ASSERT_EQ(GetObject(d.bitmap, sizeof ds, &ds), 84);
        EXPECT_EQ(ds.dsBm.bmWidthBytes, c.rowBytes);
        EXPECT_EQ(ds.dsBm.bmBits, d.bits);
        EXPECT_EQ(ds.dsBmih.biBitCount, c.bpp);
        EXPECT_EQ(ds.dsBmih.biHeight, -3); // top-down kept
        EXPECT_EQ(ds.dsBmih.biSizeImage, DWORD(c.rowBytes * 3));
        if (c.bpp <= 8) {
            EXPECT_EQ(ds.dsBmih.biClrUsed, 2u); // the count is kept
        }
    }
}

TEST(DibSection, PlainBitmapsDescribeThemselvesAsBitmapOnly) {
    HBITMAP mono = CreateBitmap(17, 2, 1, 1, nullptr);
    DIBSECTION ds{};
    EXPECT_EQ(GetObject(mono, sizeof ds, &ds), 24);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 4); // monochrome rows padded to 2 bytes
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 1);
    EXPECT_EQ(ds.dsBm.bmBits, nullptr);
    HDC screen = GetDC(0);
    HBITMAP colour = CreateCompatibleBitmap(screen, 5, 5);
    BITMAP bm{};
    EXPECT_EQ(GetObject(colour, sizeof bm, &bm), 24);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
    ReleaseDC(0, screen);
    DeleteObject(mono);
    DeleteObject(colour);
}

// Callers tell a DIB section from a plain bitmap by the reported size: 84 and 24, the
// structs' sizes with 4-byte pointers, whatever the buffer; nothing past the buffer is
// written, and a buffer smaller than the reported size gets nothing.
TEST(DibSection, GetObjectReportsTheKnownSizesAndStaysInsideTheBuffer) {
    Dib dib(6, 2, 24, {});
    ASSERT_NE(dib.bitmap, 0u);
    HBITMAP plain = CreateBitmap(6, 2, 1, 32, nullptr);
    ASSERT_NE(plain, 0u);
    struct Case {
        const char* name;
        HBITMAP bitmap;
        int size;
        int reported;
    };
    const Case cases[] = {
        {"dib, no buffer", dib.bitmap, -1, 84},
        {"dib, DIBSECTION buffer", dib.bitmap, int(sizeof(DIBSECTION)), 84},
        {"dib, 84 bytes", dib.bitmap, 84, 84},
        {"dib, 83 bytes: the bitmap part", dib.bitmap, 83, 24},
        {"dib, BITMAP buffer", dib.bitmap, int(sizeof(BITMAP)), 24},
        {"dib, 24 bytes", dib.bitmap, 24, 24},
        {"dib, 23 bytes", dib.bitmap, 23, 0},
        {"plain, no buffer", plain, -1, 24},
        {"plain, DIBSECTION buffer", plain, int(sizeof(DIBSECTION)), 24},
        {"plain, 24 bytes", plain, 24, 24},
        {"plain, 10 bytes", plain, 10, 0},
    };
    for (const Case& c : cases) {
        constexpr BYTE kGuard = 0xA5;
        std::vector<BYTE> buffer(sizeof(DIBSECTION) + 16, kGuard);
        const int size = c.size < 0 ? 0 : c.size;
        EXPECT_EQ(GetObject(c.bitmap, size, c.size < 0 ? nullptr : buffer.data()), c.reported)
            << c.name;
        for (std::size_t i = static_cast<std::size_t>(size); i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], kGuard) << c.name << ": byte " << i << " written";
        if (c.size < 0 || c.reported == 0) continue;
        BITMAP bm;
        std::memcpy(&bm, buffer.data(), std::min(sizeof bm, static_cast<std::size_t>(size)));
        EXPECT_EQ(bm.bmWidth, 6) << c.name;
        EXPECT_EQ(bm.bmHeight, 2) << c.name;
        EXPECT_EQ(bm.bmBitsPixel, c.bitmap == dib.bitmap ? 24 : 32) << c.name;
        if (c.reported == 84) {
            DIBSECTION ds;
            std::memcpy(&ds, buffer.data(), std::min(sizeof ds, static_cast<std::size_t>(size)));
            EXPECT_EQ(ds.dsBm.bmBits, dib.bits) << c.name;
            EXPECT_EQ(ds.dsBmih.biWidth, 6) << c.name;
            EXPECT_EQ(ds.dsBmih.biBitCount, 24) << c.name;
        }
    }
    DeleteObject(plain);
}

TEST(DibSection, BadHeadersAreRefused) {
    auto b = infoBlock(10, 10, 24);
    void* bits = reinterpret_cast<void*>(1);
    asInfo(b)->bmiHeader.biBitCount = 7;
    EXPECT_EQ(CreateDIBSection(0, asInfo(b), DIB_RGB_COLORS, &bits, 0, 0), 0u);
    EXPECT_EQ(bits, nullptr);
    asInfo(b)->bmiHeader.biBitCount = 24;
    asInfo(b)->bmiHeader.biWidth = 0;
    EXPECT_EQ(CreateDIBSection(0, asInfo(b), DIB_RGB_COLORS, &bits, 0, 0), 0u);
    asInfo(b)->bmiHeader.biWidth = 0x40000000; // rows too long to exist
    EXPECT_EQ(CreateDIBSection(0, asInfo(b), DIB_RGB_COLORS, &bits, 0, 0), 0u);
    asInfo(b)->bmiHeader.biWidth = 100000;
    asInfo(b)->bmiHeader.biHeight = 100000; // 30 GB
    EXPECT_EQ(CreateDIBSection(0, asInfo(b), DIB_RGB_COLORS, &bits, 0, 0), 0u);
    asInfo(b)->bmiHeader.biHeight = 10;
    asInfo(b)->bmiHeader.biSize = 12;
    EXPECT_EQ(CreateDIBSection(0, asInfo(b), DIB_RGB_COLORS, &bits, 0, 0), 0u);
}

// Made from given bits, a DIB section is the one CreateDIBSection makes with those bits
// copied in: same format (bottom-up kept) and colour table, every byte as given.
TEST(DibSection, MadeFromBitsHoldsThemAsGiven) {
    auto b = infoBlock(5, 3, 8); // bottom-up
    asInfo(b)->bmiHeader.biClrUsed = 2;
    asInfo(b)->bmiColors[0] = quad(0, 0, 0);
    asInfo(b)->bmiColors[1] = quad(255, 0, 0);
    std::vector<BYTE> bits(8 * 3);
    for (std::size_t i = 0; i < bits.size(); ++i)
        bits[i] = static_cast<BYTE>(i % 2 + i / 8); // rows of 8 bytes, each of its own
    HBITMAP h = CreateDIBSectionFromBits(0, asInfo(b), DIB_RGB_COLORS, bits.data());
    ASSERT_NE(h, 0u);
    DIBSECTION ds{};
    ASSERT_EQ(GetObject(h, sizeof ds, &ds), 84);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 8);
    EXPECT_EQ(ds.dsBmih.biHeight, 3);
    EXPECT_EQ(ds.dsBmih.biBitCount, 8);
    EXPECT_EQ(ds.dsBmih.biClrUsed, 2u);
    EXPECT_EQ(std::memcmp(ds.dsBm.bmBits, bits.data(), bits.size()), 0);
    DeleteObject(h);
    EXPECT_EQ(CreateDIBSectionFromBits(0, asInfo(b), DIB_RGB_COLORS, nullptr), 0u);
    asInfo(b)->bmiHeader.biBitCount = 7;
    EXPECT_EQ(CreateDIBSectionFromBits(0, asInfo(b), DIB_RGB_COLORS, bits.data()), 0u);
}

TEST(Handles, StaleAndSelectedHandlesAreRecognised) {
    HBITMAP b = CreateBitmap(2, 2, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(0);
    HGDIOBJ old = SelectObject(dc, b);
    EXPECT_EQ(DeleteObject(b), FALSE); // still selected
    HDC other = CreateCompatibleDC(0);
    EXPECT_EQ(SelectObject(other, b), 0u); // one DC at a time
    SelectObject(dc, old);
    EXPECT_EQ(DeleteObject(b), TRUE);
    EXPECT_EQ(GetObjectType(b), 0u);
    EXPECT_EQ(DeleteObject(b), FALSE);
    HBITMAP again = CreateBitmap(2, 2, 1, 32, nullptr);
    EXPECT_NE(again, b); // the slot is reused under a new generation
    EXPECT_EQ(SelectObject(dc, b), 0u);
    EXPECT_EQ(DeleteObject(GetStockObject(WHITE_BRUSH)), TRUE);
    EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), OBJ_BRUSH);
    DeleteObject(again);
    DeleteDC(dc);
    DeleteDC(other);
}

TEST(DibConversion, UpThroughTheColourTableAndDownByNearestColour) {
    // A 4x1 8-bit picture with its own table, read back at every depth.
    std::vector<RGBQUAD> table = {quad(0, 0, 0), quad(255, 0, 255), quad(10, 200, 30),
                                  quad(255, 255, 255)};
    Dib src(4, 1, 8, table);
    for (int x = 0; x < 4; ++x)
        src.set(x, 0, static_cast<DWORD>(x));
    struct Case {
        int bpp;
        std::vector<DWORD> expect; // 0x00RRGGBB for true colour, indices otherwise
    };
    const Case cases[] = {
        {32, {0x000000, 0xFF00FF, 0x0AC81E, 0xFFFFFF}},
        {24, {0x000000, 0xFF00FF, 0x0AC81E, 0xFFFFFF}},
        {16, {0x0000, 0x7C1F, (1 << 10) | (25 << 5) | 3, 0x7FFF}},
        // The 8-bit copy keeps the source's table (same depth).
        {8, {0, 1, 2, 3}},
        // 4 bits: the standard 16 colours; black 0, fuchsia 13, lime 10 (nearer than green),
        // white 15.
        {4, {0, 13, 10, 15}},
        {1, {0, 1, 0, 1}},
    };
    for (const Case& c : cases) {
        auto b = infoBlock(4, -1, c.bpp);
        std::vector<BYTE> bits(static_cast<std::size_t>(DibRowBytes(4, c.bpp)));
        ASSERT_EQ(GetDIBits(src.dc, src.bitmap, 0, 1, bits.data(), asInfo(b), DIB_RGB_COLORS), 1)
            << c.bpp;
        Dib view(4, 1, c.bpp, {quad(0, 0, 0), quad(255, 255, 255)});
        std::memcpy(view.bits, bits.data(), bits.size());
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(view.at(x, 0), c.expect[x]) << c.bpp << " x=" << x;
    }
}

TEST(DibConversion, TrueColourDownToPalettesKeepsBlackAtZeroAndWhiteNonZero) {
    Dib src(3, 1, 32);
    src.set(0, 0, 0x000000);
    src.set(1, 0, 0xFFFFFF);
    src.set(2, 0, 0xFE0000); // near red
    for (int bpp : {8, 4, 1}) {
        auto b = infoBlock(3, 1, bpp);
        std::vector<BYTE> bits(4);
        ASSERT_EQ(GetDIBits(src.dc, src.bitmap, 0, 1, bits.data(), asInfo(b), DIB_RGB_COLORS), 1);
        Dib view(3, 1, bpp, {quad(0, 0, 0), quad(255, 255, 255)}, false);
        std::memcpy(view.bits, bits.data(), 4);
        EXPECT_EQ(view.at(0, 0), 0u) << bpp;
        EXPECT_NE(view.at(1, 0), 0u) << bpp;
        const RGBQUAD& white = asInfo(b)->bmiColors[view.at(1, 0)];
        EXPECT_EQ(white.rgbRed + white.rgbGreen + white.rgbBlue, 765) << bpp;
        if (bpp >= 4) {
            const RGBQUAD& red = asInfo(b)->bmiColors[view.at(2, 0)];
            EXPECT_EQ(red.rgbRed, 255) << bpp;
            EXPECT_EQ(red.rgbGreen + red.rgbBlue, 0) << bpp;
        }
    }
}

TEST(DibConversion, NearestColourTiesGoToTheLowestIndex) {
    // Grey 100 lies exactly between entries 1 (90) and 2 (110); 3 duplicates 2.
    std::vector<RGBQUAD> table = {quad(0, 0, 0), quad(90, 90, 90), quad(110, 110, 110),
                                  quad(110, 110, 110)};
    Dib dest(3, 1, 8, table);
    Dib src(3, 1, 32);
    src.set(0, 0, 0x646464);
    src.set(1, 0, 0x6E6E6E);
    src.set(2, 0, 0x5A5A5A);
    ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), 1u);
    EXPECT_EQ(dest.at(1, 0), 2u);
    EXPECT_EQ(dest.at(2, 0), 1u);
}

TEST(DibConversion, ThirtyTwoToTwentyFourDropsTheFourthByte) {
    Dib src(2, 1, 32);
    src.row(0)[0] = 1;
    src.row(0)[1] = 2;
    src.row(0)[2] = 3;
    src.row(0)[3] = 0xAB;
    src.row(0)[4] = 4;
    src.row(0)[5] = 5;
    src.row(0)[6] = 6;
    src.row(0)[7] = 0xCD;
    auto b = infoBlock(2, 1, 24);
    std::vector<BYTE> bits(8, 0xEE);
    ASSERT_EQ(GetDIBits(src.dc, src.bitmap, 0, 1, bits.data(), asInfo(b), DIB_RGB_COLORS), 1);
    EXPECT_EQ((std::vector<BYTE>(bits.begin(), bits.begin() + 6)),
              (std::vector<BYTE>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(asInfo(b)->bmiHeader.biSizeImage, 8u);
}

TEST(DibConversion, BottomUpAndTopDownRowsAndPartialLines) {
    Dib src(1, 3, 32);
    src.set(0, 0, 0x111111);
    src.set(0, 1, 0x222222);
    src.set(0, 2, 0x333333);
    // Bottom-up: line 0 is the bottom row.
    auto up = infoBlock(1, 3, 32);
    DWORD rows[3] = {};
    ASSERT_EQ(GetDIBits(src.dc, src.bitmap, 0, 3, rows, asInfo(up), DIB_RGB_COLORS), 3);
    EXPECT_EQ(rows[0] & 0xFFFFFF, 0x333333u);
    EXPECT_EQ(rows[2] & 0xFFFFFF, 0x111111u);
    auto down = infoBlock(1, -3, 32);
    ASSERT_EQ(GetDIBits(src.dc, src.bitmap, 1, 5, rows, asInfo(down), DIB_RGB_COLORS), 2);
    EXPECT_EQ(rows[0] & 0xFFFFFF, 0x222222u);
    EXPECT_EQ(rows[1] & 0xFFFFFF, 0x333333u);
    // Writing back one bottom-up line lands on the bottom row.
    DWORD one = 0x00ABCDEF;
    EXPECT_EQ(SetDIBits(src.dc, src.bitmap, 0, 1, &one, asInfo(up), DIB_RGB_COLORS), 1);
    EXPECT_EQ(src.at(0, 2), 0xABCDEFu);
}

TEST(DibConversion, GetDIBitsFillsOnlyTheHeaderWhenAskedTo) {
    Dib src(7, 5, 24);
    auto b = infoBlock(0, 0, 0);
    EXPECT_NE(GetDIBits(src.dc, src.bitmap, 0, 5, nullptr, asInfo(b), DIB_RGB_COLORS), 0);
    EXPECT_EQ(asInfo(b)->bmiHeader.biWidth, 7);
    EXPECT_EQ(asInfo(b)->bmiHeader.biBitCount, 24);
    EXPECT_EQ(asInfo(b)->bmiHeader.biSizeImage, 24u * 5);
}

TEST(DibConversion, MonochromeDeviceBitmapsTakeTwoByteRowsAndReadAsBlackAndWhite) {
    // 10 pixels wide: 2 bytes a row, MSB first. Row 0: 1010000000, row 1: 0111111111.
    const BYTE rows[4] = {0xA0, 0x00, 0x7F, 0xC0};
    HBITMAP mono = CreateBitmap(10, 2, 1, 1, rows);
    HDC dc = CreateCompatibleDC(0);
    auto b = infoBlock(10, -2, 32);
    DWORD px[20] = {};
    ASSERT_EQ(GetDIBits(dc, mono, 0, 2, px, asInfo(b), DIB_RGB_COLORS), 2);
    EXPECT_EQ(px[0] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(px[1] & 0xFFFFFF, 0u);
    EXPECT_EQ(px[2] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(px[10] & 0xFFFFFF, 0u);
    EXPECT_EQ(px[19] & 0xFFFFFF, 0xFFFFFFu);
    BYTE back[4] = {};
    EXPECT_EQ(GetBitmapBits(mono, 4, back), 4);
    EXPECT_EQ(back[0], 0xA0);
    EXPECT_EQ(back[2], 0x7F);
    EXPECT_EQ(back[3] & 0xC0, 0xC0);
    DeleteDC(dc);
    DeleteObject(mono);
}

TEST(DibConversion, CreateDIBitmapBuildsATrueColourCopy) {
    auto b = infoBlock(2, 2, 24);
    BYTE bits[16] = {0,   0, 255, 0,   255, 0,   0, 0,  // bottom row: red, green
                     255, 0, 0,   255, 255, 255, 0, 0}; // top row: blue, white
    HDC screen = GetDC(0);
    HBITMAP h =
        CreateDIBitmap(screen, &asInfo(b)->bmiHeader, CBM_INIT, bits, asInfo(b), DIB_RGB_COLORS);
    ASSERT_NE(h, 0u);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, h);
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(h);
    ReleaseDC(0, screen);
}

TEST(DibColorTable, ReadAndWrittenThroughTheDc) {
    Dib d(2, 2, 8, {quad(1, 2, 3), quad(4, 5, 6), quad(7, 8, 9)});
    RGBQUAD got[256];
    EXPECT_EQ(GetDIBColorTable(d.dc, 0, 256, got), 3u);
    EXPECT_EQ(got[2].rgbRed, 7);
    // A count past the table's end copies only what the table holds; the table keeps its
    // size.
    RGBQUAD put[5] = {quad(200, 100, 50), quad(10, 20, 30), quad(99, 99, 99), quad(1, 1, 1),
                      quad(2, 2, 2)};
    EXPECT_EQ(SetDIBColorTable(d.dc, 1, 5, put), 2u);
    d.set(0, 0, 1);
    d.set(1, 0, 2);
    EXPECT_EQ(GetPixel(d.dc, 0, 0), RGB(200, 100, 50));
    EXPECT_EQ(GetPixel(d.dc, 1, 0), RGB(10, 20, 30));
    EXPECT_EQ(GetDIBColorTable(d.dc, 0, 256, got), 3u);
    EXPECT_EQ(SetDIBColorTable(d.dc, 3, 1, put), 0u);
    EXPECT_EQ(GetDIBColorTable(d.dc, 3, 1, got), 0u);
    Dib rgb(2, 2, 24);
    EXPECT_EQ(GetDIBColorTable(rgb.dc, 0, 256, got), 0u);
}

TEST(DibConversion, BitFieldsSixteenBitsUseTheirMasks) {
    Dib src(3, 1, 32);
    src.set(0, 0, 0xFF0000);
    src.set(1, 0, 0x00FF00);
    src.set(2, 0, 0x0000FF);
    struct Case {
        const char* name;
        DWORD masks[3];
        WORD expect[3];
    };
    const Case cases[] = {
        {"565 by default", {0, 0, 0}, {0xF800, 0x07E0, 0x001F}},
        {"565", {0xF800, 0x07E0, 0x001F}, {0xF800, 0x07E0, 0x001F}},
        {"555", {0x7C00, 0x03E0, 0x001F}, {0x7C00, 0x03E0, 0x001F}},
    };
    for (const Case& c : cases) {
        auto b = infoBlock(3, -1, 16);
        asInfo(b)->bmiHeader.biCompression = BI_BITFIELDS;
        std::memcpy(asInfo(b)->bmiColors, c.masks, sizeof c.masks);
        WORD bits[4] = {};
        ASSERT_EQ(GetDIBits(src.dc, src.bitmap, 0, 1, bits, asInfo(b), DIB_RGB_COLORS), 1)
            << c.name;
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(bits[x], c.expect[x]) << c.name << " x=" << x;
        // And back: full channels come back full.
        Dib back(3, 1, 32);
        ASSERT_EQ(SetDIBits(back.dc, back.bitmap, 0, 1, bits, asInfo(b), DIB_RGB_COLORS), 1)
            << c.name;
        EXPECT_EQ(back.at(0, 0), 0xFF0000u) << c.name;
        EXPECT_EQ(back.at(1, 0), 0x00FF00u) << c.name;
        EXPECT_EQ(back.at(2, 0), 0x0000FFu) << c.name;
    }
}

TEST(DibConversion, PaletteIndexColourTablesLookUpTheDcsPalette) {
    std::vector<BYTE> block(sizeof(LOGPALETTE) + 3 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 3;
    lp->palPalEntry[0] = PALETTEENTRY{10, 20, 30, 0};
    lp->palPalEntry[1] = PALETTEENTRY{40, 50, 60, 0};
    lp->palPalEntry[2] = PALETTEENTRY{70, 80, 90, 0};
    HPALETTE pal = CreatePalette(lp);
    ASSERT_NE(pal, 0u);
    HDC dc = CreateCompatibleDC(0);
    HPALETTE old = SelectPalette(dc, pal, FALSE);
    auto b = infoBlock(3, -1, 8);
    asInfo(b)->bmiHeader.biClrUsed = 3;
    auto* idx = reinterpret_cast<WORD*>(asInfo(b)->bmiColors);
    idx[0] = 2;
    idx[1] = 0;
    idx[2] = 77; // past the palette: black, not a read outside it
    BYTE bits[4] = {0, 1, 2, 0};
    Dib dest(3, 1, 32);
    ASSERT_EQ(SetDIBits(dc, dest.bitmap, 0, 1, bits, asInfo(b), DIB_PAL_COLORS), 1);
    EXPECT_EQ(dest.at(0, 0), 0x46505Au);
    EXPECT_EQ(dest.at(1, 0), 0x0A141Eu);
    EXPECT_EQ(dest.at(2, 0), 0u);
    SelectPalette(dc, old, FALSE);
    DeleteDC(dc);
    DeleteObject(pal);
}

TEST(DibConversion, PixelIndicesBeyondAShortTableReadAsBlack) {
    // A 3-entry table keeps its count; index 200 names no entry.
    Dib src(2, 1, 8, {quad(255, 255, 255), quad(1, 2, 3), quad(4, 5, 6)});
    src.set(0, 0, 200);
    src.set(1, 0, 1);
    EXPECT_EQ(GetPixel(src.dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(src.dc, 1, 0), RGB(1, 2, 3));
    Dib dest(2, 1, 24);
    ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 2, 1, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), 0u);
    EXPECT_EQ(dest.at(1, 0), 0x010203u);
    DIBSECTION ds{};
    GetObject(src.bitmap, sizeof ds, &ds);
    EXPECT_EQ(ds.dsBmih.biClrUsed, 3u);
}

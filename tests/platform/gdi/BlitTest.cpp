#include "GdiTestUtil.h"

#include <gtest/gtest.h>

#include <string>

using namespace gdi_test;

namespace {

constexpr DWORD kS = 0x00F0CC0F, kD = 0x003C55AA, kP = 0x00A5F00F; // 0x00RRGGBB

COLORREF ref(DWORD px) {
    return RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
}

} // namespace

TEST(RasterOps, EachOperationCombinesPatternSourceAndDestinationBitwise) {
    struct Case {
        DWORD rop;
        DWORD expect;
    };
    const DWORD m = 0xFFFFFF;
    const Case cases[] = {
        {SRCCOPY, kS},
        {SRCPAINT, kS | kD},
        {SRCAND, kS & kD},
        {SRCINVERT, kS ^ kD},
        {SRCERASE, kS & ~kD & m},
        {NOTSRCCOPY, ~kS & m},
        {NOTSRCERASE, ~(kS | kD) & m},
        {MERGECOPY, kP & kS},
        {MERGEPAINT, (~kS & m) | kD},
        {PATCOPY, kP},
        {PATPAINT, (kP | (~kS & m) | kD) & m},
        {PATINVERT, kP ^ kD},
        {DSTINVERT, ~kD & m},
        {BLACKNESS, 0},
        {WHITENESS, m},
        {0x00B8074A, ((kP & ~kS) | (kD & kS)) & m}, // the general form: (P and not S) or (D and S)
    };
    Dib src(2, 2, 32);
    src.fill(kS);
    for (const Case& c : cases) {
        Dib dest(2, 2, 32);
        dest.fill(kD);
        HBRUSH brush = CreateSolidBrush(ref(kP));
        HGDIOBJ old = SelectObject(dest.dc, brush);
        ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 2, 2, src.dc, 0, 0, c.rop));
        EXPECT_EQ(dest.at(1, 1), c.expect) << std::hex << c.rop;
        SelectObject(dest.dc, old);
        DeleteObject(brush);
    }
}

TEST(RasterOps, PalettedDestinationsCombineIndices) {
    std::vector<RGBQUAD> table(16);
    for (int i = 0; i < 16; ++i)
        table[i] = quad(BYTE(i * 16), BYTE(i * 16), BYTE(i * 16));
    Dib src(1, 1, 8, table), dest(1, 1, 8, table);
    src.set(0, 0, 0x0C);
    dest.set(0, 0, 0x0A);
    ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 1, 1, src.dc, 0, 0, SRCINVERT));
    EXPECT_EQ(dest.at(0, 0), 0x06u);
    ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 1, 1, src.dc, 0, 0, SRCAND));
    EXPECT_EQ(dest.at(0, 0), 0x04u);
}

TEST(MonoRules, MonochromeSourcePaintsTextColourForZeroAndBackgroundForOne) {
    const BYTE bits[2] = {0x40, 0}; // 0 1 0 0 ...
    HBITMAP mono = CreateBitmap(3, 1, 1, 1, bits);
    HDC mdc = CreateCompatibleDC(0);
    HGDIOBJ old = SelectObject(mdc, mono);
    Dib dest(3, 1, 24);
    SetTextColor(dest.dc, RGB(255, 0, 0));
    SetBkColor(dest.dc, RGB(0, 0, 255));
    ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 3, 1, mdc, 0, 0, SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), 0xFF0000u);
    EXPECT_EQ(dest.at(1, 0), 0x0000FFu);
    // Colour into monochrome: 1 where the source equals the source DC's background colour.
    Dib colour(3, 1, 32);
    colour.set(0, 0, 0x00FF00);
    colour.set(1, 0, 0x123456);
    colour.set(2, 0, 0x00FF00);
    SetBkColor(colour.dc, RGB(0, 255, 0));
    ASSERT_TRUE(BitBlt(mdc, 0, 0, 3, 1, colour.dc, 0, 0, SRCCOPY));
    BYTE back[2] = {};
    GetBitmapBits(mono, 2, back);
    EXPECT_EQ(back[0] & 0xE0, 0xA0); // 1 0 1
    SelectObject(mdc, old);
    DeleteDC(mdc);
    DeleteObject(mono);
}

TEST(MaskBlt, MaskOneTakesTheForegroundOperationAndZeroTheBackground) {
    const BYTE bits[2] = {0xA0, 0}; // 1 0 1 0
    HBITMAP mask = CreateBitmap(4, 1, 1, 1, bits);
    Dib src(4, 1, 32), dest(4, 1, 32);
    src.fill(0x111111);
    dest.fill(0x777777);
    // Foreground: leave the destination; background: copy the source.
    ASSERT_TRUE(
        MaskBlt(dest.dc, 0, 0, 4, 1, src.dc, 0, 0, mask, 0, 0, MAKEROP4(0x00AA0029, SRCCOPY)));
    EXPECT_EQ(dest.at(0, 0), 0x777777u);
    EXPECT_EQ(dest.at(1, 0), 0x111111u);
    EXPECT_EQ(dest.at(2, 0), 0x777777u);
    EXPECT_EQ(dest.at(3, 0), 0x111111u);
    // The mask offset shifts the pattern; a mask too small fails.
    dest.fill(0x777777);
    ASSERT_TRUE(
        MaskBlt(dest.dc, 0, 0, 3, 1, src.dc, 0, 0, mask, 1, 0, MAKEROP4(0x00AA0029, SRCCOPY)));
    EXPECT_EQ(dest.at(0, 0), 0x111111u);
    EXPECT_EQ(dest.at(1, 0), 0x777777u);
    EXPECT_FALSE(MaskBlt(dest.dc, 0, 0, 4, 1, src.dc, 0, 0, mask, 1, 0, SRCCOPY));
    DeleteObject(mask);
}

TEST(StretchBlt, ColorOnColorPicksPixelsAndNeverBlends) {
    // A fuchsia and a black column doubled and then shrunk to a third.
    Dib src(3, 1, 24);
    src.set(0, 0, 0xFF00FF);
    src.set(1, 0, 0x000000);
    src.set(2, 0, 0xFF00FF);
    Dib wide(7, 2, 32);
    SetStretchBltMode(wide.dc, COLORONCOLOR);
    ASSERT_TRUE(StretchBlt(wide.dc, 0, 0, 7, 2, src.dc, 0, 0, 3, 1, SRCCOPY));
    for (int x = 0; x < 7; ++x) {
        DWORD v = wide.at(x, 1);
        EXPECT_TRUE(v == 0xFF00FF || v == 0) << x << " " << std::hex << v;
    }
    EXPECT_EQ(wide.at(0, 0), 0xFF00FFu);
    EXPECT_EQ(wide.at(3, 0), 0x000000u);
    EXPECT_EQ(wide.at(6, 0), 0xFF00FFu);
    // Mirrored by a negative destination width.
    Dib flipped(3, 1, 24);
    src.set(0, 0, 0x010203);
    SetStretchBltMode(flipped.dc, COLORONCOLOR);
    ASSERT_TRUE(StretchBlt(flipped.dc, 3, 0, -3, 1, src.dc, 0, 0, 3, 1, SRCCOPY));
    EXPECT_EQ(flipped.at(2, 0), 0x010203u);
    EXPECT_EQ(flipped.at(0, 0), 0xFF00FFu);
}

TEST(StretchBlt, HalftoneAveragesTheCoveredArea) {
    // 6x3 down to 2x1: each destination pixel is the mean of a 3x3 block.
    Dib src(6, 3, 24);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            src.set(x, y, x < 3 ? DWORD((x + 3 * y) * 10) : 0xFFFFFF);
    Dib dest(2, 1, 24);
    EXPECT_EQ(SetStretchBltMode(dest.dc, HALFTONE), BLACKONWHITE);
    ASSERT_TRUE(StretchBlt(dest.dc, 0, 0, 2, 1, src.dc, 0, 0, 6, 3, SRCCOPY));
    EXPECT_EQ(dest.at(0, 0) & 0xFF, 40u); // mean of 0, 10, ..., 80
    EXPECT_EQ(dest.at(0, 0) >> 8, 0u);
    EXPECT_EQ(dest.at(1, 0), 0xFFFFFFu);
    // A fractional ratio weighs partly covered pixels: 3 pixels 0, 90, 180 into 2:
    // left = (0 + 90 / 2) / 1.5 = 30, right = (90 / 2 + 180) / 1.5 = 150.
    Dib line(3, 1, 32);
    line.set(0, 0, 0);
    line.set(1, 0, 90);
    line.set(2, 0, 180);
    Dib two(2, 1, 32);
    SetStretchBltMode(two.dc, HALFTONE);
    ASSERT_TRUE(StretchBlt(two.dc, 0, 0, 2, 1, line.dc, 0, 0, 3, 1, SRCCOPY));
    EXPECT_EQ(two.at(0, 0), 30u);
    EXPECT_EQ(two.at(1, 0), 150u);
    // A flat picture stays exactly flat at any size.
    Dib flat(97, 55, 24);
    flat.fill(0x3C8AF0);
    Dib big(145, 83, 24);
    SetStretchBltMode(big.dc, HALFTONE);
    ASSERT_TRUE(StretchBlt(big.dc, 0, 0, 145, 83, flat.dc, 0, 0, 97, 55, SRCCOPY));
    EXPECT_EQ(big.mask(0x3C8AF0).find('.'), std::string::npos);
}

// A large shrink (a video frame onto a cell) is shared out in bands of rows: every pixel, the
// padding after the rows and the pixels outside the clip come out as the one-band way makes
// them (SRCPAINT onto black gives the same picture, and is never split).
TEST(StretchBlt, HalftoneOfALargePictureInBandsMatchesTheWholeWay) {
    Dib src(1280, 960, 24, {}, false);
    std::uint32_t state = 12345;
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
            state = state * 1664525u + 1013904223u;
            src.set(x, y, state >> 8);
        }
    struct Case {
        int width, height, depth;
    };
    for (Case c : {Case{426, 320, 24}, Case{427, 301, 24}, Case{640, 480, 32}, Case{213, 67, 24}}) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        Dib banded(c.width, c.height, c.depth, {}, false);
        Dib whole(c.width, c.height, c.depth, {}, false);
        std::memset(banded.bits, 0x5A, size_t(banded.stride) * size_t(c.height));
        std::memset(whole.bits, 0x5A, size_t(whole.stride) * size_t(c.height));
        for (Dib* d : {&banded, &whole}) {
            SetStretchBltMode(d->dc, HALFTONE);
            IntersectClipRect(d->dc, 3, 2, c.width - 1, c.height - 5);
        }
        RECT inside{3, 2, c.width - 1, c.height - 5};
        HBRUSH black = CreateSolidBrush(0);
        FillRect(whole.dc, &inside, black);
        DeleteObject(black);
        ASSERT_TRUE(StretchBlt(banded.dc, 0, 0, c.width, c.height, src.dc, 0, 0, src.width,
                               src.height, SRCCOPY));
        ASSERT_TRUE(StretchBlt(whole.dc, 0, 0, c.width, c.height, src.dc, 0, 0, src.width,
                               src.height, SRCPAINT));
        EXPECT_EQ(std::memcmp(banded.bits, whole.bits, size_t(banded.stride) * size_t(c.height)),
                  0);
        EXPECT_NE(banded.at(3, 2), 0x5A5A5Au);
        EXPECT_EQ(banded.at(0, 0) & 0xFFFFFF, 0x5A5A5Au);
    }
}

// A large shrink within one bitmap, banded, writes rows it also reads: it gives what the same
// shrink from a copy of the bitmap gives.
TEST(StretchBlt, AHalftoneShrinkWithinOneBitmapMatchesTheShrinkOfACopy) {
    Dib same(1280, 960, 24, {}, false);
    Dib copy(1280, 960, 24, {}, false);
    std::uint32_t state = 777;
    for (int y = 0; y < same.height; ++y)
        for (int x = 0; x < same.width; ++x) {
            state = state * 1664525u + 1013904223u;
            same.set(x, y, state >> 8);
            copy.set(x, y, state >> 8);
        }
    Dib expected(426, 320, 24, {}, false);
    for (Dib* d : {&same, &expected})
        SetStretchBltMode(d->dc, HALFTONE);
    ASSERT_TRUE(StretchBlt(expected.dc, 0, 0, 426, 320, copy.dc, 0, 0, 1280, 960, SRCCOPY));
    ASSERT_TRUE(StretchBlt(same.dc, 0, 0, 426, 320, same.dc, 0, 0, 1280, 960, SRCCOPY));
    int differing = 0;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 426; ++x)
            differing += (same.at(x, y) & 0xFFFFFF) != (expected.at(x, y) & 0xFFFFFF);
    EXPECT_EQ(differing, 0);
}

TEST(StretchBlt, HalftoneIntoAnEightBitTargetMatchesItsTable) {
    Dib src(4, 4, 32);
    src.fill(0xFF0000);
    Dib dest(2, 2, 8, {quad(0, 0, 0), quad(250, 0, 0), quad(255, 255, 255)});
    SetStretchBltMode(dest.dc, HALFTONE);
    ASSERT_TRUE(StretchBlt(dest.dc, 0, 0, 2, 2, src.dc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_EQ(dest.mask(1), "##\n##\n");
}

TEST(DcRoad, ViewportOriginAndClipPlaceAChildOnTheWindowSurface) {
    // The window layer paints a child at (10, 5) of a 32-bit surface, clipped to it.
    Dib surface(30, 20, 32);
    surface.fill(0xFFFFFF);
    HDC dc = surface.dc; // a memory DC with the surface selected
    SetViewportOrgEx(dc, 10, 5, nullptr);
    IntersectClipRect(dc, 0, 0, 8, 4);
    Dib child(12, 12, 24);
    child.fill(0x112233);
    ASSERT_TRUE(BitBlt(dc, -2, -2, 12, 12, child.dc, 0, 0, SRCCOPY));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT r{7, 3, 20, 20};
    FillRect(dc, &r, red);
    // The copy covers exactly [10, 18) x [5, 9), the fill only its clipped corner.
    EXPECT_EQ(surface.at(9, 5), 0xFFFFFFu);
    EXPECT_EQ(surface.at(10, 5), 0x112233u);
    EXPECT_EQ(surface.at(16, 7), 0x112233u);
    EXPECT_EQ(surface.at(17, 8), 0xFF0000u);
    EXPECT_EQ(surface.at(18, 8), 0xFFFFFFu);
    EXPECT_EQ(surface.at(10, 9), 0xFFFFFFu);
    RECT box{};
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box, (RECT{0, 0, 8, 4}));
    // SaveDC / RestoreDC bring back the origin and the clip.
    int saved = SaveDC(dc);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SelectClipRgn(dc, 0);
    RestoreDC(dc, saved);
    POINT org{};
    GetViewportOrgEx(dc, &org);
    EXPECT_EQ(org, (POINT{10, 5}));
    GetClipBox(dc, &box);
    EXPECT_EQ(box, (RECT{0, 0, 8, 4}));
    DeleteObject(red);
}

TEST(DcRoad, VisibleRegionAndDeviceOriginOutliveTheCallersClip) {
    Dib surface(20, 10, 32);
    HDC dc = surface.dc; // a memory DC with the surface selected
    SetDeviceOrigin(dc, 5, 2);
    HRGN visible = CreateRectRgn(5, 2, 10, 6);
    SetVisibleRegion(dc, visible);
    SelectClipRgn(dc, 0);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    RECT all{-50, -50, 50, 50};
    FillRect(dc, &all, blue);
    EXPECT_EQ(surface.at(5, 2), 0x0000FFu);
    EXPECT_EQ(surface.at(9, 5), 0x0000FFu);
    EXPECT_EQ(surface.at(10, 5), 0u);
    EXPECT_EQ(surface.at(4, 2), 0u);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 255)); // logical (0, 0) is the device origin
    DeleteObject(blue);
    DeleteObject(visible);
}

TEST(BitBlt, OverlappingCopyWithinOneBitmapScrolls) {
    Dib d(1, 5, 32);
    for (int y = 0; y < 5; ++y)
        d.set(0, y, DWORD(y + 1));
    ASSERT_TRUE(BitBlt(d.dc, 0, 1, 1, 4, d.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(d.at(0, 0), 1u);
    EXPECT_EQ(d.at(0, 1), 1u);
    EXPECT_EQ(d.at(0, 4), 4u);
}

TEST(StretchDIBits, DrawsMemoryBitsCountingSourceRowsFromTheBottom) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = 1;
    bi.bmiHeader.biHeight = 3;
    bi.bmiHeader.biBitCount = 32;
    DWORD bits[3] = {0x0000AA, 0x00BB00, 0xCC0000}; // bottom to top
    Dib dest(1, 1, 32);
    EXPECT_EQ(StretchDIBits(dest.dc, 0, 0, 1, 1, 0, 0, 1, 1, bits, &bi, DIB_RGB_COLORS, SRCCOPY),
              1);
    EXPECT_EQ(dest.at(0, 0), 0x0000AAu);
    Dib all(1, 3, 32);
    EXPECT_EQ(StretchDIBits(all.dc, 0, 0, 1, 3, 0, 0, 1, 3, bits, &bi, DIB_RGB_COLORS, SRCCOPY), 3);
    EXPECT_EQ(all.at(0, 0), 0xCC0000u);
    EXPECT_EQ(all.at(0, 2), 0x0000AAu);
}

TEST(BitBlt, CopiesBetweenFormatsAtAnOffsetThroughTheClip) {
    // Every source depth into true colour and into a paletted target, shifted and clipped:
    // each destination pixel is its source pixel's colour (nearest entry for the palette).
    std::vector<RGBQUAD> table = {quad(0, 0, 0), quad(255, 0, 0), quad(0, 255, 0), quad(0, 0, 255),
                                  quad(255, 255, 255)};
    for (int srcBpp : {8, 16, 24, 32}) {
        for (int destBpp : {32, 24, 8}) {
            Dib src(6, 4, srcBpp, srcBpp == 8 ? table : std::vector<RGBQUAD>{});
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 6; ++x)
                    SetPixel(src.dc, x, y,
                             RGB(table[(x + y) % 5].rgbRed, table[(x + y) % 5].rgbGreen,
                                 table[(x + y) % 5].rgbBlue));
            Dib dest(6, 4, destBpp, destBpp == 8 ? table : std::vector<RGBQUAD>{});
            HBRUSH grey = CreateSolidBrush(RGB(255, 255, 255));
            RECT all{0, 0, 6, 4};
            FillRect(dest.dc, &all, grey);
            DeleteObject(grey);
            ExcludeClipRect(dest.dc, 3, 2, 4, 3);
            ASSERT_TRUE(BitBlt(dest.dc, 1, 1, 5, 3, src.dc, 0, 1, SRCCOPY));
            SelectClipRgn(dest.dc, 0); // GetPixel reads only inside the clip
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 6; ++x) {
                    bool copied = x >= 1 && y >= 1 && !(x == 3 && y == 2);
                    COLORREF want = copied ? GetPixel(src.dc, x - 1, y) : RGB(255, 255, 255);
                    EXPECT_EQ(GetPixel(dest.dc, x, y), want)
                        << srcBpp << "->" << destBpp << " at " << x << "," << y;
                }
        }
    }
}

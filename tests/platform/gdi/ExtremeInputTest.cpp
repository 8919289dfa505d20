#include "GdiTestUtil.h"

#include <gtest/gtest.h>

#include <climits>

using namespace gdi_test;

// Coordinates and sizes far outside any bitmap: every call returns promptly, touches only the
// bitmap's pixels, and paints the visible part as it would for sane numbers.
TEST(ExtremeInput, HugeShapesAndBlitsStayInsideTheBitmapAndReturn) {
    Dib d(8, 8, 32);
    d.fill(0xFFFFFF);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    SelectObject(d.dc, red);
    const int big = INT_MAX - 1, small = INT_MIN + 1;
    EXPECT_TRUE(Rectangle(d.dc, small, small, big, big));
    EXPECT_EQ(d.at(3, 3), 0xFF0000u);
    d.fill(0xFFFFFF);
    EXPECT_TRUE(Ellipse(d.dc, -1000000000, -1000000000, 1000000000, 1000000000));
    EXPECT_EQ(d.at(3, 3), 0xFF0000u);
    EXPECT_TRUE(Ellipse(d.dc, small, small, big, big));
    EXPECT_TRUE(RoundRect(d.dc, small, small, big, big, big, big));
    EXPECT_TRUE(Arc(d.dc, small, small, big, big, 0, 0, 1, 1));
    EXPECT_TRUE(Pie(d.dc, small, small, big, big, 0, 0, 1, 1));
    POINT tri[3] = {{small, small}, {big, 0}, {0, big}};
    EXPECT_TRUE(Polygon(d.dc, tri, 3));
    EXPECT_TRUE(Polyline(d.dc, tri, 3));
    MoveToEx(d.dc, small, small, nullptr);
    EXPECT_TRUE(LineTo(d.dc, big, big));
    RECT r{small, small, big, big};
    EXPECT_NE(FillRect(d.dc, &r, red), 0);
    EXPECT_NE(FrameRect(d.dc, &r, red), 0);
    EXPECT_TRUE(DrawFocusRect(d.dc, &r));
    EXPECT_TRUE(InvertRect(d.dc, &r));
    EXPECT_TRUE(PatBlt(d.dc, small, small, big, big, PATCOPY));
    d.fill(0xFFFFFF);
    Dib src(4, 4, 24);
    src.fill(0x00FF00);
    EXPECT_TRUE(BitBlt(d.dc, big, big, big, big, src.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(d.dc, 0, 0, big, big, src.dc, small, small, SRCCOPY));
    EXPECT_TRUE(BitBlt(d.dc, small, small, big, big, src.dc, 0, 0, SRCCOPY));
    for (int mode : {COLORONCOLOR, HALFTONE}) {
        SetStretchBltMode(d.dc, mode);
        StretchBlt(d.dc, small, small, big, big, src.dc, 0, 0, 4, 4, SRCCOPY);
        StretchBlt(d.dc, 0, 0, 8, 8, src.dc, small, small, big, big, SRCCOPY);
        StretchBlt(d.dc, 0, 0, 8, 8, src.dc, 0, 0, big, big, SRCCOPY);
        StretchBlt(d.dc, big, big, small, small, src.dc, 0, 0, 4, 4, SRCCOPY);
    }
    SetViewportOrgEx(d.dc, big, big, nullptr);
    EXPECT_TRUE(Rectangle(d.dc, big, big, big, big));
    EXPECT_EQ(SetPixel(d.dc, big, big, 0), CLR_INVALID);
    SetViewportOrgEx(d.dc, 0, 0, nullptr);
    EXPECT_EQ(IntersectClipRect(d.dc, small, small, big, big), SIMPLEREGION);
    HRGN rr = CreateRoundRectRgn(small, small, big, big, big, big);
    HRGN er = CreateEllipticRgn(small, small, big, big);
    HRGN pr = CreatePolygonRgn(tri, 3, ALTERNATE);
    HRGN rect = CreateRectRgn(small, small, big, big);
    if (rect) {
        EXPECT_TRUE(PtInRegion(rect, 0, 0));
        OffsetRgn(rect, big, big);
        FillRgn(d.dc, rect, red);
    }
    for (HRGN h : {rr, er, pr, rect})
        if (h) DeleteObject(h);
    SelectObject(d.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(red);
}

TEST(ExtremeInput, DibCallsWithHugeSourceOffsetsDrawNothingAndReturn) {
    Dib d(4, 4, 32);
    d.fill(0xFFFFFF);
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = 2;
    bi.bmiHeader.biHeight = 2;
    bi.bmiHeader.biBitCount = 32;
    DWORD bits[4] = {0, 0, 0, 0};
    // Same-size copies take only pixels the source has.
    EXPECT_EQ(
        SetDIBitsToDevice(d.dc, 0, 0, 4, 4, INT_MIN + 1, INT_MAX, 0, 2, bits, &bi, DIB_RGB_COLORS),
        2);
    EXPECT_EQ(d.mask(0xFFFFFF), "####\n####\n####\n####\n");
    // A stretch from far outside returns promptly (what it shows is the source's edge).
    EXPECT_EQ(StretchDIBits(d.dc, 0, 0, 4, 4, INT_MAX, INT_MIN + 1, INT_MAX, INT_MAX, bits, &bi,
                            DIB_RGB_COLORS, SRCCOPY),
              INT_MAX);
}

#include "GdiTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace gdi_test;

namespace {

// A 32-bit canvas, white, with a black pen and a red brush selected.
struct Canvas : Dib {
    HPEN pen;
    HBRUSH brush;
    Canvas(int w, int h, int penStyle = PS_SOLID) : Dib(w, h, 32) {
        fill(0xFFFFFF);
        pen = CreatePen(penStyle, 1, RGB(0, 0, 0));
        brush = CreateSolidBrush(RGB(255, 0, 0));
        SelectObject(dc, pen);
        SelectObject(dc, brush);
    }
    ~Canvas() {
        SelectObject(dc, GetStockObject(BLACK_PEN));
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        DeleteObject(pen);
        DeleteObject(brush);
    }
};

constexpr DWORD kBlack = 0, kRed = 0xFF0000, kWhite = 0xFFFFFF;

} // namespace

TEST(Shapes, RectangleAndFillsExcludeRightAndBottomEdges) {
    Canvas c(6, 5);
    ASSERT_TRUE(Rectangle(c.dc, 1, 1, 5, 4));
    EXPECT_EQ(c.mask(kBlack), "......\n.####.\n.#..#.\n.####.\n......\n");
    EXPECT_EQ(c.mask(kRed), "......\n......\n..##..\n......\n......\n");
    Canvas f(5, 4);
    RECT r{1, 1, 4, 3};
    HBRUSH black = CreateSolidBrush(0);
    FillRect(f.dc, &r, black);
    EXPECT_EQ(f.mask(kBlack), ".....\n.###.\n.###.\n.....\n");
    f.fill(kWhite);
    RECT big{0, 0, 5, 4};
    FrameRect(f.dc, &big, black);
    EXPECT_EQ(f.mask(kBlack), "#####\n#...#\n#...#\n#####\n");
    DeleteObject(black);
}

TEST(Shapes, RoundRectAndEllipseStayInsideTheirBoxAndSymmetric) {
    Canvas c(12, 10);
    ASSERT_TRUE(Ellipse(c.dc, 1, 1, 11, 9));
    std::string m = c.mask(kWhite);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            bool painted = m[y * 13 + x] == '.';
            if (x == 0 || y == 0 || x == 11 || y == 9) {
                EXPECT_FALSE(painted) << x << "," << y;
            }
            // Mirror images across the centre of the box [1, 11) x [1, 9).
            EXPECT_EQ(painted, m[(9 - y) * 13 + x] == '.') << x << "," << y;
            EXPECT_EQ(painted, m[y * 13 + (11 - x)] == '.') << x << "," << y;
        }
    EXPECT_EQ(c.at(1, 4), kBlack);  // left extreme on the box edge
    EXPECT_EQ(c.at(10, 4), kBlack); // right extreme one inside the right edge
    EXPECT_EQ(c.at(1, 1), kWhite);  // corners cut
    EXPECT_EQ(c.at(5, 4), kRed);
    Canvas r(10, 8);
    ASSERT_TRUE(RoundRect(r.dc, 0, 0, 10, 8, 4, 4));
    EXPECT_EQ(r.at(0, 0), kWhite);
    EXPECT_EQ(r.at(5, 0), kBlack);
    EXPECT_EQ(r.at(9, 4), kBlack);
    EXPECT_EQ(r.at(5, 7), kBlack);
    EXPECT_EQ(r.at(9, 7), kWhite);
    EXPECT_EQ(r.at(5, 4), kRed);
}

TEST(Shapes, ArcRunsCounterClockwiseFromStartToEnd) {
    // Start on the right (3 o'clock), end at the top (12 o'clock): the upper-right quarter.
    Canvas c(21, 21);
    ASSERT_TRUE(Arc(c.dc, 0, 0, 21, 21, 21, 10, 10, 0));
    EXPECT_EQ(c.at(20, 10), kBlack);
    EXPECT_EQ(c.at(10, 0), kBlack);
    EXPECT_EQ(c.at(17, 3), kBlack);  // on the upper-right curve
    EXPECT_EQ(c.at(3, 3), kWhite);   // upper-left: not drawn
    EXPECT_EQ(c.at(17, 17), kWhite); // lower-right: not drawn
    EXPECT_EQ(c.at(10, 10), kWhite); // an arc fills nothing
    // The other way round gives the remaining three quarters.
    Canvas d(21, 21);
    ASSERT_TRUE(Arc(d.dc, 0, 0, 21, 21, 10, 0, 21, 10));
    EXPECT_EQ(d.at(17, 3), kWhite);
    EXPECT_EQ(d.at(3, 3), kBlack);
    EXPECT_EQ(d.at(17, 17), kBlack);
}

TEST(Shapes, PolygonFillsItsInsideAndOutlinesItsEdges) {
    Canvas c(8, 8);
    POINT tri[3] = {{1, 6}, {4, 1}, {7, 6}};
    ASSERT_TRUE(Polygon(c.dc, tri, 3));
    EXPECT_EQ(c.at(4, 1), kBlack); // apex
    EXPECT_EQ(c.at(1, 6), kBlack);
    EXPECT_EQ(c.at(7, 6), kBlack); // closed outline reaches every vertex
    EXPECT_EQ(c.at(4, 4), kRed);
    EXPECT_EQ(c.at(1, 1), kWhite);
    EXPECT_EQ(c.at(4, 7), kWhite);
}

TEST(Lines, LineToExcludesItsEndPointAndDottedPensLeaveGaps) {
    Canvas c(10, 3);
    MoveToEx(c.dc, 0, 1, nullptr);
    ASSERT_TRUE(LineTo(c.dc, 9, 1));
    EXPECT_EQ(c.mask(kBlack), "..........\n#########.\n..........\n");
    POINT p{};
    GetCurrentPositionEx(c.dc, &p);
    EXPECT_EQ(p, (POINT{9, 1}));
    Canvas d(12, 1, PS_DOT);
    SetBkMode(d.dc, TRANSPARENT);
    MoveToEx(d.dc, 0, 0, nullptr);
    LineTo(d.dc, 12, 0);
    EXPECT_EQ(d.mask(kBlack), "###...###...\n");
    // Opaque: the gaps take the background colour.
    SetBkMode(d.dc, OPAQUE);
    SetBkColor(d.dc, RGB(0, 0, 255));
    d.fill(kWhite);
    MoveToEx(d.dc, 0, 0, nullptr);
    LineTo(d.dc, 12, 0);
    EXPECT_EQ(d.mask(0x0000FF), "...###...###\n");
}

TEST(Lines, XorPenDrawnTwiceRestores) {
    Canvas c(5, 1);
    c.set(2, 0, 0x123456);
    SetROP2(c.dc, R2_XORPEN);
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(c.dc, white);
    for (int i = 0; i < 2; ++i) {
        MoveToEx(c.dc, 0, 0, nullptr);
        LineTo(c.dc, 5, 0);
        if (i == 0) {
            EXPECT_EQ(c.at(2, 0), 0x123456u ^ 0xFFFFFFu);
        }
    }
    EXPECT_EQ(c.at(2, 0), 0x123456u);
    EXPECT_EQ(c.at(0, 0), kWhite);
    SelectObject(c.dc, old);
    DeleteObject(white);
}

TEST(Brushes, PatternIsAnchoredAtTheBrushOriginNotTheShape) {
    // An 8x8 pattern with one black pixel at (0, 0).
    Dib tile(8, 8, 32);
    tile.fill(kWhite);
    tile.set(0, 0, kBlack);
    HBRUSH brush = CreatePatternBrush(tile.bitmap);
    Canvas c(16, 16);
    RECT r{3, 3, 16, 16};
    FillRect(c.dc, &r, brush);
    EXPECT_EQ(c.at(8, 8), kBlack); // repeats from device (0, 0), not from (3, 3)
    EXPECT_EQ(c.at(3, 3), kWhite);
    c.fill(kWhite);
    SetBrushOrgEx(c.dc, 3, 3, nullptr);
    FillRect(c.dc, &r, brush);
    EXPECT_EQ(c.at(3, 3), kBlack);
    EXPECT_EQ(c.at(11, 11), kBlack);
    EXPECT_EQ(c.at(8, 8), kWhite);
    DeleteObject(brush);
    // A hatch drawn transparently leaves its gaps alone.
    HBRUSH hatch = CreateHatchBrush(HS_VERTICAL, RGB(0, 0, 0));
    Canvas h(8, 2);
    SetBkMode(h.dc, TRANSPARENT);
    RECT all{0, 0, 8, 2};
    FillRect(h.dc, &all, hatch);
    EXPECT_EQ(h.mask(kBlack), "....#...\n....#...\n");
    DeleteObject(hatch);
}

TEST(FocusRect, InvertsEveryOtherPixelOnTheGridAndUndoesItself) {
    Canvas c(7, 5);
    RECT r{0, 0, 7, 5};
    ASSERT_TRUE(DrawFocusRect(c.dc, &r));
    // The dots sit where x + y is even, whatever rectangle is framed.
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            bool onFrame = x == 0 || y == 0 || x == 6 || y == 4;
            DWORD want = onFrame && (x + y) % 2 == 0 ? kBlack : kWhite;
            EXPECT_EQ(c.at(x, y), want) << x << "," << y;
        }
    RECT shifted{1, 1, 6, 4};
    c.fill(kWhite);
    DrawFocusRect(c.dc, &shifted);
    EXPECT_EQ(c.at(1, 1), kBlack);
    EXPECT_EQ(c.at(2, 1), kWhite);
    DrawFocusRect(c.dc, &shifted);
    EXPECT_EQ(c.mask(kWhite).find('.'), std::string::npos);
}

TEST(Pixels, SetAndGetPixelHonourClipAndFormat) {
    Dib d(4, 1, 8, {quad(0, 0, 0), quad(255, 255, 255), quad(255, 0, 0)});
    EXPECT_EQ(SetPixel(d.dc, 1, 0, RGB(250, 10, 10)), RGB(255, 0, 0)); // the colour set
    EXPECT_EQ(d.at(1, 0), 2u);
    EXPECT_EQ(GetPixel(d.dc, 1, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(d.dc, 4, 0), CLR_INVALID);
    IntersectClipRect(d.dc, 2, 0, 4, 1);
    EXPECT_EQ(SetPixel(d.dc, 0, 0, RGB(255, 255, 255)), CLR_INVALID);
    EXPECT_EQ(d.at(0, 0), 0u);
}

TEST(PatBlt, OperationsOnTheBrushAndTheDestination) {
    struct Case {
        DWORD rop;
        DWORD expect; // from a 0x123456 destination with a 0x00FF00 brush
    };
    const Case cases[] = {
        {PATCOPY, 0x00FF00},   {PATINVERT, 0x12CB56}, {DSTINVERT, 0xEDCBA9},
        {BLACKNESS, 0x000000}, {WHITENESS, 0xFFFFFF},
    };
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    for (const Case& c : cases) {
        Dib d(3, 2, 32);
        d.fill(0x123456);
        HGDIOBJ old = SelectObject(d.dc, green);
        ASSERT_TRUE(PatBlt(d.dc, 1, 0, 2, 1, c.rop)) << std::hex << c.rop;
        EXPECT_EQ(d.at(1, 0), c.expect) << std::hex << c.rop;
        EXPECT_EQ(d.at(2, 0), c.expect) << std::hex << c.rop;
        EXPECT_EQ(d.at(0, 0), 0x123456u) << std::hex << c.rop;
        EXPECT_EQ(d.at(1, 1), 0x123456u) << std::hex << c.rop;
        SelectObject(d.dc, old);
    }
    Dib d(2, 1, 32);
    EXPECT_FALSE(PatBlt(d.dc, 0, 0, 2, 1, SRCCOPY)); // needs a source
    DeleteObject(green);
}

TEST(Brushes, NullPenAndBrushDrawNothingAndHatchesFillTheirGapsWhenOpaque) {
    Canvas c(6, 4);
    SelectObject(c.dc, GetStockObject(NULL_BRUSH));
    Rectangle(c.dc, 0, 0, 6, 4);
    EXPECT_EQ(c.mask(kBlack), "######\n#....#\n#....#\n######\n");
    EXPECT_EQ(c.mask(kRed), "......\n......\n......\n......\n");
    c.fill(kWhite);
    SelectObject(c.dc, GetStockObject(NULL_PEN));
    SelectObject(c.dc, c.brush);
    Rectangle(c.dc, 0, 0, 6, 4);
    // Without a pen the fill still stops short of the right and bottom edges.
    EXPECT_EQ(c.mask(kRed), "#####.\n#####.\n#####.\n......\n");
    HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, RGB(0, 0, 0));
    Canvas h(2, 8);
    SetBkColor(h.dc, RGB(0, 0, 255));
    RECT all{0, 0, 2, 8};
    FillRect(h.dc, &all, hatch);
    std::string lines = h.mask(kBlack);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '#'), 2); // one row of eight
    EXPECT_EQ(h.mask(0x0000FF).find('#') != std::string::npos, true);
    for (int y = 0; y < 8; ++y)
        EXPECT_TRUE(h.at(0, y) == kBlack || h.at(0, y) == 0x0000FFu) << y;
    DeleteObject(hatch);
}

TEST(Lines, WidePensCentreOnTheLineAndPolylineJoinsItsPoints) {
    Canvas c(8, 5);
    HPEN wide = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(c.dc, wide);
    MoveToEx(c.dc, 2, 2, nullptr);
    LineTo(c.dc, 6, 2);
    std::string m = c.mask(kBlack);
    for (int y : {1, 2, 3})
        for (int x : {3, 4, 5})
            EXPECT_EQ(m[y * 9 + x], '#') << x << "," << y;
    EXPECT_EQ(c.at(4, 0), kWhite);
    EXPECT_EQ(c.at(4, 4), kWhite);
    SelectObject(c.dc, old);
    DeleteObject(wide);
    Canvas p(5, 4);
    POINT pts[3] = {{0, 0}, {4, 0}, {4, 3}};
    ASSERT_TRUE(Polyline(p.dc, pts, 3));
    // Every segment but the last keeps its end point through the next one's start.
    EXPECT_EQ(p.mask(kBlack), "#####\n....#\n....#\n.....\n");
    EXPECT_FALSE(Polyline(p.dc, pts, 1));
}

TEST(Shapes, InvertRectFlipsEveryBitAndUndoesItself) {
    Dib d(3, 1, 32);
    d.set(0, 0, 0x123456);
    d.set(1, 0, 0x000000);
    RECT r{0, 0, 2, 1};
    ASSERT_TRUE(InvertRect(d.dc, &r));
    EXPECT_EQ(d.at(0, 0), 0xEDCBA9u);
    EXPECT_EQ(d.at(1, 0), 0xFFFFFFu);
    EXPECT_EQ(d.at(2, 0), 0u);
    InvertRect(d.dc, &r);
    EXPECT_EQ(d.at(0, 0), 0x123456u);
}

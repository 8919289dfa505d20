#include "GdiTestUtil.h"

#include <gtest/gtest.h>

using namespace gdi_test;

namespace {

constexpr DWORD kWhite = 0xFFFFFF, kBlue = 0x0000FF;

// Paints the whole canvas blue through the DC's current origin and clip.
void paintAll(HDC dc, HBRUSH brush) {
    RECT all{-100, -100, 100, 100};
    FillRect(dc, &all, brush);
}

} // namespace

TEST(DcState, SaveAndRestoreBringBackColoursOriginClipAndObjects) {
    Dib d(8, 4, 32);
    d.fill(kWhite);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    SetTextColor(d.dc, RGB(10, 20, 30));
    int first = SaveDC(d.dc);
    EXPECT_EQ(first, 1);
    HGDIOBJ before = SelectObject(d.dc, pen);
    SetTextColor(d.dc, RGB(40, 50, 60));
    SetBkMode(d.dc, TRANSPARENT);
    SetViewportOrgEx(d.dc, 3, 1, nullptr);
    IntersectClipRect(d.dc, 0, 0, 2, 2);
    EXPECT_EQ(SaveDC(d.dc), 2);
    SetTextColor(d.dc, RGB(70, 80, 90));
    // -1 is the last saved state, which keeps the second text colour.
    ASSERT_TRUE(RestoreDC(d.dc, -1));
    EXPECT_EQ(GetTextColor(d.dc), RGB(40, 50, 60));
    ASSERT_TRUE(RestoreDC(d.dc, first));
    EXPECT_EQ(GetTextColor(d.dc), RGB(10, 20, 30));
    EXPECT_EQ(GetBkMode(d.dc), OPAQUE);
    EXPECT_EQ(GetCurrentObject(d.dc, OBJ_PEN), before);
    POINT org{};
    GetViewportOrgEx(d.dc, &org);
    EXPECT_EQ(org.x, 0);
    EXPECT_EQ(org.y, 0);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    paintAll(d.dc, blue); // no clip left
    EXPECT_EQ(d.mask(kBlue), "########\n########\n########\n########\n");
    EXPECT_FALSE(RestoreDC(d.dc, 1)); // nothing saved any more
    EXPECT_FALSE(RestoreDC(d.dc, -1));
    EXPECT_EQ(DeleteObject(pen), TRUE); // no longer selected
    DeleteObject(blue);
}

TEST(DcState, ViewportAndWindowOriginsMapLogicalToDevice) {
    Dib d(6, 4, 32);
    d.fill(kWhite);
    POINT old{};
    SetViewportOrgEx(d.dc, 1, 1, nullptr);
    ASSERT_TRUE(OffsetViewportOrgEx(d.dc, 2, 1, &old));
    EXPECT_EQ(old.x, 1);
    EXPECT_EQ(old.y, 1);
    SetWindowOrgEx(d.dc, 1, 0, nullptr);
    // device = logical - window origin + viewport origin = logical + (2, 2)
    POINT p[2] = {{0, 0}, {3, 1}};
    ASSERT_TRUE(LPtoDP(d.dc, p, 2));
    EXPECT_EQ(p[0].x, 2);
    EXPECT_EQ(p[0].y, 2);
    EXPECT_EQ(p[1].x, 5);
    EXPECT_EQ(p[1].y, 3);
    ASSERT_TRUE(DPtoLP(d.dc, p, 2));
    EXPECT_EQ(p[1].x, 3);
    EXPECT_EQ(p[1].y, 1);
    EXPECT_EQ(SetPixel(d.dc, 0, 0, RGB(0, 0, 255)), RGB(0, 0, 255));
    EXPECT_EQ(d.at(2, 2), kBlue);
    EXPECT_EQ(GetPixel(d.dc, 0, 0), RGB(0, 0, 255));
}

TEST(DcState, ClipRectanglesIntersectExcludeAndReport) {
    struct Case {
        const char* name;
        void (*clip)(HDC);
        int kind;
        RECT box;
        const char* painted;
    };
    const Case cases[] = {
        {"intersect", [](HDC dc) { IntersectClipRect(dc, 1, 1, 4, 3); }, SIMPLEREGION,
         RECT{1, 1, 4, 3}, ".....\n.###.\n.###.\n.....\n"},
        {"intersect twice",
         [](HDC dc) {
             IntersectClipRect(dc, 1, 1, 4, 3);
             IntersectClipRect(dc, 2, 0, 5, 2);
         },
         SIMPLEREGION, RECT{2, 1, 4, 2}, ".....\n..##.\n.....\n.....\n"},
        {"exclude", [](HDC dc) { ExcludeClipRect(dc, 1, 1, 4, 3); }, COMPLEXREGION,
         RECT{0, 0, 5, 4}, "#####\n#...#\n#...#\n#####\n"},
        {"disjoint", [](HDC dc) { IntersectClipRect(dc, 7, 7, 9, 9); }, NULLREGION, RECT{},
         ".....\n.....\n.....\n.....\n"},
        {"with origin",
         [](HDC dc) {
             SetViewportOrgEx(dc, 1, 1, nullptr);
             IntersectClipRect(dc, 0, 0, 2, 1); // device (1, 1)-(3, 2)
             SetViewportOrgEx(dc, 0, 0, nullptr);
         },
         SIMPLEREGION, RECT{1, 1, 3, 2}, ".....\n.##..\n.....\n.....\n"},
    };
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    for (const Case& c : cases) {
        Dib d(5, 4, 32);
        d.fill(kWhite);
        c.clip(d.dc);
        RECT box{};
        EXPECT_EQ(GetClipBox(d.dc, &box), c.kind) << c.name;
        EXPECT_TRUE(EqualRect(&box, &c.box)) << c.name;
        paintAll(d.dc, blue);
        EXPECT_EQ(d.mask(kBlue), c.painted) << c.name;
        HRGN copy = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(GetClipRgn(d.dc, copy), 1) << c.name;
        DeleteObject(copy);
    }
    Dib plain(2, 2, 32);
    HRGN none = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(plain.dc, none), 0); // no clip set
    DeleteObject(none);
    DeleteObject(blue);
}

TEST(DcState, DeviceCapsDescribeATrueColourScreen) {
    HDC screen = GetDC(0);
    ASSERT_NE(screen, 0u);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, 0); // never paletted
    EXPECT_EQ(GetDeviceCaps(screen, SIZEPALETTE), 0);
    SetScreenMetrics(1280, 1024, 120);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1280);
    EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 1024);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 120);
    SetScreenMetrics(1024, 768, 96);
    // Drawing on the screen DC changes nothing and does not fail.
    RECT r{0, 0, 10, 10};
    EXPECT_NE(FillRect(screen, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
    EXPECT_EQ(GetDeviceCaps(0, BITSPIXEL), 0); // not a DC
    ReleaseDC(0, screen);
}

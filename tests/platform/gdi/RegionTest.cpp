#include "GdiTestUtil.h"

#include <gtest/gtest.h>

using namespace gdi_test;

namespace {

// The region over [0, w) x [0, h) as '#' inside and '.' outside.
std::string picture(HRGN r, int w, int h) {
    std::string s;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            s += PtInRegion(r, x, y) ? '#' : '.';
        s += '\n';
    }
    return s;
}

} // namespace

TEST(Regions, CombineModes) {
    struct Case {
        int mode;
        int kind;
        const char* expect;
    };
    const Case cases[] = {
        {RGN_OR, COMPLEXREGION, "##..\n###.\n.##.\n....\n"},
        {RGN_AND, SIMPLEREGION, "....\n.#..\n....\n....\n"},
        {RGN_XOR, COMPLEXREGION, "##..\n#.#.\n.##.\n....\n"},
        {RGN_DIFF, COMPLEXREGION, "##..\n#...\n....\n....\n"},
        {RGN_COPY, SIMPLEREGION, "##..\n##..\n....\n....\n"},
    };
    HRGN a = CreateRectRgn(0, 0, 2, 2), b = CreateRectRgn(1, 1, 3, 3);
    for (const Case& c : cases) {
        HRGN d = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(CombineRgn(d, a, b, c.mode), c.kind) << c.mode;
        EXPECT_EQ(picture(d, 4, 4), c.expect) << c.mode;
        DeleteObject(d);
    }
    HRGN e = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(e, a, CreateRectRgn(5, 5, 6, 6), RGN_AND), NULLREGION);
    EXPECT_EQ(CombineRgn(e, a, 0, RGN_OR), ERROR);
    // The destination may be one of the operands.
    EXPECT_EQ(CombineRgn(a, a, b, RGN_OR), COMPLEXREGION);
    RECT box{};
    GetRgnBox(a, &box);
    EXPECT_EQ(box, (RECT{0, 0, 3, 3}));
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(e);
}

TEST(Regions, RoundRectLeavesOutOneMoreColumnAndRow) {
    // As the window shape code calls it: (0, 0, w + 1, h + 1) gives a w x h shape.
    HRGN r = CreateRoundRectRgn(0, 0, 11, 9, 6, 6);
    RECT box{};
    GetRgnBox(r, &box);
    EXPECT_EQ(box, (RECT{0, 0, 10, 8}));
    EXPECT_FALSE(PtInRegion(r, 0, 0));
    EXPECT_FALSE(PtInRegion(r, 9, 7));
    EXPECT_TRUE(PtInRegion(r, 5, 0));
    EXPECT_TRUE(PtInRegion(r, 0, 4));
    EXPECT_TRUE(PtInRegion(r, 9, 4));
    EXPECT_FALSE(PtInRegion(r, 10, 4));
    std::string p = picture(r, 10, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(p[y * 11 + x], p[y * 11 + (9 - x)]) << x << "," << y;
            EXPECT_EQ(p[y * 11 + x], p[(7 - y) * 11 + x]) << x << "," << y;
        }
    DeleteObject(r);
}

TEST(Regions, MaskAndRectanglesForTheWindowBackend) {
    HRGN r = CreateRectRgn(1, 0, 3, 1);
    HRGN s = CreateRectRgn(9, 1, 10, 2);
    CombineRgn(r, r, s, RGN_OR);
    std::vector<BYTE> mask = GetRegionMask(r, 10, 2);
    ASSERT_EQ(mask.size(), 4u);
    EXPECT_EQ(mask[0], 0x60);
    EXPECT_EQ(mask[1], 0x00);
    EXPECT_EQ(mask[2], 0x00);
    EXPECT_EQ(mask[3], 0x40);
    std::vector<RECT> rects = GetRegionRects(r);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], (RECT{1, 0, 3, 1}));
    EXPECT_EQ(rects[1], (RECT{9, 1, 10, 2}));
    DeleteObject(r);
    DeleteObject(s);
}

TEST(Regions, SelectClipRgnAndFillRgnMaskDrawing) {
    Dib d(6, 1, 32);
    HRGN clip = CreateRectRgn(1, 0, 3, 1);
    HRGN hole = CreateRectRgn(2, 0, 3, 1);
    CombineRgn(clip, clip, hole, RGN_DIFF);
    CombineRgn(clip, clip, CreateRectRgn(4, 0, 5, 1), RGN_OR);
    EXPECT_EQ(SelectClipRgn(d.dc, clip), COMPLEXREGION);
    HBRUSH b = CreateSolidBrush(RGB(255, 255, 255));
    RECT all{0, 0, 6, 1};
    FillRect(d.dc, &all, b);
    EXPECT_EQ(d.mask(0xFFFFFF), ".#..#.\n");
    SelectClipRgn(d.dc, 0);
    d.fill(0);
    FillRgn(d.dc, hole, b);
    EXPECT_EQ(d.mask(0xFFFFFF), "..#...\n");
    DeleteObject(b);
    DeleteObject(clip);
    DeleteObject(hole);
}

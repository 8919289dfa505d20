#include "GdiTestUtil.h"

#include <gtest/gtest.h>

using namespace gdi_test;

namespace {

HPALETTE makePalette(std::vector<PALETTEENTRY> entries, WORD version = 0x300) {
    std::vector<BYTE> block(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
    lp->palVersion = version;
    lp->palNumEntries = static_cast<WORD>(entries.size());
    if (!entries.empty())
        std::memcpy(lp->palPalEntry, entries.data(), entries.size() * sizeof(PALETTEENTRY));
    return CreatePalette(lp);
}

} // namespace

TEST(Palettes, CreateCountAndNearest) {
    HPALETTE p =
        makePalette({{0, 0, 0, 0}, {100, 100, 100, 0}, {120, 120, 120, 0}, {120, 120, 120, 0}});
    ASSERT_NE(p, 0u);
    WORD count = 0;
    EXPECT_EQ(GetObject(p, sizeof count, &count), 2);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(GetPaletteEntries(p, 0, 0, nullptr), 4u);
    EXPECT_EQ(GetNearestPaletteIndex(p, RGB(110, 110, 110)), 1u); // a tie: the lower index
    EXPECT_EQ(GetNearestPaletteIndex(p, RGB(125, 125, 125)), 2u);
    EXPECT_EQ(makePalette({{1, 2, 3, 0}}, 0x200), 0u);
    EXPECT_EQ(makePalette({}), 0u);
    DeleteObject(p);
}

TEST(Palettes, SelectAndRealizeChangeNoPixelAndRestore) {
    Dib d(1, 1, 32);
    d.set(0, 0, 0x123456);
    HPALETTE p = makePalette({{255, 0, 0, 0}, {0, 255, 0, 0}});
    HPALETTE old = SelectPalette(d.dc, p, FALSE);
    EXPECT_EQ(old, GetStockObject(DEFAULT_PALETTE));
    EXPECT_EQ(RealizePalette(d.dc), 0u);
    EXPECT_EQ(d.at(0, 0), 0x123456u);
    // PALETTEINDEX names an entry of the selected palette.
    SetPixel(d.dc, 0, 0, PALETTEINDEX(1));
    EXPECT_EQ(d.at(0, 0), 0x00FF00u);
    EXPECT_EQ(SelectPalette(d.dc, old, FALSE), p);
    DeleteObject(p);
}

TEST(Palettes, StockAndHalftonePalettes) {
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    PALETTEENTRY e[256];
    ASSERT_EQ(GetPaletteEntries(stock, 0, 256, e), 20u);
    EXPECT_EQ(e[0].peRed + e[0].peGreen + e[0].peBlue, 0);
    EXPECT_EQ(e[19].peRed + e[19].peGreen + e[19].peBlue, 765);
    HDC screen = GetDC(0);
    HPALETTE half = CreateHalftonePalette(screen);
    ASSERT_EQ(GetPaletteEntries(half, 0, 256, e), 256u);
    EXPECT_EQ(e[0].peRed + e[0].peGreen + e[0].peBlue, 0);
    EXPECT_EQ(e[255].peRed + e[255].peGreen + e[255].peBlue, 765);
    // The cube: every 51-step colour is present.
    EXPECT_EQ(GetNearestPaletteIndex(half, RGB(51, 102, 204)) != CLR_INVALID, true);
    UINT i = GetNearestPaletteIndex(half, RGB(51, 102, 204));
    EXPECT_EQ(e[i].peRed, 51);
    EXPECT_EQ(e[i].peGreen, 102);
    EXPECT_EQ(e[i].peBlue, 204);
    DeleteObject(half);
    ReleaseDC(0, screen);
}

TEST(SystemColours, OneTableForColoursAndBrushes) {
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    HBRUSH b = GetSysColorBrush(COLOR_BTNFACE);
    LOGBRUSH lb{};
    ASSERT_EQ(GetObject(b, sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbColor, face);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
    EXPECT_EQ(GetSysColor(99), 0u);
    int idx = COLOR_BTNFACE;
    COLORREF c = RGB(1, 2, 3);
    SetSysColors(1, &idx, &c);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), c);
    GetObject(b, sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, c);
    SetSysColors(1, &idx, &face);
}

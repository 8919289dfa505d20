// Whole rows mapped to the nearest entry (the 4-pixel lanes and the pixels left over, 24- and
// 32-bit memory), a table where no box of colour space has a single answer, the shared
// matchers of palettes and colour tables, and tables changed after they were first used.
#include "GdiTestUtil.h"
#include "platform/gdi/internal/ColorMatcher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace gdi_test;

namespace {

struct NamedTable {
    std::string name;
    std::vector<gdi::Px> table;
};

// One entry, two, two the same, a full table of spread colours, a full table of only 8
// distinct colours repeated (ties between equal entries everywhere), and all 256 greys.
std::vector<NamedTable> tables() {
    std::mt19937 rng(424242);
    std::vector<NamedTable> t = {
        {"one", {0x336699}}, {"two", {0x000000, 0xFFFFFF}}, {"two equal", {0x808080, 0x808080}}};
    NamedTable spread{"256 spread", {}}, repeated{"256 repeated", {}}, greys{"256 greys", {}};
    for (int i = 0; i < 256; ++i) {
        spread.table.push_back(rng() & 0xFFFFFF);
        repeated.table.push_back(((i * 37) % 8) * 0x242424u);
        greys.table.push_back(static_cast<gdi::Px>(i) * 0x010101u);
    }
    t.push_back(spread);
    t.push_back(repeated);
    t.push_back(greys);
    return t;
}

TEST(ColorMap, RowsOfEveryLengthMapToTheNearestEntry) {
    // Rows of 1 to 11 pixels at every start, so whole lanes of 4 and every kind of rest are
    // met; 32-bit pixels carry junk in their fourth byte.
    std::mt19937 rng(77);
    for (const NamedTable& t : tables()) {
        gdi::ColorMatcher m(t.table);
        for (int round = 0; round < 400; ++round) {
            const int n = 1 + round % 11;
            std::vector<gdi::Px> px(static_cast<std::size_t>(n));
            std::vector<BYTE> mem32(4 * px.size()), mem24(3 * px.size());
            for (int i = 0; i < n; ++i) {
                px[i] = rng() & 0xFFFFFF;
                const gdi::Px junk = (rng() & 0xFF) << 24;
                for (int c = 0; c < 4; ++c)
                    mem32[4 * i + c] = static_cast<BYTE>((px[i] | junk) >> (8 * c));
                for (int c = 0; c < 3; ++c)
                    mem24[3 * i + c] = static_cast<BYTE>(px[i] >> (8 * c));
            }
            std::vector<BYTE> out32(px.size()), out24(px.size());
            std::vector<std::uint32_t> outPx(px.size());
            m.map32(mem32.data(), n, out32.data());
            m.map24(mem24.data(), n, out24.data());
            m.mapPx(px.data(), n, outPx.data());
            for (int i = 0; i < n; ++i) {
                const int want = bruteNearest(t.table, px[i]);
                ASSERT_EQ(out32[i], want) << t.name << " 32-bit " << std::hex << px[i];
                ASSERT_EQ(out24[i], want) << t.name << " 24-bit " << std::hex << px[i];
                ASSERT_EQ(outPx[i], static_cast<std::uint32_t>(want))
                    << t.name << " true colour " << std::hex << px[i];
            }
        }
    }
}

TEST(ColorMap, ATableWhereEveryBoxIsMixedGetsExactAnswers) {
    // With 256 greys every 4x4x4 box holds several answers, so each of the 2^18 boxes gets a
    // block of its own: one colour in each box (every fifth checked) settles them all, then
    // every colour of a spread of boxes is asked, twice.
    std::vector<gdi::Px> greys;
    for (gdi::Px v = 0; v < 256; ++v)
        greys.push_back(v * 0x010101u);
    gdi::ColorMatcher m(greys);
    std::vector<gdi::Px> row;
    for (gdi::Px box = 0; box < (1u << 18); ++box) {
        const gdi::Px r = (box >> 12) << 2, g = ((box >> 6) & 63) << 2, b = (box & 63) << 2;
        row.push_back(r << 16 | g << 8 | b | (box * 7 & 0x030303));
    }
    std::vector<std::uint32_t> out(row.size());
    m.mapPx(row.data(), static_cast<int>(row.size()), out.data());
    for (std::size_t i = 0; i < row.size(); i += 5)
        ASSERT_EQ(out[i], static_cast<std::uint32_t>(bruteNearest(greys, row[i])))
            << std::hex << row[i];
    for (int pass = 0; pass < 2; ++pass)
        for (gdi::Px box = 0; box < (1u << 18); box += 4099) {
            const gdi::Px corner =
                ((box >> 12) << 2) << 16 | (((box >> 6) & 63) << 2) << 8 | ((box & 63) << 2);
            for (gdi::Px k = 0; k < 64; ++k) {
                const gdi::Px p = corner + ((k >> 4) << 16 | ((k >> 2) & 3) << 8 | (k & 3));
                ASSERT_EQ(m.nearest(p), bruteNearest(greys, p)) << std::hex << p;
            }
        }
}

TEST(ColorMap, KeptMatchersStayTrueToTheirTables) {
    // More tables than are kept, in turn and again: the least recent matcher starts over for
    // a new table, except one still held, which must go on answering for its own table.
    std::mt19937 rng(5);
    std::vector<std::vector<gdi::Px>> tabs(10);
    for (auto& t : tabs) {
        t.resize(1 + rng() % 256);
        for (gdi::Px& p : t)
            p = rng() & 0xFFFFFF;
    }
    auto check = [&](gdi::ColorMatcher& m, const std::vector<gdi::Px>& t, std::size_t which) {
        for (int i = 0; i < 300; ++i) {
            const gdi::Px p = rng() & 0xFFFFFF;
            ASSERT_EQ(m.nearest(p), bruteNearest(t, p)) << "table " << which << std::hex << p;
        }
    };
    auto held = gdi::matcherFor(tabs[0].data(), static_cast<int>(tabs[0].size()));
    check(*held, tabs[0], 0);
    for (int round = 0; round < 3; ++round)
        for (std::size_t k = 1; k < tabs.size(); ++k) {
            auto m = gdi::matcherFor(tabs[k].data(), static_cast<int>(tabs[k].size()));
            check(*m, tabs[k], k);
        }
    check(*held, tabs[0], 0);
}

HPALETTE makePalette(const std::vector<gdi::Px>& colours) {
    std::vector<BYTE> block(sizeof(LOGPALETTE) + colours.size() * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i)
        lp->palPalEntry[i] =
            PALETTEENTRY{BYTE(colours[i] >> 16), BYTE(colours[i] >> 8), BYTE(colours[i]), 0};
    return CreatePalette(lp);
}

TEST(ColorMap, NearestPaletteIndexAgreesWithTheFullSearch) {
    // The tables above, and a palette longer than a colour table can be (1024 entries).
    std::vector<NamedTable> all = tables();
    std::mt19937 rng(31337);
    NamedTable longest{"1024 spread", {}};
    for (int i = 0; i < 1024; ++i)
        longest.table.push_back(rng() & 0xFFFFFF);
    all.push_back(longest);
    for (const NamedTable& t : all) {
        HPALETTE pal = makePalette(t.table);
        ASSERT_NE(pal, HPALETTE{}) << t.name;
        for (int i = 0; i < 3000; ++i) {
            const gdi::Px p = rng() & 0xFFFFFF;
            const COLORREF c = RGB(p >> 16, (p >> 8) & 0xFF, p & 0xFF);
            ASSERT_EQ(GetNearestPaletteIndex(pal, c), static_cast<UINT>(bruteNearest(t.table, p)))
                << t.name << " " << std::hex << p;
        }
        DeleteObject(pal);
    }
}

TEST(ColorMap, ChangedTablesAreFollowed) {
    // A colour table or palette changed in place after it was used must not keep answering
    // from what was learned about its old colours.
    std::vector<RGBQUAD> colors = {quad(0, 0, 0), quad(255, 255, 255)};
    Dib dest(5, 1, 8, colors);
    Dib src(5, 1, 32);
    for (int x = 0; x < 5; ++x)
        src.set(x, 0, 0xF0F0F0);
    ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 5, 1, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dest.at(4, 0), 1u);
    const RGBQUAD swapped[2] = {quad(255, 255, 255), quad(0, 0, 0)};
    ASSERT_EQ(SetDIBColorTable(dest.dc, 0, 2, swapped), 2u);
    ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 5, 1, src.dc, 0, 0, SRCCOPY));
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(dest.at(x, 0), 0u) << x;

    HPALETTE pal = makePalette({0x000000, 0xFFFFFF});
    EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(240, 240, 240)), 1u);
    const PALETTEENTRY e[2] = {{255, 255, 255, 0}, {0, 0, 0, 0}};
    ASSERT_EQ(SetPaletteEntries(pal, 0, 2, e), 2u);
    EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(240, 240, 240)), 0u);
    DeleteObject(pal);
}

TEST(ColorMap, BlitsAndReadsBackTo8BitsAtAnyColumn) {
    // BitBlt from 24- and 32-bit sources into an 8-bit DIB at an odd column and width (the
    // rows start inside a lane), and GetDIBits reading them back to 8 bits.
    std::mt19937 rng(2026);
    std::vector<gdi::Px> table;
    std::vector<RGBQUAD> colors;
    for (int i = 0; i < 200; ++i) {
        gdi::Px p = i % 5 == 4 ? table[static_cast<std::size_t>(i - 3)] : rng() & 0xFFFFFF;
        table.push_back(p);
        colors.push_back(quad(BYTE(p >> 16), BYTE(p >> 8), BYTE(p)));
    }
    constexpr int w = 23, h = 5;
    for (int depth : {24, 32}) {
        Dib src(w, h, depth);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                src.set(x, y, rng() & 0xFFFFFF);
        Dib dest(w, h, 8, colors);
        dest.fill(0);
        ASSERT_TRUE(BitBlt(dest.dc, 3, 0, w - 3, h, src.dc, 1, 0, SRCCOPY));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(dest.at(x, y), 0u) << depth << " untouched " << x;
            for (int x = 3; x < w; ++x)
                ASSERT_EQ(dest.at(x, y), static_cast<DWORD>(bruteNearest(table, src.at(x - 2, y))))
                    << depth << " at " << x << "," << y;
        }

        // The 8-bit table GetDIBits gives a true-colour bitmap is the standard one.
        std::vector<BYTE> block(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
        auto* bi = reinterpret_cast<BITMAPINFO*>(block.data());
        bi->bmiHeader = BITMAPINFOHEADER{};
        bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi->bmiHeader.biWidth = w;
        bi->bmiHeader.biHeight = -h;
        bi->bmiHeader.biPlanes = 1;
        bi->bmiHeader.biBitCount = 8;
        std::vector<BYTE> bits(static_cast<std::size_t>(DibRowBytes(w, 8)) * h);
        ASSERT_EQ(GetDIBits(src.dc, src.bitmap, 0, h, bits.data(), bi, DIB_RGB_COLORS), h);
        std::vector<gdi::Px> standard;
        for (int i = 0; i < 256; ++i)
            standard.push_back(static_cast<gdi::Px>(bi->bmiColors[i].rgbRed << 16 |
                                                    bi->bmiColors[i].rgbGreen << 8 |
                                                    bi->bmiColors[i].rgbBlue));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(bits[static_cast<std::size_t>(y) * DibRowBytes(w, 8) + x],
                          bruteNearest(standard, src.at(x, y)))
                    << depth << " read back at " << x << "," << y;
    }
}

} // namespace

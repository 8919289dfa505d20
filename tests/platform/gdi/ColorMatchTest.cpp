// The fast nearest-colour lookup (candidate lists, settled boxes and their blocks of answers)
// against the plain search over the whole table, and the conversions to paletted bitmaps
// built on it.
#include "GdiTestUtil.h"
#include "platform/gdi/internal/Surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

using namespace gdi_test;

namespace {

// Palettes of several kinds: spread out, coarse grids with many equidistant entries and
// repeated colours (ties everywhere), and a few colours crowded together.
std::vector<gdi::Px> randomTable(std::mt19937& rng, int kind) {
    std::uniform_int_distribution<int> size(1, 256), byte(0, 255), step(0, 4), near(120, 136);
    int n = size(rng);
    std::vector<gdi::Px> t(static_cast<std::size_t>(n));
    for (auto& e : t) {
        int c[3];
        for (int& v : c) {
            if (kind == 0)
                v = byte(rng);
            else if (kind == 1)
                v = step(rng) * 64 - (step(rng) == 4 ? 1 : 0); // 0, 64, ... 255
            else
                v = near(rng);
            v = std::clamp(v, 0, 255);
        }
        e = static_cast<gdi::Px>(c[0] << 16 | c[1] << 8 | c[2]);
    }
    return t;
}

TEST(ColorMatch, FastLookupAgreesWithTheFullSearch) {
    std::mt19937 rng(20261210);
    std::uniform_int_distribution<std::uint32_t> colour(0, 0xFFFFFF);
    std::uniform_int_distribution<int> small(0, 8);
    for (int round = 0; round < 60; ++round) {
        auto table = randomTable(rng, round % 3);
        gdi::ColorMatcher m(table);
        // Random colours, colours on the grid and midway between its steps (exact ties),
        // and each one asked twice so answers kept in the memo are checked as well.
        for (int i = 0; i < 6000; ++i) {
            gdi::Px p = colour(rng);
            if (i % 3 == 1) {
                p = 0;
                for (int c = 0; c < 3; ++c)
                    p = p << 8 | static_cast<gdi::Px>(std::min(small(rng) * 32, 255));
            }
            if (i % 3 == 2) p = table[static_cast<std::size_t>(i) % table.size()] ^ 0x010101;
            int want = bruteNearest(table, p);
            ASSERT_EQ(m.nearestExact(p), want) << std::hex << p;
            ASSERT_EQ(m.nearest(p), want) << "round " << round << " colour " << std::hex << p;
            ASSERT_EQ(m.nearest(p), want)
                << "again: round " << round << " colour " << std::hex << p;
        }
    }
}

TEST(ColorMatch, AnAnswerKeptForABoxHoldsForEveryColourInIt) {
    // A box of 4x4x4 colours is settled by the first colour asked in it: every other colour of
    // the box must then get its own exact answer, also on Voronoi borders and exact ties
    // (the grid tables) and for boxes that straddle an 8x8x8 cell border.
    std::mt19937 rng(7031);
    std::uniform_int_distribution<std::uint32_t> colour(0, 0xFFFFFF);
    std::uniform_int_distribution<int> inBox(0, 63);
    for (int round = 0; round < 30; ++round) {
        auto table = randomTable(rng, round % 3);
        gdi::ColorMatcher m(table);
        for (int box = 0; box < 120; ++box) {
            const gdi::Px corner = colour(rng) & 0xFCFCFC;
            auto member = [&](int k) {
                return corner +
                       static_cast<gdi::Px>((k >> 4) << 16 | ((k >> 2) & 3) << 8 | (k & 3));
            };
            m.nearest(member(inBox(rng)));
            for (int k = 0; k < 64; ++k)
                ASSERT_EQ(m.nearest(member(k)), bruteNearest(table, member(k)))
                    << "round " << round << " colour " << std::hex << member(k);
        }
    }
}

TEST(ColorMatch, RememberedAnswersBelongToTheirOwnColour) {
    // A quarter of colour space through a small table, in a scattered order, so remembered
    // answers are evicted and their slots reused constantly; a value's high byte (the X of
    // a 32-bit pixel) must not matter.
    const std::vector<gdi::Px> table = {0x000000, 0xFFFFFF, 0x80FF00, 0x0000C0, 0x7F7F7F};
    gdi::ColorMatcher m(table);
    for (std::uint32_t i = 0; i < (1u << 22); ++i) {
        gdi::Px p = (i * 0x2545F491u) & 0xFFFFFF;
        ASSERT_EQ(m.nearest(p | ((i & 1) ? 0xAB000000u : 0)), bruteNearest(table, p))
            << std::hex << p;
    }
}

TEST(ColorMatch, StandardTableKeepsBlackAtZeroAndWhiteElsewhere) {
    for (int bpp : {1, 4, 8}) {
        std::vector<gdi::Px> px;
        for (const auto& q : gdi::standardTable(bpp))
            px.push_back(gdi::pxFromQuad(q));
        gdi::ColorMatcher m(px);
        EXPECT_EQ(m.nearest(0x000000), 0) << bpp;
        int white = m.nearest(0xFFFFFF);
        EXPECT_NE(white, 0) << bpp;
        EXPECT_EQ(px[static_cast<std::size_t>(white)], 0xFFFFFFu) << bpp;
    }
}

TEST(ColorMatch, TiesGoToTheLowestIndex) {
    struct Case {
        std::vector<gdi::Px> table;
        gdi::Px colour;
        int want;
    };
    const Case cases[] = {
        {{0x000000, 0x020000}, 0x010000, 0},                     // halfway between two
        {{0x020000, 0x000000}, 0x010000, 0},                     // same, other order
        {{0x808080, 0x101010, 0x101010}, 0x111111, 1},           // a repeated colour
        {{0xFFFFFF, 0x000002, 0x000200, 0x020000}, 0x000000, 1}, // three at one distance
        {{0x404040, 0xFFFFFF, 0xFFFFFF}, 0xFFFFFF, 1},           // white, repeated
    };
    for (const auto& c : cases) {
        gdi::ColorMatcher m(c.table);
        EXPECT_EQ(m.nearest(c.colour), c.want) << std::hex << c.colour;
        EXPECT_EQ(m.nearestExact(c.colour), c.want) << std::hex << c.colour;
    }
}

BITMAPINFO* header(std::vector<BYTE>& block, int w, int h, int bpp) {
    block.assign(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* bi = reinterpret_cast<BITMAPINFO*>(block.data());
    bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi->bmiHeader.biWidth = w;
    bi->bmiHeader.biHeight = -h;
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biBitCount = static_cast<WORD>(bpp);
    return bi;
}

// Whole pictures through SetDIBits: 24-bit noise with flat runs written into an 8-bit DIB
// section with a table of our own; every index must be the nearest entry.
TEST(ColorMatch, ConversionTo8BitsPicksTheNearestEntryForEveryPixel) {
    constexpr int w = 97, h = 31;
    LONG stride = DibRowBytes(w, 24);
    std::vector<BYTE> src(static_cast<std::size_t>(stride) * h);
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* p = src.data() + static_cast<std::size_t>(y) * stride + 3 * x;
            bool flat = (x / 8) % 2 == 1; // runs of one colour between noise
            for (int c = 0; c < 3; ++c)
                p[c] = flat ? static_cast<BYTE>(y * 8 + c * 40) : static_cast<BYTE>(byte(rng));
        }
    std::vector<BYTE> srcBlock;
    BITMAPINFO* srcInfo = header(srcBlock, w, h, 24);
    std::mt19937 prng(5);
    for (int kind = 0; kind < 3; ++kind) {
        auto table = randomTable(prng, kind);
        std::vector<BYTE> block;
        BITMAPINFO* bi = header(block, w, h, 8);
        bi->bmiHeader.biClrUsed = static_cast<DWORD>(table.size());
        for (std::size_t i = 0; i < table.size(); ++i)
            bi->bmiColors[i] = gdi::quadFromPx(table[i]);
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(0, bi, DIB_RGB_COLORS, &bits, 0, 0);
        ASSERT_NE(dib, 0u);
        ASSERT_NE(bits, nullptr);
        ASSERT_EQ(SetDIBits(0, dib, 0, h, src.data(), srcInfo, DIB_RGB_COLORS), h);
        LONG outStride = DibRowBytes(w, 8);
        const auto* out = static_cast<const BYTE*>(bits);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const BYTE* p = src.data() + static_cast<std::size_t>(y) * stride + 3 * x;
                gdi::Px px = static_cast<gdi::Px>(p[2] << 16 | p[1] << 8 | p[0]);
                ASSERT_EQ(out[static_cast<std::size_t>(y) * outStride + x], bruteNearest(table, px))
                    << "kind " << kind << " at " << x << "," << y;
            }
        DeleteObject(dib);
    }
}

} // namespace

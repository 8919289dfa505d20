#include "gif/GIFColorLookup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <vector>

namespace {

// The plain search: smallest city-block distance, the lowest index on ties.
int NearestByScan(const std::vector<PALETTEENTRY>& palette, int r, int g, int b) {
    int best = 0, bestDistance = 1 << 30;
    for (size_t i = 0; i < palette.size(); ++i) {
        int d = std::abs(r - palette[i].peRed) + std::abs(g - palette[i].peGreen) +
                std::abs(b - palette[i].peBlue);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

} // namespace

TEST(FastLookupSearch, FirstLookupInACellFindsTheNearestEntryOfThePalette) {
    std::mt19937 rng(17);
    // Few and many entries, with duplicates (ties) from a coarse grid of values; no palette
    // holds black, so the zeroed slots after its last entry must never answer a dark colour.
    for (int count : {1, 2, 17, 200, 255, 256}) {
        std::vector<PALETTEENTRY> palette;
        for (int i = 0; i < count; ++i)
            palette.push_back({static_cast<Byte>(40 + rng() % 6 * 43),
                               static_cast<Byte>(40 + rng() % 6 * 43),
                               static_cast<Byte>(40 + rng() % 6 * 43), 0});
        TFastColorLookup lookup(palette.data(), count);
        std::set<int> seeded, asked;
        for (const PALETTEENTRY& e : palette)
            seeded.insert(TFastColorLookup::CacheKey(e.peRed, e.peGreen, e.peBlue));
        for (int q = 0; q < 3000; ++q) {
            Byte r = static_cast<Byte>(rng()), g = static_cast<Byte>(rng()),
                 b = static_cast<Byte>(rng());
            if (q < 8) r = g = b = static_cast<Byte>(q); // near black
            int key = TFastColorLookup::CacheKey(r, g, b);
            // Only a cell's first question is answered by the search.
            if (seeded.count(key) || !asked.insert(key).second) continue;
            Byte outR, outG, outB;
            int got = lookup.NearestIndex(r, g, b, outR, outG, outB);
            int want = NearestByScan(palette, r, g, b);
            ASSERT_EQ(got, want) << "count " << count << " colour " << int(r) << "," << int(g)
                                 << "," << int(b);
            EXPECT_EQ(outR, palette[static_cast<size_t>(want)].peRed);
            EXPECT_EQ(outG, palette[static_cast<size_t>(want)].peGreen);
            EXPECT_EQ(outB, palette[static_cast<size_t>(want)].peBlue);
        }
    }
}

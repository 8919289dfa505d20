#include "gif/GIFDitherers.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

namespace {

// Answers each colour with itself, except on the calls given, where the chosen colour is
// the asked one minus a fixed error: so every correction a pixel received can be read back.
class ScriptedLookup final : public TColorLookup {
public:
    ScriptedLookup() : TColorLookup(0) { ColorCount = 256; }
    Byte NearestIndex(Byte r, Byte g, Byte b, Byte& outR, Byte& outG, Byte& outB) override {
        asked.push_back({r, g, b});
        int e = 0;
        auto it = errors.find(static_cast<int>(asked.size()) - 1);
        if (it != errors.end()) e = it->second;
        outR = static_cast<Byte>(r - e);
        outG = static_cast<Byte>(g - e);
        outB = static_cast<Byte>(b - e);
        return 0;
    }
    std::vector<std::array<int, 3>> asked;
    std::map<int, int> errors; // call number -> error
};

// Runs a width x height picture of one grey through the ditherer; answers the red value the
// lookup was asked for, by (row, column).
std::vector<std::vector<int>> RunPicture(TDitherEngine& d, ScriptedLookup& lookup, int width,
                                         int height, Byte value) {
    std::vector<std::vector<int>> asked(height, std::vector<int>(width, -1));
    for (int y = 0; y < height; ++y) {
        for (int n = 0; n < width; ++n) {
            int x = d.Column;
            Byte r, g, b;
            d.DitherPixel(value, value, value, r, g, b);
            asked[y][x] = lookup.asked.back()[0];
        }
        d.NextRow();
    }
    return asked;
}

struct Tap {
    int row, offset, weight;
};

} // namespace

TEST(Lookups, FixedPaletteIndices) {
    TNetscapeColorLookup cube;
    Byte r, g, b;
    EXPECT_EQ(cube.NearestIndex(47, 48, 255, r, g, b), 0 * 36 + 1 * 6 + 5);
    EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{0, 51, 255}));
    EXPECT_EQ(cube.NearestIndex(255, 0, 0, r, g, b), 180);
    EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(cube.NearestIndex(0, 0, 255, r, g, b), 5);
    EXPECT_EQ(cube.ColorCount, 216);

    TGrayScaleLookup gray;
    EXPECT_EQ(gray.NearestIndex(255, 255, 255, r, g, b), 255);
    EXPECT_EQ(gray.NearestIndex(255, 0, 0, r, g, b), 76);
    EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{76, 76, 76}));
    EXPECT_EQ(gray.NearestIndex(0, 255, 0, r, g, b), 149);
    EXPECT_EQ(gray.NearestIndex(0, 0, 255, r, g, b), 28);

    TMonochromeLookup mono;
    EXPECT_EQ(mono.NearestIndex(127, 127, 127, r, g, b), 0);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(mono.NearestIndex(128, 128, 128, r, g, b), 1);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(mono.ColorCount, 2);
}

TEST(Lookups, FastLookupNearestAndItsCellCache) {
    PALETTEENTRY p[10] = {};
    auto set = [&](int i, Byte r, Byte g, Byte b) { p[i] = {r, g, b, 0}; };
    for (int i = 0; i < 10; ++i)
        set(i, static_cast<Byte>(20 * i), 0, 0);
    set(3, 200, 100, 50);
    set(9, 200, 100, 50); // duplicate of entry 3
    set(5, 0, 0, 250);
    set(6, 0, 0, 250); // another duplicate, looked up through the search
    TFastColorLookup lookup(p, 10);
    EXPECT_EQ(lookup.ColorCount, 10);
    Byte r, g, b;
    // A palette colour's cell answers the lowest entry holding it.
    EXPECT_EQ(lookup.NearestIndex(200, 100, 50, r, g, b), 3);
    EXPECT_EQ(lookup.NearestIndex(0, 0, 250, r, g, b), 5);
    // Nearest by city-block distance: (25, 0, 0) is 5 from entry 1 (20) and 15 from 2 (40).
    EXPECT_EQ(lookup.NearestIndex(25, 0, 0, r, g, b), 1);
    EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{20, 0, 0}));
    // 104 and 111 share the cell of reds 104..111, which holds no palette colour. Alone,
    // 104 is nearest to entry 4 (80) and 111 to entry 7 (140); the first asked decides.
    EXPECT_EQ(lookup.NearestIndex(111, 0, 0, r, g, b), 7);
    EXPECT_EQ(lookup.NearestIndex(104, 0, 0, r, g, b), 7);
    TFastColorLookup other(p, 10);
    EXPECT_EQ(other.NearestIndex(104, 0, 0, r, g, b), 4);
    EXPECT_EQ(other.NearestIndex(111, 0, 0, r, g, b), 4);
    // Ties go to the lowest index: 30 is 10 from entries 1 and 2.
    TFastColorLookup ties(p, 10);
    EXPECT_EQ(ties.NearestIndex(30, 0, 0, r, g, b), 1);
    // No palette: nothing to answer with.
    EXPECT_EQ(TFastColorLookup(nullptr, 0).ColorCount, 0);
}

TEST(Ditherers, SerpentineColumnsAndDirections) {
    TNetscapeColorLookup cube;
    TDitherEngine d(3, &cube);
    std::vector<int> columns;
    for (int y = 0; y < 3; ++y) {
        for (int i = 0; i < 3; ++i) {
            columns.push_back(d.Column);
            Byte r, g, b;
            d.DitherPixel(10, 10, 10, r, g, b);
        }
        d.NextRow();
    }
    EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 2, 1, 0, 0, 1, 2}));
    EXPECT_EQ(d.Step, -1);
}

TEST(Ditherers, ExactPaletteColourGivesNearestEverywhere) {
    TNetscapeColorLookup cube;
    for (int method = dtNearest; method <= dtBurkes; ++method) {
        auto d = CreateDitherer(method, 5, &cube);
        ASSERT_TRUE(d) << method;
        for (int y = 0; y < 4; ++y) {
            for (int i = 0; i < 5; ++i) {
                Byte r, g, b;
                EXPECT_EQ(d->DitherPixel(51, 102, 153, r, g, b), 1 * 36 + 2 * 6 + 3) << method;
            }
            d->NextRow();
        }
    }
    EXPECT_EQ(CreateDitherer(7, 5, &cube), nullptr);
}

TEST(Ditherers, KernelsSpreadTheirWeightsInTheDirectionOfTravel) {
    struct Kernel {
        const char* name;
        int method, divisor;
        std::vector<Tap> taps;
    } kernels[] = {
        {"Stucki",
         dtStucki,
         42,
         {{0, 1, 8},
          {0, 2, 4},
          {1, -2, 2},
          {1, -1, 4},
          {1, 0, 8},
          {1, 1, 4},
          {1, 2, 2},
          {2, -2, 1},
          {2, -1, 2},
          {2, 0, 4},
          {2, 1, 2},
          {2, 2, 1}}},
        {"Sierra",
         dtSierra,
         32,
         {{0, 1, 5},
          {0, 2, 3},
          {1, -2, 2},
          {1, -1, 4},
          {1, 0, 5},
          {1, 1, 4},
          {1, 2, 2},
          {2, -1, 2},
          {2, 0, 3},
          {2, 1, 2}}},
        {"JaJuNi",
         dtJaJuNi,
         48,
         {{0, 1, 7},
          {0, 2, 5},
          {1, -2, 3},
          {1, -1, 5},
          {1, 0, 7},
          {1, 1, 5},
          {1, 2, 3},
          {2, -2, 1},
          {2, -1, 3},
          {2, 0, 5},
          {2, 1, 3},
          {2, 2, 1}}},
        {"SteveArche",
         dtSteveArche,
         200,
         {{0, 2, 32},
          {1, -3, 12},
          {1, -1, 26},
          {1, 1, 30},
          {1, 3, 16},
          {2, -2, 12},
          {2, 0, 26},
          {2, 2, 12},
          {3, -3, 5},
          {3, -1, 12},
          {3, 1, 12},
          {3, 3, 5}}},
        {"Burkes",
         dtBurkes,
         32,
         {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}}},
    };
    const int width = 9, height = 6, value = 120, error = 100, x0 = 4;
    for (const Kernel& k : kernels) {
        int sum = 0;
        for (const Tap& t : k.taps)
            sum += t.weight;
        EXPECT_EQ(sum, k.divisor) << k.name;
        // The error starts once on a left-to-right row (row 0) and once on a right-to-left
        // row (row 1 of a second run).
        for (int startRow : {0, 1}) {
            ScriptedLookup lookup;
            auto d = CreateDitherer(k.method, width, &lookup);
            lookup.errors[startRow * width + (startRow ? width - 1 - x0 : x0)] = error;
            auto asked = RunPicture(*d, lookup, width, height, value);
            int step = startRow ? -1 : 1;
            std::vector<std::vector<int>> expected(height, std::vector<int>(width, value));
            for (const Tap& t : k.taps) {
                int x = x0 + t.offset * step, y = startRow + t.row;
                if (y < height && x >= 0 && x < width)
                    expected[y][x] = value + (t.weight * error + k.divisor / 2) / k.divisor;
            }
            EXPECT_EQ(asked, expected) << k.name << " from row " << startRow;
        }
    }
}

TEST(Ditherers, FloydSteinbergErrorLandsInItsOwnColumn) {
    // An error of 32 at column 0 of row 0 of a 3-wide picture: 7/16 to column 1 of the same
    // row; 5/16 under it (column 0) and 1/16 to column 1 of the next row.
    ScriptedLookup lookup;
    TFloydSteinbergDitherer d(3, &lookup);
    lookup.errors[0] = 32;
    auto asked = RunPicture(d, lookup, 3, 3, 100);
    EXPECT_EQ(asked[0], (std::vector<int>{100, 100 + (7 * 32 + 8) / 16, 100}));
    EXPECT_EQ(asked[1], (std::vector<int>{100 + (5 * 32 + 8) / 16, 100 + (32 + 8) / 16, 100}));
    // Row 1 chose exactly what it asked for: nothing is left over for row 2.
    EXPECT_EQ(asked[2], (std::vector<int>{100, 100, 100}));
}

TEST(Ditherers, FloydSteinbergPassesErrorsDownAOnePixelColumn) {
    // Row 0 leaves -3 (5/16 of it: -15, adding (-15 + 8) div 16 = 0) and row 1 leaves -5
    // (-25 -> -1, truncated toward zero); row 3 sees what row 2 left and nothing older.
    ScriptedLookup lookup;
    TFloydSteinbergDitherer d(1, &lookup);
    lookup.errors[0] = -3;
    lookup.errors[1] = -5;
    lookup.errors[2] = 64;
    auto asked = RunPicture(d, lookup, 1, 4, 100);
    EXPECT_EQ(asked[0][0], 100);
    EXPECT_EQ(asked[1][0], 100);
    EXPECT_EQ(asked[2][0], 99);
    EXPECT_EQ(asked[3][0], 100 + (5 * 64 + 8) / 16);
}

TEST(Ditherers, CorrectedValuesAreClampedBeforeTheLookup) {
    ScriptedLookup lookup;
    TFloydSteinbergDitherer d(4, &lookup);
    lookup.errors[0] = 200; // chosen 50 for 250: +87 carried to the next pixel
    auto asked = RunPicture(d, lookup, 4, 1, 250);
    EXPECT_EQ(asked[0][1], 255);
}

TEST(Ditherers, FloydSteinbergGreyToBlackAndWhite) {
    TMonochromeLookup mono;
    auto whites = [&](int width, int height, Byte grey) {
        TFloydSteinbergDitherer d(width, &mono);
        int n = 0;
        for (int y = 0; y < height; ++y) {
            for (int i = 0; i < width; ++i) {
                Byte r, g, b;
                n += d.DitherPixel(grey, grey, grey, r, g, b);
            }
            d.NextRow();
        }
        return n;
    };
    // A grey of 64 is a quarter of white.
    EXPECT_NEAR(whites(2, 32, 64), 16, 2);
    EXPECT_NEAR(whites(5, 32, 64), 40, 5);
    EXPECT_NEAR(whites(40, 40, 64), 400, 40);
    // One pixel wide only 5/16 of each error reaches the next row, which lifts a grey of
    // 100 to about 145: white now and then, never when the error is lost.
    int column = whites(1, 32, 100);
    EXPECT_GE(column, 4);
    EXPECT_LE(column, 16);
}

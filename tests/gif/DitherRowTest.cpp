#include "gif/GIFColorLookup.h"
#include "gif/GIFDitherers.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 37;
constexpr int kHeight = 9;

// Blue, green, red rows of a gradient with noise, values out to both ends of the range so
// that corrected values clamp.
std::vector<Byte> NoisyPicture() {
    std::mt19937 rng(5);
    std::vector<Byte> pixels;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            int base = x * 255 / (kWidth - 1);
            for (int c = 0; c < 3; ++c) {
                int v = base + static_cast<int>(rng() % 61) - 30 + c * 40 * (y % 2);
                pixels.push_back(static_cast<Byte>(std::clamp(v, 0, 255)));
            }
        }
    return pixels;
}

const PALETTEENTRY kSeven[] = {{0, 0, 0, 0},     {255, 255, 255, 0}, {200, 30, 30, 0},
                               {30, 200, 30, 0}, {30, 30, 200, 0},   {128, 128, 128, 0},
                               {250, 220, 40, 0}};

std::unique_ptr<TColorLookup> MakeLookup(int kind) {
    switch (kind) {
    case 0:
        return std::make_unique<TFastColorLookup>(kSeven, 7);
    case 1:
        return std::make_unique<TNetscapeColorLookup>();
    case 2:
        return std::make_unique<TGrayScaleLookup>();
    default:
        return std::make_unique<TMonochromeLookup>();
    }
}

} // namespace

TEST(DitherRow, EveryDitherAndLookupGivesWhatPixelByPixelGives) {
    std::vector<Byte> picture = NoisyPicture();
    for (int method = dtNearest; method <= dtBurkes; ++method) {
        for (int kind = 0; kind < 4; ++kind) {
            // Each run has its own lookup: the fast one's cache fills as it is asked.
            auto lookupA = MakeLookup(kind), lookupB = MakeLookup(kind);
            auto byPixel = CreateDitherer(method, kWidth, lookupA.get());
            auto byRow = CreateDitherer(method, kWidth, lookupB.get());
            std::vector<Byte> a(kWidth * kHeight, 0xEE), b(kWidth * kHeight, 0xEE);
            for (int y = 0; y < kHeight; ++y) {
                const Byte* src = &picture[static_cast<size_t>(y) * kWidth * 3];
                Byte* outA = &a[static_cast<size_t>(y) * kWidth];
                Byte r, g, bl;
                for (int x = byPixel->Column; x >= 0 && x < kWidth; x = byPixel->Column)
                    outA[x] =
                        byPixel->DitherPixel(src[x * 3 + 2], src[x * 3 + 1], src[x * 3], r, g, bl);
                byRow->DitherRow(src, &b[static_cast<size_t>(y) * kWidth]);
                EXPECT_EQ(byRow->Column, byPixel->Column);
                byPixel->NextRow();
                byRow->NextRow();
            }
            EXPECT_EQ(a, b) << "method " << method << ", lookup " << kind;
        }
    }
}

TEST(DitherRow, OnePixelRowsAlternateAndCarryTheErrorDown) {
    // Mid grey to black and white: with one column the error goes only downwards, so the
    // column alternates and never repeats white twice in a row.
    TMonochromeLookup mono;
    TFloydSteinbergDitherer d(1, &mono);
    std::vector<Byte> out;
    const Byte grey[3] = {128, 128, 128};
    for (int y = 0; y < 6; ++y) {
        Byte index = 0xEE;
        d.DitherRow(grey, &index);
        out.push_back(index);
        EXPECT_EQ(d.Column, d.Step > 0 ? 1 : -1);
        d.NextRow();
    }
    for (size_t i = 1; i < out.size(); ++i)
        EXPECT_FALSE(out[i] == 1 && out[i - 1] == 1) << i;
    EXPECT_NE(std::count(out.begin(), out.end(), 1), 0);
}

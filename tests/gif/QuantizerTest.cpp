#include "gif/GIFQuantizer.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Rgb = std::array<int, 3>;

std::vector<Rgb> Quantize(const std::vector<Rgb>& pixels, int limit, int width = 0) {
    // As a 24-bit picture: bytes blue, green, red.
    std::vector<Byte> buf;
    for (const Rgb& p : pixels) {
        buf.push_back(static_cast<Byte>(p[2]));
        buf.push_back(static_cast<Byte>(p[1]));
        buf.push_back(static_cast<Byte>(p[0]));
    }
    int w = width ? width : static_cast<int>(pixels.size());
    PixelBufferRows rows(buf.data(), w, static_cast<int>(pixels.size()) / w);
    TColorQuantizer q(limit, 8);
    EXPECT_TRUE(q.ScanImage(rows));
    std::vector<Rgb> out;
    for (const RGBQUAD& c : q.Colors())
        out.push_back({c.rgbRed, c.rgbGreen, c.rgbBlue});
    EXPECT_EQ(static_cast<int>(out.size()), q.Leaves());
    return out;
}

} // namespace

TEST(Quantizer, FewColoursComeBackInInterleavedBitOrder) {
    // The child index is red bit x 4 + green bit x 2 + blue bit, so at the top level blue
    // alone (1) walks before green alone (2) before red alone (4).
    std::vector<Rgb> pixels = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 0, 0}, {0, 255, 0}};
    EXPECT_EQ(Quantize(pixels, 256), (std::vector<Rgb>{{0, 0, 255}, {0, 255, 0}, {255, 0, 0}}));
    // Deeper bits decide among colours that share the top ones.
    std::vector<Rgb> close = {{0x81, 0, 0}, {0x80, 0x40, 0}, {0x80, 0, 0x41}};
    EXPECT_EQ(Quantize(close, 256),
              (std::vector<Rgb>{{0x81, 0, 0}, {0x80, 0, 0x41}, {0x80, 0x40, 0}}));
}

TEST(Quantizer, OneColourIsTheIntegerAverage) {
    std::vector<Rgb> pixels = {{10, 20, 30}, {11, 20, 31}, {200, 0, 1}};
    EXPECT_EQ(Quantize(pixels, 1), (std::vector<Rgb>{{73, 13, 20}}));
}

TEST(Quantizer, MergesTheNewestInnerNodeOfTheDeepestLevel) {
    // A and B part at the last bit (blue bit 0), so do C and D. When D makes four leaves for
    // a limit of three, the node made last at that level (C's) is folded: C and D become
    // their average, A and B stay.
    std::vector<Rgb> pixels = {{0, 0, 0}, {0, 0, 1}, {255, 255, 254}, {255, 255, 255}};
    EXPECT_EQ(Quantize(pixels, 3), (std::vector<Rgb>{{0, 0, 0}, {0, 0, 1}, {255, 255, 254}}));
    // Later pixels that reach a folded node add into it: three more whites make the average
    // (255, 255, (254 + 4 x 255) / 5 = 254.8) -> 254, eight more 255.
    for (int i = 0; i < 3; ++i)
        pixels.push_back({255, 255, 255});
    EXPECT_EQ(Quantize(pixels, 3)[2], (Rgb{255, 255, 254}));
    for (int i = 0; i < 300; ++i)
        pixels.push_back({255, 255, 255});
    EXPECT_EQ(Quantize(pixels, 3)[2], (Rgb{255, 255, 254}));
    pixels.erase(pixels.begin() + 2); // without C, D's colour is all there is
    EXPECT_EQ(Quantize(pixels, 3)[2], (Rgb{255, 255, 255}));
}

TEST(Quantizer, LimitIsKeptPixelByPixel) {
    std::vector<Rgb> pixels;
    for (int i = 0; i < 4096; ++i)
        pixels.push_back({(i * 37) & 255, (i * 91) & 255, (i * 13) & 255});
    for (int limit : {2, 16, 236, 256}) {
        auto colors = Quantize(pixels, limit, 64);
        EXPECT_LE(static_cast<int>(colors.size()), limit);
        EXPECT_GE(static_cast<int>(colors.size()), limit / 8) << limit;
    }
}

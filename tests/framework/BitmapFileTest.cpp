// BMP reading and writing through TBitmap: every depth and orientation, compression, and
// files that must be refused.
#include "GraphicTestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace gfx_test;

namespace {

struct DepthCase {
    int bitCount;
    std::uint32_t compression;
    TPixelFormat format;
    int colors;
};

// A 3 x 2 picture of the depth, with distinct bytes on every row.
BmpSpec SpecFor(const DepthCase& c, bool topDown) {
    BmpSpec s;
    s.width = 3;
    s.height = topDown ? -2 : 2;
    s.bitCount = c.bitCount;
    s.compression = c.compression;
    if (c.compression == 3) s.masks = {0xF800, 0x07E0, 0x001F};
    for (int i = 0; i < c.colors; ++i)
        s.colors.push_back(Q(Byte(i * 7), Byte(255 - i), Byte(i)));
    const int rowBytes = ((3 * c.bitCount + 31) / 32) * 4;
    for (int y = 0; y < 2; ++y)
        for (int i = 0; i < rowBytes; ++i) {
            const int used = (3 * c.bitCount + 7) / 8;
            Byte v = i < used ? Byte(0x11 * (y + 1) + i) : 0;
            if (c.bitCount == 32 && i % 4 == 3) v = 0; // the X byte
            if (c.bitCount == 1 && i == 0) v &= 0xE0;
            if (c.bitCount == 4 && i == 1) v &= 0xF0;
            s.pixels.push_back(v);
        }
    return s;
}

class BmpRoundTrip : public ::testing::TestWithParam<std::tuple<DepthCase, bool>> {};

TEST_P(BmpRoundTrip, LoadsAndSavesTheSameBytes) {
    const auto [depth, topDown] = GetParam();
    const std::vector<Byte> file = MakeBmp(SpecFor(depth, topDown));
    auto b = MakeObject<TBitmap>();
    LoadBytes(*b, file);
    EXPECT_EQ(b->Width(), 3);
    EXPECT_EQ(b->Height(), 2);
    EXPECT_EQ(b->PixelFormat(), depth.format);
    EXPECT_EQ(b->ColorTable().size(), size_t(depth.colors));
    // ScanLine(0) is the top row whatever the file's row order.
    const Byte* top = static_cast<Byte*>(b->ScanLine(0));
    const int mask = depth.bitCount == 1 ? 0xE0 : 0xFF;
    EXPECT_EQ(top[0] & mask, (topDown ? 0x11 : 0x22) & mask);
    EXPECT_EQ(SaveBytes(*b), file);
}

INSTANTIATE_TEST_SUITE_P(
    EveryDepth, BmpRoundTrip,
    ::testing::Combine(::testing::Values(DepthCase{1, 0, pf1bit, 2}, DepthCase{4, 0, pf4bit, 16},
                                         DepthCase{4, 0, pf4bit, 5}, DepthCase{8, 0, pf8bit, 256},
                                         DepthCase{8, 0, pf8bit, 3}, DepthCase{16, 0, pf15bit, 0},
                                         DepthCase{16, 3, pf16bit, 0}, DepthCase{24, 0, pf24bit, 0},
                                         DepthCase{32, 0, pf32bit, 0}),
                       ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<DepthCase, bool>>& instance) {
        const DepthCase& d = std::get<0>(instance.param);
        return std::to_string(d.bitCount) + "bit_" + std::to_string(d.colors) + "colours_" +
               (d.compression == 3 ? "bitfields_" : "") +
               (std::get<1>(instance.param) ? "topdown" : "bottomup");
    });

TEST(BmpFile, PixelsReadAsColours) {
    BmpSpec s;
    s.width = 2;
    s.height = 2; // bottom-up: the first row in the file is the bottom one
    s.bitCount = 24;
    s.pixels = {0,   0, 255, 0,   255, 0,   0, 0,  // bottom: red, green, padding
                255, 0, 0,   255, 255, 255, 0, 0}; // top: blue, white, padding
    auto b = MakeObject<TBitmap>();
    LoadBytes(*b, MakeBmp(s));
    EXPECT_EQ(PixelOf(*b, 0, 0), clBlue);
    EXPECT_EQ(PixelOf(*b, 1, 0), clWhite);
    EXPECT_EQ(PixelOf(*b, 0, 1), clRed);
    EXPECT_EQ(PixelOf(*b, 1, 1), clLime);
}

TEST(BmpFile, UnusualBitFieldsAreWidened) {
    BmpSpec s;
    s.width = 1;
    s.height = 1;
    s.bitCount = 32;
    s.compression = 3;
    s.masks = {0x000000FF, 0x0000FF00, 0x00FF0000}; // red in the low byte
    s.pixels = {0x10, 0x20, 0x30, 0};
    auto b = MakeObject<TBitmap>();
    LoadBytes(*b, MakeBmp(s));
    EXPECT_EQ(b->PixelFormat(), pf32bit);
    EXPECT_EQ(PixelOf(*b, 0, 0), TColor(RGB(0x10, 0x20, 0x30)));

    BmpSpec s16;
    s16.width = 1;
    s16.height = 1;
    s16.bitCount = 16;
    s16.compression = 3;
    s16.masks = {0x0F00, 0x00F0, 0x000F}; // 4-4-4
    s16.pixels = {0xF0, 0x0F, 0, 0};      // red 15, green 15, blue 0
    LoadBytes(*b, MakeBmp(s16));
    EXPECT_EQ(b->PixelFormat(), pf24bit);
    EXPECT_EQ(PixelOf(*b, 0, 0), TColor(RGB(255, 255, 0)));
}

TEST(BmpFile, Rle8RunsLiteralsAndMoves) {
    BmpSpec s;
    s.width = 4;
    s.height = 3;
    s.bitCount = 8;
    s.compression = 1;
    for (int i = 0; i < 4; ++i)
        s.colors.push_back(Q(Byte(i), 0, 0));
    s.pixels = {3, 1,             // bottom row: three of index 1
                0, 0,             // end of line
                0, 3, 2, 3, 2, 0, // literal 2, 3, 2 padded to 16 bits
                0, 0,             // end of line
                0, 2, 3, 0,       // move 3 right: top row starts at x = 3
                1, 3,             // one of index 3
                0, 1};            // end of picture
    auto b = MakeObject<TBitmap>();
    LoadBytes(*b, MakeBmp(s));
    EXPECT_EQ(b->PixelFormat(), pf8bit);
    auto row = [&](int y) { return static_cast<Byte*>(b->ScanLine(y)); };
    EXPECT_EQ(std::vector<Byte>(row(2), row(2) + 4), (std::vector<Byte>{1, 1, 1, 0}));
    EXPECT_EQ(std::vector<Byte>(row(1), row(1) + 4), (std::vector<Byte>{2, 3, 2, 0}));
    EXPECT_EQ(std::vector<Byte>(row(0), row(0) + 4), (std::vector<Byte>{0, 0, 0, 3}));
}

TEST(BmpFile, Rle4AlternatesNibbles) {
    BmpSpec s;
    s.width = 5;
    s.height = 1;
    s.bitCount = 4;
    s.compression = 2;
    for (int i = 0; i < 16; ++i)
        s.colors.push_back(Q(Byte(i), 0, 0));
    s.pixels = {3, 0x12, 0, 3, 0x45, 0x60, 0, 1}; // run 1 2 1, literal 4 5 6 (cut at 5)
    auto b = MakeObject<TBitmap>();
    LoadBytes(*b, MakeBmp(s));
    const Byte* r = static_cast<Byte*>(b->ScanLine(0));
    EXPECT_EQ(r[0], 0x12);
    EXPECT_EQ(r[1], 0x14);
    EXPECT_EQ(r[2] & 0xF0, 0x50);
}

TEST(BmpFile, EmptyStreamGivesEmptyBitmap) {
    auto b = SolidBitmap(2, 2, clRed);
    LoadBytes(*b, {});
    EXPECT_TRUE(b->Empty());
    EXPECT_TRUE(SaveBytes(*b).empty());
}

TEST(BmpFile, CoreHeaderIsRead) {
    std::vector<Byte> f;
    Put16(f, 0x4D42);
    Put32(f, 14 + 12 + 6 + 4);
    Put32(f, 0);
    Put32(f, 14 + 12 + 6);
    Put32(f, 12);
    Put16(f, 1); // width
    Put16(f, 1); // height
    Put16(f, 1);
    Put16(f, 1);                                    // bits
    f.insert(f.end(), {0, 0, 0, 0xFF, 0xFF, 0xFF}); // black, white (3-byte entries)
    f.insert(f.end(), {0x80, 0, 0, 0});
    auto b = MakeObject<TBitmap>();
    LoadBytes(*b, f);
    EXPECT_EQ(PixelOf(*b, 0, 0), clWhite);
}

struct BadCase {
    const char* name;
    std::vector<Byte> bytes;
    const char* message;
};

std::vector<Byte> Patch32(std::vector<Byte> f, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        f[at + size_t(i)] = Byte(v >> (8 * i));
    return f;
}
std::vector<Byte> Patch16(std::vector<Byte> f, size_t at, unsigned v) {
    f[at] = Byte(v);
    f[at + 1] = Byte(v >> 8);
    return f;
}

std::vector<BadCase> BadFiles() {
    BmpSpec s;
    s.width = 2;
    s.height = 2;
    s.bitCount = 24;
    s.pixels.assign(16, 0x55);
    const std::vector<Byte> good = MakeBmp(s);
    BmpSpec rle;
    rle.width = 2;
    rle.height = -2;
    rle.bitCount = 8;
    rle.compression = 1;
    rle.colors.assign(2, Q(0, 0, 0));
    rle.pixels = {0, 1};
    BmpSpec literal;
    literal.width = 8;
    literal.height = 1;
    literal.bitCount = 8;
    literal.compression = 1;
    literal.colors.assign(2, Q(0, 0, 0));
    literal.pixels = {0, 200, 1, 1}; // a literal of 200 bytes with 2 present
    std::vector<Byte> truncatedHeader(good.begin(), good.begin() + 30);
    std::vector<Byte> truncatedPixels(good.begin(), good.end() - 6);
    return {
        {"signature", Patch16(good, 0, 0x4141), "Bitmap image is not valid"},
        {"header cut", truncatedHeader, "Bitmap image is truncated"},
        {"header size", Patch32(good, 14, 20), "Bitmap header is not valid"},
        {"zero width", Patch32(good, 18, 0), "Bitmap dimensions are not valid"},
        {"negative width", Patch32(good, 18, 0xFFFFFFFE), "Bitmap dimensions are not valid"},
        {"zero height", Patch32(good, 22, 0), "Bitmap dimensions are not valid"},
        {"depth", Patch16(good, 28, 7), "Bitmap colour depth is not supported"},
        {"compression", Patch32(good, 30, 9), "Bitmap compression is not supported"},
        {"rle on 24 bits", Patch32(good, 30, 1), "Bitmap compression is not valid"},
        {"rle top-down", MakeBmp(rle), "Bitmap compression is not valid"},
        {"rle literal past the data", MakeBmp(literal), "Bitmap image is truncated"},
        {"pixels cut", truncatedPixels, "Bitmap image is truncated"},
        {"huge", Patch32(Patch32(good, 18, 0x7FFFFFFF), 22, 0x7FFFFFFF),
         "Bitmap image is too large"},
        {"huge rows", Patch32(Patch32(good, 18, 0x40000000), 22, 2), "Bitmap image is too large"},
        {"offset past end", Patch32(good, 10, 0x7FFFFFF0), "Bitmap image is truncated"},
        {"scattered masks", Patch32(Patch16(good, 28, 16), 30, 3),
         "Bitmap colour masks are not valid"},
    };
}

TEST(BmpFile, BrokenFilesAreRefusedAndLeaveTheBitmap) {
    for (const BadCase& c : BadFiles()) {
        SCOPED_TRACE(c.name);
        auto b = SolidBitmap(1, 1, clRed);
        try {
            LoadBytes(*b, c.bytes);
            ADD_FAILURE() << "accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(b->Width(), 1);
        EXPECT_EQ(PixelOf(*b, 0, 0), clRed);
    }
}

} // namespace

#include "GIFTestUtil.h"
#include "gif/codec/GIFEncoders.h"
#include "gif/codec/GIFException.h"
#include "gif/codec/GIFLZWDecoder.h"

#include <gtest/gtest.h>

#include <random>

using namespace giftest;

namespace {

Bytes Encode(const Bytes& pixels, int width, int height, int bits, int maxColor,
             int kind = kCompressLZW, bool interlaced = false) {
    TMemoryStream s;
    EncodeImageData(s, pixels.data(), width, height, interlaced, bits, maxColor, kind, {});
    return Contents(s);
}

Bytes DecodeBack(const Bytes& data, int width, int height) {
    TMemoryStream s;
    Fill(s, data);
    Bytes out(static_cast<size_t>(width * height), 0xEE);
    DecodeImageData(s, out.data(), width, height, false, {});
    EXPECT_EQ(s.Position(), s.Size());
    return out;
}

// The codes of image data with the widths a decoder reads them at, and each code's next
// free table entry at the time it was read.
struct CodeInfo {
    int code, width, next;
};
std::vector<CodeInfo> ReadCodes(const Bytes& data) {
    int minSize = data[0];
    Bytes joined;
    for (size_t at = 1; at < data.size() && data[at] != 0; at += data[at] + 1u)
        joined.insert(joined.end(), data.begin() + static_cast<long>(at) + 1,
                      data.begin() + static_cast<long>(at) + 1 + data[at]);
    int clear = 1 << minSize, width = minSize + 1, next = clear + 2;
    bool first = true;
    std::vector<CodeInfo> out;
    size_t bit = 0;
    while (bit + static_cast<size_t>(width) <= joined.size() * 8) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= ((joined[bit / 8] >> (bit % 8)) & 1) << i;
        out.push_back({code, width, next});
        if (code == clear) {
            width = minSize + 1, next = clear + 2, first = true;
            continue;
        }
        if (code == clear + 1) break;
        if (first) {
            first = false;
            continue;
        }
        if (next < 4096) ++next;
        if (next >= (1 << width) && width < 12) ++width;
    }
    return out;
}

Bytes Noise(size_t n, int colors, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (Byte& v : b)
        v = static_cast<Byte>(rng() % static_cast<unsigned>(colors));
    return b;
}

// Runs of random length and colour, as flat artwork has.
Bytes Runs(size_t n, int colors, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b;
    while (b.size() < n) {
        Byte c = static_cast<Byte>(rng() % static_cast<unsigned>(colors));
        size_t len = 1 + rng() % ((rng() % 4 == 0) ? 3000 : 12);
        b.insert(b.end(), std::min(len, n - b.size()), c);
    }
    return b;
}

} // namespace

TEST(Encoder, OnePixelFrameOfTheClassicExample) {
    EXPECT_EQ(Encode({0}, 1, 1, 2, 4), (Bytes{0x02, 0x02, 0x44, 0x01, 0x00}));
}

TEST(Encoder, MinimumCodeSizeIsAtLeastTwo) {
    EXPECT_EQ(Encode({1, 0}, 2, 1, 1, 2)[0], 2);
    EXPECT_EQ(Encode({1, 0}, 2, 1, 0, 2)[0], 2);
    // An 8-bit table takes every byte value.
    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<Byte>(i);
    Bytes data = Encode(all, 16, 16, 8, 256);
    EXPECT_EQ(data[0], 8);
    EXPECT_EQ(DecodeBack(data, 16, 16), all);
}

TEST(Encoder, EmptyFrameIsOnlyTheEndCode) {
    // End code 5 at 3 bits, flushed as one byte.
    EXPECT_EQ(Encode({}, 0, 0, 2, 4), (Bytes{0x02, 0x01, 0x05, 0x00}));
}

TEST(Encoder, PixelOutsideTheTableRaisesAndWritesNoTerminator) {
    TMemoryStream s;
    Bytes pixels = {0, 1, 2, 4, 1};
    try {
        EncodeImageData(s, pixels.data(), 5, 1, false, 2, 4, kCompressLZW, {});
        FAIL() << "no exception";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color not in color table");
    }
    // Minimum code size, then the pending sub-block: clear and 0, 1, 2 at 3 bits packed.
    Bytes out = Contents(s);
    ASSERT_GE(out.size(), 3u);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], out.size() - 2);
    EXPECT_NE(out.back(), 0);
}

TEST(Encoder, SubBlocksHold255BytesAndNoEmptyBlockFollowsFullOnes) {
    TMemoryStream s;
    {
        TGIFWriter w(s);
        Bytes data(510, 0x5A);
        w.Write(data.data(), 510);
    }
    Bytes out = Contents(s);
    ASSERT_EQ(out.size(), 512u);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[256], 255);
    // Anything but writing is refused.
    TGIFWriter w(s);
    char b;
    EXPECT_THROW(w.Read(&b, 1), Exception);
    EXPECT_THROW(w.Seek(0, soBeginning), Exception);
}

TEST(Encoder, WriterKeepsTheBytesAfterABlockFilledInTheSameWrite) {
    // One write of 300 bytes fills a block on the way; the 45 after it are written when the
    // writer goes.
    TMemoryStream s;
    {
        TGIFWriter w(s);
        Bytes data(300);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<Byte>(i);
        w.Write(data.data(), 300);
    }
    Bytes out = Contents(s);
    ASSERT_EQ(out.size(), 302u);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[256], 45);
    EXPECT_EQ(out[257], static_cast<Byte>(255));
    EXPECT_EQ(out.back(), static_cast<Byte>(299));
}

TEST(Encoder, InterlacedFramesStoreRowsInPassOrder) {
    struct Case {
        int height;
        Bytes stored;
    } cases[] = {{2, {0, 1}}, {3, {0, 2, 1}}, {4, {0, 2, 1, 3}}, {9, {0, 8, 4, 2, 6, 1, 3, 5, 7}}};
    for (const Case& c : cases) {
        Bytes rows;
        for (int y = 0; y < c.height; ++y)
            rows.insert(rows.end(), 3, static_cast<Byte>(y));
        Bytes data = Encode(rows, 3, c.height, 4, 16, kCompressLZW, true);
        Bytes flat = DecodeBack(data, 3, c.height);
        for (int i = 0; i < c.height; ++i)
            EXPECT_EQ(flat[i * 3 + 1], c.stored[i]) << c.height;
    }
}

TEST(Encoder, LZWClearsAfterCode4094) {
    Bytes pixels = Noise(200 * 200, 256, 1);
    Bytes data = Encode(pixels, 200, 200, 8, 256);
    std::vector<CodeInfo> codes = ReadCodes(data);
    ASSERT_EQ(codes.front().code, 256);
    int clears = 0;
    for (size_t i = 1; i < codes.size(); ++i) {
        if (codes[i].code != 256) continue;
        ++clears;
        // The decoder has defined every code up to 4094 and reads the clear at 12 bits.
        EXPECT_EQ(codes[i].next, 4095);
        EXPECT_EQ(codes[i].width, 12);
        // The table starts again: the code after the clear is a plain 9-bit pixel.
        EXPECT_EQ(codes[i + 1].width, 9);
        EXPECT_LT(codes[i + 1].code, 256);
    }
    EXPECT_GT(clears, 2);
    EXPECT_EQ(DecodeBack(data, 200, 200), pixels);
}

TEST(Encoder, RoundTripsThroughTheDecoder) {
    struct Case {
        int width, height, bits;
        bool runs;
    } cases[] = {{1, 1, 1, false},    {7, 3, 1, false},    {33, 17, 2, true},  {64, 64, 3, false},
                 {100, 37, 4, true},  {127, 61, 5, false}, {150, 99, 6, true}, {319, 240, 8, false},
                 {640, 480, 8, true}, {2000, 3, 7, true}};
    for (const Case& c : cases) {
        size_t n = static_cast<size_t>(c.width * c.height);
        int colors = 1 << c.bits;
        Bytes pixels = c.runs ? Runs(n, colors, 7u + c.width) : Noise(n, colors, 3u + c.width);
        for (int kind : {kCompressLZW, kCompressRLE}) {
            Bytes data = Encode(pixels, c.width, c.height, c.bits, colors, kind);
            EXPECT_EQ(DecodeBack(data, c.width, c.height), pixels)
                << c.width << "x" << c.height << " kind " << kind;
        }
    }
}

TEST(Encoder, RunLengthFrameOfOneColourDecodesLikeLZW) {
    Bytes pixels(300 * 200, 3);
    Bytes rle = Encode(pixels, 300, 200, 2, 4, kCompressRLE);
    Bytes lzw = Encode(pixels, 300, 200, 2, 4, kCompressLZW);
    EXPECT_EQ(DecodeBack(rle, 300, 200), DecodeBack(lzw, 300, 200));
    EXPECT_EQ(DecodeBack(rle, 300, 200), pixels);
}

TEST(Encoder, RunLengthWithSmallCodesClearsEveryNineCodes) {
    // No two neighbours are equal, so every pixel is one plain code.
    Bytes pixels;
    for (int i = 0; i < 60; ++i)
        pixels.push_back(static_cast<Byte>(i % 4));
    for (int bits : {2, 3}) {
        std::vector<CodeInfo> codes = ReadCodes(Encode(pixels, 60, 1, bits, 4, kCompressRLE));
        int clear = 1 << bits;
        int since = -1;
        for (const CodeInfo& c : codes) {
            if (c.code == clear) {
                if (since >= 0) {
                    EXPECT_EQ(since, 9) << bits;
                }
                since = 0;
            } else if (c.code != clear + 1) {
                ++since;
            }
        }
        EXPECT_LE(since, 9);
    }
}

TEST(Encoder, RunLengthHelpers) {
    struct Sqrt {
        int x, r;
    } roots[] = {{0, 0},
                 {1, 1},
                 {2, 1},
                 {3, 1},
                 {4, 2},
                 {8, 2},
                 {9, 3},
                 {99, 9},
                 {100, 10},
                 {4095, 63},
                 {1 << 30, 1 << 15}};
    for (const Sqrt& s : roots)
        EXPECT_EQ(TRLEEncoder::IntSqrt(s.x), s.r) << s.x;
    // Cost of a run of n pixels from a fresh table: k codes cover 1 + 2 + ... + k pixels.
    EXPECT_EQ(TRLEEncoder::TriangleCost(1, 100), 1);
    EXPECT_EQ(TRLEEncoder::TriangleCost(3, 100), 2);
    EXPECT_EQ(TRLEEncoder::TriangleCost(4, 100), 3);
    EXPECT_EQ(TRLEEncoder::TriangleCost(6, 100), 3);
    EXPECT_EQ(TRLEEncoder::TriangleCost(7, 100), 4);
    // Beyond a full triangle of r codes the count restarts: 10 = 1+2+3+4 costs 4 with r = 4,
    // 11 one more.
    EXPECT_EQ(TRLEEncoder::TriangleCost(10, 4), 4);
    EXPECT_EQ(TRLEEncoder::TriangleCost(11, 4), 5);
}

TEST(Encoder, HashSlotsAndTheProbeSequence) {
    EXPECT_EQ(THashTable::HashSlot(0), 0);
    EXPECT_EQ(THashTable::HashSlot(0x12345), (0x12345 ^ 0x1234) % 8009);
    EXPECT_EQ(THashTable::HashSlot(0xFFEFF), (0xFFEFF ^ 0xFFEF) % 8009);
    // s - (8009 - s), wrapped; slot 0 goes to 8008.
    EXPECT_EQ(THashTable::NextProbeSlot(0), 8008);
    EXPECT_EQ(THashTable::NextProbeSlot(8008), 8007);
    EXPECT_EQ(THashTable::NextProbeSlot(5), 10);
    EXPECT_EQ(THashTable::NextProbeSlot(4004), 8008);
    EXPECT_EQ(THashTable::NextProbeSlot(4005), 1);

    // Keys that share a slot go to the following probe slots and are all found again.
    THashTable t;
    std::vector<std::uint32_t> same;
    int slot = THashTable::HashSlot(0x100);
    for (std::uint32_t k = 0; k < (1u << 20) && same.size() < 4; ++k)
        if (THashTable::HashSlot(k) == slot) same.push_back(k);
    ASSERT_EQ(same.size(), 4u);
    for (size_t i = 0; i < same.size(); ++i)
        EXPECT_TRUE(t.Store(same[i], 300 + static_cast<int>(i)));
    for (size_t i = 0; i < same.size(); ++i)
        EXPECT_EQ(t.Find(same[i]), 300 + static_cast<int>(i));
    EXPECT_EQ(t.Find(same[0] + 1 == same[1] ? same[3] + 1 : same[0] + 1), -1);
    t.Reset();
    EXPECT_EQ(t.Find(same[0]), -1);
}

TEST(Encoder, FullProbeCycleEndsInsteadOfLooping) {
    // Fill the 4004 slots reachable from slot 1 by keys whose hash lands on them; a key
    // probing that cycle finds no room and says so.
    THashTable t;
    std::vector<bool> inCycle(8009, false);
    for (int s = 1, i = 0; i < 4004; ++i, s = THashTable::NextProbeSlot(s))
        inCycle[s] = true;
    int stored = 0;
    std::uint32_t spare = 0;
    for (std::uint32_t k = 0; k < (1u << 20) && stored < 4004; ++k) {
        if (!inCycle[THashTable::HashSlot(k)]) continue;
        if (stored < 4004 && t.Store(k, stored & 0xFFF)) ++stored;
        spare = k;
    }
    ASSERT_EQ(stored, 4004);
    std::uint32_t probe = spare + 1;
    while (!inCycle[THashTable::HashSlot(probe)])
        ++probe;
    EXPECT_FALSE(t.Store(probe, 1));
    EXPECT_EQ(t.Find(probe), -1);
}

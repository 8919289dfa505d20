#include "GIFTestUtil.h"
#include "gif/codec/GIFException.h"
#include "gif/codec/GIFLZWDecoder.h"

#include <gtest/gtest.h>

using namespace giftest;

namespace {

struct Decoded {
    Bytes pixels;
    std::vector<String> warnings;
    Int64 endPosition = 0;
};

// Decodes data into a width x height frame pre-filled with fill; trailing bytes after the
// data show where the decoder left the stream.
Decoded Decode(const Bytes& data, int width, int height, bool interlaced = false, Byte fill = 0) {
    TMemoryStream s;
    Fill(s, data);
    Decoded d;
    d.pixels.assign(static_cast<size_t>(width * height), fill);
    DecodeImageData(s, d.pixels.data(), width, height, interlaced,
                    [&](const String& m) { d.warnings.push_back(m); });
    d.endPosition = s.Position();
    return d;
}

} // namespace

TEST(LZWDecoder, OnePixelFrameOfTheClassicExample) {
    // Minimum code size 2: clear 4, pixel 1, end 5 at 3 bits each.
    Bytes data = {0x02, 0x02, 0x4C, 0x01, 0x00};
    Decoded d = Decode(data, 1, 1);
    EXPECT_EQ(d.pixels, Bytes{1});
    EXPECT_TRUE(d.warnings.empty());
    EXPECT_EQ(d.endPosition, 5);
}

TEST(LZWDecoder, StringBeingDefinedIsPreviousPlusItsFirstPixel) {
    // clear, 1, 6 (= next code: "1 1"), 6 ("1 1" again, now in the table), end.
    Bytes codes = PackCodes({{4, 3}, {1, 3}, {6, 3}, {6, 3}, {5, 3}});
    Decoded d = Decode(Cat({{2}, SubBlocks(codes)}), 5, 1);
    EXPECT_EQ(d.pixels, (Bytes{1, 1, 1, 1, 1}));
    EXPECT_TRUE(d.warnings.empty());
}

TEST(LZWDecoder, ClearInTheMiddleResetsTheCodeWidth) {
    // Enough codes to grow to 4 bits, then a clear: codes after it are 3 bits again.
    // clear, 0, 1, 2(next 7), 3(next 8 -> width 4), clear@4, 1@3, 2@3, end@3.
    Bytes codes =
        PackCodes({{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {4, 4}, {1, 3}, {2, 3}, {5, 3}});
    Decoded d = Decode(Cat({{2}, SubBlocks(codes)}), 6, 1);
    EXPECT_EQ(d.pixels, (Bytes{0, 1, 2, 3, 1, 2}));
    EXPECT_TRUE(d.warnings.empty());
}

TEST(LZWDecoder, CodesAcrossSubBlockSeamsAndSkippedTrailingBlocks) {
    // One-byte sub-blocks split every code; after the end code two more sub-blocks come
    // before the terminator, and a marker byte after it shows where reading stopped.
    // After 3, 2, 1 the table reaches 8 entries and codes become 4 bits wide.
    Bytes codes = PackCodes({{4, 3}, {3, 3}, {2, 3}, {1, 3}, {0, 4}, {5, 4}});
    Bytes data = Cat({{2}, SubBlocks(codes, 1, false), {2, 0xAA, 0xBB, 1, 0xCC, 0}, {0x3B}});
    Decoded d = Decode(data, 4, 1);
    EXPECT_EQ(d.pixels, (Bytes{3, 2, 1, 0}));
    EXPECT_EQ(d.endPosition, static_cast<Int64>(data.size() - 1));
    EXPECT_TRUE(d.warnings.empty());
}

TEST(LZWDecoder, TableFullKeepsWidthTwelveUntilAClear) {
    // Minimum code size 8: pixel 0 repeated fills the table with runs; once next code is
    // 4096 no entry is added and codes stay 12 bits wide.
    std::vector<Code> list = {{256, 9}, {0, 9}};
    int next = 258, width = 9;
    int prev = 0;
    // Send each new run code as soon as it is defined: every code = next (string being
    // defined) grows the run by one.
    while (next < 4096) {
        list.push_back({next, width});
        prev = next;
        ++next;
        if (next >= (1 << width) && width < 12) ++width;
    }
    (void)prev;
    list.push_back({0, 12});
    list.push_back({0, 12});
    list.push_back({257, 12});
    Bytes packed;
    {
        std::uint64_t acc = 0;
        int bits = 0;
        for (Code c : list) {
            acc |= static_cast<std::uint64_t>(c.value) << bits;
            bits += c.width;
            while (bits >= 8) {
                packed.push_back(static_cast<Byte>(acc));
                acc >>= 8;
                bits -= 8;
            }
        }
        if (bits > 0) packed.push_back(static_cast<Byte>(acc));
    }
    // Runs of 2..3839 pixels after the first one, then two single pixels.
    Int64 total = 1;
    for (int k = 2; k <= 4096 - 258 + 1; ++k)
        total += k;
    total += 2;
    int w = 4096;
    int h = static_cast<int>((total + w - 1) / w);
    Decoded d = Decode(Cat({{8}, SubBlocks(packed)}), w, h, false, 7);
    Int64 zeros = 0;
    for (Byte b : d.pixels)
        zeros += b == 0;
    EXPECT_EQ(zeros, total);
    EXPECT_EQ(d.pixels[static_cast<size_t>(total)], 7); // nothing beyond the data
    EXPECT_TRUE(d.warnings.empty());
}

TEST(LZWDecoder, InterlacedRowsInStoredOrder) {
    struct Case {
        int height;
        std::vector<int> order;
    } cases[] = {
        {1, {0}},
        {2, {0, 1}},
        {3, {0, 2, 1}},
        {5, {0, 4, 2, 1, 3}},
        {9, {0, 8, 4, 2, 6, 1, 3, 5, 7}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InterlacedRowOrder(c.height), c.order) << c.height;
        // Row i of the file holds pixel value i; after decoding, row order[i] holds i.
        std::vector<Code> codes = {{16, 5}};
        for (int i = 0; i < c.height; ++i)
            codes.push_back({i, 5});
        codes.push_back({17, 5});
        Bytes packed;
        std::uint32_t acc = 0;
        int bits = 0;
        for (Code k : codes) {
            acc |= static_cast<std::uint32_t>(k.value) << bits;
            bits += k.width;
            while (bits >= 8)
                packed.push_back(static_cast<Byte>(acc)), acc >>= 8, bits -= 8;
        }
        if (bits) packed.push_back(static_cast<Byte>(acc));
        // Width 5 is only needed for the first few codes; with height <= 9 and minimum code
        // size 4, next stays below 32.
        Decoded d = Decode(Cat({{4}, SubBlocks(packed)}), 1, c.height, true, 0xEE);
        for (int i = 0; i < c.height; ++i)
            EXPECT_EQ(d.pixels[c.order[i]], i) << c.height;
    }
}

TEST(LZWDecoder, DataStoppingEarlyKeepsTheFillValue) {
    // A 6-pixel frame whose data holds four pixels (16 bits, no padding) and then the
    // terminator.
    Bytes codes = PackCodes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}});
    Decoded d = Decode(Cat({{2}, SubBlocks(codes), {0x3B}}), 6, 1, false, 9);
    EXPECT_EQ(d.pixels, (Bytes{1, 2, 3, 0, 9, 9}));
    EXPECT_EQ(d.warnings, std::vector<String>{"Decoder bit buffer under-run"});
    // Left after the zero-length sub-block, at the trailer.
    EXPECT_EQ(d.endPosition, static_cast<Int64>(1 + codes.size() + 2));
}

TEST(LZWDecoder, EndCodeBeforeAllPixelsSkipsToTheTerminator) {
    Bytes codes = PackCodes({{4, 3}, {3, 3}, {5, 3}});
    Bytes data = Cat({{2}, SubBlocks(codes, 255, false), {3, 1, 2, 3, 0}, {0x3B}});
    Decoded d = Decode(data, 3, 1, false, 8);
    EXPECT_EQ(d.pixels, (Bytes{3, 8, 8}));
    EXPECT_EQ(d.endPosition, static_cast<Int64>(data.size() - 1));
    EXPECT_TRUE(d.warnings.empty());
}

TEST(LZWDecoder, FirstCodeAfterClearMayBeTheEndCode) {
    Bytes codes = PackCodes({{4, 3}, {5, 3}});
    Bytes data = Cat({{2}, SubBlocks(codes), {0x3B}});
    Decoded d = Decode(data, 2, 1, false, 6);
    EXPECT_EQ(d.pixels, (Bytes{6, 6}));
    EXPECT_EQ(d.endPosition, static_cast<Int64>(data.size() - 1));
}

TEST(LZWDecoder, MalformedCodesRaise) {
    struct Case {
        const char* what;
        Bytes data;
    } cases[] = {
        {"minimum code size 0", Cat({{0}, SubBlocks(PackCodes({{1, 1}, {0, 1}, {2, 2}}))})},
        {"minimum code size 12", Cat({{12}, SubBlocks(PackCodes({{4096, 13}, {0, 13}}))})},
        {"first code above the clear code",
         Cat({{2}, SubBlocks(PackCodes({{4, 3}, {6, 3}, {5, 3}}))})},
    };
    for (const Case& c : cases) {
        try {
            Decode(c.data, 4, 1);
            ADD_FAILURE() << c.what << ": no exception";
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Invalid GIF data") << c.what;
        }
    }
}

TEST(LZWDecoder, StreamEndingInsideASubBlockWarnsAndStops) {
    // The count says 10 bytes but only 1 is there; the code half in it is never used.
    Bytes data = {2, 10, 0x4C};
    Decoded d = Decode(data, 3, 1, false, 5);
    EXPECT_EQ(d.pixels, (Bytes{1, 5, 5}));
    EXPECT_EQ(d.warnings, std::vector<String>{"Premature end of data"});
    // Only the minimum code size: nothing to decode, no warning.
    Decoded e = Decode({2}, 2, 1, false, 4);
    EXPECT_EQ(e.pixels, (Bytes{4, 4}));
    // Nothing at all.
    Decoded f = Decode({}, 2, 1, false, 4);
    EXPECT_EQ(f.pixels, (Bytes{4, 4}));
    EXPECT_TRUE(f.warnings.empty());
}

TEST(LZWDecoder, PartialCodeAtTheEndIsNotTakenFromStaleBits) {
    // The last sub-block holds 4 bits of a 6-bit code and then the terminator: the decoder
    // must not complete that code with bits of an earlier block.
    // Minimum code size 5: clear 32 at 6 bits, pixel 17, then a cut code.
    Bytes codes = PackCodes({{32, 6}, {17, 6}, {0xF, 4}});
    Decoded d = Decode(Cat({{5}, SubBlocks(codes)}), 3, 1, false, 2);
    EXPECT_EQ(d.pixels, (Bytes{17, 2, 2}));
    EXPECT_EQ(d.warnings, std::vector<String>{"Decoder bit buffer under-run"});
}

TEST(LZWDecoder, MinimumCodeSizeOneWidensBeforeTheSecondCode) {
    // Clear 2, end 3, first free code 4 = the 2-bit limit: the code after the first pixel is
    // already 3 bits wide, as giflib writes and reads it.
    // Codes: clear@2, 1@2, 0@3 (adds 4 = "1 0"), 4@3 ("1 0"), end@3.
    Bytes codes = PackCodes({{2, 2}, {1, 2}, {0, 3}, {4, 3}, {3, 3}});
    Decoded d = Decode(Cat({{1}, SubBlocks(codes)}), 4, 1);
    EXPECT_EQ(d.pixels, (Bytes{1, 0, 1, 0}));
    EXPECT_TRUE(d.warnings.empty());
}

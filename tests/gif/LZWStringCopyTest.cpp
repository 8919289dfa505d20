#include "GIFTestUtil.h"
#include "gif/codec/GIFLZWDecoder.h"

#include <gtest/gtest.h>

#include <random>

using namespace giftest;

namespace {

constexpr Byte kGuard = 0xEE;

// Decodes into a frame of `pixels` bytes pre-filled with 9, followed by guard bytes that
// must survive.
Bytes DecodeGuarded(const Bytes& data, int width, int height) {
    TMemoryStream s;
    Fill(s, data);
    size_t total = static_cast<size_t>(width) * height;
    Bytes out(total + 32, kGuard);
    std::fill_n(out.begin(), total, Byte(9));
    DecodeImageData(s, out.data(), width, height, false, nullptr);
    for (size_t i = total; i < out.size(); ++i)
        EXPECT_EQ(out[i], kGuard) << "written past the frame at " << i;
    out.resize(total);
    return out;
}

// The plain reading of LZW codes: every table entry held as its whole string.
Bytes ReferenceDecode(const std::vector<int>& codes, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    std::vector<Bytes> table;
    auto reset = [&] {
        table.assign(static_cast<size_t>(clear) + 2, Bytes{});
        for (int i = 0; i < clear; ++i)
            table[static_cast<size_t>(i)] = {static_cast<Byte>(i)};
    };
    reset();
    Bytes out;
    int previous = -1;
    for (int code : codes) {
        if (code == clear) {
            reset();
            previous = -1;
            continue;
        }
        Bytes s;
        if (previous < 0) {
            s = table[static_cast<size_t>(code)];
        } else {
            if (code < static_cast<int>(table.size())) {
                s = table[static_cast<size_t>(code)];
            } else {
                s = table[static_cast<size_t>(previous)];
                s.push_back(s[0]);
            }
            if (table.size() < 4096) {
                Bytes entry = table[static_cast<size_t>(previous)];
                entry.push_back(s[0]);
                table.push_back(entry);
            }
        }
        out.insert(out.end(), s.begin(), s.end());
        previous = code;
    }
    return out;
}

// Codes at the widths an encoder writes them, for a code sequence that names only defined
// strings (or the one being defined).
Bytes PackAtWidths(const std::vector<int>& codes, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    Bytes out;
    std::uint64_t acc = 0;
    int bits = 0, width = minCodeSize + 1, next = clear + 2;
    bool first = true;
    auto put = [&](int code) {
        acc |= static_cast<std::uint64_t>(code) << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(static_cast<Byte>(acc));
            acc >>= 8;
            bits -= 8;
        }
    };
    for (int code : codes) {
        put(code);
        if (code == clear) {
            width = minCodeSize + 1;
            next = clear + 2;
            first = true;
            continue;
        }
        if (!first && next < 4096) ++next;
        first = false;
        if (next >= (1 << width) && width < 12) ++width;
    }
    put(clear + 1);
    if (bits > 0) out.push_back(static_cast<Byte>(acc));
    return out;
}

} // namespace

TEST(LZWStringCopy, StringsLongerThanTheRoomLeftAreCutAtTheFrameEnd) {
    struct Case {
        const char* what;
        std::initializer_list<Code> codes;
        Bytes pixels;
    };
    const Case cases[] = {
        // clear, 1, 6 (= "1 1", being defined), 7 (= "1 1 1", being defined): 6 pixels for 5.
        {"being defined", {{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 4}}, {1, 1, 1, 1, 1}},
        // clear, 0, 1, 6 (= "0 1", in the table) for a frame of 3: the copy stops after "0".
        {"from the table", {{4, 3}, {0, 3}, {1, 3}, {6, 3}, {5, 4}}, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        Bytes data = Cat({{2}, SubBlocks(PackCodes(c.codes))});
        EXPECT_EQ(DecodeGuarded(data, static_cast<int>(c.pixels.size()), 1), c.pixels) << c.what;
    }
}

TEST(LZWStringCopy, LongAndSelfRepeatingStringsMatchThePlainReading) {
    // Random walks over the table: short and long strings, strings being defined (which
    // copy from themselves), clears, and a full table, for several code sizes.
    std::mt19937 rng(11);
    for (int minCodeSize : {1, 2, 5, 8}) {
        const int clear = 1 << minCodeSize;
        std::vector<int> codes = {clear};
        int next = clear + 2;
        bool first = true;
        for (int i = 0; i < 9000; ++i) {
            int code;
            if (first) {
                code = static_cast<int>(rng() % static_cast<unsigned>(clear));
            } else if (rng() % 500 == 0) {
                code = clear;
            } else if (rng() % 4 == 0) {
                code = next < 4096 ? next : 4095; // the string being defined, or the last one
            } else {
                // Mostly recent (long) strings.
                int span = std::min(next - (clear + 2), 64);
                code = span > 0 && rng() % 3
                           ? next - 1 - static_cast<int>(rng() % static_cast<unsigned>(span))
                           : static_cast<int>(rng() % static_cast<unsigned>(clear));
            }
            codes.push_back(code);
            if (code == clear) {
                next = clear + 2;
                first = true;
                continue;
            }
            if (!first && next < 4096) ++next;
            first = false;
        }
        Bytes whole = ReferenceDecode(codes, minCodeSize);
        ASSERT_GT(whole.size(), 20000u) << minCodeSize;
        int width = 1000;
        int height = static_cast<int>(whole.size() / width);
        Bytes expected(whole.begin(), whole.begin() + static_cast<long>(width) * height);
        Bytes data =
            Cat({{static_cast<Byte>(minCodeSize)}, SubBlocks(PackAtWidths(codes, minCodeSize))});
        EXPECT_EQ(DecodeGuarded(data, width, height), expected)
            << "minimum code size " << minCodeSize;
    }
}

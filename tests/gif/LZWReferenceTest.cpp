// The LZW encoder against the plainest coder that could be written over the same hash table:
// every look-up walks the probe chain, and a store that finds its probe cycle full starts a
// new table. Whatever the encoder does to be fast, its bytes must be these.
#include "GIFTestUtil.h"
#include "gif/codec/GIFEncoders.h"
#include "gif/codec/GIFException.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace giftest;

namespace {

struct ReferenceResult {
    Bytes data;
    bool raised = false; // a pixel was not below maxColor
    int fullCycles = 0;  // stores refused because their probe cycle had no room
    int clears = 0;      // clear codes after the first
};

ReferenceResult ReferenceLZW(const Bytes& pixels, int width, int height, bool interlaced, int bits,
                             int maxColor) {
    ReferenceResult r;
    const int minSize = std::clamp(bits, 2, 8);
    const int clear = 1 << minSize, end = clear + 1, base = clear + 2;
    int codeWidth = minSize + 1, limit = (1 << codeWidth) - 1, next = base;
    bool clearFlag = false;
    std::uint32_t bucket = 0;
    int held = 0;
    Bytes packed;
    THashTable table;

    auto send = [&](int code) {
        bucket = held > 0
                     ? (bucket & ((1u << held) - 1)) | (static_cast<std::uint32_t>(code) << held)
                     : static_cast<std::uint32_t>(code);
        held += codeWidth;
        for (; held >= 8; held -= 8, bucket >>= 8)
            packed.push_back(static_cast<Byte>(bucket));
        if (code == end) {
            for (; held > 0; held -= 8, bucket >>= 8)
                packed.push_back(static_cast<Byte>(bucket));
            held = 0;
        }
        if (clearFlag) {
            codeWidth = minSize + 1, limit = (1 << codeWidth) - 1, clearFlag = false;
        } else if (next > limit) {
            ++codeWidth;
            limit = codeWidth == 12 ? 4096 : (1 << codeWidth) - 1;
        }
    };
    auto sendClear = [&] {
        clearFlag = true;
        send(clear);
        table.Reset();
        next = base;
    };

    std::vector<int> rows;
    static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass)
        for (int y = interlaced ? kStart[pass] : 0; y < height; y += interlaced ? kStep[pass] : 1)
            rows.push_back(y);

    if (!pixels.empty() && width > 0 && height > 0) {
        sendClear();
        int prefix = -1;
        for (int y : rows) {
            for (int x = 0; x < width && !r.raised; ++x) {
                int c = pixels[static_cast<size_t>(y) * width + x];
                if (c >= maxColor) {
                    r.raised = true;
                    break;
                }
                if (prefix < 0) {
                    prefix = c;
                    continue;
                }
                std::uint32_t key =
                    (static_cast<std::uint32_t>(prefix) << 8) | static_cast<std::uint32_t>(c);
                int code = table.Find(key);
                if (code >= 0) {
                    prefix = code;
                    continue;
                }
                send(prefix);
                if (next < 4095 && table.Store(key, next)) {
                    ++next;
                } else {
                    if (next < 4095) ++r.fullCycles;
                    ++r.clears;
                    sendClear();
                }
                prefix = c;
            }
            if (r.raised) break;
        }
        if (!r.raised) send(prefix);
    }
    if (!r.raised) send(end);
    r.data = Cat({{static_cast<Byte>(minSize)}, SubBlocks(packed, 255, !r.raised)});
    return r;
}

// What the encoder writes, with whether it raised "Color not in color table".
Bytes Encoded(const Bytes& pixels, int width, int height, bool interlaced, int bits, int maxColor,
              bool& raised) {
    TMemoryStream s;
    raised = false;
    try {
        EncodeImageData(s, pixels.data(), width, height, interlaced, bits, maxColor, kCompressLZW,
                        {});
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color not in color table");
        raised = true;
    }
    return Contents(s);
}

struct Input {
    const char* what;
    Bytes pixels;
    int width, height, bits, maxColor;
    bool interlaced = false;
};

// Compares the encoder with the reference; answers the reference's account.
ReferenceResult ExpectSameAsReference(const Input& in) {
    ReferenceResult want =
        ReferenceLZW(in.pixels, in.width, in.height, in.interlaced, in.bits, in.maxColor);
    bool raised = false;
    Bytes got =
        Encoded(in.pixels, in.width, in.height, in.interlaced, in.bits, in.maxColor, raised);
    EXPECT_EQ(raised, want.raised) << in.what;
    EXPECT_EQ(got.size(), want.data.size()) << in.what;
    auto diff = std::mismatch(got.begin(), got.end(), want.data.begin(), want.data.end());
    EXPECT_TRUE(diff.first == got.end() && diff.second == want.data.end())
        << in.what << ": first difference at byte " << (diff.first - got.begin());
    return want;
}

Bytes Noise(size_t n, int colors, std::mt19937& rng) {
    Bytes b(n);
    for (Byte& v : b)
        v = static_cast<Byte>(rng() % static_cast<unsigned>(colors));
    return b;
}

// Runs of one colour, short and very long, and stretches of noise between them.
Bytes Mixed(size_t n, int colors, std::mt19937& rng) {
    Bytes b;
    while (b.size() < n) {
        size_t len = 1 + rng() % (rng() % 5 == 0 ? 5000 : 20);
        if (rng() % 3 == 0) {
            for (size_t i = 0; i < len && b.size() < n; ++i)
                b.push_back(static_cast<Byte>(rng() % static_cast<unsigned>(colors)));
        } else {
            b.insert(b.end(), std::min(len, n - b.size()),
                     static_cast<Byte>(rng() % static_cast<unsigned>(colors)));
        }
    }
    return b;
}

// A smooth ramp with a little noise, as dithered photographs have.
Bytes Ramp(int width, int height, int colors, std::mt19937& rng) {
    Bytes b(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int v =
                (x * colors / std::max(width, 1) + y / 3 + static_cast<int>(rng() % 3)) % colors;
            b[static_cast<size_t>(y) * width + x] = static_cast<Byte>(v);
        }
    return b;
}

// Pixels chosen so that nearly every string the coder adds hashes into the probe cycle through
// cycleSlot, until that cycle is full: the path where a store finds no room.
Bytes FillOneProbeCycle(size_t n, int minSize, int cycleSlot, std::mt19937& rng) {
    const int colors = 1 << minSize, base = colors + 2;
    std::vector<bool> target(THashTable::kSlots, false);
    for (int s = cycleSlot, i = 0; i < 4004; ++i, s = THashTable::NextProbeSlot(s))
        target[s] = true;
    target[0] = target[8008]; // slot 0 holds one key, the rest of its chain is the cycle of 8008
    THashTable table;
    std::vector<int> child(4096 * static_cast<size_t>(colors), -1);
    int next = base, prefix = -1;
    Bytes out;
    auto key = [](int code, int c) {
        return (static_cast<std::uint32_t>(code) << 8) | static_cast<std::uint32_t>(c);
    };
    // The same step the coder takes, so the generator knows its table.
    auto step = [&](int c) {
        out.push_back(static_cast<Byte>(c));
        if (prefix < 0) {
            prefix = c;
            return;
        }
        int& slot = child[static_cast<size_t>(prefix) * colors + c];
        if (slot >= 0) {
            prefix = slot;
            return;
        }
        if (next < 4095 && table.Store(key(prefix, c), next)) {
            slot = next++;
        } else {
            table.Reset();
            std::fill(child.begin(), child.end(), -1);
            next = base;
        }
        prefix = c;
    };
    std::vector<int> from(4096), via(4096), queue;
    while (out.size() < n) {
        if (prefix < 0) {
            step(0);
            continue;
        }
        // Breadth first from the current string to the nearest string with a missing
        // continuation that hashes into the cycle.
        std::fill(from.begin(), from.end(), -2);
        queue.assign(1, prefix);
        from[static_cast<size_t>(prefix)] = -1;
        int foundAt = -1, foundColor = -1;
        for (size_t q = 0; q < queue.size() && foundAt < 0; ++q) {
            int at = queue[q];
            int first = static_cast<int>(rng() % static_cast<unsigned>(colors));
            for (int i = 0; i < colors && foundAt < 0; ++i) {
                int c = (first + i) % colors;
                int to = child[static_cast<size_t>(at) * colors + c];
                if (to < 0) {
                    if (target[static_cast<size_t>(THashTable::HashSlot(key(at, c)))])
                        foundAt = at, foundColor = c;
                } else if (from[static_cast<size_t>(to)] == -2) {
                    from[static_cast<size_t>(to)] = at;
                    via[static_cast<size_t>(to)] = c;
                    queue.push_back(to);
                }
            }
        }
        if (foundAt < 0) {
            step(static_cast<int>(rng() % static_cast<unsigned>(colors)));
            continue;
        }
        Bytes path;
        for (int at = foundAt; from[static_cast<size_t>(at)] != -1;
             at = from[static_cast<size_t>(at)])
            path.push_back(static_cast<Byte>(via[static_cast<size_t>(at)]));
        for (auto it = path.rbegin(); it != path.rend(); ++it)
            step(*it);
        step(foundColor);
    }
    out.resize(n);
    return out;
}

} // namespace

TEST(LZWReference, EdgeFramesMatch) {
    std::mt19937 rng(11);
    Bytes bad = Noise(300, 4, rng);
    bad[217] = 9;
    // Far enough in that whole sub-blocks of codes precede it.
    Bytes badLate = Noise(3000, 200, rng);
    badLate[2500] = 240;
    std::vector<Input> inputs = {
        {"empty", {}, 0, 0, 8, 256},
        {"one pixel", {0}, 1, 1, 2, 4},
        {"one pixel 8-bit", {200}, 1, 1, 8, 256},
        {"two pixels", {1, 1}, 2, 1, 1, 2},
        {"one row", Noise(1000, 16, rng), 1000, 1, 4, 16},
        {"one column", Noise(1000, 16, rng), 1, 1000, 4, 16},
        {"bad first pixel", {5, 1, 2}, 3, 1, 2, 4},
        {"bad first pixel 8-bit codes", {5, 1, 2}, 3, 1, 7, 4},
        {"bad pixel later", bad, 30, 10, 2, 4},
        {"bad pixel interlaced", bad, 30, 10, 2, 4, true},
        {"bad pixel after whole sub-blocks", badLate, 100, 30, 8, 200},
        {"bad pixel after whole sub-blocks interlaced", badLate, 100, 30, 8, 200, true},
        // Colour counts beyond the code size: pixels can look like the clear and end codes.
        {"pixels past the clear code", Noise(5000, 256, rng), 100, 50, 2, 256},
        {"pixels past the clear code, runs", Mixed(20000, 256, rng), 200, 100, 3, 300},
    };
    for (const Input& in : inputs)
        ExpectSameAsReference(in);
}

TEST(LZWReference, RandomAndStructuredFramesOfEveryDepthMatch) {
    std::mt19937 rng(5);
    for (int bits = 1; bits <= 8; ++bits) {
        const int colors = 1 << bits;
        for (int round = 0; round < 6; ++round) {
            int width = 1 + static_cast<int>(rng() % 400),
                height = 1 + static_cast<int>(rng() % 120);
            size_t n = static_cast<size_t>(width) * height;
            bool interlaced = round % 2 == 1;
            std::string what = "bits " + std::to_string(bits) + " round " + std::to_string(round);
            ExpectSameAsReference({(what + " noise").c_str(), Noise(n, colors, rng), width, height,
                                   bits, colors, interlaced});
            ExpectSameAsReference({(what + " mixed").c_str(), Mixed(n, colors, rng), width, height,
                                   bits, colors, interlaced});
            ExpectSameAsReference({(what + " ramp").c_str(), Ramp(width, height, colors, rng),
                                   width, height, bits, colors, interlaced});
            // Fewer colours in use than the table allows, and a table shorter than the codes.
            int few = std::max(1, colors / 3);
            ExpectSameAsReference({(what + " few colours").c_str(), Noise(n, few, rng), width,
                                   height, bits, colors, interlaced});
            ExpectSameAsReference({(what + " short table").c_str(), Mixed(n, few, rng), width,
                                   height, bits, few, interlaced});
        }
        // Long frames: one colour, and noise long enough to clear the table many times.
        ExpectSameAsReference(
            {"one colour", Bytes(300000, static_cast<Byte>(colors - 1)), 600, 500, bits, colors});
        ReferenceResult noise = ExpectSameAsReference(
            {"long noise", Noise(200000, colors, rng), 500, 400, bits, colors});
        if (bits >= 2) {
            EXPECT_GT(noise.clears, 2) << bits;
        }
    }
}

TEST(LZWReference, FramesThatFillOneProbeCycleMatch) {
    // Only code sizes up to 6 leave room for more strings than one cycle has slots. Slots 1
    // and 3 lie on different cycles.
    std::mt19937 rng(3);
    for (int minSize = 2; minSize <= 6; ++minSize) {
        Bytes pixels = FillOneProbeCycle(160000, minSize, minSize % 2 == 0 ? 1 : 3, rng);
        for (bool interlaced : {false, true}) {
            ReferenceResult r = ExpectSameAsReference(
                {"full cycle", pixels, 400, 400, minSize, 1 << minSize, interlaced});
            if (!interlaced) {
                EXPECT_GE(r.fullCycles, 2) << minSize;
            }
        }
    }
}

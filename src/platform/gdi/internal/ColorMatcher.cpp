#include "platform/gdi/internal/ColorMatcher.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>

namespace gdi {

namespace {

// Boxes of 4x4x4 colours, keyed by the top 6 bits of each channel (rrrrrr gggggg bbbbbb);
// a colour's place in its box is the low 2 bits of each channel (rr gg bb).
constexpr int kBoxSide = 4;
constexpr int kBlock = 64;
// A box's entry is the offset of its block in the pool; 0 (block 0, never used) while the
// box is not settled yet. Room for a block of every box is reserved up front.
constexpr std::uint32_t kNoBlock = 0;
constexpr std::uint32_t kBoxCount = 1u << 18;
constexpr std::size_t kMaxBlocks = 1 + 256 + kBoxCount;

inline std::uint32_t boxOf(Px p) {
    return ((p >> 2) & 0x3F) | ((p >> 4) & 0xFC0) | ((p >> 6) & 0x3F000);
}
inline std::uint32_t localOf(Px p) {
    return (p & 3) | ((p >> 6) & 0xC) | ((p >> 12) & 0x30);
}

// Cells of 8x8x8 and regions of 32x32x32 colours, keyed the same way by the top 5 and 3 bits.
constexpr int kCellBits = 5;
constexpr int kCellSide = 8;
constexpr int kRegionBits = 3;
constexpr int kRegionSide = 32;

template <int Bits> inline int keyOf(Px p) {
    constexpr Px m = (1u << Bits) - 1;
    return static_cast<int>(((p >> (24 - Bits)) & m) << (2 * Bits) |
                            ((p >> (16 - Bits)) & m) << Bits | ((p >> (8 - Bits)) & m));
}
// The lowest colour of the cube with this key: lo[] per channel (red, green, blue).
template <int Bits> inline void cubeCorner(int key, int lo[3]) {
    constexpr int m = (1 << Bits) - 1;
    constexpr int side = 1 << (8 - Bits);
    lo[0] = ((key >> (2 * Bits)) & m) * side;
    lo[1] = ((key >> Bits) & m) * side;
    lo[2] = (key & m) * side;
}

inline int channel(Px p, int ch) {
    return static_cast<int>((p >> (16 - 8 * ch)) & 0xFF);
}

inline int dist2(Px a, Px b) {
    int dr = channel(a, 0) - channel(b, 0);
    int dg = channel(a, 1) - channel(b, 1);
    int db = channel(a, 2) - channel(b, 2);
    return dr * dr + dg * dg + db * db;
}

// Lanes of four values side by side: the box and place of four pixels, or the distances of
// four entries, are worked out at once; GCC and Clang lower this to the vector unit of any
// target.
using Lanes = std::uint32_t __attribute__((vector_size(16)));
using Ints = std::int32_t __attribute__((vector_size(16)));

inline Ints maxOf(Ints a, Ints b) {
    return a > b ? a : b;
}
inline Ints minOf(Ints a, Ints b) {
    return a < b ? a : b;
}

// Writes to out those of c[0 .. count) that can be nearest somewhere in the cube of `side`
// values per channel at lo, in their order, and returns how many. An entry whose nearest
// point of the cube is farther than another entry's farthest point never wins there, not
// even a tie, so dropping it changes no answer. Four entries at a time; the last group is
// filled up with the last entry, which changes neither the smallest farthest distance nor
// the entries kept.
int narrow(const std::vector<Px>& table, const std::uint8_t* c, int count, const int lo[3],
           int side, std::uint8_t* out) {
    std::array<std::int32_t, 256 + 4> minD;
    Ints bestMax = Ints{} + std::numeric_limits<std::int32_t>::max();
    for (int i = 0; i < count; i += 4) {
        Px e[4];
        for (int k = 0; k < 4; ++k)
            e[k] = table[c[std::min(i + k, count - 1)]];
        Ints mn = {}, mx = {};
        for (int ch = 0; ch < 3; ++ch) {
            const Ints x = {channel(e[0], ch), channel(e[1], ch), channel(e[2], ch),
                            channel(e[3], ch)};
            const Ints toLo = x - lo[ch], toHi = (lo[ch] + side - 1) - x;
            const Ints dmin = maxOf(maxOf(-toLo, -toHi), Ints{});
            const Ints dmax = maxOf(toLo, toHi);
            mn += dmin * dmin;
            mx += dmax * dmax;
        }
        std::memcpy(minD.data() + i, &mn, sizeof mn);
        bestMax = minOf(bestMax, mx);
    }
    const int limit = std::min(std::min(bestMax[0], bestMax[1]), std::min(bestMax[2], bestMax[3]));
    int n = 0;
    for (int i = 0; i < count; ++i)
        if (minD[static_cast<std::size_t>(i)] <= limit) out[n++] = c[i];
    return n;
}

constexpr std::array<std::uint8_t, 256> kAllEntries = [] {
    std::array<std::uint8_t, 256> a{};
    for (int i = 0; i < 256; ++i)
        a[i] = static_cast<std::uint8_t>(i);
    return a;
}();

} // namespace

ColorMatcher::ColorMatcher(std::vector<Px> table) {
    reset(std::move(table));
}

void ColorMatcher::reset(std::vector<Px> table) {
    table_ = std::move(table);
    if (table_.size() > 256) table_.resize(256);
    for (Px& p : table_)
        p &= 0xFFFFFF;
    regionPool_.clear();
    cellPool_.clear();
    if (table_.empty()) {
        boxes_.clear();
        blocks_.clear();
        return;
    }
    boxes_.assign(kBoxCount, kNoBlock);
    blocks_.reserve(kMaxBlocks * kBlock);
    blocks_.assign((1 + table_.size()) * kBlock, 0);
    for (std::size_t i = 0; i < table_.size(); ++i)
        std::memset(blocks_.data() + (1 + i) * kBlock, static_cast<int>(i), kBlock);
    regionStart_.assign(std::size_t{1} << (3 * kRegionBits), -1);
    regionCount_.assign(std::size_t{1} << (3 * kRegionBits), 0);
    cellStart_.assign(std::size_t{1} << (3 * kCellBits), -1);
    cellCount_.assign(std::size_t{1} << (3 * kCellBits), 0);
}

const std::uint8_t* ColorMatcher::regionCandidates(int region, int& count) {
    if (regionStart_[region] < 0) {
        int lo[3];
        cubeCorner<kRegionBits>(region, lo);
        std::array<std::uint8_t, 256> list;
        int n = narrow(table_, kAllEntries.data(), static_cast<int>(table_.size()), lo, kRegionSide,
                       list.data());
        regionStart_[region] = static_cast<std::int32_t>(regionPool_.size());
        regionCount_[region] = static_cast<std::uint16_t>(n);
        regionPool_.insert(regionPool_.end(), list.begin(), list.begin() + n);
    }
    count = regionCount_[region];
    return regionPool_.data() + regionStart_[region];
}

const std::uint8_t* ColorMatcher::cellCandidates(int cell, int& count) {
    if (cellStart_[cell] < 0) {
        int lo[3];
        cubeCorner<kCellBits>(cell, lo);
        int m;
        const std::uint8_t* c = regionCandidates(
            keyOf<kRegionBits>(static_cast<Px>(lo[0] << 16 | lo[1] << 8 | lo[2])), m);
        std::array<std::uint8_t, 256> list;
        int n = narrow(table_, c, m, lo, kCellSide, list.data());
        cellStart_[cell] = static_cast<std::int32_t>(cellPool_.size());
        cellCount_[cell] = static_cast<std::uint16_t>(n);
        cellPool_.insert(cellPool_.end(), list.begin(), list.begin() + n);
    }
    count = cellCount_[cell];
    return cellPool_.data() + cellStart_[cell];
}

// The box's candidates are the entries of its cell that can be nearest somewhere in it. When
// the one a nearest to the box's first colour wins every colour of the box, the box takes
// a's uniform block: for entries a and b, d(x, a) - d(x, b) = |a|^2 - |b|^2 - 2 x.(a - b) is
// linear in x, so its largest value over the box is at the corner picked axis by axis, and a
// wins when that value is below 0 for every other candidate b, or 0 where a tie goes to a
// (the lower index). Otherwise the box gets a block of its own.
std::uint32_t ColorMatcher::settle(std::uint32_t box) {
    const int lo[3] = {static_cast<int>(box >> 12) * kBoxSide,
                       static_cast<int>((box >> 6) & 0x3F) * kBoxSide,
                       static_cast<int>(box & 0x3F) * kBoxSide};
    const Px corner = static_cast<Px>(lo[0] << 16 | lo[1] << 8 | lo[2]);
    int cellCount;
    const std::uint8_t* cell = cellCandidates(keyOf<kCellBits>(corner), cellCount);
    std::array<std::uint8_t, 256> list;
    const int n = narrow(table_, cell, cellCount, lo, kBoxSide, list.data());
    if (n == 1) return (1 + std::uint32_t{list[0]}) * kBlock;
    const int a = searchIn(corner, list.data(), n);
    const Px pa = table_[static_cast<std::size_t>(a)];
    int av[3];
    for (int ch = 0; ch < 3; ++ch)
        av[ch] = channel(pa, ch);
    const int aa = av[0] * av[0] + av[1] * av[1] + av[2] * av[2];
    bool alone = true;
    for (int i = 0; i < n && alone; ++i) {
        const int b = list[i];
        if (b == a) continue;
        const Px pb = table_[static_cast<std::size_t>(b)];
        int f = aa;
        for (int ch = 0; ch < 3; ++ch) {
            const int bv = channel(pb, ch);
            const int diff = av[ch] - bv;
            const int x = diff > 0 ? lo[ch] : lo[ch] + kBoxSide - 1;
            f -= bv * bv + 2 * x * diff;
        }
        if (f > 0 || (f == 0 && b < a)) alone = false;
    }
    if (alone) return (1 + static_cast<std::uint32_t>(a)) * kBlock;
    // All 64 colours at once, entry by entry in index order: a colour keeps the first entry
    // at its smallest distance. A distance is the sum of three per-axis squares, each taken
    // from the 4 values of its axis in the box; the 4 blue values of a red and green pair
    // are the lanes of one vector.
    Ints best[kBoxSide * kBoxSide], which[kBoxSide * kBoxSide];
    for (int rg = 0; rg < kBoxSide * kBoxSide; ++rg) {
        best[rg] = Ints{} + std::numeric_limits<std::int32_t>::max();
        which[rg] = Ints{};
    }
    for (int k = 0; k < n; ++k) {
        const Px e = table_[list[k]];
        int sq[2][kBoxSide];
        for (int ch = 0; ch < 2; ++ch)
            for (int j = 0; j < kBoxSide; ++j) {
                const int t = lo[ch] + j - channel(e, ch);
                sq[ch][j] = t * t;
            }
        const int b0 = lo[2] - channel(e, 2);
        const Ints blue = {b0 * b0, (b0 + 1) * (b0 + 1), (b0 + 2) * (b0 + 2), (b0 + 3) * (b0 + 3)};
        const Ints entry = Ints{} + list[k];
        for (int r = 0; r < kBoxSide; ++r)
            for (int g = 0; g < kBoxSide; ++g) {
                Ints& b = best[r * kBoxSide + g];
                const Ints d = blue + (sq[0][r] + sq[1][g]);
                const Ints closer = d < b;
                b = closer ? d : b;
                which[r * kBoxSide + g] = closer ? entry : which[r * kBoxSide + g];
            }
    }
    std::uint8_t answers[kBlock];
    for (int local = 0; local < kBlock; ++local)
        answers[local] = static_cast<std::uint8_t>(which[local >> 2][local & 3]);
    const auto offset = static_cast<std::uint32_t>(blocks_.size());
    blocks_.insert(blocks_.end(), answers, answers + kBlock);
    return offset;
}

int ColorMatcher::searchIn(Px p, const std::uint8_t* c, int count) const {
    int best = c[0];
    int bestD = dist2(p, table_[best]);
    for (int i = 1; i < count && bestD; ++i) {
        int d = dist2(p, table_[c[i]]);
        if (d < bestD) {
            bestD = d;
            best = c[i];
        }
    }
    return best;
}

unsigned ColorMatcher::answerSlow(std::uint32_t box, Px p) {
    std::uint32_t& offset = boxes_[box];
    offset = settle(box);
    return blocks_[offset + localOf(p)];
}

// The block pool never moves (it is reserved at its largest) and the box table keeps its
// size, so the row loops hold plain pointers to both, also while answerSlow settles boxes;
// kept in locals, they need not be read again after every byte stored.
struct ColorMatcher::View {
    const std::uint32_t* boxes;
    const std::uint8_t* blocks;
};

ColorMatcher::View ColorMatcher::view() const {
    return View{boxes_.data(), blocks_.data()};
}

inline unsigned ColorMatcher::answer(const View& v, std::uint32_t box, std::uint32_t local, Px p) {
    const std::uint32_t offset = v.boxes[box];
    if (offset == kNoBlock) [[unlikely]]
        return answerSlow(box, p);
    return v.blocks[offset + local];
}

template <class Out, class Lanes>
inline void ColorMatcher::mapLanes(const View& v, Lanes p, Out* out) {
    const Lanes box = ((p >> 2) & 0x3F) | ((p >> 4) & 0xFC0) | ((p >> 6) & 0x3F000);
    const Lanes local = (p & 3) | ((p >> 6) & 0xC) | ((p >> 12) & 0x30);
    const Out a0 = static_cast<Out>(answer(v, box[0], local[0], p[0]));
    const Out a1 = static_cast<Out>(answer(v, box[1], local[1], p[1]));
    const Out a2 = static_cast<Out>(answer(v, box[2], local[2], p[2]));
    const Out a3 = static_cast<Out>(answer(v, box[3], local[3], p[3]));
    out[0] = a0;
    out[1] = a1;
    out[2] = a2;
    out[3] = a3;
}

int ColorMatcher::nearest(Px p) {
    if (table_.empty()) return 0;
    return static_cast<int>(answer(view(), boxOf(p), localOf(p), p));
}

int ColorMatcher::nearestExact(Px p) const {
    int best = 0;
    int bestD = std::numeric_limits<int>::max();
    for (int i = 0; i < static_cast<int>(table_.size()); ++i) {
        int d = dist2(p, table_[i]);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

bool ColorMatcher::mapsTrivially(int n, BYTE* out) const {
    if (n <= 0) return true;
    if (!table_.empty()) return false;
    // Without a table every pixel takes index 0.
    std::memset(out, 0, static_cast<std::size_t>(n));
    return true;
}

void ColorMatcher::map32(const BYTE* in, int n, BYTE* out) {
    if (mapsTrivially(n, out)) return;
    const View v = view();
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        Lanes px;
        std::memcpy(&px, in + 4 * i, sizeof px);
        mapLanes(v, px, out + i);
    }
    for (; i < n; ++i) {
        Px p;
        std::memcpy(&p, in + 4 * i, 4);
        out[i] = static_cast<BYTE>(answer(v, boxOf(p), localOf(p), p));
    }
}

void ColorMatcher::map24(const BYTE* in, int n, BYTE* out) {
    if (mapsTrivially(n, out)) return;
    const View v = view();
    int i = 0;
    // A word read at each pixel holds it in its low 3 bytes (the high byte is ignored); the
    // fourth pixel's word reaches into the fifth pixel, so the last one is left to the tail.
    for (; i + 5 <= n; i += 4) {
        const BYTE* q = in + 3 * i;
        std::uint32_t p0, p1, p2, p3;
        std::memcpy(&p0, q, 4);
        std::memcpy(&p1, q + 3, 4);
        std::memcpy(&p2, q + 6, 4);
        std::memcpy(&p3, q + 9, 4);
        mapLanes(v, Lanes{p0, p1, p2, p3}, out + i);
    }
    for (; i < n; ++i) {
        const BYTE* q = in + 3 * i;
        const Px p = q[0] | (Px{q[1]} << 8) | (Px{q[2]} << 16);
        out[i] = static_cast<BYTE>(answer(v, boxOf(p), localOf(p), p));
    }
}

void ColorMatcher::mapPx(const Px* in, int n, std::uint32_t* out) {
    if (n <= 0) return;
    if (table_.empty()) {
        std::fill(out, out + n, 0u);
        return;
    }
    const View v = view();
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        Lanes px;
        std::memcpy(&px, in + i, sizeof px);
        mapLanes(v, px, out + i);
    }
    for (; i < n; ++i)
        out[i] = answer(v, boxOf(in[i]), localOf(in[i]), in[i]);
}

std::shared_ptr<ColorMatcher> matcherFor(const Px* table, int count) {
    struct Entry {
        std::vector<Px> key;
        std::shared_ptr<ColorMatcher> matcher;
    };
    // Each matcher is a few megabytes when full: a handful covers the tables a program
    // alternates between.
    constexpr std::size_t kKept = 6;
    thread_local std::vector<Entry> cache;
    const auto n = static_cast<std::size_t>(std::clamp(count, 0, 256));
    for (std::size_t i = 0; i < cache.size(); ++i) {
        const std::vector<Px>& key = cache[i].key;
        if (key.size() == n && std::equal(key.begin(), key.end(), table)) {
            std::rotate(cache.begin(), cache.begin() + static_cast<std::ptrdiff_t>(i),
                        cache.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return cache[0].matcher;
        }
    }
    std::vector<Px> key(table, table + n);
    if (cache.size() >= kKept) {
        std::rotate(cache.begin(), cache.end() - 1, cache.end());
        Entry& e = cache[0];
        if (e.matcher.use_count() == 1) {
            // Nobody maps with the least recent matcher any more: it starts over for this
            // table. Its memory is already mapped, which saves a program that goes through
            // many tables (a palette per frame) the page faults of fresh megabytes each time.
            e.matcher->reset(key);
        } else {
            e.matcher = std::make_shared<ColorMatcher>(key);
        }
        e.key = std::move(key);
        return e.matcher;
    }
    auto matcher = std::make_shared<ColorMatcher>(key);
    cache.insert(cache.begin(), Entry{std::move(key), matcher});
    return matcher;
}

std::shared_ptr<ColorMatcher> matcherFor(const RGBQUAD* colors, int count) {
    std::array<Px, 256> key;
    const int n = std::clamp(count, 0, 256);
    for (int i = 0; i < n; ++i)
        key[static_cast<std::size_t>(i)] =
            (Px{colors[i].rgbRed} << 16) | (Px{colors[i].rgbGreen} << 8) | colors[i].rgbBlue;
    return matcherFor(key.data(), n);
}

} // namespace gdi

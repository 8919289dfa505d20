#include "platform/gdi/internal/Resample.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace gdi {
namespace {

constexpr int kWeightBits = 14;
constexpr std::uint32_t kOne = 1u << kWeightBits;
// The vertical sums (8-bit values times 14-bit weights) are brought down to 16 bits before
// the horizontal pass, so that pass fits 32 bits too.
constexpr int kMidShift = kWeightBits + 8 - 16;
constexpr int kOutShift = kWeightBits + 16 - 8;

} // namespace

AreaResampler::Taps AreaResampler::makeTaps(int srcLength, int destLength, bool mirror) {
    Taps t;
    t.first.resize(static_cast<std::size_t>(destLength));
    t.offset.resize(static_cast<std::size_t>(destLength));
    t.count.resize(static_cast<std::size_t>(destLength));
    // Positions in units of 1 / destLength source pixels: destination pixel i spans
    // [i * srcLength, (i + 1) * srcLength), source pixel k spans [k * destLength, ...).
    const std::int64_t S = srcLength, D = destLength;
    for (int n = 0; n < destLength; ++n) {
        int i = mirror ? destLength - 1 - n : n;
        std::int64_t start = i * S, end = (i + 1) * S;
        std::int64_t k0 = start / D, k1 = (end + D - 1) / D; // source pixels touched
        k1 = std::min<std::int64_t>(k1, S);
        t.first[n] = static_cast<std::int32_t>(k0);
        t.offset[n] = static_cast<std::int32_t>(t.weights.size());
        // Cumulative rounding makes the weights sum to exactly kOne.
        std::int64_t covered = 0;
        std::uint32_t given = 0;
        int count = 0;
        for (std::int64_t k = k0; k < k1; ++k) {
            std::int64_t a = std::max(start, k * D), b = std::min(end, (k + 1) * D);
            covered += b - a;
            auto upto = static_cast<std::uint32_t>((covered * kOne + S / 2) / S);
            t.weights.push_back(static_cast<std::uint16_t>(upto - given));
            given = upto;
            ++count;
        }
        t.count[n] = count;
    }
    return t;
}

AreaResampler::AreaResampler(const Surface& src, RECT srcRect, int destWidth, int destHeight,
                             bool mirrorX, bool mirrorY)
    : src_(src), rect_(srcRect) {
    h_ = makeTaps(srcRect.right - srcRect.left, destWidth, mirrorX);
    v_ = makeTaps(srcRect.bottom - srcRect.top, destHeight, mirrorY);
}

const BYTE* AreaResampler::sourceRow(int y, std::vector<BYTE>& scratch, int x0, int x1,
                                     int& channels) const {
    int sy = rect_.top + y;
    if (src_.bpp == 24) {
        channels = 3;
        return src_.row(sy) + 3 * (rect_.left + x0);
    }
    channels = 4;
    if (src_.plain32()) return src_.row(sy) + 4 * (rect_.left + x0);
    scratch.resize(static_cast<std::size_t>(x1 - x0) * 4);
    readPxRow(src_, sy, rect_.left + x0, x1 - x0, reinterpret_cast<Px*>(scratch.data()));
    return scratch.data();
}

namespace {

// acc[i] (+)= w * s[i] over n bytes.
void accumulate(std::uint32_t* __restrict acc, const BYTE* __restrict s, std::size_t n,
                std::uint32_t w, bool first) {
    if (first) {
        for (std::size_t i = 0; i < n; ++i)
            acc[i] = w * s[i];
    } else {
        for (std::size_t i = 0; i < n; ++i)
            acc[i] += w * s[i];
    }
}

template <int C>
void horizontal(const std::uint32_t* __restrict acc, int accBase, const std::int32_t* first,
                const std::int32_t* offset, const std::int32_t* count, const std::uint16_t* weights,
                int colFrom, int colTo, Px* __restrict out) {
    for (int n = colFrom; n < colTo; ++n) {
        const std::uint32_t* a = acc + (first[n] - accBase) * C;
        const std::uint16_t* w = weights + offset[n];
        std::uint32_t s0 = 1u << (kOutShift - 1), s1 = s0, s2 = s0;
        for (int k = 0, m = count[n]; k < m; ++k, a += C) {
            std::uint32_t wk = w[k];
            s0 += wk * (a[0] >> kMidShift);
            s1 += wk * (a[1] >> kMidShift);
            s2 += wk * (a[2] >> kMidShift);
        }
        out[n - colFrom] = ((s2 >> kOutShift) << 16) | ((s1 >> kOutShift) << 8) | (s0 >> kOutShift);
    }
}

} // namespace

void AreaResampler::run(int colFrom, int colTo, int rowFrom, int rowTo,
                        const std::function<void(int, const Px*)>& sink) const {
    if (colFrom >= colTo || rowFrom >= rowTo) return;
    // The source columns the requested destination columns read.
    int x0 = std::numeric_limits<int>::max(), x1 = 0;
    for (int n = colFrom; n < colTo; ++n) {
        x0 = std::min(x0, h_.first[n]);
        x1 = std::max(x1, h_.first[n] + h_.count[n]);
    }
    const int span = x1 - x0;
    std::vector<std::uint32_t> acc(static_cast<std::size_t>(span) * 4);
    std::vector<Px> out(static_cast<std::size_t>(colTo - colFrom));
    std::vector<BYTE> scratch;
    for (int row = rowFrom; row < rowTo; ++row) {
        int channels = 3;
        const std::uint16_t* w = v_.weights.data() + v_.offset[row];
        for (int k = 0; k < v_.count[row]; ++k) {
            const BYTE* s = sourceRow(v_.first[row] + k, scratch, x0, x1, channels);
            accumulate(acc.data(), s, static_cast<std::size_t>(span) * channels, w[k], k == 0);
        }
        if (channels == 3)
            horizontal<3>(acc.data(), x0, h_.first.data(), h_.offset.data(), h_.count.data(),
                          h_.weights.data(), colFrom, colTo, out.data());
        else
            horizontal<4>(acc.data(), x0, h_.first.data(), h_.offset.data(), h_.count.data(),
                          h_.weights.data(), colFrom, colTo, out.data());
        sink(row, out.data());
    }
}

} // namespace gdi

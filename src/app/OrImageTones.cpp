#include "app/OrImageTones.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The nearest whole number, halves to the even neighbour (the default rounding mode).
int RoundHalfEven(double v) {
    return int(std::nearbyint(v));
}

// round(c / p) * p with halves to even, in whole numbers so that 32 / 64 is exactly a half.
std::int64_t Posterized(int c, int p) {
    std::int64_t q = c / p;
    const std::int64_t twice = 2 * std::int64_t(c % p);
    if (twice > p || (twice == p && (q & 1))) ++q;
    return q * p;
}

// c + noise-free terms + brightness for a channel value c (already solarized or posterized).
std::int64_t ToneSum(std::int64_t c, const ToneSettings& s) {
    std::int64_t contrast = 0;
    if (s.contrast != 0) {
        contrast = std::int64_t(s.contrast) * (c > 127 ? c - 127 : 127 - c) / 255;
        if (c <= 127) contrast = -contrast;
    }
    const std::int64_t lightness = std::int64_t(s.lightness) * (255 - c) / 255;
    const std::int64_t darkness = -(c * s.darkness) / 255;
    return c + contrast + lightness + darkness + s.brightness;
}

// 0.3 R + 0.59 G + 0.11 B rounded, halves to even, computed exactly in hundredths.
inline int Gray(int r, int g, int b) {
    const int hundredths = 30 * r + 59 * g + 11 * b;
    int q = hundredths / 100;
    const int rest = hundredths % 100;
    if (rest > 50 || (rest == 50 && (q & 1))) ++q;
    return q;
}

// target := ClampByte(source + shift) for count bytes. Fixed-size blocks with no carried
// state, so the inner loops become vector instructions; the rest goes through the table.
void ShiftBytes(const Byte* source, Byte* target, int count, int shift, const Byte* table) {
    constexpr int kBlock = 32;
    const Byte amount = Byte(shift < 0 ? -shift : shift);
    int i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        Byte block[kBlock];
        if (shift >= 0) {
            for (int k = 0; k < kBlock; ++k) {
                const Byte c = source[i + k];
                const Byte s = Byte(c + amount);
                block[k] = s < c ? Byte(255) : s;
            }
        } else {
            for (int k = 0; k < kBlock; ++k) {
                const Byte c = source[i + k];
                const Byte s = Byte(c - amount);
                block[k] = s > c ? Byte(0) : s;
            }
        }
        for (int k = 0; k < kBlock; ++k)
            target[i + k] = block[k];
    }
    for (; i < count; ++i)
        target[i] = table[source[i]];
}

} // namespace

ToneTables::ToneTables(const ToneSettings& s) {
    std::array<Byte, 256> split{};
    for (int v = 0; v < 256; ++v) {
        int x = v;
        for (int i = 0; i < s.splitlight; ++i)
            x = RoundHalfEven(std::sin(x / 255.0 * std::numbers::pi / 2) * 255);
        split[v] = Byte(x);
    }
    for (int i = 0; i < 768; ++i)
        clampSplit_[i] = split[ClampByte(i - 256)];

    for (int c = 0; c < 256; ++c) {
        const std::int64_t first = s.posterize != 0 ? Posterized(c, s.posterize) : c;
        const std::int64_t sum = ToneSum(first, s);
        const std::int64_t sumInverted = ToneSum(255 - c, s);
        sumPlain_[c] = std::int16_t(std::clamp<std::int64_t>(sum, -256, 256));
        sumSolarized_[c] = std::int16_t(std::clamp<std::int64_t>(sumInverted, -256, 256));
        plain_[c] = split[ClampByte(sum)];
        solarized_[c] = split[ClampByte(sumInverted)];
        direct_[c] = s.invert ? Byte(255 - plain_[c]) : plain_[c];
    }
    shiftOnly_ = true;
    for (int c = 0; c < 256; ++c)
        if (direct_[c] != ClampByte(c + s.brightness)) shiftOnly_ = false;
    shift_ = s.brightness;
    solarize_ = s.posterize == 0 && s.solarize != 0;
    solarizeAbove_ = 255 - s.solarize;
    grayScale_ = s.grayScale;
    // A factor of 255 (saturation 0) leaves every colour as it is.
    const std::int64_t factor = std::int64_t(s.saturation) + 255;
    saturate_ = factor != 255;
    for (int d = -255; d <= 255; ++d)
        saturated_[size_t(d + 255)] =
            std::int16_t(std::clamp<std::int64_t>(d * factor / 255, -256, 256));
    invert_ = s.invert;
}

void ToneTables::ApplyRow(const Byte* source, const Byte* noise, Byte* target, int width) const {
    const bool mixes = grayScale_ || saturate_;
    if (!noise && !solarize_ && !mixes) {
        const Byte* table = direct_.data();
        const int bytes = width * 3;
        if (shiftOnly_) {
            ShiftBytes(source, target, bytes, shift_, table);
            return;
        }
        for (int i = 0; i < bytes; ++i)
            target[i] = table[source[i]];
        return;
    }
    for (int x = 0; x < width; ++x) {
        const Byte* p = source + 3 * x;
        const bool inverted = solarize_ && (int(p[0]) + int(p[1]) + int(p[2])) / 3 > solarizeAbove_;
        int c[3];
        if (noise) {
            const std::int16_t* sums = inverted ? sumSolarized_.data() : sumPlain_.data();
            const Byte* n = noise + 3 * x;
            for (int k = 0; k < 3; ++k)
                c[k] = clampSplit_[sums[p[k]] + n[k] + 256];
        } else {
            const Byte* table = inverted ? solarized_.data() : plain_.data();
            for (int k = 0; k < 3; ++k)
                c[k] = table[p[k]];
        }
        if (grayScale_) {
            const int g = Gray(c[2], c[1], c[0]);
            c[0] = c[1] = c[2] = g;
        } else if (saturate_) {
            const int a = (c[0] + c[1] + c[2]) / 3;
            for (int k = 0; k < 3; ++k)
                c[k] = ClampByte(saturated_[size_t(c[k] - a + 255)] + a);
        }
        Byte* out = target + 3 * x;
        for (int k = 0; k < 3; ++k)
            out[k] = Byte(invert_ ? 255 - c[k] : c[k]);
    }
}

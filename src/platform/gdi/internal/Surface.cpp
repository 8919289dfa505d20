#include "platform/gdi/internal/Surface.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

namespace gdi {

std::uint32_t Surface::nativeMask() const {
    switch (bpp) {
    case 1:
        return 1;
    case 4:
        return 0xF;
    case 8:
        return 0xFF;
    case 16:
        return masks.red | masks.green | masks.blue;
    case 24:
        return 0xFFFFFF;
    default:
        return plain32() ? 0xFFFFFF : (masks.red | masks.green | masks.blue);
    }
}

std::size_t rowBytes(std::int64_t width, int bpp, int align) {
    if (width < 0 || bpp <= 0 || align <= 0) return 0;
    std::int64_t bits = width * bpp;
    if (bits / bpp != width) return 0;
    std::int64_t bytes = (bits + 8 * align - 1) / (8 * align) * align;
    if (bytes > std::numeric_limits<std::int32_t>::max()) return 0;
    return static_cast<std::size_t>(bytes);
}

void unpackRow(const Surface& s, int y, int x, int n, std::uint32_t* out) {
    const BYTE* r = s.row(y);
    switch (s.bpp) {
    case 1:
        for (int i = 0; i < n; ++i) {
            int px = x + i;
            out[i] = (r[px >> 3] >> (7 - (px & 7))) & 1;
        }
        break;
    case 4:
        for (int i = 0; i < n; ++i) {
            int px = x + i;
            out[i] = (px & 1) ? (r[px >> 1] & 0xF) : (r[px >> 1] >> 4);
        }
        break;
    case 8:
        for (int i = 0; i < n; ++i)
            out[i] = r[x + i];
        break;
    case 16: {
        const BYTE* p = r + 2 * x;
        for (int i = 0; i < n; ++i, p += 2)
            out[i] = p[0] | (p[1] << 8);
        break;
    }
    case 24: {
        const BYTE* p = r + 3 * x;
        for (int i = 0; i < n; ++i, p += 3)
            out[i] = p[0] | (p[1] << 8) | (p[2] << 16);
        break;
    }
    default:
        std::memcpy(out, r + 4 * x, 4 * static_cast<std::size_t>(n));
        break;
    }
}

void packRow(const Surface& s, int y, int x, int n, const std::uint32_t* in) {
    BYTE* r = s.row(y);
    switch (s.bpp) {
    case 1:
        for (int i = 0; i < n; ++i) {
            int px = x + i;
            BYTE bit = static_cast<BYTE>(0x80 >> (px & 7));
            if (in[i] & 1)
                r[px >> 3] |= bit;
            else
                r[px >> 3] &= static_cast<BYTE>(~bit);
        }
        break;
    case 4:
        for (int i = 0; i < n; ++i) {
            int px = x + i;
            BYTE& b = r[px >> 1];
            if (px & 1)
                b = static_cast<BYTE>((b & 0xF0) | (in[i] & 0xF));
            else
                b = static_cast<BYTE>((b & 0x0F) | ((in[i] & 0xF) << 4));
        }
        break;
    case 8:
        for (int i = 0; i < n; ++i)
            r[x + i] = static_cast<BYTE>(in[i]);
        break;
    case 16: {
        BYTE* p = r + 2 * x;
        for (int i = 0; i < n; ++i, p += 2) {
            p[0] = static_cast<BYTE>(in[i]);
            p[1] = static_cast<BYTE>(in[i] >> 8);
        }
        break;
    }
    case 24: {
        BYTE* p = r + 3 * x;
        for (int i = 0; i < n; ++i, p += 3) {
            p[0] = static_cast<BYTE>(in[i]);
            p[1] = static_cast<BYTE>(in[i] >> 8);
            p[2] = static_cast<BYTE>(in[i] >> 16);
        }
        break;
    }
    default:
        std::memcpy(r + 4 * x, in, 4 * static_cast<std::size_t>(n));
        break;
    }
}

namespace {

// Widens a channel of `bits` bits to 8 bits by repeating its high bits.
inline std::uint32_t widen(std::uint32_t c, int bits) {
    if (bits >= 8) return c >> (bits - 8);
    if (bits <= 0) return 0;
    std::uint32_t v = c << (8 - bits);
    for (int have = bits; have < 8; have += bits)
        v |= v >> bits;
    return v & 0xFF;
}

inline void maskShape(DWORD mask, int& shift, int& bits) {
    if (mask == 0) {
        shift = 0;
        bits = 0;
        return;
    }
    shift = std::countr_zero(mask);
    bits = std::popcount(mask);
}

Px maskedToPx(const Masks& m, std::uint32_t v) {
    int sh, bits;
    maskShape(m.red, sh, bits);
    std::uint32_t r = widen((v & m.red) >> sh, bits);
    maskShape(m.green, sh, bits);
    std::uint32_t g = widen((v & m.green) >> sh, bits);
    maskShape(m.blue, sh, bits);
    std::uint32_t b = widen((v & m.blue) >> sh, bits);
    return (r << 16) | (g << 8) | b;
}

} // namespace

Px nativeToPx(const Surface& s, std::uint32_t v) {
    if (s.mono) return (v & 1) ? 0xFFFFFF : 0;
    if (s.bpp <= 8) {
        if (static_cast<int>(v) < s.colorCount) return pxFromQuad(s.colors[v]);
        return 0;
    }
    if (s.bpp == 24 || s.plain32()) return v & 0xFFFFFF;
    if (s.bpp == 16 && s.masks == kMasks555) {
        std::uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return (((r << 3) | (r >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) | ((b << 3) | (b >> 2));
    }
    return maskedToPx(s.masks, v);
}

void readPxRow(const Surface& s, int y, int x, int n, Px* out) {
    const BYTE* r = s.row(y);
    if (s.plain32()) {
        const BYTE* p = r + 4 * x;
        for (int i = 0; i < n; ++i, p += 4)
            out[i] = p[0] | (p[1] << 8) | (p[2] << 16);
        return;
    }
    if (s.bpp == 24) {
        const BYTE* p = r + 3 * x;
        for (int i = 0; i < n; ++i, p += 3)
            out[i] = p[0] | (p[1] << 8) | (p[2] << 16);
        return;
    }
    if (s.bpp == 8 && !s.mono) {
        std::array<Px, 256> lut{};
        for (int i = 0; i < std::min(s.colorCount, 256); ++i)
            lut[i] = pxFromQuad(s.colors[i]);
        const BYTE* p = r + x;
        for (int i = 0; i < n; ++i)
            out[i] = lut[p[i]];
        return;
    }
    unpackRow(s, y, x, n, out);
    for (int i = 0; i < n; ++i)
        out[i] = nativeToPx(s, out[i]);
}

// ---- encoding ----

Encoder::Encoder(const Surface& s) : s_(s) {
    if (s.paletted()) {
        matcher_ = matcherFor(s.colors, s.colorCount);
    } else if (s.bpp == 16 || (s.bpp == 32 && !s.plain32())) {
        maskShape(s.masks.red, shift_[0], bits_[0]);
        maskShape(s.masks.green, shift_[1], bits_[1]);
        maskShape(s.masks.blue, shift_[2], bits_[2]);
    }
}

std::uint32_t Encoder::operator()(Px p) {
    if (s_.mono) {
        int sum = static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
        return sum >= 383 ? 1 : 0;
    }
    if (matcher_) return static_cast<std::uint32_t>(matcher_->nearest(p));
    if (s_.bpp == 24 || s_.plain32()) return p & 0xFFFFFF;
    std::uint32_t ch[3] = {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF};
    std::uint32_t v = 0;
    for (int c = 0; c < 3; ++c) {
        if (bits_[c] == 0) continue;
        std::uint32_t x = bits_[c] >= 8 ? ch[c] << (bits_[c] - 8) : ch[c] >> (8 - bits_[c]);
        v |= x << shift_[c];
    }
    return v;
}

void Encoder::encodeRow(const Px* in, int n, std::uint32_t* out) {
    if (s_.bpp == 24 || s_.plain32()) {
        for (int i = 0; i < n; ++i)
            out[i] = in[i] & 0xFFFFFF;
        return;
    }
    if (matcher_) {
        matcher_->mapPx(in, n, out);
        return;
    }
    for (int i = 0; i < n; ++i)
        out[i] = (*this)(in[i]);
}

void writePxRow(const Surface& s, Encoder& encoder, int y, int x, int n, const Px* in) {
    BYTE* r = s.row(y);
    if (s.plain32()) {
        BYTE* p = r + 4 * x;
        for (int i = 0; i < n; ++i, p += 4) {
            p[0] = static_cast<BYTE>(in[i]);
            p[1] = static_cast<BYTE>(in[i] >> 8);
            p[2] = static_cast<BYTE>(in[i] >> 16);
            p[3] = 0;
        }
        return;
    }
    if (s.bpp == 24) {
        BYTE* p = r + 3 * x;
        for (int i = 0; i < n; ++i, p += 3) {
            p[0] = static_cast<BYTE>(in[i]);
            p[1] = static_cast<BYTE>(in[i] >> 8);
            p[2] = static_cast<BYTE>(in[i] >> 16);
        }
        return;
    }
    constexpr int kChunk = 256;
    std::uint32_t native[kChunk];
    for (int done = 0; done < n; done += kChunk) {
        int m = std::min(kChunk, n - done);
        encoder.encodeRow(in + done, m, native);
        packRow(s, y, x + done, m, native);
    }
}

// ---- standard tables ----

namespace {

RGBQUAD q(int r, int g, int b) {
    return RGBQUAD{static_cast<BYTE>(b), static_cast<BYTE>(g), static_cast<BYTE>(r), 0};
}

std::vector<RGBQUAD> makeStock20() {
    return {q(0, 0, 0),       q(128, 0, 0),     q(0, 128, 0),     q(128, 128, 0),
            q(0, 0, 128),     q(128, 0, 128),   q(0, 128, 128),   q(192, 192, 192),
            q(192, 220, 192), q(166, 202, 240), q(255, 251, 240), q(160, 160, 164),
            q(128, 128, 128), q(255, 0, 0),     q(0, 255, 0),     q(255, 255, 0),
            q(0, 0, 255),     q(255, 0, 255),   q(0, 255, 255),   q(255, 255, 255)};
}

std::vector<RGBQUAD> makeHalftone() {
    const auto& s = stock20();
    std::vector<RGBQUAD> t(s.begin(), s.begin() + 10);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                t.push_back(q(51 * r, 51 * g, 51 * b));
    // Greys between the cube's steps of 51.
    for (int i = 1; i <= 20; ++i) {
        int v = (i * 255 + 10) / 21;
        if (v % 51 == 0) ++v;
        t.push_back(q(v, v, v));
    }
    t.insert(t.end(), s.begin() + 10, s.end());
    return t;
}

} // namespace

const std::vector<RGBQUAD>& stock20() {
    static const std::vector<RGBQUAD> t = makeStock20();
    return t;
}

const std::vector<RGBQUAD>& standardTable(int bpp) {
    static const std::vector<RGBQUAD> bw = {q(0, 0, 0), q(255, 255, 255)};
    static const std::vector<RGBQUAD> vga = {
        q(0, 0, 0),       q(128, 0, 0),   q(0, 128, 0),   q(128, 128, 0),
        q(0, 0, 128),     q(128, 0, 128), q(0, 128, 128), q(192, 192, 192),
        q(128, 128, 128), q(255, 0, 0),   q(0, 255, 0),   q(255, 255, 0),
        q(0, 0, 255),     q(255, 0, 255), q(0, 255, 255), q(255, 255, 255)};
    static const std::vector<RGBQUAD> halftone = makeHalftone();
    if (bpp == 1) return bw;
    if (bpp == 4) return vga;
    return halftone;
}

} // namespace gdi

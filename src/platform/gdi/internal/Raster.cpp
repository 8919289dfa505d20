#include "platform/gdi/internal/Raster.h"

#include "platform/gdi/Draw.h"
#include "platform/gdi/internal/Objects.h"

#include <algorithm>
#include <cstring>

namespace gdi {

std::uint8_t ropFromRop2(int rop2) {
    int t = (std::clamp(rop2, 1, 16) - 1) & 0xF;
    std::uint8_t r = 0;
    for (int p = 0; p < 2; ++p)
        for (int s = 0; s < 2; ++s)
            for (int d = 0; d < 2; ++d)
                if ((t >> (p * 2 + d)) & 1)
                    r |= static_cast<std::uint8_t>(1 << (p * 4 + s * 2 + d));
    return r;
}

void Pattern::rowValues(int x, int y, std::uint32_t out[8], std::uint8_t& maskBits) const {
    int row = ((y - originY) % 8 + 8) % 8;
    int col = ((x - originX) % 8 + 8) % 8;
    maskBits = 0;
    for (int i = 0; i < 8; ++i) {
        int c = (col + i) & 7;
        out[i] = solid ? value : values[row * 8 + c];
        if ((mask >> (row * 8 + c)) & 1) maskBits |= static_cast<std::uint8_t>(1 << i);
    }
}

namespace {

// 8x8 hatch masks, row-major, bit (row * 8 + col).
std::uint64_t hatchMask(int hatch) {
    std::uint64_t m = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool on = false;
            switch (hatch) {
            case HS_HORIZONTAL:
                on = y == 4;
                break;
            case HS_VERTICAL:
                on = x == 4;
                break;
            case HS_FDIAGONAL:
                on = x == y;
                break;
            case HS_BDIAGONAL:
                on = x + y == 7;
                break;
            case HS_CROSS:
                on = x == 4 || y == 4;
                break;
            case HS_DIAGCROSS:
                on = x == y || x + y == 7;
                break;
            default:
                break;
            }
            if (on) m |= std::uint64_t{1} << (y * 8 + x);
        }
    return m;
}

} // namespace

Pattern makePattern(const BrushObj& brush, const Surface& dest, Encoder& encoder, Px text, Px bk,
                    bool opaque, POINT origin) {
    Pattern p;
    p.originX = origin.x;
    p.originY = origin.y;
    switch (brush.style) {
    case BS_NULL:
        p.none = true;
        break;
    case BS_HATCHED: {
        p.solid = false;
        std::uint64_t on = hatchMask(brush.hatch);
        std::uint32_t fg = encoder(pxFromColorref(brush.color)), bg = encoder(bk);
        for (int i = 0; i < 64; ++i)
            p.values[i] = ((on >> i) & 1) ? fg : bg;
        if (!opaque) p.mask = on;
        break;
    }
    case BS_PATTERN: {
        p.solid = false;
        std::uint32_t t = encoder(text), b = encoder(bk);
        for (int i = 0; i < 64; ++i)
            p.values[i] =
                brush.monoPattern ? (brush.pattern[i] ? b : t) : encoder(brush.pattern[i]);
        break;
    }
    default:
        p.value = encoder(pxFromColorref(brush.color));
        break;
    }
    (void)dest;
    return p;
}

namespace {

constexpr int kChunk = 256;

inline std::uint32_t evalGeneric(std::uint8_t rop, std::uint32_t p, std::uint32_t s,
                                 std::uint32_t d) {
    std::uint32_t r = 0;
    for (int i = 0; i < 8; ++i) {
        if (!((rop >> i) & 1)) continue;
        std::uint32_t term = ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
        r |= term;
    }
    return r;
}

template <class F>
void combine(int n, const std::uint32_t* p, const std::uint32_t* s, std::uint32_t* d, F f) {
    for (int i = 0; i < n; ++i)
        d[i] = f(p[i], s[i], d[i]);
}

// The lambdas name the pattern, source and destination pixels p, s and d.
void apply(std::uint8_t rop, int n, const std::uint32_t* pat, const std::uint32_t* src,
           std::uint32_t* dst) {
    using U = std::uint32_t;
    switch (rop) {
    case 0xCC:
        std::memcpy(dst, src, 4 * static_cast<std::size_t>(n));
        break;
    case 0xEE:
        combine(n, pat, src, dst, [](U, U s, U d) { return s | d; });
        break;
    case 0x88:
        combine(n, pat, src, dst, [](U, U s, U d) { return s & d; });
        break;
    case 0x66:
        combine(n, pat, src, dst, [](U, U s, U d) { return s ^ d; });
        break;
    case 0x44:
        combine(n, pat, src, dst, [](U, U s, U d) { return s & ~d; });
        break;
    case 0x33:
        combine(n, pat, src, dst, [](U, U s, U) { return ~s; });
        break;
    case 0x11:
        combine(n, pat, src, dst, [](U, U s, U d) { return ~(s | d); });
        break;
    case 0xC0:
        combine(n, pat, src, dst, [](U p, U s, U) { return p & s; });
        break;
    case 0xBB:
        combine(n, pat, src, dst, [](U, U s, U d) { return ~s | d; });
        break;
    case 0xF0:
        std::memcpy(dst, pat, 4 * static_cast<std::size_t>(n));
        break;
    case 0xFB:
        combine(n, pat, src, dst, [](U p, U s, U d) { return p | ~s | d; });
        break;
    case 0x5A:
        combine(n, pat, src, dst, [](U p, U, U d) { return p ^ d; });
        break;
    case 0x55:
        combine(n, pat, src, dst, [](U, U, U d) { return ~d; });
        break;
    case 0xAA:
        break;
    case 0x00:
        std::fill(dst, dst + n, 0u);
        break;
    case 0xFF:
        std::fill(dst, dst + n, ~0u);
        break;
    default:
        for (int i = 0; i < n; ++i)
            dst[i] = evalGeneric(rop, pat[i], src[i], dst[i]);
        break;
    }
}

void fillPattern(const Pattern& pat, int x, int y, int n, std::uint32_t* out, std::uint64_t* mask) {
    std::uint32_t vals[8];
    std::uint8_t bits;
    pat.rowValues(x, y, vals, bits);
    for (int i = 0; i < n; ++i)
        out[i] = vals[i & 7];
    if (mask) {
        // Repeat the 8 mask bits over the chunk, one 64-bit word per 64 pixels.
        std::uint64_t word = 0;
        for (int i = 0; i < 8; ++i)
            word |= std::uint64_t{bits} << (8 * i);
        for (int i = 0; i < (n + 63) / 64; ++i)
            mask[i] = word;
    }
}

// Fast fills of a solid native value.
bool fastFill(const Surface& s, int y, int x, int n, std::uint32_t v) {
    BYTE* r = s.row(y);
    if (s.bpp == 32) {
        std::uint32_t* p = reinterpret_cast<std::uint32_t*>(r) + x;
        std::fill(p, p + n, v);
        return true;
    }
    if (s.bpp == 8) {
        std::memset(r + x, static_cast<int>(v & 0xFF), static_cast<std::size_t>(n));
        return true;
    }
    if (s.bpp == 24) {
        BYTE* p = r + 3 * x;
        BYTE b0 = static_cast<BYTE>(v), b1 = static_cast<BYTE>(v >> 8),
             b2 = static_cast<BYTE>(v >> 16);
        for (int i = 0; i < n; ++i, p += 3) {
            p[0] = b0;
            p[1] = b1;
            p[2] = b2;
        }
        return true;
    }
    return false;
}

} // namespace

void ropSpan(const Surface& dest, int y, int x, int n, const std::uint32_t* src, const Pattern* pat,
             std::uint8_t rop) {
    if (n <= 0 || rop == 0xAA) return;
    bool usesP = ropUsesPattern(rop), usesS = ropUsesSource(rop), usesD = ropUsesDest(rop);
    if (usesP && (!pat || pat->none)) return;
    bool masked = usesP && pat->mask != ~std::uint64_t{0};
    std::uint32_t m = dest.nativeMask();
    // The common cases straight to memory.
    if (!masked && !usesD) {
        if (rop == 0xF0 && pat->solid && fastFill(dest, y, x, n, pat->value & m)) return;
        if (rop == 0x00 && fastFill(dest, y, x, n, 0)) return;
        if (rop == 0xFF && fastFill(dest, y, x, n, m)) return;
        if (rop == 0xCC && src) {
            if (dest.bpp == 32) {
                std::memcpy(dest.row(y) + 4 * x, src, 4 * static_cast<std::size_t>(n));
                return;
            }
            if (dest.bpp >= 8) {
                packRow(dest, y, x, n, src);
                return;
            }
        }
    }
    std::uint32_t pbuf[kChunk], dbuf[kChunk], sbuf[kChunk], keep[kChunk];
    std::uint64_t mbits[kChunk / 64];
    static const std::uint32_t zeros[kChunk] = {};
    for (int done = 0; done < n; done += kChunk) {
        int c = std::min(kChunk, n - done);
        const std::uint32_t* p = zeros;
        const std::uint32_t* s = zeros;
        if (usesP) {
            fillPattern(*pat, x + done, y, c, pbuf, masked ? mbits : nullptr);
            p = pbuf;
        }
        if (usesS && src) s = src + done;
        if (usesD || masked || dest.bpp < 8) unpackRow(dest, y, x + done, c, dbuf);
        if (masked) std::memcpy(keep, dbuf, 4 * static_cast<std::size_t>(c));
        if (s == zeros && usesS) {
            std::memset(sbuf, 0, sizeof sbuf);
            s = sbuf;
        }
        apply(rop, c, p, s, dbuf);
        for (int i = 0; i < c; ++i)
            dbuf[i] &= m;
        if (masked)
            for (int i = 0; i < c; ++i)
                if (!((mbits[i >> 6] >> (i & 63)) & 1)) dbuf[i] = keep[i];
        packRow(dest, y, x + done, c, dbuf);
    }
}

void ropSpanMasked(const Surface& dest, int y, int x, int n, const std::uint32_t* src,
                   const Pattern* pat, const std::uint8_t* maskBits, std::uint8_t fore,
                   std::uint8_t back) {
    if (n <= 0) return;
    std::uint32_t pbuf[kChunk], fbuf[kChunk], bbuf[kChunk];
    static const std::uint32_t zeros[kChunk] = {};
    std::uint32_t m = dest.nativeMask();
    bool needP = ropUsesPattern(fore) || ropUsesPattern(back);
    if (needP && (!pat || pat->none)) return;
    for (int done = 0; done < n; done += kChunk) {
        int c = std::min(kChunk, n - done);
        const std::uint32_t* p = zeros;
        if (needP) {
            fillPattern(*pat, x + done, y, c, pbuf, nullptr);
            p = pbuf;
        }
        const std::uint32_t* s = src ? src + done : zeros;
        unpackRow(dest, y, x + done, c, fbuf);
        std::memcpy(bbuf, fbuf, 4 * static_cast<std::size_t>(c));
        apply(fore, c, p, s, fbuf);
        apply(back, c, p, s, bbuf);
        for (int i = 0; i < c; ++i) {
            int bit = done + i;
            bool on = (maskBits[bit >> 3] >> (7 - (bit & 7))) & 1;
            fbuf[i] = (on ? fbuf[i] : bbuf[i]) & m;
        }
        packRow(dest, y, x + done, c, fbuf);
    }
}

// ---- source conversion ----

namespace {

bool sameFormat(const Surface& a, const Surface& b) {
    if (a.bpp != b.bpp || a.mono != b.mono) return false;
    if (a.mono) return true;
    if (a.bpp <= 8) {
        if (a.colorCount != b.colorCount) return false;
        for (int i = 0; i < a.colorCount; ++i)
            if (pxFromQuad(a.colors[i]) != pxFromQuad(b.colors[i])) return false;
        return true;
    }
    return a.masks == b.masks;
}

} // namespace

SourceConverter::SourceConverter(const Surface& src, Px srcBk, const Surface& dest, Px destText,
                                 Px destBk)
    : src_(src), dest_(dest), srcBk_(srcBk), encoder_(dest_) {
    if (sameFormat(src, dest)) {
        mode_ = Mode::Raw;
    } else if (src.mono) {
        mode_ = Mode::MonoToColor;
        if (dest.mono) {
            lut_[0] = 0;
            lut_[1] = 1;
        } else {
            lut_[0] = encoder_(destText);
            lut_[1] = encoder_(destBk);
        }
    } else if (dest.mono) {
        mode_ = Mode::ColorToMono;
    } else if (src.bpp <= 8) {
        mode_ = Mode::Lut;
        for (int i = 0; i < (1 << src.bpp); ++i)
            lut_[i] = encoder_(i < src.colorCount ? pxFromQuad(src.colors[i]) : 0);
    } else {
        mode_ = Mode::Encode;
    }
}

void SourceConverter::row(int y, int x, int n, std::uint32_t* out) {
    switch (mode_) {
    case Mode::Raw:
        unpackRow(src_, y, x, n, out);
        return;
    case Mode::MonoToColor:
    case Mode::Lut:
        unpackRow(src_, y, x, n, out);
        for (int i = 0; i < n; ++i)
            out[i] = lut_[out[i] & 0xFF];
        return;
    case Mode::ColorToMono:
        tmp_.resize(static_cast<std::size_t>(n));
        readPxRow(src_, y, x, n, tmp_.data());
        for (int i = 0; i < n; ++i)
            out[i] = tmp_[i] == srcBk_ ? 1 : 0;
        return;
    case Mode::Encode:
        tmp_.resize(static_cast<std::size_t>(n));
        readPxRow(src_, y, x, n, tmp_.data());
        encoder_.encodeRow(tmp_.data(), n, out);
        return;
    }
}

void PxToNative::convert(const Px* in, int n, std::uint32_t* out) {
    if (dest_.mono) {
        for (int i = 0; i < n; ++i)
            out[i] = in[i] == bk_ ? 1 : 0;
        return;
    }
    encoder_.encodeRow(in, n, out);
}

} // namespace gdi

#include "platform/gdi/Blit.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/internal/Dib.h"
#include "platform/gdi/internal/Raster.h"
#include "platform/gdi/internal/Resample.h"
#include "platform/gdi/internal/Target.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>

using namespace gdi;

namespace {

struct Source {
    Surface surface;
    Px bk = 0xFFFFFF;
    const BitmapObj* bitmap = nullptr; // to notice a blit within one bitmap
};

struct Colors {
    Px text, bk;
};

Colors destColors(const DcObj& dc) {
    return Colors{colorPx(dc, dc.state.textColor), colorPx(dc, dc.state.bkColor)};
}

std::optional<Pattern> brushPattern(Target& t) {
    auto brush = find<BrushObj>(t.dc->state.brush);
    if (!brush) return std::nullopt;
    Encoder enc(t.surface);
    Colors c = destColors(*t.dc);
    POINT origin{t.dc->state.brushOrg.x + t.dc->deviceOrigin.x,
                 t.dc->state.brushOrg.y + t.dc->deviceOrigin.y};
    return makePattern(*brush, t.surface, enc, c.text, c.bk, t.dc->state.bkMode == OPAQUE, origin);
}

RECT intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.left >= r.right || r.top >= r.bottom) return RECT{};
    return r;
}

bool isEmpty(const RECT& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

template <class Fn> void forRows(const RegionData& clip, const RECT& r, bool bottomUp, Fn&& fn) {
    for (int i = 0, n = r.bottom - r.top; i < n; ++i) {
        int y = bottomUp ? r.bottom - 1 - i : r.top + i;
        clip.forSpans(y, r.left, r.right, [&](int a, int b) { fn(y, a, b); });
    }
}

bool sameRawFormat(const Surface& a, const Surface& b) {
    if (a.bpp != b.bpp || a.mono || b.mono || a.bpp < 8) return false;
    if (a.bpp == 8) {
        if (a.colorCount != b.colorCount) return false;
        for (int i = 0; i < a.colorCount; ++i)
            if (pxFromQuad(a.colors[i]) != pxFromQuad(b.colors[i])) return false;
        return true;
    }
    return a.masks == b.masks;
}

// Same-size transfer; (x, y) and (sx, sy) are device coordinates.
void copyBlit(Target& t, RECT dest, Source& src, int sx, int sy, std::uint8_t rop,
              const Pattern* pat) {
    // Only where the source has pixels.
    RECT srcOnDest{dest.left - sx, dest.top - sy, src.surface.width + dest.left - sx,
                   src.surface.height + dest.top - sy};
    RECT r = intersect(intersect(dest, srcOnDest), t.clip->bounds());
    if (isEmpty(r)) return;
    int shiftX = sx - dest.left, shiftY = sy - dest.top;
    bool within = src.bitmap == t.bitmap.get();
    bool bottomUp = within && shiftY < 0;
    if (rop == 0xCC && sameRawFormat(src.surface, t.surface)) {
        int bytes = t.surface.bpp / 8;
        forRows(*t.clip, r, bottomUp, [&](int y, int a, int b) {
            std::memmove(t.surface.row(y) + a * bytes,
                         src.surface.row(y + shiftY) + (a + shiftX) * bytes,
                         static_cast<std::size_t>(b - a) * bytes);
        });
        return;
    }
    if (rop == 0xCC && !within && src.surface.bpp >= 8 && !src.surface.mono && !t.surface.mono) {
        // A plain copy between colour formats: the row converters' fast paths, through a
        // view of the source shifted onto the destination's columns (whole bytes per pixel).
        Surface view = src.surface;
        view.top = src.surface.top + shiftY * src.surface.pitch +
                   static_cast<std::ptrdiff_t>(shiftX) * (src.surface.bpp / 8);
        RowConverter convert(view, t.surface);
        forRows(*t.clip, r, false, [&](int y, int a, int b) { convert(y, y, a, b - a); });
        return;
    }
    Colors c = destColors(*t.dc);
    SourceConverter conv(src.surface, src.bk, t.surface, c.text, c.bk);
    std::vector<std::uint32_t> buf(static_cast<std::size_t>(r.right - r.left));
    forRows(*t.clip, r, bottomUp, [&](int y, int a, int b) {
        conv.row(y + shiftY, a + shiftX, b - a, buf.data());
        ropSpan(t.surface, y, a, b - a, buf.data(), pat, rop);
    });
}

// Column (or row) of the source each destination pixel in [from, to) takes (indices from the
// start of the destination), nearest neighbour; m[0] belongs to index from.
std::vector<int> nearestMap(int srcStart, int srcLength, int destLength, bool mirror, int limit,
                            int from, int to) {
    std::vector<int> m(static_cast<std::size_t>(std::max(0, to - from)));
    for (int i = from; i < to; ++i) {
        std::int64_t k =
            (2 * static_cast<std::int64_t>(i) + 1) * srcLength / (2 * std::int64_t{destLength});
        if (mirror) k = srcLength - 1 - k;
        m[i - from] =
            static_cast<int>(std::clamp<std::int64_t>(srcStart + k, 0, std::int64_t{limit} - 1));
    }
    return m;
}

void stretchNearest(Target& t, RECT dest, Source& src, RECT from, bool mirrorX, bool mirrorY,
                    std::uint8_t rop, const Pattern* pat) {
    RECT r = intersect(dest, t.clip->bounds());
    if (isEmpty(r)) return;
    int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    // Only the visible part of the destination is mapped.
    auto mapX = nearestMap(from.left, from.right - from.left, dw, mirrorX, src.surface.width,
                           r.left - dest.left, r.right - dest.left);
    auto mapY = nearestMap(from.top, from.bottom - from.top, dh, mirrorY, src.surface.height,
                           r.top - dest.top, r.bottom - dest.top);
    int lo = src.surface.width, hi = 0;
    for (int x = r.left; x < r.right; ++x) {
        lo = std::min(lo, mapX[x - r.left]);
        hi = std::max(hi, mapX[x - r.left] + 1);
    }
    Colors c = destColors(*t.dc);
    SourceConverter conv(src.surface, src.bk, t.surface, c.text, c.bk);
    std::vector<std::uint32_t> line(static_cast<std::size_t>(hi - lo));
    std::vector<std::uint32_t> out(static_cast<std::size_t>(r.right - r.left));
    int converted = -1;
    forRows(*t.clip, r, false, [&](int y, int a, int b) {
        int sy = mapY[y - r.top];
        if (sy != converted) {
            conv.row(sy, lo, hi - lo, line.data());
            converted = sy;
        }
        for (int x = a; x < b; ++x)
            out[x - a] = line[mapX[x - r.left] - lo];
        ropSpan(t.surface, y, a, b - a, out.data(), pat, rop);
    });
}

// How many bands of rows a halftone stretch is shared out in among threads: only a large
// plain copy (a grabbed video frame averaged onto a cell) between true-colour surfaces, where
// a band reads the source, which nothing writes meanwhile, and writes rows of its own, touching
// no handle and no shared cache.
int halftoneBands(const Target& t, const Source& src, RECT from, std::uint8_t rop,
                  const Pattern* pat, int rows) {
    constexpr std::int64_t kSplitSourcePixels = std::int64_t{1} << 20;
    constexpr int kMaxBands = 4;
    constexpr int kMinRowsPerBand = 16;
    auto trueColour = [](const Surface& s) { return !s.mono && (s.bpp == 24 || s.plain32()); };
    if (rop != 0xCC || pat || !trueColour(t.surface) || !trueColour(src.surface)) return 1;
    if (std::int64_t{from.right - from.left} * (from.bottom - from.top) < kSplitSourcePixels)
        return 1;
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::max(1, std::min({kMaxBands, cores, rows / kMinRowsPerBand}));
}

// Runs band(from, to) over [rowFrom, rowTo) in the given number of bands, all but the first
// on threads of their own, and waits for them; the first failure is raised after.
void runBands(int bands, int rowFrom, int rowTo, const std::function<void(int, int)>& band) {
    const int rows = rowTo - rowFrom;
    auto limit = [&](int i) { return rowFrom + static_cast<int>(std::int64_t{rows} * i / bands); };
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(bands));
    auto guarded = [&](int i) {
        try {
            band(limit(i), limit(i + 1));
        } catch (...) {
            failures[static_cast<std::size_t>(i)] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    for (int i = 1; i < bands; ++i) {
        try {
            threads.emplace_back(guarded, i);
        } catch (const std::system_error&) {
            guarded(i); // no thread to be had: done here
        }
    }
    guarded(0);
    for (std::thread& thread : threads)
        thread.join();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

void stretchHalftone(Target& t, RECT dest, Source& src, RECT from, bool mirrorX, bool mirrorY,
                     std::uint8_t rop, const Pattern* pat) {
    RECT r = intersect(dest, t.clip->bounds());
    from = intersect(from, RECT{0, 0, src.surface.width, src.surface.height});
    if (isEmpty(r) || isEmpty(from)) return;
    int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    const AreaResampler resampler(src.surface, from, dw, dh, mirrorX, mirrorY);
    const int colFrom = r.left - dest.left, colTo = r.right - dest.left;
    const int rowFrom = r.top - dest.top, rowTo = r.bottom - dest.top;
    auto band = [&](int bandFrom, int bandTo) {
        PxToNative toNative(t.surface, src.bk);
        std::vector<std::uint32_t> native(static_cast<std::size_t>(r.right - r.left));
        resampler.run(colFrom, colTo, bandFrom, bandTo, [&](int row, const Px* px) {
            int y = dest.top + row;
            toNative.convert(px, r.right - r.left, native.data());
            t.clip->forSpans(y, r.left, r.right, [&](int a, int b) {
                ropSpan(t.surface, y, a, b - a, native.data() + (a - r.left), pat, rop);
            });
        });
    };
    const int bands = halftoneBands(t, src, from, rop, pat, rowTo - rowFrom);
    if (bands <= 1)
        band(rowFrom, rowTo);
    else
        runBands(bands, rowFrom, rowTo, band);
}

// The blit of all blits: (x, y, w, h) logical destination, (sx, sy, sw, sh) the source in
// its device coordinates. Negative sizes mirror.
BOOL transfer(Target& t, int x, int y, int w, int h, Source* src, int sx, int sy, int sw, int sh,
              std::uint8_t rop) {
    if (!t.drawable() || w == 0 || h == 0) return TRUE;
    std::optional<Pattern> pat;
    if (ropUsesPattern(rop)) {
        pat = brushPattern(t);
        if (!pat || pat->none) return TRUE;
    }
    bool mirrorX = (w < 0) != (sw < 0), mirrorY = (h < 0) != (sh < 0);
    int dx = t.dc->toDevX(x), dy = t.dc->toDevY(y);
    // Device coordinates stay within +-2^29 and sizes within 2^30, so no sum below overflows.
    auto size = [](int v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, -(std::int64_t{1} << 30), 1 << 30));
    };
    w = size(w), h = size(h), sw = size(sw), sh = size(sh);
    RECT dest{w < 0 ? dx + w : dx, h < 0 ? dy + h : dy, w < 0 ? dx : dx + w, h < 0 ? dy : dy + h};
    const Pattern* p = pat ? &*pat : nullptr;
    if (!src || !ropUsesSource(rop)) {
        RECT r = intersect(dest, t.clip->bounds());
        forRows(*t.clip, r, false,
                [&](int yy, int a, int b) { ropSpan(t.surface, yy, a, b - a, nullptr, p, rop); });
        return TRUE;
    }
    if (sw == 0 || sh == 0) return FALSE;
    sx = t.dc->clampDevice(sx), sy = t.dc->clampDevice(sy);
    RECT from{sw < 0 ? sx + sw : sx, sh < 0 ? sy + sh : sy, sw < 0 ? sx : sx + sw,
              sh < 0 ? sy : sy + sh};
    int aw = std::abs(w), ah = std::abs(h);
    if (aw == std::abs(sw) && ah == std::abs(sh) && !mirrorX && !mirrorY) {
        copyBlit(t, dest, *src, from.left, from.top, rop, p);
        return TRUE;
    }
    // Stretching within one bitmap reads what it writes: work from a copy.
    Surface original = src->surface;
    std::vector<BYTE> copy;
    if (src->bitmap == t.bitmap.get()) {
        std::ptrdiff_t step = std::abs(original.pitch);
        copy.resize(static_cast<std::size_t>(step) * static_cast<std::size_t>(original.height));
        for (int yy = 0; yy < original.height; ++yy)
            std::memcpy(copy.data() + yy * step, original.row(yy), static_cast<std::size_t>(step));
        src->surface.top = copy.data();
        src->surface.pitch = step;
        src->bitmap = nullptr;
    }
    // Averaging matters when shrinking; a destination beyond any screen is only ever an
    // enlargement, where the nearest pixel is what averaging would give anyway.
    constexpr int kMaxHalftoneSide = 1 << 15;
    bool halftone = t.dc->state.stretchMode == HALFTONE && !src->surface.mono && !t.surface.mono &&
                    aw <= kMaxHalftoneSide && ah <= kMaxHalftoneSide;
    if (halftone)
        stretchHalftone(t, dest, *src, from, mirrorX, mirrorY, rop, p);
    else
        stretchNearest(t, dest, *src, from, mirrorX, mirrorY, rop, p);
    src->surface = original;
    return TRUE;
}

bool sourceOf(HDC dc, Target& st, Source& out) {
    if (!resolveTarget(dc, st) || !st.bitmap) return false;
    out.surface = st.surface;
    out.bk = colorPx(*st.dc, st.dc->state.bkColor);
    out.bitmap = st.bitmap.get();
    return true;
}

} // namespace

int SetStretchBltMode(HDC h, int mode) {
    auto dc = find<DcObj>(h);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    int old = dc->state.stretchMode;
    dc->state.stretchMode = mode;
    return old;
}

int GetStretchBltMode(HDC h) {
    auto dc = find<DcObj>(h);
    return dc ? dc->state.stretchMode : 0;
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
    Target t;
    if (!resolveTarget(dc, t)) return FALSE;
    std::uint8_t code = ropCode(rop);
    if (ropUsesSource(code)) return FALSE;
    return transfer(t, x, y, width, height, nullptr, 0, 0, 0, 0, code);
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    Target t;
    if (!resolveTarget(dest, t)) return FALSE;
    std::uint8_t code = ropCode(rop);
    if (!ropUsesSource(code)) return transfer(t, x, y, width, height, nullptr, 0, 0, 0, 0, code);
    if (width <= 0 || height <= 0) return TRUE;
    Target st;
    Source s;
    if (!sourceOf(src, st, s)) return FALSE;
    return transfer(t, x, y, width, height, &s, st.dc->toDevX(srcX), st.dc->toDevY(srcY), width,
                    height, code);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, DWORD rop) {
    Target t;
    if (!resolveTarget(dest, t)) return FALSE;
    std::uint8_t code = ropCode(rop);
    if (!ropUsesSource(code)) return transfer(t, x, y, width, height, nullptr, 0, 0, 0, 0, code);
    Target st;
    Source s;
    if (!sourceOf(src, st, s)) return FALSE;
    return transfer(t, x, y, width, height, &s, st.dc->toDevX(srcX), st.dc->toDevY(srcY), srcWidth,
                    srcHeight, code);
}

BOOL MaskBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
             HBITMAP mask, int maskX, int maskY, DWORD rop4) {
    std::uint8_t fore = ropCode(rop4), back = static_cast<std::uint8_t>(rop4 >> 24);
    if (mask == 0) return BitBlt(dest, x, y, width, height, src, srcX, srcY, rop4 & 0xFFFFFF);
    auto m = find<BitmapObj>(mask);
    if (!m || m->bpp != 1) return FALSE;
    Target t;
    if (!resolveTarget(dest, t)) return FALSE;
    if (width <= 0 || height <= 0 || !t.drawable()) return TRUE;
    if (maskX < 0 || maskY < 0 || maskX + width > m->width || maskY + height > m->height)
        return FALSE;
    bool usesS = ropUsesSource(fore) || ropUsesSource(back);
    Target st;
    Source s;
    if (usesS && !sourceOf(src, st, s)) return FALSE;
    std::optional<Pattern> pat;
    if (ropUsesPattern(fore) || ropUsesPattern(back)) {
        pat = brushPattern(t);
        if (!pat || pat->none) return TRUE;
    }
    int dx = t.dc->toDevX(x), dy = t.dc->toDevY(y);
    RECT dest_{dx, dy, dx + width, dy + height};
    int sx = usesS ? st.dc->toDevX(srcX) : 0, sy = usesS ? st.dc->toDevY(srcY) : 0;
    RECT r = intersect(dest_, t.clip->bounds());
    if (usesS)
        r = intersect(
            r, RECT{dx - sx, dy - sy, dx - sx + s.surface.width, dy - sy + s.surface.height});
    if (isEmpty(r)) return TRUE;
    Colors c = destColors(*t.dc);
    std::optional<SourceConverter> conv;
    if (usesS) conv.emplace(s.surface, s.bk, t.surface, c.text, c.bk);
    Surface ms = m->surface();
    std::size_t n = static_cast<std::size_t>(r.right - r.left);
    std::vector<std::uint32_t> buf(n), bits(n);
    std::vector<std::uint8_t> packed((n + 7) / 8);
    bool bottomUp = usesS && s.bitmap == t.bitmap.get() && sy < dy;
    forRows(*t.clip, r, bottomUp, [&](int yy, int a, int b) {
        int len = b - a;
        if (conv) conv->row(yy - dy + sy, a - dx + sx, len, buf.data());
        unpackRow(ms, maskY + yy - dy, maskX + a - dx, len, bits.data());
        std::fill(packed.begin(), packed.end(), 0);
        for (int i = 0; i < len; ++i)
            if (bits[i]) packed[i >> 3] |= static_cast<std::uint8_t>(0x80 >> (i & 7));
        ropSpanMasked(t.surface, yy, a, len, conv ? buf.data() : nullptr, pat ? &*pat : nullptr,
                      packed.data(), fore, back);
    });
    return TRUE;
}

int StretchDIBits(HDC dest, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
    Target t;
    if (!resolveTarget(dest, t) || !bits) return 0;
    DibDesc desc;
    if (!parseDib(info, usage, t.dc.get(), desc)) return 0;
    Source s;
    s.surface = dibSurface(desc, bits);
    s.bk = colorPx(*t.dc, t.dc->state.bkColor);
    // A bottom-up DIB counts its source rows from the bottom.
    int top = DcObj::clampDevice(desc.topDown ? std::int64_t{srcY}
                                              : std::int64_t{desc.height} - srcY - srcHeight);
    if (!transfer(t, x, y, width, height, &s, srcX, top, srcWidth, srcHeight, ropCode(rop)))
        return 0;
    return static_cast<int>(std::min<std::int64_t>(std::abs(std::int64_t{srcHeight}), INT32_MAX));
}

int SetDIBitsToDevice(HDC dest, int x, int y, DWORD width, DWORD height, int srcX, int srcY,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT usage) {
    Target t;
    if (!resolveTarget(dest, t) || !bits || lines == 0) return 0;
    DibDesc desc;
    if (!parseDib(info, usage, t.dc.get(), desc)) return 0;
    if (startScan >= static_cast<UINT>(desc.height)) return 0;
    lines = std::min<UINT>(lines, static_cast<UINT>(desc.height) - startScan);
    DibDesc window = desc;
    window.height = static_cast<int>(lines);
    Source s;
    s.surface = dibSurface(window, bits);
    s.bk = colorPx(*t.dc, t.dc->state.bkColor);
    int w = static_cast<int>(width), h = static_cast<int>(height);
    int top = DcObj::clampDevice(desc.topDown ? std::int64_t{srcY} - startScan
                                              : std::int64_t{startScan} + lines - srcY - h);
    transfer(t, x, y, w, h, &s, srcX, top, w, h, ropCode(SRCCOPY));
    return static_cast<int>(lines);
}

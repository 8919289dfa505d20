#include "platform/gdi/internal/Dib.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/internal/Objects.h"

#include <algorithm>
#include <cstring>

namespace gdi {

bool parseDib(const BITMAPINFO* info, UINT usage, const DcObj* dc, DibDesc& out) {
    if (!info) return false;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 4096) return false;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return false;
    int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    DibDesc d;
    d.width = h.biWidth;
    d.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    d.topDown = h.biHeight < 0;
    d.bpp = bpp;
    d.compression = h.biCompression;
    d.stride = rowBytes(d.width, bpp, 4);
    if (d.stride == 0) return false;
    std::uint64_t image =
        static_cast<std::uint64_t>(d.stride) * static_cast<std::uint64_t>(d.height);
    if (image > (std::uint64_t{1} << 30)) return false;
    d.imageBytes = static_cast<std::size_t>(image);
    const BYTE* after = reinterpret_cast<const BYTE*>(info) + h.biSize;
    if (h.biCompression == BI_BITFIELDS) {
        if (bpp != 16 && bpp != 32) return false;
        DWORD m[3];
        // A 40-byte header is followed by the masks; the longer headers hold them inside.
        const BYTE* src = h.biSize >= 52 ? reinterpret_cast<const BYTE*>(info) + 40 : after;
        std::memcpy(m, src, sizeof m);
        if ((m[0] | m[1] | m[2]) == 0) return false;
        d.masks = Masks{m[0], m[1], m[2]};
        if (h.biSize < 52) after += sizeof m;
    } else if (h.biCompression == BI_RGB) {
        d.masks = bpp == 16 ? kMasks555 : kMasks888;
    } else {
        return false;
    }
    if (bpp <= 8) {
        DWORD full = 1u << bpp;
        DWORD count = h.biClrUsed == 0 ? full : std::min<DWORD>(h.biClrUsed, full);
        d.colors.resize(count);
        if (usage == 1 /* DIB_PAL_COLORS */) {
            const PaletteObj* pal = nullptr;
            std::shared_ptr<PaletteObj> held;
            if (dc) held = find<PaletteObj>(dc->state.palette);
            pal = held.get();
            const WORD* idx = reinterpret_cast<const WORD*>(after);
            for (DWORD i = 0; i < count; ++i) {
                if (pal && idx[i] < pal->entries.size()) {
                    const PALETTEENTRY& e = pal->entries[idx[i]];
                    d.colors[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
                }
            }
        } else {
            std::memcpy(d.colors.data(), after, count * sizeof(RGBQUAD));
        }
    }
    out = std::move(d);
    return true;
}

Surface dibSurface(const DibDesc& d, const void* bits) {
    Surface s;
    s.width = d.width;
    s.height = d.height;
    s.bpp = d.bpp;
    auto* base = static_cast<BYTE*>(const_cast<void*>(bits));
    auto step = static_cast<std::ptrdiff_t>(d.stride);
    if (!d.topDown && base) {
        s.top = base + (d.height - 1) * step;
        s.pitch = -step;
    } else {
        s.top = base;
        s.pitch = step;
    }
    s.colors = d.colors.data();
    s.colorCount = static_cast<int>(d.colors.size());
    s.masks = d.masks;
    return s;
}

namespace {

bool sameLayout(const Surface& a, const Surface& b) {
    if (a.bpp != b.bpp) return false;
    if (a.bpp <= 8) {
        if (a.mono != b.mono) {
            // Monochrome is black and white: equal to a 1-bit table of exactly that.
            const Surface& dib = a.mono ? b : a;
            return dib.colorCount == 2 && pxFromQuad(dib.colors[0]) == 0 &&
                   pxFromQuad(dib.colors[1]) == 0xFFFFFF;
        }
        if (a.mono) return true;
        if (a.colorCount != b.colorCount) return false;
        for (int i = 0; i < a.colorCount; ++i)
            if (pxFromQuad(a.colors[i]) != pxFromQuad(b.colors[i])) return false;
        return true;
    }
    return a.masks == b.masks;
}

} // namespace

RowConverter::RowConverter(const Surface& src, const Surface& dest) : src_(src), dest_(dest) {
    if (sameLayout(src, dest)) {
        path_ = Path::Copy;
    } else if (src.bpp == 24 && dest.plain32()) {
        path_ = Path::Expand24To32;
    } else if (src.plain32() && dest.bpp == 24) {
        path_ = Path::Pack32To24;
    } else if (src.bpp == 8 && !src.mono && (dest.plain32() || dest.bpp == 24)) {
        path_ = Path::Lut8;
        for (int i = 0; i < std::min(src.colorCount, 256); ++i)
            lut_[i] = pxFromQuad(src.colors[i]);
    } else {
        // Only these paths map colours: the others never look up (or build) a matcher.
        encoder_.emplace(dest_);
        if (dest.bpp == 8 && encoder_->matcher() && (src.plain32() || src.bpp == 24))
            path_ = src.bpp == 24 ? Path::Map24To8 : Path::Map32To8;
    }
}

void RowConverter::operator()(int sy, int dy, int x, int n) {
    if (n <= 0) return;
    const BYTE* s = src_.row(sy);
    BYTE* d = dest_.row(dy);
    switch (path_) {
    case Path::Copy:
        if (src_.bpp >= 8) {
            std::memcpy(d + x * (src_.bpp / 8), s + x * (src_.bpp / 8),
                        static_cast<std::size_t>(n) * (src_.bpp / 8));
        } else {
            std::uint32_t tmp[256];
            for (int done = 0; done < n; done += 256) {
                int c = std::min(256, n - done);
                unpackRow(src_, sy, x + done, c, tmp);
                packRow(dest_, dy, x + done, c, tmp);
            }
        }
        return;
    case Path::Expand24To32: {
        const BYTE* p = s + 3 * x;
        BYTE* q = d + 4 * x;
        for (int i = 0; i < n; ++i, p += 3, q += 4) {
            q[0] = p[0];
            q[1] = p[1];
            q[2] = p[2];
            q[3] = 0;
        }
        return;
    }
    case Path::Pack32To24: {
        const BYTE* p = s + 4 * x;
        BYTE* q = d + 3 * x;
        for (int i = 0; i < n; ++i, p += 4, q += 3) {
            q[0] = p[0];
            q[1] = p[1];
            q[2] = p[2];
        }
        return;
    }
    case Path::Lut8: {
        const BYTE* p = s + x;
        if (dest_.bpp == 32) {
            auto* q = reinterpret_cast<std::uint32_t*>(d) + x;
            for (int i = 0; i < n; ++i)
                q[i] = lut_[p[i]];
        } else {
            BYTE* q = d + 3 * x;
            for (int i = 0; i < n; ++i, q += 3) {
                std::uint32_t v = lut_[p[i]];
                q[0] = static_cast<BYTE>(v);
                q[1] = static_cast<BYTE>(v >> 8);
                q[2] = static_cast<BYTE>(v >> 16);
            }
        }
        return;
    }
    case Path::Map32To8:
        encoder_->matcher()->map32(s + 4 * x, n, d + x);
        return;
    case Path::Map24To8:
        encoder_->matcher()->map24(s + 3 * x, n, d + x);
        return;
    case Path::General: {
        Px tmp[256];
        for (int done = 0; done < n; done += 256) {
            int c = std::min(256, n - done);
            readPxRow(src_, sy, x + done, c, tmp);
            writePxRow(dest_, *encoder_, dy, x + done, c, tmp);
        }
        return;
    }
    }
}

void convertRow(const Surface& src, int sy, const Surface& dest, int dy, int x, int n) {
    if (n <= 0) return;
    RowConverter(src, dest)(sy, dy, x, n);
}

} // namespace gdi

#include "platform/gdi/Bitmap.h"

#include "platform/gdi/Object.h"
#include "platform/gdi/internal/Dib.h"
#include "platform/gdi/internal/Objects.h"

#include <algorithm>
#include <cstring>

using namespace gdi;

namespace {

std::shared_ptr<BitmapObj> selectedBitmap(HDC dc) {
    auto d = find<DcObj>(dc);
    if (!d || d->screen) return nullptr;
    return find<BitmapObj>(d->state.bitmap);
}

HBITMAP makeDevice(int width, int height, bool mono) {
    auto b = std::make_shared<BitmapObj>();
    if (!b->allocate(width, height, mono ? 1 : 32, mono ? 2 : 4)) return 0;
    return addObject(b);
}

// A DIB section with the given layout; its pixel memory is ours.
std::pair<HBITMAP, std::shared_ptr<BitmapObj>> makeDib(const DibDesc& d,
                                                       const BYTE* init = nullptr) {
    auto b = std::make_shared<BitmapObj>();
    if (!b->allocate(d.width, d.height, d.bpp, 4, init)) return {0, nullptr};
    b->dib = true;
    b->topDown = d.topDown;
    b->colors = d.colors;
    b->masks = d.masks;
    b->compression = d.compression;
    HBITMAP h = addObject(b);
    if (!h) return {0, nullptr};
    return {h, b};
}

// The colour table GetDIBits writes for a paletted target depth.
std::vector<RGBQUAD> targetTable(const BitmapObj& src, int bpp, const DcObj* dc) {
    if (src.dib && src.bpp == bpp && !src.colors.empty()) {
        std::vector<RGBQUAD> t = src.colors;
        t.resize(std::size_t{1} << bpp);
        return t;
    }
    if (dc && dc->state.palette != defaultPalette()) {
        if (auto pal = find<PaletteObj>(dc->state.palette); pal && !pal->entries.empty()) {
            std::vector<RGBQUAD> t(std::size_t{1} << bpp);
            for (std::size_t i = 0; i < t.size() && i < pal->entries.size(); ++i) {
                const PALETTEENTRY& e = pal->entries[i];
                t[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
            }
            return t;
        }
    }
    return standardTable(bpp);
}

} // namespace

LONG DibRowBytes(LONG width, int bitsPerPixel) {
    return static_cast<LONG>(rowBytes(width, bitsPerPixel, 4));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (width < 0 || height < 0 || planes != 1 || bitsPerPixel == 0 || bitsPerPixel > 32) return 0;
    bool mono = bitsPerPixel == 1;
    HBITMAP h = makeDevice(width, height, mono);
    if (!h || !bits || width == 0 || height == 0) return h;
    auto b = find<BitmapObj>(h);
    int depth = static_cast<int>(bitsPerPixel);
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) {
        DeleteObject(h);
        return 0;
    }
    // The caller's rows are padded to 2 bytes, in the depth it names.
    Surface src;
    src.width = width;
    src.height = height;
    src.bpp = depth;
    src.mono = mono;
    src.top = static_cast<BYTE*>(const_cast<void*>(bits));
    src.pitch = static_cast<std::ptrdiff_t>(rowBytes(width, depth, 2));
    const auto& table = standardTable(depth <= 8 ? depth : 8);
    src.colors = table.data();
    src.colorCount = static_cast<int>(table.size());
    src.masks = depth == 16 ? kMasks555 : kMasks888;
    Surface dest = b->surface();
    RowConverter convert(src, dest);
    for (int y = 0; y < height; ++y)
        convert(y, y, 0, width);
    return h;
}

HBITMAP CreateBitmapIndirect(const BITMAP* bm) {
    if (!bm) return 0;
    return CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, bm->bmBits);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    if (width < 0 || height < 0) return 0;
    auto d = find<DcObj>(dc);
    if (dc && !d) return 0;
    auto sel = d && !d->screen ? find<BitmapObj>(d->state.bitmap) : nullptr;
    if (!sel) return makeDevice(width, height, false);
    if (sel->dib) {
        if (width == 0 || height == 0) return makeDevice(width, height, false);
        DibDesc desc;
        desc.width = width;
        desc.height = height;
        desc.bpp = sel->bpp;
        desc.colors = sel->colors;
        desc.masks = sel->masks;
        desc.compression = sel->compression;
        return makeDib(desc).first;
    }
    return makeDevice(width, height, sel->bpp == 1);
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD) {
    if (bits) *bits = nullptr;
    if (section != 0 || usage > DIB_PAL_COLORS) return 0;
    auto d = find<DcObj>(dc);
    DibDesc desc;
    if (!parseDib(info, usage, d.get(), desc)) return 0;
    auto [h, b] = makeDib(desc);
    if (h && bits) *bits = b->bits();
    return h;
}

HBITMAP CreateDIBSectionFromBits(HDC dc, const BITMAPINFO* info, UINT usage, const void* bits) {
    if (!bits || usage > DIB_PAL_COLORS) return 0;
    auto d = find<DcObj>(dc);
    DibDesc desc;
    if (!parseDib(info, usage, d.get(), desc)) return 0;
    return makeDib(desc, static_cast<const BYTE*>(bits)).first;
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
    if (!header || header->biWidth < 0) return 0;
    int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    if (header->biHeight == INT32_MIN) return 0;
    HBITMAP h = makeDevice(header->biWidth, height, false);
    if (!h) return 0;
    if ((init & CBM_INIT) && bits) {
        if (SetDIBits(dc, h, 0, static_cast<UINT>(height), bits, info, usage) == 0 && height > 0) {
            DeleteObject(h);
            return 0;
        }
    }
    return h;
}

namespace {

// Rows [start, start + lines) of a DIB, counted from its first row in memory order (the
// bottom for a bottom-up one), as rows from the top of the picture.
struct LineRange {
    int firstTop = 0; // first affected row, counted from the top
    int count = 0;
};

LineRange linesOf(const DibDesc& d, int bitmapHeight, UINT start, UINT lines) {
    LineRange r;
    int h = std::min(d.height, bitmapHeight);
    if (start >= static_cast<UINT>(h)) return r;
    int n = static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(h) - start));
    r.count = n;
    r.firstTop = d.topDown ? static_cast<int>(start) : h - static_cast<int>(start) - n;
    return r;
}

} // namespace

int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info,
              UINT usage) {
    auto b = find<BitmapObj>(bitmap);
    auto d = find<DcObj>(dc);
    if (!b || !d || !info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return 0;
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount == 0) {
        // Describe the bitmap only.
        h.biWidth = b->width;
        h.biHeight = b->dib && b->topDown ? -b->height : b->height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(b->bpp);
        h.biCompression = b->compression;
        h.biSizeImage =
            static_cast<DWORD>(rowBytes(b->width, b->bpp, 4) * static_cast<std::size_t>(b->height));
        h.biClrUsed = 0;
        return b->height > 0 ? b->height : 1;
    }
    if (usage != DIB_RGB_COLORS) return 0;
    int bpp = h.biBitCount;
    if (h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32)) {
        DWORD* m = reinterpret_cast<DWORD*>(info->bmiColors);
        if ((m[0] | m[1] | m[2]) == 0) {
            Masks def = bpp == 16 ? kMasks565 : kMasks888;
            m[0] = def.red;
            m[1] = def.green;
            m[2] = def.blue;
        }
    } else if (h.biCompression != BI_RGB) {
        return 0;
    }
    if (h.biWidth != b->width || h.biHeight == 0) {
        // Namesake callers fill the header from the bitmap; take its width and keep the
        // caller's orientation.
        h.biWidth = b->width;
        if (h.biHeight == 0) h.biHeight = b->height;
    }
    if (b->width == 0 || b->height == 0) return 0;
    if (bpp <= 8) {
        std::vector<RGBQUAD> table = targetTable(*b, bpp, d.get());
        std::memcpy(info->bmiColors, table.data(), table.size() * sizeof(RGBQUAD));
        h.biClrUsed = 0;
    }
    DibDesc desc;
    if (!parseDib(info, DIB_RGB_COLORS, nullptr, desc)) return 0;
    h.biSizeImage = static_cast<DWORD>(desc.imageBytes);
    LineRange r = linesOf(desc, b->height, start, lines);
    if (!bits) return r.count > 0 ? r.count : 1;
    if (r.count == 0) return 0;
    // The caller's buffer holds `lines` rows starting at line `start`.
    DibDesc window = desc;
    window.height = r.count;
    Surface dest = dibSurface(window, bits);
    Surface src = b->surface();
    RowConverter convert(src, dest);
    for (int i = 0; i < r.count; ++i)
        convert(r.firstTop + i, i, 0, b->width);
    return r.count;
}

int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage) {
    auto b = find<BitmapObj>(bitmap);
    auto d = find<DcObj>(dc);
    if (!b || !bits || usage > DIB_PAL_COLORS) return 0;
    DibDesc desc;
    if (!parseDib(info, usage, d.get(), desc)) return 0;
    LineRange r = linesOf(desc, b->height, start, lines);
    if (r.count == 0) return 0;
    DibDesc window = desc;
    window.height = r.count;
    Surface src = dibSurface(window, bits);
    Surface dest = b->surface();
    int n = std::min(desc.width, b->width);
    RowConverter convert(src, dest);
    for (int i = 0; i < r.count; ++i)
        convert(i, r.firstTop + i, 0, n);
    return r.count;
}

UINT GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* colors) {
    auto b = selectedBitmap(dc);
    if (!b || !b->dib || b->bpp > 8 || !colors) return 0;
    if (start >= b->colors.size()) return 0;
    UINT n = std::min<UINT>(count, static_cast<UINT>(b->colors.size()) - start);
    std::memcpy(colors, b->colors.data() + start, n * sizeof(RGBQUAD));
    return n;
}

UINT SetDIBColorTable(HDC dc, UINT start, UINT count, const RGBQUAD* colors) {
    auto b = selectedBitmap(dc);
    if (!b || !b->dib || b->bpp > 8 || !colors) return 0;
    if (start >= b->colors.size()) return 0;
    UINT n = std::min<UINT>(count, static_cast<UINT>(b->colors.size()) - start);
    std::memcpy(b->colors.data() + start, colors, n * sizeof(RGBQUAD));
    return n;
}

LONG GetBitmapBits(HBITMAP bitmap, LONG size, void* bits) {
    auto b = find<BitmapObj>(bitmap);
    if (!b || size < 0) return 0;
    std::size_t total = b->storage.size();
    if (!bits) return static_cast<LONG>(total);
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), total);
    Surface s = b->surface();
    // Top row first whatever the memory order.
    std::size_t done = 0;
    for (int y = 0; y < b->height && done < n; ++y) {
        std::size_t c = std::min(b->stride, n - done);
        std::memcpy(static_cast<BYTE*>(bits) + done, s.row(y), c);
        done += c;
    }
    return static_cast<LONG>(done);
}

LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits) {
    auto b = find<BitmapObj>(bitmap);
    if (!b || !bits) return 0;
    std::size_t n = std::min<std::size_t>(size, b->storage.size());
    Surface s = b->surface();
    std::size_t done = 0;
    for (int y = 0; y < b->height && done < n; ++y) {
        std::size_t c = std::min(b->stride, n - done);
        std::memcpy(s.row(y), static_cast<const BYTE*>(bits) + done, c);
        done += c;
    }
    return static_cast<LONG>(done);
}

#include "platform/gdi/Palette.h"

#include "platform/gdi/Draw.h"
#include "platform/gdi/internal/Target.h"

#include <algorithm>
#include <array>
#include <cstring>

using namespace gdi;

namespace {

constexpr UINT kMaxEntries = 1024;

int distance(const PALETTEENTRY& e, COLORREF c) {
    int dr = e.peRed - GetRValue(c), dg = e.peGreen - GetGValue(c), db = e.peBlue - GetBValue(c);
    return dr * dr + dg * dg + db * db;
}

} // namespace

HPALETTE CreatePalette(const LOGPALETTE* palette) {
    if (!palette || palette->palVersion != 0x300 || palette->palNumEntries == 0 ||
        palette->palNumEntries > kMaxEntries)
        return 0;
    auto [h, p] = make<PaletteObj>();
    p->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
    return h;
}

HPALETTE CreateHalftonePalette(HDC) {
    auto [h, p] = make<PaletteObj>();
    for (const RGBQUAD& q : standardTable(8))
        p->entries.push_back(PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
    return h;
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
    auto p = find<PaletteObj>(palette);
    if (!p) return 0;
    UINT size = static_cast<UINT>(p->entries.size());
    if (!entries) return size;
    if (start >= size) return 0;
    UINT n = std::min(count, size - start);
    std::memcpy(entries, p->entries.data() + start, n * sizeof(PALETTEENTRY));
    return n;
}

UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* entries) {
    auto p = find<PaletteObj>(palette);
    if (!p || p->stock || !entries) return 0;
    UINT size = static_cast<UINT>(p->entries.size());
    if (start >= size) return 0;
    UINT n = std::min(count, size - start);
    std::memcpy(p->entries.data() + start, entries, n * sizeof(PALETTEENTRY));
    return n;
}

BOOL ResizePalette(HPALETTE palette, UINT count) {
    auto p = find<PaletteObj>(palette);
    if (!p || p->stock || count == 0 || count > kMaxEntries) return FALSE;
    p->entries.resize(count);
    return TRUE;
}

UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF color) {
    auto p = find<PaletteObj>(palette);
    if (!p || p->entries.empty()) return CLR_INVALID;
    if (p->entries.size() <= 256) {
        // The same map as pictures converted to a table of these colours.
        std::array<Px, 256> table;
        for (std::size_t i = 0; i < p->entries.size(); ++i) {
            const PALETTEENTRY& e = p->entries[i];
            table[i] = (Px{e.peRed} << 16) | (Px{e.peGreen} << 8) | e.peBlue;
        }
        return static_cast<UINT>(matcherFor(table.data(), static_cast<int>(p->entries.size()))
                                     ->nearest(pxFromColorref(color)));
    }
    // Longer palettes (up to 1024 entries) are rare: the plain search.
    UINT best = 0;
    int bestD = distance(p->entries[0], color);
    for (UINT i = 1; i < p->entries.size() && bestD; ++i) {
        int d = distance(p->entries[i], color);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

HPALETTE SelectPalette(HDC h, HPALETTE palette, BOOL) {
    auto dc = find<DcObj>(h);
    if (!dc || !find<PaletteObj>(palette)) return 0;
    HPALETTE old = dc->state.palette;
    dc->state.palette = palette;
    return old;
}

UINT RealizePalette(HDC h) {
    return find<DcObj>(h) ? 0 : static_cast<UINT>(-1);
}

UINT GetSystemPaletteEntries(HDC h, UINT start, UINT count, PALETTEENTRY* entries) {
    if (!find<DcObj>(h)) return 0;
    return GetPaletteEntries(defaultPalette(), start, count, entries);
}

COLORREF GetNearestColor(HDC h, COLORREF color) {
    auto dc = find<DcObj>(h);
    if (!dc) return CLR_INVALID;
    return colorrefFromPx(colorPx(*dc, color));
}

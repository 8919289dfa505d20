#include "gif/GIFColorLookup.h"

#include "platform/gdi/Palette.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kCacheCells = 32768;
} // namespace

TFastColorLookup::TFastColorLookup(const PALETTEENTRY* entries, int count) : TColorLookup(0) {
    Prepare(entries, std::clamp(count, 0, 256));
}

TFastColorLookup::TFastColorLookup(HPALETTE palette) : TColorLookup(palette) {
    PALETTEENTRY entries[256];
    UINT n = palette ? GetPaletteEntries(palette, 0, 256, entries) : 0;
    Prepare(entries, static_cast<int>(n));
}

void TFastColorLookup::Prepare(const PALETTEENTRY* entries, int count) {
    PaletteEntries.reset(new PALETTEENTRY[256]());
    if (count > 0) std::memcpy(PaletteEntries.get(), entries, sizeof(PALETTEENTRY) * count);
    ColorCount = count;
    Planes.reset(new Byte[3 * 256]());
    for (int i = 0; i < count; ++i) {
        Planes[i] = PaletteEntries[i].peRed;
        Planes[256 + i] = PaletteEntries[i].peGreen;
        Planes[512 + i] = PaletteEntries[i].peBlue;
    }
    InverseCache.reset(new std::int16_t[kCacheCells]);
    std::fill_n(InverseCache.get(), kCacheCells, std::int16_t(-1));
    for (int i = 0; i < count; ++i) {
        const PALETTEENTRY& e = PaletteEntries[i];
        std::int16_t& cell = InverseCache[CacheKey(e.peRed, e.peGreen, e.peBlue)];
        if (cell == -1) cell = static_cast<std::int16_t>(i);
    }
}

namespace {

// City-block distances of one colour to 256 entries given as planes of reds, greens and
// blues. Written so that the compiler turns it into vector code: byte differences, one pass
// of fixed length, outputs that alias no input.
void Distances(const Byte* __restrict reds, const Byte* __restrict greens,
               const Byte* __restrict blues, Byte red, Byte green, Byte blue,
               std::uint16_t* __restrict distance) {
    for (int i = 0; i < 256; ++i) {
        Byte dr = static_cast<Byte>(red > reds[i] ? red - reds[i] : reds[i] - red);
        Byte dg = static_cast<Byte>(green > greens[i] ? green - greens[i] : greens[i] - green);
        Byte db = static_cast<Byte>(blue > blues[i] ? blue - blues[i] : blues[i] - blue);
        distance[i] = static_cast<std::uint16_t>(std::uint16_t(dr) + dg + db);
    }
}

std::uint16_t Least(const std::uint16_t* distance) {
    std::uint16_t least = 0xFFFF;
    for (int i = 0; i < 256; ++i)
        least = distance[i] < least ? distance[i] : least;
    return least;
}

} // namespace

// The first entry of the least distance wins, as a scan that replaces its best only on a
// strictly smaller distance would pick.
std::int16_t TFastColorLookup::Search(Byte red, Byte green, Byte blue) const {
    std::uint16_t distance[256];
    const Byte* planes = Planes.get();
    Distances(planes, planes + 256, planes + 512, red, green, blue, distance);
    // Entries the palette does not have never win (no real distance reaches 0xFFFF).
    for (int i = ColorCount; i < 256; ++i)
        distance[i] = 0xFFFF;
    std::uint16_t least = Least(distance);
    for (int i = 0; i < ColorCount; ++i)
        if (distance[i] == least) return static_cast<std::int16_t>(i);
    return 0;
}

Byte TNetscapeColorLookup::NearestIndex(Byte red, Byte green, Byte blue, Byte& outRed,
                                        Byte& outGreen, Byte& outBlue) {
    int r = (red + 3) / 51, g = (green + 3) / 51, b = (blue + 3) / 51;
    outRed = static_cast<Byte>(r * 51);
    outGreen = static_cast<Byte>(g * 51);
    outBlue = static_cast<Byte>(b * 51);
    return static_cast<Byte>(r * 36 + g * 6 + b);
}

Byte TMonochromeLookup::NearestIndex(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen,
                                     Byte& outBlue) {
    int s = red * 77 + green * 150 + blue * 29;
    Byte v = s <= 0x7F00 ? 0 : 255;
    outRed = outGreen = outBlue = v;
    return s <= 0x7F00 ? 0 : 1;
}

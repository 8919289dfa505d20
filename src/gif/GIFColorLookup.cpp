#include "gif/GIFColorLookup.h"

#include "platform/gdi/Palette.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kCacheCells = 32768;
constexpr int kFarthest = 0x30000;  // beyond any city-block distance of two colours
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
    InverseCache.reset(new std::int16_t[kCacheCells]);
    std::fill_n(InverseCache.get(), kCacheCells, std::int16_t(-1));
    for (int i = 0; i < count; ++i) {
        const PALETTEENTRY& e = PaletteEntries[i];
        std::int16_t& cell = InverseCache[CacheKey(e.peRed, e.peGreen, e.peBlue)];
        if (cell == -1) cell = static_cast<std::int16_t>(i);
    }
}

Byte TFastColorLookup::NearestIndex(Byte red, Byte green, Byte blue, Byte& outRed,
                                    Byte& outGreen, Byte& outBlue) {
    std::int16_t& cell = InverseCache[CacheKey(red, green, blue)];
    int best = cell;
    if (best < 0) {
        best = 0;
        int bestDistance = kFarthest;
        for (int i = 0; i < ColorCount; ++i) {
            const PALETTEENTRY& e = PaletteEntries[i];
            int d = std::abs(red - e.peRed) + std::abs(green - e.peGreen) + std::abs(blue - e.peBlue);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        cell = static_cast<std::int16_t>(best);
    }
    const PALETTEENTRY& e = PaletteEntries[best];
    outRed = e.peRed;
    outGreen = e.peGreen;
    outBlue = e.peBlue;
    return static_cast<Byte>(best);
}

Byte TNetscapeColorLookup::NearestIndex(Byte red, Byte green, Byte blue, Byte& outRed,
                                        Byte& outGreen, Byte& outBlue) {
    int r = (red + 3) / 51, g = (green + 3) / 51, b = (blue + 3) / 51;
    outRed = static_cast<Byte>(r * 51);
    outGreen = static_cast<Byte>(g * 51);
    outBlue = static_cast<Byte>(b * 51);
    return static_cast<Byte>(r * 36 + g * 6 + b);
}

Byte TGrayScaleLookup::NearestIndex(Byte red, Byte green, Byte blue, Byte& outRed,
                                    Byte& outGreen, Byte& outBlue) {
    Byte gray = static_cast<Byte>((red * 77 + green * 150 + blue * 29) >> 8);
    outRed = outGreen = outBlue = gray;
    return gray;
}

Byte TMonochromeLookup::NearestIndex(Byte red, Byte green, Byte blue, Byte& outRed,
                                     Byte& outGreen, Byte& outBlue) {
    int s = red * 77 + green * 150 + blue * 29;
    Byte v = s <= 0x7F00 ? 0 : 255;
    outRed = outGreen = outBlue = v;
    return s <= 0x7F00 ? 0 : 1;
}

#pragma once
// Colour lookups: which palette index stands for a colour, and what colour that entry has.
// One general nearest-colour lookup with a cache over 15-bit colour cells, and three that
// compute the index of the fixed palette they belong to.
#include "platform/WinTypes.h"
#include "rtl/Types.h"

#include <memory>

class TColorLookup {
public:
    explicit TColorLookup(HPALETTE /*palette*/) {}
    virtual ~TColorLookup() = default;
    TColorLookup(const TColorLookup&) = delete;
    TColorLookup& operator=(const TColorLookup&) = delete;

    // The palette index for (red, green, blue); the out values are that entry's colour.
    virtual Byte NearestIndex(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen,
                              Byte& outBlue) = 0;

    // Colours the lookup can answer; 0 makes it unusable.
    int ColorCount = 0;
};

// Nearest palette entry by city-block distance, lowest index on ties, cached per 15-bit cell:
// the first colour that misses in a cell decides the cell for every later colour in it.
class TFastColorLookup final : public TColorLookup {
public:
    // Reads up to 256 entries of the palette (none for no palette).
    explicit TFastColorLookup(HPALETTE palette);
    // The same over entries already read.
    TFastColorLookup(const PALETTEENTRY* entries, int count);

    Byte NearestIndex(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen,
                      Byte& outBlue) override {
        return Nearest(red, green, blue, outRed, outGreen, outBlue);
    }
    // NearestIndex without the virtual call, for loops that know the lookup's class.
    Byte Nearest(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen, Byte& outBlue) {
        std::int16_t& cell = InverseCache[CacheKey(red, green, blue)];
        if (cell < 0) cell = Search(red, green, blue);
        const PALETTEENTRY& e = PaletteEntries[cell];
        outRed = e.peRed;
        outGreen = e.peGreen;
        outBlue = e.peBlue;
        return static_cast<Byte>(cell);
    }

    static int CacheKey(Byte red, Byte green, Byte blue) {
        return (red >> 3) + (green >> 3) * 32 + (blue >> 3) * 1024;
    }

private:
    void Prepare(const PALETTEENTRY* entries, int count);
    // The entry of smallest city-block distance, the lowest index on ties.
    std::int16_t Search(Byte red, Byte green, Byte blue) const;
    std::unique_ptr<PALETTEENTRY[]> PaletteEntries; // 256
    std::unique_ptr<std::int16_t[]> InverseCache;   // 32768, -1 = unknown
    std::unique_ptr<Byte[]> Planes; // the entries' reds, greens, blues: 256 each, for Search
};

// The 6 x 6 x 6 colour cube of 216 entries, red outermost.
class TNetscapeColorLookup final : public TColorLookup {
public:
    explicit TNetscapeColorLookup(HPALETTE palette = 0) : TColorLookup(palette) {
        ColorCount = 216;
    }
    Byte NearestIndex(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen,
                      Byte& outBlue) override;
};

// 256 grays by luminance (77, 150, 29) / 256.
class TGrayScaleLookup final : public TColorLookup {
public:
    explicit TGrayScaleLookup(HPALETTE palette = 0) : TColorLookup(palette) { ColorCount = 256; }
    Byte NearestIndex(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen,
                      Byte& outBlue) override {
        return Nearest(red, green, blue, outRed, outGreen, outBlue);
    }
    // NearestIndex without the virtual call.
    static Byte Nearest(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen,
                        Byte& outBlue) {
        Byte gray = static_cast<Byte>((red * 77 + green * 150 + blue * 29) >> 8);
        outRed = outGreen = outBlue = gray;
        return gray;
    }
};

// Black (index 0) up to a luminance sum of 0x7F00, white (index 1) above.
class TMonochromeLookup final : public TColorLookup {
public:
    explicit TMonochromeLookup(HPALETTE palette = 0) : TColorLookup(palette) { ColorCount = 2; }
    Byte NearestIndex(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen,
                      Byte& outBlue) override;
};

#pragma once
// A view of pixel memory in any of the formats, and the conversions between them.
// Two kinds of pixel value appear: Px, a true colour 0x00RRGGBB (memory order B, G, R, X,
// the 32-bit format itself), and "native" values, what a pixel of the surface holds (an
// index for the paletted formats, the packed word for 16 bits, 0x00RRGGBB for 24 bits).
#include "platform/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace gdi {

using Px = std::uint32_t;

constexpr Px pxFromColorref(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF colorrefFromPx(Px p) {
    return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}
constexpr Px pxFromQuad(const RGBQUAD& q) {
    return (Px{q.rgbRed} << 16) | (Px{q.rgbGreen} << 8) | q.rgbBlue;
}
constexpr RGBQUAD quadFromPx(Px p) {
    return RGBQUAD{static_cast<BYTE>(p), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p >> 16), 0};
}

// Channel masks of a 16- or 32-bit format.
struct Masks {
    DWORD red = 0, green = 0, blue = 0;
    friend bool operator==(const Masks&, const Masks&) = default;
};
constexpr Masks kMasks555{0x7C00, 0x03E0, 0x001F};
constexpr Masks kMasks565{0xF800, 0x07E0, 0x001F};
constexpr Masks kMasks888{0xFF0000, 0x00FF00, 0x0000FF};

struct Surface {
    int width = 0;
    int height = 0;
    int bpp = 0;
    BYTE* top = nullptr;      // first byte of the top row
    std::ptrdiff_t pitch = 0; // from one row to the one below (negative when bottom-up)
    bool mono = false;        // a device monochrome bitmap: 0 is black, 1 white
    const RGBQUAD* colors = nullptr;
    int colorCount = 0;
    Masks masks; // 16 and 32 bits

    BYTE* row(int y) const { return top + static_cast<std::ptrdiff_t>(y) * pitch; }
    bool paletted() const { return bpp <= 8 && !mono; }
    bool plain32() const { return bpp == 32 && masks == kMasks888; }
    // All bits a native value may hold.
    std::uint32_t nativeMask() const;
};

// Native values of pixels [x, x + n) of row y, and back.
void unpackRow(const Surface& s, int y, int x, int n, std::uint32_t* out);
void packRow(const Surface& s, int y, int x, int n, const std::uint32_t* in);

Px nativeToPx(const Surface& s, std::uint32_t v);
void readPxRow(const Surface& s, int y, int x, int n, Px* out);

// Nearest colour in a table: smallest squared distance, lowest index on ties. Exact, and
// fast on whole pictures: every 8x8x8 cell of colour space keeps the short list of entries
// that can be nearest for some colour inside it; recent answers are remembered by colour, as
// pictures repeat their colours (runs, flat areas, a few hundred shades of a gradient). For
// colours not seen lately (noise), each 4x4x4 box of colour space is settled when first met:
// either one entry is proved nearest throughout it, or it keeps its own shorter list.
class ColorMatcher {
public:
    explicit ColorMatcher(std::vector<Px> table);
    int nearest(Px p);
    // The plain search over the whole table, the reference the fast one must agree with.
    int nearestExact(Px p) const;
    const std::vector<Px>& table() const { return table_; }

private:
    struct BoxList {
        std::uint32_t start = 0;
        std::uint16_t count = 0;
    };
    const std::uint8_t* candidates(int cell, int& count);
    int search(Px p);
    int searchIn(Px p, const std::uint8_t* candidates, int count) const;
    std::uint16_t resolveBox(Px p);
    std::vector<Px> table_;
    // Per 4x4x4 box, filled as boxes are met: the entry nearest to every colour in it, or
    // which short list of candidates to search (see resolveBox).
    std::vector<std::uint16_t> boxes_;
    std::vector<BoxList> boxLists_;
    std::vector<std::uint8_t> boxPool_;
    // Recent answers, direct-mapped by colour: slot = colour << 8 | index.
    std::vector<std::uint32_t> memo_;
    std::vector<std::int32_t> cellStart_;
    std::vector<std::uint16_t> cellCount_;
    std::vector<std::uint8_t> pool_;
};

// A matcher for this table, shared by the calls of one thread.
ColorMatcher& matcherFor(const RGBQUAD* colors, int count);

// True colour to the surface's native values.
class Encoder {
public:
    explicit Encoder(const Surface& s);
    std::uint32_t operator()(Px p);
    void encodeRow(const Px* in, int n, std::uint32_t* out);

private:
    const Surface& s_;
    ColorMatcher* matcher_ = nullptr;
    int shift_[3] = {0, 0, 0};
    int bits_[3] = {0, 0, 0};
};

void writePxRow(const Surface& s, Encoder& encoder, int y, int x, int n, const Px* in);

// The standard colour tables: 2 (black, white), 16 (the standard 16 colours) or 256 (our
// halftone table). stock20 is the 20 standard system colours.
const std::vector<RGBQUAD>& standardTable(int bpp);
const std::vector<RGBQUAD>& stock20();

// Checked sizes: row bytes for a width and depth padded to `align` bytes, 0 on overflow or
// a bad argument.
std::size_t rowBytes(std::int64_t width, int bpp, int align);

} // namespace gdi

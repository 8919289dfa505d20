#pragma once
// A view of pixel memory in any of the formats, and the conversions between them.
// Two kinds of pixel value appear: Px, a true colour 0x00RRGGBB (memory order B, G, R, X,
// the 32-bit format itself), and "native" values, what a pixel of the surface holds (an
// index for the paletted formats, the packed word for 16 bits, 0x00RRGGBB for 24 bits).
#include "platform/WinTypes.h"
#include "platform/gdi/internal/ColorMatcher.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace gdi {

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

// True colour to the surface's native values.
class Encoder {
public:
    explicit Encoder(const Surface& s);
    std::uint32_t operator()(Px p);
    void encodeRow(const Px* in, int n, std::uint32_t* out);
    // The nearest-colour map of a paletted surface, else null.
    ColorMatcher* matcher() const { return matcher_.get(); }

private:
    const Surface& s_;
    std::shared_ptr<ColorMatcher> matcher_;
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

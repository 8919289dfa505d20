#pragma once
// Raster operations on rows of native values: the ternary operations of the blits (pattern,
// source, destination), the pattern a brush lays down, and the conversion that brings a
// source's pixels into a destination's format.
#include "platform/gdi/internal/Surface.h"

#include <array>
#include <cstdint>
#include <vector>

namespace gdi {

struct BrushObj;

// The operation code of a raster operation (its truth table over pattern, source, dest).
constexpr std::uint8_t ropCode(DWORD rop) {
    return static_cast<std::uint8_t>(rop >> 16);
}
constexpr bool ropUsesSource(std::uint8_t r) {
    return ((r >> 2) & 0x33) != (r & 0x33);
}
constexpr bool ropUsesPattern(std::uint8_t r) {
    return ((r >> 4) & 0x0F) != (r & 0x0F);
}
constexpr bool ropUsesDest(std::uint8_t r) {
    return ((r >> 1) & 0x55) != (r & 0x55);
}
// A line-drawing mode (R2_*) as the ternary code with the pen as pattern.
std::uint8_t ropFromRop2(int rop2);

// A brush resolved for one destination: its values repeat every 8 pixels from the brush
// origin (device coordinates); pixels outside `mask` (hatch gaps drawn transparently) are
// left alone.
struct Pattern {
    bool solid = true;
    std::uint32_t value = 0;
    std::array<std::uint32_t, 64> values{};
    std::uint64_t mask = ~std::uint64_t{0};
    int originX = 0;
    int originY = 0;
    bool none = false; // a null brush: nothing is drawn

    static Pattern solidValue(std::uint32_t v) {
        Pattern p;
        p.value = v;
        return p;
    }
    // The 8 values and mask bits of device row y, starting at device column x.
    void rowValues(int x, int y, std::uint32_t out[8], std::uint8_t& maskBits) const;
};

Pattern makePattern(const BrushObj& brush, const Surface& dest, Encoder& encoder, Px text, Px bk,
                    bool opaque, POINT origin);

// Applies rop to pixels [x, x + n) of row y of dest. src holds n native values of dest's
// format (may be null when rop ignores the source); pat may be null when rop ignores it.
void ropSpan(const Surface& dest, int y, int x, int n, const std::uint32_t* src, const Pattern* pat,
             std::uint8_t rop);
// As ropSpan, choosing per pixel: fore where mask bit i is 1, back where 0.
void ropSpanMasked(const Surface& dest, int y, int x, int n, const std::uint32_t* src,
                   const Pattern* pat, const std::uint8_t* maskBits, std::uint8_t fore,
                   std::uint8_t back);

// Brings a source's pixels into the native values of a destination, with the monochrome
// rules: a monochrome source paints text colour for 0 and background colour for 1; a
// colour source gives a monochrome destination 1 where it equals the source's background.
class SourceConverter {
public:
    SourceConverter(const Surface& src, Px srcBk, const Surface& dest, Px destText, Px destBk);
    void row(int y, int x, int n, std::uint32_t* out);
    // Pixel values of the source as true colour (for resampling).
    static void pxRow(const Surface& src, int y, int x, int n, Px* out) {
        readPxRow(src, y, x, n, out);
    }

private:
    enum class Mode { Raw, MonoToColor, ColorToMono, Lut, Encode };
    Surface src_;
    Surface dest_;
    Mode mode_ = Mode::Raw;
    Px srcBk_ = 0;
    std::uint32_t lut_[256] = {};
    Encoder encoder_;
    std::vector<Px> tmp_;
};

// Converts true-colour rows into a destination's native values, with the monochrome rule
// (1 where the colour equals bk) when the destination is monochrome.
class PxToNative {
public:
    PxToNative(const Surface& dest, Px srcBk) : dest_(dest), bk_(srcBk), encoder_(dest) {}
    void convert(const Px* in, int n, std::uint32_t* out);

private:
    const Surface& dest_;
    Px bk_;
    Encoder encoder_;
};

} // namespace gdi

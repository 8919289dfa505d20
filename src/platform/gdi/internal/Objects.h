#pragma once
// The drawing objects behind the handles.
#include "platform/gdi/Font.h"
#include "platform/gdi/internal/Handles.h"
#include "platform/gdi/internal/RegionData.h"
#include "platform/gdi/internal/Surface.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace gdi {

class FontFace; // GlyphCache.h

struct BitmapObj : Object {
    static constexpr Kind kKind = Kind::Bitmap;
    BitmapObj() : Object(kKind) {}

    int width = 0;
    int height = 0;
    int bpp = 32;
    bool dib = false;     // a DIB section (else a device bitmap: 32-bit or monochrome)
    bool topDown = false; // DIB rows run top-down (negative biHeight)
    std::size_t stride = 0;
    std::vector<BYTE> storage;
    std::vector<RGBQUAD> colors; // the colour table, its count kept
    Masks masks = kMasks888;
    DWORD compression = BI_RGB;
    HDC selectedInto = 0;

    BYTE* bits() { return storage.data(); }
    Surface surface();
    // Allocates zeroed rows, or rows copied from init (as many bytes as the rows take); false
    // when the size is absurd.
    bool allocate(int w, int h, int depth, int rowAlign, const BYTE* init = nullptr);
};

// One drawing state of a DC; SaveDC pushes a copy.
struct DcState {
    HBITMAP bitmap = 0;
    HPEN pen = 0;
    HBRUSH brush = 0;
    HFONT font = 0;
    HPALETTE palette = 0;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = 2;       // OPAQUE
    int rop2 = 13;        // R2_COPYPEN
    int stretchMode = 1;  // BLACKONWHITE
    int polyFillMode = 1; // ALTERNATE
    UINT textAlign = 0;
    POINT viewportOrg;
    POINT windowOrg;
    POINT brushOrg;
    POINT position;
    std::optional<RegionData> clip; // device coordinates, relative to the device origin
};

struct DcObj : Object {
    static constexpr Kind kKind = Kind::Dc;
    DcObj() : Object(kKind) {}

    DcState state;
    std::vector<DcState> saved;
    bool screen = false;   // no bitmap of its own: drawing does nothing
    HBITMAP ownBitmap = 0; // the 1x1 monochrome bitmap a memory DC starts with
    HWND window = 0;
    POINT deviceOrigin;
    std::optional<RegionData> visible; // bitmap coordinates

    // The clip in bitmap coordinates, cut to the bitmap; rebuilt after any change.
    const RegionData& effectiveClip(int bitmapWidth, int bitmapHeight);
    void clipChanged() { clipValid_ = false; }
    // Logical to device (bitmap) coordinates.
    // Kept within +-2^29 so that widths and sums of device coordinates cannot overflow; no
    // bitmap comes near that size.
    int toDevX(int x) const {
        return clampDevice(std::int64_t{x} - state.windowOrg.x + state.viewportOrg.x +
                           deviceOrigin.x);
    }
    int toDevY(int y) const {
        return clampDevice(std::int64_t{y} - state.windowOrg.y + state.viewportOrg.y +
                           deviceOrigin.y);
    }
    static int clampDevice(std::int64_t v) {
        constexpr std::int64_t kLimit = std::int64_t{1} << 29;
        return static_cast<int>(v < -kLimit ? -kLimit : v > kLimit ? kLimit : v);
    }

private:
    RegionData clipCache_;
    bool clipValid_ = false;
    int clipW_ = -1, clipH_ = -1;
};

struct PenObj : Object {
    static constexpr Kind kKind = Kind::Pen;
    PenObj() : Object(kKind) {}
    UINT style = 0;
    int width = 1;
    COLORREF color = 0;
};

struct BrushObj : Object {
    static constexpr Kind kKind = Kind::Brush;
    BrushObj() : Object(kKind) {}
    UINT style = 0; // BS_SOLID, BS_NULL, BS_HATCHED, BS_PATTERN
    COLORREF color = 0;
    int hatch = 0;
    UINT_PTR patternHandle = 0;   // what GetObject reports
    bool monoPattern = false;     // bits of the pattern: 0 text colour, 1 background colour
    std::array<Px, 64> pattern{}; // row-major 8x8 (colour, or 0/1 for mono)
};

struct PaletteObj : Object {
    static constexpr Kind kKind = Kind::Palette;
    PaletteObj() : Object(kKind) {}
    std::vector<PALETTEENTRY> entries;
};

struct RegionObj : Object {
    static constexpr Kind kKind = Kind::Region;
    RegionObj() : Object(kKind) {}
    RegionData data;
};

struct FontObj : Object {
    static constexpr Kind kKind = Kind::Font;
    FontObj() : Object(kKind) {}
    LOGFONT log;
    std::shared_ptr<FontFace> face; // made on first use
};

// Stock objects and defaults (made on first use).
HBRUSH stockObject(int which);
HFONT defaultFont();
HPALETTE defaultPalette();

} // namespace gdi

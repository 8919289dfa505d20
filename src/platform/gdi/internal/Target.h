#pragma once
// What a drawing call resolves from its DC once: the bitmap to draw on, its pixels, the clip
// in bitmap coordinates, and the colours of the DC in true colour.
#include "platform/gdi/internal/Objects.h"

namespace gdi {

struct Target {
    std::shared_ptr<DcObj> dc;
    std::shared_ptr<BitmapObj> bitmap; // null for the screen DC
    Surface surface;
    const RegionData* clip = nullptr;

    bool drawable() const { return bitmap && clip && !clip->empty(); }
};

// False for a handle that is no DC. A screen DC resolves with no bitmap.
bool resolveTarget(HDC dc, Target& out);

// A COLORREF in true colour (PALETTEINDEX through the DC's palette).
Px colorPx(const DcObj& dc, COLORREF color);

} // namespace gdi

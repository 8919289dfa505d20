#pragma once
// What TBitmap's source files share: the info header buffer of GetDIBits and CreateDIBSection
// calls and the check for a memory device context.
#include "platform/WinTypes.h"
#include "platform/gdi/Owned.h"
#include "rtl/Exception.h"

namespace bitmap_detail {

// A BITMAPINFO with room for a full colour table (or the three masks).
struct InfoBuffer {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
    BITMAPINFO* info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

// A memory device context holding one bitmap; no context is a lack of resources.
inline void Require(const gdi::SelectedMemoryDC& dc) {
    if (!dc) throw EOutOfResources("Out of system resources");
}

} // namespace bitmap_detail

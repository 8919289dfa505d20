#include "platform/gdi/Object.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/internal/Objects.h"

#include <algorithm>
#include <cstring>

using namespace gdi;

HGDIOBJ GetStockObject(int which) {
    return stockObject(which);
}

BOOL DeleteObject(HGDIOBJ obj) {
    auto o = findObject(obj);
    if (!o) return FALSE;
    if (o->stock) return TRUE;
    if (o->kind == Kind::Dc) return FALSE;
    if (o->kind == Kind::Bitmap) {
        auto b = std::static_pointer_cast<BitmapObj>(o);
        if (b->selectedInto && findObject(b->selectedInto)) return FALSE;
    }
    return removeObject(obj) ? TRUE : FALSE;
}

namespace {

template <class T> int copyOut(const T& value, int size, void* out) {
    if (!out) return static_cast<int>(sizeof(T));
    if (size < static_cast<int>(sizeof(T))) return 0;
    std::memcpy(out, &value, sizeof(T));
    return static_cast<int>(sizeof(T));
}

// For the bitmap structs, whose reported size is smaller than this build's: a buffer of the
// reported size is enough, and no more than the buffer holds is written.
template <class T> int copyOutReported(const T& value, int reported, int size, void* out) {
    if (!out) return reported;
    if (size < reported) return 0;
    std::memcpy(out, &value, std::min(static_cast<std::size_t>(size), sizeof(T)));
    return reported;
}

} // namespace

int GetObject(HGDIOBJ obj, int size, void* out) {
    auto o = findObject(obj);
    if (!o) return 0;
    switch (o->kind) {
    case Kind::Bitmap: {
        auto& b = static_cast<BitmapObj&>(*o);
        BITMAP bm;
        bm.bmWidth = b.width;
        bm.bmHeight = b.height;
        bm.bmWidthBytes = static_cast<LONG>(b.dib ? b.stride : rowBytes(b.width, b.bpp, 2));
        bm.bmPlanes = 1;
        bm.bmBitsPixel = static_cast<WORD>(b.bpp);
        bm.bmBits = b.dib ? b.bits() : nullptr;
        if (b.dib && (!out || size >= kDibSectionObjectSize)) {
            DIBSECTION ds;
            ds.dsBm = bm;
            ds.dsBmih.biWidth = b.width;
            ds.dsBmih.biHeight = b.topDown ? -b.height : b.height;
            ds.dsBmih.biBitCount = static_cast<WORD>(b.bpp);
            ds.dsBmih.biCompression = b.compression;
            ds.dsBmih.biSizeImage =
                static_cast<DWORD>(b.stride * static_cast<std::size_t>(b.height));
            ds.dsBmih.biClrUsed = b.bpp <= 8 ? static_cast<DWORD>(b.colors.size()) : 0;
            if (b.bpp == 16 || b.bpp == 32) {
                ds.dsBitfields[0] = b.masks.red;
                ds.dsBitfields[1] = b.masks.green;
                ds.dsBitfields[2] = b.masks.blue;
            }
            return copyOutReported(ds, kDibSectionObjectSize, size, out);
        }
        return copyOutReported(bm, kBitmapObjectSize, size, out);
    }
    case Kind::Pen: {
        auto& p = static_cast<PenObj&>(*o);
        LOGPEN lp;
        lp.lopnStyle = p.style;
        lp.lopnWidth.x = p.width;
        lp.lopnColor = p.color;
        return copyOut(lp, size, out);
    }
    case Kind::Brush: {
        auto& b = static_cast<BrushObj&>(*o);
        LOGBRUSH lb;
        lb.lbStyle = b.style;
        lb.lbColor = b.color;
        lb.lbHatch = b.style == BS_HATCHED ? static_cast<UINT_PTR>(b.hatch) : b.patternHandle;
        return copyOut(lb, size, out);
    }
    case Kind::Font:
        return copyOut(static_cast<FontObj&>(*o).log, size, out);
    case Kind::Palette: {
        WORD count = static_cast<WORD>(static_cast<PaletteObj&>(*o).entries.size());
        return copyOut(count, size, out);
    }
    default:
        return 0;
    }
}

DWORD GetObjectType(HGDIOBJ obj) {
    auto o = findObject(obj);
    if (!o) return 0;
    switch (o->kind) {
    case Kind::Bitmap:
        return OBJ_BITMAP;
    case Kind::Dc:
        return static_cast<DcObj&>(*o).screen ? OBJ_DC : OBJ_MEMDC;
    case Kind::Pen:
        return OBJ_PEN;
    case Kind::Brush:
        return OBJ_BRUSH;
    case Kind::Font:
        return OBJ_FONT;
    case Kind::Palette:
        return OBJ_PAL;
    case Kind::Region:
        return OBJ_REGION;
    }
    return 0;
}

BOOL GdiFlush() {
    return TRUE;
}

// Drawing a frame onto a canvas: the rectangle given stands for the whole logical screen;
// the frame is stretched into its part of it, or tiled at its own size, through its mask
// when asked.
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "gif/GIFDIB.h"
#include "gif/GIFImageCore.h"
#include "gif/GIFSubImage.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Object.h"
#include "rtl/Arithmetic.h"

namespace {

// A memory context holding the mask for the lifetime of the guard.
class MaskContext {
public:
    explicit MaskContext(HBITMAP mask)
        : dc_(static_cast<HDC>(CheckGDIHandle(CreateCompatibleDC(0)))),
          old_(SelectObject(dc_, mask)) {}
    ~MaskContext() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    MaskContext(const MaskContext&) = delete;
    MaskContext& operator=(const MaskContext&) = delete;
    HDC Handle() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace

void TGIFSubImage::PaintFrame(TCanvas* canvas, const TRect& rect, bool tile, bool transparent) {
    if (tile)
        PaintFrameRect(canvas, rect, true, transparent);
    else
        PaintFrameRect(canvas, PlaceInRect(rect), false, transparent);
}

TRect TGIFSubImage::PlaceInRect(const TRect& rect) {
    int sw = Image ? Image->ScreenWidth() : 0;
    int sh = Image ? Image->ScreenHeight() : 0;
    int rw = rect.right - rect.left, rh = rect.bottom - rect.top;
    return Rect(rect.left + MulDiv(Left(), rw, sw), rect.top + MulDiv(Top(), rh, sh),
                rect.left + MulDiv(Left() + Width(), rw, sw),
                rect.top + MulDiv(Top() + Height(), rh, sh));
}

std::vector<TRect> TGIFSubImage::TileRects(const TRect& rect) {
    std::vector<TRect> tiles;
    int sw = Image ? Image->ScreenWidth() : 0;
    int sh = Image ? Image->ScreenHeight() : 0;
    if (sw <= 0 || sh <= 0) return tiles;
    for (int y = rect.top + Top(); y < rect.bottom; y += sh)
        for (int x = rect.left + Left(); x < rect.right; x += sw)
            tiles.push_back(Rect(x, y, x + Width(), y + Height()));
    return tiles;
}

void TGIFSubImage::PaintFrameRect(TCanvas* canvas, const TRect& rect, bool tile, bool transparent) {
    if (!canvas) return;
    TBitmap* bitmap = GetFrameBitmap();
    if (!bitmap) return;
    int w = Width(), h = Height();

    if (transparent && IsTransparent && MaskReady()) {
        bitmap = GetFrameBitmap();
        if (!bitmap) return;
        MaskContext mask(MaskBitmap);
        canvas->Changing();
        HDC dest = canvas->Handle();
        HDC source = bitmap->Canvas()->Handle();
        if (!tile) {
            MaskedStretchBlt(dest, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, source, 0, 0, w, h, mask.Handle(), 0, 0);
        } else {
            for (const TRect& t : TileRects(rect))
                MaskedStretchBlt(dest, t.left, t.top, w, h, source, 0, 0, w, h, mask.Handle(), 0,
                                 0);
        }
        canvas->Changed();
        return;
    }
    if (!tile) {
        canvas->StretchDraw(rect, bitmap);
    } else {
        for (const TRect& t : TileRects(rect))
            canvas->StretchDraw(t, bitmap);
    }
}

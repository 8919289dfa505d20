#include "gif/GIFSubImageDrawing.h"
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "gif/GIFDIB.h"
#include "gif/GIFImageCore.h"

#include "gif/GIFSubImage.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "platform/gdi/Region.h"
#include "rtl/Arithmetic.h"
#include "rtl/ScopeGuard.h"

void GIFSubImageDrawing::Paint(TCanvas* canvas, const TRect& rect, bool tile, bool transparent) {
    if (tile) {
        PaintRect(canvas, rect, true, transparent);
        return;
    }
    const TRect placed = PlaceInRect(rect);
    if (!canvas || (placed.left >= rect.left && placed.top >= rect.top &&
                    placed.right <= rect.right && placed.bottom <= rect.bottom)) {
        PaintRect(canvas, placed, false, transparent);
        return;
    }
    // A frame reaching past the logical screen is cut at the screen's edge, as decoders cut
    // it, instead of drawing over what lies beside the picture. Only the clip is put back
    // afterwards: the canvas keeps track of what else is selected into its context.
    HDC dc = canvas->Handle();
    gdi::UniqueObject clip(CheckGDIHandle(CreateRectRgn(0, 0, 0, 0)));
    const bool clipped = GetClipRgn(dc, static_cast<HRGN>(clip.get())) == 1;
    ScopeGuard restore([&] { SelectClipRgn(dc, clipped ? static_cast<HRGN>(clip.get()) : 0); });
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    PaintRect(canvas, placed, false, transparent);
}

TRect GIFSubImageDrawing::PlaceInRect(const TRect& rect) const {
    const TGIFSubImage& f = frame_;
    int sw = f.Image ? f.Image->ScreenWidth() : 0;
    int sh = f.Image ? f.Image->ScreenHeight() : 0;
    int rw = rect.right - rect.left, rh = rect.bottom - rect.top;
    return Rect(rect.left + MulDiv(f.Left(), rw, sw), rect.top + MulDiv(f.Top(), rh, sh),
                rect.left + MulDiv(f.Left() + f.Width(), rw, sw),
                rect.top + MulDiv(f.Top() + f.Height(), rh, sh));
}

std::vector<TRect> GIFSubImageDrawing::TileRects(const TRect& rect) const {
    const TGIFSubImage& f = frame_;
    std::vector<TRect> tiles;
    int sw = f.Image ? f.Image->ScreenWidth() : 0;
    int sh = f.Image ? f.Image->ScreenHeight() : 0;
    if (sw <= 0 || sh <= 0) return tiles;
    for (int y = rect.top + f.Top(); y < rect.bottom; y += sh)
        for (int x = rect.left + f.Left(); x < rect.right; x += sw)
            tiles.push_back(Rect(x, y, x + f.Width(), y + f.Height()));
    return tiles;
}

void GIFSubImageDrawing::PaintRect(TCanvas* canvas, const TRect& rect, bool tile,
                                   bool transparent) {
    if (!canvas) return;
    TBitmap* bitmap = frame_.GetFrameBitmap();
    if (!bitmap) return;
    int w = frame_.Width(), h = frame_.Height();

    if (transparent && frame_.IsTransparent() && frame_.MaskReady()) {
        bitmap = frame_.GetFrameBitmap();
        if (!bitmap) return;
        gdi::SelectedMemoryDC mask(frame_.MaskHandle());
        CheckGDIHandle(mask.get());
        canvas->Changing();
        HDC dest = canvas->Handle();
        HDC source = bitmap->Canvas()->Handle();
        if (!tile) {
            MaskedStretchBlt(dest, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, source, 0, 0, w, h, mask.get(), 0, 0);
        } else {
            for (const TRect& t : TileRects(rect))
                MaskedStretchBlt(dest, t.left, t.top, w, h, source, 0, 0, w, h, mask.get(), 0, 0);
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

// --- the frame's side ---

void TGIFSubImage::PaintFrame(TCanvas* canvas, const TRect& rect, bool tile, bool transparent) {
    GIFSubImageDrawing(*this).Paint(canvas, rect, tile, transparent);
}

TRect TGIFSubImage::PlaceInRect(const TRect& rect) {
    return GIFSubImageDrawing(*this).PlaceInRect(rect);
}

std::vector<TRect> TGIFSubImage::TileRects(const TRect& rect) {
    return GIFSubImageDrawing(*this).TileRects(rect);
}

void TGIFSubImage::PaintFrameRect(TCanvas* canvas, const TRect& rect, bool tile, bool transparent) {
    GIFSubImageDrawing(*this).PaintRect(canvas, rect, tile, transparent);
}

// A frame's cached rendering: the 8-bit bitmap of its pixels, the monochrome mask of its
// transparent pixels (built in the same pass) and its palette.
#include "framework/ProgressScope.h"
#include "gif/GIFColorLookup.h"
#include "gif/GIFDIB.h"
#include "gif/GIFDitherers.h"
#include "gif/GIFGraphic.h"
#include "gif/GIFPalettes.h"
#include "gif/GIFSubImage.h"
#include "gif/codec/GIFException.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Object.h"

#include <cstring>
#include <vector>

namespace {

constexpr const char* kRendering = "Rendering...";
// Progress is reported before every this many rows.
constexpr int kProgressRows = 32;

TGIFGraphic* GraphicOf(GIFImageCore* image) {
    return dynamic_cast<TGIFGraphic*>(image);
}

void Report(TGIFSubImage& frame, TProgressStage stage, int percent, bool redraw) {
    if (frame.Image) frame.Image->ReportProgress(&frame, stage, percent, kRendering, redraw);
}

// Mask rows are 16-bit aligned, as monochrome bitmaps want them; bit 0x80 is the first pixel.
class MaskBuilder {
public:
    MaskBuilder(bool build, int width, int height)
        : build_(build), rowBytes_(((Int64(width) + 15) / 16) * 2), width_(width), height_(height) {
        if (build) bits_.assign(static_cast<size_t>(rowBytes_ * height), 0);
    }
    bool Building() const { return !bits_.empty(); }
    void Set(int x, int y) {
        bits_[static_cast<size_t>(y * rowBytes_ + x / 8)] |= static_cast<Byte>(0x80 >> (x % 8));
        any_ = true;
    }
    // The monochrome bitmap, or 0 when no pixel is transparent.
    HBITMAP Make() const {
        if (!any_) return 0;
        return static_cast<HBITMAP>(
            CheckGDIHandle(CreateBitmap(width_, height_, 1, 1, bits_.data())));
    }
    // Gives the cache the mask built (when one was asked for) and marks its mask current.
    void Finish(GIFSubImageCache& cache) const {
        if (build_)
            cache.SetMask(Make());
        else
            cache.KeepMask();
    }

private:
    bool build_;
    std::vector<Byte> bits_;
    Int64 rowBytes_;
    int width_, height_;
    bool any_ = false;
};

} // namespace

bool TGIFSubImage::MaskReady() {
    if (cache_.MaskStale() && transparent_) {
        DropBitmap();
        GetFrameBitmap();
    }
    return cache_.Mask() != 0;
}

TBitmap* TGIFSubImage::GetFrameBitmap() {
    if (cache_.HasBitmap() || IsEmpty()) return cache_.Bitmap();
    TGIFGraphic* g = GraphicOf(Image);
    bool redraw = g && g->PaletteModified();
    {
        ProgressScope progress([this, redraw](TProgressStage stage, Byte percent) {
            Report(*this, stage, percent, stage == psEnding && redraw);
        });
        try {
            cache_.SetBitmap(g && g->ShouldDither() ? RenderDithered() : RenderPlain());
        } catch (EAbort&) {
            // An abort leaves no bitmap and no error.
            return nullptr;
        }
        progress.Finish();
    }
    if (g && g->PaletteModified()) g->FrameChanged(this);
    return cache_.Bitmap();
}

HPALETTE TGIFSubImage::GetPaletteHandle() {
    TBitmap* bitmap = cache_.Bitmap();
    if (bitmap && bitmap->Palette()) return bitmap->Palette();
    if (cache_.Palette()) return cache_.Palette();
    TGIFGraphic* g = GraphicOf(Image);
    if (g && g->ShouldDither()) {
        cache_.SetPalette(BuildNetscapePalette());
        return cache_.Palette();
    }
    if (ownColorMap_.Count() == 0) return g ? g->GetPaletteHandle() : 0;
    cache_.SetPalette(ownColorMap_.ToPalette());
    return cache_.Palette();
}

void TGIFSubImage::SetPaletteHandle(HPALETTE palette) {
    if (palette == cache_.Palette()) return;
    cache_.SetPalette(palette);
    TBitmap* bitmap = cache_.Bitmap();
    if (bitmap && bitmap->Palette() != palette) {
        DropBitmap();
        if (TGIFGraphic* g = GraphicOf(Image)) {
            g->SetPaletteModified(true);
            g->FrameChanged(this);
        }
    }
}

ObjectPtr<TBitmap> TGIFSubImage::RenderPlain() {
    ObjectPtr<TBitmap> bitmap = MakeObject<TBitmap>();
    int w = Width(), h = Height();
    MaskBuilder mask(cache_.MaskStale() && transparent_, w, h);
    Byte t = static_cast<Byte>(TransparentIndex());
    {
        TDIBWriter writer(bitmap.get(), pf8bit, w, h, GetPaletteHandle());
        for (int y = 0; y < h; ++y) {
            if (y % kProgressRows == 0) Report(*this, psRunning, PercentOf(y, h), false);
            const Byte* src = PixelRow(y);
            std::memcpy(writer.RowPointer(y), src, static_cast<size_t>(w));
            if (mask.Building())
                for (int x = 0; x < w; ++x)
                    if (src[x] == t) mask.Set(x, y);
        }
        writer.FlushToBitmap();
    }
    mask.Finish(cache_);
    return bitmap;
}

ObjectPtr<TBitmap> TGIFSubImage::RenderDithered() {
    ObjectPtr<TBitmap> bitmap = MakeObject<TBitmap>();
    int w = Width(), h = Height();
    MaskBuilder mask(cache_.MaskStale() && transparent_, w, h);
    Byte t = static_cast<Byte>(TransparentIndex());

    // Every byte value gets a colour: indices past the map's end show black, as they do in
    // the plain rendering's colour table.
    TGIFColor colors[256] = {};
    TGIFColorMap& map = EffectiveColorMap();
    for (int i = 0; i < map.Count() && i < 256; ++i)
        colors[i] = map.Colors()[i];

    TNetscapeColorLookup lookup;
    TFloydSteinbergDitherer ditherer(w, &lookup);
    Byte r, g, b;
    // Transparent pixels are filled with the cube's own entry for the transparent colour.
    const TGIFColor& tc = colors[t];
    Byte fill = lookup.NearestIndex(tc.Red, tc.Green, tc.Blue, r, g, b);
    {
        TDIBWriter writer(bitmap.get(), pf8bit, w, h, GetPaletteHandle());
        for (int y = 0; y < h; ++y) {
            if (y % kProgressRows == 0) Report(*this, psRunning, PercentOf(y, h), false);
            const Byte* src = PixelRow(y);
            auto* dst = static_cast<Byte*>(writer.RowPointer(y));
            if (mask.Building()) std::memset(dst, fill, static_cast<size_t>(w));
            for (int n = 0; n < w; ++n) {
                int x = ditherer.Column;
                Byte p = src[x];
                if (mask.Building() && p == t) {
                    mask.Set(x, y);
                    ditherer.Column += ditherer.Step;
                    continue;
                }
                const TGIFColor& c = colors[p];
                dst[x] = ditherer.DitherPixel(c.Red, c.Green, c.Blue, r, g, b);
            }
            ditherer.NextRow();
        }
        writer.FlushToBitmap();
    }
    mask.Finish(cache_);
    return bitmap;
}

void TGIFSubImage::CopyToBitmap(TPersistent* target) {
    if (auto* bitmap = dynamic_cast<TBitmap*>(target)) {
        bitmap->Assign(GetFrameBitmap());
        return;
    }
    inherited::AssignTo(target);
}

#pragma once
// What a frame keeps of its last rendering: the bitmap at its own size, the monochrome mask
// of its transparent pixels (1 = transparent) and its palette. Each is dropped by whatever
// makes it out of date and rebuilt on demand.
#include "platform/WinTypes.h"
#include "platform/gdi/Owned.h"
#include "rtl/Object.h"

class TBitmap;

class GIFSubImageCache {
public:
    GIFSubImageCache();
    ~GIFSubImageCache();
    GIFSubImageCache(const GIFSubImageCache&) = delete;
    GIFSubImageCache& operator=(const GIFSubImageCache&) = delete;

    bool HasBitmap() const { return bitmap_ != nullptr; }
    TBitmap* Bitmap() const { return bitmap_.get(); }
    // Replaces the bitmap by a new empty one.
    TBitmap* NewBitmap();
    void SetBitmap(ObjectPtr<TBitmap> bitmap);
    void DropBitmap();

    HBITMAP Mask() const { return mask_.get(); }
    // The mask must be built at the next rendering.
    bool MaskStale() const { return maskStale_; }
    // Takes the mask built by a rendering (0 when no pixel is transparent); the mask is
    // current from now on.
    void SetMask(HBITMAP mask);
    // The mask held (or its absence) stays current: the rendering was asked for no mask.
    void KeepMask() { maskStale_ = false; }
    void DropMask();

    HPALETTE Palette() const { return palette_.get(); }
    // Takes the palette, deleting the one held before.
    void SetPalette(HPALETTE palette) { palette_.reset(palette); }

private:
    ObjectPtr<TBitmap> bitmap_;
    gdi::UniqueObject mask_;
    bool maskStale_ = true;
    gdi::UniqueObject palette_;
};

#include "gif/GIFSubImageCache.h"

#include "platform/gdi/Object.h"

GIFSubImageCache::~GIFSubImageCache() {
    DropMask();
    SetPalette(0);
}

TBitmap* GIFSubImageCache::NewBitmap() {
    bitmap_ = MakeObject<TBitmap>();
    return bitmap_.get();
}

void GIFSubImageCache::SetMask(HBITMAP mask) {
    if (mask_ && mask_ != mask) DeleteObject(mask_);
    mask_ = mask;
    maskStale_ = false;
}

void GIFSubImageCache::DropMask() {
    if (mask_) DeleteObject(mask_);
    mask_ = 0;
    maskStale_ = true;
}

void GIFSubImageCache::SetPalette(HPALETTE palette) {
    if (palette == palette_) return;
    if (palette_) DeleteObject(palette_);
    palette_ = palette;
}

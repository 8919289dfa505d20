#include "gif/GIFSubImageCache.h"

TBitmap* GIFSubImageCache::NewBitmap() {
    bitmap_ = MakeObject<TBitmap>();
    return bitmap_.get();
}

void GIFSubImageCache::SetMask(HBITMAP mask) {
    mask_.reset(mask);
    maskStale_ = false;
}

void GIFSubImageCache::DropMask() {
    mask_.reset();
    maskStale_ = true;
}

#include "gif/GIFSubImageCache.h"

#include "framework/Bitmap.h"

GIFSubImageCache::GIFSubImageCache() = default;
GIFSubImageCache::~GIFSubImageCache() = default;

TBitmap* GIFSubImageCache::NewBitmap() {
    bitmap_ = MakeObject<TBitmap>();
    return bitmap_.get();
}

void GIFSubImageCache::SetBitmap(ObjectPtr<TBitmap> bitmap) {
    bitmap_ = std::move(bitmap);
}

void GIFSubImageCache::DropBitmap() {
    bitmap_.reset();
}

void GIFSubImageCache::SetMask(HBITMAP mask) {
    mask_.reset(mask);
    maskStale_ = false;
}

void GIFSubImageCache::DropMask() {
    mask_.reset();
    maskStale_ = true;
}

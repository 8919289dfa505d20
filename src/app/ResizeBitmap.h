#pragma once
// Halftone resampling of a bitmap: every cell picture, zoomed frame and list icon passes
// through it.
#include "rtl/Object.h"

class TBitmap;

// The bitmap becomes width x height, the whole old picture averaged onto it; the pixel
// format stays. A side of 0 or less empties it.
void ResizeBitmap(TBitmap* bitmap, int width, int height);

// The same into another bitmap: target becomes source averaged onto width x height, in the
// source's pixel format and palette, as a copy of source resized in place would be (without
// the full-size copy). Source stays as it is; target may be source.
void ResizeBitmap(TBitmap* target, TBitmap* source, int width, int height);

// The same into a new bitmap, the caller's.
ObjectPtr<TBitmap> ResizedCopy(TBitmap* source, int width, int height);

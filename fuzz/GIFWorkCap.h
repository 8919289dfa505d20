#pragma once
// Declared sizes may ask for hundreds of millions of pixels, which the codec loads lazily;
// decoding, drawing or saving them all is slow but no different from small ones, so the GIF
// targets only load such inputs and look for faults rather than timeouts.
#include "gif/GIFImageCore.h"
#include "gif/GIFSubImage.h"

constexpr Int64 kPixelsWorkedOn = Int64(1) << 20;

inline Int64 FramePixels(GIFImageCore& image) {
    Int64 total = 0;
    for (int i = 0; i < image.Frames().Count(); ++i)
        total += image.Frames().GetFrame(i)->PixelCount();
    return total;
}

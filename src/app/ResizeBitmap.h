#pragma once
// Halftone resampling of a bitmap in place: every cell picture, zoomed frame and list icon
// passes through it.
class TBitmap;

// The bitmap becomes width x height, the whole old picture averaged onto it; the pixel
// format stays. A side of 0 or less empties it.
void ResizeBitmap(TBitmap* bitmap, int width, int height);

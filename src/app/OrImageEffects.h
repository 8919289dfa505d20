#pragma once
// The picture view's spatial effects. Each works in place on a 24-bit bitmap (anything else,
// and an empty bitmap, is left alone) and stays inside the picture whatever its size.
#include "framework/Bitmap.h"

// Every pixel averaged with the inverse of the pixel three columns on in the row below (the
// row above for the last row); a single row is left as it is.
void EmbossBitmap(TBitmap* bitmap);
// Blocks of size x size pixels from the top left take their top-left pixel's colour.
void MosaicBitmap(TBitmap* bitmap, int size);
// Every pixel, top to bottom and left to right, becomes the average of the four pixels at
// distance d diagonally; above or left of the picture the pixel's own row or column is
// taken, below or right of it the last row or column.
void SplitBlurBitmap(TBitmap* bitmap, int distance);
// passes + 1 split blurs at distance 3; nothing for passes <= 0.
void GaussianBlurBitmap(TBitmap* bitmap, int passes);
// One pass: every inner pixel becomes the average of its four neighbours; the border stays.
void AntiAliasBitmap(TBitmap* bitmap);
// Blackens the pixels where neighbouring colours (compared by their index in an 8-bit copy)
// differ, passes times; from the second pass on each pass also sweeps back.
void TraceBitmap(TBitmap* bitmap, int passes);
// Bilinear resampling of source onto target at target's size, in 15-bit fixed point.
void ResampleBitmap(TBitmap* source, TBitmap* target);
// Draws original, shrunk to a tile of at least 10 x 10 pixels, repeatedly over cache (a
// picture of the original's size). Answers the value to keep: value itself, or the larger
// side div 10 when both tile sides came out at the 10-pixel minimum.
int TileBitmap(TBitmap* cache, TBitmap* original, int value);

#pragma once
// Colour reduction: any bitmap to a new 8-bit bitmap with a palette. The reduction method
// picks the palette and the lookup that belongs to it, the dither method how pixels are
// mapped to it.
#include "framework/Bitmap.h"
#include "gif/GIFQuantizer.h"

enum TReductionMethod : Byte {
    redNone = 0,
    redWindows20 = 1,
    redWindowsHalftone = 2,
    redWindowsGray = 3,
    redMonochrome = 4,
    redGrayScale = 5,
    redNetscape = 6,
    redQuantize = 7,
    redQuantizeWindows = 8,
    redPalette = 9,
};

// A new bitmap for the caller: 8 bits per pixel with the method's palette, a 24-bit
// copy for redNone, or empty for methods it does not know or a palette without entries. The
// source is converted in place to 24 bits (except for redNone). colorBits (0..8) sets the
// 2^bits colours of redQuantize.
ObjectPtr<TBitmap> ReduceBitmapColors(TBitmap* bitmap, int reductionMethod, int ditherMethod,
                                      int colorBits, HPALETTE customPalette);

// An octree palette of colorCount colours from 24-bit rows; withSystemColors puts the 20
// colours of the system palette at entries 0-9 and 246-255 and quantises 236 in between.
HPALETTE BuildQuantizedPalette(GIFRowSource& rows, int colorCount, int colorBits,
                               bool withSystemColors);
// The same over a bitmap, which is converted to 24 bits in place.
HPALETTE QuantizeBitmapPalette(TBitmap* bitmap, int colorCount, int colorBits,
                               bool withSystemColors);

// The rows of a 24-bit bitmap as a quantiser source.
class BitmapRows final : public GIFRowSource {
public:
    explicit BitmapRows(TBitmap* bitmap) : bitmap_(bitmap) {}
    int Width() const override { return bitmap_->Width(); }
    int Height() const override { return bitmap_->Height(); }
    const Byte* Row(int y) override { return static_cast<const Byte*>(bitmap_->ScanLine(y)); }

private:
    TBitmap* bitmap_;
};

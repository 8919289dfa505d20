// TBitmap's transparency: the transparent colour, fixed or taken from the bottom-left pixel,
// and the mask made from it.
#include "framework/Bitmap.h"

#include "framework/BitmapDetail.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"

#include <vector>

using namespace bitmap_detail;

COLORREF TBitmap::PixelAt(int x, int y) {
    if (!handle_) return 0;
    FreeContext();
    gdi::SelectedMemoryDC dc(handle_);
    Require(dc);
    return GetPixel(dc.get(), x, y);
}

TColor TBitmap::TransparentColor() {
    if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
    if (!handle_) return clDefault;
    return TColor(PixelAt(0, height_ - 1) & 0xFFFFFF);
}

void TBitmap::SetTransparentColor(TColor Value) {
    if (Value == transparentColor_ && transparentMode_ == (Value == clDefault ? tmAuto : tmFixed))
        return;
    transparentColor_ = Value;
    transparentMode_ = Value == clDefault ? tmAuto : tmFixed;
    Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
    if (Value == transparentMode_) return;
    if (Value == tmAuto)
        SetTransparentColor(clDefault);
    else
        SetTransparentColor(TransparentColor());
}

HBITMAP TBitmap::MaskHandle() {
    if (mask_ || !handle_) return mask_;
    const COLORREF key = ColorToRGB(TransparentColor()) & 0xFFFFFF;
    // The pixels as 32-bit colours, top row first.
    InfoBuffer info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width_;
    info.header.biHeight = -height_;
    info.header.biPlanes = 1;
    info.header.biBitCount = 32;
    std::vector<DWORD> pixels(size_t(width_) * size_t(height_));
    FreeContext();
    gdi::MemoryDC dc;
    const int lines =
        GetDIBits(dc.get(), handle_, 0, UINT(height_), pixels.data(), info.info(), DIB_RGB_COLORS);
    if (lines != height_) throw EOutOfResources("Out of system resources");
    // Monochrome rows are padded to 16 bits; 1 marks a see-through pixel.
    const size_t rowBytes = size_t((width_ + 15) / 16) * 2;
    std::vector<Byte> mono(rowBytes * size_t(height_), 0);
    const DWORD keyPixel = (GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key);
    for (int y = 0; y < height_; ++y) {
        const DWORD* row = pixels.data() + size_t(y) * size_t(width_);
        Byte* out = mono.data() + size_t(y) * rowBytes;
        for (int x = 0; x < width_; ++x)
            if ((row[x] & 0xFFFFFF) == keyPixel) out[x >> 3] |= Byte(0x80 >> (x & 7));
    }
    mask_ = CreateBitmap(width_, height_, 1, 1, mono.data());
    if (!mask_) throw EOutOfResources("Out of system resources");
    return mask_;
}

HBITMAP TBitmap::ReleaseMaskHandle() {
    HBITMAP result = MaskHandle();
    mask_ = 0;
    return result;
}

void TBitmap::DropMask() {
    if (mask_) DeleteObject(mask_);
    mask_ = 0;
}

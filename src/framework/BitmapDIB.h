#pragma once
// A bitmap's information header and pixel bits in a chosen pixel format, as the AVI writer
// stores every frame. The formats accepted are 1, 4, 8 and 24 bits; anything else raises
// GIFException "Unsupported PixelFormat", and a handle that is no bitmap raises GIFException
// "Bitmap image is not valid".
#include "framework/GraphicsTypes.h"
#include "platform/WinTypes.h"

// The header of the bitmap's pixels in the given format: the resolution comes from a DIB
// section's own header, everything else from the format and the bitmap's size.
void FillBitmapInfoHeader(HBITMAP bitmap, BITMAPINFOHEADER& header, TPixelFormat format);
// Bytes of the header block (header and colour table) and of the bits.
void GetBitmapDIBSizes(HBITMAP bitmap, DWORD& infoHeaderSize, DWORD& imageSize,
                       TPixelFormat format);
// Fills a header block of GetBitmapDIBSizes' size and the bits; false when no line came.
bool GetBitmapDIBits(HBITMAP bitmap, HPALETTE palette, void* infoHeader, void* bits,
                     TPixelFormat format);

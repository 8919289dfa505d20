#include "framework/BitmapDIB.h"

#include "framework/Bitmap.h"
#include "framework/BitmapFile.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "platform/gdi/Palette.h"
#include "rtl/Exception.h"

#include <cstddef>
#include <cstdlib>

namespace {

constexpr DWORD kHeaderSize = sizeof(BITMAPINFOHEADER);

int DIBBitsOfFormat(TPixelFormat format) {
    switch (format) {
    case pf1bit:
    case pf4bit:
    case pf8bit:
    case pf24bit:
        return TBitmap::BitCountOf(format);
    default:
        throw GIFException("Unsupported PixelFormat");
    }
}

} // namespace

void FillBitmapInfoHeader(HBITMAP bitmap, BITMAPINFOHEADER& header, TPixelFormat format) {
    if (bitmap == 0 || GetObjectType(bitmap) != OBJ_BITMAP)
        throw GIFException("Bitmap image is not valid");
    int bits = DIBBitsOfFormat(format);
    DIBSECTION ds{};
    int got = GetObject(bitmap, sizeof(ds), &ds);
    if (got <= 0) throw GIFException("Bitmap image is not valid");
    if (got >= static_cast<int>(offsetof(DIBSECTION, dsBitfields)) &&
        ds.dsBmih.biSize >= kHeaderSize) {
        header = ds.dsBmih;
    } else {
        header = BITMAPINFOHEADER{};
        header.biWidth = ds.dsBm.bmWidth;
        header.biHeight = ds.dsBm.bmHeight;
    }
    header.biSize = kHeaderSize;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(bitmap_file::RowBytes(header.biWidth, bits) *
                                            std::abs(static_cast<Int64>(header.biHeight)));
    // The colour counts describe the target's table, not whatever the source had.
    header.biClrUsed = 0;
    header.biClrImportant = 0;
}

void GetBitmapDIBSizes(HBITMAP bitmap, DWORD& infoHeaderSize, DWORD& imageSize,
                       TPixelFormat format) {
    BITMAPINFOHEADER header;
    FillBitmapInfoHeader(bitmap, header, format);
    int bits = header.biBitCount;
    infoHeaderSize = bits <= 8 ? kHeaderSize + 4 * (DWORD(1) << bits) : kHeaderSize;
    imageSize = header.biSizeImage;
}

bool GetBitmapDIBits(HBITMAP bitmap, HPALETTE palette, void* infoHeader, void* bits,
                     TPixelFormat format) {
    auto* header = static_cast<BITMAPINFOHEADER*>(infoHeader);
    FillBitmapInfoHeader(bitmap, *header, format);
    gdi::MemoryDC dc;
    if (!dc.get()) throw EOutOfResources("Out of system resources");
    gdi::PaletteSelection selected(dc.get(), palette);
    if (palette) RealizePalette(dc.get());
    UINT lines = static_cast<UINT>(std::abs(static_cast<Int64>(header->biHeight)));
    int copied = GetDIBits(dc.get(), bitmap, 0, lines, bits, static_cast<BITMAPINFO*>(infoHeader),
                           DIB_RGB_COLORS);
    return copied > 0;
}

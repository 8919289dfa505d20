#pragma once
// Bridges between the framework's TBitmap and raw DIB memory: a row reader that converts a
// bitmap in place, a row writer that assembles an 8 or 24-bit DIB and hands it to a bitmap,
// and a blit through a transparency mask. A bitmap's header and bits in a chosen format are
// the framework's (framework/BitmapDIB.h).
#include "framework/Bitmap.h"
#include "framework/GraphicsTypes.h"
#include "platform/WinTypes.h"

#include <memory>

// Raises EOutOfResources for a zero handle; answers the handle otherwise.
HANDLE CheckGDIHandle(HANDLE handle);

TPixelFormat BitmapPixelFormat(TBitmap& bitmap);
void SetBitmapPixelFormat(TBitmap& bitmap, TPixelFormat format);

class TDIB {
public:
    TDIB(TBitmap* bitmap, TPixelFormat format) : Bitmap(bitmap), PixelFormat(format) {}
    virtual ~TDIB() = default;
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;

    virtual void* RowPointer(int row) = 0;

    TBitmap* Bitmap; // not owned
    TPixelFormat PixelFormat;
};

// Converts the caller's bitmap to the format (it stays converted) and walks its rows.
class TDIBReader final : public TDIB {
public:
    TDIBReader(TBitmap* bitmap, TPixelFormat format);
    void* RowPointer(int row) override;
};

// An 8 or 24-bit DIB in the writer's own memory; the bitmap receives it when the writer is
// flushed (or destroyed). A positive Height is bottom-up, a negative one top-down; rows are
// counted from the top either way.
class TDIBWriter final : public TDIB {
public:
    TDIBWriter(TBitmap* bitmap, TPixelFormat format, int width, int height, HPALETTE palette);
    // Flushes when that has not been done; a failure there cannot be reported from here,
    // so callers that must know call FlushToBitmap themselves.
    ~TDIBWriter() override;

    void* RowPointer(int row) override;
    // Loads the picture into the bitmap and releases the DIB; nothing when no row was asked.
    void FlushToBitmap();
    void ReleaseDIB();

    Int64 RowBytes() const;
    const BITMAPINFOHEADER* Header() const {
        return reinterpret_cast<const BITMAPINFOHEADER*>(InfoHeader.get());
    }

    int Width;
    int Height;
    HPALETTE Palette; // not owned
    std::unique_ptr<Byte[]> InfoHeader;
    DWORD InfoSize = 0;
    std::unique_ptr<Byte[]> Bits;
    Int64 BitsSize = 0;

private:
    void AllocateDIB();
};

// Draws the source rectangle into the destination rectangle through the monochrome bitmap
// selected into maskDC: mask 1 keeps the destination, mask 0 takes the source.
bool MaskedStretchBlt(HDC destDC, int destX, int destY, int destWidth, int destHeight, HDC sourceDC,
                      int sourceX, int sourceY, int sourceWidth, int sourceHeight, HDC maskDC,
                      int maskX, int maskY);

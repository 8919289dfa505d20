#include "gif/GIFDIB.h"

#include "gif/codec/GIFException.h"
#include "gif/codec/GIFStreamIO.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "platform/gdi/Palette.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr DWORD kHeaderSize = sizeof(BITMAPINFOHEADER);
constexpr int kColorTableEntries = 256;
// Foreground operation of MaskBlt that leaves the destination as it is.
constexpr DWORD kKeepDestination = 0x00AA0029;
// No DIB of the codec comes near this; larger sizes would only overflow further on.
constexpr Int64 kMaxDIBBytes = Int64(1) << 34;

Int64 RowBytesOf(Int64 width, int bits) {
    return AlignedRowBytes(width, bits, 32);
}

} // namespace

HANDLE CheckGDIHandle(HANDLE handle) {
    // The platform keeps no message table for its error codes, so the fixed text is used.
    if (handle == 0) throw EOutOfResources(gifmsg::OutOfResources);
    return handle;
}

TPixelFormat BitmapPixelFormat(TBitmap& bitmap) {
    return bitmap.PixelFormat();
}

void SetBitmapPixelFormat(TBitmap& bitmap, TPixelFormat format) {
    bitmap.SetPixelFormat(format);
}

// --- TDIBReader ---

TDIBReader::TDIBReader(TBitmap* bitmap, TPixelFormat format) : TDIB(bitmap, format) {
    Bitmap->SetPixelFormat(format);
}

void* TDIBReader::RowPointer(int row) {
    return Bitmap->ScanLine(row);
}

// --- TDIBWriter ---

TDIBWriter::TDIBWriter(TBitmap* bitmap, TPixelFormat format, int width, int height,
                       HPALETTE palette)
    : TDIB(bitmap, format), Width(width), Height(height), Palette(palette) {
    if (format != pf8bit && format != pf24bit) RaiseGIFError(gifmsg::UnsupportedPixelFormat);
    if (width <= 0 || height == 0) RaiseGIFError(gifmsg::InvalidDimensions);
}

TDIBWriter::~TDIBWriter() {
    try {
        FlushToBitmap();
    } catch (...) {
        // Nothing can be reported from a destructor.
    }
    ReleaseDIB();
}

Int64 TDIBWriter::RowBytes() const {
    return RowBytesOf(Width, PixelFormat == pf8bit ? 8 : 24);
}

void TDIBWriter::ReleaseDIB() {
    InfoHeader.reset();
    Bits.reset();
    InfoSize = 0;
    BitsSize = 0;
}

void TDIBWriter::AllocateDIB() {
    ReleaseDIB();
    ScopeGuard releaseOnFailure([this] { ReleaseDIB(); });
    {
        bool paletted = PixelFormat == pf8bit;
        InfoSize = paletted ? kHeaderSize + kColorTableEntries * sizeof(RGBQUAD) : kHeaderSize;
        InfoHeader.reset(new Byte[InfoSize]());
        BITMAPINFOHEADER header;
        header.biWidth = Width;
        header.biHeight = Height;
        header.biBitCount = static_cast<WORD>(paletted ? 8 : 24);
        header.biCompression = BI_RGB;
        header.biSizeImage = 0;
        if (paletted) {
            UINT n = Palette ? GetPaletteEntries(Palette, 0, 0, nullptr) : 0;
            n = std::min<UINT>(n, kColorTableEntries);
            auto* table = reinterpret_cast<RGBQUAD*>(InfoHeader.get() + kHeaderSize);
            if (n > 0) {
                PALETTEENTRY entries[kColorTableEntries];
                n = GetPaletteEntries(Palette, 0, n, entries);
                for (UINT i = 0; i < n; ++i)
                    table[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
            }
            header.biClrUsed = kColorTableEntries;
            header.biClrImportant = n;
        }
        std::memcpy(InfoHeader.get(), &header, kHeaderSize);
        BitsSize = RowBytes() * std::abs(static_cast<Int64>(Height));
        if (BitsSize > kMaxDIBBytes) throw EOutOfMemory(gifmsg::DIBAllocFailed);
        Bits.reset(new (std::nothrow) Byte[static_cast<size_t>(BitsSize)]());
        if (!Bits) throw EOutOfMemory(gifmsg::DIBAllocFailed);
    }
    releaseOnFailure.Dismiss();
}

void* TDIBWriter::RowPointer(int row) {
    if (!Bits) AllocateDIB();
    if (!Bits) RaiseGIFError(gifmsg::NoDIB);
    // Top-down writers have a negative height; rows are counted from the top in both.
    if (row < 0 || row >= std::abs(static_cast<Int64>(Height)))
        throw EInvalidGraphicOperation(gifmsg::ScanLineRange);
    GdiFlush();
    Int64 offset = Height > 0 ? RowBytes() * (Height - row - 1) : RowBytes() * row;
    return Bits.get() + offset;
}

void TDIBWriter::FlushToBitmap() {
    if (!Bits) return;
    TMemoryStream stream;
    BITMAPFILEHEADER file;
    file.bfSize = static_cast<DWORD>(sizeof(file) + InfoSize + BitsSize);
    file.bfOffBits = static_cast<DWORD>(sizeof(file) + InfoSize);
    stream.WriteBuffer(&file, sizeof(file));
    stream.WriteBuffer(InfoHeader.get(), InfoSize);
    stream.WriteBuffer(Bits.get(), BitsSize);
    stream.SetPosition(0);
    ReleaseDIB();
    Bitmap->LoadFromStream(stream);
}

// --- MaskedStretchBlt ---

bool MaskedStretchBlt(HDC destDC, int destX, int destY, int destWidth, int destHeight, HDC sourceDC,
                      int sourceX, int sourceY, int sourceWidth, int sourceHeight, HDC maskDC,
                      int maskX, int maskY) {
    if (destWidth == sourceWidth && destHeight == sourceHeight) {
        // MaskBlt wants the mask as a bitmap, so it is taken out of its context meanwhile.
        gdi::UniqueObject placeholder(CheckGDIHandle(CreateCompatibleBitmap(maskDC, 1, 1)));
        gdi::ObjectSelection maskOut(maskDC, placeholder.get());
        MaskBlt(destDC, destX, destY, destWidth, destHeight, sourceDC, sourceX, sourceY,
                maskOut.previous(), maskX, maskY, MAKEROP4(kKeepDestination, SRCCOPY));
        return true;
    }

    gdi::UniqueObject colorBitmap(
        CheckGDIHandle(CreateCompatibleBitmap(destDC, sourceWidth, sourceHeight)));
    gdi::SelectedMemoryDC colorDC(colorBitmap.get(), destDC);
    CheckGDIHandle(colorDC.get());
    {
        gdi::UniqueObject monoBitmap(
            CheckGDIHandle(CreateBitmap(sourceWidth, sourceHeight, 1, 1, nullptr)));
        gdi::SelectedMemoryDC monoDC(monoBitmap.get());
        CheckGDIHandle(monoDC.get());
        BitBlt(monoDC.get(), 0, 0, sourceWidth, sourceHeight, maskDC, sourceX, sourceY, NOTSRCCOPY);
        HPALETTE palette = GetCurrentObject(sourceDC, OBJ_PAL);
        if (!palette) palette = GetStockObject(DEFAULT_PALETTE);
        gdi::PaletteSelection selected(colorDC.get(), palette, TRUE);
        RealizePalette(colorDC.get());
        // The colour bitmap ends with the source where the mask is 0 and black elsewhere.
        BitBlt(colorDC.get(), 0, 0, sourceWidth, sourceHeight, monoDC.get(), 0, 0, SRCCOPY);
        BitBlt(colorDC.get(), 0, 0, sourceWidth, sourceHeight, sourceDC, sourceX, sourceY, SRCAND);
    }
    COLORREF oldText = SetTextColor(destDC, RGB(0, 0, 0));
    COLORREF oldBack = SetBkColor(destDC, RGB(255, 255, 255));
    ScopeGuard restoreColors([&] {
        SetTextColor(destDC, oldText);
        SetBkColor(destDC, oldBack);
    });
    StretchBlt(destDC, destX, destY, destWidth, destHeight, maskDC, sourceX, sourceY, sourceWidth,
               sourceHeight, SRCAND);
    StretchBlt(destDC, destX, destY, destWidth, destHeight, colorDC.get(), 0, 0, sourceWidth,
               sourceHeight, SRCPAINT);
    return true;
}

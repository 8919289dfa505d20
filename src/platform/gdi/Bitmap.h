#pragma once
// Bitmaps: device-dependent ones (32-bit true colour, or monochrome) and DIB sections in
// every pixel format (1, 4, 8 bits with a colour table, 15/16, 24, 32 bits). DIB rows are
// padded to 4 bytes; 4-bit pixels are high nibble first, 1-bit pixels most significant bit
// first. Monochrome device bitmaps take and give rows padded to 2 bytes.
#include "platform/WinTypes.h"

#include <cstddef>

constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1; // the colour table holds WORD indices into the DC's palette
constexpr DWORD CBM_INIT = 4;

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 0;
    void* bmBits = nullptr; // null for a device-dependent bitmap
};

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3] = {0, 0, 0};
    HANDLE dshSection = 0;
    DWORD dsOffset = 0;
};

// What GetObject reports for a bitmap: the sizes of BITMAP and DIBSECTION with 4-byte
// pointers and handles, as the program's callers know them, whatever this build's layout.
// A buffer of at least kDibSectionObjectSize bytes gets a DIB section's full description.
// The leading fields up to those sizes sit at the same offsets in this build's structs except
// bmBits, which only a buffer of sizeof(BITMAP) or more receives.
constexpr int kBitmapObjectSize = 24;
constexpr int kDibSectionObjectSize = 84;
static_assert(offsetof(DIBSECTION, dsBitfields) + sizeof(DIBSECTION::dsBitfields) ==
              kDibSectionObjectSize);

// Bytes in one DIB row of the given width and depth (rows padded to 4 bytes); 0 on overflow.
LONG DibRowBytes(LONG width, int bitsPerPixel);

// bpp 1 gives a monochrome bitmap (bits rows padded to 2 bytes, may be null: all 0); any
// other depth gives a 32-bit device bitmap (bits, when given, are 32-bit rows).
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateBitmapIndirect(const BITMAP* bm);
// A bitmap like the one selected into dc: monochrome for a fresh memory DC, a DIB section of
// the same format (and colour table) when a DIB section is selected, else 32-bit.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// bits receives the pixel memory (owned by the bitmap, zero-filled, valid until DeleteObject).
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
// A DIB section made with its pixels copied from bits, rows laid out as in the DIB section
// (each a multiple of four bytes): one pass over the pixels, where CreateDIBSection and a copy
// into its memory take two.
HBITMAP CreateDIBSectionFromBits(HDC dc, const BITMAPINFO* info, UINT usage, const void* bits);
// A 32-bit device bitmap; with CBM_INIT the DIB bits described by info are converted into it.
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);

// Reads lines [start, start + lines) (counted from the bottom for a bottom-up target, as the
// namesake) into bits in the format of info's header, filling the colour table for 1, 4 and
// 8 bits. With bits == nullptr and biBitCount == 0 it only fills the header. Returns the
// lines copied, 0 on failure.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info,
              UINT usage);
// Writes lines into the bitmap, converting from info's format. Returns the lines copied.
int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage);

// The colour table of the DIB section selected into dc; returns the entries copied.
UINT GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* colors);
UINT SetDIBColorTable(HDC dc, UINT start, UINT count, const RGBQUAD* colors);

// The raw rows of a bitmap (device rows for a device bitmap, the DIB rows top-down order
// otherwise). Return the bytes copied.
LONG GetBitmapBits(HBITMAP bitmap, LONG size, void* bits);
LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits);

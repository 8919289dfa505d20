#pragma once
// Block transfers. A raster operation combines pattern (the DC's brush), source and
// destination bit by bit on the destination's pixel values (indices for a paletted one).
// Before that the source is brought into the destination's format: a monochrome source
// paints 0 in the destination's text colour and 1 in its background colour; a colour
// source into a monochrome destination gives 1 where it equals the source DC's background
// colour.
#include "platform/WinTypes.h"

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGECOPY = 0x00C000CA;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATPAINT = 0x00FB0A09;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// MaskBlt's four-operand code: fore where the mask is 1, back where it is 0.
constexpr DWORD MAKEROP4(DWORD fore, DWORD back) {
    return ((back << 8) & 0xFF000000) | fore;
}

constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
constexpr int STRETCH_ORSCANS = WHITEONBLACK;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

// COLORONCOLOR (and the two scan modes) pick the nearest source pixel, never blending;
// HALFTONE averages the source area under each destination pixel. Returns the old mode.
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
// A negative width or height on one side mirrors the picture.
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, DWORD rop);
// mask: a monochrome bitmap (or 0 for a plain BitBlt with the foreground operation).
BOOL MaskBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
             HBITMAP mask, int maskX, int maskY, DWORD rop4);

// Draw DIB bits straight from memory. Return the lines drawn, 0 on failure.
int StretchDIBits(HDC dest, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC dest, int x, int y, DWORD width, DWORD height, int srcX, int srcY,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT usage);

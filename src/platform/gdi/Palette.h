#pragma once
// Logical palettes. The device is true colour, so selecting and realising a palette changes
// no pixel; what a palette decides is the colour table of DIBs made through it and the
// colours PALETTEINDEX names.
#include "platform/WinTypes.h"

constexpr BYTE PC_RESERVED = 1;
constexpr BYTE PC_EXPLICIT = 2;
constexpr BYTE PC_NOCOLLAPSE = 4;

// Needs palVersion 0x300 and 1..1024 entries.
HPALETTE CreatePalette(const LOGPALETTE* palette);
// Our own fixed 256-entry halftone palette: the 20 standard colours at 0-9 and 246-255 and
// a 6x6x6 colour cube plus greys between.
HPALETTE CreateHalftonePalette(HDC dc);

// With entries == nullptr: the entry count.
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);
UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* entries);
BOOL ResizePalette(HPALETTE palette, UINT count);
// Smallest squared distance, the lowest index on ties; CLR_INVALID on a bad palette.
UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF color);

// Returns the previous palette; the DC starts with DEFAULT_PALETTE.
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
// The number of entries mapped into the system palette: always 0 on true colour.
UINT RealizePalette(HDC dc);
// The 20 standard system colours (the stock palette) as the system palette.
UINT GetSystemPaletteEntries(HDC dc, UINT start, UINT count, PALETTEENTRY* entries);
COLORREF GetNearestColor(HDC dc, COLORREF color);

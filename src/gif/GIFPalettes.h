#pragma once
// The codec's fixed palettes. Each builder answers a new palette that the caller owns; the
// stock palette belongs to the system and is never to be deleted.
#include "platform/WinTypes.h"

// 216 entries (51r, 51g, 51b), entry r x 36 + g x 6 + b.
HPALETTE BuildNetscapePalette();
// 256 grays, entry i = (i, i, i).
HPALETTE BuildGrayPalette256();
// The 4 grays 0, 128, 192, 255.
HPALETTE BuildWindowsGrayPalette();
// Black and white.
HPALETTE BuildMonochromePalette();
// The system's halftone palette for the screen.
HPALETTE BuildHalftonePalette();
// The system's 20-colour default palette; not the caller's.
HPALETTE StockPalette();

#pragma once
// Regions: sets of pixels kept as bands of rectangles. Right and bottom are exclusive.
// The region kinds (NULLREGION ...) and combine modes (RGN_AND ...) are in Dc.h.
#include "platform/WinTypes.h"
#include "platform/gdi/Dc.h"

#include <vector>

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
// Covers [left, right - 1) x [top, bottom - 1) with corners cut by ellipses of the given
// size, as the namesake: callers pass (0, 0, w + 1, h + 1) for a w x h shape.
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth,
                        int ellipseHeight);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rect);
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);

// dest = a op b (b unused for RGN_COPY); dest may be a or b. Returns the region kind.
int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
int OffsetRgn(HRGN region, int dx, int dy);
int GetRgnBox(HRGN region, RECT* box);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL RectInRegion(HRGN region, const RECT* rect);
BOOL EqualRgn(HRGN a, HRGN b);

// Drawing through a region (logical coordinates, as the namesakes).
BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);
BOOL PaintRgn(HDC dc, HRGN region);
BOOL InvertRgn(HDC dc, HRGN region);
BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brush, int width, int height);

// For the window backend: the region's rectangles, top to bottom, left to right, with no
// overlap; and the region as a 1-bit mask over [0, width) x [0, height), rows of
// (width + 7) / 8 bytes, most significant bit first, 1 inside.
std::vector<RECT> GetRegionRects(HRGN region);
std::vector<BYTE> GetRegionMask(HRGN region, int width, int height);

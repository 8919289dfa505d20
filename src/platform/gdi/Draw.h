#pragma once
// Pens, brushes and the drawing calls. Shapes exclude their right and bottom edges; lines
// exclude their end point. Coordinates are logical.
#include "platform/WinTypes.h"

constexpr UINT PS_SOLID = 0;
constexpr UINT PS_DASH = 1;
constexpr UINT PS_DOT = 2;
constexpr UINT PS_DASHDOT = 3;
constexpr UINT PS_DASHDOTDOT = 4;
constexpr UINT PS_NULL = 5;
constexpr UINT PS_INSIDEFRAME = 6;
constexpr UINT PS_STYLE_MASK = 0x0F;

constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;
constexpr UINT BS_HATCHED = 2;
constexpr UINT BS_PATTERN = 3;

constexpr int HS_HORIZONTAL = 0;
constexpr int HS_VERTICAL = 1;
constexpr int HS_FDIAGONAL = 2;
constexpr int HS_BDIAGONAL = 3;
constexpr int HS_CROSS = 4;
constexpr int HS_DIAGCROSS = 5;

constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// A COLORREF may name an entry of the DC's selected palette.
constexpr COLORREF PALETTEINDEX(WORD index) {
    return 0x01000000 | index;
}
constexpr COLORREF PALETTERGB(BYTE r, BYTE g, BYTE b) {
    return 0x02000000 | RGB(r, g, b);
}

struct LOGPEN {
    UINT lopnStyle = PS_SOLID;
    POINT lopnWidth; // only x counts
    COLORREF lopnColor = 0;
};

struct LOGBRUSH {
    UINT lbStyle = BS_SOLID;
    COLORREF lbColor = 0;
    UINT_PTR lbHatch = 0; // hatch style, or the pattern bitmap's handle
};

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
// The brush keeps its own copy of the bitmap's top-left 8x8 pixels (a monochrome bitmap
// paints text colour for 0 and background colour for 1, as a blit would).
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);

int SetPolyFillMode(HDC dc, int mode);
int GetPolyFillMode(HDC dc);

// FillRect and FrameRect ignore the selected pen; FrameRect draws a one-pixel frame with the
// brush. Return non-zero on success.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC dc, const RECT* rect);
// Every other pixel of the frame is inverted, the dots fixed to the device grid, so drawing
// it twice restores the picture.
BOOL DrawFocusRect(HDC dc, const RECT* rect);

// Outline with the pen, inside with the brush.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ellipseWidth,
               int ellipseHeight);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
// Counter-clockwise along the ellipse inscribed in the box, from where the radial through
// (xStart, yStart) meets it to where the radial through (xEnd, yEnd) does.
BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
         int yEnd);
BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
         int yEnd);
BOOL Polygon(HDC dc, const POINT* points, int count);
BOOL Polyline(HDC dc, const POINT* points, int count);
BOOL MoveToEx(HDC dc, int x, int y, POINT* old);
BOOL LineTo(HDC dc, int x, int y);
BOOL GetCurrentPositionEx(HDC dc, POINT* pos);

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color); // the colour set, CLR_INVALID outside
BOOL SetPixelV(HDC dc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC dc, int x, int y); // CLR_INVALID outside the bitmap or clip

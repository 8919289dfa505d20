#pragma once
// Device contexts: a drawing state (objects, colours, modes, origin, clip) over a bitmap.
// Logical to device: device = logical - window origin + viewport origin + device origin.
#include "platform/WinTypes.h"

#include <functional>

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;

// Region kinds returned by the clip calls (also in Region.h).
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_ERROR = ERROR;

constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// GetDeviceCaps indexes.
constexpr int DRIVERVERSION = 0;
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMBRUSHES = 16;
constexpr int NUMPENS = 18;
constexpr int NUMFONTS = 22;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int NUMRESERVED = 106;
constexpr int COLORRES = 108;
constexpr int DT_RASDISPLAY = 1;
constexpr int RC_BITBLT = 1;
constexpr int RC_STRETCHBLT = 0x800;
constexpr int RC_DIBTODEV = 0x200;
constexpr int RC_PALETTE = 0x100;

// A memory DC; it starts with a 1x1 monochrome bitmap selected. dc may be 0 (the screen).
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);

// GetDC(0) is the screen: a DC with no bitmap of its own, 32-bit device caps, where drawing
// has no effect. Other windows are answered by the window layer (SetWindowDcProvider).
HDC GetDC(HWND window);
HDC GetWindowDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

// Selecting a bitmap, pen, brush, font or palette object returns the previous one; a region
// is copied as the clip (returns the region kind as a handle value). 0 on failure.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);

int SaveDC(HDC dc);
// level > 0 restores that saved level; level < 0 is relative to the current one (-1 = last).
BOOL RestoreDC(HDC dc, int level);

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old);
BOOL GetViewportOrgEx(HDC dc, POINT* org);
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old);
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* old);
BOOL GetWindowOrgEx(HDC dc, POINT* org);
// In device units; patterns and hatches repeat from here.
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* old);
BOOL GetBrushOrgEx(HDC dc, POINT* org);
BOOL LPtoDP(HDC dc, POINT* points, int count);
BOOL DPtoLP(HDC dc, POINT* points, int count);

// Clip calls take logical coordinates (rectangles) or device coordinates (regions) and
// return the resulting region kind.
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int SelectClipRgn(HDC dc, HRGN region); // 0 removes the clip
int ExtSelectClipRgn(HDC dc, HRGN region, int mode);
int OffsetClipRgn(HDC dc, int dx, int dy);
// 1 and a copy of the clip in region, 0 when there is no clip, -1 on error.
int GetClipRgn(HDC dc, HRGN region);
// The logical bounds of what can be drawn (clip within the bitmap).
int GetClipBox(HDC dc, RECT* rect);
BOOL PtVisible(HDC dc, int x, int y);
BOOL RectVisible(HDC dc, const RECT* rect);

COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);

int GetDeviceCaps(HDC dc, int index);

// What the window layer needs to hand out DCs on its surfaces.
// The screen size and resolution GetDeviceCaps reports (default 1024 x 768 at 96 dpi).
void SetScreenMetrics(int width, int height, int dpi);
// Answers GetDC / GetWindowDC (whole = true) for window != 0; ReleaseDC goes to release.
void SetWindowDcProvider(std::function<HDC(HWND window, bool whole)> acquire,
                         std::function<int(HWND window, HDC dc)> release);
// Where the DC's (0, 0) lies on its bitmap and what part of the bitmap it may touch (device
// coordinates of the bitmap; 0 = all of it). Unlike the viewport origin and SelectClipRgn
// these survive RestoreDC and SelectClipRgn(dc, 0): they belong to the window, not to the
// painting code.
BOOL SetDeviceOrigin(HDC dc, int x, int y);
BOOL SetVisibleRegion(HDC dc, HRGN region);

#pragma once
// Icons: a colour image with its AND mask (1 where the picture is see-through). Drawing puts
// the mask on the destination with AND and the image with XOR, so black image pixels under a
// set mask bit leave the destination as it was. A monochrome icon has no colour bitmap: its
// mask is twice as high, the AND half on top of the XOR half.
#include "platform/WinTypes.h"

#include <vector>

struct ICONINFO {
    BOOL fIcon = TRUE; // FALSE: a cursor, whose hot spot matters
    DWORD xHotspot = 0;
    DWORD yHotspot = 0;
    HBITMAP hbmMask = 0;
    HBITMAP hbmColor = 0;
};
using PICONINFO = ICONINFO*;

// DrawIconEx flags.
constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = 0x0003;
constexpr UINT DI_COMPAT = 0x0004;
constexpr UINT DI_DEFAULTSIZE = 0x0008;

// WM_SETICON / WM_GETICON kinds.
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

// Copies the bitmaps: the caller keeps and deletes its own. 0 without a mask or when the
// colour bitmap's size does not match the mask's.
HICON CreateIconIndirect(const ICONINFO* info);
// New bitmaps of the icon (a monochrome mask, a 32-bit colour bitmap unless the icon is
// monochrome), which the caller deletes with DeleteObject. FALSE for a stale handle.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
HICON CopyIcon(HICON icon);
BOOL DestroyIcon(HICON icon);
// Draws the icon at (x, y), stretched to cx x cy (0: the icon's own size; with
// DI_DEFAULTSIZE, SM_CXICON x SM_CYICON). A non-zero flicker brush fills a work bitmap of
// that size first, which is then copied: the result replaces the destination rectangle.
// step picks an animation frame; icons here have one.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flicker,
                UINT flags);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

// For the display backend: the icon as straight 0xAARRGGBB pixels, rows top-down; set mask
// bits are transparent, image alpha is kept where the image carries some. FALSE for a stale
// handle.
BOOL GetIconPixels(HICON icon, int* width, int* height, std::vector<DWORD>* argb);

#pragma once
// Painting. Every top-level window draws into a 32-bit back buffer of its size; the buffer
// reaches the screen when the thread has no more painting to do (or at UpdateWindow), so a
// half-painted window is never seen. GetDC, GetWindowDC and ReleaseDC (declared in
// platform/gdi/Dc.h) answer windows through this layer: GetDC covers the client area,
// GetWindowDC the whole window including its frame.
//
// A window that has WS_CLIPCHILDREN does not paint over its visible children; one without it
// does, and invalidating it also invalidates the children it covers so they paint after it.
// WS_CLIPSIBLINGS keeps a child from painting over siblings above it.
#include "platform/WinTypes.h"

struct PAINTSTRUCT {
    HDC hdc = 0;
    BOOL fErase = FALSE; // TRUE when WM_ERASEBKGND was not handled (returned 0)
    RECT rcPaint;        // bounds of what is to be painted, client coordinates
    BOOL fRestore = FALSE;
    BOOL fIncUpdate = FALSE;
    BYTE rgbReserved[32] = {};
};
using LPPAINTSTRUCT = PAINTSTRUCT*;

// Sends WM_NCPAINT when the frame is due, then WM_ERASEBKGND when the background is, and
// validates the window. The DC draws in client coordinates, clipped to what needs painting.
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// The window a DC of BeginPaint, GetDC or GetWindowDC draws on; 0 for any other DC.
HWND WindowFromDC(HDC dc);

// rect in client coordinates, nullptr for the whole client area. erase asks for
// WM_ERASEBKGND before the next WM_PAINT. hwnd 0 invalidates every window of the thread.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL ValidateRgn(HWND hwnd, HRGN region);
// Bounds of the update region; FALSE when there is nothing to paint.
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase);
// Sends WM_PAINT at once when the window has something to paint, and shows the result.
BOOL UpdateWindow(HWND hwnd);

constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_INTERNALPAINT = 0x0002;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_NOINTERNALPAINT = 0x0010;
constexpr UINT RDW_NOERASE = 0x0020;
constexpr UINT RDW_NOCHILDREN = 0x0040;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;
constexpr UINT RDW_NOFRAME = 0x0800;
// rect (client coordinates) or region; both empty: the whole window.
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);

// With rect and clip nullptr, moves the children by (dx, dy) along with the contents; the
// client area (or rect within clip) paints again.
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* rect, const RECT* clip);

#pragma once
// The standard scroll bars of a window (WS_HSCROLL, WS_VSCROLL): their range, page,
// position and state, kept per window. The bars lie just outside the client area: the
// vertical one along its right edge, the horizontal one along its bottom edge, each as thick
// as the system metric; the window's WM_NCCALCSIZE makes that room and its WM_NCPAINT draws
// them (GetScrollBarInfo gives the geometry, so what is drawn matches what is reported).
#include "platform/WinTypes.h"

constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
using LPSCROLLINFO = SCROLLINFO*;
using LPCSCROLLINFO = const SCROLLINFO*;

// EnableScrollBar arrows.
constexpr UINT ESB_ENABLE_BOTH = 0x0000;
constexpr UINT ESB_DISABLE_BOTH = 0x0003;

// GetScrollBarInfo objects and states.
constexpr LONG OBJID_HSCROLL = static_cast<LONG>(0xFFFFFFFA);
constexpr LONG OBJID_VSCROLL = static_cast<LONG>(0xFFFFFFFB);
constexpr LONG OBJID_CLIENT = static_cast<LONG>(0xFFFFFFFC);
constexpr DWORD STATE_SYSTEM_UNAVAILABLE = 0x00000001;
constexpr DWORD STATE_SYSTEM_PRESSED = 0x00000008;
constexpr DWORD STATE_SYSTEM_INVISIBLE = 0x00008000;
constexpr DWORD STATE_SYSTEM_OFFSCREEN = 0x00010000;

// rgstate[0] is the bar as a whole, then the up/left arrow, the page area above the thumb,
// the thumb, the page area below it and the down/right arrow.
struct SCROLLBARINFO {
    DWORD cbSize = sizeof(SCROLLBARINFO);
    RECT rcScrollBar;      // screen coordinates
    int dxyLineButton = 0; // length of each arrow button
    int xyThumbTop = 0;    // thumb start, from the bar's top (left) edge
    int xyThumbBottom = 0; // thumb end
    int reserved = 0;
    DWORD rgstate[6] = {};
};
using PSCROLLBARINFO = SCROLLBARINFO*;

// nBar is SB_HORZ or SB_VERT (Messages.h). The page is cut to the range's size and the
// position to [nMin, nMax - nPage + 1] (nMax with no page). Returns the new position; 0 for a
// stale window or a wrong bar. redraw sends the window WM_NCPAINT when the bar shows.
int SetScrollInfo(HWND hwnd, int nBar, LPCSCROLLINFO info, BOOL redraw);
// Fills what fMask asks for; FALSE for a stale window, a wrong bar or an empty mask.
BOOL GetScrollInfo(HWND hwnd, int nBar, LPSCROLLINFO info);
int SetScrollPos(HWND hwnd, int nBar, int pos, BOOL redraw); // returns the old position
int GetScrollPos(HWND hwnd, int nBar);
BOOL SetScrollRange(HWND hwnd, int nBar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND hwnd, int nBar, int* minPos, int* maxPos);
// Sets or clears WS_HSCROLL / WS_VSCROLL (SB_BOTH: both) and lets the frame be recalculated.
BOOL ShowScrollBar(HWND hwnd, int nBar, BOOL show);
// ESB_DISABLE_BOTH greys the bar out; ESB_ENABLE_BOTH gives it back. FALSE when unchanged.
BOOL EnableScrollBar(HWND hwnd, UINT nBar, UINT arrows);
// OBJID_HSCROLL or OBJID_VSCROLL. A bar whose style bit is clear is STATE_SYSTEM_INVISIBLE;
// one that is disabled, or whose page holds the whole range, is STATE_SYSTEM_UNAVAILABLE
// and has no thumb (xyThumbTop = xyThumbBottom = 0).
BOOL GetScrollBarInfo(HWND hwnd, LONG idObject, PSCROLLBARINFO info);

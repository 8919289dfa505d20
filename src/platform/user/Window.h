#pragma once
// Windows: classes, creation and destruction, the tree, styles, bounds, window procedures.
// A window belongs to the thread that created it; only that thread may call into it, except
// PostMessage, IsWindow and the thread lookup, which any thread may use.
//
// Coordinates: a child's window rectangle is in its parent's client coordinates, a top-level
// window's in screen coordinates. A top-level window with a full caption (WS_CAPTION) is
// framed by the desktop, outside its surface; every other frame (WS_BORDER, WS_DLGFRAME,
// WS_THICKFRAME, WS_EX_DLGMODALFRAME, WS_EX_CLIENTEDGE, WS_EX_STATICEDGE) is part of the window
// and painted by WM_NCPAINT.
#include "platform/WinTypes.h"
#include "platform/user/Messages.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000; // WS_BORDER | WS_DLGFRAME
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_SIZEBOX = WS_THICKFRAME;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;
constexpr DWORD DS_MODALFRAME = 0x80;

// Extended styles. A top-level WS_POPUP window without a caption that has both
// WS_EX_TOOLWINDOW and WS_EX_TOPMOST is a menu or drop-down: the desktop neither frames nor
// manages it, and it never takes the activation.
constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_ACCEPTFILES = 0x00000010;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_MDICHILD = 0x00000040;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_CONTEXTHELP = 0x00000400;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD WS_EX_LAYERED = 0x00080000;
constexpr DWORD WS_EX_NOACTIVATE = 0x08000000;

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;
constexpr UINT CS_CLASSDC = 0x0040;
constexpr UINT CS_PARENTDC = 0x0080;
constexpr UINT CS_NOCLOSE = 0x0200;
constexpr UINT CS_SAVEBITS = 0x0800;
constexpr UINT CS_GLOBALCLASS = 0x4000;

// Get/SetWindowLongPtr indexes.
constexpr int GWL_WNDPROC = -4;
constexpr int GWLP_WNDPROC = -4;
constexpr int GWL_HINSTANCE = -6;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWL_HWNDPARENT = -8;
constexpr int GWLP_HWNDPARENT = -8;
constexpr int GWL_ID = -12;
constexpr int GWLP_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_USERDATA = -21;
constexpr int GWLP_USERDATA = -21;

// GetWindow relations.
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;

// GetAncestor relations.
constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;
constexpr UINT GA_ROOTOWNER = 3;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

struct WNDCLASS {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = 0;
    HICON hIcon = 0;
    HCURSOR hCursor = 0;
    HBRUSH hbrBackground = 0; // a brush, or a COLOR_ index + 1, or 0 for no erasing
    LPCSTR lpszMenuName = nullptr;
    LPCSTR lpszClassName = nullptr;
};
using WNDCLASSA = WNDCLASS;

// lParam of WM_NCCREATE and WM_CREATE.
struct CREATESTRUCT {
    LPVOID lpCreateParams = nullptr;
    HINSTANCE hInstance = 0;
    HMENU hMenu = 0;
    HWND hwndParent = 0;
    int cy = 0;
    int cx = 0;
    int y = 0;
    int x = 0;
    LONG style = 0;
    LPCSTR lpszName = nullptr;
    LPCSTR lpszClass = nullptr;
    DWORD dwExStyle = 0;
};
using LPCREATESTRUCT = CREATESTRUCT*;

// lParam of WM_STYLECHANGING / WM_STYLECHANGED (wParam is GWL_STYLE or GWL_EXSTYLE).
struct STYLESTRUCT {
    DWORD styleOld = 0;
    DWORD styleNew = 0;
};

// Returns 0 when the class name is missing or taken. Names compare without case.
ATOM RegisterClass(const WNDCLASS* wc);
BOOL UnregisterClass(LPCSTR className, HINSTANCE instance);
BOOL GetClassInfo(HINSTANCE instance, LPCSTR className, WNDCLASS* wc);
// Copies the class name (NUL-terminated, cut to fit) and returns its length; 0 on failure.
int GetClassName(HWND hwnd, LPSTR buffer, int size);

// With WS_CHILD, parent is the parent window; otherwise a non-zero parent is the owner of a
// top-level window. CW_USEDEFAULT places a top-level window at the system's choice. Sends
// WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE (a result of -1 destroys it and
// returns 0), then WM_SIZE and WM_MOVE, and shows it when WS_VISIBLE is set.
HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                    LPVOID param);
HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// WM_DESTROY goes to the window and then to its descendants, WM_NCDESTROY to the descendants
// and then to the window; afterwards every handle of them is stale. Owned windows go first.
BOOL DestroyWindow(HWND hwnd);

BOOL IsWindow(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
BOOL IsWindowVisible(HWND hwnd); // the window and all its ancestors have WS_VISIBLE
BOOL IsWindowEnabled(HWND hwnd);
// Sends WM_CANCELMODE and WM_ENABLE; disabling takes the focus and capture away from the
// window and its descendants. Returns whether the window was disabled before.
BOOL EnableWindow(HWND hwnd, BOOL enable);

HWND GetParent(HWND hwnd); // the parent of a child, the owner of a top-level window
HWND SetParent(HWND hwnd, HWND newParent);
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetWindow(HWND hwnd, UINT relation);
HWND GetTopWindow(HWND hwnd); // the child on top; hwnd 0: the top-level window on top
HWND GetDesktopWindow();
// Calls proc for every descendant, each child followed by its own descendants, top to bottom,
// until proc returns FALSE. Windows created or destroyed meanwhile are skipped.
BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param);
// Every top-level window of the calling thread, top to bottom.
BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM param);
BOOL EnumWindows(WNDENUMPROC proc, LPARAM param);
// The thread that owns the window (0 for a stale handle); any thread may ask.
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);

LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);
LONG GetWindowLong(HWND hwnd, int index);
LONG SetWindowLong(HWND hwnd, int index, LONG value);
// For the window procedure: SetWindowLongPtr(hwnd, GWLP_WNDPROC, ...) returns the old one,
// which the new procedure passes its messages on to through CallWindowProc.
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

BOOL SetWindowText(HWND hwnd, LPCSTR text);
int GetWindowText(HWND hwnd, LPSTR buffer, int size);
int GetWindowTextLength(HWND hwnd);

BOOL GetWindowRect(HWND hwnd, RECT* rect); // in screen coordinates
BOOL GetClientRect(HWND hwnd, RECT* rect); // (0, 0, client width, client height)
BOOL ClientToScreen(HWND hwnd, POINT* pt);
BOOL ScreenToClient(HWND hwnd, POINT* pt);
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);

// The deepest visible window at a screen point, honouring window regions (disabled windows
// included, as the namesake).
HWND WindowFromPoint(POINT pt);
// The visible child of parent at a point in parent's client coordinates, parent itself when
// the point is in it but on no child, 0 outside.
HWND ChildWindowFromPoint(HWND parent, POINT pt);

// SetWindowPos flags and insert-after values.
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_DRAWFRAME = SWP_FRAMECHANGED;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr UINT SWP_NOCOPYBITS = 0x0100;
constexpr UINT SWP_NOOWNERZORDER = 0x0200;
constexpr UINT SWP_NOSENDCHANGING = 0x0400;
constexpr UINT SWP_DEFERERASE = 0x2000;
constexpr UINT SWP_ASYNCWINDOWPOS = 0x4000;
constexpr HWND HWND_TOP = 0;
constexpr HWND HWND_BOTTOM = 1;
constexpr HWND HWND_TOPMOST = static_cast<HWND>(-1);
constexpr HWND HWND_NOTOPMOST = static_cast<HWND>(-2);

// Sends WM_GETMINMAXINFO when a top-level window is sized (the size is held within the track
// limits it leaves), WM_WINDOWPOSCHANGING (the handler may change the WINDOWPOS), WM_NCCALCSIZE
// when the size or frame changes, then WM_WINDOWPOSCHANGED, whose default handling sends
// WM_MOVE and WM_SIZE. All of it happens before the call returns, so handlers may move the
// window again. Default limits: a WS_THICKFRAME window between SM_C?MINTRACK and SM_C?MAXTRACK,
// any other none; maximised, the work area.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL BringWindowToTop(HWND hwnd);

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// Returns whether the window was visible before. Minimising and maximising apply to top-level
// windows: a maximised window takes the size and position WM_GETMINMAXINFO gives it (the work
// area by default), and restoring gives back the bounds it had before.
BOOL ShowWindow(HWND hwnd, int command);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);

struct WINDOWPLACEMENT {
    UINT length = sizeof(WINDOWPLACEMENT);
    UINT flags = 0;
    UINT showCmd = 0;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};
BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement);

// The window takes the region (in window coordinates) and frees it when replaced or when the
// window goes; 0 removes the region. Outside the region the window is neither drawn on the
// screen nor hit by the pointer. Returns 0 on failure (the caller keeps the region then).
int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw);
// Copies the window's region into region; returns its kind, ERROR when it has none.
int GetWindowRgn(HWND hwnd, HRGN region);

// Asks the window to close as its close box would (WM_SYSCOMMAND SC_CLOSE -> WM_CLOSE).
BOOL CloseWindow(HWND hwnd); // minimises, as the namesake

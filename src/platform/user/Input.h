#pragma once
// Keyboard focus, activation, mouse capture, key state, the pointer and its shape.
#include "platform/WinTypes.h"

// Sends WM_KILLFOCUS to the window losing the focus and WM_SETFOCUS to the one getting it,
// activating its top-level window first. A disabled or hidden window (or one below such an
// ancestor) is refused: 0 and nothing changes. Returns the previous focus window.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
// WM_NCACTIVATE and WM_ACTIVATE (WA_INACTIVE) to the old top-level window, then both
// (WA_ACTIVE) to the new one; WM_ACTIVATEAPP when the program as a whole gains or loses the
// activation.
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();

// All pointer input goes to the capture window until ReleaseCapture, also outside it and
// outside the program's windows. WM_CAPTURECHANGED goes to the window that loses it.
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();

// Asks for WM_MOUSELEAVE once the pointer leaves the window (or enters a child of it).
constexpr DWORD TME_HOVER = 0x00000001;
constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_CANCEL = 0x80000000;
struct TRACKMOUSEEVENT {
    DWORD cbSize = sizeof(TRACKMOUSEEVENT);
    DWORD dwFlags = 0;
    HWND hwndTrack = 0;
    DWORD dwHoverTime = 0;
};
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);

// Virtual key codes. Letters and digits are their upper-case ASCII codes ('A', '0').
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_CANCEL = 0x03;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_CLEAR = 0x0C;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_SELECT = 0x29;
constexpr int VK_PRINT = 0x2A;
constexpr int VK_EXECUTE = 0x2B;
constexpr int VK_SNAPSHOT = 0x2C;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_HELP = 0x2F;
constexpr int VK_LWIN = 0x5B;
constexpr int VK_RWIN = 0x5C;
constexpr int VK_APPS = 0x5D;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_NUMPAD1 = 0x61;
constexpr int VK_NUMPAD2 = 0x62;
constexpr int VK_NUMPAD3 = 0x63;
constexpr int VK_NUMPAD4 = 0x64;
constexpr int VK_NUMPAD5 = 0x65;
constexpr int VK_NUMPAD6 = 0x66;
constexpr int VK_NUMPAD7 = 0x67;
constexpr int VK_NUMPAD8 = 0x68;
constexpr int VK_NUMPAD9 = 0x69;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SEPARATOR = 0x6C;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
constexpr int VK_F2 = 0x71;
constexpr int VK_F3 = 0x72;
constexpr int VK_F4 = 0x73;
constexpr int VK_F5 = 0x74;
constexpr int VK_F6 = 0x75;
constexpr int VK_F7 = 0x76;
constexpr int VK_F8 = 0x77;
constexpr int VK_F9 = 0x78;
constexpr int VK_F10 = 0x79;
constexpr int VK_F11 = 0x7A;
constexpr int VK_F12 = 0x7B;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
constexpr int VK_OEM_1 = 0xBA; // ;:
constexpr int VK_OEM_PLUS = 0xBB;
constexpr int VK_OEM_COMMA = 0xBC;
constexpr int VK_OEM_MINUS = 0xBD;
constexpr int VK_OEM_PERIOD = 0xBE;
constexpr int VK_OEM_2 = 0xBF; // /?
constexpr int VK_OEM_3 = 0xC0; // `~
constexpr int VK_OEM_4 = 0xDB; // [{
constexpr int VK_OEM_5 = 0xDC; // \|
constexpr int VK_OEM_6 = 0xDD; // ]}
constexpr int VK_OEM_7 = 0xDE; // '"

// The key as of the message the thread took last: the high bit (negative result) when down,
// bit 0 when toggled (Caps Lock and friends). Mouse buttons count as keys.
SHORT GetKeyState(int vk);
// The key as it is now, whatever the queue holds.
SHORT GetAsyncKeyState(int vk);
BOOL GetKeyboardState(BYTE* state256);

// Standard cursors for LoadCursor(0, IDC_...). The numbers are resource ids; LoadCursor
// returns a handle of the shape.
inline LPCSTR MAKEINTRESOURCE(WORD id) {
    return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(id));
}
inline bool IS_INTRESOURCE(LPCSTR s) {
    return (reinterpret_cast<std::uintptr_t>(s) >> 16) == 0;
}
#define IDC_ARROW MAKEINTRESOURCE(32512)
#define IDC_IBEAM MAKEINTRESOURCE(32513)
#define IDC_WAIT MAKEINTRESOURCE(32514)
#define IDC_CROSS MAKEINTRESOURCE(32515)
#define IDC_UPARROW MAKEINTRESOURCE(32516)
#define IDC_SIZE MAKEINTRESOURCE(32640)
#define IDC_ICON MAKEINTRESOURCE(32641)
#define IDC_SIZENWSE MAKEINTRESOURCE(32642)
#define IDC_SIZENESW MAKEINTRESOURCE(32643)
#define IDC_SIZEWE MAKEINTRESOURCE(32644)
#define IDC_SIZENS MAKEINTRESOURCE(32645)
#define IDC_SIZEALL MAKEINTRESOURCE(32646)
#define IDC_NO MAKEINTRESOURCE(32648)
#define IDC_HAND MAKEINTRESOURCE(32649)
#define IDC_APPSTARTING MAKEINTRESOURCE(32650)
#define IDC_HELP MAKEINTRESOURCE(32651)

// Only the standard shapes exist; any other name gives 0.
HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name);
// The standard cursor id (32512 ...) behind a handle, 0 for anything else.
WORD CursorShapeId(HCURSOR cursor);
// Returns the previous cursor. 0 hides the pointer over the program's windows.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
BOOL GetCursorPos(POINT* pt);
BOOL SetCursorPos(int x, int y);
int ShowCursor(BOOL show);

UINT GetDoubleClickTime();
BOOL SetDoubleClickTime(UINT ms);

// Beep types (MB_ICON... values or 0xFFFFFFFF); all give the desktop's bell.
BOOL MessageBeep(UINT type);

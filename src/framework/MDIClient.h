#pragma once
// The client window of an MDI parent form: a child window of the form that holds the MDI
// child forms' windows. Its window procedure keeps the active child, maximises, restores and
// minimises children inside it, and tiles, cascades and cycles them, all on the WM_MDI*
// messages, so that a procedure put in front of it (SetWindowLongPtr) sees every change.
//
// Children are listed front first: the client's child windows in z-order, the active one on
// top. Minimised children shrink to a strip along the client's bottom edge.
#include "framework/Forms.h"
#include "framework/Messages.h"
#include "platform/user/Window.h"

#include <vector>

// The class name of the client window.
inline constexpr const char* kMDIClientClassName = "MDICLIENT";

// wParam of WM_MDITILE; WM_MDICASCADE takes MDITILE_SKIPDISABLED too.
constexpr WPARAM MDITILE_VERTICAL = 0x0000;
constexpr WPARAM MDITILE_HORIZONTAL = 0x0001;
constexpr WPARAM MDITILE_SKIPDISABLED = 0x0002;

// Minimises the child in wParam inside the client; the system's MDI messages have no such one.
constexpr UINT CM_MDIMINIMIZE = CM_BASE + 120;
// The child in wParam was hidden: when it was in front, the next shown child comes there.
constexpr UINT CM_MDICHILDHIDDEN = CM_BASE + 121;

// A minimised child's size, and how far each cascaded child sits from the one below it.
constexpr int kMDIIconWidth = 160;
constexpr int kMDIIconHeight = 24;
constexpr int kMDICascadeStep = 24;

// Makes the client window inside the frame's window, at rect (in the frame's client area).
HWND CreateMDIClientWindow(HWND frame, const RECT& rect);
// The client window's own procedure: what a hook on the client passes its messages on to.
LRESULT MDIClientWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The state the client keeps for one of its children (wsNormal for any other window).
TWindowState MDIChildWindowState(HWND child);
// The client's MDI children, front first.
std::vector<HWND> MDIChildWindows(HWND client);

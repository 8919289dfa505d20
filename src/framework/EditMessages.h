#pragma once
// The edit window's own styles (ES_) and requests (EM_), with the numbers programs of this
// kind send to edits. TCustomEdit answers them in its default handling.
#include "platform/WinTypes.h"

constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_UPPERCASE = 0x0008;
constexpr DWORD ES_LOWERCASE = 0x0010;
constexpr DWORD ES_PASSWORD = 0x0020;
constexpr DWORD ES_AUTOVSCROLL = 0x0040;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_NOHIDESEL = 0x0100;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_WANTRETURN = 0x1000;

constexpr UINT EM_GETSEL = 0x00B0;     // wParam, lParam: DWORD* start, end (or 0)
constexpr UINT EM_SETSEL = 0x00B1;     // wParam start, lParam end; -1 start: none
constexpr UINT EM_GETRECT = 0x00B2;    // lParam: RECT*
constexpr UINT EM_SETRECT = 0x00B3;    // lParam: RECT* (0: the default), repaints
constexpr UINT EM_SETRECTNP = 0x00B4;  // the same without repainting
constexpr UINT EM_SCROLL = 0x00B5;     // wParam: SB_ code, vertical
constexpr UINT EM_LINESCROLL = 0x00B6; // wParam columns, lParam lines
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_LINEINDEX = 0x00BB;  // wParam line (-1: the caret's)
constexpr UINT EM_LINELENGTH = 0x00C1; // wParam: a character index of the line
constexpr UINT EM_REPLACESEL = 0x00C2; // wParam can undo, lParam: LPCSTR
constexpr UINT EM_LIMITTEXT = 0x00C5;  // wParam: bytes, 0 for no limit
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_CANUNDO = 0x00C6;
constexpr UINT EM_UNDO = 0x00C7;
constexpr UINT EM_LINEFROMCHAR = 0x00C9; // wParam index (-1: the caret's)
constexpr UINT EM_SETPASSWORDCHAR = 0x00CC;
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr UINT EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_GETPASSWORDCHAR = 0x00D2;
constexpr UINT EM_GETLIMITTEXT = 0x00D5;

// Notification code (in WM_COMMAND's high word) sent to the parent after the text changed.
constexpr WORD EN_UPDATE = 0x0400;

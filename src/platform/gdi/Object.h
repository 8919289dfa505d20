#pragma once
// Calls that work on any drawing object: stock objects, deletion, description.
#include "platform/WinTypes.h"

constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int DEFAULT_PALETTE = 15;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;

constexpr DWORD OBJ_PEN = 1;
constexpr DWORD OBJ_BRUSH = 2;
constexpr DWORD OBJ_DC = 3;
constexpr DWORD OBJ_PAL = 5;
constexpr DWORD OBJ_FONT = 6;
constexpr DWORD OBJ_BITMAP = 7;
constexpr DWORD OBJ_REGION = 8;
constexpr DWORD OBJ_MEMDC = 10;

// Stock objects are never freed: DeleteObject on one succeeds and does nothing.
HGDIOBJ GetStockObject(int which);

// Fails (FALSE) for a stale handle, a non-GDI handle or a bitmap still selected into a DC.
BOOL DeleteObject(HGDIOBJ obj);

// Copies the object's description (BITMAP or DIBSECTION, LOGPEN, LOGBRUSH, LOGFONT) into
// out, at most size bytes, and returns the bytes written. A bitmap reports
// kBitmapObjectSize (24) and a DIB section, given a buffer that large,
// kDibSectionObjectSize (84) (see Bitmap.h). For a palette it writes the entry count as a
// WORD. With out == nullptr it returns the size needed. 0 on a bad handle.
int GetObject(HGDIOBJ obj, int size, void* out);

// OBJ_* of the handle, 0 when it is not a live GDI object.
DWORD GetObjectType(HGDIOBJ obj);

// Drawing is done at once, so there is never anything to flush.
BOOL GdiFlush();

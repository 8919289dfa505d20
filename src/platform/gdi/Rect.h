#pragma once
// Rectangle arithmetic. Right and bottom are exclusive; a rectangle with right <= left or
// bottom <= top is empty.
#include "platform/WinTypes.h"

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* rect);
BOOL CopyRect(RECT* dest, const RECT* src);
BOOL IsRectEmpty(const RECT* rect);
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL PtInRect(const RECT* rect, POINT pt);
BOOL OffsetRect(RECT* rect, int dx, int dy);
BOOL InflateRect(RECT* rect, int dx, int dy);
// FALSE (and an empty dest) when they do not meet.
BOOL IntersectRect(RECT* dest, const RECT* a, const RECT* b);
BOOL UnionRect(RECT* dest, const RECT* a, const RECT* b);
BOOL SubtractRect(RECT* dest, const RECT* a, const RECT* b);

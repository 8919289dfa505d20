#pragma once
// Filling a rectangle with one colour on a bare device context.
#include "framework/GraphicsTypes.h"
#include "platform/WinTypes.h"

// Fills Rect with one colour; an empty Rect draws nothing.
void FillSolid(HDC dc, const TRect& Rect, TColor Color);

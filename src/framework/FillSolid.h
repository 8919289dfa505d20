#pragma once
// Filling a rectangle or a polygon with one colour on a bare device context.
#include "framework/GraphicsTypes.h"
#include "platform/WinTypes.h"

// Fills Rect with one colour; an empty Rect draws nothing.
void FillSolid(HDC dc, const TRect& Rect, TColor Color);
// Fills and outlines the polygon through count points in one colour.
void FillSolidPolygon(HDC dc, const POINT* points, int count, TColor Color);

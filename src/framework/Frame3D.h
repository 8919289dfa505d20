#pragma once
// The raised and lowered edges that panels, scroll bars and tab strips share.
#include "framework/Canvas.h"

// Draws Width rings inside Rect, the top and left sides in TopColor, the bottom and right
// ones in BottomColor, and moves Rect inwards past them.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);
// The same on a bare device context.
void Frame3D(HDC dc, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

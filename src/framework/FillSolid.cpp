#include "framework/FillSolid.h"

#include "platform/gdi/Draw.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "platform/gdi/Rect.h"

void FillSolid(HDC dc, const TRect& Rect, TColor Color) {
    if (IsRectEmpty(&Rect)) return;
    gdi::UniqueObject brush(CreateSolidBrush(ColorToRGB(Color)));
    FillRect(dc, &Rect, brush.get());
}

void FillSolidPolygon(HDC dc, const POINT* points, int count, TColor Color) {
    gdi::UniqueObject brush(CreateSolidBrush(ColorToRGB(Color)));
    gdi::UniqueObject pen(CreatePen(PS_SOLID, 1, ColorToRGB(Color)));
    gdi::ObjectSelection selectedBrush(dc, brush.get());
    gdi::ObjectSelection selectedPen(dc, pen.get());
    Polygon(dc, points, count);
}

#include "framework/FillSolid.h"

#include "platform/gdi/Draw.h"
#include "platform/gdi/Object.h"

void FillSolid(HDC dc, const TRect& Rect, TColor Color) {
    if (Rect.right <= Rect.left || Rect.bottom <= Rect.top) return;
    HBRUSH brush = CreateSolidBrush(ColorToRGB(Color));
    FillRect(dc, &Rect, brush);
    DeleteObject(brush);
}

#include "framework/Frame3D.h"

#include "framework/FillSolid.h"
#include "platform/gdi/Rect.h"

void Frame3D(HDC dc, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
    for (int i = 0; i < Width; ++i) {
        if (IsRectEmpty(&Rect)) return;
        const TRect& r = Rect;
        FillSolid(dc, ::Rect(r.left, r.top, r.right, r.top + 1), TopColor);
        FillSolid(dc, ::Rect(r.left, r.top, r.left + 1, r.bottom), TopColor);
        FillSolid(dc, ::Rect(r.left, r.bottom - 1, r.right, r.bottom), BottomColor);
        FillSolid(dc, ::Rect(r.right - 1, r.top, r.right, r.bottom), BottomColor);
        ++Rect.left;
        ++Rect.top;
        --Rect.right;
        --Rect.bottom;
    }
}

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
    Canvas->Changing();
    Frame3D(Canvas->Handle(), Rect, TopColor, BottomColor, Width);
    Canvas->Changed();
}

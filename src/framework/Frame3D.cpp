#include "framework/Frame3D.h"

#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Object.h"

void FillSolid(HDC dc, const TRect& Rect, TColor Color) {
    if (Rect.right <= Rect.left || Rect.bottom <= Rect.top) return;
    HBRUSH brush = CreateSolidBrush(ColorToRGB(Color));
    FillRect(dc, &Rect, brush);
    DeleteObject(brush);
}

void Frame3D(HDC dc, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
    for (int i = 0; i < Width; ++i) {
        if (Rect.right - Rect.left < 1 || Rect.bottom - Rect.top < 1) return;
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

TTextMeasure::TTextMeasure(TFont* Font) {
    font_.reset(CreateObject<TFont>());
    font_->Assign(Font);
    dc_ = CreateCompatibleDC(0);
    if (dc_) SelectObject(dc_, font_->Handle());
}

TTextMeasure::~TTextMeasure() {
    if (dc_) DeleteDC(dc_);
}

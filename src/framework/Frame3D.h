#pragma once
// The raised and lowered edges that panels, scroll bars and tab strips share.
#include "framework/Canvas.h"

// Draws Width rings inside Rect, the top and left sides in TopColor, the bottom and right
// ones in BottomColor, and moves Rect inwards past them.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);
// The same on a bare device context.
void Frame3D(HDC dc, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);
// Fills Rect with one colour.
void FillSolid(HDC dc, const TRect& Rect, TColor Color);

// A memory device context with a copy of Font selected, for measuring text. The copy matters
// inside a font's change notification, which runs before the font drops its old handle.
class TTextMeasure {
public:
    explicit TTextMeasure(TFont* Font);
    ~TTextMeasure();
    TTextMeasure(const TTextMeasure&) = delete;
    TTextMeasure& operator=(const TTextMeasure&) = delete;
    HDC DC() const { return dc_; }
    HFONT FontHandle() { return font_ ? font_->Handle() : 0; }

private:
    ObjectPtr<TFont> font_;
    HDC dc_ = 0;
};

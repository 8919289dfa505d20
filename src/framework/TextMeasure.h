#pragma once
// Measuring text in a font without a control to draw on.
#include "framework/GraphicsObjects.h"

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

#pragma once
// Measuring text in a font without a control to draw on.
#include "framework/GraphicsObjects.h"
#include "platform/gdi/Owned.h"

// A memory device context with a font selected, for measuring text. Made from a TFont it
// holds a copy of the font, which matters inside a font's change notification: that runs
// before the font drops its old handle. Made from a handle, it selects that handle as it is.
class TTextMeasure {
public:
    explicit TTextMeasure(TFont* Font);
    explicit TTextMeasure(HFONT Font);
    TTextMeasure(const TTextMeasure&) = delete;
    TTextMeasure& operator=(const TTextMeasure&) = delete;

    HDC DC() const { return dc_.get(); }
    HFONT FontHandle() { return font_ ? font_->Handle() : handle_; }
    // The size of Text on one line; zero without a context.
    TSize TextExtent(const String& Text) const;

private:
    ObjectPtr<TFont> font_;
    HFONT handle_ = 0;
    gdi::SelectedMemoryDC dc_; // after the font: it is taken out before the copy goes
};

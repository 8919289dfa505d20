#pragma once
// Helpers of the skin tests: a headless screen with an application and one borderless form,
// and bitmaps drawn in code.
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "platform/headless/Headless.h"
#include "support/FormFixture.h"

#include <functional>
#include <gtest/gtest.h>

namespace skin_test {

// A bitmap whose pixels come from a function of their position.
inline ObjectPtr<TBitmap> PatternBitmap(int w, int h, const std::function<TColor(int, int)>& at) {
    auto b = MakeObject<TBitmap>();
    b->SetPixelFormat(pf32bit);
    b->SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b->Canvas()->SetPixels(x, y, at(x, y));
    return b;
}

// Every pixel tells where it came from: red is x, green is y.
inline TColor Coded(int x, int y) {
    return TColor(x | y << 8 | 0x40 << 16);
}

inline ObjectPtr<TBitmap> SolidBitmap(int w, int h, TColor color) {
    return PatternBitmap(w, h, [color](int, int) { return color; });
}

inline TColor PixelOf(TBitmap* b, int x, int y) {
    return b->Canvas()->Pixels(x, y);
}

// A white 400 x 300 form.
class SkinFixture : public test_support::FormFixture {
protected:
    SkinFixture() : FormFixture("Skin test", 400, 300) {}
    void SetUp() override {
        FormFixture::SetUp();
        form_->SetColor(clWhite);
    }
    void Advance(int ms) { session_->AdvanceClock(ms); }
    COLORREF WindowPixel(TWinControl* c, int x, int y) {
        return headless::HeadlessBackend::WindowPixel(c->Handle(), x, y);
    }
};

} // namespace skin_test

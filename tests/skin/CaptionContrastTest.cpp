// The caption of every built-in style can be read: its text stands out from the bar drawn
// behind it by a contrast ratio of at least 4.5:1, computed from the pixels the bar shows
// with and without the text.
#include "SkinFormTestUtil.h"
#include "support/SkinStyles.h"

#include <algorithm>
#include <cmath>

namespace {

using skin_test::SkinFormFixture;

// The relative luminance of an sRGB colour.
double Luminance(COLORREF c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) +
           0.0722 * channel(GetBValue(c));
}

double Contrast(COLORREF a, COLORREF b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class SkinCaptionContrast : public SkinFormFixture {
protected:
    std::vector<COLORREF> BarPixels(TskTitleBar* bar) {
        Pump();
        std::vector<COLORREF> pixels;
        for (int y = 0; y < bar->Height(); ++y)
            for (int x = 0; x < bar->Width(); ++x)
                pixels.push_back(WindowPixel(bar, x, y));
        return pixels;
    }
    // The lowest contrast between the caption's colour and the bar behind any of its pixels.
    double WorstContrast(TskTitleBar* bar) {
        bar->SetCaption("");
        const std::vector<COLORREF> plain = BarPixels(bar);
        bar->SetCaption("Varnelo  -  V 1.2");
        const std::vector<COLORREF> captioned = BarPixels(bar);
        const COLORREF text = ColorToRGB(bar->Font()->Color());
        double worst = 1e9;
        int textPixels = 0;
        for (size_t i = 0; i < plain.size(); ++i)
            if (plain[i] != captioned[i]) {
                ++textPixels;
                worst = std::min(worst, Contrast(text, plain[i]));
            }
        EXPECT_GT(textPixels, 50);
        return worst;
    }
};

TEST_F(SkinCaptionContrast, EveryStylesActiveCaptionStandsOutFromItsBar) {
    ShowForm();
    for (const test_support::NamedStyle& s : test_support::kBuiltinStyles) {
        skin_->SetUIStyle(s.style);
        TskTitleBar* bar = skin_->TitleBar();
        EXPECT_GE(WorstContrast(bar), 4.5) << s.name;
    }
}

} // namespace

// The caption of every built-in style can be read, on an active window's bar and on an
// inactive one's: its text stands out from the bar drawn behind it by a contrast ratio of at
// least 4.5:1, computed from the pixels the bar shows with and without the text.
#include "SkinFormTestUtil.h"
#include "skin/SKPublic.h"
#include "support/SkinStyles.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

using skin_test::SkinFormFixture;

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
    struct Caption {
        std::vector<COLORREF> pixels; // the bar with the caption on it
        int textPixels = 0;           // how many of them the caption changed
        COLORREF color = 0;           // the colour most of those have
        double worst = 0;             // its lowest contrast with the bar behind any of them
    };
    Caption DrawnCaption(TskTitleBar* bar) {
        bar->SetCaption("");
        const std::vector<COLORREF> plain = BarPixels(bar);
        bar->SetCaption("Varnelo  -  V 1.2");
        Caption c;
        c.pixels = BarPixels(bar);
        std::map<COLORREF, int> counts;
        for (size_t i = 0; i < plain.size(); ++i)
            if (plain[i] != c.pixels[i]) ++counts[c.pixels[i]];
        for (auto [color, n] : counts) {
            c.textPixels += n;
            if (n > counts[c.color]) c.color = color;
        }
        EXPECT_GT(c.textPixels, 50);
        c.worst = 1e9;
        for (size_t i = 0; i < plain.size(); ++i)
            if (plain[i] != c.pixels[i])
                c.worst = std::min(c.worst, ContrastRatio(c.color, plain[i]));
        return c;
    }
};

// Whether a channel of the two colours differs by more than an eye passes over.
bool VisiblyDifferent(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) > 48 ||
           std::abs(GetGValue(a) - GetGValue(b)) > 48 || std::abs(GetBValue(a) - GetBValue(b)) > 48;
}

TEST_F(SkinCaptionContrast, EveryStylesCaptionStandsOutFromItsBarActiveOrNot) {
    // The measure itself, on pairs whose ratios are known.
    EXPECT_NEAR(ContrastRatio(RGB(255, 255, 255), RGB(0, 0, 0)), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(RGB(0, 0, 0), RGB(255, 255, 255)), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(RGB(118, 118, 118), RGB(255, 255, 255)), 4.54, 0.01);
    EXPECT_EQ(ContrastRatio(RGB(12, 200, 90), RGB(12, 200, 90)), 1.0);
    ShowForm();
    for (const test_support::NamedStyle& s : test_support::kBuiltinStyles) {
        skin_->SetUIStyle(s.style);
        TskTitleBar* bar = skin_->TitleBar();
        bar->SetFormActive(true);
        const Caption active = DrawnCaption(bar);
        EXPECT_EQ(active.color, ColorToRGB(bar->Font()->Color())) << s.name;
        EXPECT_GE(active.worst, 4.5) << s.name;
        bar->SetFormActive(false);
        const Caption inactive = DrawnCaption(bar);
        EXPECT_GE(inactive.worst, 4.5) << s.name << " inactive";
        // Dimmed, and unlike the active caption at a glance.
        EXPECT_NE(inactive.color, active.color) << s.name;
        EXPECT_LT(inactive.worst, active.worst) << s.name;
        int changed = 0;
        for (size_t i = 0; i < active.pixels.size(); ++i)
            changed += VisiblyDifferent(active.pixels[i], inactive.pixels[i]) ? 1 : 0;
        EXPECT_GT(changed, active.textPixels / 5) << s.name;
    }
}

} // namespace

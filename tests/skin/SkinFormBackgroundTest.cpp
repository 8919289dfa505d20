// The skinned form's client background: drawn once and kept, and still right after a change of
// style, colour or size, also where a later paint only touches a small part.
#include "SkinFormTestUtil.h"

#include "framework/Resources.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "skin/SKThemes.h"

#include <functional>

namespace {

using skin_test::SkinFormFixture;

class SkinFormBackground : public SkinFormFixture {};

TEST_F(SkinFormBackground, FollowsStyleColourAndSize) {
    ShowForm();
    RegisterBuiltinThemeArt();
    auto tile = MakeObject<TBitmap>();
    tile->LoadFromResourceName(HInstance, "PROTEIN_FORM_BACKGROUND");
    ASSERT_EQ(tile->Width(), 8);
    auto tilePixel = [&](int x, int y) { return COLORREF(tile->Canvas()->Pixels(x % 8, y % 8)); };
    auto expectEverywhere = [&](const std::function<COLORREF(int, int)>& want, const char* what) {
        const int w = skin_->ClientWidth(), h = skin_->ClientHeight();
        for (POINT p : {POINT{5, h - 5}, POINT{w / 2 + 3, h / 2 + 1}, POINT{w - 2, h - 2}})
            EXPECT_EQ(WindowPixel(skin_, p.x, p.y), want(p.x, p.y))
                << what << " " << p.x << "," << p.y;
    };
    skin_->SetUIStyle(Protein);
    Pump();
    expectEverywhere(tilePixel, "tiled");
    // A small repaint copies its own part of the kept picture, over whatever was there.
    RECT small{22, 203, 62, 215};
    HDC dc = GetDC(skin_->Handle());
    HBRUSH black = CreateSolidBrush(0);
    FillRect(dc, &small, black);
    DeleteObject(black);
    ReleaseDC(skin_->Handle(), dc);
    InvalidateRect(skin_->Handle(), &small, TRUE);
    Pump();
    for (int x = 22; x < 30; ++x)
        EXPECT_EQ(WindowPixel(skin_, x, 206), tilePixel(x, 206)) << x;

    skin_->SetUIStyle(DeepBlue);
    Pump();
    const COLORREF deepBlue = GetBuiltinThemeColor(DeepBlue, tiFormBackgroundColor);
    expectEverywhere([&](int, int) { return deepBlue; }, "plain style");
    skin_->SetColor(TColor(0x00336699));
    Pump();
    expectEverywhere([](int, int) { return COLORREF(0x00336699); }, "own colour");

    skin_->SetUIStyle(Protein);
    form_->SetBounds(form_->Left(), form_->Top(), form_->Width() + 60, form_->Height() + 40);
    Pump();
    expectEverywhere(tilePixel, "larger form");
}

} // namespace

// A form of each built-in style, dumped for looking at by eye when KORVID_SHOT_DIR is set;
// the check here is only that each style paints its own frame colour.
#include "SkinFormTestUtil.h"

#include "support/ScreenShot.h"
#include "support/SkinStyles.h"

namespace {

using skin_test::SkinFormFixture;

class SkinFormShot : public SkinFormFixture {};

TEST_F(SkinFormShot, EachStylePaintsItsForm) {
    test_support::AddMainWindowPages(form_, skin_);
    skin_->SetUIStyleAutoUpdateSub(true);
    ShowForm();
    for (const auto& s : test_support::kBuiltinStyles) {
        skin_->SetUIStyle(s.style);
        Pump();
        EXPECT_EQ(FramePixel(0, form_->Height() / 2),
                  COLORREF(GetBuiltinThemeColor(s.style, tiFormBorderColor)))
            << s.name;
        test_support::SaveScreenShot(screen(), Rect(90, 90, 510, 410),
                                     std::string("skin_form_") + s.name + ".bmp");
    }
}

} // namespace

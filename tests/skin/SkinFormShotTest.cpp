// A form of each built-in style, dumped for looking at by eye when KORVID_SHOT_DIR is set;
// the check here is only that each style paints its own frame colour.
#include "SkinFormTestUtil.h"

#include "skin/SKPageControl.h"

namespace {

using skin_test::SkinFormFixture;

TEST_F(SkinFormFixture, EachStylePaintsItsForm) {
    auto* pages = CreateComponent<TskPageControl>(form_);
    pages->SetParent(skin_);
    pages->SetAlign(alClient);
    for (const char* caption : {"Set Cell Positions", "Create GIF/AVI", "Brightness", "Help"}) {
        auto* sheet = CreateComponent<TskTabSheet>(form_);
        sheet->SetCaption(caption);
        sheet->SetParent(pages);
    }
    pages->SetActivePageIndex(0);
    skin_->SetUIStyleAutoUpdateSub(true);
    ShowForm();
    const struct {
        TskUIStyle style;
        const char* name;
    } styles[] = {{MacOS, "macos"},
                  {WinXP, "winxp"},
                  {DeepBlue, "deepblue"},
                  {Protein, "protein"},
                  {BlueGlass, "blueglass"}};
    for (const auto& s : styles) {
        skin_->SetUIStyle(s.style);
        Pump();
        EXPECT_EQ(FramePixel(0, form_->Height() / 2),
                  COLORREF(GetBuiltinThemeColor(s.style, tiFormBorderColor)))
            << s.name;
        skin_test::SaveScreenShot(screen(), Rect(90, 90, 510, 410),
                                  std::string("skin_form_") + s.name + ".bmp");
    }
}

} // namespace

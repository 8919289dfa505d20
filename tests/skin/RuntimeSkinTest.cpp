// A skin file loaded while the program runs: every control on the theme takes the new look at
// once, the skinned form's frame and title bar and the MDI frame included.
#include "SkinFileTestUtil.h"
#include "SkinFormTestUtil.h"

#include "skin/SKButton.h"
#include "skin/SKCheckBox.h"
#include "skin/SKEdit.h"
#include "skin/SKMDIForm.h"
#include "support/ScreenShot.h"
#include "support/SkinStyles.h"
#include "support/TempFolder.h"

namespace {

using skin_test::SkinFileWriter;
using skin_test::SkinFormFixture;

// The colours of one skin file: the form's border and background, the controls' border, and
// the title bar's three pictures in one colour.
struct SkinColours {
    TColor border, background, controlBorder, title;
};

class RuntimeSkin : public SkinFormFixture {
protected:
    std::string WriteSkin(const std::string& name, const SkinColours& c) {
        auto title = skin_test::SolidBitmap(40, 30, c.title);
        const std::vector<Byte> titleBmp = skin_test::BmpBytes(title.get());
        SkinFileWriter w;
        w.Int("FormBorderColor", std::int32_t(c.border))
            .Int("FormBackgroundColor", std::int32_t(c.background))
            .Int("FormBorderWidthInt", 1)
            .Int("ControlBorderColor", std::int32_t(c.controlBorder))
            .Image("TitleBarLeftImage", titleBmp)
            .Image("TitleBarClientImage", titleBmp)
            .Image("TitleBarRightImage", titleBmp);
        skin_test::WriteFile(dir_.File(name), skin_test::SkinFileOfStyle(DeepBlue, w));
        return dir_.File(name);
    }
    test_support::TempFolder dir_{"korvid-runtime-skin-"};
};

TEST_F(RuntimeSkin, ANewSkinFileReachesTheFormItsTitleBarAndItsControls) {
    auto* theme = CreateComponent<TskFileTheme>(form_);
    theme->SetThemeFile(WriteSkin("first.skn", {0x00102030, 0x00C0D0E0, 0x00405060, 0x00706050}));
    skin_->SetFileTheme(theme);
    skin_->SetUIStyle(FromThemeFile);
    auto* edit = CreateComponent<TskEdit>(form_);
    edit->SetParent(skin_);
    edit->SetBounds(20, 60, 100, 22);
    edit->SetFileTheme(theme);
    edit->SetUIStyle(FromThemeFile);
    ShowForm();
    TskTitleBar* bar = skin_->TitleBar();
    const int W = form_->Width(), H = form_->Height();
    ASSERT_EQ(FramePixel(0, H / 2), COLORREF(0x00102030));
    ASSERT_EQ(WindowPixel(bar, bar->Width() / 2, 5), COLORREF(0x00706050));

    const SkinColours second{0x000000C0, 0x0000C000, 0x00C00000, 0x00008080};
    theme->SetThemeFile(WriteSkin("second.skn", second));
    Pump();
    EXPECT_EQ(FramePixel(0, H / 2), COLORREF(second.border)) << "the form's frame";
    EXPECT_EQ(FramePixel(W - 1, H / 2), COLORREF(second.border));
    EXPECT_EQ(FramePixel(1, H / 2), COLORREF(second.background)) << "inside the border line";
    EXPECT_EQ(WindowPixel(skin_, 10, skin_->Height() - 10), COLORREF(second.background))
        << "the form's client area";
    EXPECT_EQ(WindowPixel(bar, bar->Width() / 2, 5), COLORREF(second.title)) << "the title bar";
    EXPECT_EQ(FramePixel(W / 2, 1), COLORREF(second.title)) << "the frame above the caption";
    EXPECT_EQ(headless::HeadlessBackend::WindowFramePixel(edit->Handle(), 0, 0),
              COLORREF(second.controlBorder))
        << "the edit";
}

TEST_F(RuntimeSkin, ANewSkinFileReachesTheMDIFrame) {
    TForm* frame = nullptr;
    app_->CreateForm(frame);
    frame->SetFormStyle(fsMDIForm);
    frame->SetBorderStyle(bsSingle);
    frame->SetBounds(0, 0, 500, 400);
    auto* mdi = CreateComponent<TskMDIForm>(frame);
    auto* theme = CreateComponent<TskFileTheme>(frame);
    theme->SetThemeFile(WriteSkin("first.skn", {0x00102030, 0x00C0D0E0, 0x00405060, 0x00706050}));
    mdi->SetFileTheme(theme);
    mdi->SetUIStyle(FromThemeFile);
    frame->Show();
    Pump();
    const HWND h = frame->Handle();
    ASSERT_EQ(headless::HeadlessBackend::WindowFramePixel(h, 0, 200), COLORREF(0x00102030));
    theme->SetThemeFile(WriteSkin("second.skn", {0x000000C0, 0x0000C000, 0x00C00000, 0x00008080}));
    Pump();
    EXPECT_EQ(headless::HeadlessBackend::WindowFramePixel(h, 0, 200), COLORREF(0x000000C0));
    EXPECT_EQ(mdi->BorderColor(), 0x000000C0);
    EXPECT_EQ(WindowPixel(mdi->TitleBar(), mdi->TitleBar()->Width() / 2, 5), COLORREF(0x00008080));
}

// For looking at by eye: the main window's pages on a DeepBlue skin file, then each built-in
// style's values loaded from a skin file at run time.
TEST_F(RuntimeSkin, EachStyleLoadedFromAFileAtRunTime) {
    auto* theme = CreateComponent<TskFileTheme>(form_);
    theme->SetThemeFile(WriteSkin("start.skn", {0x00102030, 0x00C0D0E0, 0x00405060, 0x00706050}));
    TskPageControl* pages = test_support::AddMainWindowPages(form_, skin_);
    auto* button = CreateComponent<TskButton>(form_);
    button->SetParent(pages->Pages(0));
    button->SetBounds(20, 20, 90, 27);
    button->SetCaption("Capture");
    auto* edit = CreateComponent<TskEdit>(form_);
    edit->SetParent(pages->Pages(0));
    edit->SetBounds(130, 23, 120, 22);
    edit->SetText("12.5");
    auto* check = CreateComponent<TskCheckBox>(form_);
    check->SetParent(pages->Pages(0));
    check->SetBounds(20, 70, 150, 20);
    check->SetCaption("Loop the preview");
    check->SetChecked(true);
    check->SetTransparent(true);
    skin_->SetUIStyleAutoUpdateSub(true);
    skin_->SetFileTheme(theme);
    skin_->SetUIStyle(FromThemeFile);
    ShowForm();
    for (const auto& s : test_support::kBuiltinStyles) {
        const std::string name = std::string("style-") + s.name + ".skn";
        skin_test::WriteFile(dir_.File(name), skin_test::SkinFileOfStyle(s.style));
        theme->SetThemeFile(dir_.File(name));
        Pump();
        EXPECT_EQ(FramePixel(0, form_->Height() / 2),
                  COLORREF(GetBuiltinThemeColor(s.style, tiFormBorderColor)))
            << s.name;
        EXPECT_EQ(skin_->Color(), GetBuiltinThemeColor(s.style, tiFormBackgroundColor)) << s.name;
        test_support::SaveScreenShot(screen(), Rect(90, 90, 510, 410),
                                     std::string("runtime_skin_") + s.name + ".bmp");
    }
}

} // namespace

#include "SkinTestUtil.h"

#include "framework/Actions.h"
#include "framework/Edit.h"
#include "framework/ImageList.h"
#include "framework/PageControl.h"
#include "platform/user/Input.h"
#include "skin/SKButton.h"

namespace {

using skin_test::PixelOf;

class ButtonTest : public skin_test::SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        button_ = CreateComponent<TskButton>(form_);
        button_->SetBounds(10, 10, 80, 27);
        button_->SetParent(form_);
        button_->OnClick = [this](TObject*) { ++clicks_; };
        button_->OnMouseContinuouslyDown = [this](TObject*) { ++ticks_; };
        ShowForm();
    }
    TPoint Screen(TControl* c, int x, int y) { return c->ClientToScreen(Point(x, y)); }
    void MoveTo(TControl* c, int x, int y) {
        TPoint p = Screen(c, x, y);
        session_->MovePointer(p.x, p.y);
        Pump();
    }
    void Press() {
        session_->PressButton();
        Pump();
    }
    void Release() {
        session_->ReleaseButton();
        Pump();
    }
    // The colour at the middle of a piece of the style's button strip.
    TColor PieceCentre(TskUIStyle style, int piece) {
        ObjectPtr<TBitmap> b = MakeObject<TBitmap>();
        GetBuiltinThemeBitmap(style, tiButtonImage, b.get(), 3, piece);
        return PixelOf(b.get(), b->Width() / 2, b->Height() / 2);
    }

    TskButton* button_ = nullptr;
    int clicks_ = 0;
    int ticks_ = 0;
};

TEST_F(ButtonTest, PressAndReleaseInsideClicksOnce) {
    MoveTo(button_, 40, 13);
    EXPECT_TRUE(button_->Hot());
    Press();
    EXPECT_TRUE(button_->Pressed());
    EXPECT_TRUE(button_->Repeating());
    EXPECT_TRUE(button_->Focused());
    Release();
    EXPECT_EQ(clicks_, 1);
    EXPECT_FALSE(button_->Pressed());
    EXPECT_FALSE(button_->Repeating());
    EXPECT_TRUE(button_->Hot());
}

TEST_F(ButtonTest, LeavingWhilePressedDropsThePressForGood) {
    MoveTo(button_, 40, 13);
    Press();
    MoveTo(button_, 120, 13);
    EXPECT_FALSE(button_->Pressed());
    EXPECT_FALSE(button_->Hot());
    MoveTo(button_, 40, 13);
    EXPECT_FALSE(button_->Pressed()) << "coming back does not press again";
    MoveTo(button_, 40, 60);
    Release();
    EXPECT_EQ(clicks_, 0);
    EXPECT_FALSE(button_->Repeating());
    Advance(1000);
    EXPECT_EQ(ticks_, 0);
}

TEST_F(ButtonTest, RepeatTicksWhileHeldAndStopsOnEveryRelease) {
    struct Case {
        int interval;
        int held;
        int ticks;
    };
    // A negative interval acts as 0, and a timer of interval 0 never ticks.
    const Case cases[] = {{100, 99, 0}, {100, 100, 1}, {100, 350, 3}, {400, 900, 2}, {-5, 500, 0}};
    for (const Case& c : cases) {
        ticks_ = 0;
        clicks_ = 0;
        button_->SetMouseContinuouslyDownInterval(c.interval);
        MoveTo(button_, 40, 13);
        Press();
        Advance(c.held);
        EXPECT_EQ(ticks_, c.ticks) << c.interval << " held " << c.held;
        Release();
        EXPECT_EQ(clicks_, 1);
        Advance(1000);
        EXPECT_EQ(ticks_, c.ticks) << "no tick after the release";
    }
}

TEST_F(ButtonTest, ReleaseOutsideStopsTheRepeatEvenWithoutALeave) {
    // The pointer is taken out of the button by the program, so no leave is seen first.
    MoveTo(button_, 40, 13);
    Press();
    Advance(150);
    EXPECT_EQ(ticks_, 1);
    TPoint outside = Screen(button_, 200, 100);
    session_->MovePointer(outside.x, outside.y);
    session_->ReleaseButton();
    Pump();
    Advance(1000);
    EXPECT_EQ(ticks_, 1);
    EXPECT_EQ(clicks_, 0);
}

TEST_F(ButtonTest, DisablingStopsTheRepeatAndThePress) {
    MoveTo(button_, 40, 13);
    Press();
    Advance(150);
    button_->SetEnabled(false);
    EXPECT_FALSE(button_->Pressed());
    EXPECT_FALSE(button_->Repeating());
    Advance(1000);
    EXPECT_EQ(ticks_, 1);
    Release();
    EXPECT_EQ(clicks_, 0);
}

TEST_F(ButtonTest, ClickCopiesModalResultToTheFormEvenZero) {
    form_->SetModalResult(mrCancel);
    button_->Click();
    EXPECT_EQ(form_->ModalResult(), mrNone);
    button_->SetModalResult(mrOk);
    button_->Click();
    EXPECT_EQ(form_->ModalResult(), mrOk);
    form_->SetModalResult(mrNone);
}

TEST_F(ButtonTest, SpaceOrEnterPressesOnKeyDownAndClicksOnKeyUp) {
    button_->SetFocus();
    Pump();
    for (int key : {VK_SPACE, VK_RETURN}) {
        clicks_ = 0;
        session_->KeyDown(key);
        Pump();
        if (key == VK_SPACE) {
            EXPECT_TRUE(button_->Pressed());
        }
        session_->KeyUp(key);
        Pump();
        EXPECT_EQ(clicks_, 1) << key;
        EXPECT_FALSE(button_->Pressed());
    }
}

TEST_F(ButtonTest, TheFocusedButtonIsTheDefaultElseTheDefaultButtons) {
    auto* other = CreateComponent<TskButton>(form_);
    other->SetBounds(100, 10, 80, 27);
    other->SetParent(form_);
    int otherClicks = 0;
    other->OnClick = [&](TObject*) { ++otherClicks; };
    auto* cancel = CreateComponent<TskButton>(form_);
    cancel->SetBounds(200, 10, 80, 27);
    cancel->SetParent(form_);
    cancel->SetCancel(true);
    int cancelClicks = 0;
    cancel->OnClick = [&](TObject*) { ++cancelClicks; };
    auto* edit = CreateComponent<TEdit>(form_);
    edit->SetBounds(10, 60, 100, 20);
    edit->SetParent(form_);
    other->SetDefault(true);
    Pump();

    button_->SetFocus();
    Pump();
    EXPECT_TRUE(button_->ActiveDefault());
    EXPECT_FALSE(other->ActiveDefault())
        << "a focused skinned button takes over, whatever Default says";

    edit->SetFocus();
    Pump();
    EXPECT_FALSE(button_->ActiveDefault());
    EXPECT_TRUE(other->ActiveDefault());
    session_->PressKey(VK_RETURN);
    Pump();
    EXPECT_EQ(otherClicks, 1);
    EXPECT_EQ(clicks_, 0);
    session_->PressKey(VK_ESCAPE);
    Pump();
    EXPECT_EQ(cancelClicks, 1);
    session_->PressKey(VK_RETURN, false, true); // Ctrl+Enter is not the default's
    Pump();
    EXPECT_EQ(otherClicks, 1);
}

TEST_F(ButtonTest, EachStateShowsItsPiece) {
    button_->SetUIStyle(DeepBlue);
    struct Case {
        const char* what;
        std::function<void()> enter;
        int piece;
    };
    const Case cases[] = {
        {"normal", [&] { MoveTo(button_, 200, 100); }, 1},
        {"hot", [&] { MoveTo(button_, 40, 5); }, 2},
        {"pressed", [&] { Press(); }, 3},
        {"released", [&] { Release(); }, 2},
        {"disabled",
         [&] {
             button_->SetEnabled(false);
             MoveTo(button_, 200, 100);
         },
         1},
    };
    for (const Case& c : cases) {
        c.enter();
        Pump();
        EXPECT_EQ(WindowPixel(button_, 40, 13), COLORREF(PieceCentre(DeepBlue, c.piece))) << c.what;
    }
}

TEST_F(ButtonTest, SeeThroughStylesShowTheParentInTheCorners) {
    form_->SetColor(clLime);
    struct Case {
        TskUIStyle style;
        bool seeThrough;
    };
    const Case cases[] = {
        {MacOS, true}, {BlueGlass, true}, {WinXP, false}, {DeepBlue, false}, {Protein, false}};
    for (const Case& c : cases) {
        button_->SetUIStyle(c.style);
        Pump();
        EXPECT_EQ(button_->Transparent(), c.seeThrough) << int(c.style);
        EXPECT_EQ(WindowPixel(button_, 0, 0) == COLORREF(clLime), c.seeThrough) << int(c.style);
    }
}

TEST_F(ButtonTest, OnATabSheetTheSheetShowsThroughAroundTheGlyph) {
    auto* pages = CreateComponent<TPageControl>(form_);
    pages->SetParent(form_);
    pages->SetBounds(100, 10, 250, 200);
    auto* sheet = CreateComponent<TTabSheet>(form_);
    sheet->SetPageControl(pages);
    pages->SetActivePage(sheet);
    sheet->SetColor(clLime);
    auto* onSheet = CreateComponent<TskButton>(form_);
    onSheet->SetParent(sheet);
    onSheet->SetBounds(30, 40, 100, 40);
    onSheet->SetUIStyle(MacOS); // a see-through style
    onSheet->SetGlyph(skin_test::SolidBitmap(16, 16, clRed).get());
    Pump();
    ASSERT_TRUE(onSheet->Transparent());
    EXPECT_EQ(WindowPixel(onSheet, 0, 0), COLORREF(clLime));
    EXPECT_EQ(WindowPixel(onSheet, 99, 39), COLORREF(clLime));
}

TEST_F(ButtonTest, CaptionIsCentredAndWrapsAsMeasured) {
    button_->SetUIStyle(DeepBlue);
    button_->SetBounds(10, 10, 70, 80);
    button_->Font()->SetColor(clRed);
    button_->SetCaption("Wide wide wide words");
    Pump();
    // Rows with red in them form more than one band: the caption was drawn wrapped.
    int bands = 0;
    bool inBand = false;
    int top = -1, bottom = -1;
    for (int y = 0; y < 80; ++y) {
        bool red = false;
        for (int x = 0; x < 70 && !red; ++x) {
            COLORREF p = WindowPixel(button_, x, y);
            red = (p & 0xFF) > 0xC0 && ((p >> 8) & 0xFF) < 0x60;
        }
        if (red && top < 0) top = y;
        if (red) bottom = y;
        if (red && !inBand) ++bands;
        inBand = red;
    }
    EXPECT_GE(bands, 2);
    ASSERT_GE(top, 0);
    EXPECT_LE(std::abs((top + bottom) - 80), 4)
        << "centred from top " << top << " to bottom " << bottom;
}

TEST_F(ButtonTest, BlankCaptionDrawsNothing) {
    button_->SetUIStyle(DeepBlue);
    button_->SetCaption("   ");
    Pump();
    EXPECT_EQ(WindowPixel(button_, 40, 13), COLORREF(PieceCentre(DeepBlue, 1)));
}

TEST_F(ButtonTest, AutoSizeTakesThePieceOfTheBuiltinStrip) {
    struct Case {
        TskUIStyle style;
        int w, h;
    };
    const Case cases[] = {
        {DeepBlue, 74, 21}, {MacOS, 84, 23}, {WinXP, 18, 21}, {FromThemeFile, 24, 21}};
    for (const Case& c : cases) {
        button_->SetAutoSize(false);
        button_->SetUIStyle(c.style);
        button_->SetAutoSize(true);
        EXPECT_EQ(button_->Width(), c.w) << int(c.style);
        EXPECT_EQ(button_->Height(), c.h) << int(c.style);
    }
}

TEST_F(ButtonTest, GlyphBesideTheCaptionByLayout) {
    button_->SetUIStyle(DeepBlue);
    button_->SetBounds(10, 10, 100, 40);
    button_->SetCaption("Go");
    // Two images side by side: enabled red, disabled blue.
    ObjectPtr<TBitmap> glyph = skin_test::PatternBitmap(32, 16, [](int x, int y) {
        if (x == 0 && y == 0) return clFuchsia;
        return x < 16 ? clRed : clBlue;
    });
    button_->SetGlyph(glyph.get());
    Pump();
    const int tw = button_->Canvas()->TextWidth("Go"), th = button_->Canvas()->TextHeight("Go");
    struct Case {
        TButtonLayout layout;
        int gx, gy, cx, cy;
    };
    const Case cases[] = {
        {blGlyphLeft, (100 - 16 - tw - 4) / 2, (40 - 16) / 2, (100 - 16 - tw - 4) / 2 + 20,
         (40 - th) / 2},
        {blGlyphRight, (100 + tw + 4 - 16) / 2, 12, (100 + tw + 4 - 16) / 2 - tw - 4,
         (40 - th) / 2},
        {blGlyphTop, 42, (40 - th - 16 - 4) / 2, (100 - tw) / 2, (40 - th - 16 - 4) / 2 + 20},
        {blGlyphBottom, 42, (40 + th + 4 - 16) / 2, (100 - tw) / 2,
         (40 + th + 4 - 16) / 2 - th - 4},
    };
    for (const Case& c : cases) {
        button_->SetLayout(c.layout);
        Pump();
        EXPECT_EQ(button_->CaptionPos().x, c.cx) << c.layout;
        EXPECT_EQ(button_->CaptionPos().y, c.cy) << c.layout;
        EXPECT_EQ(WindowPixel(button_, c.gx + 8, c.gy + 8), COLORREF(clRed)) << c.layout;
    }
    button_->SetEnabled(false);
    Pump();
    const Case& last = cases[3];
    EXPECT_EQ(WindowPixel(button_, last.gx + 8, last.gy + 8), COLORREF(clBlue))
        << "the disabled image";
    EXPECT_NE(WindowPixel(button_, last.gx, last.gy), COLORREF(clFuchsia))
        << "pixel (0, 0)'s colour is see-through";
}

TEST_F(ButtonTest, FollowsItsActionAndRunsItOnClick) {
    button_->SetUIStyle(DeepBlue);
    button_->SetBounds(10, 10, 100, 40);
    button_->OnClick = nullptr;
    auto* images = CreateComponent<TImageList>(form_);
    images->Add(skin_test::SolidBitmap(16, 16, clBlue).get(), nullptr);
    images->Add(skin_test::PatternBitmap(
                    16, 16, [](int x, int y) { return x == 0 && y == 0 ? clWhite : clRed; })
                    .get(),
                nullptr);
    auto* list = CreateComponent<TActionList>(form_);
    list->SetImages(images);
    auto* action = CreateComponent<TAction>(form_);
    action->SetActionList(list);
    action->SetCaption("Save");
    action->SetImageIndex(1);
    int runs = 0;
    action->OnExecute = [&](TObject*) { ++runs; };
    button_->SetAction(action);
    Pump();
    EXPECT_EQ(button_->Caption(), "Save");
    ASSERT_FALSE(button_->Glyph()->Empty());
    EXPECT_EQ(PixelOf(button_->Glyph(), 8, 8), clRed) << "image 1 of the list";
    const int tw = button_->Canvas()->TextWidth("Save");
    const int gx = (100 - 16 - tw - 4) / 2;
    EXPECT_EQ(WindowPixel(button_, gx + 8, 20), COLORREF(clRed)) << "drawn as the glyph";
    // A glyph of its own stays: the action's image is only for an empty one.
    action->SetImageIndex(0);
    EXPECT_EQ(PixelOf(button_->Glyph(), 8, 8), clRed);
    action->SetCaption("Save as");
    Pump();
    EXPECT_EQ(button_->Caption(), "Save as");
    MoveTo(button_, 50, 20);
    Press();
    Release();
    EXPECT_EQ(runs, 1);
    action->SetEnabled(false);
    Pump();
    EXPECT_FALSE(button_->Enabled());
    Press();
    Release();
    EXPECT_EQ(runs, 1);
}

TEST_F(ButtonTest, RemovingTheFileThemeFallsBackToDeepBlue) {
    auto* theme = CreateComponent<TskFileTheme>(form_);
    button_->SetUIStyle(FromThemeFile);
    button_->SetFileTheme(theme);
    theme->Free();
    EXPECT_EQ(button_->FileTheme(), nullptr);
    EXPECT_EQ(button_->UIStyle(), DeepBlue);
    // A theme owned elsewhere is heard of too.
    ObjectPtr<TskFileTheme> outside = CreateUnowned<TskFileTheme>();
    button_->SetFileTheme(outside.get());
    outside.reset();
    EXPECT_EQ(button_->FileTheme(), nullptr);
}

TEST_F(ButtonTest, ArrowButtonDrawsItsTriangle) {
    auto* arrow = CreateComponent<TskArrowButton>(form_);
    arrow->SetBounds(10, 50, 15, 11);
    arrow->SetParent(form_);
    arrow->SetUIStyle(DeepBlue);
    for (TskArrowButtonType type : {skUp, skDown}) {
        arrow->SetArrow(type);
        Pump();
        const int x0 = (15 - 6) / 2, y0 = (11 - 3) / 2;
        // The apex row holds one black pixel in the middle; the base row is black across.
        const int apex = type == skUp ? y0 : y0 + 3, base = type == skUp ? y0 + 3 : y0;
        EXPECT_EQ(WindowPixel(arrow, x0 + 3, apex), COLORREF(clBlack)) << type;
        EXPECT_EQ(WindowPixel(arrow, x0 + 1, base), COLORREF(clBlack)) << type;
        EXPECT_NE(WindowPixel(arrow, x0, apex), COLORREF(clBlack)) << type;
    }
}

TEST_F(ButtonTest, ImageButtonUsesItsOwnPictures) {
    auto* image = CreateComponent<TskImageButton>(form_);
    image->SetParent(form_);
    image->SetBounds(10, 50, 30, 30);
    image->SetUIStyle(Protein);
    EXPECT_EQ(image->UIStyle(), FromThemeFile);
    ObjectPtr<TPicture> normal = MakeObject<TPicture>();
    normal->Bitmap()->Assign(skin_test::SolidBitmap(12, 9, clRed).get());
    ObjectPtr<TPicture> down = MakeObject<TPicture>();
    down->Bitmap()->Assign(skin_test::SolidBitmap(12, 9, clBlue).get());
    image->SetAutoSize(true);
    image->SetPicNormal(normal.get());
    image->SetPicMouseDown(down.get());
    EXPECT_EQ(image->Width(), 12);
    EXPECT_EQ(image->Height(), 9);
    Pump();
    EXPECT_EQ(WindowPixel(image, 5, 5), COLORREF(clRed));
    MoveTo(image, 5, 5);
    EXPECT_EQ(WindowPixel(image, 5, 5), COLORREF(clRed)) << "no hot picture: the normal one";
    Press();
    EXPECT_EQ(WindowPixel(image, 5, 5), COLORREF(clBlue));
    Release();
}

} // namespace

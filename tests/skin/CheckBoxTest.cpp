#include "SkinTestUtil.h"

#include "framework/Panel.h"
#include "platform/user/Input.h"
#include "skin/SKCheckBox.h"

namespace {

using skin_test::PixelOf;

class CheckBoxTest : public skin_test::SkinFixture {
protected:
    template <class T> T* Make(TWinControl* parent, int x, int y, int* clicks) {
        auto* c = CreateComponent<T>(form_);
        c->SetBounds(x, y, 93, 17);
        c->SetParent(parent);
        c->OnClick = [clicks](TObject*) { ++*clicks; };
        return c;
    }
    void ClickOn(TControl* c) {
        TPoint p = c->ClientToScreen(Point(4, c->Height() / 2));
        session_->Click(p.x, p.y);
        Pump();
    }
};

TEST_F(CheckBoxTest, CheckedSetterRaisesOnlyOnChange) {
    int clicks = 0;
    auto* box = Make<TskCheckBox>(form_, 10, 10, &clicks);
    box->SetChecked(false);
    EXPECT_EQ(clicks, 0);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    box->SetState(cbGrayed);
    EXPECT_FALSE(box->Checked()) << "grayed unchecks";
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(clicks, 2);
    int loadedClicks = 0;
    TskCheckBox* loaded = nullptr;
    LoadComponents(form_, [&] {
        loaded = Make<TskCheckBox>(form_, 10, 40, &loadedClicks);
        loaded->SetChecked(true);
    });
    EXPECT_TRUE(loaded->Checked());
    EXPECT_EQ(loadedClicks, 0) << "no OnClick while the form is read";
}

TEST_F(CheckBoxTest, MouseAndKeysToggleACheckBox) {
    int clicks = 0;
    auto* box = Make<TskCheckBox>(form_, 10, 10, &clicks);
    ShowForm();
    ClickOn(box);
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(box->Focused());
    for (int key : {VK_SPACE, VK_RETURN}) {
        session_->PressKey(key);
        Pump();
    }
    EXPECT_TRUE(box->Checked()) << "toggled twice";
    EXPECT_EQ(clicks, 3);
}

TEST_F(CheckBoxTest, RadioButtonsOfAGroupExcludeEachOther) {
    auto* panel = CreateComponent<TPanel>(form_);
    panel->SetBounds(0, 100, 200, 60);
    panel->SetParent(form_);
    int a = 0, b = 0, c = 0, d = 0;
    auto* ra = Make<TskRadioButton>(form_, 10, 10, &a);
    auto* rb = Make<TskRadioButton>(form_, 10, 30, &b);
    auto* rc = Make<TskRadioButton>(form_, 10, 50, &c);
    rc->SetGroupIndex(1);
    auto* rd = Make<TskRadioButton>(panel, 10, 10, &d); // same index, other parent
    ShowForm();
    ra->SetChecked(true);
    rc->SetChecked(true);
    rd->SetChecked(true);
    EXPECT_EQ(a, 1);
    rb->SetChecked(true);
    EXPECT_FALSE(ra->Checked());
    EXPECT_TRUE(rb->Checked());
    EXPECT_TRUE(rc->Checked()) << "another group index";
    EXPECT_TRUE(rd->Checked()) << "another parent";
    EXPECT_EQ(a, 1) << "unchecking raises nothing";
    EXPECT_EQ(b, 1);
    rb->SetChecked(false);
    EXPECT_EQ(b, 1);
    ra->SetChecked(true);
    ClickOn(ra);
    EXPECT_TRUE(ra->Checked()) << "clicking a checked radio button changes nothing";
    EXPECT_EQ(a, 2);
    session_->PressKey(VK_SPACE);
    Pump();
    EXPECT_TRUE(ra->Focused());
    EXPECT_EQ(a, 2) << "keys do not toggle a radio button";
    ClickOn(rb);
    EXPECT_TRUE(rb->Checked());
    EXPECT_FALSE(ra->Checked());
}

TEST_F(CheckBoxTest, AutoSizeFollowsCaptionAfterThePaint) {
    int clicks = 0;
    auto* box = Make<TskCheckBox>(form_, 10, 10, &clicks);
    box->SetUIStyle(MacOS);
    ShowForm();
    box->SetCaption("A longer caption than before");
    Pump();
    const int tw = box->Canvas()->TextWidth("A longer caption than before");
    const int th = box->Canvas()->TextHeight("W");
    EXPECT_EQ(box->Width(), 15 + tw + 8);
    EXPECT_EQ(box->Height(), std::max(th + 2, 17) + 4);
    box->SetAutoSize(false);
    box->SetCaption("x");
    Pump();
    EXPECT_EQ(box->Width(), 15 + tw + 8) << "without AutoSize the size stays";
}

TEST_F(CheckBoxTest, PaintsThePieceOfItsState) {
    int clicks = 0;
    auto* box = Make<TskCheckBox>(form_, 10, 10, &clicks);
    auto* radio = Make<TskRadioButton>(form_, 10, 40, &clicks);
    box->SetUIStyle(WinXP);
    radio->SetUIStyle(WinXP);
    form_->SetColor(clLime);
    radio->SetColor(clLime);
    ShowForm();
    struct Case {
        bool checked, enabled;
        int piece;
    };
    const Case cases[] = {{true, true, 1}, {false, true, 2}, {true, false, 3}, {false, false, 4}};
    for (const Case& c : cases) {
        for (TskCheckBox* control : {box, static_cast<TskCheckBox*>(radio)}) {
            control->SetChecked(c.checked);
            control->SetEnabled(c.enabled);
            Pump();
            const int item = control == box ? tiCheckBoxImage : tiRadioButtonImage;
            ObjectPtr<TBitmap> piece = MakeObject<TBitmap>();
            GetBuiltinThemeBitmap(WinXP, item, piece.get(), 4, c.piece);
            const int y0 = (control->ClientHeight() - piece->Height()) / 2;
            EXPECT_EQ(WindowPixel(control, 1 + 6, y0 + 6), COLORREF(PixelOf(piece.get(), 6, 6)))
                << "item " << item << " piece " << c.piece;
        }
    }
    // The radio mark's corners are see-through; the box is opaque.
    const int y0 = (radio->ClientHeight() - 13) / 2;
    EXPECT_EQ(WindowPixel(radio, 1, y0), COLORREF(clLime));
    EXPECT_NE(WindowPixel(box, 1, (box->ClientHeight() - 13) / 2), COLORREF(clLime));
}

} // namespace

#include "ControlTestUtil.h"

#include "framework/Label.h"
#include "framework/Panel.h"

#include "platform/user/User.h"

namespace {

using headless::HeadlessBackend;

class LabelTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        form_->SetColor(clWhite);
        label_ = CreateComponent<TLabel>(form_);
        label_->SetLeft(10);
        label_->SetTop(10);
        label_->SetParent(form_);
        label_->Font()->SetColor(clBlack);
        ShowForm();
    }
    // Dark pixels of the form inside a rectangle.
    int Ink(const TRect& r) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if ((HeadlessBackend::WindowPixel(form_->Handle(), x, y) & 0xFF) < 0x80) ++n;
        return n;
    }
    TLabel* label_ = nullptr;
};

TEST_F(LabelTest, AutoSizeFollowsTextAndFont) {
    label_->SetCaption("Hello");
    int w1 = label_->Width(), h1 = label_->Height();
    EXPECT_GT(w1, 10);
    EXPECT_GT(h1, 5);
    label_->SetCaption("Hello, world");
    EXPECT_GT(label_->Width(), w1);
    EXPECT_EQ(label_->Height(), h1);
    label_->Font()->SetHeight(-24);
    EXPECT_GT(label_->Height(), h1);
    // An empty caption keeps one line's height.
    label_->SetCaption("");
    EXPECT_GT(label_->Height(), 10);
    label_->SetAutoSize(false);
    label_->SetCaption("A much longer caption than before");
    EXPECT_LT(label_->Width(), 50);
}

TEST_F(LabelTest, RightAlignedAutoSizeKeepsTheRightEdge) {
    label_->SetAlignment(taRightJustify);
    label_->SetCaption("abc");
    int right = label_->Left() + label_->Width();
    label_->SetCaption("abcdefghij");
    EXPECT_EQ(label_->Left() + label_->Width(), right);
}

TEST_F(LabelTest, WordWrapKeepsWidthAndGrowsHeight) {
    label_->SetCaption("one two three four five six seven eight");
    int oneLine = label_->Height();
    label_->SetAutoSize(false);
    label_->SetWidth(60);
    label_->SetWordWrap(true);
    label_->SetAutoSize(true);
    EXPECT_EQ(label_->Width(), 60);
    EXPECT_GE(label_->Height(), 3 * oneLine);
    Pump();
    EXPECT_EQ(Ink(Rect(70, 0, 300, 200)), 0); // nothing past the wrapped width
    EXPECT_GT(Ink(Rect(10, 10 + 2 * oneLine, 70, 10 + 3 * oneLine)), 0);
}

// Labels built inside a loading scope (as a form description is read) skip sizing while it
// lasts, then fit the text and font they got once it ends, as one given its text afterwards.
TEST_F(LabelTest, TextGivenWhileLoadingIsSizedToWhenLoadingEnds) {
    struct Case {
        const char* name;
        TAlignment alignment;
        bool wordWrap;
        bool autoSize;
        int fontHeight; // 0: the default font
    };
    const Case cases[] = {
        {"plain", taLeftJustify, false, true, 0},
        {"right aligned", taRightJustify, false, true, 0},
        {"centred, larger font", taCenter, false, true, -20},
        {"word-wrapped", taLeftJustify, true, true, 0},
        {"not auto-sized", taLeftJustify, false, false, 0},
    };
    const String text = "Step1: Click [Open] to open the file";
    auto setUp = [&](TLabel* label, const Case& c) {
        label->SetParent(form_);
        label->SetAutoSize(c.autoSize);
        label->SetAlignment(c.alignment);
        label->SetWordWrap(c.wordWrap);
        label->SetBounds(100, 40, 90, 17);
        if (c.fontHeight) label->Font()->SetHeight(c.fontHeight);
        label->SetCaption(text);
    };
    for (const Case& c : cases) {
        auto* holder = CreateComponent<TPanel>(form_);
        TLabel* loaded = nullptr;
        LoadComponents(holder, [&] {
            loaded = CreateComponent<TLabel>(holder);
            setUp(loaded, c);
            EXPECT_EQ(loaded->BoundsRect(), Rect(100, 40, 190, 57)) << c.name << ": while loading";
        });
        // The same label given its text outside loading.
        auto* reference = CreateComponent<TLabel>(form_);
        setUp(reference, c);
        EXPECT_EQ(loaded->BoundsRect(), reference->BoundsRect()) << c.name;
        if (c.autoSize && !c.wordWrap) {
            EXPECT_GT(loaded->Width(), 90) << c.name;
        }
        if (c.wordWrap) {
            EXPECT_GT(loaded->Height(), 17) << c.name;
        }
        holder->Free();
        reference->Free();
    }
}

TEST_F(LabelTest, TransparentShowsWhatLiesBelowAndOpaqueFillsWithColor) {
    auto* probe = CreateComponent<TProbe>(form_);
    probe->fill = clRed;
    probe->SetBounds(0, 0, 200, 100);
    probe->SetParent(form_);
    probe->SendToBack();
    label_->SetCaption("      ");
    label_->SetColor(clLime);
    Pump();
    EXPECT_EQ(HeadlessBackend::WindowPixel(form_->Handle(), 12, 12), COLORREF(clLime));
    label_->SetTransparent(true);
    Pump();
    EXPECT_EQ(HeadlessBackend::WindowPixel(form_->Handle(), 12, 12), COLORREF(clRed));
}

TEST_F(LabelTest, LayoutMovesTextVertically) {
    label_->SetAutoSize(false);
    label_->SetBounds(10, 10, 100, 90);
    label_->SetCaption("Text");
    struct Case {
        TTextLayout layout;
        int inkBand;
    }; // band of 30 pixels: 0 top, 1 middle, 2 bottom
    for (Case c : {Case{tlTop, 0}, Case{tlCenter, 1}, Case{tlBottom, 2}}) {
        label_->SetLayout(c.layout);
        Pump();
        for (int band = 0; band < 3; ++band) {
            int ink = Ink(Rect(10, 10 + band * 30, 110, 40 + band * 30));
            if (band == c.inkBand)
                EXPECT_GT(ink, 0) << c.layout;
            else
                EXPECT_EQ(ink, 0) << c.layout << " band " << band;
        }
    }
}

TEST_F(LabelTest, AcceleratorIsUnderlinedAndHidesItsAmpersand) {
    label_->Font()->SetHeight(-16);
    label_->SetCaption("&Name");
    int underlined = label_->Width();
    label_->SetShowAccelChar(false);
    // Without the prefix handling the '&' is drawn as text, so the label is wider.
    EXPECT_GT(label_->Width(), underlined);
    label_->SetShowAccelChar(true);
    Pump();
    // The underline: a row of ink under the first letter, below the letters' baseline.
    int h = label_->Height();
    bool lineFound = false;
    for (int y = 10 + h / 2; y < 10 + h && !lineFound; ++y) {
        int run = 0;
        for (int x = 10; x < 10 + underlined / 3; ++x)
            if ((HeadlessBackend::WindowPixel(form_->Handle(), x, y) & 0xFF) < 0x80) ++run;
        if (run >= 5) lineFound = true;
    }
    EXPECT_TRUE(lineFound);
}

TEST(LabelAccel, IsAccelFindsTheMarkedLetter) {
    struct Case {
        const char* text;
        char key;
        bool hit;
    };
    const Case cases[] = {{"&File", 'f', true},      {"&File", 'F', true},
                          {"F&ile", 'i', true},      {"File", 'F', false},
                          {"&&File", 'F', false},    {"A&&B &Cut", 'c', true},
                          {"Trailing&", '&', false}, {"", 'a', false}};
    for (const Case& c : cases)
        EXPECT_EQ(IsAccel(static_cast<Word>(c.key), c.text), c.hit) << c.text;
}

TEST_F(LabelTest, AltLetterFocusesTheFocusControl) {
    auto* a = CreateComponent<TWinProbe>(form_);
    a->SetBounds(10, 100, 40, 20);
    a->SetParent(form_);
    auto* b = CreateComponent<TWinProbe>(form_);
    b->SetBounds(60, 100, 40, 20);
    b->SetParent(form_);
    a->SetFocus();
    Pump();
    label_->SetCaption("&Beta");
    label_->SetFocusControl(b);
    session_->PressKey('B', false, false, true);
    Pump();
    EXPECT_TRUE(b->Focused());
    // Another letter, or a disabled label, does nothing.
    a->SetFocus();
    Pump();
    session_->PressKey('X', false, false, true);
    Pump();
    EXPECT_TRUE(a->Focused());
    label_->SetEnabled(false);
    session_->PressKey('B', false, false, true);
    Pump();
    EXPECT_TRUE(a->Focused());
    // A freed focus control is forgotten.
    b->Free();
    EXPECT_EQ(label_->FocusControl(), nullptr);
}

} // namespace

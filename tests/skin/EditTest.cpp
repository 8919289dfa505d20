#include "SkinTestUtil.h"

#include "platform/user/Input.h"
#include "skin/SKEdit.h"

#include <climits>

namespace {

using headless::HeadlessBackend;
using headless::RecordedCall;

class EditTest : public skin_test::SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        spin_ = CreateComponent<TskSpinEdit>(form_);
        spin_->SetBounds(10, 10, 80, 24);
        spin_->SetParent(form_);
        ShowForm();
    }
    int Beeps() {
        int n = 0;
        for (const RecordedCall& c : session_->Calls())
            n += c.kind == RecordedCall::Kind::Beep;
        return n;
    }
    TskSpinEdit* spin_ = nullptr;
};

TEST_F(EditTest, FrameInTheStylesBorderColourAroundTheEditColour) {
    auto* edit = CreateComponent<TskEdit>(form_);
    edit->SetBounds(10, 50, 100, 22);
    edit->SetParent(form_);
    struct Case {
        TskUIStyle style;
        TColor border; // set afterwards when not clNone
    };
    const Case cases[] = {
        {WinXP, clNone}, {MacOS, clNone}, {Protein, clNone}, {DeepBlue, clBtnShadow}};
    for (const Case& c : cases) {
        edit->SetUIStyle(c.style);
        if (c.border != clNone) edit->SetBorderColor(c.border);
        Pump();
        const TColor want =
            c.border != clNone ? c.border : GetBuiltinThemeColor(c.style, tiControlBorderColor);
        EXPECT_EQ(edit->BorderColor(), want);
        const HWND h = edit->Handle();
        EXPECT_EQ(HeadlessBackend::WindowFramePixel(h, 0, 0), ColorToRGB(want)) << int(c.style);
        EXPECT_EQ(HeadlessBackend::WindowFramePixel(h, 99, 21), ColorToRGB(want)) << int(c.style);
        // The inner ring is the edit's colour, a system colour by default, converted too.
        EXPECT_EQ(HeadlessBackend::WindowFramePixel(h, 1, 10), ColorToRGB(clWindow))
            << int(c.style);
    }
}

TEST_F(EditTest, ValueIsTheTextClampedWhenWritten) {
    struct Case {
        int min, max;
        const char* text;
        int value;       // read back from the text as it is
        Int64 write;     // then written
        const char* out; // the text it gives
    };
    const Case cases[] = {
        {0, 0, "-70000", -70000, 123456789, "123456789"}, // equal bounds: no bounds
        {5, 500, "42", 42, 600, "500"},
        {5, 500, "abc", 5, -3, "5"},
        {5, 500, "", 5, 250, "250"},
        {500, 5, "7", 7, 900, "500"}, // bounds the wrong way round
        {0, 0, "99999999999", INT_MAX, Int64(INT_MAX) + 5, "2147483647"},
        {0, 0, "-99999999999", INT_MIN, Int64(INT_MIN) - 5, "-2147483648"},
        {0, 0, "12x", 0, 0, "0"},
    };
    for (const Case& c : cases) {
        spin_->SetMinValue(c.min);
        spin_->SetMaxValue(c.max);
        spin_->SetText(c.text);
        EXPECT_EQ(spin_->Value(), c.value) << c.text;
        spin_->SetValue(c.write);
        EXPECT_EQ(spin_->Text(), c.out) << c.write;
    }
}

TEST_F(EditTest, StepsSaturateAndStopAtTheBounds) {
    spin_->SetMinValue(5);
    spin_->SetMaxValue(500);
    spin_->SetIncrement(10);
    spin_->SetValue(495);
    spin_->StepUp();
    EXPECT_EQ(spin_->Text(), "500");
    spin_->SetMinValue(0);
    spin_->SetMaxValue(0);
    spin_->SetIncrement(INT_MAX);
    spin_->SetValue(INT_MAX - 1);
    spin_->StepUp();
    EXPECT_EQ(spin_->Value(), INT_MAX) << "no wrap-around";
    spin_->SetValue(INT_MIN + 1);
    spin_->StepDown();
    spin_->StepDown();
    EXPECT_EQ(spin_->Value(), INT_MIN);
    spin_->SetReadOnly(true);
    const int beeps = Beeps();
    spin_->StepUp();
    EXPECT_EQ(spin_->Value(), INT_MIN);
    EXPECT_EQ(Beeps(), beeps + 1);
}

TEST_F(EditTest, LeavingRewritesATextOutsideTheBounds) {
    auto* other = CreateComponent<TskEdit>(form_);
    other->SetBounds(10, 50, 80, 22);
    other->SetParent(form_);
    spin_->SetMinValue(5);
    spin_->SetMaxValue(500);
    spin_->SetFocus();
    spin_->SetText("3");
    other->SetFocus();
    Pump();
    EXPECT_EQ(spin_->Text(), "5");
    spin_->SetFocus();
    spin_->SetText("x");
    other->SetFocus();
    EXPECT_EQ(spin_->Text(), "x") << "reads as MinValue, which is inside the bounds";
}

TEST_F(EditTest, TypedCharactersAreFiltered) {
    struct Case {
        char key;
        bool editor;
        bool accepted;
    };
    const Case cases[] = {{'7', true, true},    {'-', true, true},   {'a', true, false},
                          {' ', true, false},   {'\b', true, true},  {'\r', true, false},
                          {'\3', true, true},   {'7', false, false}, {'-', false, false},
                          {'\b', false, false}, {'\3', false, true}, {'\x16', false, true}};
    for (const Case& c : cases) {
        spin_->SetEditorEnabled(c.editor);
        EXPECT_EQ(spin_->AcceptsKey(c.key), c.accepted) << int(c.key) << " editor " << c.editor;
    }
    spin_->SetEditorEnabled(true);
    spin_->SetFocus();
    spin_->SetText("");
    const int beeps = Beeps();
    session_->TypeText("1a2");
    Pump();
    EXPECT_EQ(spin_->Text(), "12");
    EXPECT_EQ(Beeps(), beeps + 1);
}

TEST_F(EditTest, PastedTextIsFilteredLikeTypedText) {
    auto* source = CreateComponent<TskEdit>(form_);
    source->SetParent(form_);
    source->SetBounds(10, 50, 80, 22);
    source->SetText("12a-3 4");
    source->SelectAll();
    source->CopyToClipboard();
    spin_->SetFocus();
    spin_->SetText("");
    const int beeps = Beeps();
    spin_->PasteFromClipboard();
    EXPECT_EQ(spin_->Text(), "12-34");
    EXPECT_EQ(Beeps(), beeps + 1);
    spin_->SetEditorEnabled(false);
    spin_->SetText("9");
    spin_->SelectAll();
    spin_->PasteFromClipboard();
    spin_->CutToClipboard();
    EXPECT_EQ(spin_->Text(), "9") << "no cutting or pasting without the editor";
}

TEST_F(EditTest, WithoutTheEditorNoKeyChangesTheText) {
    spin_->SetFocus();
    spin_->SetText("5");
    Key(VK_END);
    Type("7"); // typed while the editor is on: something to undo
    spin_->SetEditorEnabled(false);
    struct Case {
        const char* what;
        std::function<void()> keys;
    };
    const Case cases[] = {
        {"Ctrl+Z", [&] { Key('Z', false, true); }},
        {"Delete", [&] { Key(VK_HOME), Key(VK_DELETE); }},
        {"Delete on a selection", [&] { spin_->SelectAll(), Key(VK_DELETE); }},
    };
    for (const Case& c : cases) {
        c.keys();
        EXPECT_EQ(spin_->Text(), "57") << c.what;
    }
    // The arrows still step.
    Key(VK_UP);
    EXPECT_EQ(spin_->Text(), "58");
}

TEST_F(EditTest, ArrowKeysAndButtonsStep) {
    spin_->SetFocus();
    spin_->SetValue(10);
    session_->PressKey(VK_UP);
    session_->PressKey(VK_UP);
    session_->PressKey(VK_DOWN);
    Pump();
    EXPECT_EQ(spin_->Value(), 11);
    // Holding the up button: a step every 400 ms after the first 400 ms, one more on release.
    TskArrowButton* up = spin_->Buttons()->UpButton();
    TPoint p = up->ClientToScreen(Point(up->Width() / 2, up->Height() / 2));
    session_->MovePointer(p.x, p.y);
    session_->PressButton();
    Pump();
    Advance(399);
    EXPECT_EQ(spin_->Value(), 11);
    Advance(1);
    EXPECT_EQ(spin_->Value(), 12);
    Advance(800);
    EXPECT_EQ(spin_->Value(), 14);
    session_->ReleaseButton();
    Pump();
    EXPECT_EQ(spin_->Value(), 15);
    Advance(1000);
    EXPECT_EQ(spin_->Value(), 15);
}

TEST_F(EditTest, SpinButtonsSplitTheirHeightAndAreAtLeast15Wide) {
    TskSpinButtons* b = spin_->Buttons();
    struct Case {
        int w, h;
        int width, upHeight;
    };
    const Case cases[] = {{10, 20, 15, 11}, {20, 25, 20, 13}, {16, 7, 16, 4}};
    for (const Case& c : cases) {
        b->SetBounds(0, 0, c.w, c.h);
        EXPECT_EQ(b->Width(), c.width);
        EXPECT_EQ(b->UpButton()->BoundsRect().bottom, c.upHeight);
        EXPECT_EQ(b->DownButton()->Top(), c.upHeight - 1) << "the two overlap by a pixel";
        EXPECT_EQ(b->DownButton()->BoundsRect().bottom, c.h);
        EXPECT_EQ(b->UpButton()->Width(), c.width);
    }
    // The spin edit keeps them at its right edge and its text clear of them.
    spin_->SetBounds(10, 10, 120, 30);
    Pump();
    EXPECT_EQ(b->Left(), 120 - b->Width() - 4);
    EXPECT_EQ(b->Height(), 26);
    EXPECT_LE(spin_->TextRect().right, spin_->ClientWidth() - b->Width() - 2);
}

TEST_F(EditTest, StylePassesToTheArrows) {
    spin_->SetUIStyle(MacOS);
    EXPECT_EQ(spin_->Buttons()->UIStyle(), MacOS);
    EXPECT_EQ(spin_->Buttons()->DownButton()->UIStyle(), MacOS);
    EXPECT_TRUE(spin_->Buttons()->UpButton()->Transparent()) << "MacOS buttons are see-through";
}

} // namespace

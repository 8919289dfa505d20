// The screen cursor, dialog characters (accelerators) and anchors placed before the parent has
// a size.
#include "ControlTestUtil.h"

#include "platform/user/User.h"

#include <cctype>

namespace {

constexpr WORD kArrow = 32512, kIBeam = 32513, kHourGlass = 32514, kHand = 32649;

// A non-windowed control with an accelerator: the letter after '&' in its caption.
class TAccelProbe : public TProbe {
    KORVID_CLASS(TAccelProbe, TProbe)
    int accelerated = 0;

protected:
    void Dispatch(TMessage& m) override {
        if (m.Msg == CM_DIALOGCHAR) {
            const String& text = Caption();
            size_t at = text.find('&');
            if (at != String::npos && at + 1 < text.size() && m.WParam < 0x80 &&
                std::toupper(static_cast<int>(m.WParam)) ==
                    std::toupper(static_cast<unsigned char>(text[at + 1]))) {
                ++accelerated;
                m.Result = 1;
                return;
            }
        }
        inherited::Dispatch(m);
    }
};

// A focusable windowed control that may ask for characters and records what it is typed.
class TTypingProbe : public TWinProbe {
    KORVID_CLASS(TTypingProbe, TWinProbe)
    bool wantChars = false;
    std::vector<char> pressed;
    std::vector<WPARAM> chars; // what reached the default handling

protected:
    void KeyPress(char& Key) override {
        pressed.push_back(Key);
        inherited::KeyPress(Key);
    }
    void Dispatch(TMessage& m) override {
        if (m.Msg == WM_GETDLGCODE) {
            m.Result = wantChars ? DLGC_WANTCHARS : 0;
            return;
        }
        inherited::Dispatch(m);
    }
    void DefaultHandler(TMessage& m) override {
        if (m.Msg == WM_CHAR) chars.push_back(m.WParam);
        inherited::DefaultHandler(m);
    }
};

class CoreInputTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        // A panel with a nested accelerator control, beside a focusable control.
        panel_ = CreateComponent<TWinProbe>(form_);
        panel_->SetBounds(100, 50, 150, 100);
        panel_->SetParent(form_);
        panel_->SetTabStop(false);
        panel_->SetCursor(crIBeam);
        accel_ = CreateComponent<TAccelProbe>(form_);
        accel_->SetBounds(10, 10, 40, 40);
        accel_->SetCaption("&Save");
        accel_->SetCursor(crHandPoint);
        accel_->SetParent(panel_);
        edit_ = CreateComponent<TTypingProbe>(form_);
        edit_->SetBounds(0, 0, 50, 20);
        edit_->SetParent(form_);
        ShowForm();
        ASSERT_TRUE(edit_->Focused());
    }
    void MoveTo(int x, int y) {
        session_->MovePointer(100 + x, 100 + y);
        Pump();
    }
    TWinProbe* panel_ = nullptr;
    TAccelProbe* accel_ = nullptr;
    TTypingProbe* edit_ = nullptr;
};

TEST_F(CoreInputTest, ScreenCursorOverridesEveryControlUntilDefault) {
    MoveTo(120, 70); // on the nested control
    EXPECT_EQ(session_->CursorShape(), kHand);
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(session_->CursorShape(), kHourGlass) << "at once, without a move";
    struct Spot {
        int x, y;
        WORD own;
    };
    const Spot spots[] = {
        {120, 70, kHand}, {200, 120, kIBeam}, {10, 10, kArrow}, {280, 180, kArrow}};
    for (const Spot& s : spots) {
        MoveTo(s.x, s.y);
        EXPECT_EQ(session_->CursorShape(), kHourGlass) << s.x << "," << s.y;
    }
    // A control's cursor changed meanwhile does not show through.
    accel_->SetCursor(crCross);
    MoveTo(120, 70);
    EXPECT_EQ(session_->CursorShape(), kHourGlass);
    accel_->SetCursor(crHandPoint);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(session_->CursorShape(), kHand) << "the control under the pointer has its own back";
    for (const Spot& s : spots) {
        MoveTo(s.x, s.y);
        EXPECT_EQ(session_->CursorShape(), s.own) << s.x << "," << s.y;
    }
}

TEST_F(CoreInputTest, AltLetterReachesNestedAcceleratorAndIsNotTyped) {
    session_->PressKey('S', false, false, true);
    Pump();
    EXPECT_EQ(accel_->accelerated, 1);
    EXPECT_TRUE(edit_->pressed.empty());
    EXPECT_TRUE(edit_->chars.empty());
    // No control has Alt+X: nothing is accelerated and nothing typed either.
    session_->PressKey('X', false, false, true);
    Pump();
    EXPECT_EQ(accel_->accelerated, 1);
    EXPECT_TRUE(edit_->chars.empty());
}

TEST_F(CoreInputTest, PlainLetterAcceleratesOnlyWhenTheFocusedControlTakesNoCharacters) {
    struct Case {
        bool wantChars;
        int accelerated;
        std::vector<WPARAM> typed;
    };
    const Case cases[] = {
        {false, 1, {}},   // a button-like control: the letter is an accelerator
        {true, 0, {'s'}}, // an edit-like control: the letter is typed
    };
    for (const Case& c : cases) {
        accel_->accelerated = 0;
        edit_->chars.clear();
        edit_->pressed.clear();
        edit_->wantChars = c.wantChars;
        session_->PressKey('S');
        Pump();
        EXPECT_EQ(edit_->pressed, std::vector<char>{'s'}) << "KeyPress comes first";
        EXPECT_EQ(accel_->accelerated, c.accelerated) << c.wantChars;
        EXPECT_EQ(edit_->chars, c.typed) << c.wantChars;
    }
    // A KeyPress handler that eats the letter leaves nothing to accelerate.
    edit_->wantChars = false;
    accel_->accelerated = 0;
    edit_->OnKeyPress = [](TObject*, char& key) { key = 0; };
    session_->PressKey('S');
    Pump();
    EXPECT_EQ(accel_->accelerated, 0);
}

TEST_F(CoreInputTest, CharactersBeyondAsciiKeepTheirCodePoint) {
    edit_->wantChars = true;
    session_->TypeText("a\xC3\xA9\xE2\x82\xAC"); // a, e acute, euro sign
    Pump();
    EXPECT_EQ(edit_->chars, (std::vector<WPARAM>{'a', 0xE9, 0x20AC}));
    EXPECT_EQ(edit_->pressed, (std::vector<char>{'a', kNonAsciiKeyPress, kNonAsciiKeyPress}));
    // A handler may still eat or replace such a character.
    edit_->chars.clear();
    edit_->OnKeyPress = [](TObject*, char& key) { key = key == kNonAsciiKeyPress ? '?' : key; };
    session_->TypeText("\xC3\xA9");
    Pump();
    EXPECT_EQ(edit_->chars, std::vector<WPARAM>{'?'});
}

class ControlAnchors : public ControlFixture {};

// Anchored children placed in a parent that has no size yet keep the places they were given
// once the parent gets its size, then follow its edges.
TEST_F(ControlAnchors, AnchorsDoNotDriftWhenPlacedBeforeTheParentIsSized) {
    struct Case {
        bool windowed;
        bool anchorsFirst;
    };
    const Case cases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
    ShowForm(); // the windowed children get windows at once
    for (const Case& c : cases) {
        TWinProbe* panel = CreateComponent<TWinProbe>(form_);
        panel->SetParent(form_); // 0 x 0 so far
        auto place = [&](TControl* child, TRect r, TAnchors a) {
            child->SetParent(panel);
            if (c.anchorsFirst) child->SetAnchors(a);
            child->SetBoundsRect(r);
            if (!c.anchorsFirst) child->SetAnchors(a);
        };
        TControl* corner = c.windowed ? static_cast<TControl*>(CreateComponent<TWinProbe>(form_))
                                      : CreateComponent<TProbe>(form_);
        TControl* stretch = c.windowed ? static_cast<TControl*>(CreateComponent<TWinProbe>(form_))
                                       : CreateComponent<TProbe>(form_);
        place(corner, Rect(250, 150, 280, 170), TAnchors{akRight, akBottom});
        place(stretch, Rect(10, 10, 290, 30), TAnchors{akLeft, akTop, akRight});
        panel->SetBounds(0, 0, 300, 200);
        EXPECT_EQ(corner->BoundsRect(), Rect(250, 150, 280, 170)) << c.windowed << c.anchorsFirst;
        EXPECT_EQ(stretch->BoundsRect(), Rect(10, 10, 290, 30)) << c.windowed << c.anchorsFirst;
        panel->SetBounds(0, 0, 400, 250);
        EXPECT_EQ(corner->BoundsRect(), Rect(350, 200, 380, 220)) << c.windowed << c.anchorsFirst;
        EXPECT_EQ(stretch->BoundsRect(), Rect(10, 10, 390, 30)) << c.windowed << c.anchorsFirst;
        // Squeezed to nothing and back, nothing has crept.
        panel->SetBounds(0, 0, 5, 5);
        panel->SetBounds(0, 0, 300, 200);
        EXPECT_EQ(corner->BoundsRect(), Rect(250, 150, 280, 170)) << c.windowed << c.anchorsFirst;
        EXPECT_EQ(stretch->BoundsRect(), Rect(10, 10, 290, 30)) << c.windowed << c.anchorsFirst;
        panel->Free();
    }
}

} // namespace

#include "ControlTestUtil.h"

#include "platform/user/User.h"

namespace {

class ControlInputTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        probe_ = CreateComponent<TProbe>(form_);
        probe_->SetBounds(10, 10, 50, 40);
        probe_->SetParent(form_);
        ShowForm();
    }
    // Screen point of a form client point (the form is borderless at (100, 100)).
    static int X(int x) { return 100 + x; }
    static int Y(int y) { return 100 + y; }
    TProbe* probe_ = nullptr;
};

TEST_F(ControlInputTest, ClickNeedsPressAndReleaseInside) {
    struct Case {
        int pressX, pressY, releaseX, releaseY, clicks;
    };
    const Case cases[] = {
        {20, 20, 30, 30, 1},   // both inside
        {20, 20, 200, 150, 0}, // released outside: no click
        {200, 150, 20, 20, 0}, // pressed outside, released inside
    };
    for (const Case& c : cases) {
        probe_->clicks = 0;
        session_->MovePointer(X(c.pressX), Y(c.pressY));
        session_->PressButton();
        Pump();
        session_->MovePointer(X(c.releaseX), Y(c.releaseY));
        session_->ReleaseButton();
        Pump();
        EXPECT_EQ(probe_->clicks, c.clicks) << c.pressX << "," << c.releaseX;
    }
}

TEST_F(ControlInputTest, PressCapturesMovesOutside) {
    session_->MovePointer(X(20), Y(20));
    session_->PressButton();
    Pump();
    int moves = probe_->moves;
    session_->MovePointer(X(250), Y(150));
    Pump();
    EXPECT_GT(probe_->moves, moves);
    EXPECT_EQ(probe_->lastMove, Point(250 - 10, 150 - 10));
    session_->ReleaseButton();
    Pump();
    EXPECT_EQ(probe_->ups, 1);
    EXPECT_EQ(GetCapture(), HWND(0));
    // Without the press, moves outside go to the form, not the probe.
    moves = probe_->moves;
    session_->MovePointer(X(260), Y(160));
    Pump();
    EXPECT_EQ(probe_->moves, moves);
}

TEST_F(ControlInputTest, EnterAndLeaveAlsoDuringCapture) {
    TProbe* other = CreateComponent<TProbe>(form_);
    other->SetBounds(100, 10, 50, 40);
    other->SetParent(form_);
    session_->MovePointer(X(20), Y(20));
    Pump();
    EXPECT_EQ(probe_->enters, 1);
    session_->PressButton();
    Pump();
    session_->MovePointer(X(110), Y(20)); // onto the other probe while the first holds capture
    Pump();
    EXPECT_EQ(probe_->leaves, 1);
    EXPECT_EQ(other->enters, 1);
    session_->ReleaseButton();
    Pump();
}

TEST_F(ControlInputTest, DisabledAncestorBlocksInput) {
    TWinProbe* box = CreateComponent<TWinProbe>(form_);
    box->SetBounds(100, 50, 150, 100);
    box->SetParent(form_);
    TProbe* inner = CreateComponent<TProbe>(form_);
    inner->SetBounds(10, 10, 40, 40);
    inner->SetParent(box);
    Pump();
    box->SetEnabled(false);
    session_->Click(X(100 + 20), Y(50 + 20));
    Pump();
    EXPECT_EQ(inner->downs, 0);
    EXPECT_EQ(inner->clicks, 0);
    box->SetEnabled(true);
    session_->Click(X(100 + 20), Y(50 + 20));
    Pump();
    EXPECT_EQ(inner->clicks, 1);
}

TEST_F(ControlInputTest, WindowProcHookSeesAndChains) {
    std::vector<UINT> seen;
    TWndMethod saved = probe_->WindowProc;
    probe_->WindowProc = [&](TMessage& m) {
        seen.push_back(m.Msg);
        if (m.Msg == WM_LBUTTONUP) return; // swallowed: no click, no mouse-up
        saved(m);
    };
    session_->Click(X(20), Y(20));
    Pump();
    EXPECT_NE(std::find(seen.begin(), seen.end(), UINT(WM_LBUTTONDOWN)), seen.end());
    EXPECT_EQ(probe_->downs, 1);
    EXPECT_EQ(probe_->ups, 0);
    EXPECT_EQ(probe_->clicks, 0);
    probe_->WindowProc = saved;
    session_->Click(X(20), Y(20));
    Pump();
    EXPECT_EQ(probe_->clicks, 1);
}

TEST_F(ControlInputTest, RepaintPaintsAtOnceInvalidateLater) {
    Pump();
    int paints = probe_->paints;
    probe_->Invalidate();
    EXPECT_EQ(probe_->paints, paints);
    Pump();
    EXPECT_EQ(probe_->paints, paints + 1);
    probe_->fill = clLime;
    probe_->Repaint();
    EXPECT_EQ(probe_->paints, paints + 2);
    EXPECT_EQ(headless::HeadlessBackend::WindowPixel(form_->Handle(), 20, 20), COLORREF(clLime));
}

TEST_F(ControlInputTest, ExceptionFromHandlerIsShownAndSurvived) {
    probe_->OnClick = [](TObject*) { throw EInvalidOperation("Broken handler"); };
    session_->Click(X(20), Y(20));
    Pump();
    ASSERT_EQ(session_->Calls().size(), 1u);
    EXPECT_EQ(session_->Calls()[0].text, "Broken handler");
    EXPECT_EQ(session_->Calls()[0].caption, "Test");
    int clicks = 0;
    probe_->OnClick = [&](TObject*) { ++clicks; };
    session_->Click(X(20), Y(20));
    Pump();
    EXPECT_EQ(clicks, 1);
}

class ControlLayout : public ControlFixture {};
class ControlFocusAndKeys : public ControlFixture {};

TEST_F(ControlLayout, AlignFillsEdgesInOrder) {
    TWinProbe* top = CreateComponent<TWinProbe>(form_);
    top->SetHeight(30);
    top->SetAlign(alTop);
    top->SetParent(form_);
    TProbe* bottom = CreateComponent<TProbe>(form_);
    bottom->SetHeight(20);
    bottom->SetAlign(alBottom);
    bottom->SetParent(form_);
    TProbe* left = CreateComponent<TProbe>(form_);
    left->SetWidth(40);
    left->SetAlign(alLeft);
    left->SetParent(form_);
    TWinProbe* client = CreateComponent<TWinProbe>(form_);
    client->SetAlign(alClient);
    client->SetParent(form_);
    ShowForm();
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 300, 30));
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, 180, 300, 200));
    EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 40, 180));
    EXPECT_EQ(client->BoundsRect(), Rect(40, 30, 300, 180));
    form_->SetBounds(100, 100, 400, 300);
    EXPECT_EQ(client->BoundsRect(), Rect(40, 30, 400, 280));
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, 280, 400, 300));
}

TEST_F(ControlLayout, AnchorsKeepDistances) {
    TProbe* p = CreateComponent<TProbe>(form_);
    p->SetParent(form_);
    p->SetBounds(250, 150, 30, 20); // 20 from the right, 30 from the bottom
    p->SetAnchors(TAnchors{akRight, akBottom});
    TProbe* s = CreateComponent<TProbe>(form_);
    s->SetParent(form_);
    s->SetBounds(10, 10, 280, 20);
    s->SetAnchors(TAnchors{akLeft, akTop, akRight});
    form_->SetBounds(100, 100, 400, 250);
    EXPECT_EQ(p->BoundsRect(), Rect(350, 200, 380, 220));
    EXPECT_EQ(s->BoundsRect(), Rect(10, 10, 390, 30));
}

TEST_F(ControlLayout, ResizeHandlerMayResizeAgain) {
    TWinProbe* c = CreateComponent<TWinProbe>(form_);
    c->SetParent(form_);
    ShowForm();
    std::vector<int> seen;
    c->OnResize = [&](TObject*) {
        seen.push_back(c->Width());
        if (c->Width() > 100) c->SetWidth(100); // a limit kept by the handler
    };
    c->SetBounds(0, 0, 150, 50);
    EXPECT_EQ(c->Width(), 100);
    RECT r;
    GetWindowRect(c->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(seen, (std::vector<int>{150, 100}));
}

TEST_F(ControlFocusAndKeys, TabMovesFocusInTabOrderAndSkipsDisabled) {
    TWinProbe* a = CreateComponent<TWinProbe>(form_);
    a->SetBounds(0, 0, 50, 20);
    a->SetParent(form_);
    TWinProbe* b = CreateComponent<TWinProbe>(form_);
    b->SetBounds(0, 30, 50, 20);
    b->SetParent(form_);
    TWinProbe* c = CreateComponent<TWinProbe>(form_);
    c->SetBounds(0, 60, 50, 20);
    c->SetParent(form_);
    std::vector<String> log;
    for (TWinProbe* p : {a, b, c}) {
        p->OnEnter = [&log, p](TObject*) {
            log.push_back("enter" + std::to_string(p->TabOrder()));
        };
        p->OnExit = [&log, p](TObject*) { log.push_back("exit" + std::to_string(p->TabOrder())); };
    }
    ShowForm();
    EXPECT_TRUE(a->Focused());
    b->SetEnabled(false);
    session_->PressKey(VK_TAB);
    Pump();
    EXPECT_TRUE(c->Focused());
    session_->PressKey(VK_TAB, true);
    Pump();
    EXPECT_TRUE(a->Focused());
    EXPECT_EQ(form_->ActiveControl(), a);
    EXPECT_EQ(log, (std::vector<String>{"enter0", "exit0", "enter2", "exit2", "enter0"}));
    // Disabling the focused control sends the focus on.
    a->SetEnabled(false);
    EXPECT_TRUE(c->Focused());
}

TEST_F(ControlFocusAndKeys, KeyDownCanChangeOrEatTheKey) {
    TWinProbe* a = CreateComponent<TWinProbe>(form_);
    a->SetBounds(0, 0, 50, 20);
    a->SetParent(form_);
    TWinProbe* b = CreateComponent<TWinProbe>(form_);
    b->SetBounds(0, 30, 50, 20);
    b->SetParent(form_);
    ShowForm();
    ASSERT_TRUE(a->Focused());
    a->OnKeyDown = [](TObject*, Word& key, TShiftState) {
        if (key == VK_TAB) key = 0;
    };
    session_->PressKey(VK_TAB);
    Pump();
    EXPECT_TRUE(a->Focused());
    // With key preview the form sees the key first and can stop it.
    std::vector<Word> formKeys;
    form_->SetKeyPreview(true);
    form_->OnKeyDown = [&](TObject*, Word& key, TShiftState) { formKeys.push_back(key); };
    a->OnKeyDown = nullptr;
    session_->PressKey(VK_TAB);
    Pump();
    EXPECT_EQ(formKeys, (std::vector<Word>{VK_TAB}));
    EXPECT_TRUE(b->Focused());
}

TEST_F(ControlFocusAndKeys, StateChangesSendTheirMessages) {
    TProbe* p = CreateComponent<TProbe>(form_);
    p->SetParent(form_);
    std::vector<UINT> seen;
    TWndMethod saved = p->WindowProc;
    p->WindowProc = [&](TMessage& m) {
        if (m.Msg >= CM_BASE) seen.push_back(m.Msg);
        saved(m);
    };
    p->SetVisible(false);
    p->SetEnabled(false);
    p->SetColor(clGreen);
    p->SetCaption("x");
    p->SetCursor(crHandPoint);
    p->Font()->SetSize(12);
    EXPECT_EQ(seen, (std::vector<UINT>{CM_VISIBLECHANGED, CM_ENABLEDCHANGED, CM_COLORCHANGED,
                                       CM_TEXTCHANGED, CM_CURSORCHANGED, CM_FONTCHANGED}));
    EXPECT_FALSE(p->ParentFont());
    // A parent's font reaches children that follow it, and only those.
    TProbe* follower = CreateComponent<TProbe>(form_);
    follower->SetParent(form_);
    form_->Font()->SetName("DejaVu Sans");
    EXPECT_EQ(follower->Font()->Name(), "DejaVu Sans");
    EXPECT_TRUE(follower->ParentFont());
    EXPECT_NE(p->Font()->Name(), "DejaVu Sans");
    p->WindowProc = saved;
}

} // namespace

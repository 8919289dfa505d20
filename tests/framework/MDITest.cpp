#include "ControlTestUtil.h"

#include "framework/MDIClient.h"
#include "framework/Panel.h"
#include "platform/user/User.h"

#include <string>
#include <vector>

namespace {

// An 800 x 600 borderless MDI parent (its client area is the whole window) with children
// shown at (10, 10), 200 x 150.
class MDIFixture : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        form_->SetFormStyle(fsMDIForm);
        form_->SetBounds(0, 0, 800, 600);
        ShowForm();
    }
    TForm* AddChild(TFormBorderStyle border = bsNone) {
        TForm* child = nullptr;
        app_->CreateForm(child);
        child->SetFormStyle(fsMDIChild);
        child->SetBorderStyle(border);
        child->SetBounds(10, 10, 200, 150);
        child->Show();
        Pump();
        return child;
    }
    std::vector<TCustomForm*> Children() const {
        std::vector<TCustomForm*> out;
        for (int i = 0; i < form_->MDIChildCount(); ++i)
            out.push_back(form_->MDIChildren(i));
        return out;
    }
    // Where a window's client area starts on the screen.
    static POINT ClientOriginOf(HWND h) {
        POINT p{0, 0};
        ClientToScreen(h, &p);
        return p;
    }
};

TEST_F(MDIFixture, ChildrenLiveInTheClientBelowTheAlignedControls) {
    auto* top = CreateComponent<TPanel>(form_);
    top->SetParent(form_);
    top->SetHeight(30);
    top->SetAlign(alTop);
    const HWND client = form_->ClientHandle();
    ASSERT_NE(client, HWND(0));
    RECT r;
    GetWindowRect(client, &r);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.bottom - r.top, 570);
    EXPECT_EQ(r.right - r.left, 800);

    TForm* child = AddChild();
    EXPECT_EQ(GetParent(child->Handle()), client);
    EXPECT_EQ(form_->MDIChildCount(), 1);
    // Bounds of a child are the client's coordinates.
    EXPECT_EQ(child->BoundsRect(), Rect(10, 10, 210, 160));
    GetWindowRect(child->Handle(), &r);
    EXPECT_EQ(r.top, 30 + 10);

    // A form of another style has no client and no children.
    TForm* plain = nullptr;
    app_->CreateForm(plain);
    plain->Show();
    EXPECT_EQ(plain->ClientHandle(), HWND(0));
    EXPECT_EQ(plain->MDIChildCount(), 0);
    EXPECT_EQ(plain->ActiveMDIChild(), nullptr);
    EXPECT_THROW(plain->MDIChildren(0), EListError);
}

TEST_F(MDIFixture, AChildNeedsAnMDIParent) {
    form_->SetFormStyle(fsNormal);
    TForm* child = nullptr;
    app_->CreateForm(child);
    child->SetFormStyle(fsMDIChild);
    EXPECT_THROW(child->HandleNeeded(), EInvalidOperation);
    EXPECT_FALSE(child->HandleAllocated());
}

TEST_F(MDIFixture, TheShownChildComesToTheFrontAndIsTheActiveOne) {
    TForm* a = AddChild();
    TForm* b = AddChild();
    std::vector<std::string> events;
    for (auto [form, name] : {std::pair{a, "a"}, std::pair{b, "b"}}) {
        form->OnActivate = [&events, n = name](TObject*) {
            events.push_back(std::string("+") + n);
        };
        form->OnDeactivate = [&events, n = name](TObject*) {
            events.push_back(std::string("-") + n);
        };
    }
    EXPECT_EQ(form_->ActiveMDIChild(), b);
    EXPECT_TRUE(b->Active());
    EXPECT_FALSE(a->Active());
    EXPECT_EQ(Children(), (std::vector<TCustomForm*>{b, a}));

    // Focusing a control in the child behind brings that child to the front.
    auto* edit = CreateComponent<TWinProbe>(a);
    edit->SetParent(a);
    edit->SetBounds(5, 5, 50, 20);
    edit->SetFocus();
    EXPECT_EQ(form_->ActiveMDIChild(), a);
    EXPECT_EQ(Children(), (std::vector<TCustomForm*>{a, b}));
    EXPECT_EQ(events, (std::vector<std::string>{"-b", "+a"}));
    EXPECT_EQ(GetFocus(), edit->Handle());

    // Showing a shown child again brings it back.
    b->Show();
    EXPECT_EQ(form_->ActiveMDIChild(), b);
    EXPECT_FALSE(a->Active());
    // The handlers record into this test's own list: they go before the forms do.
    for (TForm* f : {a, b}) {
        f->OnActivate = nullptr;
        f->OnDeactivate = nullptr;
    }
}

TEST_F(MDIFixture, NextAndPreviousCycleThroughTheChildren) {
    TForm* a = AddChild();
    TForm* b = AddChild();
    TForm* c = AddChild();
    ASSERT_EQ(Children(), (std::vector<TCustomForm*>{c, b, a}));
    form_->Next();
    EXPECT_EQ(form_->ActiveMDIChild(), b);
    EXPECT_EQ(Children(), (std::vector<TCustomForm*>{b, a, c}));
    form_->Next();
    EXPECT_EQ(Children(), (std::vector<TCustomForm*>{a, c, b}));
    form_->Previous();
    EXPECT_EQ(form_->ActiveMDIChild(), b);
    EXPECT_EQ(Children(), (std::vector<TCustomForm*>{b, a, c}));
}

TEST_F(MDIFixture, MaximiseFillsTheClientAndRestoreGivesTheBoundsBack) {
    TForm* a = AddChild(bsSizeable);
    TForm* b = AddChild(bsSizeable);
    const HWND client = form_->ClientHandle();
    RECT area;
    GetClientRect(client, &area);

    b->SetWindowState(wsMaximized);
    EXPECT_EQ(b->WindowState(), wsMaximized);
    // The child's own client area covers the client; its frame lies outside.
    EXPECT_EQ(ClientOriginOf(b->Handle()).x, ClientOriginOf(client).x);
    EXPECT_EQ(ClientOriginOf(b->Handle()).y, ClientOriginOf(client).y);
    EXPECT_EQ(b->ClientWidth(), area.right);
    EXPECT_EQ(b->ClientHeight(), area.bottom);
    BOOL maximized = FALSE;
    EXPECT_EQ(SendMessage(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)),
              static_cast<LRESULT>(b->Handle()));
    EXPECT_TRUE(maximized);

    // The child brought to the front takes the maximised state over.
    a->Show();
    EXPECT_EQ(a->WindowState(), wsMaximized);
    EXPECT_EQ(b->WindowState(), wsNormal);
    EXPECT_EQ(b->BoundsRect(), Rect(10, 10, 210, 160));

    a->SetWindowState(wsNormal);
    EXPECT_EQ(a->WindowState(), wsNormal);
    EXPECT_EQ(a->BoundsRect(), Rect(10, 10, 210, 160));
}

TEST_F(MDIFixture, MinimisedChildrenLineUpAtTheBottomAndHandTheFrontOn) {
    TForm* a = AddChild();
    TForm* b = AddChild();
    TForm* c = AddChild();
    c->SetWindowState(wsMinimized);
    EXPECT_EQ(c->WindowState(), wsMinimized);
    EXPECT_EQ(c->BoundsRect(), Rect(0, 600 - kMDIIconHeight, kMDIIconWidth, 600));
    EXPECT_EQ(form_->ActiveMDIChild(), b);
    a->SetWindowState(wsMinimized);
    EXPECT_EQ(a->BoundsRect(), Rect(kMDIIconWidth, 600 - kMDIIconHeight, 2 * kMDIIconWidth, 600));
    c->SetWindowState(wsNormal);
    EXPECT_EQ(c->BoundsRect(), Rect(10, 10, 210, 160));
    // The strip closes up.
    EXPECT_EQ(a->BoundsRect(), Rect(0, 600 - kMDIIconHeight, kMDIIconWidth, 600));
    // A child shown minimised goes straight into the strip.
    TForm* d = nullptr;
    app_->CreateForm(d);
    d->SetFormStyle(fsMDIChild);
    d->SetBorderStyle(bsNone);
    d->SetWindowState(wsMinimized);
    d->Show();
    EXPECT_EQ(d->WindowState(), wsMinimized);
    EXPECT_EQ(d->Top(), 600 - kMDIIconHeight);
}

TEST_F(MDIFixture, TileAndCascadeGeometry) {
    TForm* a = AddChild();
    TForm* b = AddChild();
    TForm* c = AddChild(); // in front
    struct Case {
        const char* what;
        std::function<void()> arrange;
        TRect front, middle, back;
    };
    const Case cases[] = {
        {"horizontal",
         [&] {
             form_->SetTileMode(tbHorizontal);
             form_->Tile();
         },
         Rect(0, 0, 800, 200), Rect(0, 200, 800, 400), Rect(0, 400, 800, 600)},
        {"vertical",
         [&] {
             form_->SetTileMode(tbVertical);
             form_->Tile();
         },
         Rect(0, 0, 266, 600), Rect(266, 0, 533, 600), Rect(533, 0, 800, 600)},
        // 3/4 of the client each; the back one at the corner, each next one a step further.
        {"cascade", [&] { form_->Cascade(); }, Rect(48, 48, 648, 498), Rect(24, 24, 624, 474),
         Rect(0, 0, 600, 450)},
    };
    for (const Case& k : cases) {
        // Arranging starts from a maximised front child, which is restored first.
        c->SetWindowState(wsMaximized);
        k.arrange();
        EXPECT_EQ(c->WindowState(), wsNormal) << k.what;
        EXPECT_EQ(c->BoundsRect(), k.front) << k.what;
        EXPECT_EQ(b->BoundsRect(), k.middle) << k.what;
        EXPECT_EQ(a->BoundsRect(), k.back) << k.what;
        EXPECT_EQ(form_->ActiveMDIChild(), c) << k.what;
    }
}

TEST_F(MDIFixture, TilingLeavesTheMinimisedStripFree) {
    TForm* a = AddChild();
    TForm* b = AddChild();
    TForm* c = AddChild();
    a->SetWindowState(wsMinimized);
    form_->SetTileMode(tbHorizontal);
    form_->Tile();
    EXPECT_EQ(c->BoundsRect(), Rect(0, 0, 800, 288));
    EXPECT_EQ(b->BoundsRect(), Rect(0, 288, 800, 576));
    EXPECT_EQ(a->BoundsRect(), Rect(0, 576, kMDIIconWidth, 600));
}

TEST_F(MDIFixture, AHiddenChildHandsTheFrontToTheNext) {
    TForm* a = AddChild();
    TForm* b = AddChild();
    b->SetWindowState(wsMaximized);
    b->Hide();
    EXPECT_EQ(form_->ActiveMDIChild(), a);
    EXPECT_EQ(a->WindowState(), wsMaximized);
    EXPECT_EQ(MDIChildWindowState(b->Handle()), wsNormal);
    EXPECT_EQ(b->BoundsRect(), Rect(10, 10, 210, 160));
    a->Hide();
    EXPECT_EQ(form_->ActiveMDIChild(), nullptr);
    // Shown again, it comes back in the state it was given.
    b->Show();
    EXPECT_EQ(form_->ActiveMDIChild(), b);
    EXPECT_EQ(b->WindowState(), wsMaximized);
}

TEST_F(MDIFixture, FreeingTheActiveChildHandsTheFrontToTheNext) {
    TForm* a = AddChild();
    TForm* b = AddChild();
    b->SetWindowState(wsMaximized);
    b->Free();
    EXPECT_EQ(form_->MDIChildCount(), 1);
    EXPECT_EQ(form_->ActiveMDIChild(), a);
    EXPECT_TRUE(a->Active());
    a->Free();
    EXPECT_EQ(form_->MDIChildCount(), 0);
    EXPECT_EQ(form_->ActiveMDIChild(), nullptr);
}

TEST_F(MDIFixture, FreeingTheParentFirstTakesTheChildrensWindowsAlong) {
    TForm* a = AddChild();
    TForm* b = AddChild();
    b->SetWindowState(wsMaximized);
    const HWND client = form_->ClientHandle();
    form_->Free();
    form_ = nullptr;
    EXPECT_FALSE(IsWindow(client));
    EXPECT_FALSE(a->HandleAllocated());
    EXPECT_FALSE(b->HandleAllocated());
    // Without an MDI parent a child cannot get a window again.
    EXPECT_THROW(b->HandleNeeded(), EInvalidOperation);
}

// A procedure put in front of the client sees the MDI messages and passes them on.
WNDPROC g_savedClientProc = nullptr;
// A user's drag from one screen point to another with the left button held; Esc before the
// release when cancel is set.
class MDIDrag : public MDIFixture {
protected:
    void Drag(POINT from, int dx, int dy, bool cancel = false) {
        session_->MovePointer(from.x, from.y);
        session_->PressButton();
        session_->MovePointer(from.x + dx / 2, from.y + dy / 2);
        session_->MovePointer(from.x + dx, from.y + dy);
        if (cancel) session_->PressKey(VK_ESCAPE);
        session_->ReleaseButton();
        Pump();
    }
    // Points of a child's window on the screen: its caption strip and its lower-right corner.
    static POINT CaptionPoint(TForm* child) {
        RECT r;
        GetWindowRect(child->Handle(), &r);
        return POINT{(r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYFRAME) + 4};
    }
    static POINT CornerPoint(TForm* child, bool lowerRight = true) {
        RECT r;
        GetWindowRect(child->Handle(), &r);
        return lowerRight ? POINT{r.right - 1, r.bottom - 1} : POINT{r.left, r.top};
    }
};

TEST_F(MDIDrag, TheUserMovesAndSizesAChildInsideTheClient) {
    enum Grip { caption, lowerRight, upperLeft };
    struct Case {
        const char* what;
        Grip grip;
        int dx, dy;
        bool cancel;
        TRect expected; // client coordinates; the child starts at (10, 10), 200 x 150
    };
    // The client is 800 x 600; the child may not be smaller than 120 x 100.
    const Case cases[] = {
        {"moved by its caption", caption, 50, 30, false, Rect(60, 40, 260, 190)},
        {"moved against the top left", caption, -300, -300, false, Rect(0, 0, 200, 150)},
        {"moved against the bottom right", caption, 2000, 2000, false, Rect(600, 450, 800, 600)},
        {"move cancelled by Esc", caption, 50, 30, true, Rect(10, 10, 210, 160)},
        {"sized by its corner", lowerRight, 40, 20, false, Rect(10, 10, 250, 180)},
        {"sized below its minimum", lowerRight, -500, -500, false, Rect(10, 10, 130, 110)},
        {"sized past the client", lowerRight, 2000, 2000, false, Rect(10, 10, 800, 600)},
        {"sized by the other corner", upperLeft, -4, -6, false, Rect(6, 4, 210, 160)},
        {"that one past the client", upperLeft, -50, -50, false, Rect(0, 0, 210, 160)},
        {"and below the minimum", upperLeft, 500, 500, false, Rect(90, 60, 210, 160)},
    };
    for (const Case& c : cases) {
        TForm* child = AddChild(bsSizeable);
        child->Constraints()->SetMinWidth(120);
        child->Constraints()->SetMinHeight(100);
        TForm* other = AddChild(bsSizeable);
        ASSERT_EQ(form_->ActiveMDIChild(), other);
        // The press brings the child from behind to the front; other has moved off it.
        other->SetBounds(400, 300, 200, 150);
        Drag(c.grip == caption ? CaptionPoint(child) : CornerPoint(child, c.grip == lowerRight),
             c.dx, c.dy, c.cancel);
        EXPECT_EQ(form_->ActiveMDIChild(), child) << c.what;
        EXPECT_EQ(child->BoundsRect(), c.expected) << c.what;
        EXPECT_EQ(GetCapture(), HWND(0)) << c.what;
        // The pointer goes back to the program once the button is up.
        session_->MovePointer(700, 20);
        Pump();
        EXPECT_EQ(child->BoundsRect(), c.expected) << c.what;
        other->Free();
        child->Free();
    }
}

TEST_F(MDIDrag, ADoubleClickOnTheCaptionMaximisesAndAMaximisedChildStaysPut) {
    TForm* child = AddChild(bsSizeable);
    const POINT caption = CaptionPoint(child);
    session_->DoubleClick(caption.x, caption.y);
    Pump();
    EXPECT_EQ(child->WindowState(), wsMaximized);
    // Its frame lies outside the client now: a press where the caption was lands inside it.
    Drag(caption, 50, 30);
    EXPECT_EQ(child->WindowState(), wsMaximized);
    child->SetWindowState(wsNormal);
    EXPECT_EQ(child->BoundsRect(), Rect(10, 10, 210, 160));
    // Without a maximise box the double click does nothing.
    child->SetBorderIcons(TBorderIcons{biSystemMenu});
    session_->DoubleClick(caption.x, caption.y);
    Pump();
    EXPECT_EQ(child->WindowState(), wsNormal);
}

std::vector<UINT> g_seen;
LRESULT RecordingClientProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg >= WM_MDICREATE && msg <= WM_MDIREFRESHMENU) g_seen.push_back(msg);
    return CallWindowProc(g_savedClientProc, h, msg, w, l);
}

TEST_F(MDIFixture, AHookOnTheClientSeesEveryChange) {
    TForm* a = AddChild();
    const HWND client = form_->ClientHandle();
    EXPECT_EQ(GetWindowLongPtr(client, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(&MDIClientWndProc));
    g_seen.clear();
    g_savedClientProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingClientProc)));
    a->SetWindowState(wsMaximized);
    a->SetWindowState(wsNormal);
    form_->Tile();
    form_->Cascade();
    EXPECT_EQ(g_seen,
              (std::vector<UINT>{WM_MDIMAXIMIZE, WM_MDIRESTORE, WM_MDITILE, WM_MDICASCADE}));
    EXPECT_EQ(a->BoundsRect(), Rect(0, 0, 600, 450));
    SetWindowLongPtr(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_savedClientProc));
}

} // namespace

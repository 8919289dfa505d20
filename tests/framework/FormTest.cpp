#include "ControlTestUtil.h"

#include "platform/user/User.h"

namespace {

class Form : public ControlFixture {};

TEST_F(Form, BorderStyleGivesWindowStyles) {
    struct Case {
        TFormBorderStyle style;
        DWORD must;
        DWORD mustNot;
        DWORD exMust;
    };
    const Case cases[] = {
        {bsNone, WS_POPUP, WS_CAPTION | WS_THICKFRAME, 0},
        {bsSingle, WS_CAPTION, WS_THICKFRAME, 0},
        {bsSizeable, WS_CAPTION | WS_THICKFRAME, 0, 0},
        {bsDialog, WS_CAPTION, WS_THICKFRAME | WS_MINIMIZEBOX, WS_EX_DLGMODALFRAME},
        {bsToolWindow, WS_CAPTION, WS_THICKFRAME, WS_EX_TOOLWINDOW},
    };
    for (const Case& c : cases) {
        form_->SetBorderStyle(c.style);
        DWORD style = DWORD(GetWindowLong(form_->Handle(), GWL_STYLE));
        DWORD ex = DWORD(GetWindowLong(form_->Handle(), GWL_EXSTYLE));
        EXPECT_EQ(style & c.must, c.must) << c.style;
        EXPECT_EQ(style & c.mustNot, 0u) << c.style;
        EXPECT_EQ(ex & c.exMust, c.exMust) << c.style;
    }
}

TEST_F(Form, ScreenCenterPlacesOnShow) {
    form_->SetPosition(poScreenCenter);
    ShowForm();
    EXPECT_EQ(form_->Left(), (Screen->Width() - 300) / 2);
    EXPECT_EQ(form_->Top(), (Screen->Height() - 200) / 2);
    EXPECT_TRUE(form_->Showing());
}

TEST_F(Form, ConstraintsHoldTheWindowAndTheMaximisedSize) {
    form_->SetBorderStyle(bsSizeable);
    form_->Constraints()->SetMinWidth(200);
    form_->Constraints()->SetMaxWidth(500);
    form_->Constraints()->SetMaxHeight(400);
    ShowForm();
    // Sized from outside the control (as the desktop's frame would), the window keeps to them.
    SetWindowPos(form_->Handle(), 0, 0, 0, 50, 50, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(form_->Width(), 200);
    SetWindowPos(form_->Handle(), 0, 0, 0, 900, 900, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(form_->Width(), 500);
    EXPECT_EQ(form_->Height(), 400);
    form_->SetWindowState(wsMaximized);
    TRect work = Screen->WorkAreaRect();
    EXPECT_EQ(form_->BoundsRect(), Rect(work.left, work.top, work.left + 500, work.top + 400));
    form_->SetWindowState(wsNormal);
    // Without limits the window fills the work area.
    form_->Constraints()->SetMaxWidth(0);
    form_->Constraints()->SetMaxHeight(0);
    form_->SetWindowState(wsMaximized);
    EXPECT_EQ(form_->BoundsRect(), work);
}

TEST_F(Form, NewSizeLimitsReachTheDesktopAtOnce) {
    form_->SetBorderStyle(bsSizeable);
    form_->SetBounds(100, 100, 400, 300);
    ShowForm();
    auto limits = [&] { return session_->SizeLimitsOf(form_->Handle()); };
    // Limits the window already keeps to: nothing is resized, yet the desktop must know them
    // before the user next drags the frame.
    form_->Constraints()->SetMinWidth(350);
    form_->Constraints()->SetMaxHeight(320);
    EXPECT_EQ(form_->Width(), 400);
    EXPECT_EQ(limits().minimum.cx, 350);
    EXPECT_EQ(limits().maximum.cy, 320);
    form_->Constraints()->SetMinWidth(0);
    EXPECT_LT(limits().minimum.cx, 350);
}

TEST_F(Form, CloseQueryAndCloseAction) {
    TForm* other = nullptr;
    app_->CreateForm(other);
    other->SetBorderStyle(bsNone);
    other->Show();
    Pump();
    bool allow = false;
    other->OnCloseQuery = [&](TObject*, bool& can) { can = allow; };
    other->Close();
    EXPECT_TRUE(other->Visible());
    allow = true;
    TCloseAction chosen = caHide;
    other->OnClose = [&](TObject*, TCloseAction& a) { a = chosen; };
    other->Close();
    EXPECT_FALSE(other->Visible());
    EXPECT_FALSE(app_->Terminated());
    // WM_CLOSE goes the same way, and caFree frees the form once the queue is handled.
    other->Show();
    chosen = caFree;
    bool destroyed = false;
    other->OnDestroy = [&](TObject*) { destroyed = true; };
    PostMessage(other->Handle(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(Screen->FormCount(), 1);
    // Closing the main form ends the application.
    form_->Close();
    EXPECT_TRUE(app_->Terminated());
}

TEST_F(Form, ShowModalRunsUntilResultAndDisablesOthers) {
    ShowForm();
    TForm* dialog = nullptr;
    app_->CreateForm(dialog);
    dialog->SetBorderStyle(bsDialog);
    bool ownerDisabled = false;
    dialog->OnShow = [&](TObject*) {
        ownerDisabled = !IsWindowEnabled(form_->Handle());
        PostMessage(dialog->Handle(), WM_CLOSE, 0, 0); // the user closes it
    };
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(form_->Handle()));
    EXPECT_FALSE(dialog->Visible());
    // A result set by a handler ends the loop with that result.
    dialog->OnShow = [&](TObject*) {
        PostMessage(dialog->Handle(), WM_NULL, 0, 0);
        dialog->SetModalResult(mrOk);
    };
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    dialog->Show();
    EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
}

} // namespace

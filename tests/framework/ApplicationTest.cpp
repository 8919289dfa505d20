#include "ControlTestUtil.h"

#include "platform/user/User.h"

#include <string>
#include <vector>

namespace {

class TCreatingForm;
TCreatingForm* SeenForm = nullptr;       // the reference CreateForm fills
TCreatingForm* GlobalAtCreate = nullptr; // what it held when the creation body ran

class TCreatingForm : public TForm {
    KORVID_CLASS(TCreatingForm, TForm)
    void Create(TComponent* AOwner) override {
        inherited::Create(AOwner);
        GlobalAtCreate = SeenForm;
    }
};

class TheApplication : public ControlFixture {};

TEST_F(TheApplication, CreateFormSetsReferenceBeforeCreationBody) {
    SeenForm = nullptr;
    app_->CreateForm(SeenForm);
    TCreatingForm* f = SeenForm;
    EXPECT_NE(f, nullptr);
    EXPECT_EQ(GlobalAtCreate, f);
    EXPECT_EQ(app_->MainForm(), form_); // the first form stays the main form
}

TEST_F(TheApplication, OnMessageSeesKeysAndCanHandleThem) {
    TWinProbe* a = CreateComponent<TWinProbe>(form_);
    a->SetBounds(0, 0, 50, 20);
    a->SetParent(form_);
    ShowForm();
    std::vector<Word> keys;
    a->OnKeyDown = [&](TObject*, Word& k, TShiftState) { keys.push_back(k); };
    app_->OnMessage = [](MSG& msg, bool& handled) {
        if (msg.message == WM_KEYDOWN && msg.wParam == 'A') handled = true;
    };
    session_->PressKey('A');
    session_->PressKey('B');
    app_->ProcessMessages();
    EXPECT_EQ(keys, (std::vector<Word>{'B'}));
}

TEST_F(TheApplication, ComponentsMessageHandlersRunAfterTheProgramsUntilOneHandles) {
    TWinProbe* probe = CreateComponent<TWinProbe>(form_);
    probe->SetBounds(0, 0, 50, 20);
    probe->SetParent(form_);
    ShowForm();
    std::vector<std::string> calls;
    int second = 0;
    // Each handler notes the key it saw; the first takes 'A', the second takes itself off at
    // its first key, the third takes 'C'.
    const int first = app_->AddMessageHandler([&](MSG& m, bool& handled) {
        if (m.message != WM_KEYDOWN) return;
        calls.push_back(std::string("1") + char(m.wParam));
        handled = m.wParam == 'A';
    });
    second = app_->AddMessageHandler([&](MSG& m, bool&) {
        if (m.message != WM_KEYDOWN) return;
        calls.push_back(std::string("2") + char(m.wParam));
        app_->RemoveMessageHandler(second);
    });
    app_->AddMessageHandler([&](MSG& m, bool& handled) {
        if (m.message != WM_KEYDOWN) return;
        calls.push_back(std::string("3") + char(m.wParam));
        handled = m.wParam == 'C';
    });
    app_->OnMessage = [&](MSG& m, bool& handled) {
        if (m.message != WM_KEYDOWN) return;
        calls.push_back(std::string("P") + char(m.wParam));
        handled = m.wParam == 'P';
    };
    std::vector<Word> reached;
    probe->OnKeyDown = [&](TObject*, Word& k, TShiftState) { reached.push_back(k); };
    for (char key : {'P', 'A', 'B', 'C', 'D'})
        session_->PressKey(key);
    app_->ProcessMessages();
    EXPECT_EQ(calls, (std::vector<std::string>{"PP", "PA", "1A", "PB", "1B", "2B", "3B", "PC", "1C",
                                               "3C", "PD", "1D", "3D"}));
    // Only the keys no handler took reach the form.
    EXPECT_EQ(reached, (std::vector<Word>{'B', 'D'}));
    EXPECT_EQ(app_->MessageHandlerCount(), 2);
    app_->RemoveMessageHandler(first);
    EXPECT_EQ(app_->MessageHandlerCount(), 1);
}

TEST_F(TheApplication, ProcessMessagesInsideAHandler) {
    ShowForm();
    std::vector<int> order;
    const UINT first = WM_APP + 1, second = WM_APP + 2;
    TWndMethod saved = form_->WindowProc;
    form_->WindowProc = [&](TMessage& m) {
        if (m.Msg == first) {
            order.push_back(1);
            PostMessage(form_->Handle(), second, 0, 0);
            app_->ProcessMessages(); // handles the second one before the first returns
            order.push_back(3);
            return;
        }
        if (m.Msg == second) {
            order.push_back(2);
            return;
        }
        saved(m);
    };
    PostMessage(form_->Handle(), first, 0, 0);
    app_->ProcessMessages();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    form_->WindowProc = saved;
}

TEST_F(TheApplication, RunEndsOnTerminate) {
    form_->OnShow = [&](TObject*) { PostMessage(form_->Handle(), WM_CLOSE, 0, 0); };
    app_->Run();
    EXPECT_TRUE(app_->Terminated());
}

TEST_F(TheApplication, AbortIsQuietOtherExceptionsShown) {
    ShowForm();
    const UINT msg = WM_APP + 5;
    TWndMethod saved = form_->WindowProc;
    form_->WindowProc = [&](TMessage& m) {
        if (m.Msg == msg) {
            if (m.WParam) throw EAbort();
            throw EConvertError("Bad number");
        }
        saved(m);
    };
    PostMessage(form_->Handle(), msg, 1, 0);
    PostMessage(form_->Handle(), msg, 0, 0);
    app_->ProcessMessages();
    ASSERT_EQ(session_->Calls().size(), 1u);
    EXPECT_EQ(session_->Calls()[0].text, "Bad number");
    form_->WindowProc = saved;
}

} // namespace

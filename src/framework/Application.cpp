#include "framework/Application.h"

#include "framework/Actions.h"
#include "framework/MessageDialogs.h"
#include "framework/Resources.h"

#include "platform/user/User.h"

#include <algorithm>

TApplication* Application = nullptr;

void HandleControlException(TObject* Sender) {
    if (Application) {
        Application->HandleException(Sender);
        return;
    }
    // Raised again only to tell its kind: a report, no clean-up.
    try {
        throw;
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        MessageBox(0, e.what(), "Error", MB_OK | MB_ICONSTOP);
    } catch (...) {
        MessageBox(0, "Unknown error", "Error", MB_OK | MB_ICONSTOP);
    }
}

void TApplication::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    if (!Application) Application = this;
    // Boxes the display backend leaves to the program get the framework's own box form.
    InstallMessageBoxForm();
    if (!Screen) {
        Screen = CreateComponent<TScreen>(nullptr);
        ownsScreen_ = true;
    }
    icon_ = MakeObject<TIcon>();
    if (!resources::FindIcon("MAINICON").empty()) {
        try {
            icon_->LoadFromResourceName(HInstance, "MAINICON");
        } catch (const EInvalidGraphic&) {
            // A damaged program icon leaves the windows without one.
        }
    }
    icon_->OnChange = [this](TObject*) { IconChanged(); };
}

void TApplication::ApplyIcon(TCustomForm* Form) {
    if (!Form || !Form->HandleAllocated()) return;
    SendMessage(Form->Handle(), WM_SETICON, ICON_BIG,
                static_cast<LPARAM>(icon_->Empty() ? 0 : icon_->Handle()));
}

void TApplication::IconChanged() {
    if (!Screen) return;
    for (int i = 0; i < Screen->FormCount(); ++i)
        ApplyIcon(Screen->Forms(i));
}

void TApplication::Destroy() {
    // A quit this application asked for must not end the next loop on this thread.
    if (quitPosted_) {
        MSG msg;
        while (PeekMessage(&msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    // Forms go while the screen still knows them.
    DestroyComponents();
    mainForm_ = nullptr;
    if (ownsScreen_ && Screen) {
        TScreen* s = Screen;
        Screen = nullptr;
        s->Free();
    }
    if (Application == this) Application = nullptr;
    inherited::Destroy();
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == mainForm_) mainForm_ = nullptr;
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        quitPosted_ = false;
        return true;
    }
    bool handled = false;
    try {
        if (OnMessage) OnMessage(msg, handled);
        // Found again by id each time: a handler may add or remove handlers.
        for (int last = 0; !handled;) {
            auto next = std::upper_bound(messageHandlers_.begin(), messageHandlers_.end(), last,
                                         [](int id, const MessageHandler& h) { return id < h.id; });
            if (next == messageHandlers_.end()) break;
            last = next->id;
            const TMessageEvent handler = next->handler; // may remove itself
            handler(msg, handled);
        }
    } catch (...) {
        // The message loop's handlers: nothing goes past the loop.
        HandleException(this);
        handled = true;
    }
    if (!handled) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    return true;
}

int TApplication::AddMessageHandler(TMessageEvent Handler) {
    messageHandlers_.push_back({++lastHandlerId_, std::move(Handler)});
    return lastHandlerId_;
}

void TApplication::RemoveMessageHandler(int Id) {
    std::erase_if(messageHandlers_, [Id](const MessageHandler& h) { return h.id == Id; });
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::Idle() {
    UpdateMouseControl();
    bool done = true;
    try {
        if (OnIdle) OnIdle(this, done);
        if (done) UpdateFormActions();
    } catch (...) {
        // The message loop's idle step: the failure is shown and the loop goes on.
        HandleException(this);
    }
    if (done && !terminated_) WaitMessage();
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) Idle();
}

void TApplication::Run() {
    if (mainForm_ && !mainForm_->Visible()) mainForm_->Show();
    while (!terminated_)
        HandleMessage();
}

void TApplication::Terminate() {
    // Set at once so nested modal loops end too; WM_QUIT ends loops that only wait.
    terminated_ = true;
    if (!quitPosted_) PostQuitMessage(0);
    quitPosted_ = true;
}

bool TApplication::Active() const {
    return Screen && Screen->ActiveForm() != nullptr;
}

void TApplication::HandleException(TObject* Sender) {
    // Raised again only to tell its kind: a report, no clean-up.
    try {
        throw;
    } catch (const EAbort&) {
        // Meant to end an operation without a word.
    } catch (const std::exception& e) {
        if (OnException)
            OnException(Sender, e);
        else
            ShowException(e);
    } catch (...) {
        ShowException(Exception("Unknown error"));
    }
}

void TApplication::ShowException(const std::exception& E) {
    HWND owner = mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : 0;
    ::MessageBox(owner, E.what(), title_.empty() ? "Error" : title_.c_str(), MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const String& Text, const String& Caption, int Flags) {
    TCustomForm* owner = Screen ? Screen->ActiveForm() : nullptr;
    if (!owner) owner = mainForm_;
    HWND handle = owner && owner->HandleAllocated() ? owner->Handle() : 0;
    return ::MessageBox(handle, Text.c_str(), Caption.c_str(), static_cast<UINT>(Flags));
}

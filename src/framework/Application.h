#pragma once
// TApplication: the message loop on the user-interface thread, the main form, idle
// processing and the default exception handler.
#include "framework/Forms.h"
#include "framework/Icon.h"
#include "rtl/ScopeGuard.h"

#include <exception>
#include <vector>

using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

class TApplication : public TComponent {
    KORVID_CLASS(TApplication, TComponent)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    void Initialize() {}
    const String& Title() const { return title_; }
    void SetTitle(const String& v) { title_ = v; }

    // Makes a form owned by the application; reference is set before the form's creation
    // body runs, so handlers that read it during creation see the form. The first form made
    // becomes the main form.
    template <class T> void CreateForm(T*& reference) {
        reference = nullptr;
        formCreating_ = [&reference](TCustomForm* form) { reference = static_cast<T*>(form); };
        ScopeGuard forget([this] { formCreating_ = nullptr; });
        ScopeGuard clear([&reference] { reference = nullptr; });
        T* form = CreateComponent<T>(this);
        clear.Dismiss();
        formCreating_ = nullptr;
        reference = form;
        if (!mainForm_) mainForm_ = form;
    }
    // Called by a form's creation body: hands the form to the reference CreateForm fills.
    void FormCreating(TCustomForm* form) {
        if (auto f = std::move(formCreating_)) {
            formCreating_ = nullptr;
            f(form);
        }
    }

    void Run();
    // Handles every message waiting now (also from inside a handler), then returns.
    void ProcessMessages();
    // Handles one message, or idles until one comes.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The program's icon: the "MAINICON" resource when there is one, else empty. Every form's
    // window shows it; setting copies the icon and shows the new one at once.
    TIcon* Icon() const { return icon_.get(); }
    void SetIcon(TIcon* Value) { icon_->Assign(Value); }
    // Gives the form's window the application's icon (forms call it when their window appears).
    void ApplyIcon(TCustomForm* Form);

    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* v) { mainForm_ = v; }
    bool Active() const;

    // Shows the exception that escaped a handler (OnException, when set, instead).
    void HandleException(TObject* Sender);
    void ShowException(const std::exception& E);
    // A modal message box over the active form (MB_ flags); returns the button (IDOK ...).
    int MessageBox(const String& Text, const String& Caption, int Flags = 0);

    // The program's own handler: it sees each message first.
    TMessageEvent OnMessage;
    // Components' handlers: after OnMessage, in the order they were added, until one handles
    // the message. Add returns the id Remove takes. A handler added or removed while a message
    // goes round is safe: a removed one is not called again.
    int AddMessageHandler(TMessageEvent Handler);
    void RemoveMessageHandler(int Id);
    int MessageHandlerCount() const { return static_cast<int>(messageHandlers_.size()); }
    TIdleEvent OnIdle;
    TExceptionEvent OnException;

    // Number of modal loops running (nested ShowModal).
    int ModalLevel() const { return modalLevel_; }
    void EnterModal() { ++modalLevel_; }
    void LeaveModal() { --modalLevel_; }

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool ProcessMessage(MSG& msg);
    void Idle();

    void IconChanged();

    String title_;
    ObjectPtr<TIcon> icon_;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool ownsScreen_ = false;
    bool quitPosted_ = false;
    int modalLevel_ = 0;
    std::function<void(TCustomForm*)> formCreating_;
    struct MessageHandler {
        int id;
        TMessageEvent handler;
    };
    std::vector<MessageHandler> messageHandlers_; // by rising id
    int lastHandlerId_ = 0;
};

extern TApplication* Application;

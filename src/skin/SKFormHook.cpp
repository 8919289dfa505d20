#include "skin/SKFormHook.h"

#include "platform/user/User.h"

// Shared with the procedure on the form, which outlives the hook when another procedure was
// put in front of it.
struct TskFormHook::State {
    TWndMethod procedure;
    TWndMethod saved;
    bool live = true;
};

namespace {

struct SkinProcedure {
    std::shared_ptr<TskFormHook::State> state;
    void operator()(TMessage& Message) const {
        // The skin may go during the call, and this procedure with it.
        const std::shared_ptr<TskFormHook::State> keep = state;
        if (keep->live)
            keep->procedure(Message);
        else if (keep->saved)
            keep->saved(Message);
    }
};

} // namespace

void SkinFrameChanged(HWND Window) {
    SetWindowPos(Window, 0, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool StripSkinCaption(HWND Window) {
    const LONG style = GetWindowLong(Window, GWL_STYLE);
    if (!(style & LONG(WS_CAPTION))) return false;
    SetWindowLong(Window, GWL_STYLE, style & ~LONG(WS_CAPTION));
    SkinFrameChanged(Window);
    return true;
}

TskFormHook::TskFormHook(TCustomForm* Form, TWndMethod Procedure, TMessageEvent AppHandler)
    : form_(Form), state_(std::make_shared<State>()) {
    state_->procedure = std::move(Procedure);
    state_->saved = form_->WindowProc;
    form_->WindowProc = SkinProcedure{state_};
    if (Application && !Application->OnMessage) {
        app_ = Application;
        appHandler_ = app_->AddMessageHandler(std::move(AppHandler));
    }
    if (form_->HandleAllocated()) SkinFrameChanged(form_->Handle());
}

TskFormHook::~TskFormHook() {
    if (appHandler_ && Application == app_) app_->RemoveMessageHandler(appHandler_);
    state_->live = false;
    const SkinProcedure* current = form_->WindowProc.target<SkinProcedure>();
    if (current && current->state == state_) form_->WindowProc = state_->saved;
    if (!form_->HandleAllocated() || form_->ComponentState().Contains(csDestroying)) return;
    const HWND h = form_->Handle();
    SetWindowLong(h, GWL_STYLE, GetWindowLong(h, GWL_STYLE) | LONG(WS_CAPTION));
    SetWindowRgn(h, 0, TRUE);
    SkinFrameChanged(h);
}

void TskFormHook::CallSaved(TMessage& Message) const {
    const std::shared_ptr<State> keep = state_;
    if (keep->saved) keep->saved(Message);
}

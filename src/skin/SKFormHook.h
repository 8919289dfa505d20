#pragma once
// TskFormHook: what a skin puts on its form, for as long as the hook lives. The skin's
// procedure goes in front of the form's window procedure, and the skin's handler joins the
// application's message handlers, unless the program handles the application's messages
// itself: then the keys the skin would take (Alt+Space, menu shortcuts) stay the program's.
// When the hook goes, the form gets its own procedure, its caption and its plain shape back.
// A procedure put on the form after the skin's keeps working: from then on the skin's one
// only forwards to the procedure it saved.
#include "framework/Application.h"

#include <memory>

class TskFormHook {
public:
    TskFormHook(TCustomForm* Form, TWndMethod Procedure, TMessageEvent AppHandler);
    ~TskFormHook();
    TskFormHook(const TskFormHook&) = delete;
    TskFormHook& operator=(const TskFormHook&) = delete;

    // The form's window procedure from before the hook.
    void CallSaved(TMessage& Message) const;
    bool HandlesApplicationMessages() const { return appHandler_ != 0; }

    struct State;

private:
    TCustomForm* form_;
    std::shared_ptr<State> state_;
    TApplication* app_ = nullptr;
    int appHandler_ = 0;
};

// Tells the system the window's frame changed; nothing moves, nothing is activated.
void SkinFrameChanged(HWND Window);
// Takes the caption (both its bits) out of the window's style; false when it had none.
bool StripSkinCaption(HWND Window);

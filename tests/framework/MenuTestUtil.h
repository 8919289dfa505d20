#pragma once
// Helpers for driving menus on the headless screen: a form hook that runs a step in the
// middle of a menu's tracking loop (posted after scripted input, so it sees its effects), and
// a BMP dump of a screen area for looking at by eye.
#include "ControlTestUtil.h"
#include "framework/ImageList.h"
#include "framework/Menus.h"
#include "platform/user/User.h"
#include "support/ScreenShot.h"

#include <functional>

constexpr UINT WM_TEST_STEP = WM_APP + 77;

// While alive, a WM_TEST_STEP posted to the form runs `step`.
class StepHook {
public:
    StepHook(TForm* form, std::function<void()> step) : form_(form), step_(std::move(step)) {
        saved_ = form->WindowProc;
        form->WindowProc = [this](TMessage& m) {
            if (m.Msg == WM_TEST_STEP) {
                step_();
                return;
            }
            saved_(m);
        };
    }
    ~StepHook() { form_->WindowProc = saved_; }
    void Post() { PostMessage(form_->Handle(), WM_TEST_STEP, 0, 0); }

private:
    TForm* form_;
    std::function<void()> step_;
    TWndMethod saved_;
};

using test_support::SaveScreenShot;

// An item with a caption (and shortcut), counting its clicks into *clicks.
inline TMenuItem* NewItem(TMenuItem* parent, const String& caption, int* clicks = nullptr,
                          TShortCut shortCut = scNone) {
    auto* item = CreateComponent<TMenuItem>(nullptr);
    item->SetCaption(caption);
    item->SetShortCut(shortCut);
    if (clicks) item->OnClick = [clicks](TObject*) { ++*clicks; };
    parent->Add(item);
    return item;
}

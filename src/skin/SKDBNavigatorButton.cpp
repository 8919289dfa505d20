// The navigator's buttons: the focus rectangle the navigator asks for, and the repeat of
// prior and next while they are held.
#include "skin/SKDBNavigator.h"

#include "platform/gdi/Rect.h"
#include "platform/user/Input.h"

namespace {
constexpr Cardinal kRepeatFirstDelay = 400;
constexpr Cardinal kRepeatInterval = 100;
constexpr int kFocusInset = 3;
} // namespace

void TskNavButton::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    SetTabStop(false);
}

void TskNavButton::Destroy() {
    repeatTimer_.reset();
    inherited::Destroy();
}

TskDBNavigator* TskNavButton::Navigator() const {
    return dynamic_cast<TskDBNavigator*>(Parent());
}

bool TskNavButton::RepeatArmed() const {
    return repeatTimer_ && repeatTimer_->Enabled();
}

void TskNavButton::StopRepeating() {
    if (repeatTimer_) repeatTimer_->SetEnabled(false);
}

void TskNavButton::EnabledChanged() {
    inherited::EnabledChanged();
    if (!Enabled()) StopRepeating();
}

void TskNavButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseDown(Button, Shift, X, Y);
    // A button that cannot act (disabled here or through the navigator) never starts to repeat.
    if (Button != mbLeft || !navStyle_.Contains(nsAllowTimer) || !EnabledThroughParents()) return;
    if (!repeatTimer_) {
        repeatTimer_ = CreateUnowned<TTimer>();
        repeatTimer_->SetOnTimer([this](TObject*) { RepeatTick(); });
    }
    repeatTimer_->SetEnabled(false);
    repeatTimer_->SetInterval(kRepeatFirstDelay);
    repeatTimer_->SetEnabled(true);
}

void TskNavButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    StopRepeating();
    inherited::MouseUp(Button, Shift, X, Y);
}

void TskNavButton::RepeatTick() {
    repeatTimer_->SetInterval(kRepeatInterval);
    // The press is over for good once the button is up, has lost the pointer or cannot act.
    const bool held = Pressed() && HandleAllocated() && GetCapture() == Handle();
    TskDBNavigator* navigator = Navigator();
    if (!held || !navigator || !EnabledThroughParents()) {
        StopRepeating();
        return;
    }
    ScopeGuard stop([this] { StopRepeating(); });
    // The action may free the navigator and this button with it; nothing of either is
    // touched after it returns normally.
    navigator->ButtonClick(index_);
    stop.Dismiss();
}

void TskNavButton::Paint() {
    inherited::Paint();
    TskDBNavigator* navigator = Navigator();
    if (!navigator || navigator->FocusedButton() != index_ || !navigator->Focused()) return;
    if (!Enabled() || !Visible()) return;
    TRect r = Rect(kFocusInset, kFocusInset, Width() - kFocusInset, Height() - kFocusInset);
    if (Pressed()) OffsetRect(&r, 1, 1);
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Font()->SetColor(clBtnShadow);
    Canvas()->DrawFocusRect(r);
}

void TskNavButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        // Whoever took the pointer ended the press: no more repeats.
        StopRepeating();
        inherited::Dispatch(Message);
        return;
    default:
        inherited::Dispatch(Message);
    }
}

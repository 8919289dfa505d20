// A control's link to its action: what it takes from the action, and the update at idle.
#include "framework/Actions.h"
#include "framework/Controls.h"

TControl::TControl() = default;
TControl::~TControl() = default;

TBasicAction* TControl::Action() const {
    return actionLink_ ? actionLink_->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* Value) {
    if (!Value) {
        actionLink_.reset();
        return;
    }
    if (!actionLink_) {
        actionLink_ = std::make_unique<TBasicActionLink>();
        actionLink_->OnChange = [this](TObject* Sender) { ActionChange(Sender, false); };
    }
    actionLink_->SetAction(Value);
    // A control read from a form description keeps what was stored for it.
    ActionChange(Value, ComponentState().Contains(csLoading));
}

void TControl::InitiateAction() {
    if (actionLink_) actionLink_->Update();
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action) return;
    if (!CheckDefaults || Caption().empty()) SetCaption(action->Caption());
    if (!CheckDefaults || Enabled()) SetEnabled(action->Enabled());
    if (!CheckDefaults || Hint().empty()) SetHint(action->Hint());
    if (!CheckDefaults || Visible()) SetVisible(action->Visible());
}

#include "framework/Actions.h"

#include "framework/Forms.h"
#include "framework/ImageList.h"

#include <algorithm>

// --- TBasicAction --------------------------------------------------------------------------

void TBasicAction::Destroy() {
    // The links outlive the action: each is left holding none.
    for (TBasicActionLink* link : clients_)
        link->action_ = nullptr;
    clients_.clear();
    inherited::Destroy();
}

bool TBasicAction::Execute() {
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Link) {
    if (Link && std::find(clients_.begin(), clients_.end(), Link) == clients_.end())
        clients_.push_back(Link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Link) {
    std::erase(clients_, Link);
}

void TBasicAction::Change() {
    // A handler may link or unlink controls: the links as they were, while still linked.
    const std::vector<TBasicActionLink*> links = clients_;
    for (TBasicActionLink* link : links)
        if (std::find(clients_.begin(), clients_.end(), link) != clients_.end() && link->OnChange)
            link->OnChange(this);
}

// --- TCustomAction -------------------------------------------------------------------------

void TCustomAction::Destroy() {
    SetActionList(nullptr);
    inherited::Destroy();
}

void TCustomAction::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == actionList_) actionList_ = nullptr;
}

bool TCustomAction::Execute() {
    Update();
    return enabled_ && inherited::Execute();
}

void TCustomAction::SetActionList(TActionList* Value) {
    if (actionList_ == Value) return;
    if (actionList_) {
        actionList_->RemoveAction(this);
        actionList_->RemoveFreeNotification(this);
    }
    actionList_ = Value;
    if (Value) {
        Value->AddAction(this);
        Value->FreeNotification(this);
    }
    Change(); // the images may be others now
}

void TCustomAction::SetCaption(const String& Value) {
    Store(caption_, Value);
}
void TCustomAction::SetChecked(bool Value) {
    Store(checked_, Value);
}
void TCustomAction::SetEnabled(bool Value) {
    Store(enabled_, Value);
}
void TCustomAction::SetHint(const String& Value) {
    Store(hint_, Value);
}
void TCustomAction::SetImageIndex(int Value) {
    Store(imageIndex_, Value);
}
void TCustomAction::SetShortCut(TShortCut Value) {
    Store(shortCut_, Value);
}
void TCustomAction::SetVisible(bool Value) {
    Store(visible_, Value);
}

// --- TActionList ---------------------------------------------------------------------------

void TActionList::DeclareProperties(Published<TActionList>& p) {
    p.Object("Images", &TActionList::Images, &TActionList::SetImages);
}

void TActionList::Destroy() {
    while (!actions_.empty())
        actions_.back()->SetActionList(nullptr);
    SetImages(nullptr);
    inherited::Destroy();
}

void TActionList::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    if (AComponent == images_) images_ = nullptr;
    if (auto* action = dynamic_cast<TCustomAction*>(AComponent)) RemoveAction(action);
}

TCustomAction* TActionList::Actions(int Index) const {
    if (Index < 0 || Index >= ActionCount()) throw EListError("List index out of bounds");
    return actions_[size_t(Index)];
}

void TActionList::SetImages(TImageList* Value) {
    if (images_ == Value) return;
    if (images_) images_->RemoveFreeNotification(this);
    images_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TActionList::AddAction(TCustomAction* Action) {
    if (std::find(actions_.begin(), actions_.end(), Action) == actions_.end())
        actions_.push_back(Action);
}

void TActionList::RemoveAction(TCustomAction* Action) {
    std::erase(actions_, Action);
}

// --- TBasicActionLink ----------------------------------------------------------------------

TBasicActionLink::~TBasicActionLink() {
    SetAction(nullptr);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
    if (action_ == Value) return;
    if (action_) action_->UnRegisterChanges(this);
    action_ = Value;
    if (Value) Value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
    if (!action_) return false;
    TBasicAction* action = action_;
    action->SetActionComponent(AComponent);
    const bool done = action->Execute();
    // The handler may have freed the control, never the action it runs.
    action->SetActionComponent(nullptr);
    return done;
}

bool TBasicActionLink::Update() {
    return action_ && action_->Update();
}

// --- the idle update -----------------------------------------------------------------------

namespace {

void UpdateControlActions(TControl* control) {
    if (!control->Visible()) return;
    control->InitiateAction();
    if (auto* parent = dynamic_cast<TWinControl*>(control))
        for (int i = 0; i < parent->ControlCount(); ++i)
            UpdateControlActions(parent->Controls(i));
}

} // namespace

void UpdateFormActions() {
    if (!Screen) return;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (TCustomForm* form = Screen->Forms(i); form->Visible()) UpdateControlActions(form);
}

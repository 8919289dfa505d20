#include "rtl/Component.h"

#include "rtl/Text.h"

#include <algorithm>

namespace {

void Erase(std::vector<TComponent*>& list, TComponent* item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end()) list.erase(it);
}

} // namespace

void TComponent::DeclareProperties(Published<TComponent>& p) {
    p.Text("Name", &TComponent::Name, &TComponent::SetName)
        .Ordinal("Tag", &TComponent::Tag, &TComponent::SetTag);
}

TComponent::~TComponent() {
    // Deleted without Free: the derived bodies are gone, but the links to owner, owned
    // components and free notifications must still be undone.
    if (!released_) Release();
}

void TComponent::JoinLoadingOf(TComponent* AOwner) {
    if (AOwner && AOwner->loading_ && AOwner->loading_->open_) {
        loading_ = AOwner->loading_;
        state_.Include(csLoading).Include(csReading);
        loading_->Add(this);
    }
}

void TComponent::Create(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

void TComponent::BeforeDestruction() {
    if (!state_.Contains(csDestroying)) Destroying();
}

void TComponent::Destroying() {
    if (state_.Contains(csDestroying)) return;
    state_.Include(csDestroying);
    for (TComponent* c : components_)
        c->Destroying();
}

void TComponent::Destroy() {
    Release();
    inherited::Destroy();
}

void TComponent::Release() {
    if (released_) return;
    Destroying();
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        Erase(other->freeNotifies_, this);
        other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
    if (loading_) loading_->Forget(this);
    loading_ = nullptr;
    released_ = true;
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const String& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name)) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->owner_ == this) return;
    if (AComponent == this) throw EComponentError("A component cannot own itself");
    if (!AComponent->name_.empty() && FindComponent(AComponent->name_))
        throw EComponentError("A component named " + AComponent->name_ + " already exists");
    if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
    components_.push_back(AComponent);
    AComponent->owner_ = this;
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->owner_ != this) return;
    // Everyone hears of the removal while the component is still in the list, the
    // component itself included.
    Notification(AComponent, opRemove);
    Erase(components_, AComponent);
    AComponent->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* last = components_.back();
        if (last->owner_ == this)
            RemoveComponent(last);
        else
            components_.pop_back();
        last->Free();
    }
}

void TComponent::SetName(const String& NewName) {
    if (NewName == name_) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("\"" + NewName + "\" is not a valid component name");
    if (owner_ && !NewName.empty()) {
        TComponent* other = owner_->FindComponent(NewName);
        if (other && other != this)
            throw EComponentError("A component named " + NewName + " already exists");
    }
    name_ = NewName;
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) UnlinkFreeNotification(AComponent);
    // Handlers may remove components; walk from the end and re-check the bounds.
    for (size_t i = components_.size(); i-- > 0;) {
        if (i < components_.size()) components_[i]->Notification(AComponent, Operation);
    }
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    // Components of one owner hear of each other through the owner anyway.
    if (!owner_ || AComponent->owner_ != owner_) {
        if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) ==
            freeNotifies_.end())
            freeNotifies_.push_back(AComponent);
        if (std::find(AComponent->freeNotifies_.begin(), AComponent->freeNotifies_.end(), this) ==
            AComponent->freeNotifies_.end())
            AComponent->freeNotifies_.push_back(this);
    }
    state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (AComponent) UnlinkFreeNotification(AComponent);
}

void TComponent::UnlinkFreeNotification(TComponent* other) {
    Erase(freeNotifies_, other);
    Erase(other->freeNotifies_, this);
}

void TComponent::Loaded() {
    state_.Exclude(csLoading);
}

LoadingScope::LoadingScope(TComponent* root) {
    if (!root || root->loading_) {
        // A scope inside another one on the same root adds nothing.
        open_ = false;
        return;
    }
    root->loading_ = this;
    root->state_.Include(csLoading).Include(csReading);
    loading_.push_back(root);
}

LoadingScope::~LoadingScope() {
    Close();
}

void LoadingScope::Add(TComponent* component) {
    loading_.push_back(component);
}

void LoadingScope::Forget(TComponent* component) {
    Erase(loading_, component);
}

void LoadingScope::Finish() {
    if (!open_) return;
    open_ = false;
    for (TComponent* c : loading_)
        c->state_.Exclude(csReading);
    // One at a time, so that a component freed by an earlier Loaded drops out of the list.
    while (!loading_.empty()) {
        TComponent* c = loading_.front();
        loading_.erase(loading_.begin());
        c->loading_ = nullptr;
        ScopeGuard closeOnFailure([this] { Close(); });
        c->Loaded();
        closeOnFailure.Dismiss();
    }
}

void LoadingScope::Close() {
    for (TComponent* c : loading_) {
        c->loading_ = nullptr;
        c->state_.Exclude(csReading).Exclude(csLoading);
    }
    loading_.clear();
    open_ = false;
}

void LoadComponents(TComponent* root, const std::function<void()>& build) {
    LoadingScope scope(root);
    build();
    scope.Finish();
}

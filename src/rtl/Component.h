#pragma once
// Components: objects that own other components, are named, and hear of each other's
// coming and going.
//
// Life of a component:
//   CreateComponent<T>(owner, fields...)  C++ constructor (fields only), then the creation
//                                          body Create(owner), then AfterConstruction
//   component->Free()                      BeforeDestruction (csDestroying), the destruction
//                                          body Destroy(), then the C++ destructor
// A component with an owner is freed by the owner; one without is held in an ObjectPtr.
#include "rtl/Exception.h"
#include "rtl/Persistent.h"
#include "rtl/ScopeGuard.h"
#include "rtl/Set.h"

#include <cstdint>
#include <vector>

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning, // never set: there is no designer
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance,
};
using TComponentState = TSet<TComponentStateFlag>;

class LoadingScope;

class TComponent : public TPersistent {
    KORVID_CLASS(TComponent, TPersistent)

    static void DeclareProperties(Published<TComponent>& p);

    // The creation body. Overrides call inherited::Create(AOwner) first; virtual calls made
    // here reach the most derived class. Inserts this component into AOwner.
    virtual void Create(TComponent* AOwner);
    // The destruction body: announces the destruction to the components that asked for free
    // notification, frees the owned components (the last made first) and leaves the owner.
    // Overrides do their own clean-up first, then call inherited::Destroy().
    void Destroy() override;
    void BeforeDestruction() override;
    // Sets csDestroying and tells the owned components that they are going too.
    virtual void Destroying();

    TComponent* Owner() const { return owner_; }
    TPersistent* GetOwner() override { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    // Owned components in the order they were inserted. Raises EListError out of range.
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    TComponent* FindComponent(const String& name) const; // case-insensitive, nil when absent

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();

    const String& Name() const { return name_; }
    // An identifier (letters, digits, '_', not starting with a digit) or empty, unique among
    // the owner's components; else EComponentError.
    virtual void SetName(const String& NewName);
    std::intptr_t Tag() const { return tag_; }
    void SetTag(std::intptr_t value) { tag_ = value; }

    TComponentState ComponentState() const { return state_; }

    // Sent by the owner to itself and every owned component (the one concerned included) when
    // a component is inserted into or removed from it, and to every component registered by
    // FreeNotification when this one is destroyed. Overrides call inherited first.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // Asks that AComponent be told (opRemove) when this component is destroyed, and the other
    // way round, also across owners.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Called once loading ends (see LoadingScope); clears csLoading. Overrides call inherited.
    virtual void Loaded();

    void Updating() { state_.Include(csUpdating); }
    void Updated() { state_.Exclude(csUpdating); }

protected:
    TComponent() = default;
    ~TComponent() override;

    void SetComponentStateFlag(TComponentStateFlag flag, bool on) { state_.Set(flag, on); }

private:
    friend class LoadingScope;
    template <class T, class... Args>
    friend T* CreateComponent(TComponent* AOwner, Args&&... fieldArgs);

    void JoinLoadingOf(TComponent* AOwner);
    void Release();
    void UnlinkFreeNotification(TComponent* other);

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    String name_;
    std::intptr_t tag_ = 0;
    TComponentState state_;
    LoadingScope* loading_ = nullptr;
    bool released_ = false;
};

template <class T, class... Args> T* CreateComponent(TComponent* AOwner, Args&&... fieldArgs) {
    T* component = new T(std::forward<Args>(fieldArgs)...);
    ScopeGuard freeOnFailure([component] { component->Free(); });
    component->JoinLoadingOf(AOwner);
    component->Create(AOwner);
    component->AfterConstruction();
    freeOnFailure.Dismiss();
    return component;
}

// A component without an owner, held by the caller.
template <class T, class... Args> ObjectPtr<T> CreateUnowned(Args&&... fieldArgs) {
    return ObjectPtr<T>(CreateComponent<T>(nullptr, std::forward<Args>(fieldArgs)...));
}

// Builds components in code the way a form description is read. While the scope is open, the
// root and every component created with an owner inside the scope carry csLoading and
// csReading; Finish clears csReading and calls Loaded on each of them in creation order (the
// root first). A scope left without Finish (an exception) only clears the flags.
class LoadingScope {
public:
    explicit LoadingScope(TComponent* root);
    ~LoadingScope();
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;

    void Finish();

private:
    friend class TComponent;
    void Add(TComponent* component);
    void Forget(TComponent* component);
    void Close();

    std::vector<TComponent*> loading_;
    bool open_ = true;
};

// Runs build inside a LoadingScope on root and finishes it.
void LoadComponents(TComponent* root, const std::function<void()>& build);

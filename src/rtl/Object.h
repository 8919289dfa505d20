#pragma once
// The root of every framework object, and the two-phase life the framework's classes rely on:
// the C++ constructor only sets fields; AfterConstruction runs once the whole object exists;
// Free runs BeforeDestruction and the destruction body (Destroy) while the whole object still
// exists, so virtual calls in both reach the most derived class, and then deletes it.
#include "rtl/Properties.h"
#include "rtl/ScopeGuard.h"
#include "rtl/Types.h"

#include <functional>
#include <memory>
#include <utility>

// What each class of the framework knows about itself at run time: its name, its parent and
// the properties it publishes (see Properties.h).
class RuntimeClass {
public:
    RuntimeClass(const char* name, const RuntimeClass* parent, void (*declare)(PropertyTable&));

    const String& Name() const { return name_; }
    const RuntimeClass* Parent() const { return parent_; }
    bool InheritsFrom(const RuntimeClass& other) const;
    // This class's own entries; FindProperty also searches the parents.
    const PropertyTable& OwnProperties() const { return properties_; }
    const PropertyInfo* FindProperty(const String& name) const;

private:
    String name_;
    const RuntimeClass* parent_;
    PropertyTable properties_;
};

namespace rtl_detail {
template <class C> void DeclareOwnProperties(PropertyTable& table) {
    // Only a class that declares DeclareProperties(Published<C>&) itself adds entries; the one
    // it would inherit takes another Published type and does not match.
    if constexpr (requires(Published<C> & p) { C::DeclareProperties(p); }) {
        Published<C> published(table);
        C::DeclareProperties(published);
    }
}
} // namespace rtl_detail

// Put at the top of every framework class body. It gives the class `inherited` (the base, for
// calling inherited bodies) and its RuntimeClass. What follows the macro is public.
// A class publishes properties by declaring
//     static void DeclareProperties(Published<ThisClass>& p);
#define KORVID_CLASS(Self, Base)                                                                   \
public:                                                                                            \
    using inherited [[maybe_unused]] = Base; /* a class may never name it */                       \
    static const RuntimeClass& StaticClass() {                                                     \
        static const RuntimeClass info(#Self, &Base::StaticClass(),                                \
                                       &rtl_detail::DeclareOwnProperties<Self>);                   \
        return info;                                                                               \
    }                                                                                              \
    const RuntimeClass& ClassType() const override {                                               \
        return StaticClass();                                                                      \
    }

class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static const RuntimeClass& StaticClass();
    virtual const RuntimeClass& ClassType() const { return StaticClass(); }

    // The name of the object's own class, e.g. "TskButton" (without namespaces).
    String ClassName() const;
    bool ClassNameIs(const String& name) const { return ClassName() == name; }
    bool InheritsFrom(const RuntimeClass& cls) const { return ClassType().InheritsFrom(cls); }
    template <class T> bool InheritsFrom() const { return dynamic_cast<const T*>(this) != nullptr; }

    virtual void AfterConstruction() {}
    virtual void BeforeDestruction() {}
    // The destruction body. Overrides do their own clean-up, then call inherited::Destroy().
    virtual void Destroy() {}

    // Runs BeforeDestruction and Destroy, then deletes the object. The object is gone after.
    void Free();
    bool DestructionStarted() const { return destructionStarted_; }

private:
    bool destructionStarted_ = false;
};

// Frees a nil-able object and clears the pointer.
template <class T> void FreeAndNil(T*& object) {
    T* gone = object;
    object = nullptr;
    if (gone) gone->Free();
}

struct FreeDeleter {
    void operator()(TObject* object) const {
        if (object) object->Free();
    }
};

// An owning pointer to a framework object that is not owned by a component.
template <class T> using ObjectPtr = std::unique_ptr<T, FreeDeleter>;

// Makes a plain framework object: the C++ constructor, then AfterConstruction. When
// AfterConstruction raises, the destruction body runs and the exception goes on.
template <class T, class... Args> T* CreateObject(Args&&... args) {
    T* object = new T(std::forward<Args>(args)...);
    ScopeGuard freeOnFailure([object] { object->Free(); });
    object->AfterConstruction();
    freeOnFailure.Dismiss();
    return object;
}

template <class T, class... Args> ObjectPtr<T> MakeObject(Args&&... args) {
    return ObjectPtr<T>(CreateObject<T>(std::forward<Args>(args)...));
}

using TNotifyEvent = std::function<void(TObject* Sender)>;

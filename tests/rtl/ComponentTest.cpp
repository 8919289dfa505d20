#include "rtl/Component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<String> journal;

// Records its creation and destruction bodies, and every notification it hears.
class TLogged : public TComponent {
    KORVID_CLASS(TLogged, TComponent)

    explicit TLogged(String label = "") : label_(std::move(label)) {}

    void Create(TComponent* AOwner) override {
        inherited::Create(AOwner);
        journal.push_back("create " + label_ + " kind " + Kind());
    }
    void Destroy() override {
        journal.push_back("destroy " + label_ + " kind " + Kind() +
                          (ComponentState().Contains(csDestroying) ? " (destroying)" : ""));
        inherited::Destroy();
    }
    void Notification(TComponent* AComponent, TOperation Operation) override {
        inherited::Notification(AComponent, Operation);
        auto* other = dynamic_cast<TLogged*>(AComponent);
        journal.push_back(label_ + (Operation == opInsert ? " +" : " -") +
                          (other ? other->label_ : String("?")));
    }
    void Loaded() override {
        inherited::Loaded();
        journal.push_back("loaded " + label_);
    }
    // Called from the base bodies; a C++ constructor or destructor would reach this one only.
    virtual String Kind() const { return "logged"; }

    String label_;
};

class TSpecial : public TLogged {
    KORVID_CLASS(TSpecial, TLogged)
    using TLogged::TLogged;
    String Kind() const override { return "special"; }
};

std::vector<String> Take() {
    std::vector<String> taken;
    taken.swap(journal);
    return taken;
}

} // namespace

using Lines = std::vector<String>;

TEST(Component, VirtualCallsInCreationAndDestructionReachTheDerivedClass) {
    journal.clear();
    auto root = CreateUnowned<TSpecial>("root");
    EXPECT_EQ(Take(), Lines{"create root kind special"});
    root.reset();
    EXPECT_EQ(Take(), Lines{"destroy root kind special (destroying)"});
}

TEST(Component, OwnerFreesOwnedComponentsLastMadeFirst) {
    journal.clear();
    auto owner = CreateUnowned<TLogged>("owner");
    auto* a = CreateComponent<TLogged>(owner.get(), "a");
    auto* b = CreateComponent<TSpecial>(owner.get(), "b");
    auto* c = CreateComponent<TLogged>(a, "c"); // owned by a, not by the owner
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->Components(0), a);
    EXPECT_EQ(owner->Components(1), b);
    EXPECT_EQ(b->ComponentIndex(), 1);
    EXPECT_EQ(c->Owner(), a);
    EXPECT_THROW(owner->Components(2), EListError);
    EXPECT_THROW(owner->Components(-1), EListError);
    Take();
    owner.reset();
    Lines log = Take();
    // Drop the notifications; the order of the destruction bodies is what matters here.
    Lines bodies;
    for (const String& line : log)
        if (line.rfind("destroy", 0) == 0) bodies.push_back(line);
    EXPECT_EQ(
        bodies,
        (Lines{"destroy owner kind logged (destroying)", "destroy b kind special (destroying)",
               "destroy a kind logged (destroying)", "destroy c kind logged (destroying)"}));
}

TEST(Component, OwnerTellsEveryOwnedComponentIncludingTheOneConcerned) {
    auto owner = CreateUnowned<TLogged>("owner");
    auto* a = CreateComponent<TLogged>(owner.get(), "a");
    CreateComponent<TLogged>(owner.get(), "b");
    Take();
    auto* c = CreateComponent<TLogged>(owner.get(), "c");
    Lines inserted = Take();
    // The owner itself, then its components from the last to the first, c included.
    EXPECT_EQ(inserted, (Lines{"c +c", "b +c", "a +c", "owner +c", "create c kind logged"}));
    a->Free();
    Lines removed = Take();
    EXPECT_EQ(removed,
              (Lines{"destroy a kind logged (destroying)", "c -a", "b -a", "a -a", "owner -a"}));
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->Components(0)->Name(), "");
    EXPECT_EQ(c->ComponentIndex(), 1);
}

namespace {

// A control that points at a theme owned elsewhere and forgets it when told.
class TThemed : public TComponent {
    KORVID_CLASS(TThemed, TComponent)
    void SetTheme(TComponent* theme) {
        if (theme_) theme_->RemoveFreeNotification(this);
        theme_ = theme;
        if (theme_) theme_->FreeNotification(this);
    }
    void Notification(TComponent* AComponent, TOperation Operation) override {
        inherited::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == theme_) {
            theme_ = nullptr;
            ++forgotten_;
        }
    }
    TComponent* theme_ = nullptr;
    int forgotten_ = 0;
};

} // namespace

TEST(Component, FreeNotificationAcrossOwners) {
    auto formX = CreateUnowned<TComponent>();
    auto formY = CreateUnowned<TComponent>();
    auto* theme = CreateComponent<TComponent>(formX.get());
    auto* control = CreateComponent<TThemed>(formY.get());
    control->SetTheme(theme);
    EXPECT_TRUE(theme->ComponentState().Contains(csFreeNotification));
    theme->Free();
    EXPECT_EQ(control->theme_, nullptr);
    EXPECT_EQ(control->forgotten_, 1);

    // The link runs both ways: a control that goes first leaves nothing dangling behind.
    auto* theme2 = CreateComponent<TComponent>(formX.get());
    auto* control2 = CreateComponent<TThemed>(formY.get());
    control2->SetTheme(theme2);
    control2->Free();
    theme2->Free(); // would touch the freed control if the link were still there

    // Removed notification: nothing is heard.
    auto* theme3 = CreateComponent<TComponent>(formX.get());
    control->SetTheme(theme3);
    control->SetTheme(nullptr);
    theme3->Free();
    EXPECT_EQ(control->forgotten_, 1);

    // Freeing the theme's whole form reaches the control on the other form as well.
    control->SetTheme(CreateComponent<TComponent>(formX.get()));
    formX.reset();
    EXPECT_EQ(control->theme_, nullptr);
    EXPECT_EQ(control->forgotten_, 2);
}

TEST(Component, NamesAreIdentifiersUniqueInTheOwner) {
    auto owner = CreateUnowned<TComponent>();
    auto* a = CreateComponent<TComponent>(owner.get());
    auto* b = CreateComponent<TComponent>(owner.get());
    a->SetName("Button1");
    EXPECT_EQ(owner->FindComponent("button1"), a);
    EXPECT_EQ(owner->FindComponent("Button2"), nullptr);
    EXPECT_EQ(owner->FindComponent(""), nullptr);
    EXPECT_THROW(b->SetName("BUTTON1"), EComponentError);
    EXPECT_EQ(b->Name(), "");
    for (const char* bad : {"1x", "a b", "x-y"})
        EXPECT_THROW(b->SetName(bad), EComponentError) << bad;
    b->SetName("Button2");
    a->SetName("Button1"); // the same name again is no clash with itself
    a->SetName("");
    b->SetName("Button1");
    EXPECT_EQ(owner->FindComponent("Button1"), b);
    a->SetTag(-7);
    EXPECT_EQ(a->Tag(), -7);
}

TEST(Component, ClassNameAndInheritsFrom) {
    auto s = CreateUnowned<TSpecial>("s");
    EXPECT_EQ(s->ClassName(), "TSpecial");
    EXPECT_TRUE(s->ClassNameIs("TSpecial"));
    EXPECT_TRUE(s->InheritsFrom(TLogged::StaticClass()));
    EXPECT_TRUE(s->InheritsFrom(TComponent::StaticClass()));
    EXPECT_TRUE(s->InheritsFrom(TObject::StaticClass()));
    EXPECT_TRUE(s->InheritsFrom<TLogged>());
    auto plain = CreateUnowned<TLogged>("p");
    EXPECT_FALSE(plain->InheritsFrom(TSpecial::StaticClass()));
    EXPECT_FALSE(plain->InheritsFrom<TSpecial>());
    EXPECT_EQ(TSpecial::StaticClass().Parent(), &TLogged::StaticClass());
    EXPECT_EQ(TSpecial::StaticClass().Name(), "TSpecial");
    EXPECT_FALSE(s->ComponentState().Contains(csDesigning));
}

namespace {

class TFailing : public TComponent {
    KORVID_CLASS(TFailing, TComponent)
    explicit TFailing(bool* destroyed) : destroyed_(destroyed) {}
    void Create(TComponent* AOwner) override {
        inherited::Create(AOwner);
        throw EInvalidOperation("cannot make this one");
    }
    void Destroy() override {
        *destroyed_ = true;
        inherited::Destroy();
    }
    bool* destroyed_;
};

} // namespace

TEST(Component, FailedCreationRunsTheDestructionBodyAndLeavesTheOwner) {
    auto owner = CreateUnowned<TComponent>();
    bool destroyed = false;
    EXPECT_THROW(CreateComponent<TFailing>(owner.get(), &destroyed), EInvalidOperation);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(owner->ComponentCount(), 0);
}

namespace {

// A component whose property setter looks at the loading state, as a check box's does when
// it decides whether to raise its click event.
class TProbe : public TLogged {
    KORVID_CLASS(TProbe, TLogged)
    using TLogged::TLogged;
    void SetChecked(bool value) {
        checked_ = value;
        setWhileLoading_ =
            ComponentState().Contains(csLoading) && ComponentState().Contains(csReading);
        if (!ComponentState().Contains(csLoading)) ++clicks_;
    }
    void Loaded() override {
        readingAtLoaded_ = ComponentState().Contains(csReading);
        inherited::Loaded();
    }
    bool checked_ = false;
    bool setWhileLoading_ = false;
    bool readingAtLoaded_ = true;
    int clicks_ = 0;
};

} // namespace

TEST(Component, LoadingScopeSetsStateThenCallsLoadedInCreationOrder) {
    journal.clear();
    auto form = CreateUnowned<TProbe>("form");
    TProbe* box = nullptr;
    TProbe* inner = nullptr;
    LoadComponents(form.get(), [&] {
        EXPECT_TRUE(form->ComponentState().Contains(csLoading));
        CreateComponent<TLogged>(form.get(), "label");
        box = CreateComponent<TProbe>(form.get(), "box");
        EXPECT_TRUE(box->ComponentState().Contains(csLoading));
        box->SetChecked(true);
        inner = CreateComponent<TProbe>(box, "inner");        // owned further down: read as well
        CreateComponent<TLogged>(form.get(), "gone")->Free(); // freed before loading ends
    });
    Lines loaded;
    for (const String& line : Take())
        if (line.rfind("loaded", 0) == 0) loaded.push_back(line);
    EXPECT_EQ(loaded, (Lines{"loaded form", "loaded label", "loaded box", "loaded inner"}));
    EXPECT_TRUE(box->setWhileLoading_);
    EXPECT_EQ(box->clicks_, 0);
    EXPECT_FALSE(box->readingAtLoaded_);
    EXPECT_FALSE(box->ComponentState().Contains(csLoading));
    EXPECT_FALSE(inner->ComponentState().Contains(csLoading));
    // After loading, the same setter behaves as in running code.
    box->SetChecked(false);
    EXPECT_EQ(box->clicks_, 1);
    auto* later = CreateComponent<TProbe>(form.get(), "later");
    EXPECT_FALSE(later->ComponentState().Contains(csLoading));
}

TEST(Component, LoadingScopeLeftByAnExceptionOnlyClearsTheFlags) {
    journal.clear();
    auto form = CreateUnowned<TProbe>("form");
    TProbe* box = nullptr;
    EXPECT_THROW(LoadComponents(form.get(),
                                [&] {
                                    box = CreateComponent<TProbe>(form.get(), "box");
                                    throw EReadError("bad property");
                                }),
                 EReadError);
    for (const String& line : Take())
        EXPECT_NE(line.rfind("loaded", 0), 0u) << line;
    EXPECT_TRUE(form->ComponentState().Empty());
    EXPECT_TRUE(box->ComponentState().Empty());
}

// Actions: what a linked control takes from its action and when, a click running the action,
// the update at idle, and links and lists letting go of what is freed.
#include "ControlTestUtil.h"

#include "framework/Actions.h"
#include "framework/ImageList.h"
#include "framework/Panel.h"
#include "platform/user/User.h"
#include "rtl/Conversion.h"

namespace {

class Actions : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        action_ = CreateComponent<TAction>(form_);
        action_->SetCaption("&Capture");
        action_->SetHint("Takes the frames");
        action_->OnExecute = [this](TObject* Sender) {
            ++runs_;
            runFor_ = static_cast<TBasicAction*>(Sender)->ActionComponent();
        };
        panel_ = CreateComponent<TPanel>(form_);
        panel_->SetParent(form_);
        panel_->SetBounds(10, 10, 100, 40);
    }
    // One pass of the message loop that finds nothing to do and idles.
    void Idle() {
        app_->OnIdle = [this](TObject*, bool&) { PostMessage(form_->Handle(), WM_NULL, 0, 0); };
        app_->HandleMessage();
        app_->OnIdle = nullptr;
        Pump();
    }

    TAction* action_ = nullptr;
    TPanel* panel_ = nullptr;
    int runs_ = 0;
    TComponent* runFor_ = nullptr;
};

TEST_F(Actions, ALinkedControlShowsTheActionAndFollowsItsChanges) {
    panel_->SetAction(action_);
    EXPECT_EQ(panel_->Action(), action_);
    EXPECT_EQ(panel_->Caption(), "&Capture");
    EXPECT_EQ(panel_->Hint(), "Takes the frames");
    EXPECT_TRUE(panel_->Enabled());
    action_->SetCaption("Stop");
    action_->SetEnabled(false);
    action_->SetVisible(false);
    EXPECT_EQ(panel_->Caption(), "Stop");
    EXPECT_FALSE(panel_->Enabled());
    EXPECT_FALSE(panel_->Visible());
    // Unlinked, the control keeps what it has and hears of the action no more.
    panel_->SetAction(nullptr);
    action_->SetCaption("Again");
    EXPECT_EQ(panel_->Caption(), "Stop");
}

TEST_F(Actions, ControlsReadFromAFormKeepWhatWasStoredForThem) {
    panel_->SetCaption("Stored");
    LoadComponents(panel_, [&] { panel_->SetAction(action_); });
    EXPECT_EQ(panel_->Caption(), "Stored") << "a caption of its own is kept";
    EXPECT_EQ(panel_->Hint(), "Takes the frames") << "an empty hint takes the action's";
}

TEST_F(Actions, AClickRunsTheActionUnlessOnClickIsSetOrTheActionIsDisabled) {
    panel_->SetAction(action_);
    panel_->Click();
    EXPECT_EQ(runs_, 1);
    EXPECT_EQ(runFor_, panel_) << "the action knew which control ran it";
    EXPECT_EQ(action_->ActionComponent(), nullptr);
    action_->SetEnabled(false);
    EXPECT_FALSE(action_->Execute());
    // The action's update may enable it again just before it runs.
    action_->OnUpdate = [this](TObject*) { action_->SetEnabled(true); };
    panel_->SetEnabled(true);
    panel_->Click();
    EXPECT_EQ(runs_, 2);
    int clicks = 0;
    panel_->OnClick = [&](TObject*) { ++clicks; };
    panel_->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(runs_, 2);
}

TEST_F(Actions, IdleUpdatesTheActionsOfShownFormsVisibleControls) {
    auto* hidden = CreateComponent<TAction>(form_);
    hidden->SetVisible(false); // and so is the control that shows it
    auto* other = CreateComponent<TPanel>(form_);
    other->SetParent(panel_);
    other->SetAction(hidden);
    ASSERT_FALSE(other->Visible());
    panel_->SetAction(action_);
    int updates = 0, hiddenUpdates = 0;
    action_->OnUpdate = [&](TObject*) {
        ++updates;
        action_->SetCaption("Updated " + IntToStr(updates));
    };
    hidden->OnUpdate = [&](TObject*) { ++hiddenUpdates; };
    Idle();
    EXPECT_EQ(updates, 0) << "the form is not shown";
    ShowForm();
    Idle();
    EXPECT_GE(updates, 1);
    EXPECT_EQ(panel_->Caption(), "Updated " + IntToStr(updates));
    EXPECT_EQ(hiddenUpdates, 0) << "an invisible control's action waits";
}

TEST_F(Actions, FreedActionsListsAndImagesAreLetGo) {
    auto* list = CreateComponent<TActionList>(form_);
    auto* images = CreateComponent<TImageList>(form_);
    list->SetImages(images);
    action_->SetActionList(list);
    ASSERT_EQ(list->ActionCount(), 1);
    EXPECT_EQ(list->Actions(0), action_);
    EXPECT_THROW(list->Actions(1), EListError);
    EXPECT_EQ(GetObjectProp(list, "Images"), images);
    images->Free();
    EXPECT_EQ(list->Images(), nullptr);
    panel_->SetAction(action_);
    action_->Free();
    EXPECT_EQ(panel_->Action(), nullptr);
    EXPECT_EQ(list->ActionCount(), 0);
    panel_->Click(); // nothing left to run
    // A list freed before its actions leaves them without one.
    auto* second = CreateComponent<TAction>(form_);
    second->SetActionList(list);
    list->Free();
    EXPECT_EQ(second->ActionList(), nullptr);
}

} // namespace

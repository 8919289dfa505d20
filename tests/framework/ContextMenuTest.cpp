// A control's PopupMenu: a right click or the menu key opens it at the pointer; controls
// without one leave the request to their parent; a freed menu is forgotten.
#include "ControlTestUtil.h"
#include "framework/Menus.h"
#include "platform/user/User.h"

#include <gtest/gtest.h>

namespace {

// Records where it was asked to open instead of tracking.
class TRecordingPopup : public TPopupMenu {
    KORVID_CLASS(TRecordingPopup, TPopupMenu)

public:
    std::vector<TPoint> shown;
    std::vector<TComponent*> shownFor;
    void Popup(int X, int Y) override {
        shown.push_back(Point(X, Y));
        shownFor.push_back(PopupComponent());
    }
};

class ContextMenu : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        panel_ = CreateComponent<TWinProbe>(form_);
        panel_->SetParent(form_);
        panel_->SetBounds(10, 10, 200, 150);
        probe_ = CreateComponent<TProbe>(form_);
        probe_->SetParent(panel_);
        probe_->SetBounds(20, 20, 50, 40);
        menu_ = CreateComponent<TRecordingPopup>(form_);
        ShowForm();
    }
    headless::HeadlessBackend& screen() { return *session_; }

    TWinProbe* panel_ = nullptr;
    TProbe* probe_ = nullptr;
    TRecordingPopup* menu_ = nullptr;
};

TEST_F(ContextMenu, RightClickOpensTheMenuAtThePointer) {
    struct Case {
        const char* name;
        TControl* owner;      // the control given the menu
        int x, y;             // the click, screen coordinates
        TComponent* expected; // nullptr: no menu
    };
    // The form lies at (100, 100); the panel at (110, 110); the probe at (130, 130).
    const Case cases[] = {
        {"on the non-windowed control itself", probe_, 135, 140, probe_},
        {"inherited from the windowed parent", panel_, 135, 140, probe_},
        {"on the parent outside the child", panel_, 250, 200, panel_},
        {"up to the form", form_, 135, 140, probe_},
        {"no menu anywhere", nullptr, 135, 140, nullptr},
    };
    for (const Case& c : cases) {
        for (TControl* ctl : std::initializer_list<TControl*>{probe_, panel_, form_})
            ctl->SetPopupMenu(nullptr);
        if (c.owner) c.owner->SetPopupMenu(menu_);
        menu_->shown.clear();
        menu_->shownFor.clear();
        screen().Click(c.x, c.y, user::native::Button::Right);
        Pump();
        if (!c.expected) {
            EXPECT_TRUE(menu_->shown.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(menu_->shown.size(), 1u) << c.name;
        EXPECT_EQ(menu_->shown[0], Point(c.x, c.y)) << c.name;
        // The component is the control that was clicked, as far as the menu's owner reaches.
        EXPECT_TRUE(menu_->shownFor[0] == c.expected || menu_->shownFor[0] == c.owner) << c.name;
    }
}

TEST_F(ContextMenu, LeftClicksOpenNothing) {
    probe_->SetPopupMenu(menu_);
    screen().Click(135, 140);
    Pump();
    EXPECT_TRUE(menu_->shown.empty());
}

TEST_F(ContextMenu, MenuKeyOpensTheFocusedControlsMenuAtThePointer) {
    panel_->SetPopupMenu(menu_);
    panel_->SetFocus();
    screen().MovePointer(300, 250);
    screen().PressKey(VK_APPS);
    Pump();
    ASSERT_EQ(menu_->shown.size(), 1u);
    EXPECT_EQ(menu_->shown[0], Point(300, 250));
    EXPECT_EQ(menu_->shownFor[0], panel_);
    screen().PressKey(VK_F10, /*shift=*/true);
    Pump();
    EXPECT_EQ(menu_->shown.size(), 2u);
    screen().PressKey(VK_F10); // plain F10 is no context request
    Pump();
    EXPECT_EQ(menu_->shown.size(), 2u);
}

TEST_F(ContextMenu, AFreedMenuIsForgotten) {
    probe_->SetPopupMenu(menu_);
    panel_->SetPopupMenu(menu_);
    menu_->Free();
    EXPECT_EQ(probe_->PopupMenu(), nullptr);
    EXPECT_EQ(panel_->PopupMenu(), nullptr);
    screen().Click(135, 140, user::native::Button::Right); // must not reach the freed menu
    Pump();
}

TEST_F(ContextMenu, AControlFreedByItsMouseUpHandlerOpensNothing) {
    probe_->SetPopupMenu(menu_);
    probe_->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) {
        // The handler goes with the control: nothing of it is used after the Free.
        TProbe* doomed = probe_;
        probe_ = nullptr;
        doomed->Free();
    };
    screen().Click(135, 140, user::native::Button::Right);
    Pump();
    EXPECT_EQ(probe_, nullptr);
    EXPECT_TRUE(menu_->shown.empty());
}

} // namespace

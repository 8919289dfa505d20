// Dragging one control onto another inside the program, and the context popup event.
#include "framework/ControlTestUtil.h"
#include "framework/Menus.h"
#include "framework/Panel.h"
#include "platform/user/User.h"

#include <string>

namespace {

const char* StateLetter(TDragState state) {
    return state == dsDragEnter ? "E" : state == dsDragMove ? "M" : "L";
}

class DragDropTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        // Form at (100, 100): source on the left, a target that takes drops in the middle, one
        // that refuses them on the right.
        source_ = Make(10);
        taker_ = Make(110);
        refuser_ = Make(210);
        source_->OnEndDrag = [this](TObject* sender, TObject* target, int x, int y) {
            EXPECT_EQ(sender, source_);
            Log("end " + Name(target) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        taker_->OnDragOver = [this](TObject*, TObject* source, int x, int y, TDragState state,
                                    bool& accept) {
            EXPECT_TRUE(accept);
            Log(std::string("over ") + StateLetter(state) + " " + Name(source) + " " +
                std::to_string(x) + "," + std::to_string(y));
        };
        refuser_->OnDragOver = [this](TObject*, TObject*, int, int, TDragState state,
                                      bool& accept) {
            accept = false;
            if (state == dsDragEnter) Log("refused");
        };
        taker_->OnDragDrop = [this](TObject* sender, TObject* source, int x, int y) {
            EXPECT_EQ(sender, taker_);
            Log("drop " + Name(source) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        ShowForm();
    }
    TPanel* Make(int left) {
        TPanel* p = CreateComponent<TPanel>(form_);
        p->SetParent(form_);
        p->SetBounds(left, 10, 80, 80);
        return p;
    }
    std::string Name(TObject* o) const {
        if (!o) return "none";
        if (o == source_) return "source";
        if (o == taker_) return "taker";
        if (o == refuser_) return "refuser";
        return "other";
    }
    void Log(const std::string& line) { log_.push_back(line); }
    void MoveTo(int x, int y) {
        session_->MovePointer(x, y);
        Pump();
    }
    // A press on the source at (120, 140) whose handler begins a drag past the threshold.
    void PressOnSource() {
        source_->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) {
            source_->BeginDrag(false);
        };
        MoveTo(120, 140);
        session_->PressButton();
        Pump();
    }
    bool CursorIs(TCursor c) { return GetCursor() == CursorHandle(c); }

    TPanel* source_ = nullptr;
    TPanel* taker_ = nullptr;
    TPanel* refuser_ = nullptr;
    std::vector<std::string> log_;
};

TEST_F(DragDropTest, ADropOnAControlThatAcceptsReachesItAndTheSource) {
    PressOnSource();
    EXPECT_TRUE(source_->Dragging());
    MoveTo(123, 142); // within the threshold: nothing yet
    EXPECT_TRUE(log_.empty());
    MoveTo(330, 140); // over the one that refuses
    EXPECT_TRUE(CursorIs(crNoDrop));
    MoveTo(230, 140);
    EXPECT_TRUE(CursorIs(crDrag));
    MoveTo(240, 150);
    session_->ReleaseButton();
    Pump();
    EXPECT_FALSE(source_->Dragging());
    EXPECT_EQ(log_,
              (std::vector<std::string>{"refused", "over E source 20,30", "over M source 30,40",
                                        "drop source 30,40", "end taker 30,40"}));
    EXPECT_EQ(GetCapture(), 0u);
}

TEST_F(DragDropTest, EscARefusingTargetOrEndDragWithoutDropCancels) {
    enum Finish { PressEsc, Release, EndWithoutDrop };
    struct Case {
        const char* name;
        int x;
        Finish finish;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"Esc", 230, PressEsc, {"over E source 20,30", "over L source 20,30", "end none 0,0"}},
        {"released over a refusing target", 330, Release, {"refused", "end none 0,0"}},
        {"EndDrag(false)",
         230,
         EndWithoutDrop,
         {"over E source 20,30", "over L source 20,30", "end none 0,0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log_.clear();
        PressOnSource();
        MoveTo(c.x, 140);
        if (c.finish == PressEsc) session_->PressKey(VK_ESCAPE);
        if (c.finish == Release) session_->ReleaseButton();
        if (c.finish == EndWithoutDrop) source_->EndDrag(false);
        Pump();
        session_->ReleaseButton();
        Pump();
        EXPECT_FALSE(source_->Dragging());
        EXPECT_EQ(log_, c.log);
    }
}

TEST_F(DragDropTest, AutomaticModeDragsAtOnceAndTheStartCanGiveADragObject) {
    source_->SetDragMode(dmAutomatic);
    int downs = 0;
    source_->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
    TDragObject* carried = MakeObject<TDragObject>().release();
    source_->OnStartDrag = [&](TObject*, TDragObject*& object) { object = carried; };
    TObject* seen = nullptr;
    taker_->OnDragDrop = [&](TObject*, TObject* source, int, int) { seen = source; };
    MoveTo(120, 140);
    session_->PressButton();
    Pump();
    EXPECT_TRUE(source_->Dragging());
    EXPECT_EQ(downs, 0); // the press went to the drag
    MoveTo(230, 140);
    session_->ReleaseButton();
    Pump();
    EXPECT_EQ(seen, carried);
    carried->Free();
}

TEST_F(DragDropTest, ContextPopupComesFirstAndCanKeepTheMenuShut) {
    TPopupMenu* menu = CreateComponent<TPopupMenu>(form_);
    int shown = 0;
    menu->OnPopup = [&](TObject*) { ++shown; };
    taker_->SetPopupMenu(menu);
    TPoint at{-5, -5};
    bool handle = true;
    taker_->OnContextPopup = [&](TObject* sender, TPoint mouse, bool& handled) {
        EXPECT_EQ(sender, taker_);
        at = mouse;
        handled = handle;
    };
    session_->Click(225, 145, user::native::Button::Right);
    Pump();
    EXPECT_EQ(at, Point(15, 35));
    EXPECT_EQ(shown, 0);
    handle = false;
    session_->Click(225, 145, user::native::Button::Right);
    Pump();
    EXPECT_EQ(shown, 1);
}

} // namespace

#include "ControlTestUtil.h"

#include "framework/Memo.h"
#include "platform/user/Clipboard.h"
#include "platform/user/ScrollBar.h"
#include "platform/user/User.h"

namespace {

class MemoTest : public ControlFixture {
public:
    void SetUp() override {
        ControlFixture::SetUp();
        memo_ = CreateComponent<TMemo>(form_);
        memo_->SetBounds(10, 10, 200, 100);
        memo_->SetParent(form_);
        ShowForm();
        memo_->SetFocus();
        Pump();
    }
    SCROLLINFO VertInfo() {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        EXPECT_TRUE(GetScrollInfo(memo_->Handle(), SB_VERT, &si));
        return si;
    }
    SCROLLBARINFO BarInfo(LONG id) {
        SCROLLBARINFO bi;
        EXPECT_TRUE(GetScrollBarInfo(memo_->Handle(), id, &bi));
        return bi;
    }
    // n numbered lines through Lines.
    void Fill(int n) {
        memo_->Lines()->BeginUpdate();
        for (int i = 0; i < n; ++i)
            memo_->Lines()->Add("line " + std::to_string(i));
        memo_->Lines()->EndUpdate();
    }
    TMemo* memo_ = nullptr;
};

TEST_F(MemoTest, LinesAndTextAreOneText) {
    int changes = 0;
    memo_->OnChange = [&](TObject*) { ++changes; };
    memo_->Lines()->Add("one");
    memo_->Lines()->Add("two");
    EXPECT_EQ(memo_->Text(), "one\r\ntwo");
    EXPECT_EQ(changes, 2);
    memo_->Lines()->BeginUpdate();
    memo_->Lines()->Insert(0, "zero");
    memo_->Lines()->Delete(2);
    memo_->Lines()->EndUpdate();
    EXPECT_EQ(memo_->Text(), "zero\r\none");
    EXPECT_EQ(changes, 3);
    memo_->SetText("a\nb\r\nc\r\n");
    EXPECT_EQ(memo_->Lines()->Count(), 3);
    EXPECT_EQ(memo_->Lines()->Get(1), "b");
    EXPECT_THROW(memo_->Lines()->Get(3), EListError);
    memo_->Lines()->Clear();
    EXPECT_EQ(memo_->Text(), "");
}

TEST_F(MemoTest, EnterAndTabFollowWantReturnsAndWantTabs) {
    Type("a");
    Key(VK_RETURN);
    Type("b");
    EXPECT_EQ(memo_->Text(), "a\r\nb");
    Key(VK_TAB); // WantTabs is off: the tab moves on, nothing typed
    EXPECT_EQ(memo_->Text(), "a\r\nb");
    memo_->SetFocus();
    memo_->SetWantTabs(true);
    memo_->SetWantReturns(false);
    Key(VK_TAB);
    Key(VK_RETURN);
    EXPECT_EQ(memo_->Text(), "a\r\nb\t");
}

TEST_F(MemoTest, KeyboardNavigation) {
    memo_->SetText("abc\r\ndefgh\r\nij");
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> keys; // key, 1 shift / 2 ctrl / 3 both
        int selStart, selLength;
    };
    const Case cases[] = {
        {"ctrl+end", {{VK_END, 2}}, 14, 0},
        {"down keeps the column", {{VK_RIGHT, 0}, {VK_RIGHT, 0}, {VK_DOWN, 0}}, 7, 0},
        {"down past a short line", {{VK_END, 0}, {VK_DOWN, 0}, {VK_DOWN, 0}}, 14, 0},
        {"end of line", {{VK_DOWN, 0}, {VK_END, 0}}, 10, 0},
        {"shift+down selects a line", {{VK_DOWN, 1}}, 0, 5},
        {"ctrl+shift+end selects all", {{VK_END, 3}}, 0, 14},
        {"right crosses the break", {{VK_END, 0}, {VK_RIGHT, 0}}, 5, 0},
        {"page down to the last line", {{VK_NEXT, 0}}, 12, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Key(VK_HOME, false, true);
        for (auto [k, m] : c.keys)
            Key(k, (m & 1) != 0, (m & 2) != 0);
        EXPECT_EQ(memo_->SelStart(), c.selStart);
        EXPECT_EQ(memo_->SelLength(), c.selLength);
    }
}

TEST_F(MemoTest, ScrollInfoFollowsTyping) {
    EXPECT_EQ(BarInfo(OBJID_VSCROLL).rgstate[0], STATE_SYSTEM_INVISIBLE);
    memo_->SetScrollBars(ssVertical);
    EXPECT_TRUE(GetWindowLong(memo_->Handle(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(memo_->ClientWidth(), 200 - 2 - GetSystemMetrics(SM_CXVSCROLL));
    // A text that fits: the bar shows but has nothing to scroll.
    Type("first");
    SCROLLBARINFO bi = BarInfo(OBJID_VSCROLL);
    EXPECT_EQ(bi.rgstate[0], STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(bi.xyThumbTop, bi.xyThumbBottom);
    for (int i = 0; i < 19; ++i) {
        Key(VK_RETURN);
        Type("x");
    }
    SCROLLINFO si = VertInfo();
    int page = static_cast<int>(si.nPage);
    ASSERT_GT(page, 1);
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 19);        // 20 lines
    EXPECT_EQ(si.nPos, 20 - page); // the caret's line is the last one shown
    EXPECT_EQ(memo_->TopLine(), 20 - page);
    bi = BarInfo(OBJID_VSCROLL);
    EXPECT_EQ(bi.rgstate[0], 0u);
    EXPECT_GT(bi.xyThumbBottom - bi.xyThumbTop, 0);
    EXPECT_GE(bi.xyThumbTop, bi.dxyLineButton);
    Key(VK_HOME, false, true);
    EXPECT_EQ(VertInfo().nPos, 0);
    memo_->SetEnabled(false);
    EXPECT_EQ(BarInfo(OBJID_VSCROLL).rgstate[0], STATE_SYSTEM_UNAVAILABLE);
}

TEST_F(MemoTest, WheelThumbPositionAndArrowScroll) {
    memo_->SetScrollBars(ssBoth);
    Fill(40);
    Key(VK_HOME, false, true);
    session_->MovePointer(150, 150);
    session_->Wheel(-WHEEL_DELTA);
    Pump();
    EXPECT_EQ(memo_->TopLine(), 3);
    EXPECT_EQ(VertInfo().nPos, 3);
    session_->Wheel(2 * WHEEL_DELTA);
    Pump();
    EXPECT_EQ(memo_->TopLine(), 0);
    memo_->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 20), 0);
    EXPECT_EQ(memo_->TopLine(), 20);
    EXPECT_EQ(VertInfo().nPos, 20);
    memo_->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1000), 0); // clamped to the end
    EXPECT_EQ(memo_->TopLine(), 40 - static_cast<int>(VertInfo().nPage));
    // A click on the bar's up arrow scrolls one line back.
    int before = memo_->TopLine();
    RECT bar = BarInfo(OBJID_VSCROLL).rcScrollBar;
    session_->Click(bar.left + 5, bar.top + 5);
    Pump();
    EXPECT_EQ(memo_->TopLine(), before - 1);
}

TEST_F(MemoTest, ReadOnlyStillSelectsCopiesAndScrolls) {
    memo_->SetScrollBars(ssVertical);
    Fill(30);
    memo_->SetReadOnly(true);
    Key(VK_HOME, false, true);
    Type("x");
    Key(VK_RETURN);
    Key(VK_DELETE);
    EXPECT_EQ(memo_->Lines()->Count(), 30);
    EXPECT_EQ(memo_->Lines()->Get(0), "line 0");
    Key(VK_DOWN, true);
    Key('C', false, true);
    ASSERT_TRUE(OpenClipboard(0));
    HANDLE h = GetClipboardData(CF_TEXT);
    String copied = h ? static_cast<const char*>(GlobalLock(h)) : "";
    if (h) GlobalUnlock(h);
    CloseClipboard();
    EXPECT_EQ(copied, "line 0\r\n");
    session_->MovePointer(150, 150);
    session_->Wheel(-WHEEL_DELTA);
    Pump();
    EXPECT_EQ(memo_->TopLine(), 3);
    Key(VK_END, false, true);
    EXPECT_EQ(VertInfo().nPos, 30 - static_cast<int>(VertInfo().nPage));
}

TEST_F(MemoTest, WordWrapBreaksAtTheRectangle) {
    memo_->SetText("several words that together are far wider than the memo is");
    EXPECT_GT(memo_->LineCount(), 1);
    EXPECT_EQ(memo_->Lines()->Count(), 1);
    EXPECT_EQ(memo_->ScrollX(), 0);
    memo_->SetWordWrap(false);
    EXPECT_EQ(memo_->LineCount(), 1);
    memo_->SetFocus();
    Key(VK_END, false, true);
    EXPECT_GT(memo_->ScrollX(), 0);
}

TEST_F(MemoTest, BarsPaintInsideTheBorder) {
    memo_->SetScrollBars(ssVertical);
    memo_->SetText("Text");
    Pump();
    HWND h = memo_->Handle();
    RECT wr;
    GetWindowRect(h, &wr);
    RECT bar = BarInfo(OBJID_VSCROLL).rcScrollBar;
    EXPECT_EQ(bar.right, wr.right - 1); // right against the one-pixel frame
    // The track, midway down the bar, in window coordinates.
    int bx = (bar.left + bar.right) / 2 - wr.left, by = (bar.top + bar.bottom) / 2 - wr.top;
    EXPECT_EQ(headless::HeadlessBackend::WindowFramePixel(h, bx, by), RGB(240, 240, 240));
    // The text's first letter has dark pixels.
    TRect r = memo_->TextRect();
    bool dark = false;
    for (int y = r.top; y < r.top + 14 && !dark; ++y)
        for (int x = r.left; x < r.left + 8 && !dark; ++x)
            dark = (headless::HeadlessBackend::WindowPixel(h, x, y) & 0xFF) < 80;
    EXPECT_TRUE(dark);
}

} // namespace

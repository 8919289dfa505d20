#include "WindowTestUtil.h"

#include "platform/user/NativeEvents.h"
#include "platform/user/OutsideCalls.h"

namespace usertest {
namespace {

using InputTest = WindowTest;
using headless::HeadlessBackend;

TEST_F(InputTest, ClickGoesToTheDeepestChildInClientCoordinates) {
    HWND top = Top(100, 100, 80, 60);
    HWND child = Child(top, 10, 20, 30, 20);
    Pump();
    ClearLog();
    session->Click(115, 125);
    Pump();
    auto downs = Received(child, WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].lParam, MAKELPARAM(5, 5));
    EXPECT_EQ(downs[0].wParam & MK_LBUTTON, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(Received(child, WM_LBUTTONUP).size(), 1u);
    EXPECT_TRUE(Received(top, WM_LBUTTONDOWN).empty());
    EXPECT_EQ(GetActiveWindow(), top);
}

TEST_F(InputTest, CaptureTakesMovesOutsideAndReleaseTellsTheLoser) {
    HWND top = Top(100, 100, 80, 60);
    HWND child = Child(top, 10, 10, 20, 20);
    Pump();
    SetCapture(child);
    EXPECT_EQ(session->PointerGrab(), top);
    ClearLog();
    session->MovePointer(50, 50); // outside every window of ours
    Pump();
    auto moves = Received(child, WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(static_cast<SHORT>(LOWORD(moves[0].lParam)), 50 - 110);
    EXPECT_EQ(static_cast<SHORT>(HIWORD(moves[0].lParam)), 50 - 110);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), 0u);
    EXPECT_EQ(session->PointerGrab(), 0u);
    EXPECT_EQ(Received(child, WM_CAPTURECHANGED).size(), 1u);
}

TEST_F(InputTest, FocusMovesWithKillThenSetAndRefusesDisabledOrHidden) {
    HWND top = Top(0, 0, 80, 60);
    HWND a = Child(top, 0, 0, 10, 10);
    HWND b = Child(top, 20, 0, 10, 10);
    HWND hidden = CreateWindowEx(0, kClass, "", WS_CHILD, 0, 0, 5, 5, top, 0, 0, nullptr);
    Pump();
    SetFocus(a);
    ClearLog();
    EXPECT_EQ(SetFocus(b), a);
    EXPECT_EQ(GetFocus(), b);
    EXPECT_EQ(Messages(0, {WM_KILLFOCUS, WM_SETFOCUS}),
              (std::vector<UINT>{WM_KILLFOCUS, WM_SETFOCUS}));
    EXPECT_EQ(Log()[0].hwnd, a);
    EXPECT_EQ(Received(b, WM_SETFOCUS)[0].wParam, static_cast<WPARAM>(a));
    EXPECT_EQ(SetFocus(hidden), 0u);
    EXPECT_EQ(GetFocus(), b);
    // Disabling a window takes the focus from it and its descendants.
    EnableWindow(b, FALSE);
    EXPECT_EQ(GetFocus(), 0u);
    EXPECT_EQ(SetFocus(b), 0u);
}

TEST_F(InputTest, DisabledAncestorPassesClicksToItsParent) {
    HWND top = Top(0, 0, 100, 100);
    HWND panel = Child(top, 10, 10, 60, 60);
    HWND button = Child(panel, 10, 10, 20, 20);
    Pump();
    EnableWindow(panel, FALSE);
    ClearLog();
    session->Click(25, 25); // over the button inside the disabled panel
    Pump();
    EXPECT_TRUE(Received(button, WM_LBUTTONDOWN).empty());
    EXPECT_TRUE(Received(panel, WM_LBUTTONDOWN).empty());
    EXPECT_EQ(Received(top, WM_LBUTTONDOWN).size(), 1u);
}

TEST_F(InputTest, DisabledTopLevelTakesNoInputAndBeeps) {
    HWND top = Top(0, 0, 100, 100);
    Pump();
    EnableWindow(top, FALSE);
    ClearLog();
    session->ClearCalls();
    session->Click(5, 5);
    Pump();
    EXPECT_TRUE(Received(top, WM_LBUTTONDOWN).empty());
    ASSERT_EQ(session->Calls().size(), 1u);
    EXPECT_EQ(session->Calls()[0].kind, headless::RecordedCall::Kind::Beep);
}

// The desktop gave the disabled window the focus, or the user clicked it: the window it
// waits for comes back to the front and takes the keyboard, through an owner chain too.
TEST_F(InputTest, AWindowWaitingForAModalOneHandsItTheActivation) {
    HWND main = Top(0, 0, 200, 200);
    HWND dialog = Top(300, 0, 100, 100);
    HWND box = Top(300, 150, 100, 50);
    SetWindowLongPtr(dialog, GWLP_HWNDPARENT, static_cast<LONG_PTR>(main));
    SetWindowLongPtr(box, GWLP_HWNDPARENT, static_cast<LONG_PTR>(dialog));
    EnableWindow(main, FALSE);
    EnableWindow(dialog, FALSE);
    SetActiveWindow(box);
    Pump();
    user::native::ActivationChanged(box, false);
    EXPECT_EQ(GetActiveWindow(), 0u);
    user::native::ActivationChanged(main, true);
    EXPECT_EQ(GetActiveWindow(), box);
    SetActiveWindow(0);
    session->Click(5, 5);
    Pump();
    EXPECT_EQ(GetActiveWindow(), box);
    EXPECT_TRUE(Received(main, WM_LBUTTONDOWN).empty());
    // With the dialog enabled again and the box disabled, the dialog is the one waited for.
    EnableWindow(dialog, TRUE);
    SetActiveWindow(dialog);
    EnableWindow(box, FALSE);
    SetActiveWindow(0);
    session->Click(5, 5);
    Pump();
    EXPECT_EQ(GetActiveWindow(), dialog);
}

TEST_F(InputTest, TypingGivesKeyDownCharKeyUpAndKeyStateFollowsTheQueue) {
    HWND top = Top(0, 0, 50, 50);
    Pump();
    SetFocus(top);
    SHORT stateAtDown = 0;
    HookFn() = [&](HWND, UINT msg, WPARAM vk, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_KEYDOWN && vk == 'B') stateAtDown = GetKeyState(VK_SHIFT);
        return std::nullopt;
    };
    ClearLog();
    session->TypeText("aB");
    Pump();
    std::vector<UINT> keys = Messages(top, {WM_KEYDOWN, WM_KEYUP, WM_CHAR});
    EXPECT_EQ(keys, (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYDOWN, WM_KEYDOWN,
                                       WM_CHAR, WM_KEYUP, WM_KEYUP}));
    auto chars = Received(top, WM_CHAR);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>('a'));
    EXPECT_EQ(chars[1].wParam, static_cast<WPARAM>('B'));
    EXPECT_LT(stateAtDown, 0);           // Shift was down as of that message
    EXPECT_GE(GetKeyState(VK_SHIFT), 0); // and is up now
}

TEST_F(InputTest, AltLetterIsASystemCharAndTextWithoutKeysArrivesAsChars) {
    HWND top = Top(0, 0, 50, 50);
    Pump();
    SetFocus(top);
    ClearLog();
    session->PressKey('X', false, false, true);
    session->TypeText("\xC3\xA9"); // e acute
    Pump();
    auto sys = Received(top, WM_SYSCHAR);
    ASSERT_EQ(sys.size(), 1u);
    EXPECT_EQ(sys[0].wParam, static_cast<WPARAM>('x'));
    EXPECT_EQ(Received(top, WM_SYSKEYDOWN).size(), 2u); // Alt and X
    auto chars = Received(top, WM_CHAR);
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].wParam, 0xE9u);
}

TEST_F(InputTest, DoubleClickOnlyForClassesThatAskForIt) {
    HWND top = Top(0, 0, 100, 50);
    HWND plain = Child(top, 0, 0, 40, 40);
    HWND dbl = Child(top, 50, 0, 40, 40, 0, kDblClass);
    Pump();
    ClearLog();
    session->DoubleClick(10, 10);
    session->DoubleClick(60, 10);
    Pump();
    EXPECT_EQ(Messages(plain, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
    EXPECT_EQ(Messages(dbl, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}));
}

TEST_F(InputTest, MouseLeaveComesOnceThePointerLeavesTheTrackedWindow) {
    HWND top = Top(0, 0, 100, 50);
    HWND a = Child(top, 0, 0, 40, 40);
    Pump();
    session->MovePointer(10, 10);
    Pump();
    TRACKMOUSEEVENT t;
    t.dwFlags = TME_LEAVE;
    t.hwndTrack = a;
    ASSERT_TRUE(TrackMouseEvent(&t));
    session->MovePointer(20, 20);
    Pump();
    EXPECT_TRUE(Received(a, WM_MOUSELEAVE).empty());
    session->MovePointer(80, 10);
    Pump();
    EXPECT_EQ(Received(a, WM_MOUSELEAVE).size(), 1u);
    session->MovePointer(300, 300);
    Pump();
    EXPECT_EQ(Received(a, WM_MOUSELEAVE).size(), 1u);
}

TEST_F(InputTest, CaptionHitLetsTheDesktopMoveTheWindow) {
    HWND top = Top(100, 100, 80, 60);
    HookFn() = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_NCHITTEST) return HTCAPTION;
        return std::nullopt;
    };
    Pump();
    session->MovePointer(110, 110);
    session->PressButton();
    Pump();
    EXPECT_EQ(session->MoveSizeRequests(), 1);
    EXPECT_EQ(session->LastMoveSizeHit(), HTCAPTION);
    ClearLog();
    session->MovePointer(130, 150);
    session->ReleaseButton();
    Pump();
    RECT r;
    GetWindowRect(top, &r);
    EXPECT_EQ(r, (RECT{120, 140, 200, 200}));
    auto moves = Received(top, WM_MOVE);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back().lParam, MAKELPARAM(120, 140));
}

TEST_F(InputTest, CursorComesFromTheClassOverTheClientArea) {
    WNDCLASS wc;
    wc.lpfnWndProc = DefWindowProc;
    wc.hCursor = LoadCursor(0, IDC_HAND);
    wc.lpszClassName = "UserTestHand";
    RegisterClass(&wc);
    HWND top = Top(0, 0, 100, 50);
    CreateWindowEx(0, "UserTestHand", "", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, top, 0, 0, nullptr);
    Pump();
    session->MovePointer(5, 5);
    Pump();
    EXPECT_EQ(session->CursorShape(), 32649);
    EXPECT_EQ(CursorShapeId(GetCursor()), 32649);
    EXPECT_EQ(LoadCursor(0, MAKEINTRESOURCE(1)), 0u);
}

// --- requests that leave the program ---

TEST_F(InputTest, MessageBoxIsRecordedAndAnsweredFromTheScript) {
    HWND top = Top(0, 0, 50, 50);
    session->QueueMessageBoxAnswer(IDNO);
    EXPECT_EQ(MessageBox(top, "Save changes?", "Varnelo", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
    // Without a scripted answer: the default button.
    EXPECT_EQ(MessageBox(top, "Go on?", nullptr, MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    // An answer the box cannot give counts as closing it.
    session->QueueMessageBoxAnswer(IDRETRY);
    EXPECT_EQ(MessageBox(top, "x", "y", MB_YESNO), IDYES);
    ASSERT_EQ(session->Calls().size(), 3u);
    EXPECT_EQ(session->Calls()[0].text, "Save changes?");
    EXPECT_EQ(session->Calls()[0].caption, "Varnelo");
    EXPECT_EQ(session->Calls()[1].caption, "Error");
    EXPECT_EQ(session->Calls()[0].owner, top);
}

TEST_F(InputTest, DialogsAndShellCallsAreRecorded) {
    user::DialogAnswer yes;
    yes.accepted = true;
    yes.fileName = "/tmp/a.avi";
    session->QueueDialogAnswer(yes);
    session->QueueShellResult(false);
    user::DialogRequest d;
    d.kind = "save";
    d.title = "Save as";
    auto a = user::InterceptDialog(d);
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->accepted);
    EXPECT_EQ(a->fileName, "/tmp/a.avi");
    EXPECT_FALSE(user::InterceptDialog(d)->accepted); // unscripted: cancelled
    user::ShellRequest s;
    s.file = "https://example.org";
    EXPECT_EQ(user::InterceptShell(s), false);
    EXPECT_EQ(user::InterceptShell(s), true);
    ASSERT_EQ(session->Calls().size(), 4u);
    EXPECT_EQ(session->Calls()[2].kind, headless::RecordedCall::Kind::Shell);
    EXPECT_EQ(session->Calls()[2].text, "https://example.org");
}

} // namespace
} // namespace usertest

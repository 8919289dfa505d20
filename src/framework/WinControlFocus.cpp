// Focus, tab order and keyboard handling of windowed controls.
#include "framework/WinControl.h"

#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"

#include <algorithm>

namespace {
bool IsDialogKey(Word key) {
    switch (key) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_CANCEL:
        return true;
    default:
        return false;
    }
}
} // namespace

int TWinControl::TabOrder() const {
    if (!parent_) return -1;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int v) {
    if (!parent_) return;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    v = std::clamp(v, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + v, this);
}

void TWinControl::SetTabStop(bool v) {
    if (!AssignIfChanged(tabStop_, v)) return;
    if (handle_) {
        LONG style = GetWindowLong(handle_, GWL_STYLE);
        SetWindowLong(handle_, GWL_STYLE, v ? (style | WS_TABSTOP) : (style & ~LONG(WS_TABSTOP)));
    }
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

bool TWinControl::CanFocus() {
    for (TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    TWinControl* top = TopLevelParent();
    return top && top->Showing();
}

bool TWinControl::Focused() {
    return handle_ != 0 && GetFocus() == handle_;
}

void TWinControl::SetFocus() {
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    TWinControl* top = TopLevelParent();
    if (top && top != this && GetActiveWindow() != top->Handle()) SetActiveWindow(top->Handle());
    ::SetFocus(Handle());
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
    for (TWinControl* c : tabList_) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward,
                                          bool CheckTabStop, bool CheckParent) {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int n = static_cast<int>(list.size());
    int start = -1;
    for (int i = 0; i < n; ++i)
        if (list[static_cast<size_t>(i)] == CurControl) start = i;
    if (start < 0) start = GoForward ? n - 1 : 0;
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = GoForward ? (i + 1) % n : (i + n - 1) % n;
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c == CurControl) break;
        if (CheckTabStop && !c->TabStop()) continue;
        if (CheckParent && c->Parent() != this) continue;
        if (c->CanFocus()) return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
        c->SetFocus();
}

void TWinControl::SetFocusedControl(TWinControl* Control) {
    if (focusedControl_ == Control) return;
    TWinControl* old = focusedControl_;
    focusedControl_ = Control;
    if (old && ContainsControl(old)) old->Perform(CM_EXIT, 0, 0);
    // An exit handler may move the focus on again; then that move has done the rest.
    if (focusedControl_ != Control) return;
    if (Control) Control->Perform(CM_ENTER, 0, 0);
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
}

void TWinControl::HandleFocus(bool gained) {
    if (!gained) return;
    TWinControl* top = TopLevelParent();
    if (top && top != this) top->SetFocusedControl(this);
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

bool TWinControl::WantsKey(Word key) {
    LRESULT code = Perform(WM_GETDLGCODE, 0, 0);
    if (code & DLGC_WANTALLKEYS) return true;
    switch (key) {
    case VK_TAB:
        return (code & DLGC_WANTTAB) != 0;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        return (code & DLGC_WANTARROWS) != 0;
    default:
        return Perform(CM_WANTSPECIALKEY, key, 0) != 0;
    }
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::HandleKeyDown(TMessage& Message, bool sys) {
    Word key = static_cast<Word>(Message.WParam);
    TShiftState shift = KeyboardShiftState();
    TWinControl* top = TopLevelParent();
    if (top && top != this && top->PreviewKeyDown(key, shift)) return;
    if (key != 0) KeyDown(key, shift);
    if (key == 0) return;
    if (IsDialogKey(key) && top && !WantsKey(key)) {
        if (top->Perform(CM_DIALOGKEY, key, Message.LParam) != 0) return;
    }
    Message.WParam = key;
    (void)sys;
    DefaultHandler(Message);
}

void TWinControl::HandleKeyUp(TMessage& Message) {
    Word key = static_cast<Word>(Message.WParam);
    TShiftState shift = KeyboardShiftState();
    TWinControl* top = TopLevelParent();
    if (top && top != this && top->PreviewKeyUp(key, shift)) return;
    if (key != 0) KeyUp(key, shift);
    if (key == 0) return;
    Message.WParam = key;
    DefaultHandler(Message);
}

void TWinControl::HandleChar(TMessage& Message, bool sys) {
    TWinControl* top = TopLevelParent();
    if (sys) {
        // Alt+letter: the accelerators of the window's controls.
        if (top && top->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) {
            Message.Result = 1;
            return;
        }
        DefaultHandler(Message);
        return;
    }
    // WParam is a code point. KeyPress sees ASCII as itself and anything else as
    // kNonAsciiKeyPress; the code point goes on unless a handler ate or replaced it.
    WPARAM code = Message.WParam;
    const char seen = code < 0x80 ? static_cast<char>(code) : kNonAsciiKeyPress;
    char ch = seen;
    if (top && top != this && top->PreviewKeyPress(ch)) return;
    if (ch != 0) KeyPress(ch);
    if (ch == 0) return;
    if (ch != seen) code = static_cast<BYTE>(ch);
    LRESULT dlg = Perform(WM_GETDLGCODE, 0, 0);
    if (!(dlg & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) && top &&
        top->Perform(CM_DIALOGCHAR, code, Message.LParam) != 0)
        return;
    Message.WParam = code;
    DefaultHandler(Message);
}

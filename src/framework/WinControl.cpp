#include "framework/WinControl.h"

#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "platform/gdi/Rect.h"
#include "platform/kernel/Time.h"
#include "platform/user/Input.h"
#include "platform/user/User.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace {
std::unordered_map<HWND, TWinControl*>& WindowMap() {
    static std::unordered_map<HWND, TWinControl*> map;
    return map;
}

std::function<TCursor()>& ProgramCursorHook() {
    static std::function<TCursor()> hook;
    return hook;
}

void EnsureClass(const TCreateParams& params) {
    WNDCLASS wc;
    if (GetClassInfo(0, params.WinClassName.c_str(), &wc)) return;
    wc = WNDCLASS{};
    wc.style = params.ClassStyle;
    wc.lpfnWndProc = &TWinControl::MainWndProc;
    wc.hCursor = LoadCursor(0, IDC_ARROW);
    wc.hbrBackground = 0; // controls erase their own background
    wc.lpszClassName = params.WinClassName.c_str();
    if (!RegisterClass(&wc)) throw EOutOfResources("Error creating window class");
}

// A top-level control's Constraints become its window's track limits, so the desktop's sizing
// and maximising keep to them too.
void ConstrainMinMaxInfo(const TSizeConstraints& c, MINMAXINFO& info) {
    if (c.MinWidth > 0) info.ptMinTrackSize.x = std::max<LONG>(info.ptMinTrackSize.x, c.MinWidth);
    if (c.MinHeight > 0) info.ptMinTrackSize.y = std::max<LONG>(info.ptMinTrackSize.y, c.MinHeight);
    if (c.MaxWidth > 0) {
        info.ptMaxTrackSize.x = std::min<LONG>(info.ptMaxTrackSize.x, c.MaxWidth);
        info.ptMaxSize.x = std::min<LONG>(info.ptMaxSize.x, c.MaxWidth);
    }
    if (c.MaxHeight > 0) {
        info.ptMaxTrackSize.y = std::min<LONG>(info.ptMaxTrackSize.y, c.MaxHeight);
        info.ptMaxSize.y = std::min<LONG>(info.ptMaxSize.y, c.MaxHeight);
    }
}

bool IsMouseMessage(UINT msg) {
    return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL &&
           msg != WM_MOUSEHWHEEL;
}
} // namespace

TWinControl* TWinControl::FindControl(HWND hwnd) {
    auto& map = WindowMap();
    auto it = map.find(hwnd);
    return it == map.end() ? nullptr : it->second;
}

TWinControl* FindVCLWindow(const TPoint& screenPos) {
    for (HWND h = WindowFromPoint(screenPos); h; h = GetAncestor(h, GA_PARENT)) {
        if (TWinControl* c = TWinControl::FindControl(h)) return c;
        if (!(GetWindowLong(h, GWL_STYLE) & WS_CHILD)) break;
    }
    return nullptr;
}

TWinControl* GetParentWinControl(TControl* control) {
    return control ? control->TopLevelParent() : nullptr;
}

LRESULT TWinControl::MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWinControl* control = FindControl(hwnd);
    if (!control && msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCT*>(lParam);
        control = cs ? static_cast<TWinControl*>(cs->lpCreateParams) : nullptr;
        if (control) {
            WindowMap()[hwnd] = control;
            control->handle_ = hwnd;
        }
    }
    if (!control) return DefWindowProc(hwnd, msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    try {
        if (control->WindowProc)
            control->WindowProc(m);
        else
            control->WndProc(m);
    } catch (...) {
        // The window procedure: an exception must not leave into the message loop.
        HandleControlException(control);
    }
    if (msg == WM_NCDESTROY) {
        // The control may be gone by now; only the table knows.
        auto& map = WindowMap();
        if (auto it = map.find(hwnd); it != map.end()) {
            it->second->handle_ = 0;
            map.erase(it);
        }
    }
    return m.Result;
}

void TWinControl::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle().Include(csAcceptsControls);
    SetColor(clBtnFace);
    Constraints()->OnChange = [this](TObject*) {
        SetBounds(left_, top_, width_, height_);
        // A top-level window's limits go to the desktop now, not at its next resize: placing
        // it at its own size asks for them again.
        if (!parent_ && handle_)
            SetWindowPos(handle_, 0, 0, 0, width_, height_,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
}

void TWinControl::Destroy() {
    if (focusedControl_) focusedControl_ = nullptr;
    if (TWinControl* top = TopLevelParent(); top && top != this && top->focusedControl_ == this)
        top->focusedControl_ = nullptr;
    DestroyHandle();
    // Children go with their parent, the last (topmost) first.
    while (!controls_.empty())
        controls_.back()->Free();
    inherited::Destroy();
}

// --- the window --------------------------------------------------------------------------

HWND TWinControl::Handle() {
    if (!handle_) {
        if (parent_) parent_->HandleNeeded();
        if (!handle_) CreateHandle();
    }
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& Params) {
    Params.Caption = Text();
    Params.Style = WS_CLIPCHILDREN;
    if (parent_)
        Params.Style |= WS_CHILD | WS_CLIPSIBLINGS;
    else
        Params.Style |= WS_POPUP;
    if (visible_ && parent_) Params.Style |= WS_VISIBLE;
    if (!enabled_) Params.Style |= WS_DISABLED;
    if (tabStop_) Params.Style |= WS_TABSTOP;
    Params.X = left_;
    Params.Y = top_;
    Params.Width = width_;
    Params.Height = height_;
    Params.WndParent = parent_ ? parent_->Handle() : 0;
    Params.WinClassName = ClassName();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
    EnsureClass(Params);
    HWND h = CreateWindowEx(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(),
                            Params.Style, Params.X, Params.Y, Params.Width, Params.Height,
                            Params.WndParent, 0, 0, this);
    if (!h) {
        handle_ = 0;
        throw EOutOfResources("Error creating window");
    }
    handle_ = h;
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    ControlState().Include(csCreating);
    ScopeGuard created([this] { ControlState().Exclude(csCreating); });
    CreateWindowHandle(params);
}

void TWinControl::CreateHandle() {
    if (handle_) return;
    CreateWnd();
    CreateChildHandles();
    // The window may have been made at another size (minimum sizes, default placement).
    HandleSize();
}

void TWinControl::CreateChildHandles() {
    for (TControl* c : std::vector<TControl*>(controls_))
        if (auto* w = dynamic_cast<TWinControl*>(c); w && !w->handle_) w->CreateHandle();
}

void TWinControl::DestroyWnd() {
    if (handle_) DestroyWindow(handle_);
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    ControlState().Include(csDestroyingHandle);
    DestroyWnd();
    ControlState().Exclude(csDestroyingHandle);
    handle_ = 0;
}

void TWinControl::RecreateWnd() {
    if (!handle_) return;
    DestroyHandle();
    CreateHandle();
    if (!parent_ && visible_) ShowWindow(handle_, SW_SHOW);
}

// --- children ----------------------------------------------------------------------------

TControl* TWinControl::Controls(int index) const {
    if (index < 0 || index >= ControlCount()) throw EListError("List index out of bounds");
    return controls_[static_cast<size_t>(index)];
}

int TWinControl::IndexOfControl(const TControl* c) const {
    auto it = std::find(controls_.begin(), controls_.end(), c);
    return it == controls_.end() ? -1 : static_cast<int>(it - controls_.begin());
}

bool TWinControl::ContainsControl(const TControl* c) const {
    for (; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* AControl) {
    for (TControl* p = this; p; p = p->Parent())
        if (p == AControl) throw EInvalidOperation("A control cannot be its own ancestor");
    controls_.push_back(AControl);
    AControl->parent_ = this;
    auto* win = dynamic_cast<TWinControl*>(AControl);
    if (win) tabList_.push_back(win);
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
    if (AControl->ParentFont()) AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    if (AControl->ParentColor()) AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    if (win && handle_ && !win->handle_)
        win->CreateHandle();
    else if (win && handle_ && win->handle_)
        ::SetParent(win->handle_, handle_);
    AControl->UpdateAnchorRules();
    Realign();
    AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) {
    auto it = std::find(controls_.begin(), controls_.end(), AControl);
    if (it == controls_.end()) return;
    AControl->Invalidate();
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    it = std::find(controls_.begin(), controls_.end(), AControl);
    if (it != controls_.end()) controls_.erase(it);
    if (captureControl_ == AControl) captureControl_ = nullptr;
    if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
        tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), win), tabList_.end());
        if (TWinControl* top = TopLevelParent();
            top && top->focusedControl_ && win->ContainsControl(top->focusedControl_))
            top->focusedControl_ = nullptr;
        // A window cannot live without its parent window; it is made again when needed.
        if (!AControl->ComponentState().Contains(csDestroying)) win->DestroyHandle();
    }
    if (MouseControl() && AControl->InheritsFrom<TWinControl>() &&
        static_cast<TWinControl*>(AControl)->ContainsControl(MouseControl()))
        SetMouseControl(nullptr);
    else if (MouseControl() == AControl)
        SetMouseControl(nullptr);
    AControl->parent_ = nullptr;
    Realign();
}

void TWinControl::Broadcast(TMessage& Message) {
    for (TControl* c : std::vector<TControl*>(controls_)) {
        if (IndexOfControl(c) < 0) continue; // a handler removed it
        TMessage m{Message.Msg, Message.WParam, Message.LParam, 0};
        if (c->WindowProc)
            c->WindowProc(m);
        else
            c->WndProc(m);
        if (m.Result != 0) {
            Message.Result = m.Result;
            return;
        }
    }
}

TControl* TWinControl::ControlAtPoint(const TPoint& pt, bool allowDisabled) {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (!c->Visible() || (!allowDisabled && !c->Enabled())) continue;
        const TRect bounds = c->BoundsRect();
        if (!PtInRect(&bounds, pt)) continue;
        return c->ControlAtPoint(Point(pt.x - c->Left(), pt.y - c->Top()), allowDisabled);
    }
    return this;
}

// --- painting ----------------------------------------------------------------------------

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, !ControlStyle().Contains(csOpaque));
}

void TWinControl::Update() {
    if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::EraseBackground(HDC dc) {
    TRect r = ClientRect();
    gdi::UniqueObject brush(CreateSolidBrush(ColorToRGB(Color())));
    FillRect(dc, &r, brush.get());
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC dc, TControl* First) {
    size_t start = 0;
    if (First) {
        int i = IndexOfControl(First);
        if (i >= 0) start = static_cast<size_t>(i);
    }
    for (size_t i = start; i < controls_.size(); ++i) {
        TControl* c = controls_[i];
        // A see-through control painting what lies under it: it and those above are left out.
        if (c->ControlState().Contains(csPaintCopy)) break;
        if (!c->Visible() || dynamic_cast<TWinControl*>(c)) continue;
        RECT r = c->BoundsRect();
        if (!RectVisible(dc, &r)) continue;
        gdi::SavedDC saved(dc);
        OffsetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        c->Perform(WM_PAINT, static_cast<WPARAM>(dc), 0);
    }
}

void TWinControl::PaintHandler(TMessage& Message) {
    HDC dc = static_cast<HDC>(Message.WParam);
    PAINTSTRUCT ps;
    bool own = dc == 0;
    if (own) {
        if (!handle_) return;
        dc = BeginPaint(handle_, &ps);
    }
    ScopeGuard endPaint([&] {
        if (own) EndPaint(handle_, &ps);
    });
    {
        gdi::SavedDC saved(dc);
        PaintWindow(dc);
    }
    PaintControls(dc, nullptr);
}

void TWinControl::PaintTo(HDC dc, int X, int Y) {
    gdi::SavedDC saved(dc);
    OffsetViewportOrgEx(dc, X, Y, nullptr);
    IntersectClipRect(dc, 0, 0, ClientWidth(), ClientHeight());
    Perform(WM_ERASEBKGND, static_cast<WPARAM>(dc), 0);
    Perform(WM_PAINT, static_cast<WPARAM>(dc), 0);
}

// --- geometry ----------------------------------------------------------------------------

TRect TWinControl::ClientRect() {
    if (handle_) {
        RECT r;
        if (GetClientRect(handle_, &r)) return r;
    }
    return inherited::ClientRect();
}

void TWinControl::ApplyBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (handle_) {
        // The window reports the change back synchronously (HandleSize).
        SetWindowPos(handle_, 0, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    bool resized = AWidth != width_ || AHeight != height_;
    SetBoundsFields(ALeft, ATop, AWidth, AHeight);
    if (!anchoring_) RequestAlign();
    if (resized) {
        Realign();
        Resize();
    }
}

void TWinControl::HandleSize() {
    if (!handle_) return;
    RECT r;
    if (!GetWindowRect(handle_, &r)) return;
    if (parent_ && parent_->handle_) {
        POINT p{r.left, r.top};
        ::ScreenToClient(parent_->handle_, &p);
        r = RECT{p.x, p.y, p.x + (r.right - r.left), p.y + (r.bottom - r.top)};
    }
    int w = r.right - r.left, h = r.bottom - r.top;
    bool resized = w != width_ || h != height_;
    bool moved = r.left != left_ || r.top != top_;
    if (!resized && !moved) return;
    SetBoundsFields(r.left, r.top, w, h);
    if (!anchoring_ && parent_) RequestAlign();
    if (resized) {
        Realign();
        Resize();
    }
}

void TWinControl::FontChanged(TObject* Sender) {
    inherited::FontChanged(Sender);
}

void TWinControl::SetText(const String& v) {
    if (v == Text()) return;
    inherited::SetText(v);
    if (handle_) SetWindowText(handle_, v.c_str());
}

bool TWinControl::Showing() const {
    if (!visible_) return false;
    if (parent_) return parent_->Showing();
    return handle_ != 0 && IsWindowVisible(handle_);
}

void TWinControl::UpdateShowing() {
    if (!handle_ || !parent_) return;
    ShowWindow(handle_, visible_ ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool v) {
    if (Enabled() == v) return;
    TWinControl* top = TopLevelParent();
    bool hadFocus = top && top->focusedControl_ && ContainsControl(top->focusedControl_);
    enabled_ = v;
    if (handle_) EnableWindow(handle_, v);
    if (!v && hadFocus) {
        // The focus leaves a disabled control for the next one that can take it.
        TWinControl* next = top->FindNextControl(top->focusedControl_, true, true, false);
        if (next && !ContainsControl(next))
            next->SetFocus();
        else {
            top->SetFocusedControl(nullptr);
            if (top->handle_ && top->Showing()) ::SetFocus(top->handle_);
        }
    }
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

// --- messages ----------------------------------------------------------------------------

void TWinControl::WndProc(TMessage& Message) {
    if (DragSource() && HandleDragMessage(Message)) return;
    if (IsMouseMessage(Message.Msg)) {
        HandleMouse(Message);
        return;
    }
    inherited::WndProc(Message);
}

void TWinControl::HandleMouse(TMessage& Message) {
    TPoint pt = Point(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
    // The pointer's control, by where the pointer is on the screen, so a control that holds
    // the capture does not hide the others from enter and leave.
    if (handle_) {
        POINT sp = pt;
        ::ClientToScreen(handle_, &sp);
        TWinControl* under = FindVCLWindow(sp);
        SetMouseControl(under ? under->ControlAtPoint(under->ScreenToClient(sp), true) : nullptr);
        // Told when the pointer leaves the window, so the control under it hears at once.
        if (Message.Msg == WM_MOUSEMOVE) {
            TRACKMOUSEEVENT track;
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = handle_;
            TrackMouseEvent(&track);
        }
    }
    if (!EnabledThroughParents()) return;
    if (captureControl_ && handle_ && GetCapture() != handle_) captureControl_ = nullptr;
    TControl* target = captureControl_;
    if (!target) {
        for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
            TControl* c = *it;
            if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
            const TRect bounds = c->BoundsRect();
            if (PtInRect(&bounds, pt)) {
                target = c;
                break;
            }
        }
    }
    if (target) {
        if (!target->Enabled()) return;
        target->Perform(Message.Msg, Message.WParam,
                        MAKELPARAM(static_cast<WORD>(pt.x - target->Left()),
                                   static_cast<WORD>(pt.y - target->Top())));
        return;
    }
    inherited::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT:
        PaintHandler(Message);
        return;
    case WM_ERASEBKGND:
        EraseBackground(static_cast<HDC>(Message.WParam));
        Message.Result = 1;
        return;
    case WM_SIZE:
    case WM_MOVE:
        HandleSize();
        return;
    case WM_MOUSELEAVE:
        UpdateMouseControl();
        return;
    case WM_KEYDOWN:
        HandleKeyDown(Message, false);
        return;
    case WM_SYSKEYDOWN:
        HandleKeyDown(Message, true);
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        HandleKeyUp(Message);
        return;
    case WM_CHAR:
        HandleChar(Message, false);
        return;
    case WM_SYSCHAR:
        HandleChar(Message, true);
        return;
    case WM_SETFOCUS:
        HandleFocus(true);
        DefaultHandler(Message);
        return;
    case WM_KILLFOCUS:
        DefaultHandler(Message);
        return;
    case WM_SETCURSOR:
        HandleSetCursor(Message);
        return;
    case WM_GETMINMAXINFO:
        DefaultHandler(Message);
        if (Message.LParam)
            ConstrainMinMaxInfo(*Constraints(), *reinterpret_cast<MINMAXINFO*>(Message.LParam));
        return;
    case WM_CAPTURECHANGED:
        if (captureControl_) {
            captureControl_->ControlState().Exclude(csClicked);
            captureControl_->ControlState().Exclude(csLButtonDown);
            captureControl_ = nullptr;
        }
        DefaultHandler(Message);
        return;
    case WM_SETTEXT: {
        DefaultHandler(Message);
        auto text = reinterpret_cast<LPCSTR>(Message.LParam);
        String v = text ? text : "";
        if (v != Text()) inherited::SetText(v);
        return;
    }
    case CM_ENTER:
        DoEnter();
        return;
    case CM_EXIT:
        DoExit();
        return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
        Broadcast(Message);
        return;
    case CM_VISIBLECHANGED:
        UpdateShowing();
        if (!visible_) {
            if (TWinControl* top = TopLevelParent();
                top && top != this && top->focusedControl_ && ContainsControl(top->focusedControl_))
                top->SetFocusedControl(nullptr);
        }
        return;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
        Invalidate();
        return;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

void TWinControl::DefaultHandler(TMessage& Message) {
    if (handle_ && Message.Msg < CM_BASE) {
        Message.Result = DefWindowProc(handle_, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    inherited::DefaultHandler(Message);
}

void RefreshCursor() {
    POINT pt;
    if (!GetCursorPos(&pt)) return;
    HWND h = WindowFromPoint(pt);
    if (h && GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId()) {
        LRESULT hit = SendMessage(h, WM_NCHITTEST, 0,
                                  MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
        if (IsWindow(h) && SendMessage(h, WM_SETCURSOR, static_cast<WPARAM>(h),
                                       MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE)))
            return;
    }
    ::SetCursor(CursorHandle(crArrow));
}

void SetProgramCursorHook(std::function<TCursor()> hook) {
    ProgramCursorHook() = std::move(hook);
}

void TWinControl::HandleSetCursor(TMessage& Message) {
    if (LOWORD(static_cast<std::uintptr_t>(Message.LParam)) == HTCLIENT) {
        // A busy or other program-wide cursor hides every control's own.
        const auto& programCursor = ProgramCursorHook();
        TCursor cursor = programCursor ? programCursor() : crDefault;
        if (cursor != crDefault) {
            ::SetCursor(CursorHandle(cursor));
            Message.Result = 1;
            return;
        }
        POINT sp;
        if (GetCursorPos(&sp)) {
            TControl* c = ControlAtPoint(ScreenToClient(sp), true);
            for (; c && cursor == crDefault; c = c == this ? nullptr : c->Parent())
                cursor = c->Cursor();
            if (cursor == crDefault) cursor = Cursor();
        }
        if (cursor != crDefault) {
            ::SetCursor(CursorHandle(cursor));
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}

#include "framework/Controls.h"

#include "framework/Actions.h"
#include "framework/Menus.h"
#include "framework/WinControl.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Rect.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>

namespace {
TControl* g_mouseControl = nullptr;

WORD CursorResource(TCursor cursor) {
    switch (cursor) {
    case crArrow:
        return 32512;
    case crIBeam:
        return 32513;
    case crHourGlass:
        return 32514;
    case crCross:
        return 32515;
    case crUpArrow:
        return 32516;
    case crSizeNWSE:
        return 32642;
    case crSizeNESW:
        return 32643;
    case crSizeWE:
        return 32644;
    case crSizeNS:
        return 32645;
    case crSizeAll:
        return 32646;
    case crNo:
    case crNoDrop:
        return 32648;
    case crDrag:
        return 32646;
    case crHandPoint:
        return 32649;
    case crAppStart:
        return 32650;
    case crHelp:
        return 32651;
    default:
        return 0;
    }
}
} // namespace

HCURSOR CursorHandle(TCursor cursor) {
    WORD id = CursorResource(cursor);
    return id ? LoadCursor(0, MAKEINTRESOURCE(id)) : 0;
}

TControl* MouseControl() {
    return g_mouseControl;
}

void SetMouseControl(TControl* control) {
    if (control == g_mouseControl) return;
    TControl* old = g_mouseControl;
    g_mouseControl = control;
    if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
    // A leave handler may have moved the pointer's control on again.
    if (control && g_mouseControl == control) control->Perform(CM_MOUSEENTER, 0, 0);
}

void UpdateMouseControl() {
    POINT pt;
    TControl* deep = nullptr;
    if (GetCursorPos(&pt)) {
        if (TWinControl* win = FindVCLWindow(pt))
            deep = win->ControlAtPoint(win->ScreenToClient(pt), true);
    }
    SetMouseControl(deep);
}

TShiftState ShiftStateFromMouse(WPARAM keys) {
    TShiftState s;
    if (keys & MK_SHIFT) s.Include(ssShift);
    if (keys & MK_CONTROL) s.Include(ssCtrl);
    if (keys & MK_LBUTTON) s.Include(ssLeft);
    if (keys & MK_RBUTTON) s.Include(ssRight);
    if (keys & MK_MBUTTON) s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}

TShiftState KeyboardShiftState() {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}

void TSizeConstraints::Constrain(int& width, int& height) const {
    if (MaxWidth > 0 && width > MaxWidth) width = MaxWidth;
    if (MaxHeight > 0 && height > MaxHeight) height = MaxHeight;
    if (width < MinWidth) width = MinWidth;
    if (height < MinHeight) height = MinHeight;
}

// ---------------------------------------------------------------------------------------------

void TControl::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    WindowProc = [this](TMessage& m) { WndProc(m); };
    constraints_.reset(CreateObject<TSizeConstraints>());
    constraints_->OnChange = [this](TObject*) { SetBounds(left_, top_, width_, height_); };
    font_.reset(CreateObject<TFont>());
    font_->OnChange = [this](TObject* s) { FontChanged(s); };
}

void TControl::Destroy() {
    if (g_mouseControl == this) g_mouseControl = nullptr;
    ForgetDragControl(this);
    if (parent_) parent_->RemoveControl(this);
    inherited::Destroy();
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m{Msg, WParam, LParam, 0};
    if (WindowProc)
        WindowProc(m);
    else
        WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message) {
    UINT msg = Message.Msg;
    if ((msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
        (msg >= WM_KEYFIRST && msg <= WM_KEYLAST)) {
        // A disabled control, or one under a disabled ancestor, takes no input.
        if (!EnabledThroughParents()) return;
    }
    switch (msg) {
    case WM_LBUTTONDBLCLK:
        if (!controlStyle_.Contains(csDoubleClicks)) Message.Msg = WM_LBUTTONDOWN;
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        if (dragMode_ == dmAutomatic && !DragSource()) {
            BeginDrag(true);
            return;
        }
        if (controlStyle_.Contains(csCaptureMouse)) {
            if (parent_ && !dynamic_cast<TWinControl*>(this)) {
                parent_->captureControl_ = this;
                if (parent_->HandleAllocated()) SetCapture(parent_->Handle());
            } else if (auto* self = dynamic_cast<TWinControl*>(this)) {
                SetCapture(self->Handle());
            }
        }
        if (controlStyle_.Contains(csClickEvents)) controlState_.Include(csClicked);
        controlState_.Include(csLButtonDown);
        break;
    case WM_LBUTTONUP:
        controlState_.Exclude(csLButtonDown);
        break;
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (!controlStyle_.Contains(csDoubleClicks))
            Message.Msg = msg == WM_RBUTTONDBLCLK ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
        break;
    default:
        break;
    }
    Dispatch(Message);
}

void TControl::HandleMouseButton(TMessage& Message, TMouseButton Button, bool down, bool dbl) {
    int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
    TShiftState shift = ShiftStateFromMouse(Message.WParam);
    if (dbl) shift.Include(ssDouble);
    if (down) {
        if (dbl && Button == mbLeft) DblClick();
        MouseDown(Button, shift, x, y);
        return;
    }
    if (Button == mbLeft) {
        // Let go of the pointer the press took, wherever the release happens.
        if (parent_ && parent_->captureControl_ == this) {
            parent_->captureControl_ = nullptr;
            if (parent_->HandleAllocated() && GetCapture() == parent_->Handle()) ReleaseCapture();
        } else if (auto* self = dynamic_cast<TWinControl*>(this)) {
            if (self->HandleAllocated() && GetCapture() == self->Handle()) ReleaseCapture();
        }
        if (controlState_.Contains(csClicked)) {
            controlState_.Exclude(csClicked);
            TRect r = ClientRect();
            if (PtInRect(&r, Point(x, y))) Click();
            // Click may free the control; nothing of it is touched after it except through
            // the message, which the caller no longer reads.
        }
    }
    MouseUp(Button, shift, x, y);
}

void TControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
        HandleMouseButton(Message, mbLeft, true, false);
        return;
    case WM_LBUTTONDBLCLK:
        HandleMouseButton(Message, mbLeft, true, true);
        return;
    case WM_LBUTTONUP:
        HandleMouseButton(Message, mbLeft, false, false);
        return;
    case WM_RBUTTONDOWN:
        HandleMouseButton(Message, mbRight, true, false);
        return;
    case WM_RBUTTONDBLCLK:
        HandleMouseButton(Message, mbRight, true, true);
        return;
    case WM_RBUTTONUP: {
        // The release asks for the context menu, as the desktop does after the button.
        auto* self = dynamic_cast<TWinControl*>(this);
        HWND window = self ? (self->HandleAllocated() ? self->Handle() : 0)
                           : (parent_ && parent_->HandleAllocated() ? parent_->Handle() : 0);
        TWinControl* parent = parent_;
        TPoint at =
            ClientToScreen(Point(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)));
        HandleMouseButton(Message, mbRight, false, false);
        // MouseUp may have freed the control: go on only while it is still there (found by
        // its address alone, never through it).
        if (!window || !IsWindow(window)) return;
        if (self ? TWinControl::FindControl(window) != self
                 : !(TWinControl::FindControl(window) == parent &&
                     parent->IndexOfControl(this) >= 0))
            return;
        Perform(WM_CONTEXTMENU, static_cast<WPARAM>(window),
                MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
        return;
    }
    case WM_CONTEXTMENU:
        HandleContextMenu(Message);
        return;
    case WM_MBUTTONDOWN:
        HandleMouseButton(Message, mbMiddle, true, false);
        return;
    case WM_MBUTTONDBLCLK:
        HandleMouseButton(Message, mbMiddle, true, true);
        return;
    case WM_MBUTTONUP:
        HandleMouseButton(Message, mbMiddle, false, false);
        return;
    case WM_MOUSEMOVE:
        MouseMove(ShiftStateFromMouse(Message.WParam), GET_X_LPARAM(Message.LParam),
                  GET_Y_LPARAM(Message.LParam));
        return;
    case CM_MOUSEENTER:
        if (OnMouseEnter) OnMouseEnter(this);
        return;
    case CM_MOUSELEAVE:
        if (OnMouseLeave) OnMouseLeave(this);
        return;
    case CM_PARENTCOLORCHANGED:
        HandleParentColorChanged();
        return;
    case CM_PARENTFONTCHANGED:
        HandleParentFontChanged();
        return;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
        Invalidate();
        return;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
        Invalidate();
        return;
    case CM_CURSORCHANGED:
        if (g_mouseControl == this) RefreshCursor();
        return;
    default:
        break;
    }
    DefaultHandler(Message);
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
    if (popupMenu_ == Value) return;
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = Value;
    if (popupMenu_) popupMenu_->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == popupMenu_) popupMenu_ = nullptr;
}

void TControl::HandleContextMenu(TMessage& Message) {
    bool handled = false;
    TPoint mouse = Point(-1, -1);
    if (Message.LParam != -1)
        mouse = ScreenToClient(Point(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)));
    DoContextPopup(mouse, handled);
    if (handled) {
        Message.Result = 1;
        return;
    }
    if (popupMenu_) {
        TPoint at;
        if (Message.LParam == -1) {
            GetCursorPos(&at);
        } else {
            at = Point(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
        }
        popupMenu_->SetPopupComponent(this);
        Message.Result = 1;
        popupMenu_->Popup(at.x, at.y);
        return;
    }
    // Nothing here: the parent may have a menu.
    if (!dynamic_cast<TWinControl*>(this)) {
        if (parent_) Message.Result = parent_->Perform(Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TControl::DefaultHandler(TMessage& Message) {
    // A non-windowed control answers the text messages from its own field.
    switch (Message.Msg) {
    case WM_GETTEXTLENGTH:
        Message.Result = static_cast<LRESULT>(text_.size());
        return;
    default:
        break;
    }
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}
void TControl::Click() {
    if (OnClick)
        OnClick(this);
    else if (actionLink_)
        actionLink_->Execute(this);
}
void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}
void TControl::Resize() {
    if (OnResize) OnResize(this);
}
void TControl::Changed() {}

// --- tree ---------------------------------------------------------------------------------

void TControl::SetParent(TWinControl* AParent) {
    if (parent_ == AParent) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

TWinControl* TControl::TopLevelParent() const {
    const TControl* c = this;
    while (c->parent_)
        c = c->parent_;
    return const_cast<TWinControl*>(dynamic_cast<const TWinControl*>(c));
}

// --- geometry ----------------------------------------------------------------------------

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (AWidth < 0) AWidth = 0;
    if (AHeight < 0) AHeight = 0;
    constraints_->Constrain(AWidth, AHeight);
    if (!CanResize(AWidth, AHeight)) {
        AWidth = width_;
        AHeight = height_;
    }
    if (ALeft != left_ || ATop != top_ || AWidth != width_ || AHeight != height_) {
        ApplyBounds(ALeft, ATop, AWidth, AHeight);
    }
    if (!anchoring_) UpdateAnchorRules();
}

void TControl::ApplyBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    InvalidateControl(visible_, false);
    bool resized = AWidth != width_ || AHeight != height_;
    SetBoundsFields(ALeft, ATop, AWidth, AHeight);
    InvalidateControl(visible_, false);
    if (!anchoring_) RequestAlign();
    if (resized) Resize();
}

TRect TControl::ClientRect() {
    return Rect(0, 0, width_, height_);
}

void TControl::SetClientWidth(int v) {
    SetWidth(v + (width_ - ClientRect().right));
}
void TControl::SetClientHeight(int v) {
    SetHeight(v + (height_ - ClientRect().bottom));
}

TPoint TControl::ClientOrigin() {
    if (!parent_) {
        if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated()) {
            POINT p{0, 0};
            ::ClientToScreen(w->Handle(), &p);
            return p;
        }
        return Point(left_, top_);
    }
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated()) {
        POINT p{0, 0};
        ::ClientToScreen(w->Handle(), &p);
        return p;
    }
    TPoint o = parent_->ClientOrigin();
    return Point(o.x + left_, o.y + top_);
}

TPoint TControl::ClientToScreen(const TPoint& p) {
    TPoint o = ClientOrigin();
    return Point(p.x + o.x, p.y + o.y);
}

TPoint TControl::ScreenToClient(const TPoint& p) {
    TPoint o = ClientOrigin();
    return Point(p.x - o.x, p.y - o.y);
}

void TControl::SetAlign(TAlign v) {
    if (AssignIfChanged(align_, v)) RequestAlign();
}

void TControl::SetAnchors(TAnchors v) {
    anchors_ = v;
    UpdateAnchorRules();
}

void TControl::SetAutoSize(bool v) {
    if (!AssignIfChanged(autoSize_, v)) return;
    if (v) AdjustSize();
}

void TControl::AdjustSize() {
    int w = width_, h = height_;
    if (autoSize_ && CanAutoSize(w, h)) SetBounds(left_, top_, w, h);
}

void TControl::RequestAlign() {
    if (parent_) parent_->Realign();
}

void TControl::UpdateAnchorRules() {
    if (!parent_) {
        anchorRightKnown_ = anchorBottomKnown_ = false;
        return;
    }
    // A child placed in a parent that has no size yet is placed for the size the parent will
    // get: measured against 0 its distances would be negative and the first sizing would throw
    // it off by the parent's whole width or height.
    TRect pr = parent_->ClientRect();
    anchorRightKnown_ = pr.right > 0;
    anchorBottomKnown_ = pr.bottom > 0;
    anchorRight_ = pr.right - (left_ + width_);
    anchorBottom_ = pr.bottom - (top_ + height_);
}

void TControl::AnchorTo(int parentWidth, int parentHeight) {
    if (align_ != alNone) return;
    if (!anchorRightKnown_ && parentWidth > 0) {
        anchorRight_ = parentWidth - (left_ + width_);
        anchorRightKnown_ = true;
    }
    if (!anchorBottomKnown_ && parentHeight > 0) {
        anchorBottom_ = parentHeight - (top_ + height_);
        anchorBottomKnown_ = true;
    }
    int l = left_, t = top_, w = width_, h = height_;
    if (anchors_.Contains(akRight) && anchorRightKnown_) {
        if (anchors_.Contains(akLeft))
            w = parentWidth - anchorRight_ - l;
        else
            l = parentWidth - anchorRight_ - w;
    }
    if (anchors_.Contains(akBottom) && anchorBottomKnown_) {
        if (anchors_.Contains(akTop))
            h = parentHeight - anchorBottom_ - t;
        else
            t = parentHeight - anchorBottom_ - h;
    }
    if (l == left_ && t == top_ && w == width_ && h == height_) return;
    anchoring_ = true;
    ScopeGuard reset([&] { anchoring_ = false; });
    SetBounds(l, t, std::max(w, 0), std::max(h, 0));
}

// --- state -------------------------------------------------------------------------------

bool TControl::Showing() const {
    if (!visible_) return false;
    return parent_ ? parent_->Showing() : false;
}

bool TControl::EnabledThroughParents() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->enabled_) return false;
    return true;
}

void TControl::SetVisible(bool v) {
    if (visible_ == v) return;
    VisibleChanging();
    if (!v) InvalidateControl(true, false);
    visible_ = v;
    Perform(CM_VISIBLECHANGED, v, 0);
    RequestAlign();
    if (v) InvalidateControl(true, false);
}

void TControl::Show() {
    if (parent_) parent_->ShowControl(this);
    SetVisible(true);
}

void TControl::SetEnabled(bool v) {
    if (AssignIfChanged(enabled_, v)) Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor v) {
    if (!parentColorUpdate_) parentColor_ = false;
    if (!AssignIfChanged(color_, v)) return;
    Perform(CM_COLORCHANGED, 0, 0);
    if (auto* w = dynamic_cast<TWinControl*>(this)) {
        TMessage m{CM_PARENTCOLORCHANGED, 0, 0, 0};
        w->Broadcast(m);
    }
}

void TControl::SetParentColor(bool v) {
    if (!AssignIfChanged(parentColor_, v)) return;
    if (v && parent_) HandleParentColorChanged();
}

void TControl::HandleParentColorChanged() {
    if (!parentColor_ || !parent_) return;
    parentColorUpdate_ = true;
    SetColor(parent_->Color());
    parentColorUpdate_ = false;
}

void TControl::SetParentFont(bool v) {
    if (!AssignIfChanged(parentFont_, v)) return;
    if (v && parent_) HandleParentFontChanged();
}

void TControl::HandleParentFontChanged() {
    if (!parentFont_ || !parent_) return;
    parentFontUpdate_ = true;
    ScopeGuard reset([&] { parentFontUpdate_ = false; });
    font_->Assign(parent_->Font());
}

void TControl::FontChanged(TObject*) {
    if (!parentFontUpdate_) parentFont_ = false;
    Perform(CM_FONTCHANGED, 0, 0);
    if (auto* w = dynamic_cast<TWinControl*>(this)) {
        TMessage m{CM_PARENTFONTCHANGED, 0, 0, 0};
        w->Broadcast(m);
    }
}

void TControl::SetText(const String& v) {
    if (AssignIfChanged(text_, v)) Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor v) {
    if (AssignIfChanged(cursor_, v)) Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool v) {
    showHint_ = v;
    parentShowHint_ = false;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

// --- order and painting ------------------------------------------------------------------

void TControl::BringToFront() {
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::find(list.begin(), list.end(), this));
    list.push_back(this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        SetWindowPos(w->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InvalidateControl(visible_, false);
}

void TControl::SendToBack() {
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::find(list.begin(), list.end(), this));
    list.insert(list.begin(), this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        SetWindowPos(w->Handle(), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InvalidateControl(visible_, false);
}

void TControl::InvalidateControl(bool isVisible, bool isOpaque) {
    if (!isVisible || !parent_ || !parent_->HandleAllocated()) return;
    if (dynamic_cast<TWinControl*>(this)) return; // windows invalidate themselves
    RECT r = BoundsRect();
    InvalidateRect(parent_->Handle(), &r, !(isOpaque || controlStyle_.Contains(csOpaque)));
}

void TControl::Invalidate() {
    InvalidateControl(visible_, controlStyle_.Contains(csOpaque));
}

void TControl::Repaint() {
    if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
    Invalidate();
    parent_->Update();
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

TControl* TControl::ControlAtPoint(const TPoint&, bool) {
    return this;
}

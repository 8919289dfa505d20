#include "framework/ScrollBox.h"

#include "framework/FillSolid.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Rect.h"
#include "platform/user/Timer.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>

namespace {
constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstDelay = 400;
constexpr UINT kRepeatDelay = 100;
} // namespace

// --- TControlScrollBar ---------------------------------------------------------------------

int TControlScrollBar::MaxPosition() const {
    int client = kind_ == sbHorizontal ? control_->ClientWidth() : control_->ClientHeight();
    return std::max(0, range_ - client);
}

void TControlScrollBar::SetRange(int v) {
    v = std::max(v, 0);
    if (range_ == v) return;
    // Set by code, the range stays as given: the box stops computing it.
    control_->TScrollingWinControl::SetAutoScroll(false);
    range_ = v;
    control_->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(int v) {
    control_->ScrollTo(this, v);
}

void TControlScrollBar::SetVisible(bool v) {
    if (AssignIfChanged(visible_, v)) control_->UpdateScrollBars();
}

// --- TScrollBox ----------------------------------------------------------------------------

void TScrollBox::Create(TComponent* AOwner) {
    horz_.reset(CreateObject<TControlScrollBar>(this, sbHorizontal));
    vert_.reset(CreateObject<TControlScrollBar>(this, sbVertical));
    inherited::Create(AOwner);
    ControlStyle() = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                   csDoubleClicks};
    TScrollingWinControl::SetAutoScroll(true);
    SetBounds(0, 0, 185, 41);
}

void TScrollBox::Destroy() {
    StopTracking();
    inherited::Destroy();
}

void TScrollBox::SetAutoScroll(bool v) {
    if (AutoScroll() == v) return;
    TScrollingWinControl::SetAutoScroll(v);
    if (!v) {
        ScrollTo(horz_.get(), 0);
        ScrollTo(vert_.get(), 0);
        horz_->range_ = 0;
        vert_->range_ = 0;
    }
    UpdateScrollBars();
}

void TScrollBox::SetBorderStyle(TBorderStyle v) {
    if (v != bsNone) v = bsSingle;
    if (!AssignIfChanged(borderStyle_, v)) return;
    RecreateWnd();
    UpdateScrollBars();
}

void TScrollBox::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    if (borderStyle_ == bsSingle) Params.Style |= WS_BORDER;
}

void TScrollBox::CreateHandle() {
    inherited::CreateHandle();
    // Children placed before the window existed still decide the bars.
    UpdateScrollBars();
}

void TScrollBox::AdjustClientRect(TRect& Rect) {
    inherited::AdjustClientRect(Rect);
    // Aligned children fill the scrolled content, not just the part in view.
    int w = std::max<int>(Rect.right - Rect.left, horz_->range_);
    int h = std::max<int>(Rect.bottom - Rect.top, vert_->range_);
    Rect = Bounds(Rect.left - horz_->position_, Rect.top - vert_->position_, w, h);
}

void TScrollBox::AlignControls(TControl* AControl, TRect& Rect) {
    inherited::AlignControls(AControl, Rect);
    if (!scrolling_) UpdateScrollBars();
}

void TScrollBox::PaintWindow(HDC) {}

void TScrollBox::CalcRanges() {
    if (!AutoScroll()) return;
    int right = 0, bottom = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible()) continue;
        TAlign a = c->Align();
        if (a == alNone || a == alLeft || a == alRight)
            right = std::max(right, c->Left() + c->Width() + horz_->position_);
        if (a == alNone || a == alTop || a == alBottom)
            bottom = std::max(bottom, c->Top() + c->Height() + vert_->position_);
    }
    horz_->range_ = right;
    vert_->range_ = bottom;
}

void TScrollBox::UpdateScrollBars() {
    if (updating_ || !HandleAllocated() || ComponentState().Contains(csDestroying)) return;
    updating_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{updating_};
    CalcRanges();
    // The room inside the border, before any bar takes its share.
    RECT room{0, 0, Width(), Height()};
    DefWindowProc(Handle(), WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&room));
    int w = room.right - room.left, h = room.bottom - room.top;
    bool needH = horz_->visible_ && horz_->range_ > w;
    bool needV = vert_->visible_ && vert_->range_ > h;
    // One bar takes room from the other direction, which may then need its bar too.
    if (needV && !needH) needH = horz_->visible_ && horz_->range_ > w - kScrollBarSize;
    if (needH && !needV) needV = vert_->visible_ && vert_->range_ > h - kScrollBarSize;
    ApplyShown(needH, needV);
    for (TControlScrollBar* bar : {horz_.get(), vert_.get()}) {
        int top = bar->shown_ ? bar->MaxPosition() : 0;
        if (bar->position_ > top) ScrollTo(bar, top);
    }
    PaintBars();
}

void TScrollBox::ApplyShown(bool horz, bool vert) {
    if (horz_->shown_ == horz && vert_->shown_ == vert) return;
    horz_->shown_ = horz;
    vert_->shown_ = vert;
    SetWindowPos(Handle(), 0, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    // The client area changed without the window changing size.
    Realign();
    Invalidate();
}

void TScrollBox::ScrollTo(TControlScrollBar* bar, int position) {
    int top = bar->shown_ ? bar->MaxPosition() : 0;
    position = std::clamp(position, 0, top);
    int delta = bar->position_ - position;
    if (delta == 0) return;
    bar->position_ = position;
    if (bar->kind_ == sbHorizontal)
        ScrollBy(delta, 0);
    else
        ScrollBy(0, delta);
    PaintBars();
}

void TScrollBox::ScrollBy(int DeltaX, int DeltaY) {
    if (DeltaX == 0 && DeltaY == 0) return;
    scrolling_ = true;
    DisableAlign();
    {
        ScopeGuard restore([&] {
            EnableAlign();
            scrolling_ = false;
        });
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
        }
    }
    Invalidate();
}

void TScrollBox::ScrollInView(TControl* AControl) {
    if (!AControl || !ContainsControl(AControl) || AControl == this) return;
    TPoint origin = AControl->ClientToScreen(Point(0, 0));
    TPoint local = ScreenToClient(origin);
    TRect r = Bounds(local.x, local.y, AControl->Width(), AControl->Height());
    int cw = ClientWidth(), ch = ClientHeight();
    int dx = 0, dy = 0;
    if (r.left < 0)
        dx = r.left;
    else if (r.right > cw)
        dx = std::min(r.right - cw, r.left);
    if (r.top < 0)
        dy = r.top;
    else if (r.bottom > ch)
        dy = std::min(r.bottom - ch, r.top);
    if (dx) ScrollTo(horz_.get(), horz_->position_ + dx);
    if (dy) ScrollTo(vert_.get(), vert_->position_ + dy);
}

// --- the bars --------------------------------------------------------------------------------

TPoint TScrollBox::ClientToWindowOffset() {
    POINT p{0, 0};
    ::ClientToScreen(Handle(), &p);
    RECT wr;
    GetWindowRect(Handle(), &wr);
    return Point(p.x - wr.left, p.y - wr.top);
}

TRect TScrollBox::BarRect(TScrollBarKind kind) {
    if (!HandleAllocated()) return Rect(0, 0, 0, 0);
    TPoint o = ClientToWindowOffset();
    int cw = ClientWidth(), ch = ClientHeight();
    if (kind == sbVertical)
        return vert_->shown_ ? Bounds(o.x + cw, o.y, kScrollBarSize, ch) : Rect(0, 0, 0, 0);
    return horz_->shown_ ? Bounds(o.x, o.y + ch, cw, kScrollBarSize) : Rect(0, 0, 0, 0);
}

TScrollBarLayout TScrollBox::BarLayout(TScrollBarKind kind) {
    TControlScrollBar* bar = kind == sbHorizontal ? horz_.get() : vert_.get();
    int page = kind == sbHorizontal ? ClientWidth() : ClientHeight();
    return LayoutScrollBar(BarRect(kind), kind, 0, std::max(bar->range_ - 1, 0), page,
                           bar->position_);
}

void TScrollBox::PaintBars() {
    if (!HandleAllocated() || (!horz_->shown_ && !vert_->shown_)) return;
    HDC dc = GetWindowDC(Handle());
    if (!dc) return;
    bool enabled = EnabledThroughParents();
    for (TControlScrollBar* bar : {horz_.get(), vert_.get()}) {
        if (!bar->shown_) continue;
        TScrollBarPart pressed = trackBar_ == bar ? trackPart_ : TScrollBarPart::None;
        PaintScrollBar(dc, BarLayout(bar->kind_), pressed, enabled);
    }
    if (horz_->shown_ && vert_->shown_) {
        TRect v = BarRect(sbVertical), h = BarRect(sbHorizontal);
        FillSolid(dc, Rect(v.left, h.top, v.right, h.bottom), Color());
    }
    ReleaseDC(Handle(), dc);
}

void TScrollBox::StepBar(TControlScrollBar* bar, TScrollBarPart part) {
    int page = bar->kind_ == sbHorizontal ? ClientWidth() : ClientHeight();
    switch (part) {
    case TScrollBarPart::LineUp:
        ScrollTo(bar, bar->position_ - bar->increment_);
        break;
    case TScrollBarPart::LineDown:
        ScrollTo(bar, bar->position_ + bar->increment_);
        break;
    case TScrollBarPart::PageUp:
        ScrollTo(bar, bar->position_ - page);
        break;
    case TScrollBarPart::PageDown:
        ScrollTo(bar, bar->position_ + page);
        break;
    default:
        break;
    }
}

void TScrollBox::StartTracking(TScrollBarKind kind, const TPoint& windowPoint) {
    TControlScrollBar* bar = kind == sbHorizontal ? horz_.get() : vert_.get();
    TScrollBarLayout l = BarLayout(kind);
    TScrollBarPart part = ScrollBarHitTest(l, windowPoint);
    if (part == TScrollBarPart::None) return;
    trackBar_ = bar;
    trackPart_ = part;
    trackPoint_ = windowPoint;
    SetCapture(Handle());
    if (part == TScrollBarPart::Thumb) {
        dragOffset_ =
            kind == sbVertical ? windowPoint.y - l.thumb.top : windowPoint.x - l.thumb.left;
    } else {
        StepBar(bar, part);
        SetTimer(Handle(), kRepeatTimer, kFirstDelay, nullptr);
    }
    PaintBars();
}

void TScrollBox::TrackTo(const TPoint& windowPoint) {
    trackPoint_ = windowPoint;
    if (trackPart_ != TScrollBarPart::Thumb) return;
    TScrollBarLayout l = BarLayout(trackBar_->kind_);
    int along =
        trackBar_->kind_ == sbVertical ? windowPoint.y - l.track.top : windowPoint.x - l.track.left;
    ScrollTo(trackBar_, l.PositionAt(along - dragOffset_));
}

void TScrollBox::StopTracking() {
    if (!trackBar_) return;
    trackBar_ = nullptr;
    trackPart_ = TScrollBarPart::None;
    if (HandleAllocated()) {
        KillTimer(Handle(), kRepeatTimer);
        if (GetCapture() == Handle()) ReleaseCapture();
    }
    PaintBars();
}

void TScrollBox::HandleScrollMessage(TMessage& Message, TScrollBarKind kind) {
    TControlScrollBar* bar = kind == sbHorizontal ? horz_.get() : vert_.get();
    switch (LOWORD(static_cast<std::uintptr_t>(Message.WParam))) {
    case SB_LINEUP:
        StepBar(bar, TScrollBarPart::LineUp);
        break;
    case SB_LINEDOWN:
        StepBar(bar, TScrollBarPart::LineDown);
        break;
    case SB_PAGEUP:
        StepBar(bar, TScrollBarPart::PageUp);
        break;
    case SB_PAGEDOWN:
        StepBar(bar, TScrollBarPart::PageDown);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        ScrollTo(bar, static_cast<short>(HIWORD(static_cast<std::uintptr_t>(Message.WParam))));
        break;
    case SB_TOP:
        ScrollTo(bar, 0);
        break;
    case SB_BOTTOM:
        ScrollTo(bar, bar->MaxPosition());
        break;
    default:
        break;
    }
    Message.Result = 0;
}

void TScrollBox::WndProc(TMessage& Message) {
    if (trackBar_) {
        // While a bar is held, the pointer belongs to it, not to the children.
        switch (Message.Msg) {
        case WM_MOUSEMOVE: {
            TPoint o = ClientToWindowOffset();
            TrackTo(Point(GET_X_LPARAM(Message.LParam) + o.x, GET_Y_LPARAM(Message.LParam) + o.y));
            return;
        }
        case WM_LBUTTONUP:
            StopTracking();
            return;
        default:
            break;
        }
    }
    inherited::WndProc(Message);
}

void TScrollBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_NCCALCSIZE: {
        DefaultHandler(Message);
        RECT* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                                 : reinterpret_cast<RECT*>(Message.LParam);
        if (!r) return;
        if (vert_->shown_) r->right = std::max(r->left, r->right - kScrollBarSize);
        if (horz_->shown_) r->bottom = std::max(r->top, r->bottom - kScrollBarSize);
        return;
    }
    case WM_NCPAINT:
        DefaultHandler(Message);
        PaintBars();
        return;
    case WM_NCHITTEST: {
        DefaultHandler(Message);
        RECT wr;
        GetWindowRect(Handle(), &wr);
        TPoint p =
            Point(GET_X_LPARAM(Message.LParam) - wr.left, GET_Y_LPARAM(Message.LParam) - wr.top);
        TRect v = BarRect(sbVertical), h = BarRect(sbHorizontal);
        if (PtInRect(&v, p))
            Message.Result = HTVSCROLL;
        else if (PtInRect(&h, p))
            Message.Result = HTHSCROLL;
        return;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if ((Message.WParam == HTVSCROLL || Message.WParam == HTHSCROLL) &&
            EnabledThroughParents()) {
            RECT wr;
            GetWindowRect(Handle(), &wr);
            StartTracking(Message.WParam == HTVSCROLL ? sbVertical : sbHorizontal,
                          Point(GET_X_LPARAM(Message.LParam) - wr.left,
                                GET_Y_LPARAM(Message.LParam) - wr.top));
            return;
        }
        break;
    case WM_TIMER:
        if (Message.WParam != kRepeatTimer) break;
        if (!trackBar_ || trackPart_ == TScrollBarPart::Thumb) {
            KillTimer(Handle(), kRepeatTimer);
            return;
        }
        // Steps go on while the pointer stays on the held part (paging: until the thumb
        // reaches it).
        if (ScrollBarHitTest(BarLayout(trackBar_->kind_), trackPoint_) == trackPart_)
            StepBar(trackBar_, trackPart_);
        SetTimer(Handle(), kRepeatTimer, kRepeatDelay, nullptr);
        return;
    case WM_CAPTURECHANGED:
        if (trackBar_ && static_cast<HWND>(Message.LParam) != Handle()) StopTracking();
        break;
    case WM_HSCROLL:
        HandleScrollMessage(Message, sbHorizontal);
        return;
    case WM_VSCROLL:
        HandleScrollMessage(Message, sbVertical);
        return;
    case WM_MOUSEWHEEL: {
        int delta = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(Message.WParam)));
        TControlScrollBar* bar = vert_->shown_ ? vert_.get() : horz_.get();
        if (!bar->shown_) break;
        ScrollTo(bar, bar->position_ - delta / WHEEL_DELTA * bar->increment_ * 3);
        Message.Result = 1;
        return;
    }
    case CM_ENABLEDCHANGED:
        if (!Enabled()) StopTracking();
        PaintBars();
        break;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

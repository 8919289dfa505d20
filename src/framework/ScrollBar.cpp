#include "framework/ScrollBar.h"

#include "platform/user/Timer.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"

#include <algorithm>

namespace {
constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstDelay = 400;
constexpr UINT kRepeatDelay = 100;
} // namespace

void TScrollBar::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle() = TControlStyle{csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks};
    SetBounds(0, 0, 121, kScrollBarSize);
    SetTabStop(true);
}

void TScrollBar::Destroy() {
    StopTracking();
    inherited::Destroy();
}

TScrollBarLayout TScrollBar::Layout() {
    return LayoutScrollBar(ClientRect(), kind_, min_, max_, pageSize_, position_);
}

void TScrollBar::SetKind(TScrollBarKind v) {
    if (!AssignIfChanged(kind_, v)) return;
    SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
    if (AMax < AMin) throw EInvalidOperation("Scroll bar property out of range");
    if (pageSize_ > AMax - AMin + 1) pageSize_ = AMax - AMin + 1;
    int top = pageSize_ > 0 ? std::max(AMax - pageSize_ + 1, AMin) : AMax;
    APosition = std::clamp(APosition, AMin, top);
    bool changed = APosition != position_;
    if (AMin == min_ && AMax == max_ && !changed) return;
    min_ = AMin;
    max_ = AMax;
    position_ = APosition;
    Invalidate();
    if (changed) Change();
}

void TScrollBar::SetPageSize(int v) {
    if (v == pageSize_) return;
    if (v < 0 || v > max_ - min_ + 1) throw EInvalidOperation("Scroll bar property out of range");
    pageSize_ = v;
    SetParams(position_, min_, max_);
    Invalidate();
}

void TScrollBar::Change() {
    if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
    if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::Step(TScrollCode code) {
    int pos = position_;
    switch (code) {
    case scLineUp:
        pos -= smallChange_;
        break;
    case scLineDown:
        pos += smallChange_;
        break;
    case scPageUp:
        pos -= largeChange_;
        break;
    case scPageDown:
        pos += largeChange_;
        break;
    case scTop:
        pos = min_;
        break;
    case scBottom:
        pos = max_;
        break;
    default:
        break;
    }
    TScrollBarLayout l = Layout();
    pos = std::clamp(pos, min_, l.MaxPosition());
    Scroll(code, pos);
    SetPosition(pos);
}

void TScrollBar::Paint() {
    PaintScrollBar(Canvas()->Handle(), Layout(), pressed_, EnabledThroughParents());
}

bool TScrollBar::RepeatStep() {
    TScrollBarLayout l = Layout();
    TScrollBarPart now = ScrollBarHitTest(l, pointer_);
    switch (pressed_) {
    case TScrollBarPart::LineUp:
    case TScrollBarPart::LineDown:
        // A held arrow steps only while the pointer stays on it.
        if (now == pressed_) Step(pressed_ == TScrollBarPart::LineUp ? scLineUp : scLineDown);
        return true;
    case TScrollBarPart::PageUp:
    case TScrollBarPart::PageDown:
        // Paging stops once the thumb has reached the pointer.
        if (now != pressed_)
            return now == TScrollBarPart::PageUp || now == TScrollBarPart::PageDown ||
                   now == TScrollBarPart::None;
        Step(pressed_ == TScrollBarPart::PageUp ? scPageUp : scPageDown);
        return true;
    default:
        return false;
    }
}

void TScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && CanFocus() && !Focused()) SetFocus();
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    pointer_ = Point(X, Y);
    TScrollBarLayout l = Layout();
    pressed_ = ScrollBarHitTest(l, pointer_);
    if (pressed_ == TScrollBarPart::None) return;
    if (pressed_ == TScrollBarPart::Thumb) {
        dragOffset_ = kind_ == sbVertical ? Y - l.thumb.top : X - l.thumb.left;
        Invalidate();
        return;
    }
    RepeatStep();
    Invalidate();
    if (HandleAllocated()) {
        SetTimer(Handle(), kRepeatTimer, kFirstDelay, nullptr);
        timerRunning_ = true;
    }
}

void TScrollBar::MouseMove(TShiftState Shift, int X, int Y) {
    inherited::MouseMove(Shift, X, Y);
    if (pressed_ == TScrollBarPart::None) return;
    pointer_ = Point(X, Y);
    if (pressed_ != TScrollBarPart::Thumb) return;
    TScrollBarLayout l = Layout();
    int along = kind_ == sbVertical ? Y - l.track.top : X - l.track.left;
    int pos = l.PositionAt(along - dragOffset_);
    if (pos == position_) return;
    Scroll(scTrack, pos);
    SetPosition(pos);
}

void TScrollBar::EndTracking() {
    if (pressed_ == TScrollBarPart::None) return;
    bool dragged = pressed_ == TScrollBarPart::Thumb;
    StopTracking();
    int pos = position_;
    if (dragged) {
        Scroll(scPosition, pos);
        SetPosition(pos);
    }
    pos = position_;
    Scroll(scEndScroll, pos);
    Invalidate();
}

void TScrollBar::StopTracking() {
    pressed_ = TScrollBarPart::None;
    if (timerRunning_ && HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
    timerRunning_ = false;
}

void TScrollBar::KeyDown(Word& Key, TShiftState Shift) {
    inherited::KeyDown(Key, Shift);
    bool v = kind_ == sbVertical;
    switch (Key) {
    case VK_LEFT:
        if (!v) Step(scLineUp);
        break;
    case VK_RIGHT:
        if (!v) Step(scLineDown);
        break;
    case VK_UP:
        if (v) Step(scLineUp);
        break;
    case VK_DOWN:
        if (v) Step(scLineDown);
        break;
    case VK_PRIOR:
        Step(scPageUp);
        break;
    case VK_NEXT:
        Step(scPageDown);
        break;
    case VK_HOME:
        Step(scTop);
        break;
    case VK_END:
        Step(scBottom);
        break;
    default:
        return;
    }
}

void TScrollBar::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONUP:
        // Before the release lets go of the capture, which would cancel the tracking.
        EndTracking();
        break;
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
    case WM_TIMER:
        if (Message.WParam != kRepeatTimer) break;
        if (pressed_ == TScrollBarPart::None) {
            StopTracking();
            return;
        }
        if (!RepeatStep()) {
            // Nothing more to do until the button comes up (which ends the scroll).
            KillTimer(Handle(), kRepeatTimer);
            timerRunning_ = false;
            return;
        }
        // After the first delay the steps come faster.
        SetTimer(Handle(), kRepeatTimer, kRepeatDelay, nullptr);
        return;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        if (pressed_ != TScrollBarPart::None) {
            StopTracking();
            Invalidate();
        }
        break;
    case CM_ENABLEDCHANGED:
        if (!Enabled()) StopTracking();
        break;
    case WM_ERASEBKGND:
        Message.Result = 1; // Paint covers every pixel
        return;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

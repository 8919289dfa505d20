#include "skin/SKTrackBar.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/Input.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr Cardinal kPagingInterval = 100;
// Tick marks closer than a pixel apart show nothing more; their count is kept to the bar's
// length so a huge range costs no more than a short one.
constexpr Int64 kMinTickLimit = 2;
} // namespace

void TskTrackBar::DeclareProperties(Published<TskTrackBar>& p) {
    p.Ordinal("UIStyle", &TskTrackBar::UIStyle, &TskTrackBar::SetUIStyle);
    p.Object("FileTheme", &TskTrackBar::FileTheme, &TskTrackBar::SetFileTheme);
    p.Ordinal("Min", &TskTrackBar::Min, &TskTrackBar::SetMin);
    p.Ordinal("Max", &TskTrackBar::Max, &TskTrackBar::SetMax);
    p.Ordinal("Position", &TskTrackBar::Position, &TskTrackBar::SetPosition);
}

void TskTrackBar::Create(TComponent* AOwner) {
    barImage_ = MakeObject<TPicture>();
    barBitmap_ = MakeObject<TBitmap>();
    inherited::Create(AOwner);
    ControlStyle().Exclude(csAcceptsControls);
    SetBevelOuter(bvNone);
    SetParentColor(true);
    SetTabStop(true);
    slider_ = CreateComponent<TskImagePanel>(this);
    slider_->SetParent(this);
    slider_->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        SliderMouseDown(b, s, x, y);
    };
    slider_->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        SliderMouseUp(b, s, x, y);
    };
    SetBounds(Left(), Top(), 150, 25);
    SetUIStyle(GetOwnerUIStyle(AOwner));
}

void TskTrackBar::Destroy() {
    StopPaging();
    LinkFileTheme(this, fileTheme_, nullptr);
    slider_ = nullptr; // a child owned by this control: freed with it
    inherited::Destroy();
    barImage_.reset();
    barBitmap_.reset();
}

// --- values --------------------------------------------------------------------------------

void TskTrackBar::SetPosition(int v) {
    position_ = std::clamp(v, min_, max_);
    UpdateSlider();
}

void TskTrackBar::SetMax(int v) {
    if (v == max_) return;
    max_ = std::max(v, min_);
    if (position_ > max_) position_ = max_;
    UpdateSlider();
}

void TskTrackBar::SetMin(int v) {
    if (v == min_) return;
    min_ = std::min(v, max_);
    if (position_ < min_) position_ = min_;
    UpdateSlider();
}

void TskTrackBar::SetPageSize(int v) {
    if (v >= 0 && v <= max_) pageSize_ = v;
}

void TskTrackBar::SetLineSize(int v) {
    if (v >= 0 && v <= max_) lineSize_ = v;
}

void TskTrackBar::SetOrientation(TskProgressBarOrientation v) {
    if (AssignIfChanged(orientation_, v)) Restyle();
}

void TskTrackBar::SetShowTick(bool v) {
    showTick_ = v;
    Invalidate();
}

void TskTrackBar::SetFrequency(int v) {
    frequency_ = v;
    Invalidate();
}

void TskTrackBar::SetTransparent(bool v) {
    transparent_ = v;
    Invalidate();
}

void TskTrackBar::SetBarImage(TPicture* v) {
    barImage_->Assign(v);
    Restyle();
}

void TskTrackBar::SetSliderImage(TPicture* v) {
    slider_->SetPicture(v);
    // A slider of a new size needs its place worked out again.
    UpdateSlider();
}

void TskTrackBar::SetUIStyle(TskUIStyle v) {
    uiStyle_ = v;
    Restyle();
    if (uiStyle_ == MacOS) SetTransparent(true);
}

void TskTrackBar::SetFileTheme(TskFileTheme* v) {
    LinkFileTheme(this, fileTheme_, v);
    SetUIStyle(uiStyle_);
}

void TskTrackBar::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    DropRemovedFileTheme(this, fileTheme_, AComponent, Operation);
}

// --- geometry ------------------------------------------------------------------------------

int TskTrackBar::Length() const {
    return orientation_ == skHorizontal ? width_ : height_;
}

int TskTrackBar::SliderLength() const {
    if (!slider_) return 0;
    return orientation_ == skHorizontal ? slider_->Width() : slider_->Height();
}

TPoint TskTrackBar::SliderPoint() const {
    if (!slider_) return Point(0, 0);
    const Int64 range = Int64(max_) - min_;
    const Int64 free = Int64(Length()) - SliderLength();
    const Int64 along = range == 0 ? 0 : (Int64(position_) - min_) * free / range;
    if (orientation_ == skHorizontal)
        return Point(int(along), std::max(height_ - slider_->Height(), 0) / 2);
    return Point(std::max(width_ - slider_->Width(), 0) / 2, int(along));
}

int TskTrackBar::ValueAtPoint(int X, int Y) const {
    const Int64 s = SliderLength();
    const Int64 free = Int64(Length()) - s;
    // A slider that fills the bar (or more) leaves one place: the start of the range.
    if (free <= 0) return min_;
    const Int64 at = (orientation_ == skHorizontal ? X : Y) - s / 2;
    const long double v = static_cast<long double>(at) * (Int64(max_) - min_) / free;
    const long double rounded = std::nearbyint(v); // halves to even
    const long double result = rounded + min_;
    if (result < INT32_MIN) return INT32_MIN;
    if (result > INT32_MAX) return INT32_MAX;
    return int(result);
}

std::vector<int> TskTrackBar::TickPositions() const {
    std::vector<int> ticks;
    if (min_ == max_) return ticks;
    const Int64 range = Int64(max_) - min_;
    const Int64 L = Length(), s = SliderLength();
    Int64 step = std::max(frequency_, 1);
    const Int64 limit = std::max<Int64>(L, kMinTickLimit);
    if (range / step + 1 > limit) step = (range + limit - 2) / (limit - 1);
    auto at = [&](Int64 v) { return int((L - s) * (v - min_) / range + s / 2); };
    for (Int64 v = min_; v < max_; v += step)
        ticks.push_back(at(v));
    ticks.push_back(at(max_));
    return ticks;
}

void TskTrackBar::NotifyChange() {
    if (!AssignIfChanged(lastNotified_, position_)) return;
    if (OnChange) OnChange(this);
}

void TskTrackBar::UpdateSlider() {
    if (slider_) SetControlPosition(slider_, SliderPoint());
    Invalidate();
    NotifyChange();
}

// --- style ---------------------------------------------------------------------------------

void TskTrackBar::UpdatePictures() {
    if (SkipsStylePictures()) return;
    ObjectPtr<TBitmap> bar = MakeObject<TBitmap>();
    SkinBitmap(fileTheme_, uiStyle_, tiTrackBarBarImage, bar.get());
    barImage_->Bitmap()->Assign(bar.get());
    ObjectPtr<TBitmap> knob = MakeObject<TBitmap>();
    SkinBitmap(fileTheme_, uiStyle_,
               orientation_ == skHorizontal ? tiTrackBarSliderImage : tiTrackBarSliderVImage,
               knob.get());
    ObjectPtr<TPicture> picture = MakeObject<TPicture>();
    picture->Bitmap()->Assign(knob.get());
    slider_->SetPicture(picture.get());
    slider_->SetTransparent(SliderTransparent());
    slider_->SetAutoSize(true);
}

void TskTrackBar::FitSize() {
    const int thickness = barImage_->Graphic() ? barImage_->Height() : 0;
    if (orientation_ == skHorizontal) {
        const int h = std::max(thickness, slider_->Height());
        if (h > 0 && h != height_) SetHeight(h);
    } else {
        const int w = std::max(thickness, slider_->Width());
        if (w > 0 && w != width_) SetWidth(w);
    }
}

void TskTrackBar::Restyle() {
    // Also reached while the panel is being made, before the slider exists.
    if (restyling_ || !slider_) return;
    restyling_ = true;
    {
        ScopeGuard done([this] { restyling_ = false; });
        UpdatePictures();
        // The bar laid out at the control's length, its ends kept and its middle stretched.
        const int length = Length();
        const int thickness = barImage_->Graphic() ? barImage_->Height() : 0;
        if (length > 0 && thickness > 0) {
            barBitmap_->SetSize(length, thickness);
            barBitmap_->Canvas()->Brush()->SetColor(Color());
            barBitmap_->Canvas()->FillRect(Rect(0, 0, length, thickness));
            DrawThreePartBitmap(barImage_->Bitmap(), barBitmap_->Canvas(),
                                Rect(0, 0, length, thickness), false);
            if (orientation_ == skVertical) RotateBitmapLeft(barBitmap_.get());
        } else {
            barBitmap_->SetSize(0, 0);
        }
        FitSize();
        UpdateSlider();
    }
    Invalidate();
}

void TskTrackBar::Resize() {
    inherited::Resize();
    Restyle();
}

// --- painting ------------------------------------------------------------------------------

void TskTrackBar::Paint() {
    const int w = width_, h = height_;
    if (w <= 0 || h <= 0) return;
    ObjectPtr<TBitmap> buffer = MakeObject<TBitmap>();
    buffer->SetSize(w, h);
    TCanvas* c = buffer->Canvas();
    DrawControlBackground(c, this, transparent_);
    if (!barBitmap_->Empty()) {
        const int thickness = barImage_->Height();
        if (orientation_ == skHorizontal)
            c->Draw(0, (h - thickness) / 2, barBitmap_.get());
        else
            c->Draw((w - thickness) / 2, 0, barBitmap_.get());
    }
    if (Focused() && TabStop()) {
        c->Brush()->SetStyle(bsSolid);
        c->DrawFocusRect(Rect(0, 0, w, h));
    }
    if (showTick_) {
        c->Pen()->SetColor(clBlack);
        c->Pen()->SetWidth(1);
        for (int t : TickPositions()) {
            if (orientation_ == skHorizontal) {
                c->MoveTo(t, h - 3);
                c->LineTo(t, h);
            } else {
                c->MoveTo(0, t);
                c->LineTo(3, t);
                c->MoveTo(w - 3, t);
                c->LineTo(w, t);
            }
        }
    }
    Canvas()->Draw(0, 0, buffer.get());
}

// --- mouse and keys ------------------------------------------------------------------------

void TskTrackBar::TryFocus() {
    if (!CanFocus() || !Enabled()) return;
    try {
        SetFocus();
    } catch (const Exception&) {
        // The bar pages all the same.
    }
}

void TskTrackBar::PageTowards(int X, int Y, int pages) {
    const int edge = orientation_ == skHorizontal ? slider_->Left() : slider_->Top();
    const int at = orientation_ == skHorizontal ? X : Y;
    const Int64 step = Int64(pageSize_) * pages;
    if (at > edge)
        SetPosition(int(std::min<Int64>(Int64(position_) + step, ValueAtPoint(X, Y))));
    else if (at < edge)
        SetPosition(int(std::max<Int64>(Int64(position_) - step, ValueAtPoint(X, Y))));
}

void TskTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || dragging_) return;
    PageTowards(X, Y, 1);
    if (!pagingTimer_) {
        pagingTimer_ = CreateUnowned<TTimer>();
        pagingTimer_->SetInterval(kPagingInterval);
        pagingTimer_->SetOnTimer([this](TObject* s) { PagingTick(s); });
        pagingTimer_->SetEnabled(true);
    }
    TryFocus();
}

void TskTrackBar::PagingTick(TObject*) {
    POINT p{0, 0};
    GetCursorPos(&p);
    const TPoint client = ScreenToClient(p);
    // A change handler that fails ends the paging; the failure goes on to be shown.
    ScopeGuard stop([this] { StopPaging(); });
    PageTowards(client.x, client.y, orientation_ == skHorizontal ? 3 : 1);
    stop.Dismiss();
}

void TskTrackBar::StopPaging() {
    pagingTimer_.reset();
}

void TskTrackBar::EndDrag() {
    dragging_ = false;
    if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
}

void TskTrackBar::MouseMove(TShiftState Shift, int X, int Y) {
    inherited::MouseMove(Shift, X, Y);
    if (!dragging_) {
        if (X < 0 || Y < 0 || X > width_ || Y > height_) StopPaging();
        return;
    }
    position_ = std::clamp(ValueAtPoint(X, Y), min_, max_);
    SetControlPosition(slider_, SliderPoint());
    Invalidate();
    NotifyChange();
}

void TskTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseUp(Button, Shift, X, Y);
    StopPaging();
    EndDrag();
}

void TskTrackBar::SliderMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    dragging_ = true;
    TryFocus();
    if (HandleAllocated()) SetCapture(Handle());
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X + slider_->Left(), Y + slider_->Top());
}

void TskTrackBar::SliderMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X + slider_->Left(), Y + slider_->Top());
}

void TskTrackBar::KeyDown(Word& Key, TShiftState Shift) {
    inherited::KeyDown(Key, Shift);
    const Int64 p = position_;
    auto to = [this](Int64 v) { SetPosition(int(std::clamp<Int64>(v, INT32_MIN, INT32_MAX))); };
    switch (Key) {
    case VK_PRIOR:
        to(p - pageSize_);
        break;
    case VK_NEXT:
        to(p + pageSize_);
        break;
    case VK_END:
        to(max_);
        break;
    case VK_HOME:
        to(min_);
        break;
    case VK_LEFT:
    case VK_UP:
        to(p - lineSize_);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        to(p + lineSize_);
        break;
    default:
        break;
    }
}

void TskTrackBar::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case WM_GETDLGCODE:
        inherited::Dispatch(Message);
        Message.Result = DLGC_WANTARROWS;
        return;
    case CM_FOCUSCHANGED:
        inherited::Dispatch(Message);
        Invalidate();
        return;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        // Whoever took the pointer away ends the paging and the drag.
        inherited::Dispatch(Message);
        StopPaging();
        dragging_ = false;
        return;
    default:
        inherited::Dispatch(Message);
    }
}

// --- TskScrollTrackBar ---------------------------------------------------------------------

void TskScrollTrackBar::SetSliderVisible(bool v) {
    if (Slider()->Visible() != v) Slider()->SetVisible(v);
}

void TskScrollTrackBar::SetSliderAutoSize() {
    Slider()->SetAutoSize(true);
    // The track is as thick as its slider, which sits where the position says.
    FitSize();
    UpdateSlider();
}

#include "skin/SKScrollBar.h"

#include "platform/gdi/Gdi.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>

namespace {
constexpr int kMinSliderLength = 18;
} // namespace

void TskScrollBar::DeclareProperties(Published<TskScrollBar>& p) {
    p.Ordinal("UIStyle", &TskScrollBar::UIStyle, &TskScrollBar::SetUIStyle);
    p.Object("FileTheme", &TskScrollBar::FileTheme, &TskScrollBar::SetFileTheme);
    p.Ordinal("Min", &TskScrollBar::Min, &TskScrollBar::SetMin);
    p.Ordinal("Max", &TskScrollBar::Max, &TskScrollBar::SetMax);
    p.Ordinal("Position", &TskScrollBar::Position, &TskScrollBar::SetPosition);
}

void TskScrollBar::Create(TComponent* AOwner) {
    for (auto& p : pieces_)
        p = MakeObject<TBitmap>();
    inherited::Create(AOwner);
    ControlStyle().Exclude(csAcceptsControls);
    track_ = CreateComponent<TskScrollTrackBar>(this);
    track_->SetShowTick(false);
    track_->SetTabStop(false);
    track_->SetTransparent(false);
    track_->SetMax(100);
    track_->SetParent(this);
    auto button = [this](int direction) {
        auto* b = CreateComponent<TskImageButton>(this);
        b->SetParent(this);
        b->SetTabStop(false);
        b->SetMouseContinuouslyDownInterval(100);
        auto step = [this, direction] {
            track_->SetPosition(int(std::clamp<Int64>(
                Int64(track_->Position()) + direction * smallChange_, INT32_MIN, INT32_MAX)));
        };
        // A held arrow steps on every repeat tick; one let go before its first tick steps
        // once, on the click, so that no click goes unanswered.
        b->OnMouseDown = [this](TObject*, TMouseButton Button, TShiftState, int, int) {
            if (Button == mbLeft) arrowRepeated_ = false;
        };
        b->OnMouseContinuouslyDown = [this, step](TObject*) {
            arrowRepeated_ = true;
            step();
        };
        b->OnClick = [this, step](TObject*) {
            if (!arrowRepeated_) step();
        };
        return b;
    };
    decrease_ = button(-1);
    increase_ = button(+1);
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    smallChange_ = 1;
    lineButton_ = 0;
    SetHeight(185);
    SetUIStyle(GetOwnerUIStyle(AOwner));
    LayOut();
}

void TskScrollBar::Destroy() {
    LinkFileTheme(this, fileTheme_, nullptr);
    decrease_ = increase_ = nullptr;
    track_ = nullptr;
    inherited::Destroy();
    for (auto& p : pieces_)
        p.reset();
}

void TskScrollBar::SetPosition(int v) {
    if (v != track_->Position()) track_->SetPosition(v);
}

void TskScrollBar::SetPageSize(int v) {
    track_->SetPageSize(v);
    BuildSlider();
}

int TskScrollBar::TrackLength() const {
    return orientation_ == skVertical ? track_->Height() : track_->Width();
}

void TskScrollBar::SetLineButton(int v) {
    if (v == lineButton_) return;
    const int along = orientation_ == skVertical ? Height() : Width();
    const int buttons = orientation_ == skVertical ? decrease_->Height() + increase_->Height()
                                                   : decrease_->Width() + increase_->Width();
    if (along - buttons < v) return;
    lineButton_ = v;
    BuildSlider();
}

void TskScrollBar::SetOrientation(TskProgressBarOrientation v) {
    if (!AssignIfChanged(orientation_, v)) return;
    Restyle();
    LayOut();
}

void TskScrollBar::SetUIStyle(TskUIStyle v) {
    uiStyle_ = v;
    track_->SetColor(Color());
    Restyle();
    LayOut();
}

void TskScrollBar::SetFileTheme(TskFileTheme* v) {
    LinkFileTheme(this, fileTheme_, v);
    SetUIStyle(uiStyle_);
}

void TskScrollBar::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    DropRemovedFileTheme(this, fileTheme_, AComponent, Operation);
}

void TskScrollBar::Restyle() {
    if (!track_) return;
    track_->BarImage()->Assign(nullptr);
    SetColor(SkinColor(fileTheme_, uiStyle_, tiScrollBarBackgroundColor));
    for (int i = 0; i < 3; ++i)
        SkinBitmap(fileTheme_, uiStyle_, tiScrollBarSliderImage, pieces_[i].get(), 3, i + 1);
    // The arrow strip is drawn for a vertical bar; a horizontal one turns its pieces.
    for (int i = 0; i < 6; ++i) {
        ObjectPtr<TBitmap> piece = MakeObject<TBitmap>();
        SkinBitmap(fileTheme_, uiStyle_, tiScrollBarButtonImage, piece.get(), 6, i + 1);
        if (orientation_ == skHorizontal) RotateBitmapLeft(piece.get());
        ObjectPtr<TPicture> picture = MakeObject<TPicture>();
        picture->Bitmap()->Assign(piece.get());
        TskImageButton* owner = i < 3 ? decrease_ : increase_;
        if (i % 3 == 0) owner->SetPicNormal(picture.get());
        if (i % 3 == 1) owner->SetPicMouseOn(picture.get());
        if (i % 3 == 2) owner->SetPicMouseDown(picture.get());
    }
    if (orientation_ == skVertical)
        for (auto& p : pieces_)
            RotateBitmapRight(p.get());
    decrease_->SetAutoSize(true);
    increase_->SetAutoSize(true);
    Invalidate();
}

void TskScrollBar::LayOut() {
    if (layingOut_ || !track_) return;
    layingOut_ = true;
    ScopeGuard done([this] { layingOut_ = false; });
    track_->SetOrientation(orientation_);
    if (Width() == 0 || Height() == 0) {
        hiddenForSize_ = hiddenForSize_ || Visible();
        SetVisible(false);
        layingOut_ = false;
        return;
    }
    // A bar hidden only for want of a size shows again once it has one.
    if (hiddenForSize_) {
        hiddenForSize_ = false;
        SetVisible(true);
    }
    if (orientation_ == skVertical) {
        decrease_->SetBounds(0, 0, decrease_->Width(), decrease_->Height());
        track_->SetBounds(0, decrease_->Height(), track_->Width(),
                          std::max(Height() - increase_->Height() - decrease_->Height() - 1, 0));
        increase_->SetBounds(0, Height() - increase_->Height(), increase_->Width(),
                             increase_->Height());
        SetWidth(decrease_->Width());
    } else {
        decrease_->SetBounds(0, 0, decrease_->Width(), decrease_->Height());
        track_->SetBounds(decrease_->Width(), 0,
                          std::max(Width() - increase_->Width() - decrease_->Width(), 0),
                          track_->Height());
        increase_->SetBounds(Width() - increase_->Width(), 0, increase_->Width(),
                             increase_->Height());
        SetHeight(decrease_->Height());
    }
    BuildSlider();
}

void TskScrollBar::BuildSlider() {
    if (!track_ || pieces_[0]->Empty()) return;
    const bool vertical = orientation_ == skVertical;
    const int thickness = vertical ? pieces_[0]->Width() : pieces_[0]->Height();
    int length = 0;
    if (lineButton_ > 0) {
        if (lineButton_ < kMinSliderLength) lineButton_ = kMinSliderLength;
        length = lineButton_;
    } else {
        int p = track_->PageSize();
        if (p < 10 || p > 100) p = 10;
        length = int(Int64(p) * TrackLength() / 100);
    }
    if (length <= 0 || thickness <= 0) return;
    ObjectPtr<TBitmap> s = MakeObject<TBitmap>();
    if (vertical)
        s->SetSize(thickness, length);
    else
        s->SetSize(length, thickness);
    TCanvas* c = s->Canvas();
    TBitmap* start = pieces_[0].get();
    TBitmap* middle = pieces_[1].get();
    TBitmap* end = pieces_[2].get();
    if (vertical) {
        c->StretchDraw(Rect(0, start->Height(), thickness, length - end->Height()), middle);
        c->Draw(0, 0, start);
        c->Draw(0, length - end->Height(), end);
    } else {
        c->StretchDraw(Rect(start->Width(), 0, length - end->Width(), thickness), middle);
        c->Draw(0, 0, start);
        c->Draw(length - end->Width(), 0, end);
    }
    ObjectPtr<TPicture> picture = MakeObject<TPicture>();
    picture->Bitmap()->Assign(s.get());
    track_->SetSliderImage(picture.get());
    track_->SetSliderAutoSize();
}

void TskScrollBar::Resize() {
    inherited::Resize();
    LayOut();
}

void TskScrollBar::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case WM_SIZE:
        inherited::Dispatch(Message);
        LayOut();
        return;
    case CM_COLORCHANGED:
        inherited::Dispatch(Message);
        if (track_) track_->SetColor(Color());
        return;
    case CM_VISIBLECHANGED:
        inherited::Dispatch(Message);
        if (track_) {
            track_->SetVisible(Visible());
            decrease_->SetVisible(Visible());
            increase_->SetVisible(Visible());
        }
        return;
    default:
        inherited::Dispatch(Message);
    }
}

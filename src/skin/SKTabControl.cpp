#include "skin/SKTabControl.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>

namespace {

// The scroll arrows' pieces of the style's scroll-button strip.
constexpr int kArrowPieces = 4;
constexpr int kRightArrow = 1, kRightArrowHot = 2, kLeftArrow = 3, kLeftArrowHot = 4;

struct ArrowPlaces {
    TRect right, left;
};

ArrowPlaces ArrowsOn(int W, int H, int aw, int ah) {
    const int ax = W - (aw + 2);
    const int ay = ah + 4 < H ? (H - ah) / 2 - 2 : 0;
    return {Rect(ax, ay, W - 2, ay + ah), Rect(ax - aw, ay, ax, ay + ah)};
}

bool Empty(const TRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

} // namespace

// --- the strip -----------------------------------------------------------------------------

void TskTabControlTopPanel::DeclareProperties(Published<TskTabControlTopPanel>& p) {
    p.Object("FileTheme", &TskTabControlTopPanel::FileTheme, &TskTabControlTopPanel::SetFileTheme)
        .Ordinal("UIStyle", &TskTabControlTopPanel::UIStyle, &TskTabControlTopPanel::SetUIStyle)
        .Object("Tabs", &TskTabControlTopPanel::Tabs, &TskTabControlTopPanel::SetTabs)
        .Ordinal("TabIndex", &TskTabControlTopPanel::TabIndex, &TskTabControlTopPanel::SetTabIndex)
        .Ordinal("LeftMargin", &TskTabControlTopPanel::LeftMargin,
                 &TskTabControlTopPanel::SetLeftMargin);
}

void TskTabControlTopPanel::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    TControl::SetText(" ");
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    SetBorderWidth(0);
    SetAlign(alNone);
    ControlStyle().Exclude(csAcceptsControls);
    tabs_ = MakeObject<TStringList>();
    tabs_->Add("Tab1");
    tabs_->OnChange = [this](TObject*) { Invalidate(); };
}

void TskTabControlTopPanel::Destroy() {
    if (tabs_) tabs_->OnChange = nullptr;
    inherited::Destroy();
}

void TskTabControlTopPanel::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    DropRemovedFileTheme(this, fileTheme_, AComponent, Operation);
}

int TskTabControlTopPanel::ShownBefore(int Index) const {
    int shown = 0;
    for (int i = 0; i < Index; ++i)
        if (TabVisible(i)) ++shown;
    return shown;
}

void TskTabControlTopPanel::Grow(int count) {
    if (int(tabWidths_.size()) < count) tabWidths_.resize(size_t(count), -1);
    if (int(tabVisible_.size()) < count) tabVisible_.resize(size_t(count), true);
    tabRects_.assign(size_t(std::max(count, 0)), TRect{});
}

int TskTabControlTopPanel::TabWidth(int Index) const {
    return Index >= 0 && Index < int(tabWidths_.size()) ? tabWidths_[size_t(Index)] : -1;
}

bool TskTabControlTopPanel::TabVisible(int Index) const {
    return Index < 0 || Index >= int(tabVisible_.size()) || tabVisible_[size_t(Index)];
}

void TskTabControlTopPanel::SetTabVisible(int Index, bool Value) {
    if (Index < 0) return;
    if (Index >= int(tabVisible_.size())) tabVisible_.resize(size_t(Index) + 1, true);
    tabVisible_[size_t(Index)] = Value;
    Invalidate();
}

TRect TskTabControlTopPanel::TabRect(int Index) const {
    return Index >= 0 && Index < int(tabRects_.size()) ? tabRects_[size_t(Index)] : TRect{};
}

int TskTabControlTopPanel::TabAt(int X, int Y) const {
    if (Y <= 0 || Y >= tabHeight_) return -1;
    for (int i = 0; i < int(tabRects_.size()); ++i) {
        const TRect& r = tabRects_[size_t(i)];
        if (!Empty(r) && r.left < X && X < r.right) return i;
    }
    return -1;
}

void TskTabControlTopPanel::SetFileTheme(TskFileTheme* Value) {
    LinkFileTheme(this, fileTheme_, Value);
    SetUIStyle(uiStyle_);
}

void TskTabControlTopPanel::SetUIStyle(TskUIStyle Value) {
    uiStyle_ = Value;
    auto tab = MakeObject<TBitmap>(), bar = MakeObject<TBitmap>(), arrow = MakeObject<TBitmap>();
    SkinBitmap(fileTheme_, uiStyle_, tiTabControlTabImage, tab.get());
    SkinBitmap(fileTheme_, uiStyle_, tiTabControlBarImage, bar.get());
    SkinBitmap(fileTheme_, uiStyle_, tiScrollButtonImage, arrow.get(), kArrowPieces, kRightArrow);
    SetHeight(tab->Height() + bar->Height());
    arrowWidth_ = arrow->Width();
    arrowHeight_ = arrow->Height();
    Invalidate();
}

void TskTabControlTopPanel::SetLeftMargin(int Value) {
    leftMargin_ = Value;
    Invalidate();
}

void TskTabControlTopPanel::SetTabIndex(int Value) {
    if (Value == tabIndex_) return;
    const int count = tabs_->Count();
    if (count == 0) {
        tabIndex_ = -1;
        Invalidate();
        return;
    }
    if (Value < -1 || Value >= count) {
        Invalidate();
        return;
    }
    if (clicking_ && tabControl_ && tabControl_->OnChanging) {
        bool allow = true;
        tabControl_->OnChanging(tabControl_, allow);
        if (!allow) return;
    }
    tabIndex_ = Value;
    ensureActiveVisible_ = true;
    Invalidate();
    if (tabControl_) tabControl_->TabActivated(tabIndex_);
}

int TskTabControlTopPanel::DrawTabs(TBitmap* Bitmap) {
    TCanvas* c = Bitmap->Canvas();
    const int W = Bitmap->Width();
    const int limitLast = W - 10;
    const int limitOther = W - 2 * arrowWidth_ - 2;
    auto active = MakeObject<TBitmap>(), inactive = MakeObject<TBitmap>(),
         bar = MakeObject<TBitmap>();
    SkinBitmap(fileTheme_, uiStyle_, tiTabControlTabImage, active.get(), 2, 1);
    SkinBitmap(fileTheme_, uiStyle_, tiTabControlTabImage, inactive.get(), 2, 2);
    SkinBitmap(fileTheme_, uiStyle_, tiTabControlBarImage, bar.get());
    tabHeight_ = active->Height();
    const TColor border = tabControl_ ? tabControl_->BorderColor() : TColor(clBlack);
    if (!bar->Empty()) {
        c->StretchDraw(Rect(1, tabHeight_, W - 1, tabHeight_ + bar->Height()), bar.get());
        c->Pen()->SetColor(border);
        c->MoveTo(0, tabHeight_);
        c->LineTo(0, tabHeight_ + bar->Height());
        c->MoveTo(W - 1, tabHeight_);
        c->LineTo(W - 1, tabHeight_ + bar->Height());
    }
    const int count = tabs_->Count();
    Grow(count);
    if (tabControl_) c->SetFont(tabControl_->Font());
    int X = leftMargin_, shown = 0, result = count - 1, limit = limitLast;
    bool clipped = false;
    for (int i = 0; i < count; ++i) {
        limit = i == count - 1 ? limitLast : limitOther;
        if (!tabVisible_[size_t(i)]) {
            tabWidths_[size_t(i)] = 0;
            continue;
        }
        if (clipped) break;
        const String text = tabs_->Get(i);
        int width = text.empty() ? 80 : c->TextWidth(text) + 20;
        width = std::max(width, 15);
        tabWidths_[size_t(i)] = width;
        ++shown;
        if (shown - 1 < firstVisible_) continue;
        const bool isActive = i == tabIndex_;
        TRect r =
            isActive ? Rect(X, 1, X + width, tabHeight_ + 1) : Rect(X, 0, X + width, tabHeight_);
        bool cut = false;
        if (r.right > limit) {
            // A tab that starts past the limit is cut to nothing, never turned inside out.
            r.right = std::max<LONG>(r.left, limitOther);
            cut = clipped = true;
            result = i - 1;
            if (!isActive) tabWidths_[size_t(i)] = r.right - r.left;
        }
        if (!Empty(r)) DrawThreePartBitmap(isActive ? active.get() : inactive.get(), c, r, false);
        tabRects_[size_t(i)] = r;
        X += width;
        if (Empty(r)) continue;
        c->Brush()->SetStyle(bsClear);
        TRect textRect = cut ? Rect(r.left + 10, r.top, r.right - 4, r.bottom) : r;
        DrawCanvasText(c, text, textRect,
                       DT_SINGLELINE | DT_VCENTER | (cut ? DT_LEFT : DT_CENTER) | DT_NOPREFIX);
    }
    overflow_ = (X > limit || clipped) && count > 0;
    return result;
}

void TskTabControlTopPanel::DrawArrows(TBitmap* Bitmap) {
    if (!overflow_ && firstVisible_ <= 0) return;
    TPoint p;
    GetCursorPos(&p);
    if (HandleAllocated()) p = ScreenToClient(p);
    arrowState_ = 0;
    const ArrowPlaces places =
        ArrowsOn(Bitmap->Width(), Bitmap->Height(), arrowWidth_, arrowHeight_);
    auto draw = [&](const TRect& r, int piece) {
        auto b = MakeObject<TBitmap>();
        SkinBitmap(fileTheme_, uiStyle_, tiScrollButtonImage, b.get(), kArrowPieces, piece);
        b->SetTransparentColor(clFuchsia);
        b->SetTransparent(true);
        Bitmap->Canvas()->Draw(r.left, r.top, b.get());
    };
    const bool onRight = PointInRect(p, places.right), onLeft = PointInRect(p, places.left);
    draw(places.right, onRight ? kRightArrowHot : kRightArrow);
    draw(places.left, onLeft ? kLeftArrowHot : kLeftArrow);
    arrowState_ = onRight ? 1 : onLeft ? -1 : 0;
}

void TskTabControlTopPanel::Paint() {
    const int W = Width(), H = Height();
    if (W <= 0 || H <= 0) return;
    auto bitmap = MakeObject<TBitmap>();
    bitmap->SetSize(W, H);
    auto drawAll = [&] {
        // The strip's own colour first, so that nothing undrawn is left where the parent
        // paints nothing.
        bitmap->Canvas()->Brush()->SetStyle(bsSolid);
        bitmap->Canvas()->Brush()->SetColor(Color());
        bitmap->Canvas()->FillRect(Rect(0, 0, W, H));
        DrawParentBackground(bitmap->Canvas(), this);
        return DrawTabs(bitmap.get());
    };
    arrowState_ = 0;
    int last = drawAll();
    if (ensureActiveVisible_ && tabIndex_ >= 0) {
        // The scroll position counts shown tabs, so hidden tabs before the active one do not.
        const int place = ShownBefore(tabIndex_);
        if (place < firstVisible_) {
            firstVisible_ = place;
            last = drawAll();
        }
        // Bounded: a tab too wide to be shown whole stops at being the first one drawn.
        while (last < tabIndex_ && firstVisible_ < place) {
            ++firstVisible_;
            last = drawAll();
        }
    }
    ensureActiveVisible_ = false;
    DrawArrows(bitmap.get());
    Canvas()->Draw(0, 0, bitmap.get());
}

void TskTabControlTopPanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    Repaint();
    if (overflow_ || firstVisible_ > 0) {
        const ArrowPlaces places = ArrowsOn(Width(), Height(), arrowWidth_, arrowHeight_);
        const int arrow = PointInRect(X, Y, places.right)  ? 1
                          : PointInRect(X, Y, places.left) ? -1
                                                           : 0;
        if (arrow != 0) {
            if (arrow < 0) --firstVisible_;
            if (arrow > 0 && overflow_) ++firstVisible_;
            firstVisible_ = std::clamp(firstVisible_, 0, std::max(0, tabs_->Count() - 1));
            Repaint();
            return;
        }
    }
    const int hit = TabAt(X, Y);
    if (hit < 0) return;
    {
        // Only this change is the click's, even when a handler it runs fails.
        clicking_ = true;
        ScopeGuard clicked([this] { clicking_ = false; });
        SetTabIndex(hit);
    }
    ensureActiveVisible_ = true;
    Repaint();
}

void TskTabControlTopPanel::MouseMove(TShiftState Shift, int X, int Y) {
    inherited::MouseMove(Shift, X, Y);
    if (overflow_) Invalidate();
}

void TskTabControlTopPanel::Resize() {
    inherited::Resize();
    if (tabControl_ && (Left() != 0 || Top() != 0 || Width() != tabControl_->Width()))
        SetBounds(0, 0, tabControl_->Width(), Height());
}

void TskTabControlTopPanel::RequestAlign() {
    if (!tabControl_) {
        inherited::RequestAlign();
        return;
    }
    // One move: the bounds it sets ask again, and find nothing to do.
    if (BoundsRect() != Rect(0, 0, tabControl_->Width(), Height()))
        SetBounds(0, 0, tabControl_->Width(), Height());
}

void TskTabControlTopPanel::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_ERASEBKGND) {
        Message.Result = 1;
        return;
    }
    inherited::Dispatch(Message);
}

// --- the tab control -----------------------------------------------------------------------

void TskTab::DeclareProperties(Published<TskTab>& p) {
    p.Object("FileTheme", &TskTab::FileTheme, &TskTab::SetFileTheme)
        .Ordinal("UIStyle", &TskTab::UIStyle, &TskTab::SetUIStyle)
        .Ordinal("LeftMargin", &TskTab::LeftMargin, &TskTab::SetLeftMargin)
        .Ordinal("BorderColor", &TskTab::BorderColor, &TskTab::SetBorderColor)
        .Ordinal("DragCursor", &TskTab::DragCursor, &TskTab::SetDragCursor)
        .Ordinal("DragMode", &TskTab::DragMode, &TskTab::SetDragMode);
}

void TskTab::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    topPanel_ = CreateTopPanel();
    topPanel_->SetTabControl(this);
    topPanel_->SetParent(this);
    topPanel_->OnClick = [this](TObject*) {
        if (OnClick) OnClick(this);
    };
    topPanel_->OnDblClick = [this](TObject*) {
        if (OnDblClick) OnDblClick(this);
    };
    TControl::SetText(" ");
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    SetBorderWidth(0);
    SetHeight(80);
    SetUIStyle(GetOwnerUIStyle(AOwner));
    topPanel_->SetBounds(0, 0, Width(), topPanel_->Height());
}

void TskTab::Destroy() {
    if (topPanel_) topPanel_->SetTabControl(nullptr);
    inherited::Destroy();
}

void TskTab::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    if (AComponent == topPanel_) topPanel_ = nullptr;
}

void TskTab::SetUIStyle(TskUIStyle Value) {
    uiStyle_ = Value;
    if (topPanel_) {
        topPanel_->SetFileTheme(fileTheme_);
        topPanel_->SetUIStyle(uiStyle_);
        // The strip keeps to the top by itself; the pages below follow its new height.
        Realign();
    }
    ApplyStyleToChildren(uiStyle_, fileTheme_);
    if (topPanel_) topPanel_->SetColor(SkinColor(fileTheme_, uiStyle_, tiControlBackgroundColor));
    SetBorderColor(SkinColor(fileTheme_, uiStyle_, tiControlBorderColor));
    TskUIStyle S = uiStyle_;
    const bool fromFile = UsingFileTheme(fileTheme_, uiStyle_, S);
    SetColor(!fromFile && uiStyle_ == WinXP
                 ? TColor(clWhite)
                 : SkinColor(fileTheme_, uiStyle_, tiControlBackgroundColor));
    Invalidate();
}

void TskTab::SetBorderColor(TColor Value) {
    borderColor_ = Value;
    BorderColorChanged();
    Invalidate();
    if (topPanel_) topPanel_->Invalidate();
}

void TskTab::SetTabIndex(int Index) {
    if (topPanel_) topPanel_->SetTabIndex(Index);
}

void TskTab::TabActivated(int Index) {
    if (ComponentState().Contains(csLoading)) return;
    if (OnTabActive) OnTabActive(this, Index);
    if (OnChange) OnChange(this);
}

void TskTab::ApplyStyleToChildren(TskUIStyle Style, TskFileTheme* Theme) {
    ContainerApplyUIStyle(this, Style, Theme);
}

void TskTab::AlignControls(TControl* AControl, TRect& Rect) {
    Rect.left += 3;
    Rect.right -= 3;
    Rect.bottom -= 3;
    Rect.top = (topPanel_ ? topPanel_->Height() : 0) + 3;
    inherited::AlignControls(AControl, Rect);
}

void TskTab::Paint() {
    const int W = Width(), H = Height();
    const int top = topPanel_ ? topPanel_->Height() : 0;
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(Rect(0, top, W, H));
    c->Pen()->SetColor(borderColor_);
    c->MoveTo(0, top);
    c->LineTo(0, H - 1);
    c->LineTo(W - 1, H - 1);
    c->LineTo(W - 1, top - 1);
}

void TskTab::Resize() {
    inherited::Resize();
    if (topPanel_) topPanel_->SetBounds(0, 0, Width(), topPanel_->Height());
}

void TskTab::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_CURSORCHANGED:
        if (topPanel_) topPanel_->SetCursor(Cursor());
        break;
    case CM_FONTCHANGED:
        if (topPanel_) topPanel_->Invalidate();
        break;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

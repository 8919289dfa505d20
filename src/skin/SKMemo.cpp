#include "skin/SKMemo.h"

#include "platform/user/ScrollBar.h"
#include "platform/user/User.h"
#include "rtl/ScopeGuard.h"

#include <cstdlib>

void TskMemo::DeclareProperties(Published<TskMemo>& p) {
    p.Ordinal("BorderColor", &TskMemo::BorderColor, &TskMemo::SetBorderColor)
        .Ordinal("UIStyle", &TskMemo::UIStyle, &TskMemo::SetUIStyle)
        .Object("FileTheme", &TskMemo::FileTheme, &TskMemo::SetFileTheme)
        .Object("VScrollBar", &TskMemo::VScrollBar, &TskMemo::SetVScrollBar)
        .Object("HScrollBar", &TskMemo::HScrollBar, &TskMemo::SetHScrollBar);
}

void TskMemo::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    PrepareEditBorder(this);
    SetUIStyle(GetOwnerUIStyle(AOwner));
}

void TskMemo::DrawFrame() {
    DrawEditBorder(this, borderColor_, Color(), true);
}

void TskMemo::SetBorderColor(TColor Value) {
    borderColor_ = Value;
    Invalidate();
}

void TskMemo::SetUIStyle(TskUIStyle Value) {
    uiStyle_ = Value;
    borderColor_ = SkinColor(fileTheme_, uiStyle_, tiControlBorderColor);
    TskUIStyle S = uiStyle_;
    UsingFileTheme(fileTheme_, uiStyle_, S);
    if (vBar_) vBar_->SetUIStyle(S);
    if (hBar_) hBar_->SetUIStyle(S);
    Invalidate();
}

void TskMemo::SetFileTheme(TskFileTheme* Value) {
    LinkFileTheme(this, fileTheme_, Value);
    if (vBar_) vBar_->SetFileTheme(Value);
    if (hBar_) hBar_->SetFileTheme(Value);
    SetUIStyle(uiStyle_);
}

void TskMemo::SetVScrollBar(TskScrollBar* Value) {
    SetBar(vBar_, Value, true);
}
void TskMemo::SetHScrollBar(TskScrollBar* Value) {
    SetBar(hBar_, Value, false);
}

void TskMemo::SetBar(TskScrollBar*& field, TskScrollBar* Value, bool vertical) {
    if (field == Value) return;
    if (TskScrollBar* old = field) {
        // A released bar is left as a plain bar of its own.
        old->SetOnChange(nullptr);
        old->SetLineButton(0);
        old->SetMax(100);
        old->SetEnabled(true);
        old->RemoveFreeNotification(this);
    }
    field = Value;
    if (!Value) {
        UpdateScrollBars();
        return;
    }
    Value->FreeNotification(this);
    Value->SetOrientation(vertical ? skVertical : skHorizontal);
    Value->SetOnChange([this, vertical](TObject*) { BarChanged(vertical); });
    Value->BringToFront();
    UpdateScrollBars();
    PlaceBars();
}

void TskMemo::UpdateScrollBars() {
    // The window's own bars stay on under skinned ones. Only attaching and detaching bars
    // comes here, so a memo that never had any keeps the bars it was given (the help
    // text's vertical bar).
    SetScrollBars(vBar_ && hBar_ ? ssBoth : hBar_ ? ssHorizontal : vBar_ ? ssVertical : ssNone);
}

void TskMemo::PlaceBars() {
    if (hBar_) {
        hBar_->SetVisible(Height() >= hBar_->Height());
        hBar_->SetLeft(Left() + 1);
        hBar_->SetTop(Top() + Height() - hBar_->Height() - 2);
        hBar_->SetWidth(Width() - 2 - (vBar_ ? vBar_->Width() : 0));
    }
    if (vBar_) {
        vBar_->SetVisible(Width() >= vBar_->Width());
        vBar_->SetLeft(Left() + Width() - vBar_->Width() - 2);
        vBar_->SetTop(Top() + 1);
        vBar_->SetHeight(Height() - 2 - (hBar_ ? hBar_->Height() : 0));
    }
    SyncBars();
}

void TskMemo::SyncOne(TskScrollBar* bar, bool vertical) {
    if (!bar || !HandleAllocated()) return;
    SCROLLBARINFO info;
    const bool got =
        GetScrollBarInfo(Handle(), vertical ? OBJID_VSCROLL : OBJID_HSCROLL, &info) != FALSE;
    const bool usable = got &&
                        !(info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE)) &&
                        Enabled();
    if (usable) {
        bar->SetLineButton(std::abs(info.xyThumbBottom - info.xyThumbTop));
        if (!vertical) bar->SetSmallChange(TScrollBarInc(3 * bar->PageSize()));
        bar->SetEnabled(true);
        bar->SetSliderVisible(true);
    } else {
        bar->SetLineButton(0);
        bar->SetEnabled(false);
        bar->SetSliderVisible(false);
    }
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    if (!GetScrollInfo(Handle(), vertical ? SB_VERT : SB_HORZ, &si)) return;
    const int min = si.nMin;
    const int max = std::max(min, si.nMax - int(si.nPage) + 1);
    // The range goes in whole: whichever end moves first never passes the other's old value.
    if (min > bar->Max()) {
        bar->SetMax(max);
        bar->SetMin(min);
    } else {
        bar->SetMin(min);
        bar->SetMax(max);
    }
    bar->SetPosition(si.nPos);
}

void TskMemo::SyncBars() {
    if (scrolling_ || syncing_) return;
    // The bars' own change events must not scroll the text back meanwhile.
    syncing_ = true;
    ScopeGuard done([this] { syncing_ = false; });
    SyncOne(hBar_, false);
    SyncOne(vBar_, true);
}

void TskMemo::BarChanged(bool vertical) {
    if (syncing_) return;
    TskScrollBar* bar = vertical ? vBar_ : hBar_;
    if (!bar) return;
    scrolling_ = true;
    // The whole position, not 16 bits of it.
    ScrollToPosition(vertical ? SB_VERT : SB_HORZ, bar->Position());
    Invalidate();
    scrolling_ = false;
}

void TskMemo::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    if (AComponent == hBar_) {
        hBar_ = nullptr;
        UpdateScrollBars();
    }
    if (AComponent == vBar_) {
        vBar_ = nullptr;
        UpdateScrollBars();
    }
    DropRemovedFileTheme(this, fileTheme_, AComponent, Operation);
}

void TskMemo::Dispatch(TMessage& Message) {
    if (RepaintsEditBorder(Message.Msg)) {
        inherited::Dispatch(Message);
        DrawFrame();
        return;
    }
    switch (Message.Msg) {
    case WM_SIZE:
    case WM_MOVE:
        inherited::Dispatch(Message);
        PlaceBars();
        return;
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_MOUSEWHEEL:
    case CM_ENABLEDCHANGED:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case WM_SETTEXT:
        inherited::Dispatch(Message);
        SyncBars();
        return;
    case WM_HSCROLL:
    case WM_VSCROLL:
        inherited::Dispatch(Message);
        if (!scrolling_) SyncBars();
        return;
    case WM_LBUTTONDOWN:
        mouseDown_ = true;
        inherited::Dispatch(Message);
        SyncBars();
        return;
    case WM_MOUSEMOVE:
        inherited::Dispatch(Message);
        if (mouseDown_) SyncBars(); // a selection drag scrolls the text
        return;
    case WM_LBUTTONUP:
        mouseDown_ = false;
        inherited::Dispatch(Message);
        return;
    case CM_VISIBLECHANGED:
        inherited::Dispatch(Message);
        if (Visible()) {
            PlaceBars();
        } else {
            if (hBar_) hBar_->SetVisible(false);
            if (vBar_) vBar_->SetVisible(false);
        }
        return;
    default:
        inherited::Dispatch(Message);
    }
}

// Alignment of child controls: the aligned ones fill the client area edge by edge (top,
// bottom, left, right, then the client one), the anchored ones keep their distances.
#include "framework/WinControl.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>

void TWinControl::ShowControl(TControl*) {
    if (parent_) parent_->ShowControl(this);
}

void TWinControl::EnableAlign() {
    if (alignDisabled_ > 0) --alignDisabled_;
    if (alignDisabled_ == 0 && alignPending_) Realign();
}

void TWinControl::Realign() {
    if (alignDisabled_ > 0 || aligning_ || ComponentState().Contains(csDestroying)) {
        alignPending_ = true;
        return;
    }
    // A realignment asked for while one runs (a handler resized something) runs after it.
    do {
        alignPending_ = false;
        aligning_ = true;
        {
            ScopeGuard reset([&] { aligning_ = false; });
            DoAlign();
        }
    } while (alignPending_ && alignDisabled_ == 0);
}

void TWinControl::DoAlign() {
    TRect r = ClientRect();
    AdjustClientRect(r);
    AlignControls(nullptr, r);
}

void TWinControl::AlignControls(TControl*, TRect& Rect) {
    auto place = [&](TAlign align) {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->Align() == align && c->Visible()) list.push_back(c);
        // Controls keep their relative order along the edge they are aligned to.
        std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
            switch (align) {
            case alTop:
                return a->Top() < b->Top();
            case alBottom:
                return a->Top() + a->Height() > b->Top() + b->Height();
            case alLeft:
                return a->Left() < b->Left();
            case alRight:
                return a->Left() + a->Width() > b->Left() + b->Width();
            default:
                return false;
            }
        });
        for (TControl* c : list) {
            int w = std::max<int>(0, Rect.right - Rect.left);
            int h = std::max<int>(0, Rect.bottom - Rect.top);
            c->anchoring_ = true;
            ScopeGuard reset([&] { c->anchoring_ = false; });
            switch (align) {
            case alTop:
                c->SetBounds(Rect.left, Rect.top, w, c->Height());
                Rect.top += c->Height();
                break;
            case alBottom:
                c->SetBounds(Rect.left, Rect.bottom - c->Height(), w, c->Height());
                Rect.bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(Rect.left, Rect.top, c->Width(), h);
                Rect.left += c->Width();
                break;
            case alRight:
                c->SetBounds(Rect.right - c->Width(), Rect.top, c->Width(), h);
                Rect.right -= c->Width();
                break;
            case alClient:
                c->SetBounds(Rect.left, Rect.top, w, h);
                break;
            default:
                break;
            }
        }
    };
    place(alTop);
    place(alBottom);
    place(alLeft);
    place(alRight);
    place(alClient);
    TRect client = ClientRect();
    for (TControl* c : std::vector<TControl*>(controls_)) {
        if (c->Align() != alNone) continue;
        TAnchors a = c->Anchors();
        if (a.Contains(akRight) || a.Contains(akBottom)) c->AnchorTo(client.right, client.bottom);
    }
}

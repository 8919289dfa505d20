#include "framework/Panel.h"

#include "framework/FillSolid.h"
#include "framework/Frame3D.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/ScopeGuard.h"

void PaintParentUnder(TControl* Control, HDC dc) {
    TWinControl* parent = Control ? Control->Parent() : nullptr;
    if (!parent || !dc) return;
    gdi::SavedDC saved(dc);
    OffsetViewportOrgEx(dc, -Control->Left(), -Control->Top(), nullptr);
    TRect pr = parent->ClientRect();
    IntersectClipRect(dc, 0, 0, pr.right, pr.bottom);
    // A non-windowed control must not paint itself into its own background.
    bool wasVisible = Control->Visible();
    bool hide = wasVisible && !Control->InheritsFrom<TWinControl>();
    if (hide) Control->ControlState().Include(csPaintCopy);
    ScopeGuard show([&] {
        if (hide) Control->ControlState().Exclude(csPaintCopy);
    });
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void TCustomPanel::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle() = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                   csOpaque,          csDoubleClicks, csReplicatable};
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    if (borderStyle_ == bsSingle) Params.Style |= WS_BORDER;
}

void TCustomPanel::FrameChanged() {
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut v) {
    if (AssignIfChanged(bevelInner_, v)) FrameChanged();
}

void TCustomPanel::SetBevelOuter(TBevelCut v) {
    if (AssignIfChanged(bevelOuter_, v)) FrameChanged();
}

void TCustomPanel::SetBevelWidth(TBevelWidth v) {
    if (v < 1) v = 1;
    if (AssignIfChanged(bevelWidth_, v)) FrameChanged();
}

void TCustomPanel::SetBorderWidth(TBorderWidth v) {
    if (v < 0) v = 0;
    if (AssignIfChanged(borderWidth_, v)) FrameChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle v) {
    if (v != bsNone) v = bsSingle;
    if (!AssignIfChanged(borderStyle_, v)) return;
    RecreateWnd();
    FrameChanged();
}

void TCustomPanel::SetAlignment(TAlignment v) {
    if (AssignIfChanged(alignment_, v)) Invalidate();
}

void TCustomPanel::SetParentBackground(bool v) {
    if (!AssignIfChanged(parentBackground_, v)) return;
    if (v)
        ControlStyle().Exclude(csOpaque);
    else
        ControlStyle().Include(csOpaque);
    Invalidate();
}

int TCustomPanel::FrameWidth() const {
    int w = borderWidth_;
    if (bevelOuter_ != bvNone) w += bevelWidth_;
    if (bevelInner_ != bvNone) w += bevelWidth_;
    return w;
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
    inherited::AdjustClientRect(Rect);
    int w = FrameWidth();
    Rect.left += w;
    Rect.top += w;
    Rect.right -= w;
    Rect.bottom -= w;
    if (Rect.right < Rect.left) Rect.right = Rect.left;
    if (Rect.bottom < Rect.top) Rect.bottom = Rect.top;
}

void TCustomPanel::PaintParentBackground(HDC dc) {
    PaintParentUnder(this, dc);
}

namespace {
void Bevel(HDC dc, TRect& r, TBevelCut cut, int width, TColor face) {
    switch (cut) {
    case bvNone:
        return;
    case bvLowered:
        Frame3D(dc, r, clBtnShadow, clBtnHighlight, width);
        return;
    case bvRaised:
        Frame3D(dc, r, clBtnHighlight, clBtnShadow, width);
        return;
    case bvSpace:
        Frame3D(dc, r, face, face, width);
        return;
    }
}
} // namespace

void TCustomPanel::Paint() {
    HDC dc = Canvas()->Handle();
    TRect r = ClientRect();
    if (parentBackground_) PaintParentBackground(dc);
    Bevel(dc, r, bevelOuter_, bevelWidth_, Color());
    if (parentBackground_) {
        r.left += borderWidth_;
        r.top += borderWidth_;
        r.right -= borderWidth_;
        r.bottom -= borderWidth_;
    } else {
        Frame3D(dc, r, Color(), Color(), borderWidth_);
    }
    Bevel(dc, r, bevelInner_, bevelWidth_, Color());
    if (!parentBackground_) FillSolid(dc, r, Color());
    // A caption of blanks only draws nothing (skinned panels keep one blank as their text).
    if (Caption().find_first_not_of(' ') == String::npos) return;
    gdi::SavedDC saved(dc);
    SelectObject(dc, Font()->Handle());
    SetTextColor(dc, ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
    SetBkMode(dc, TRANSPARENT);
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
    flags |= alignment_ == taCenter ? DT_CENTER : alignment_ == taRightJustify ? DT_RIGHT : DT_LEFT;
    DrawText(dc, Caption().c_str(), static_cast<int>(Caption().size()), &r, flags);
}

void TCustomPanel::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_ERASEBKGND && parentBackground_) {
        // Paint lays the parent's picture down itself; erasing would only flicker.
        Message.Result = 1;
        return;
    }
    inherited::Dispatch(Message);
}

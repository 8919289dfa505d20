#include "skin/SKToolBar.h"

#include "framework/ImageList.h"
#include "framework/Menus.h"
#include "platform/gdi/Gdi.h"

namespace {
// The arrow part at the right of a drop-down button.
constexpr int kDropDownWidth = 14;
// Where images and captions sit inside a button the bar draws itself.
constexpr int kImageTop = 3;
constexpr int kListImageLeft = 5;
} // namespace

String RemoveAmpersands(const String& Text) {
    // The measure must be what DrawText shows, so the menus' accelerator rule is the one.
    return StripHotkey(Text);
}

void TskToolBar::DeclareProperties(Published<TskToolBar>& p) {
    p.Ordinal("UIStyle", &TskToolBar::UIStyle, &TskToolBar::SetUIStyle)
        .Object("FileTheme", &TskToolBar::FileTheme, &TskToolBar::SetFileTheme)
        .Ordinal("ButtonColor", &TskToolBar::ButtonColor, &TskToolBar::SetButtonColor)
        .Ordinal("ButtonBorderColor", &TskToolBar::ButtonBorderColor,
                 &TskToolBar::SetButtonBorderColor)
        .Ordinal("ButtonDownColor", &TskToolBar::ButtonDownColor, &TskToolBar::SetButtonDownColor)
        .Ordinal("Color", &TskToolBar::Color, &TskToolBar::SetColor)
        .Ordinal("Transparent", &TskToolBar::Transparent, &TskToolBar::SetTransparent);
}

void TskToolBar::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    if (!ComponentState().Contains(csDesigning)) {
        OnCustomDrawButton = [this](TToolBar*, TToolButton* Button, TCustomDrawState State,
                                    bool& DefaultDraw) {
            CustomDrawButton(Button, State, DefaultDraw);
        };
        OnCustomDraw = [this](TToolBar*, const TRect&, bool&) {
            if (Transparent()) DrawParentBackground(Canvas(), this);
        };
    }
    SetFlat(true);
    SetTransparent(false);
    SetUIStyle(GetOwnerUIStyle(AOwner));
}

void TskToolBar::Destroy() {
    OnCustomDrawButton = nullptr;
    OnCustomDraw = nullptr;
    LinkFileTheme(this, fileTheme_, nullptr);
    inherited::Destroy();
}

void TskToolBar::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    DropRemovedFileTheme(this, fileTheme_, AComponent, Operation);
}

void TskToolBar::SetUIStyle(TskUIStyle Value) {
    uiStyle_ = Value;
    buttonBorderColor_ = SkinColor(fileTheme_, uiStyle_, tiToolBarButtonBorderColor);
    buttonColor_ = SkinColor(fileTheme_, uiStyle_, tiToolBarButtonBackgroundColor);
    buttonDownColor_ = SkinColor(fileTheme_, uiStyle_, tiToolBarButtonDownBackgroundColor);
    SetTransparent(Value == MacOS || Value == Protein);
    SetEdgeInner(esNone);
    SetEdgeOuter(esNone);
    Invalidate();
}

void TskToolBar::SetFileTheme(TskFileTheme* Value) {
    LinkFileTheme(this, fileTheme_, Value);
    SetUIStyle(uiStyle_);
}

void TskToolBar::SetButtonColor(TColor Value) {
    buttonColor_ = Value;
    Invalidate();
}

void TskToolBar::SetButtonBorderColor(TColor Value) {
    buttonBorderColor_ = Value;
    Invalidate();
}

void TskToolBar::SetButtonDownColor(TColor Value) {
    buttonDownColor_ = Value;
    Invalidate();
}

void TskToolBar::CustomDrawButton(TToolButton* Button, TCustomDrawState State, bool& DefaultDraw) {
    // Gaps between buttons are never buttons, whatever state they were put in.
    if (Button->Style() == tbsSeparator || Button->Style() == tbsDivider) return;
    if (State.Contains(cdsHot)) {
        DrawButton(Button, State.Contains(cdsSelected));
        if (Button->Style() == tbsDropDown) DrawDropDownArrow(Button->BoundsRect());
        DefaultDraw = false;
    } else if (State.Contains(cdsSelected) || State.Contains(cdsChecked)) {
        DrawButton(Button, false);
        DefaultDraw = false;
    }
}

void TskToolBar::DrawButton(TToolButton* Button, bool Pressed) {
    TCanvas* c = Canvas();
    const TRect r = Button->BoundsRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Pressed ? buttonDownColor_ : buttonColor_);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetColor(buttonBorderColor_);
    c->Rectangle(r);

    const int right = Button->Style() == tbsDropDown ? r.right - kDropDownWidth : r.right;
    TImageList* images = HotImages() ? HotImages() : Images();
    const int imageWidth = images ? images->Width() : 0;
    const int imageHeight = images ? images->Height() : 0;
    if (images) {
        const int x = List() ? r.left + kListImageLeft : r.left + (right - r.left - imageWidth) / 2;
        images->Draw(c, x, r.top + kImageTop, Button->ImageIndex(), true);
    }
    if (!ShowCaptions()) return;
    const String caption = Button->Caption();
    TRect text;
    if (List()) {
        text = images ? Rect(r.left + imageWidth + 7, r.top + 4, r.right, r.bottom)
                      : Rect(r.left + 8, r.top + 3, r.right, r.bottom);
    } else {
        const int width = c->TextWidth(RemoveAmpersands(caption));
        const int y = images ? r.top + imageHeight + 4 : r.top + (Pressed ? 5 : 4);
        text = Rect(r.left + (right - r.left - width) / 2, y, r.right, r.bottom);
    }
    c->Brush()->SetStyle(bsClear);
    DrawCanvasText(c, caption, text, DT_LEFT | DT_SINGLELINE);
}

void TskToolBar::DrawDropDownArrow(const TRect& R) {
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBlack);
    c->Pen()->SetColor(clBlack);
    // Half-way down the button itself, wherever its row lies in the bar.
    const int y = R.top + (R.bottom - R.top) / 2;
    c->Polygon({Point(R.right - 9, y), Point(R.right - 5, y), Point(R.right - 7, y + 2)});
    c->Polygon({Point(R.right - 8, y), Point(R.right - 6, y), Point(R.right - 7, y + 1)});
    const int divider = R.right - kDropDownWidth;
    c->MoveTo(divider, R.top);
    c->LineTo(divider, R.bottom);
}

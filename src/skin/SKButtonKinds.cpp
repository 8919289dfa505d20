// The kinds of skinned button: with a glyph, of four own pictures, with an arrow, and the
// flat tool-bar speed button.
#include "skin/SKButton.h"

#include "framework/Actions.h"
#include "platform/gdi/Gdi.h"

// --- TskButton -----------------------------------------------------------------------------

void TskButton::Create(TComponent* AOwner) {
    glyph_ = MakeObject<TBitmap>();
    inherited::Create(AOwner);
    SetBounds(Left(), Top(), 80, 27);
}

void TskButton::Destroy() {
    glyph_.reset();
    inherited::Destroy();
}

void TskButton::SetGlyph(TBitmap* v) {
    glyph_->Assign(v);
    Invalidate();
}

void TskButton::SetLayout(TButtonLayout v) {
    layout_ = v;
    Invalidate();
}

void TskButton::SetSpacing(int v) {
    spacing_ = v;
    Invalidate();
}

void TskButton::UIStyleChanged() {
    SetTransparent(SkinBool(FileTheme(), UIStyle(), tiButtonTransparentBool));
}

void TskButton::DrawButtonImage(TCanvas* Canvas, TBitmap* Picture) {
    Canvas->SetFont(Font());
    DrawNinePartBitmap(Picture, Canvas, ClientRect(), PictureTransparent());
    if (!glyph_ || glyph_->Empty()) return;
    const int tw = Canvas->TextWidth(Caption()), th = Canvas->TextHeight(Caption());
    int gw = glyph_->Width();
    const int gh = glyph_->Height();
    const bool twoImages = gw == 2 * gh;
    if (twoImages) gw = gh;
    const int W = Width(), H = Height(), S = spacing_;
    int gx = 0, gy = 0, cx = 0, cy = 0;
    switch (layout_) {
    case blGlyphLeft:
        gx = (W - gw - tw - S) / 2;
        gy = (H - gh) / 2;
        cx = gx + gw + S;
        cy = (H - th) / 2;
        break;
    case blGlyphRight:
        gx = (W + tw + S - gw) / 2;
        gy = (H - gh) / 2;
        cx = gx - tw - S;
        cy = (H - th) / 2;
        break;
    case blGlyphTop:
        gx = (W - gw) / 2;
        gy = (H - th - gh - S) / 2;
        cx = (W - tw) / 2;
        cy = gy + gh + S;
        break;
    case blGlyphBottom:
        gx = (W - gw) / 2;
        gy = (H + th + S - gh) / 2;
        cx = (W - tw) / 2;
        cy = gy - th - S;
        break;
    }
    captionPos_ = Point(cx, cy);
    if (Pressed()) {
        ++gx;
        ++gy;
    }
    ObjectPtr<TImageList> list = CreateUnowned<TImageList>();
    list->SetWidth(gw);
    list->SetHeight(gh);
    list->AddMasked(glyph_.get(), glyph_->Canvas()->Pixels(0, 0));
    if (twoImages)
        list->Draw(Canvas, gx, gy, Enabled() ? 0 : 1, true);
    else
        list->Draw(Canvas, gx, gy, 0, Enabled());
}

void TskButton::DrawButtonCaption(TCanvas* Canvas) {
    if (!glyph_ || glyph_->Empty()) {
        inherited::DrawButtonCaption(Canvas);
        return;
    }
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->SetFont(Font());
    auto at = [&](int x, int y) {
        TRect r = Rect(x, y, Width(), Height());
        DrawCanvasText(Canvas, Caption(), r, DT_SINGLELINE);
    };
    const int x = captionPos_.x, y = captionPos_.y;
    if (!Enabled()) {
        Canvas->Font()->SetColor(clWhite);
        at(x + 1, y + 1);
        Canvas->Font()->SetColor(clGray);
        at(x, y);
    } else if (Pressed()) {
        at(x + 1, y + 1);
    } else {
        at(x, y);
    }
}

void TskButton::ActionChange(TObject* Sender, bool CheckDefaults) {
    inherited::ActionChange(Sender, CheckDefaults);
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action || !glyph_->Empty() || !action->ActionList()) return;
    TImageList* images = action->ActionList()->Images();
    const int index = action->ImageIndex();
    if (!images || index < 0 || index >= images->Count()) return;
    images->GetBitmap(index, glyph_.get());
    Invalidate();
}

void TskButton::DrawButtonFocusRect(TCanvas* Canvas) {
    // These two styles show the focus by a bold caption instead of a dotted frame.
    if (UIStyle() == MacOS || UIStyle() == BlueGlass) {
        SetBoldCaption(true);
        return;
    }
    inherited::DrawButtonFocusRect(Canvas);
}

// --- TskImageButton ------------------------------------------------------------------------

void TskImageButton::Create(TComponent* AOwner) {
    for (auto& p : pictures_)
        p = MakeObject<TPicture>();
    inherited::Create(AOwner);
}

void TskImageButton::Destroy() {
    for (auto& p : pictures_)
        p.reset();
    inherited::Destroy();
}

void TskImageButton::SetPicture(int index, TPicture* v) {
    pictures_[index]->Assign(v);
    UpdateAutoSize();
    Invalidate();
}

void TskImageButton::SetStretch(bool v) {
    stretch_ = v;
    Invalidate();
}

void TskImageButton::SetDrawFocused(bool v) {
    drawFocused_ = v;
    Invalidate();
}

void TskImageButton::UpdateAutoSize() {
    if (!Parent() || !AutoSize() || !pictures_[0] || !pictures_[0]->Graphic()) return;
    SetBounds(Left(), Top(), pictures_[0]->Width(), pictures_[0]->Height());
}

void TskImageButton::CopyPicture(int index, TBitmap* Graphic) {
    TPicture* own = pictures_[index]->Graphic() ? pictures_[index].get()
                    : pictures_[0]->Graphic()   ? pictures_[0].get()
                                                : nullptr;
    if (own) Graphic->Assign(own->Graphic());
}

void TskImageButton::GetNormalPic(TBitmap* Graphic) {
    if (pictures_[0]->Graphic()) Graphic->Assign(pictures_[0]->Graphic());
}
void TskImageButton::GetMouseOnPic(TBitmap* Graphic) {
    CopyPicture(1, Graphic);
}
void TskImageButton::GetMouseDownPic(TBitmap* Graphic) {
    CopyPicture(2, Graphic);
}
void TskImageButton::GetDisabledPic(TBitmap* Graphic) {
    CopyPicture(3, Graphic);
}

void TskImageButton::DrawButtonImage(TCanvas* Canvas, TBitmap* Picture) {
    if (!Picture || Picture->Width() <= 0 || Picture->Height() <= 0) return;
    Picture->SetTransparentColor(Picture->Canvas()->Pixels(0, 0));
    if (stretch_)
        Canvas->StretchDraw(Rect(0, 0, Width(), Height()), Picture);
    else
        Canvas->Draw(0, 0, Picture);
}

void TskImageButton::DrawButtonFocusRect(TCanvas* Canvas) {
    if (drawFocused_) inherited::DrawButtonFocusRect(Canvas);
}

// --- TskArrowButton ------------------------------------------------------------------------

void TskArrowButton::SetArrow(TskArrowButtonType v) {
    arrow_ = v;
    Invalidate();
}

void TskArrowButton::UIStyleChanged() {
    SetTransparent(SkinBool(FileTheme(), UIStyle(), tiButtonTransparentBool));
}

void TskArrowButton::DrawButtonImage(TCanvas* Canvas, TBitmap* Picture) {
    DrawNinePartBitmap(Picture, Canvas, ClientRect(), PictureTransparent());
    const int x0 = (Width() - 6) / 2, y0 = (Height() - 3) / 2;
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(clBlack);
    Canvas->Pen()->SetColor(clBlack);
    if (arrow_ == skUp)
        Canvas->Polygon({Point(x0, y0 + 3), Point(x0 + 3, y0), Point(x0 + 6, y0 + 3)});
    else
        Canvas->Polygon({Point(x0, y0), Point(x0 + 3, y0 + 3), Point(x0 + 6, y0)});
}

// --- TskToolBarSpeedButton -----------------------------------------------------------------

void TskToolBarSpeedButton::Create(TComponent* AOwner) {
    glyph_ = MakeObject<TBitmap>();
    inherited::Create(AOwner);
    SetBevelOuter(bvNone);
    SetBounds(Left(), Top(), 18, 18);
}

void TskToolBarSpeedButton::Destroy() {
    glyph_.reset();
    inherited::Destroy();
}

void TskToolBarSpeedButton::SetGlyph(TBitmap* v) {
    glyph_->Assign(v);
}

void TskToolBarSpeedButton::Paint() {
    const int w = Width(), h = Height();
    if (w <= 0 || h <= 0) return;
    glyph_->SetTransparent(true);
    ObjectPtr<TBitmap> buffer = MakeObject<TBitmap>();
    buffer->SetSize(w, h);
    TCanvas* c = buffer->Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(Rect(0, 0, w, h));
    if (!glyph_->Empty()) {
        if (hot_) {
            c->Brush()->SetColor(clBlack);
            c->FrameRect(Rect(0, 0, w, h));
        }
        c->Draw(1, 1, glyph_.get());
    }
    Canvas()->Draw(0, 0, buffer.get());
}

void TskToolBarSpeedButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        inherited::Dispatch(Message);
        hot_ = Message.Msg == CM_MOUSEENTER;
        Invalidate();
        return;
    default:
        inherited::Dispatch(Message);
    }
}

#include "skin/SKImagePanel.h"

#include "platform/gdi/Gdi.h"

void TskCustomPanel::Create(TComponent* AOwner) {
    picture_ = MakeObject<TPicture>();
    picture_->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
    inherited::Create(AOwner);
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    Invalidate();
}

void TskCustomPanel::Destroy() {
    if (picture_) picture_->OnChange = nullptr;
    picture_.reset();
    inherited::Destroy();
}

void TskCustomPanel::SetPicture(TPicture* v) {
    picture_->Assign(v);
    PaintForeignParent();
    Invalidate();
}

void TskCustomPanel::PictureChanged(TObject*) {
    if (picture_ && picture_->Graphic()) {
        SizeToPicture();
        ApplyTransparency();
    }
    PaintForeignParent();
    Invalidate();
}

void TskCustomPanel::SetDrawStyle(TskDrawStyle v) {
    drawStyle_ = v;
    PaintForeignParent();
    Invalidate();
}

void TskCustomPanel::SetTransparent(bool v) {
    transparent_ = v;
    if (picture_->Graphic()) ApplyTransparency();
    Invalidate();
}

void TskCustomPanel::SetAutoSize(bool v) {
    inherited::SetAutoSize(v);
    if (picture_ && picture_->Graphic()) SizeToPicture();
}

void TskCustomPanel::ApplyTransparency() {
    TGraphic* g = picture_->Graphic();
    if (g && g->Transparent() != transparent_) g->SetTransparent(transparent_);
}

void TskCustomPanel::SizeToPicture() {
    if (!AutoSize() || !picture_->Graphic()) return;
    const TAlign a = Align();
    int w = Width(), h = Height();
    if (a != alTop && a != alBottom && a != alClient) w = picture_->Width();
    if (a != alLeft && a != alRight && a != alClient) h = picture_->Height();
    if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
}

void TskCustomPanel::PaintForeignParent() {
    // There are no foreign parent windows here; the brush is set up all the same.
    Canvas()->Brush()->SetColor(Color());
}

void TskCustomPanel::Resize() {
    inherited::Resize();
    Invalidate();
}

void TskCustomPanel::Paint() {
    const int w = Width(), h = Height();
    if (w <= 0 || h <= 0) return;
    ObjectPtr<TBitmap> buffer = MakeObject<TBitmap>();
    buffer->SetSize(w, h);
    TCanvas* c = buffer->Canvas();
    const TRect client = Rect(0, 0, w, h);
    if (transparent_) DrawParentBackground(c, this);
    if (TGraphic* g = picture_->Graphic()) {
        switch (drawStyle_) {
        case skStretch:
            c->StretchDraw(client, g);
            break;
        case skTile:
            DrawTiled(c, picture_.get(), client);
            break;
        case skNormal:
            c->Draw(0, 0, g);
            break;
        }
    } else if (!transparent_) {
        c->Brush()->SetColor(Color());
        c->FillRect(client);
    }
    if (Caption().find_first_not_of(' ') != String::npos) {
        c->Brush()->SetStyle(bsClear);
        c->SetFont(Font());
        const UINT align = Alignment() == taLeftJustify    ? DT_LEFT
                           : Alignment() == taRightJustify ? DT_RIGHT
                                                           : DT_CENTER;
        TRect r = client;
        DrawCanvasText(c, Caption(), r, DT_SINGLELINE | DT_VCENTER | align);
        captionRect_ = r;
    }
    Canvas()->Draw(0, 0, buffer.get());
}

void TskCustomPanel::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_TEXTCHANGED:
        inherited::Dispatch(Message);
        CaptionRectChanged(captionRect_);
        Invalidate();
        return;
    default:
        inherited::Dispatch(Message);
    }
}

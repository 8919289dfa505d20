#include "framework/Image.h"

#include "framework/Bitmap.h"
#include "rtl/AssignIfChanged.h"

void TImage::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle().Include(csReplicatable);
    picture_.reset(CreateObject<TPicture>());
    picture_->OnChange = [this](TObject* s) { PictureChanged(s); };
    picture_->OnProgress = [this](TObject* s, TProgressStage st, Byte pct, bool redraw,
                                  const TRect& r, const String& msg) {
        if (OnProgress) OnProgress(s, st, pct, redraw, r, msg);
        if (incrementalDisplay_ && redraw) Repaint();
    };
    SetBounds(0, 0, 105, 105);
}

void TImage::Destroy() {
    if (picture_) {
        picture_->OnChange = nullptr;
        picture_->OnProgress = nullptr;
    }
    picture_.reset();
    inherited::Destroy();
}

TCanvas* TImage::Canvas() {
    TGraphic* g = picture_->Graphic();
    if (!g) {
        // An empty image gets a bitmap of its own size to draw on.
        ObjectPtr<TBitmap> bitmap = MakeObject<TBitmap>();
        bitmap->SetWidth(Width());
        bitmap->SetHeight(Height());
        picture_->SetGraphic(bitmap.get()); // takes a copy
        g = picture_->Graphic();
    }
    auto* bitmap = dynamic_cast<TBitmap*>(g);
    if (!bitmap) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
    return bitmap->Canvas();
}

TRect TImage::DestRect() {
    int w = picture_->Width(), h = picture_->Height();
    TRect client = ClientRect();
    int cw = client.right, ch = client.bottom;
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            // The larger of the two ratios decides, so the whole picture fits.
            if (static_cast<long long>(cw) * h > static_cast<long long>(ch) * w) {
                w = static_cast<int>(static_cast<long long>(w) * ch / h);
                h = ch;
            } else {
                h = static_cast<int>(static_cast<long long>(h) * cw / w);
                w = cw;
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r = Rect(0, 0, w, h);
    if (center_) {
        int dx = (cw - w) / 2, dy = (ch - h) / 2;
        r = Rect(dx, dy, dx + w, dy + h);
    }
    return r;
}

void TImage::Paint() {
    TGraphic* g = picture_->Graphic();
    if (!g || g->Empty()) return;
    drawing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{drawing_};
    inherited::Canvas()->StretchDraw(DestRect(), g);
}

bool TImage::CanAutoSize(int& NewWidth, int& NewHeight) {
    if (picture_->Width() <= 0 || picture_->Height() <= 0) return false;
    if (Align() != alTop && Align() != alBottom && Align() != alClient)
        NewWidth = picture_->Width();
    if (Align() != alLeft && Align() != alRight && Align() != alClient)
        NewHeight = picture_->Height();
    return true;
}

void TImage::PictureChanged(TObject*) {
    if (TGraphic* g = picture_->Graphic(); g && g->Transparent() != transparent_)
        g->SetTransparent(transparent_);
    if (AutoSize()) AdjustSize();
    // A graphic that reports changes while it draws (an animation's first frame) must not
    // ask for the same paint again.
    if (!drawing_) Invalidate();
}

void TImage::SetCenter(bool v) {
    if (AssignIfChanged(center_, v)) Invalidate();
}

void TImage::SetStretch(bool v) {
    if (AssignIfChanged(stretch_, v)) Invalidate();
}

void TImage::SetProportional(bool v) {
    if (AssignIfChanged(proportional_, v)) Invalidate();
}

void TImage::SetTransparent(bool v) {
    if (!AssignIfChanged(transparent_, v)) return;
    if (TGraphic* g = picture_->Graphic()) g->SetTransparent(v);
    Invalidate();
}

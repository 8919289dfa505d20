// The skinned form's own painting: its client background, the form's 3-pixel frame (drawn by
// the painter the MDI skin shares) and the window region with round top corners.
#include "framework/Application.h"
#include "framework/Resources.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "skin/SKForm.h"
#include "skin/SKFormFrame.h"

#include <algorithm>

TBitmap* TskForm::Background() {
    const int w = Width(), h = Height();
    if (background_ && background_->Width() == w && background_->Height() == h &&
        backgroundStyle_ == uiStyle_ && backgroundColor_ == Color())
        return background_.get();
    if (!background_) background_ = MakeObject<TBitmap>();
    background_->SetSize(w, h);
    backgroundStyle_ = uiStyle_;
    backgroundColor_ = Color();
    const char* tile = uiStyle_ == MacOS     ? "MACOS_FORM_BACKGROUND"
                       : uiStyle_ == Protein ? "PROTEIN_FORM_BACKGROUND"
                                             : nullptr;
    if (tile) {
        RegisterBuiltinThemeArt();
        auto picture = MakeObject<TPicture>();
        try {
            picture->Bitmap()->LoadFromResourceName(HInstance, tile);
            DrawTiled(background_->Canvas(), picture.get(), Rect(0, 0, w, h));
            return background_.get();
        } catch (const EResNotFound&) {
        }
    }
    background_->Canvas()->Brush()->SetColor(Color());
    background_->Canvas()->FillRect(Rect(0, 0, w, h));
    return background_.get();
}

void TskForm::Paint() {
    if (unhooked_ || !form_) {
        inherited::Paint();
        return;
    }
    if (Width() > 0 && Height() > 0) {
        // Most paints are for a label's few pixels: only what the paint may touch is copied.
        HDC dc = Canvas()->Handle();
        RECT clip{0, 0, Width(), Height()};
        if (GetClipBox(dc, &clip) == ERROR) clip = RECT{0, 0, Width(), Height()};
        TBitmap* background = Background();
        BitBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top,
               background->Canvas()->Handle(), clip.left, clip.top, SRCCOPY);
    }
    PaintFormBorder();
}

void TskForm::PaintFormBorder() {
    if (unhooked_ || !form_ || !form_->HandleAllocated()) return;
    if (form_->WindowState() == wsMinimized) return;
    TskFormFrame frame;
    frame.Width = form_->Width();
    frame.Height = form_->Height();
    frame.BorderWidth = borderWidth_;
    frame.BorderColor = borderColor_;
    frame.FrameColor = Color();
    frame.CaptionHeight = GetTitleBarHeight();
    // The strips beside the menu bar sit below the title bar whether it shows or not.
    frame.TitleHeight = titleBar_ ? titleBar_->Height() : 0;
    if (menuBar_ && menuBar_->Visible()) {
        frame.MenuHeight = menuBar_->Height();
        frame.MenuColor = menuBar_->Color();
    }
    frame.TitleBar = titleBar_ && titleBar_->Visible() ? titleBar_ : nullptr;
    frame.RoundCorner = RoundCorner();
    PaintSkinFormFrame(form_->Handle(), frame);
}

HRGN TskForm::MakeWindowRegion(int W, int H, int R) {
    HRGN region = CreateRoundRectRgn(0, 0, W + 1, H + 1, R, R);
    HRGN bottomLeft = CreateRectRgn(0, std::max(0, H - 2 * R), std::min(W, 2 * R), H);
    HRGN bottomRight = CreateRectRgn(std::max(0, W - 2 * R), std::max(0, H - 2 * R), W, H);
    CombineRgn(region, region, bottomLeft, RGN_OR);
    CombineRgn(region, region, bottomRight, RGN_OR);
    DeleteObject(bottomLeft);
    DeleteObject(bottomRight);
    return region;
}

void TskForm::UpdateRegion() {
    if (unhooked_ || !form_ || !form_->HandleAllocated()) return;
    const int R = titleBar_ && titleBar_->Visible() ? std::max(0, RoundCorner()) : 0;
    HRGN region = MakeWindowRegion(form_->Width(), form_->Height(), R);
    if (!SetWindowRgn(form_->Handle(), region, TRUE)) DeleteObject(region);
}

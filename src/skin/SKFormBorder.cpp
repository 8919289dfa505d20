// The skinned form's own painting: its client background, the form's 3-pixel frame and the
// window region with round top corners.
#include "framework/Application.h"
#include "framework/Resources.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "skin/SKForm.h"

#include <algorithm>

namespace {

// The frame the form's window has on every side, which the skin paints.
constexpr int kFrame = 3;

void Fill(HDC dc, int l, int t, int r, int b, TColor color) {
    if (r <= l || b <= t) return;
    RECT rc{l, t, r, b};
    HBRUSH brush = CreateSolidBrush(ColorToRGB(color));
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

// The part (0, 0, w, h) of a bitmap put at (x, y) of the DC.
void Put(HDC dc, int x, int y, TBitmap* b) {
    if (!b || b->Empty()) return;
    BitBlt(dc, x, y, b->Width(), b->Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
}

} // namespace

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
    HWND hwnd = form_->Handle();
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    const int W = form_->Width(), H = form_->Height();
    const int B = std::max(0, borderWidth_);
    const int T = GetTitleBarHeight();
    Fill(dc, 0, 0, B, H, borderColor_);
    Fill(dc, 0, H - B, W, H, borderColor_);
    Fill(dc, W - B, 0, W, H, borderColor_);
    if (B < 4) {
        Fill(dc, B, T, kFrame, H - B, Color());
        Fill(dc, B, H - kFrame, W - B, H - B, Color());
        Fill(dc, W - kFrame, T, W - B, H - B, Color());
        if (menuBar_ && menuBar_->Visible()) {
            const int h = titleBar_ ? titleBar_->Height() : 0;
            const int M = menuBar_->Height();
            Fill(dc, B, h + kFrame, kFrame, h + kFrame + M, menuBar_->Color());
            Fill(dc, W - kFrame, h + kFrame, W - B, h + kFrame + M, menuBar_->Color());
        }
    }
    auto* left = titleBar_ ? dynamic_cast<TBitmap*>(titleBar_->GetLeftImage()) : nullptr;
    auto* right = titleBar_ ? dynamic_cast<TBitmap*>(titleBar_->GetRightImage()) : nullptr;
    auto* client = titleBar_ ? dynamic_cast<TBitmap*>(titleBar_->GetClientImage()) : nullptr;
    if (titleBar_ && titleBar_->Visible() && left && right && client && B < 4) {
        // The frame beside and above the caption continues the title bar's pictures.
        auto work = MakeObject<TBitmap>();
        if (kFrame - B > 0 && left->Height() > 0) {
            work->SetSize(kFrame - B, left->Height());
            work->Canvas()->Draw(0, 0, left);
            Put(dc, B, 0, work.get());
            if (right->Width() > 2)
                work->Canvas()->Draw(2 - right->Width(), 0, right);
            else
                work->Canvas()->StretchDraw(Rect(0, 0, work->Width(), work->Height()), right);
            Put(dc, W - kFrame, 0, work.get());
        }
        if (W - 5 > 0) {
            work->SetSize(W - 5, kFrame);
            work->Canvas()->Draw(-2, 0, left);
            const int rx = (W - 5) - right->Width() + kFrame;
            work->Canvas()->Draw(rx, 0, right);
            const int cx = left->Width() - 2;
            if (rx > cx) work->Canvas()->StretchDraw(Rect(cx, 0, rx, client->Height()), client);
            Put(dc, 2, 0, work.get());
        }
        const int R = RoundCorner();
        if (B == 1 && R == 11) {
            HPEN pen = CreatePen(0, 1, ColorToRGB(borderColor_));
            HGDIOBJ old = SelectObject(dc, pen);
            Arc(dc, W - 2 * R + 1, -1, W + 1, 2 * R - 1, W + 1, R - 1, W - R + 1, -1);
            Arc(dc, -1, -1, 2 * R - 1, 2 * R - 1, R - 1, -1, -1, R - 1);
            SelectObject(dc, old);
            DeleteObject(pen);
        }
    } else if (!titleBar_ || !titleBar_->Visible()) {
        Fill(dc, 0, 0, W, 1, borderColor_);
        Fill(dc, B, 1, W - B, kFrame, Color());
    }
    ReleaseDC(hwnd, dc);
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

#include "skin/SKFormFrame.h"

#include "framework/Bitmap.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "skin/SKTitleBar.h"

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

void Put(HDC dc, int x, int y, TBitmap* b) {
    if (!b || b->Empty()) return;
    BitBlt(dc, x, y, b->Width(), b->Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
}

// The frame above and beside the caption continues the title bar's three pictures.
void PaintCaptionFrame(HDC dc, const TskFormFrame& f, TBitmap* left, TBitmap* right,
                       TBitmap* client) {
    const int W = f.Width, B = std::max(0, f.BorderWidth);
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
    const int R = f.RoundCorner;
    if (B == 1 && R == 11) {
        HPEN pen = CreatePen(0, 1, ColorToRGB(f.BorderColor));
        HGDIOBJ old = SelectObject(dc, pen);
        Arc(dc, W - 2 * R + 1, -1, W + 1, 2 * R - 1, W + 1, R - 1, W - R + 1, -1);
        Arc(dc, -1, -1, 2 * R - 1, 2 * R - 1, R - 1, -1, -1, R - 1);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

} // namespace

void PaintSkinFormFrame(HWND Window, const TskFormFrame& f) {
    HDC dc = GetWindowDC(Window);
    if (!dc) return;
    const int W = f.Width, H = f.Height;
    const int B = std::max(0, f.BorderWidth);
    const int T = f.CaptionHeight;
    Fill(dc, 0, 0, B, H, f.BorderColor);
    Fill(dc, 0, H - B, W, H, f.BorderColor);
    Fill(dc, W - B, 0, W, H, f.BorderColor);
    if (B < 4) {
        Fill(dc, B, T, kFrame, H - B, f.FrameColor);
        Fill(dc, B, H - kFrame, W - B, H - B, f.FrameColor);
        Fill(dc, W - kFrame, T, W - B, H - B, f.FrameColor);
        if (f.MenuHeight > 0) {
            const int top = f.TitleHeight + kFrame, bottom = top + f.MenuHeight;
            Fill(dc, B, top, kFrame, bottom, f.MenuColor);
            Fill(dc, W - kFrame, top, W - B, bottom, f.MenuColor);
        }
    }
    TskTitleBar* bar = f.TitleBar;
    auto* left = bar ? dynamic_cast<TBitmap*>(bar->GetLeftImage()) : nullptr;
    auto* right = bar ? dynamic_cast<TBitmap*>(bar->GetRightImage()) : nullptr;
    auto* client = bar ? dynamic_cast<TBitmap*>(bar->GetClientImage()) : nullptr;
    if (bar && left && right && client) {
        if (B < 4) PaintCaptionFrame(dc, f, left, right, client);
    } else if (!bar) {
        Fill(dc, 0, 0, W, 1, f.BorderColor);
        Fill(dc, B, 1, W - B, kFrame, f.FrameColor);
    }
    ReleaseDC(Window, dc);
}

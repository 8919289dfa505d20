// The bitmap drawing helpers of the skinned controls.
#include "framework/Edit.h"
#include "framework/ImageList.h"
#include "framework/Panel.h"
#include "platform/gdi/Gdi.h"
#include "rtl/ScopeGuard.h"
#include "skin/SKPublic.h"

#include <algorithm>
#include <vector>

namespace {

// The parents being painted under a control right now (user-interface thread only).
std::vector<TWinControl*>& ParentsBeingPainted() {
    static std::vector<TWinControl*> parents;
    return parents;
}

TRect Intersect(const TRect& a, const TRect& b) {
    return Rect(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom));
}

bool IsEmpty(const TRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

int RectWidth(const TRect& r) {
    return r.right - r.left;
}
int RectHeight(const TRect& r) {
    return r.bottom - r.top;
}

// Copies Source's rectangle `from` (clipped to the bitmap) onto Canvas's rectangle `to`,
// stretched by nearest pixels; with a key colour its pixels stay unpainted.
void DrawPiece(TCanvas* Canvas, TBitmap* Source, TRect from, const TRect& to, bool keyed,
               TColor key) {
    from = Intersect(from, Rect(0, 0, Source->Width(), Source->Height()));
    if (IsEmpty(from) || IsEmpty(to)) return;
    ObjectPtr<TBitmap> work = MakeObject<TBitmap>();
    work->SetPixelFormat(pf32bit);
    work->SetSize(RectWidth(to), RectHeight(to));
    HDC dc = work->Canvas()->Handle();
    HDC src = Source->Canvas()->Handle();
    if (!dc || !src) return;
    int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, RectWidth(to), RectHeight(to), src, from.left, from.top, RectWidth(from),
               RectHeight(from), SRCCOPY);
    SetStretchBltMode(dc, oldMode);
    if (keyed) {
        work->SetTransparentColor(key);
        work->SetTransparent(true);
    }
    Canvas->Draw(to.left, to.top, work.get());
}

TColor PixelOf(TBitmap* Bitmap, int x, int y) {
    return Bitmap->Canvas()->Pixels(x, y);
}

} // namespace

void DrawParentBackground(TCanvas* Canvas, TControl* Control) {
    if (!Canvas || !Control || !Control->Parent()) return;
    TWinControl* parent = Control->Parent();
    auto& painting = ParentsBeingPainted();
    if (std::find(painting.begin(), painting.end(), parent) != painting.end()) return;
    HDC dc = Canvas->Handle();
    if (!dc) return;
    painting.push_back(parent);
    {
        ScopeGuard done([&painting] { painting.pop_back(); });
        PaintParentUnder(Control, dc);
    }
    // The parent painted through its own canvas; ours must select its tools again.
    Canvas->Refresh();
}

void DrawControlBackground(TCanvas* Canvas, TControl* Control, bool Transparent) {
    if (!Canvas || !Control) return;
    if (Transparent) {
        DrawParentBackground(Canvas, Control);
        return;
    }
    Canvas->Brush()->SetColor(Control->Color());
    Canvas->FillRect(Rect(0, 0, Control->Width(), Control->Height()));
}

void DrawTiled(TCanvas* Canvas, TPicture* Picture, const TRect& Rect) {
    if (!Canvas || !Picture || !Picture->Graphic()) return;
    const int w = Picture->Width(), h = Picture->Height();
    if (w <= 0 || h <= 0) return;
    const int width = RectWidth(Rect), height = RectHeight(Rect);
    for (int x = 0; x < w + width; x += w)
        for (int y = 0; y < h + height; y += h)
            Canvas->Draw(x, y, Picture->Graphic());
}

void DrawNinePartBitmap(TBitmap* Bitmap, TCanvas* Canvas, const TRect& Rect, bool Transparent) {
    if (!Bitmap || !Canvas || Bitmap->Empty()) return;
    const int bw = Bitmap->Width(), bh = Bitmap->Height();
    const int W = RectWidth(Rect), H = RectHeight(Rect);
    if (bw <= 0 || bh <= 0 || W <= 0 || H <= 0) return;
    const int x0 = Rect.left, y0 = Rect.top;
    const int hw = bw / 2, hh = bh / 2, HW = W / 2, HH = H / 2;
    auto clampSize = [](int v) { return std::max(v, 0); };
    auto at = [&](TRect r) { return ::Rect(r.left + x0, r.top + y0, r.right + x0, r.bottom + y0); };

    // Corners: their source cut to the drawn size on the side away from the bitmap's edge.
    auto corner = [&](int srcW, int srcH, int limitW, int limitH, bool right, bool bottom) {
        const int w = clampSize(std::min(srcW, limitW)), h = clampSize(std::min(srcH, limitH));
        TRect dest = ::Rect(right ? W - w : 0, bottom ? H - h : 0, 0, 0);
        dest.right = dest.left + w;
        dest.bottom = dest.top + h;
        if (w > 0 && h > 0) {
            TRect src = ::Rect(right ? bw - w : 0, bottom ? bh - h : 0, 0, 0);
            src.right = src.left + w;
            src.bottom = src.top + h;
            DrawPiece(Canvas, Bitmap, src, at(dest), Transparent, clFuchsia);
        }
        return dest;
    };
    const TRect TL = corner(hw, hh, HW, HH, false, false);
    const TRect BL = corner(hw, hh - 1, HW, HH - 1, false, true);

    // Stretched pieces: the source is cut to the destination's size first where named.
    enum Cut { none, keepLeft, keepRight, keepTop, keepBottom };
    auto piece = [&](TRect src, const TRect& dest, Cut cut) {
        if (IsEmpty(dest)) return;
        const int dw = RectWidth(dest), dh = RectHeight(dest);
        if (cut == keepLeft && RectWidth(src) > dw) src.right = src.left + dw;
        if (cut == keepRight && RectWidth(src) > dw) src.left = src.right - dw;
        if (cut == keepTop && RectHeight(src) > dh) src.bottom = src.top + dh;
        if (cut == keepBottom && RectHeight(src) > dh) src.top = src.bottom - dh;
        DrawPiece(Canvas, Bitmap, src, at(dest), true, clFuchsia);
    };
    piece(::Rect(0, hh, hw, bh - hh), ::Rect(0, TL.bottom, TL.right, BL.top), keepLeft);
    const TRect TR = corner(hw - 1, hh, HW - 1, HH, true, false);
    const TRect BR = corner(hw - 1, hh - 1, HW - 1, HH - 1, true, true);
    piece(::Rect(bw - hw + 1, bh - hh, bw, hh + 2), ::Rect(TR.left, TR.bottom, TR.right, BR.top),
          keepRight);
    piece(::Rect(hw, 0, bw - hw + 1, hh), ::Rect(TL.right, 0, TR.left, TL.bottom), keepTop);
    piece(::Rect(hw, hh, bw - hw + 1, bh - hh), ::Rect(TL.right, TL.bottom, TR.left, BR.top - 1),
          none);
    piece(::Rect(hw, bh - hh, bw - hw + 1, bh),
          ::Rect(TL.right - 1, BL.top - 1, BR.left, BR.bottom), keepBottom);
}

void DrawEditBorder(TWinControl* Control, TColor BorderColor, TColor InnerColor, bool DrawInner) {
    if (!Control || !Control->HandleAllocated()) return;
    HWND window = Control->Handle();
    HDC dc = GetWindowDC(window);
    if (!dc) return;
    RECT r;
    GetWindowRect(window, &r);
    OffsetRect(&r, -r.left, -r.top);
    HBRUSH border = CreateSolidBrush(ColorToRGB(BorderColor));
    FrameRect(dc, &r, border);
    DeleteObject(border);
    if (DrawInner) {
        InflateRect(&r, -1, -1);
        HBRUSH inner = CreateSolidBrush(ColorToRGB(InnerColor));
        FrameRect(dc, &r, inner);
        DeleteObject(inner);
    }
    ReleaseDC(window, dc);
}

void PrepareEditBorder(TCustomEdit* Edit) {
    if (!Edit) return;
    Edit->ControlStyle().Include(csOpaque);
    Edit->SetBorderStyle(bsNone);
    Edit->SetBorderWidth(2);
}

bool RepaintsEditBorder(UINT Msg) {
    return Msg == WM_PAINT || Msg == WM_ERASEBKGND || Msg == WM_NCPAINT;
}

void DrawThreePartBitmap(TBitmap* Bitmap, TCanvas* Canvas, const TRect& Rect, bool UseCornerColor) {
    if (!Bitmap || !Canvas || Bitmap->Empty() || IsEmpty(Rect)) return;
    const int pw = Bitmap->Width() / 3, ph = Bitmap->Height();
    if (pw <= 0 || ph <= 0) return;
    const TColor key = UseCornerColor ? PixelOf(Bitmap, 0, 0) : clFuchsia;
    ObjectPtr<TImageList> list = CreateUnowned<TImageList>();
    list->SetWidth(pw);
    list->SetHeight(ph);
    list->AddMasked(Bitmap, key);
    list->Draw(Canvas, Rect.left, Rect.top, 0);
    list->Draw(Canvas, Rect.right - pw, Rect.top, 2);
    // The middle is stretched opaque: only the ends have see-through corners.
    const TRect middle = ::Rect(Rect.left + pw, Rect.top, Rect.right - pw, Rect.bottom);
    DrawPiece(Canvas, Bitmap, ::Rect(pw, 0, 2 * pw, ph), middle, false, key);
}

namespace {
// A quarter turn: the pixel at (x, y) goes to place(x, y) of a bitmap with the sides swapped.
template <class Place> void Rotate(TBitmap* Bitmap, Place place) {
    if (!Bitmap || Bitmap->Empty()) return;
    const int w = Bitmap->Width(), h = Bitmap->Height();
    ObjectPtr<TBitmap> work = MakeObject<TBitmap>();
    work->SetPixelFormat(pf32bit);
    work->SetSize(h, w);
    TCanvas* from = Bitmap->Canvas();
    TCanvas* to = work->Canvas();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            TPoint p = place(x, y, w, h);
            to->SetPixels(p.x, p.y, from->Pixels(x, y));
        }
    Bitmap->SetSize(h, w);
    Bitmap->Canvas()->Draw(0, 0, work.get());
}
} // namespace

void RotateBitmapLeft(TBitmap* Bitmap) {
    Rotate(Bitmap, [](int x, int y, int w, int) { return Point(y, w - 1 - x); });
}

void RotateBitmapRight(TBitmap* Bitmap) {
    Rotate(Bitmap, [](int x, int y, int, int h) { return Point(h - 1 - y, x); });
}

void SliceBitmap(TBitmap* Source, TBitmap* Dest, int Count, int Index) {
    if (!Dest) return;
    if (!Source || Source->Empty() || Count < 1 || Index < 1 || Index > Count) {
        Dest->SetSize(0, 0);
        return;
    }
    const int pw = Source->Width() / Count, h = Source->Height();
    if (pw <= 0 || h <= 0) {
        Dest->SetSize(0, 0);
        return;
    }
    ObjectPtr<TBitmap> work = MakeObject<TBitmap>();
    work->SetPixelFormat(pf32bit);
    work->SetSize(pw, h);
    BitBlt(work->Canvas()->Handle(), 0, 0, pw, h, Source->Canvas()->Handle(), pw * (Index - 1), 0,
           SRCCOPY);
    Dest->SetSize(pw, h);
    Dest->Canvas()->Draw(0, 0, work.get());
}

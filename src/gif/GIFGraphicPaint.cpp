// TGIFGraphic's drawing: the rendered bitmap of the logical screen, and the painters that
// animate an image of several frames. The image reaches its painters only through
// TGIFPainterLink; the painter unit installs the maker.
#include "gif/GIFGraphic.h"

#include "framework/Canvas.h"
#include "gif/GIFSubImage.h"
#include "rtl/ScopeGuard.h"

#include <thread>

namespace {

TGIFPainterMaker& Maker() {
    static TGIFPainterMaker maker;
    return maker;
}

// Serves the painters' synchronous calls while waiting for them; never blocks for long.
void WaitRound() {
    if (!IsMainThread() || !CheckSynchronize(1)) std::this_thread::yield();
}

} // namespace

TGIFPainterMaker SetGIFPainterMaker(TGIFPainterMaker maker) {
    TGIFPainterMaker before = std::move(Maker());
    Maker() = std::move(maker);
    return before;
}

TBitmap* TGIFGraphic::MakeRenderedBitmap() {
    ObjectPtr<TBitmap> bitmap(CreateObject<TBitmap>());
    if (HPALETTE palette = GetPaletteHandle()) bitmap->SetPalette(CopyPalette(palette));
    bitmap->SetSize(ScreenWidth(), ScreenHeight());
    bitmap->OnChange = [this](TObject*) { Changed(this); };
    renderedBitmap_ = std::move(bitmap);
    return renderedBitmap_.get();
}

TBitmap* TGIFGraphic::GetRenderedBitmap() {
    if (renderedBitmap_ || IsEmpty()) return renderedBitmap_.get();
    TGIFSubImage* first = Frames().GetFrame(0);
    if (first->Width() == ScreenWidth() && first->Height() == ScreenHeight()) {
        ObjectPtr<TBitmap> bitmap(CreateObject<TBitmap>());
        if (TBitmap* rendered = first->GetFrameBitmap()) bitmap->Assign(rendered);
        // Hooked after filling: the copy itself is no change of the image.
        bitmap->OnChange = [this](TObject*) { Changed(this); };
        renderedBitmap_ = std::move(bitmap);
        return renderedBitmap_.get();
    }
    TBitmap* bitmap = MakeRenderedBitmap();
    bitmap->OnChange = nullptr;
    {
        ScopeGuard drop([this] { FreeRenderedBitmap(); });
        first->PaintFrame(bitmap->Canvas(), bitmap->Canvas()->ClipRect(), false, false);
        drop.Dismiss();
    }
    bitmap->OnChange = [this](TObject*) { Changed(this); };
    return bitmap;
}

TBitmap* TGIFGraphic::NewRenderedBitmap() {
    return renderedBitmap_ ? renderedBitmap_.get() : MakeRenderedBitmap();
}

void TGIFGraphic::FreeRenderedBitmap() {
    // The view painter may draw into the bitmap: it is told to stop first, and re-tests
    // that inside each of its synchronous calls, which run on this thread.
    {
        LockedList painters(painterList_);
        if (viewPainter_) viewPainter_->StopPainting();
    }
    if (!renderedBitmap_) return;
    renderedBitmap_->OnChange = nullptr;
    renderedBitmap_.reset();
}

void TGIFGraphic::DrawRenderedBitmap(TCanvas* canvas, const TRect& rect) {
    TBitmap* bitmap = GetRenderedBitmap();
    if (!bitmap || !canvas) return;
    if (!(paintOptions_ & drTile)) {
        canvas->StretchDraw(rect, bitmap);
        return;
    }
    int w = ScreenWidth(), h = ScreenHeight();
    if (w <= 0 || h <= 0) return;
    for (int y = rect.top; y < rect.bottom; y += h)
        for (int x = rect.left; x < rect.right; x += w)
            canvas->StretchDraw(Rect(x, y, x + w, y + h), bitmap);
}

void TGIFGraphic::PaintOnCanvas(TCanvas* canvas, const TRect& rect) {
    if (drawing_ || IsEmpty() || !canvas) return;
    drawing_ = true;
    std::weak_ptr<void> alive = alive_;
    ScopeGuard clear([this, &alive] {
        // A handler of a synchronous painter may have freed the image meanwhile.
        if (!alive.expired()) drawing_ = false;
    });

    if (Frames().Count() == 1 || !(paintOptions_ & drAnimate) || !Maker()) {
        Frames().GetFrame(0)->PaintFrame(canvas, rect, paintOptions_ & drTile,
                                         paintOptions_ & drTransparent);
        return;
    }
    const bool direct = paintOptions_ & drDirect;
    if (renderedBitmap_ && !direct) {
        DrawRenderedBitmap(canvas, rect);
        return;
    }
    {
        LockedList painters(painterList_);
        if (viewPainter_ && viewPainter_->PaintCanvas() == canvas &&
            viewPainter_->PaintRect() == rect)
            return;
    }
    // Not under the painter list's lock: a painter may need it to detach.
    StopViewPainter();
    TGIFPainterLink* started = nullptr;
    {
        // Nor while a synchronous painter runs: its handlers may free the image, lock and all.
        TCanvas* target = canvas;
        TRect targetRect = rect;
        if (!direct) {
            TBitmap* bitmap = NewRenderedBitmap();
            target = bitmap->Canvas();
            targetRect = target->ClipRect();
            // The painter starts on what lies under the picture.
            target->CopyRect(targetRect, canvas, rect);
        }
        started = StartPainter(&viewPainter_, target, paintOptions_, targetRect);
        if (alive.expired()) return;
        // The painter may end and go at once once started: it is not looked at afterwards.
        if (started) started->StartPainting();
    }
    if (!started || direct) return;
    for (;;) {
        {
            LockedList painters(painterList_);
            if (!viewPainter_ || viewPainter_->IsTerminated() || viewPainter_->HasShownFirstFrame())
                break;
        }
        WaitRound();
        if (alive.expired()) return;
    }
    DrawRenderedBitmap(canvas, rect);
}

TGIFPainterLink* TGIFGraphic::StartPainter(TGIFPainterLink** reference, TCanvas* canvas,
                                           TGIFPaintOptions options, const TRect& rect) {
    if (IsEmpty() || rect.left >= rect.right || rect.top >= rect.bottom || !canvas || !Maker()) {
        if (reference) *reference = nullptr;
        return nullptr;
    }
    if (Frames().Count() == 1)
        options &= static_cast<TGIFPaintOptions>(~(drAsynchronous | drAnimate));
    TGIFPainterLink* painter = Maker()(this, options, rect, canvas, reference);
    if (!painter) return nullptr;
    painterList_.Add(painter);
    if (options & drAsynchronous) return painter;
    std::weak_ptr<void> alive = alive_;
    // Runs every pass here; the painter detaches and frees itself. Its handlers may free
    // this image.
    painter->RunInline();
    if (!alive.expired() && reference) *reference = nullptr;
    return nullptr;
}

void TGIFGraphic::StopPainters() {
    ScopeGuard free([this] { FreeRenderedBitmap(); });
    for (;;) {
        int asynchronous = 0;
        {
            LockedList painters(painterList_);
            if (painters->Count() == 0) break;
            for (int i = painters->Count() - 1; i >= 0; --i)
                painters->Get(i)->StopPainting();
            // Counted after stopping: a painter stopped from inside one of its own calls
            // leaves at once, as its thread waits for that call and cannot detach.
            for (int i = 0; i < painters->Count(); ++i)
                if (painters->Get(i)->IsAsynchronous()) ++asynchronous;
        }
        if (asynchronous == 0) break;
        WaitRound();
    }
}

void TGIFGraphic::StopViewPainter() {
    for (;;) {
        {
            LockedList painters(painterList_);
            TGIFPainterLink* painter = viewPainter_;
            if (!painter) break;
            // Asked before stopping: a painter may detach (and go) while it stops.
            if (!painter->IsAsynchronous()) {
                painter->StopPainting();
                break;
            }
            painter->StopPainting();
            // Stopped from inside one of its own calls: it has left already.
            if (!viewPainter_) break;
        }
        WaitRound();
    }
    FreeRenderedBitmap();
}

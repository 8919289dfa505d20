// The animation painter: frame timing, passes and handlers (Play), and the drawing of one
// frame with its disposal on the user-interface thread.
#include "gif/GIFPainter.h"

#include "framework/Canvas.h"
#include "framework/WinControl.h"
#include "gif/GIFSubImage.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "platform/gdi/Palette.h"
#include "platform/kernel/Events.h"
#include "platform/kernel/Time.h"
#include "platform/user/MessageQueue.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

namespace {

// A delay unit of the control extension, in milliseconds.
constexpr int kDelayUnitMs = 12;
// A frame without a delay shows this many units; shorter delays than kMinDelayUnits are
// stretched to it, as browsers do.
constexpr int kDefaultDelayUnits = 10;
constexpr int kMinDelayUnits = 3;
// A synchronous painter blocks its caller: no frame holds it longer than this.
constexpr int kMaxInlineDelayUnits = 1000;
// What a synchronous painter waits when it cannot compute a wait, or when told to hold.
constexpr int kInlineHoldMs = 12000;
// A synchronous painter handles messages at least this often.
constexpr int kInlineSliceMs = 100;
// An asynchronous wait without end (until stopped).
constexpr int kWaitForever = -1;

std::atomic<int> livePainters{0};

// Disposals 4 to 7 have no meaning: such a frame stays in place, as with 1.
int EffectiveDisposal(int disposal) {
    return disposal >= 0 && disposal <= 3 ? disposal : 1;
}

// wait x 100 / speed rounded half away from zero; false when it leaves 32 bits.
bool ScaleBySpeed(std::int64_t wait, int speed, int& result) {
    std::int64_t product = wait * 100;
    std::int64_t half = speed / 2;
    std::int64_t scaled = product >= 0 ? (product + half) / speed : -((-product + half) / speed);
    if (scaled < std::numeric_limits<int>::min() || scaled > std::numeric_limits<int>::max())
        return false;
    result = static_cast<int>(scaled);
    return true;
}

// A bitmap of rect's size holding what canvas shows there.
ObjectPtr<TBitmap> CopyOfArea(TCanvas* canvas, const TRect& rect) {
    ObjectPtr<TBitmap> bitmap = MakeObject<TBitmap>();
    bitmap->SetSize(rect.right - rect.left, rect.bottom - rect.top);
    bitmap->Canvas()->SetCopyMode(cmSrcCopy);
    bitmap->Canvas()->CopyRect(Rect(0, 0, rect.right - rect.left, rect.bottom - rect.top), canvas,
                               rect);
    return bitmap;
}

} // namespace

struct TGIFPainter::FrameStep {
    int passes = 1;
    int loopStart = 0;
    bool loopSeen = false;
    int nextWait = kDefaultDelayUnits;
};

TGIFPainter::TGIFPainter(TGIFGraphic* image, TGIFPaintOptions options, const TRect& rect,
                         TCanvas* canvas, TGIFPainterLink** ownerSlot)
    : TThread(true), image_(image), alive_(image->Liveness()), options_(options), rect_(rect),
      canvas_(canvas), ownerSlot_(ownerSlot), asynchronous_(options & drAsynchronous) {
    ++livePainters;
}

TGIFPainter::~TGIFPainter() {
    --livePainters;
}

void TGIFPainter::AfterConstruction() {
    inherited::AfterConstruction();
    SetFreeOnTerminate(true);
    OnTerminate = [this](TObject*) { Detach(); };
    speed_ = image_->SpeedPercent();
    handlers_ = image_->PaintHandlers();

    if (image_->BackdropColor() != kGIFNoBackdrop)
        background_ = ColorToRGB(image_->BackdropColor());
    else if (image_->GlobalColorMap().Count() > 0)
        background_ = image_->ScreenBackgroundColor();
    else
        background_ = ColorToRGB(clWindow);

    const int count = image_->Frames().Count();
    bool restores = options_ & drRestoreBackground, reverts = false;
    for (int i = 0; i < count; ++i) {
        // The frame's own control extension decides, also when another follows it.
        TGIFGraphicControlExtension* control = image_->Frames().GetFrame(i)->ControlExtension();
        int disposal = control ? EffectiveDisposal(control->DisposalMethod()) : 1;
        restores = restores || disposal == 2;
        reverts = reverts || disposal == 3;
    }
    if (restores && (options_ & drTransparent)) underlay_ = CopyOfArea(canvas_, rect_);
    if (restores || reverts) {
        composite_ = CopyOfArea(canvas_, rect_);
        composite_->Canvas()->Brush()->SetColor(background_);
        composite_->Canvas()->Brush()->SetStyle(bsSolid);
        scratch_ = MakeObject<TBitmap>();
        scratch_->SetSize(rect_.right - rect_.left, rect_.bottom - rect_.top);
        scratch_->Canvas()->SetCopyMode(cmSrcCopy);
        scratch_->Canvas()->Brush()->SetColor(background_);
        scratch_->Canvas()->Brush()->SetStyle(bsSolid);
    }
    if (asynchronous_) SetPriority(image_->PainterPriority());
    if (asynchronous_ && (options_ & drAnimate) && count > 1 && speed_ >= 0) {
        wakeEvent_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
        if (!wakeEvent_) throw EOutOfResources("Out of system resources");
    }
    // Last: a painter that failed to make itself is in no slot.
    if (ownerSlot_) *ownerSlot_ = this;
}

void TGIFPainter::Destroy() {
    // Detach has released everything on the user-interface thread; this only covers a
    // painter that never got that far (its making failed).
    if (wakeEvent_) CloseHandle(wakeEvent_);
    wakeEvent_ = 0;
    inherited::Destroy();
}

void TGIFPainter::StartPainting() {
    if (asynchronous_ && Suspended()) Start();
}

void TGIFPainter::StopPainting() {
    Terminate();
    if (!asynchronous_) return;
    if (wakeEvent_) SetEvent(wakeEvent_);
    SetPriority(tpNormal);
    // Our thread waits for the call that is running now (a handler of it stops us), so it
    // cannot detach before this returns: let go of the image at once.
    if (inCall_.load()) Unlink();
    // A painter never started runs only to detach and free itself.
    if (Suspended()) Start();
}

void TGIFPainter::ForgetImage() {
    image_ = nullptr;
}

void TGIFPainter::RunInline() {
    Execute();
    Detach();
    std::exception_ptr kept = std::exchange(kept_, nullptr);
    Free(); // this painter is gone from here on
    if (kept) std::rethrow_exception(kept);
}

void TGIFPainter::Execute() {
    try {
        Play();
    } catch (...) {
        // Nothing leaves the thread: Detach reports it, or RunInline raises it again.
        Terminate();
        kept_ = std::current_exception();
    }
}

template <class F> void TGIFPainter::CallInUIThread(F&& call) {
    if (Terminated()) return;
    if (!asynchronous_) {
        call();
        // A handler or message may have freed the image.
        if (!ImageAlive()) {
            image_ = nullptr;
            Terminate();
        }
        return;
    }
    Synchronize([&] {
        // A stop that does not wait (FreeRenderedBitmap) may have come while this call
        // waited: what it would draw on may be gone.
        if (Terminated()) return;
        inCall_.store(true);
        ScopeGuard leave([this] { inCall_.store(false); });
        call();
    });
}

void TGIFPainter::RaiseHandler(const TNotifyEvent& handler) {
    if (!handler) return;
    CallInUIThread([&] { handler(this); });
}

void TGIFPainter::Play() {
    if (options_ & drValidateCanvas) CallInUIThread([this] { savedDC_ = canvas_->Handle(); });
    CurrentFrame = 0;
    RaiseHandler(handlers_.PaintStartHandler);
    firstFrameShown_.store(false);

    FrameStep step;
    int wait = asynchronous_ ? 0 : 1;
    lastDisposal_ = 1;
    DWORD lastTime = timeGetTime();
    int lastWait = 0;
    const bool looping = (options_ & drAnimate) && (options_ & drLoop);

    while ((step.passes != 0 || (options_ & drLoopForever)) && !Terminated()) {
        CurrentFrame = step.loopStart;
        if (firstFrameShown_.load()) {
            RaiseHandler(handlers_.PassHandler);
            passBegins_ = true;
        }
        while (!Terminated()) {
            bool ready = false;
            CallInUIThread([&] { ready = PrepareFrame(wait > 0); });
            if (!ready) break;
            if (wait > 0)
                WaitBeforeFrame(wait, lastTime, lastWait);
            else
                Sleep(0);
            if (Terminated()) break;
            RaiseHandler(handlers_.FramePaintHandler);
            if (Terminated()) break;
            bool shown = false;
            CallInUIThread([&] { shown = ShowFrame(step); });
            if (!shown || Terminated()) break;
            wait = step.nextWait;
            const int shownFrame = CurrentFrame;
            RaiseHandler(handlers_.FrameDoneHandler);
            if (Terminated()) break;
            if (CurrentFrame == shownFrame) ++CurrentFrame;
            if (!(options_ & drAnimate)) break;
        }
        if (step.passes > 0) --step.passes;
        if (!looping) break;
    }
    CurrentFrame = -1;
    RaiseHandler(handlers_.PaintEndHandler);
}

void TGIFPainter::WaitBeforeFrame(int& wait, DWORD& lastTime, int& lastWait) {
    const DWORD now = timeGetTime();
    if (speed_ > 0) {
        // Half of what the last wait was overrun by (drawing, synchronising) comes off this one.
        const std::int64_t overrun =
            static_cast<std::int64_t>(static_cast<std::int32_t>(now - lastTime)) - lastWait;
        if (ScaleBySpeed(std::int64_t(wait) * kDelayUnitMs - overrun / 2, speed_, wait)) {
            lastWait = wait;
        } else {
            wait = kInlineHoldMs;
            lastWait = 0;
        }
    } else {
        wait = asynchronous_ ? kWaitForever : kInlineHoldMs;
    }
    lastTime = now;
    if (!asynchronous_) {
        // Below 0 the frames follow each other without waits, inline as well.
        if (speed_ < 0)
            HandleMessages();
        else
            SleepInline(wait);
        return;
    }
    if (!wakeEvent_ || (wait <= 0 && speed_ != 0)) return;
    DWORD result =
        WaitForSingleObject(wakeEvent_, wait == kWaitForever ? INFINITE : static_cast<DWORD>(wait));
    if (result != WAIT_TIMEOUT) {
        lastWait = 0;
        lastTime = timeGetTime();
    }
}

void TGIFPainter::SleepInline(int wait) {
    if (wait < 1) wait = 1;
    DWORD mark = timeGetTime();
    while (wait > 0 && !Terminated()) {
        Sleep(static_cast<DWORD>(wait >= kInlineSliceMs ? kInlineSliceMs : wait));
        const DWORD now = timeGetTime();
        wait -= static_cast<int>(now - mark);
        mark = now;
        HandleMessages();
    }
}

void TGIFPainter::HandleMessages() {
    MSG msg;
    while (!Terminated() && PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The quit is for the loop that called us.
            PostQuitMessage(static_cast<int>(msg.wParam));
            Terminate();
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
        // A handler may have freed the image.
        if (!ImageAlive()) {
            image_ = nullptr;
            Terminate();
        }
    }
}

TGIFSubImage* TGIFPainter::FrameAt(int index) {
    if (!ImageAlive() || index < 0 || index >= image_->Frames().Count()) return nullptr;
    TGIFSubImage* frame = image_->Frames().GetFrame(index);
    return frame && !frame->IsEmpty() ? frame : nullptr;
}

bool TGIFPainter::PrepareFrame(bool renderAhead) {
    TGIFSubImage* frame = FrameAt(CurrentFrame);
    if (!frame) return false;
    // Rendered before the wait, so that the wait covers it.
    if (renderAhead) frame->GetFrameBitmap();
    return true;
}

bool TGIFPainter::ShowFrame(FrameStep& step) {
    // A canvas whose device context went ends the painter quietly, whichever way it draws.
    if (options_ & drValidateCanvas) {
        DWORD kind = GetObjectType(savedDC_);
        if (kind != OBJ_DC && kind != OBJ_MEMDC) {
            Terminate();
            return false;
        }
    }
    if (std::exchange(passBegins_, false)) {
        RestorePassStart();
        // The copy onto the target raised the image's change: its handlers may have stopped us.
        if (Terminated()) return false;
    }
    // A handler may have chosen another frame, or changed the list, since PrepareFrame.
    TGIFSubImage* frame = FrameAt(CurrentFrame);
    if (!frame) return false;
    bool loopFound = false;
    for (int i = 0; i < frame->FrameExtensions().Count(); ++i) {
        TGIFItem* item = frame->FrameExtensions().ItemAt(i);
        if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(item); loop && !step.loopSeen) {
            step.loopSeen = loopFound = true;
            step.passes = loop->LoopCount;
            if ((step.passes == 0 || (options_ & drLoopForever)) && asynchronous_) step.passes = -1;
            step.loopStart = CurrentFrame;
        }
    }
    // Further passes start at this frame: they start on what it is drawn upon now.
    if ((options_ & drAnimate) && (options_ & drLoop) && (loopFound || !passStart_))
        KeepPassStart();
    // The frame's own control extension: a second one in front of it does not decide.
    TGIFGraphicControlExtension* control = frame->ControlExtension();
    thisDisposal_ = control ? EffectiveDisposal(control->DisposalMethod()) : 1;
    // Read before drawing: drawing raises the image's change, whose handlers may free it.
    step.nextWait = kDefaultDelayUnits;
    if (control && control->FrameDelay() != 0) {
        step.nextWait = std::max<int>(control->FrameDelay(), kMinDelayUnits);
        if (!asynchronous_ && step.nextWait > kMaxInlineDelayUnits)
            step.nextWait = kMaxInlineDelayUnits;
    }
    if (composite_)
        DrawFrameComposed(*frame);
    else
        DrawFramePlain(*frame);
    lastDisposal_ = thisDisposal_;
    // Until its next turn nothing needs the frame decoded: one that keeps its pixels coded
    // gives back its pixels and bitmap, so an animation holds one frame decoded, not all.
    if (TGIFSubImage* shown = FrameAt(CurrentFrame); shown && shown->KeepsCode()) shown->Pack();
    return true;
}

void TGIFPainter::KeepPassStart() {
    // The composite holds the picture after the last frame's disposal; without one, the
    // target does.
    const TRect whole = Rect(0, 0, rect_.right - rect_.left, rect_.bottom - rect_.top);
    if (!passStart_) {
        passStart_ = MakeObject<TBitmap>();
        passStart_->SetSize(whole.right, whole.bottom);
        passStart_->Canvas()->SetCopyMode(cmSrcCopy);
    }
    if (composite_)
        passStart_->Canvas()->CopyRect(whole, composite_->Canvas(), whole);
    else
        passStart_->Canvas()->CopyRect(whole, canvas_, rect_);
    passStartDisposal_ = lastDisposal_;
}

void TGIFPainter::RestorePassStart() {
    if (!passStart_) return;
    const TRect whole = Rect(0, 0, rect_.right - rect_.left, rect_.bottom - rect_.top);
    if (composite_) composite_->Canvas()->CopyRect(whole, passStart_->Canvas(), whole);
    lastDisposal_ = passStartDisposal_;
    canvas_->SetCopyMode(cmSrcCopy);
    canvas_->CopyRect(rect_, passStart_->Canvas(), whole);
}

void TGIFPainter::DrawFramePlain(TGIFSubImage& frame) {
    frame.PaintFrame(canvas_, rect_, options_ & drTile, options_ & drTransparent);
    firstFrameShown_.store(true);
}

void TGIFPainter::DrawFrameComposed(TGIFSubImage& frame) {
    const bool clearFirst = (options_ & drRestoreBackground) && CurrentFrame == 0;
    const TRect whole = Rect(0, 0, rect_.right - rect_.left, rect_.bottom - rect_.top);
    // Disposal 3 over a frame that stays: straight onto the target, so that the composite
    // keeps the picture as it was before. Over a frame that went (2 or 3), the target still
    // shows that frame: draw on a copy of the composite instead.
    TBitmap* buffer = composite_.get();
    if (thisDisposal_ == 3) {
        if (lastDisposal_ <= 1) {
            buffer = nullptr;
        } else {
            scratch_->Canvas()->CopyRect(whole, composite_->Canvas(), whole);
            buffer = scratch_.get();
        }
    }
    TCanvas* onto = buffer ? buffer->Canvas() : canvas_;
    {
        HPALETTE framePalette = frame.GetPaletteHandle();
        if (!framePalette) framePalette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
        gdi::PaletteSelection palette(onto->Handle(), framePalette);
        RealizePalette(onto->Handle());
        if (clearFirst) ClearFrameArea(frame);
        frame.PaintFrame(onto, buffer ? whole : rect_, options_ & drTile, options_ & drTransparent);
        // Rendering reports progress: its handlers may have stopped us, or freed the target.
        if (Terminated()) return;
        if (buffer) {
            canvas_->SetCopyMode(cmSrcCopy);
            canvas_->CopyRect(rect_, buffer->Canvas(), whole);
        }
    }
    // The copy onto the target raised the image's change: the frame may be gone.
    if (Terminated()) return;
    if (thisDisposal_ == 2) ClearFrameArea(frame);
    firstFrameShown_.store(true);
}

void TGIFPainter::ClearFrameArea(TGIFSubImage& frame) {
    // In the composite's own coordinates, where the frame was drawn.
    const TRect whole = Rect(0, 0, rect_.right - rect_.left, rect_.bottom - rect_.top);
    TCanvas* canvas = composite_->Canvas();
    auto clear = [&](const TRect& area) {
        if (underlay_) {
            canvas->CopyRect(area, underlay_->Canvas(), area);
        } else {
            canvas->Brush()->SetColor(background_);
            canvas->Brush()->SetStyle(bsSolid);
            canvas->FillRect(area);
        }
    };
    if (options_ & drTile) {
        for (const TRect& tile : frame.TileRects(whole))
            clear(tile);
    } else {
        clear(frame.PlaceInRect(whole));
    }
}

void TGIFPainter::Unlink() {
    if (ImageAlive()) image_->DetachPainter(this, ownerSlot_);
    image_ = nullptr;
}

void TGIFPainter::Detach() {
    Unlink();
    composite_.reset();
    scratch_.reset();
    underlay_.reset();
    passStart_.reset();
    if (wakeEvent_) CloseHandle(wakeEvent_);
    wakeEvent_ = 0;
    if (asynchronous_ && kept_) ReportKeptException();
}

void TGIFPainter::ReportKeptException() {
    std::exception_ptr kept = std::exchange(kept_, nullptr);
    try {
        std::rethrow_exception(kept);
    } catch (...) {
        try {
            HandleControlException(this);
        } catch (...) {
            // The report itself failed; nothing is left to tell it to.
        }
    }
}

int LivePainterCount() {
    return livePainters.load();
}

TGIFPainterMaker GIFPainterMaker() {
    return [](TGIFGraphic* image, TGIFPaintOptions options, const TRect& rect, TCanvas* canvas,
              TGIFPainterLink** ownerSlot) -> TGIFPainterLink* {
        return CreateObject<TGIFPainter>(image, options, rect, canvas, ownerSlot);
    };
}

void InstallGIFPainter() {
    SetGIFPainterMaker(GIFPainterMaker());
}

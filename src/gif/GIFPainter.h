#pragma once
// TGIFPainter plays a TGIFGraphic onto a canvas: the frames in turn with their delays, each
// frame's disposal honoured, passes repeated as the looping extension and the paint options
// say, and every step reported through the image's five paint handlers.
//
// An asynchronous painter is a thread of its own that only keeps time: everything that
// touches the image, its frames, the canvas or a handler runs on the user-interface thread
// through Synchronize, and is skipped once the painter is stopped. A synchronous painter
// runs the same body inline, sleeping in short slices and handling the thread's messages
// between them. TGIFGraphic::StartPainter makes painters; the image holds them as
// TGIFPainterLink.
#include "framework/Bitmap.h"
#include "gif/GIFGraphic.h"
#include "rtl/Thread.h"

#include <atomic>
#include <exception>
#include <memory>

class TGIFSubImage;

class TGIFPainter final : public TThread, public TGIFPainterLink {
    KORVID_CLASS(TGIFPainter, TThread)

    // Made suspended on the user-interface thread; AfterConstruction reads the image (speed,
    // handlers, disposals, background) and copies the canvas under rect into its buffers.
    TGIFPainter(TGIFGraphic* image, TGIFPaintOptions options, const TRect& rect, TCanvas* canvas,
                TGIFPainterLink** ownerSlot);
    ~TGIFPainter() override;
    void AfterConstruction() override;
    void Destroy() override;

    void StartPainting() override;
    void StopPainting() override;
    // Runs every pass, detaches and frees the painter; an exception that ended the passes
    // is raised again here, after the painter has gone.
    void RunInline() override;
    bool IsAsynchronous() const override { return asynchronous_; }
    bool IsTerminated() const override { return Terminated(); }
    bool HasShownFirstFrame() const override { return firstFrameShown_.load(); }
    TCanvas* PaintCanvas() const override { return canvas_; }
    TRect PaintRect() const override { return rect_; }
    void ForgetImage() override;

    // The image played; none once detached or when the image went. User-interface thread.
    TGIFGraphic* TargetImage() const { return image_; }
    TGIFPaintOptions Options() const { return options_; }
    // Percent; 0 holds each frame, below 0 shows frames without waiting.
    int Speed() const { return speed_; }

    // The frame being shown, -1 when not painting. A frame-done handler may set it to choose
    // the next frame.
    int CurrentFrame = -1;

protected:
    void Execute() override;

private:
    // What the frame loop learns of a frame when it draws it.
    struct FrameStep;

    void Play();
    // Waits before the next frame: on the wake event, or inline in slices.
    void WaitBeforeFrame(int& wait, DWORD& lastTime, int& lastWait);
    void SleepInline(int wait);
    void HandleMessages();

    // Runs call on the user-interface thread; nothing once the painter is stopped.
    template <class F> void CallInUIThread(F&& call);
    void RaiseHandler(const TNotifyEvent& handler);

    // These run on the user-interface thread.
    bool PrepareFrame(bool renderAhead);
    bool ShowFrame(FrameStep& step);
    // A further pass starts on the picture its first frame was drawn upon in the first pass,
    // not on what the last frame of the pass before left.
    void KeepPassStart();
    void RestorePassStart();
    void DrawFramePlain(TGIFSubImage& frame);
    void DrawFrameComposed(TGIFSubImage& frame);
    void ClearFrameArea(TGIFSubImage& frame);
    TGIFSubImage* FrameAt(int index);
    bool ImageAlive() const { return image_ && !alive_.expired(); }
    // Leaves the image: its painter list and owner slot.
    void Unlink();
    // The termination handler: unlinks, frees the buffers and the event, and reports an
    // exception that ended an asynchronous painter.
    void Detach();
    void ReportKeptException();

    TGIFGraphic* image_;
    std::weak_ptr<void> alive_;
    TGIFPaintOptions options_;
    TRect rect_;
    TCanvas* canvas_;
    TGIFPainterLink** ownerSlot_;
    bool asynchronous_;
    int speed_ = 100;
    TColor background_ = 0;

    int thisDisposal_ = 0;
    int lastDisposal_ = 0;
    ObjectPtr<TBitmap> composite_;
    ObjectPtr<TBitmap> scratch_;
    ObjectPtr<TBitmap> underlay_;
    // What the pass's first frame was drawn upon, and the disposal before it; a looping
    // painter only. passBegins_ is set by the painter's thread before a further pass and
    // read in its next call to the user-interface thread.
    ObjectPtr<TBitmap> passStart_;
    int passStartDisposal_ = 1;
    bool passBegins_ = false;
    HDC savedDC_ = 0;
    std::atomic<bool> firstFrameShown_{false};
    // Set while the user-interface thread runs one of this painter's calls: the thread
    // waits for that call, so a stop then cannot wait for the thread to detach.
    std::atomic<bool> inCall_{false};
    HANDLE wakeEvent_ = 0;
    std::exception_ptr kept_;

    TGIFPaintHandlers handlers_;
};

// Painters made and not yet freed (an asynchronous one frees itself on its own thread,
// just after it has detached).
int LivePainterCount();

// The maker that TGIFGraphic::StartPainter uses to make TGIFPainters.
TGIFPainterMaker GIFPainterMaker();
// Installs it (GIFGraphicInit does so).
void InstallGIFPainter();

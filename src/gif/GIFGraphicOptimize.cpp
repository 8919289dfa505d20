// Frame optimisation of a whole image: sorting colour maps, merging frames with what the
// earlier ones leave on screen, cropping transparent edges and cleaning up extensions.
#include "framework/ProgressScope.h"
#include "gif/GIFGraphic.h"
#include "gif/GIFSubImage.h"
#include "gif/codec/GIFException.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>

namespace {

constexpr const char* kOptimizing = "Optimizing...";
constexpr const char* kInvalidReduction = "Invalid reduction method";
const TRect kNoRect = {0, 0, 0, 0};
// Phases that each step once over the frames.
constexpr int kPhases = 6;

int DisposalOf(TGIFSubImage& frame) {
    return frame.ControlExtension() ? frame.ControlExtension()->DisposalMethod() : -1;
}

bool HoldsIndex(TGIFSubImage& frame, int index) {
    const Byte* p = frame.PixelData();
    return p &&
           std::find(p, p + frame.PixelCount(), static_cast<Byte>(index)) != p + frame.PixelCount();
}

// Every pixel holds the frame's transparent index.
bool ShowsNothing(TGIFSubImage& frame) {
    const Byte* p = frame.PixelData();
    const Byte t = static_cast<Byte>(frame.TransparentIndex());
    return p && std::all_of(p, p + frame.PixelCount(), [t](Byte v) { return v == t; });
}

} // namespace

void TGIFGraphic::OptimizeFrames(Byte options, TReductionMethod reduction, int bits,
                                 TDitherMethod dither) {
    (void)bits;
    (void)dither;
    if (IsEmpty()) return;
    CheckMissingPixels();
    StopPainters();
    LockedList painters(painterList_);
    TGIFImageList& frames = Frames();
    int total = frames.Count() * kPhases;
    int done = 0;
    auto step = [&] {
        ++done;
        Progress(this, psRunning, static_cast<Byte>(PercentOf(done, total)), false, kNoRect,
                 kOptimizing);
    };
    // Whichever way the work ends, the image shows what it has become.
    ScopeGuard refresh([this] {
        FreeRenderedBitmap();
        Changed(this);
    });
    ProgressScope progress([this](TProgressStage stage, Byte percent) {
        Progress(this, stage, percent, false, kNoRect, kOptimizing);
    });
    {
        if (options & kOptimizeColorMaps) {
            if (GlobalColorMap().Count() > 0) GlobalColorMap().OptimizeColors();
            for (int i = 0; i < frames.Count(); ++i) {
                TGIFSubImage* f = frames.GetFrame(i);
                if (f->OwnColorMap().Count() > 0) f->OwnColorMap().OptimizeColors();
                // The pixels were renumbered.
                f->DropBitmap();
                f->DropMask();
                step();
            }
        }
        if (options & kOptimizeCleanup) {
            for (int i = 0; i < frames.Count(); ++i) {
                TGIFSubImage* f = frames.GetFrame(i);
                if (f->IsTransparent() && f->ControlExtension() &&
                    !HoldsIndex(*f, f->TransparentIndex()))
                    f->ControlExtension()->SetHasTransparency(false);
            }
            for (int i = 0; i + 1 < frames.Count(); ++i) {
                TGIFSubImage* f = frames.GetFrame(i);
                TGIFSubImage* next = frames.GetFrame(i + 1);
                int disposal = DisposalOf(*f);
                // The next frame must cover all the area that would be restored, and must not
                // itself put back what lay under it, which is that restored area.
                if ((disposal == 2 || disposal == 3) && !next->IsTransparent() &&
                    DisposalOf(*next) != 3) {
                    TRect a = f->FrameRect(), b = next->FrameRect();
                    TRect both = Rect(std::max(a.left, b.left), std::max(a.top, b.top),
                                      std::min(a.right, b.right), std::min(a.bottom, b.bottom));
                    if (both.left < both.right && both.top < both.bottom && both == a)
                        f->ControlExtension()->SetDisposalMethod(0);
                }
                step();
            }
        }
        if (options & kOptimizeMerge) {
            for (int i = frames.Count() - 1; i >= 1; --i) {
                int j = i - 1;
                while (j > 0 && DisposalOf(*frames.GetFrame(j)) == 3)
                    --j;
                frames.GetFrame(i)->MaskUnchangedPixels(frames.GetFrame(j));
                step();
            }
        }
        if (options & kOptimizeCrop) {
            for (int i = frames.Count() - 1; i >= 0; --i) {
                TGIFSubImage* f = frames.GetFrame(i);
                step();
                if (f->IsEmpty() || !f->IsTransparent()) continue;
                // A frame that clears its area afterwards would clear less once cropped.
                if (DisposalOf(*f) == 2) continue;
                // A first frame that shows nothing has no frame before it to take its time.
                if (i == 0 && ShowsNothing(*f)) continue;
                Word delay = f->ControlExtension() ? f->ControlExtension()->FrameDelay() : 0;
                f->TrimTransparentEdges();
                if (!f->IsEmpty()) continue;
                // The frame before is shown for the time of the frame that goes.
                if (delay > 0) {
                    TGIFSubImage* before = frames.GetFrame(i - 1);
                    if (!before->ControlExtension())
                        before->FrameExtensions().AppendItem(
                            CreateObject<TGIFGraphicControlExtension>(before));
                    TGIFGraphicControlExtension* gce = before->ControlExtension();
                    gce->SetFrameDelay(
                        static_cast<Word>(std::min(gce->FrameDelay() + delay, 0xFFFF)));
                }
                f->Free();
            }
        }
        if (options & kOptimizeCleanup) {
            const bool single = frames.Count() == 1;
            for (int i = frames.Count() - 1; i >= 0; --i) {
                TGIFSubImage* f = frames.GetFrame(i);
                for (int e = f->FrameExtensions().Count() - 1; e >= 0; --e) {
                    TGIFExtension* ext = f->FrameExtensions().ExtensionAt(e);
                    bool drop = dynamic_cast<TGIFCommentExtension*>(ext) ||
                                dynamic_cast<TGIFTextExtension*>(ext) ||
                                dynamic_cast<TGIFUnknownAppExtension*>(ext) ||
                                (dynamic_cast<TGIFAppExtNSLoop*>(ext) && (i != 0 || single));
                    if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(ext))
                        drop = (gce->FrameDelay() == 0 || single) && !gce->HasTransparency() &&
                               !gce->WaitsForUserInput() && (gce->DisposalMethod() < 2 || single);
                    if (drop) ext->Free();
                }
                if (f->IsEmpty() && f->FrameExtensions().Count() == 0) f->Free();
                step();
            }
        } else if ((options & kOptimizeReduceColors) && reduction == redPalette) {
            RaiseGIFError(kInvalidReduction);
        }
    }
    progress.Finish();
}

#pragma once
// TGIFGraphic: a GIF as a picture of the framework. It owns the stream's header and frames
// (through GIFImageCore), the settings for colour reduction, encoding and animated drawing,
// the bitmap the whole logical screen is rendered into, and the list of painters that
// animate it. TPicture loads and saves it by the extension "GIF" and the clipboard format
// "GIF Image" once GIFGraphicInit has run.
#include "framework/Bitmap.h"
#include "framework/Graphic.h"
#include "gif/GIFDitherers.h"
#include "gif/GIFImageCore.h"
#include "gif/GIFReduce.h"
#include "platform/gdi/Owned.h"
#include "rtl/Lists.h"
#include "rtl/Thread.h"

#include <functional>
#include <memory>

class TGIFSubImage;
class TGIFGraphic;

// Drawing options, one bit each.
using TGIFPaintOptions = Word;
enum : TGIFPaintOptions {
    drAsynchronous = 0x0001,      // the painter runs in a thread of its own
    drTransparent = 0x0002,       // frames are drawn through their masks
    drAnimate = 0x0004,           // more than one frame: all frames in turn
    drLoop = 0x0008,              // further passes as the loop count allows
    drLoopForever = 0x0010,       // passes regardless of the loop count
    drValidateCanvas = 0x0020,    // stop when the canvas's device context goes
    drDirect = 0x0040,            // straight onto the target, not into the rendered bitmap
    drRestoreBackground = 0x0080, // clear frame 0's area before drawing it
    drTile = 0x0100,              // repeat at logical screen size instead of stretching
    drDither = 0x0200,            // render frames dithered to the 216-colour cube
    drAutoDither = 0x0400,        // with drDither: only on a paletted display
};
constexpr TGIFPaintOptions kGIFDefaultPaintOptions = 0x060F;
// Options of TGIFGraphic::OptimizeFrames.
enum : Byte {
    kOptimizeCrop = 0x01,
    kOptimizeMerge = 0x02,
    kOptimizeCleanup = 0x04,
    kOptimizeColorMaps = 0x08,
    kOptimizeReduceColors = 0x10,
};

// BackdropColor's "none".
constexpr TColor kGIFNoBackdrop = clNone;

// What a painter reports, each with the painter as sender; copied into every painter when it
// starts.
struct TGIFPaintHandlers {
    TNotifyEvent PaintStartHandler; // before the first frame
    TNotifyEvent FramePaintHandler; // before each frame is drawn
    TNotifyEvent FrameDoneHandler;  // after each frame; may choose the next one
    TNotifyEvent PassHandler;       // before each further pass
    TNotifyEvent PaintEndHandler;   // when the painter ends
};

// The image's side of an animation painter. The painter unit derives the real painter from
// this and installs a maker (SetGIFPainterMaker); without one an animated image draws its
// first frame only.
class TGIFPainterLink {
public:
    virtual ~TGIFPainterLink() = default;

    // Lets an asynchronous painter's thread run; nothing for a synchronous one.
    virtual void StartPainting() = 0;
    // Marks the painter terminated and wakes it; never waits.
    virtual void StopPainting() = 0;
    // The whole body of a synchronous painter, in the calling thread. The painter detaches
    // and frees itself before this returns (an exception it kept is raised again here).
    virtual void RunInline() = 0;
    virtual bool IsAsynchronous() const = 0;
    virtual bool IsTerminated() const = 0;
    // Whether a frame has been drawn yet.
    virtual bool HasShownFirstFrame() const = 0;
    virtual TCanvas* PaintCanvas() const = 0;
    virtual TRect PaintRect() const = 0;
    // The image is being destroyed: the painter must not touch it again.
    virtual void ForgetImage() = 0;
};

// Makes a painter, suspended, that plays image onto canvas within rect. It stores itself
// into *ownerSlot when one is given and clears that slot (under the lock of the image's
// PainterList) when it detaches; it also leaves PainterList then.
using TGIFPainterMaker =
    std::function<TGIFPainterLink*(TGIFGraphic* image, TGIFPaintOptions options, const TRect& rect,
                                   TCanvas* canvas, TGIFPainterLink** ownerSlot)>;
// Answers the maker installed before.
TGIFPainterMaker SetGIFPainterMaker(TGIFPainterMaker maker);

class TGIFGraphic : public TGraphic, public GIFImageCore {
    KORVID_GRAPHIC_CLASS(TGIFGraphic, TGraphic)

    TGIFGraphic();
    ~TGIFGraphic() override;
    void AfterConstruction() override;
    // Stops every painter (waiting for the asynchronous ones) before the frames go.
    void Destroy() override;

    // Frees the frames, the global colours and the caches; the screen becomes 0 x 0.
    void MakeEmpty();
    // A graphic (bitmap, other GIF, any picture) becomes a new frame; a frame is taken as it
    // is, ownership included. Returns the frame's index. Anything else raises "Object type
    // not supported for operation"; a failed conversion leaves no frame behind.
    int AddFrame(TPersistent* source);
    bool IsEmpty() const;
    bool SameAs(TGraphic* graphic) const { return graphic == this; }
    TColor ScreenBackgroundColor() { return StreamHeader().BackgroundColor(); }

    // Every frame must fit; a changed size drops the rendered bitmap.
    void SetScreenWidth(int width) override;
    void SetScreenHeight(int height) override;
    void SetWidth(int Value) override { SetScreenWidth(Value); }
    void SetHeight(int Value) override { SetScreenHeight(Value); }

    // The logical screen rendered (frame 0 at its place); owned by the image, none when the
    // image is empty. Asynchronous painters draw into it.
    TBitmap* GetRenderedBitmap();
    // The rendered bitmap, made at screen size without drawing when absent.
    TBitmap* NewRenderedBitmap();
    // Stops the view painter (without waiting), then frees the rendered bitmap.
    void FreeRenderedBitmap();
    void DrawRenderedBitmap(TCanvas* canvas, const TRect& rect);
    bool ShouldDither() const;

    // The image's palette (cached where the rules say so); see the .cpp.
    HPALETTE GetPaletteHandle();
    void SetPaletteHandle(HPALETTE palette);

    void Draw(TCanvas* ACanvas, const TRect& Rect) override { PaintOnCanvas(ACanvas, Rect); }
    void PaintOnCanvas(TCanvas* canvas, const TRect& rect);

    // Makes, registers and (synchronous) runs a painter; answers the asynchronous one, still
    // suspended, or none. *reference is set by the painter itself.
    TGIFPainterLink* StartPainter(TGIFPainterLink** reference, TCanvas* canvas,
                                  TGIFPaintOptions options, const TRect& rect);
    // Stops every painter and waits (serving their synchronous calls) until the
    // asynchronous ones have left PainterList; then frees the rendered bitmap.
    void StopPainters();
    // The same for ViewPainter alone.
    void StopViewPainter();

    // Rewrites the frames to make the file smaller; options are kOptimize* bits. Raises
    // "Invalid reduction method" for kOptimizeReduceColors with redPalette and without
    // kOptimizeCleanup.
    void OptimizeFrames(Byte options, TReductionMethod reduction, int bits, TDitherMethod dither);

    void Assign(TPersistent* Source) override { CopyFrom(Source); }
    void CopyFrom(TPersistent* source);

    // Progress "Loading..."; a stream that is not a GIF raises and leaves the image empty; a
    // stream that ends early keeps the frames read so far, with a warning.
    void LoadFromStream(TStream& Stream) override;
    // "Unsupported GIF version" for an empty image.
    void SaveToStream(TStream& Stream) override;
    void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) override;
    void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) override;

    void ReportProgress(TObject* sender, TProgressStage stage, int percent, const String& message,
                        bool redraw = false) override;
    void GlobalColorsChanged() override;
    void FrameColorsChanged(TGIFSubImage& frame) override;
    // A frame was changed or re-rendered: passes it on as the image's change.
    void FrameChanged(TGIFSubImage* frame);
    // Frames may hold at most this many pixels together; more raises "Image is too large".
    void CheckPixelBudget(Int64 framePixels) override;
    // Expires when the image is destroyed: code that runs handlers (which may free the
    // image) checks it before touching the image again.
    std::weak_ptr<void> Liveness() const { return alive_; }

    // Settings; a copy of the image takes them over (see CopyFrom).
    TGIFPaintOptions PaintOptions() const { return paintOptions_; }
    void SetPaintOptions(TGIFPaintOptions options) { paintOptions_ = options; }
    // Used when a frame is made from a bitmap that is not 1, 4 or 8 bits per pixel.
    TReductionMethod ReductionMethod() const { return reductionMethod_; }
    void SetReductionMethod(TReductionMethod method) { reductionMethod_ = method; }
    // Colour bits of the quantiser (2 to the power of it colours).
    int QuantizeBits() const { return quantizeBits_; }
    void SetQuantizeBits(int bits) { quantizeBits_ = bits; }
    TDitherMethod DitherMethod() const { return ditherMethod_; }
    void SetDitherMethod(TDitherMethod method) { ditherMethod_ = method; }
    TThreadPriority PainterPriority() const { return painterPriority_; }
    void SetPainterPriority(TThreadPriority priority) { painterPriority_ = priority; }
    // Animation speed in percent.
    int SpeedPercent() const { return speedPercent_; }
    void SetSpeedPercent(int percent) { speedPercent_ = percent; }
    // Fill colour of the painters' buffers; kGIFNoBackdrop for none.
    TColor BackdropColor() const { return backdropColor_; }
    void SetBackdropColor(TColor color) { backdropColor_ = color; }
    const TGIFPaintHandlers& PaintHandlers() const { return paintHandlers_; }
    void SetPaintHandlers(const TGIFPaintHandlers& handlers) { paintHandlers_ = handlers; }

    // The rendered bitmap as it is now (none when not made); GetRenderedBitmap makes it.
    TBitmap* RenderedBitmap() const { return renderedBitmap_.get(); }
    // The painter that drawing started; none when it has gone.
    TGIFPainterLink* ViewPainter() const;
    // Painters now in the list of live painters.
    int PainterCount();
    // A painter leaves the list (and ownerSlot when it points to it), under the list's lock.
    void DetachPainter(TGIFPainterLink* painter, TGIFPainterLink** ownerSlot);

protected:
    void AssignTo(TPersistent* Dest) override { CopyToBitmap(Dest); }
    void CopyToBitmap(TPersistent* target);
    bool GetEmpty() const override { return IsEmpty(); }
    int GetWidth() const override { return ScreenWidth(); }
    int GetHeight() const override { return ScreenHeight(); }
    HPALETTE GetPalette() override { return GetPaletteHandle(); }

private:
    // Makes RenderedBitmap (screen size, palette copy, change notice) without drawing.
    TBitmap* MakeRenderedBitmap();
    // Takes over the source's settings and handlers.
    void CopySettings(const TGIFGraphic& source);
    void CopyFrames(TGIFGraphic& source);

    bool drawing_ = false;
    bool queryingPalette_ = false;
    gdi::UniqueObject paletteHandle_;
    // Every live painter; its lock also guards viewPainter_.
    TThreadList<TGIFPainterLink*> painterList_;
    TGIFPaintOptions paintOptions_ = kGIFDefaultPaintOptions;
    TReductionMethod reductionMethod_ = redNetscape;
    int quantizeBits_ = 8;
    TDitherMethod ditherMethod_ = dtNearest;
    ObjectPtr<TBitmap> renderedBitmap_;
    TGIFPainterLink* viewPainter_ = nullptr;
    TThreadPriority painterPriority_ = tpNormal;
    int speedPercent_ = 100;
    TColor backdropColor_ = kGIFNoBackdrop;
    TGIFPaintHandlers paintHandlers_;
    std::shared_ptr<void> alive_;
};

// Pixels all frames of one image may hold together.
constexpr Int64 kMaxImagePixels = Int64(1) << 29;

// The clipboard format "GIF Image", registered by GIFGraphicInit (0 before).
Word GIFClipboardFormat();
// Whether the screen has at most 8 bits per pixel, as GIFGraphicInit found it.
bool PalettedDisplay();

// Registers TGIFGraphic with TPicture ("GIF", "GIF Image") and the clipboard format; once at
// program start.
void GIFGraphicInit();
// Unregisters it again; once at program end.
void GIFGraphicDone();

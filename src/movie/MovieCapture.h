#pragma once
// Frame capture for the movie component: the frame the player shows, scaled by CaptureSize and
// handed to a bitmap, an image, a BMP file or a JPEG file. It is copied from the player's
// renderer, or, while the frame hook is spliced into the player (FGrabber_Enabled at open
// time), taken from the hook: a callback on the media engine's thread copies a frame once
// armed and posts WM_FRAMEGRABBED to the component's window, where it goes to a grab that
// waits for it or, when none waits, to the capture-completed event.
#include "framework/Bitmap.h"
#include "framework/Jpeg.h"
#include "movie/AutoFileName.h"
#include "platform/user/Messages.h"

#include <functional>
#include <memory>

class TDerivedMovie_;
class TImage;
class TSampleGrabberCB;
class TWinControl;
struct TMessage;
namespace media {
class ISampleGrabber;
}

// Where a capture delivers the frame: an image or a bitmap, a BMP file, a JPEG file.
enum TFrameCapture_Dest : Byte { fdBitmap = 0, fdBMPFile = 1, fdJPEGFile = 2 };

// Posted to the component's window when the frame hook has copied a frame: wParam 1 = a frame
// is pending; lParam 0 = pause the movie again, 1 = leave it playing.
constexpr UINT WM_FRAMEGRABBED = WM_APP + 1000;

// The bitmap belongs to the component and is freed when the handler returns.
using TOnFrameCaptureCompleted =
    std::function<void(TObject* Sender, TBitmap* Bitmap, TFrameCapture_Dest DestType,
                       const String& FileName, bool Success)>;

class MovieCapture {
public:
    struct Hooks {
        // The component's Pause: a movie started for a grab that got no frame is paused again.
        std::function<bool()> pause;
        // The player gave its frame hook, before it is connected.
        std::function<void()> grabberFound;
    };

    // How long a grab waits for the frame hook (and a capture for a seek to land), in
    // milliseconds of the kernel clock.
    static constexpr Cardinal kGrabWaitMs = 3000;

    // Window: the component, whose window the frame hook posts to and which is the sender of
    // Completed.
    MovieCapture(TWinControl& Window, TDerivedMovie_& Player,
                 const TOnFrameCaptureCompleted& Completed, Hooks Callbacks);
    ~MovieCapture();
    MovieCapture(const MovieCapture&) = delete;
    MovieCapture& operator=(const MovieCapture&) = delete;

    // --- the settings ---
    TAuto_Filename AutoFileName() const { return autoFileName_; }
    void SetAutoFileName(TAuto_Filename v) { autoFileName_ = v; }
    const String& AutoFilePrefix() const { return autoFilePrefix_; }
    void SetAutoFilePrefix(const String& v) { autoFilePrefix_ = v; }
    // Percent of the frame's size.
    int CaptureSize() const { return captureSize_; }
    void SetCaptureSize(int v) { captureSize_ = v; }
    TJPEGPerformance JPEGPerformance() const { return jpegPerformance_; }
    void SetJPEGPerformance(TJPEGPerformance v) { jpegPerformance_ = v; }
    bool JPEGProgressiveDisplay() const { return jpegProgressive_; }
    void SetJPEGProgressiveDisplay(bool v) { jpegProgressive_ = v; }
    int JPEGQuality() const { return jpegQuality_; }
    void SetJPEGQuality(int v) { jpegQuality_ = v; }
    // The current folder at construction.
    const String& StoragePath() const { return storagePath_; }
    void SetStoragePath(const String& v) { storagePath_ = v; }
    // The frame hook's: a run of BurstCount frames (0: no end), every BurstInterval-th sample.
    // Negative values are ignored.
    int BurstCount() const { return burstCount_; }
    void SetBurstCount(int v);
    int BurstInterval() const { return burstInterval_; }
    void SetBurstInterval(int v);
    bool BurstMode() const { return burstMode_; }
    void SetBurstMode(bool v);
    // Splice the frame hook in at open time.
    bool GrabberEnabled() const { return grabberEnabled_; }
    void SetGrabberEnabled(bool v) { grabberEnabled_ = v; }
    bool GrabberAvailable() const { return grabberAvailable_; }
    bool GrabberInserted() const { return grabberInserted_; }

    // --- the movie's life ---
    // Open: the renderer's frames can be read, and the frame hook is spliced in when enabled.
    void MovieOpened();
    void MovieClosed() { grabberInserted_ = false; }
    // A ready state at which the frame hook may be spliced in (when enabled) again.
    void InsertGrabberIfEnabled();
    // Close: the renderer's frames are no longer read.
    void ReleaseBasicVideo() { basicVideoHeld_ = false; }
    // The movie stopped: the frame hook takes no more frames.
    void Disarm();
    // Destruction: the buffer, the frame hook and its callback go.
    void Release();

    // A frame into Dest (see TActiveMovie::CaptureFrameTo); false when none could be had.
    bool Capture(TFrameCapture_Dest Dest, String& FileName, TImage* Image, TBitmap* Bitmap);
    // WM_FRAMEGRABBED.
    void DeliverGrabbedFrame(TMessage& Message);

private:
    ObjectPtr<TBitmap> GrabFromRenderer();
    // A seek still on its way shows the old frame: wait (bounded) until it has landed.
    void WaitForSeekToLand();
    bool InsertSampleGrabber();
    void ReleaseGrabber();
    bool GrabFromSampleGrabber(ObjectPtr<TBitmap>& Bitmap);
    ObjectPtr<TBitmap> ScaledCopy(TBitmap* Frame);

    TWinControl& window_;
    TDerivedMovie_& player_;
    const TOnFrameCaptureCompleted& completed_;
    Hooks hooks_;

    TAuto_Filename autoFileName_ = fnSequential;
    String autoFilePrefix_ = "am";
    int captureSize_ = 100;
    TJPEGPerformance jpegPerformance_ = jpBestQuality;
    bool jpegProgressive_ = false;
    int jpegQuality_ = 100;
    String storagePath_;
    int burstCount_ = 0;
    int burstInterval_ = 0;
    bool burstMode_ = false;
    bool grabberEnabled_ = false;

    // The renderer path: frames are read only while a movie is open; the buffer is kept
    // between captures and grown only when a frame needs more.
    bool basicVideoHeld_ = false;
    std::unique_ptr<Byte[]> imageBuffer_;
    int imageBufferSize_ = 0;

    // The frame hook path.
    bool grabberAvailable_ = false;
    bool grabberInserted_ = false;
    media::ISampleGrabber* grabber_ = nullptr;
    std::unique_ptr<TSampleGrabberCB> callback_;
    // The grab that waits for a delivered frame.
    ObjectPtr<TBitmap> waitingBitmap_;
    bool delivered_ = false;
    bool grabBusy_ = false;
};

// Where the pixel bits of a packed DIB start: after the header, the colour table (a full one
// when it says 0 entries at 8 bits or fewer) and, for bit fields, the three masks.
std::size_t PackedDibBitsOffset(const BITMAPINFOHEADER& Header);

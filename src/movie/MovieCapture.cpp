#include "movie/MovieCapture.h"

#include "movie/DerivedMovie.h"
#include "movie/MovieSupport.h"
#include "movie/PlayerProperties.h"
#include "movie/SampleGrabberCB.h"

#include "framework/Image.h"
#include "framework/Jpeg.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Time.h"
#include "platform/media/MediaPlayer.h"
#include "platform/user/MessageQueue.h"
#include "rtl/Files.h"

#include <climits>
#include <cstring>
#include <new>
#include <utility>

using movie_detail::Finally;
using movie_detail::PaceWait;

namespace {

bool HasDotInName(const String& fileName) {
    return ExtractFileName(fileName).find('.') != String::npos;
}

} // namespace

std::size_t PackedDibBitsOffset(const BITMAPINFOHEADER& Header) {
    std::size_t colours = Header.biClrUsed;
    if (colours == 0 && Header.biBitCount <= 8) colours = std::size_t{1} << Header.biBitCount;
    std::size_t offset = Header.biSize + colours * sizeof(RGBQUAD);
    if (Header.biCompression == BI_BITFIELDS) offset += 12;
    return offset;
}

MovieCapture::MovieCapture(TWinControl& Window, TDerivedMovie_& Player,
                           const TOnFrameCaptureCompleted& Completed, Hooks Callbacks)
    : window_(Window), player_(Player), completed_(Completed), hooks_(std::move(Callbacks)),
      storagePath_(GetCurrentDir()) {
    // Our frame hook is part of every player: it can always be made.
    grabberAvailable_ = true;
    callback_ = std::make_unique<TSampleGrabberCB>();
    callback_->SetBurstCount(burstCount_);
    callback_->SetBurstInterval(burstInterval_);
    callback_->SetBurstMode(burstMode_);
}

MovieCapture::~MovieCapture() = default;

void MovieCapture::SetBurstCount(int v) {
    if (v < 0) return;
    burstCount_ = v;
    if (callback_) callback_->SetBurstCount(v);
}

void MovieCapture::SetBurstInterval(int v) {
    if (v < 0) return;
    burstInterval_ = v;
    if (callback_) callback_->SetBurstInterval(v);
}

void MovieCapture::SetBurstMode(bool v) {
    burstMode_ = v;
    if (callback_) callback_->SetBurstMode(v);
}

// --- the movie's life ---

void MovieCapture::MovieOpened() {
    ReleaseBasicVideo();
    InsertGrabberIfEnabled();
    basicVideoHeld_ = true;
}

void MovieCapture::InsertGrabberIfEnabled() {
    if (grabberEnabled_ && callback_ && InsertSampleGrabber()) grabberInserted_ = true;
}

void MovieCapture::Disarm() {
    if (callback_) callback_->Disarm();
}

void MovieCapture::Release() {
    ReleaseBasicVideo();
    imageBuffer_.reset();
    imageBufferSize_ = 0;
    if (callback_) {
        ReleaseGrabber();
        callback_.reset();
    }
}

// --- the renderer path ---

void MovieCapture::WaitForSeekToLand() {
    media::MediaPlayer& player = player_.MediaPlayer();
    const std::uint64_t deadline = GetTickCount64() + kGrabWaitMs;
    while (player.Engine().Seeking() && GetTickCount64() < deadline) {
        // The player's own reports are taken on the way, so its wait is one for news.
        player.DeliverEvents();
        PaceWait(player);
    }
}

ObjectPtr<TBitmap> MovieCapture::GrabFromRenderer() {
    if (!basicVideoHeld_) return nullptr;
    media::IBasicVideo& video = player_.MediaPlayer().BasicVideo();
    WaitForSeekToLand();
    LONG w = 0, h = 0;
    if (FAILED(video.GetVideoSize(&w, &h))) return nullptr;
    LONG needed = 0;
    if (FAILED(video.GetCurrentImage(&needed, nullptr)) || needed <= 0 || needed > INT_MAX - 2)
        return nullptr;
    // Kept between captures and grown only when a frame needs more.
    if (!imageBuffer_ || imageBufferSize_ < needed + 2) {
        imageBuffer_.reset();
        imageBufferSize_ = 0;
        imageBuffer_.reset(new (std::nothrow) Byte[static_cast<std::size_t>(needed) + 2]);
        if (!imageBuffer_) return nullptr;
        imageBufferSize_ = needed + 2;
    }
    LONG size = imageBufferSize_;
    if (FAILED(video.GetCurrentImage(&size, imageBuffer_.get()))) return nullptr;
    BITMAPINFOHEADER header;
    std::memcpy(&header, imageBuffer_.get(), sizeof header);
    const std::size_t offset = PackedDibBitsOffset(header);
    const LONG rows = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const std::size_t bytes =
        static_cast<std::size_t>(DibRowBytes(header.biWidth, header.biBitCount)) *
        static_cast<std::size_t>(rows);
    if (header.biSize < sizeof header ||
        offset + bytes > static_cast<std::size_t>(imageBufferSize_))
        return nullptr;
    // A DIB section of the frame's own format: the bitmap takes it over as it is, where a
    // device bitmap would be converted back into a DIB (and copied again) on every grab.
    const HBITMAP native =
        CreateDIBSectionFromBits(0, reinterpret_cast<const BITMAPINFO*>(imageBuffer_.get()),
                                 DIB_RGB_COLORS, imageBuffer_.get() + offset);
    if (!native) return nullptr;
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    frame->SetHandle(native);
    if (captureSize_ == 100) return frame;
    return ScaledCopy(frame.get());
}

bool MovieCapture::Capture(TFrameCapture_Dest Dest, String& FileName, TImage* Image,
                           TBitmap* Bitmap) {
    ObjectPtr<TBitmap> frame;
    if (grabberInserted_) {
        if (!GrabFromSampleGrabber(frame)) return false;
    } else {
        frame = GrabFromRenderer();
        if (!frame) return false;
    }
    switch (Dest) {
    case fdBitmap:
        if (Image) {
            Image->SetWidth(frame->Width());
            Image->SetHeight(frame->Height());
            TBitmap* target = Image->Picture()->Bitmap();
            target->SetSize(frame->Width(), frame->Height());
            target->Canvas()->StretchDraw(Rect(0, 0, frame->Width(), frame->Height()), frame.get());
        } else if (Bitmap) {
            // The bitmap takes the grabbed frame's DIB over rather than a copy: the grabbed
            // bitmap is freed here anyway.
            Bitmap->SetHandle(frame->ReleaseHandle());
        }
        break;
    case fdBMPFile:
        if (FileName.empty())
            FileName = AutomaticFileName(autoFileName_, storagePath_, autoFilePrefix_, "bmp");
        else if (!HasDotInName(FileName))
            FileName += ".bmp";
        try {
            frame->SaveToFile(FileName);
        } catch (const Exception&) {
            // A BMP that cannot be written is not a failed grab: the frame was had.
        }
        break;
    case fdJPEGFile: {
        if (FileName.empty())
            FileName = AutomaticFileName(autoFileName_, storagePath_, autoFilePrefix_, "jpg");
        else if (!HasDotInName(FileName))
            FileName += ".jpeg";
        ObjectPtr<TJPEGImage> jpeg = MakeObject<TJPEGImage>();
        jpeg->Assign(frame.get());
        jpeg->SetPerformance(jpegPerformance_);
        jpeg->SetProgressiveDisplay(jpegProgressive_);
        jpeg->SetCompressionQuality(jpegQuality_);
        jpeg->SaveToFile(FileName);
        break;
    }
    }
    return true;
}

// --- the frame hook path ---

bool MovieCapture::InsertSampleGrabber() {
    ReleaseGrabber();
    media::ISampleGrabber* grabber = player_.MediaPlayer().InsertSampleGrabber();
    if (!grabber) return false;
    callback_->SetWindow(window_.Handle());
    hooks_.grabberFound();
    BITMAPINFOHEADER header{};
    if (FAILED(grabber->SetCallback(callback_.get())) ||
        FAILED(grabber->GetConnectedMediaType(&header)) || header.biBitCount != 24 ||
        header.biWidth <= 0 || header.biHeight == 0) {
        grabber->SetCallback(nullptr);
        player_.MediaPlayer().RemoveSampleGrabber();
        callback_->ClearMediaType();
        return false;
    }
    callback_->SetMediaType(header, TSampleGrabberCB::kFormatVideoInfo);
    callback_->SetGrabber(grabber);
    grabber_ = grabber;
    grabberInserted_ = true;
    return true;
}

void MovieCapture::ReleaseGrabber() {
    grabberInserted_ = false;
    callback_->SetBurstCount(burstCount_);
    callback_->SetBurstInterval(burstInterval_);
    callback_->SetBurstMode(burstMode_);
    if (grabber_) {
        // Waits for a callback that runs now; none comes after.
        grabber_->SetCallback(nullptr);
        grabber_->SetArmed(false);
        grabber_ = nullptr;
    }
    callback_->SetGrabber(nullptr);
    callback_->ClearMediaType();
}

ObjectPtr<TBitmap> MovieCapture::ScaledCopy(TBitmap* Frame) {
    ObjectPtr<TBitmap> scaled = MakeObject<TBitmap>();
    scaled->SetPixelFormat(pf24bit);
    scaled->SetSize(movie_detail::ScaledSide(Frame->Width(), captureSize_),
                    movie_detail::ScaledSide(Frame->Height(), captureSize_));
    if (!scaled->Empty())
        scaled->Canvas()->StretchDraw(Rect(0, 0, scaled->Width(), scaled->Height()), Frame);
    return scaled;
}

void MovieCapture::DeliverGrabbedFrame(TMessage& Message) {
    Message.Result = 0;
    if (Message.WParam != 1 || !callback_) return;
    // Whatever happens below, the next frame may come in afterwards.
    Finally done([this] { callback_->EndDelivery(); });
    const HBITMAP handle = callback_->TakePendingFrame();
    if (!handle) return;
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    frame->SetHandle(handle);
    if (Message.LParam == 0) player_.Pause();
    // Scaled here, once: a waiting grab takes the delivered frame as it is.
    ObjectPtr<TBitmap> scaled;
    TBitmap* result = frame.get();
    if (captureSize_ != 100) {
        scaled = ScaledCopy(frame.get());
        result = scaled.get();
    }
    if (grabBusy_ && waitingBitmap_) {
        waitingBitmap_->Assign(result);
        delivered_ = true;
    } else if (completed_) {
        completed_(&window_, result, fdBitmap, "", true);
    }
}

bool MovieCapture::GrabFromSampleGrabber(ObjectPtr<TBitmap>& Bitmap) {
    if (!grabberInserted_ || grabBusy_) return false;
    grabBusy_ = true;
    delivered_ = false;
    waitingBitmap_ = MakeObject<TBitmap>();
    Finally done([this] {
        waitingBitmap_.reset();
        grabBusy_ = false;
    });
    bool started = false;
    if (PlayerProperties(player_).PlayState() == kPlayStatePaused) {
        callback_->SetResume(true);
        player_.Play();
        started = true;
    }
    callback_->Arm();
    // Bounded: a stopped, closed or finished movie shows no more frames.
    const std::uint64_t deadline = GetTickCount64() + kGrabWaitMs;
    while (!delivered_ && GetTickCount64() < deadline) {
        MSG msg;
        while (!delivered_ && PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
        if (!delivered_) PaceWait(player_.MediaPlayer());
    }
    if (!delivered_) {
        // Nothing may stay armed or in flight for a grab that nobody waits for any more.
        callback_->Disarm();
        if (grabber_) {
            grabber_->SetCallback(nullptr);
            grabber_->SetCallback(callback_.get());
        }
        MSG msg;
        while (PeekMessage(&msg, window_.Handle(), WM_FRAMEGRABBED, WM_FRAMEGRABBED, PM_REMOVE)) {
        }
        callback_->EndDelivery();
        if (started && callback_->Resume()) {
            callback_->SetResume(false);
            hooks_.pause();
        }
        return false;
    }
    delivered_ = false;
    if (!Bitmap) Bitmap = MakeObject<TBitmap>();
    Bitmap->Assign(waitingBitmap_.get());
    return true;
}

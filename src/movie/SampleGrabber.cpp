// The frame-hook path: the callback object on the streaming thread, and the component's side
// of it (splicing the hook in, delivering posted frames, the waiting grab).
#include "movie/ActiveMovie.h"
#include "movie/SampleGrabberCB.h"

#include "movie/DerivedMovie.h"
#include "movie/MovieSupport.h"

#include "platform/gdi/Gdi.h"
#include "platform/kernel/Time.h"
#include "platform/media/MediaPlayer.h"
#include "platform/user/MessageQueue.h"

#include <algorithm>
#include <cstring>

using movie_detail::Finally;

namespace {

constexpr int kFormatNone = 0;
constexpr int kFormatVideoInfo = 1;

} // namespace

// --- the callback object ---

TSampleGrabberCB::~TSampleGrabberCB() {
    if (HBITMAP left = pending_.exchange(0)) DeleteObject(left);
}

void TSampleGrabberCB::SetBurstCount(int v) {
    if (v >= 0 && v != burstCount_) burstCount_ = v;
}

void TSampleGrabberCB::SetBurstInterval(int v) {
    if (v > 0 && v != burstInterval_) burstInterval_ = v;
}

void TSampleGrabberCB::SetMediaType(const BITMAPINFOHEADER& header, int kind) {
    std::lock_guard lock(headerMutex_);
    header_ = header;
    formatKind_ = kind;
}

void TSampleGrabberCB::MirrorArming(bool armed) {
    if (media::ISampleGrabber* g = grabber_) g->SetArmed(armed);
}

void TSampleGrabberCB::Arm() {
    ++arming_;
    // Every arming starts its count afresh, in either mode: an endless run counts below
    // zero, and a single grab after it would otherwise never see its last frame.
    remaining_ = burstMode_ ? burstCount_.load() : 0;
    countdown_ = 1;
    armed_ = true;
    MirrorArming(true);
}

void TSampleGrabberCB::Disarm() {
    remaining_ = 0;
    armed_ = false;
    MirrorArming(false);
}

HBITMAP TSampleGrabberCB::TakePendingFrame() {
    const HBITMAP frame = pending_.exchange(0);
    if (frame && pendingArming_.load() != arming_.load()) {
        DeleteObject(frame);
        return 0;
    }
    return frame;
}

void TSampleGrabberCB::EndDelivery() {
    if (HBITMAP left = pending_.exchange(0)) DeleteObject(left);
    busy_ = false;
}

HRESULT TSampleGrabberCB::BufferCB(double, BYTE* Buffer, LONG BufferLength) {
    if (busy_.exchange(true)) return S_OK;
    // A frame not yet delivered keeps the mark set: the delivery clears it.
    if (pending_) return S_OK;
    LPARAM resumeParam = 1;
    const unsigned arming = arming_.load();
    if (formatKind_ == kFormatNone || !armed_) {
        busy_ = false;
        return S_OK;
    }
    if (burstMode_) {
        if (--countdown_ > 0) {
            busy_ = false;
            return S_OK;
        }
        --remaining_;
        countdown_ = burstInterval_.load();
    } else {
        armed_ = false;
    }
    if ((!burstMode_ || burstCount_ > 0) && remaining_ == 0) {
        armed_ = false;
        MirrorArming(false);
        if (resume_.exchange(false)) resumeParam = 0;
    }
    HBITMAP frame = 0;
    if (Buffer) {
        BITMAPINFO info{};
        {
            std::lock_guard lock(headerMutex_);
            info.bmiHeader = header_;
        }
        void* bits = nullptr;
        frame = CreateDIBSection(0, &info, DIB_RGB_COLORS, &bits, 0, 0);
        if (frame && bits) {
            const LONG height =
                info.bmiHeader.biHeight < 0 ? -info.bmiHeader.biHeight : info.bmiHeader.biHeight;
            const std::size_t stride = static_cast<std::size_t>(
                DibRowBytes(info.bmiHeader.biWidth, info.bmiHeader.biBitCount));
            const std::size_t bytes =
                std::min(stride * static_cast<std::size_t>(height),
                         static_cast<std::size_t>(std::max<LONG>(0, BufferLength)));
            std::memcpy(bits, Buffer, bytes);
        } else if (frame) {
            DeleteObject(frame);
            frame = 0;
        }
    }
    // No section (the frame is too big for memory) leaves nothing pending, so later samples
    // are still taken.
    if (!frame) {
        busy_ = false;
        return S_OK;
    }
    pendingArming_ = arming;
    pending_ = frame;
    if (!PostMessage(window_, WM_FRAMEGRABBED, 1, resumeParam)) {
        EndDelivery();
    }
    return S_OK;
}

// --- the component's side ---

bool TActiveMovie::InsertSampleGrabber() {
    ReleaseGrabber();
    media::ISampleGrabber* grabber = player_->MediaPlayer().InsertSampleGrabber();
    if (!grabber) return false;
    callback_->SetWindow(Handle());
    layout_->KeepLogoWithoutPicture();
    BITMAPINFOHEADER header{};
    if (FAILED(grabber->SetCallback(callback_.get())) ||
        FAILED(grabber->GetConnectedMediaType(&header)) || header.biBitCount != 24 ||
        header.biWidth <= 0 || header.biHeight == 0) {
        grabber->SetCallback(nullptr);
        player_->MediaPlayer().RemoveSampleGrabber();
        callback_->ClearMediaType();
        return false;
    }
    callback_->SetMediaType(header, kFormatVideoInfo);
    callback_->SetGrabber(grabber);
    grabber_ = grabber;
    grabberInserted_ = true;
    return true;
}

void TActiveMovie::ReleaseGrabber() {
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

TBitmap* TActiveMovie::ScaledCopy(TBitmap* Frame) {
    ObjectPtr<TBitmap> scaled = MakeObject<TBitmap>();
    scaled->SetPixelFormat(pf24bit);
    scaled->SetSize(movie_detail::ScaledSide(Frame->Width(), captureSize_),
                    movie_detail::ScaledSide(Frame->Height(), captureSize_));
    if (!scaled->Empty())
        scaled->Canvas()->StretchDraw(Rect(0, 0, scaled->Width(), scaled->Height()), Frame);
    return scaled.release();
}

void TActiveMovie::DeliverGrabbedFrame(TMessage& Message) {
    Message.Result = 0;
    if (Message.WParam != 1 || !callback_) return;
    // Whatever happens below, the next frame may come in afterwards.
    Finally done([this] { callback_->EndDelivery(); });
    const HBITMAP handle = callback_->TakePendingFrame();
    if (!handle) return;
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    frame->SetHandle(handle);
    if (Message.LParam == 0) player_->Pause();
    // Scaled here, once: a waiting grab takes the delivered frame as it is.
    ObjectPtr<TBitmap> scaled;
    TBitmap* result = frame.get();
    if (captureSize_ != 100) {
        scaled.reset(ScaledCopy(frame.get()));
        result = scaled.get();
    }
    if (grabBusy_ && waitingBitmap_) {
        waitingBitmap_->Assign(result);
        delivered_ = true;
    } else if (OnFGrabberCaptureCompleted) {
        OnFGrabberCaptureCompleted(this, result, fdBitmap, "", true);
    }
}

bool TActiveMovie::GrabFromSampleGrabber(ObjectPtr<TBitmap>& Bitmap) {
    if (!grabberInserted_ || grabBusy_) return false;
    grabBusy_ = true;
    delivered_ = false;
    waitingBitmap_ = MakeObject<TBitmap>();
    Finally done([this] {
        waitingBitmap_.reset();
        grabBusy_ = false;
    });
    bool started = false;
    if (PlayState() == kPlayStatePaused) {
        callback_->SetResume(true);
        player_->Play();
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
        if (!delivered_) PaceWait();
    }
    if (!delivered_) {
        // Nothing may stay armed or in flight for a grab that nobody waits for any more.
        callback_->Disarm();
        if (grabber_) {
            grabber_->SetCallback(nullptr);
            grabber_->SetCallback(callback_.get());
        }
        MSG msg;
        while (PeekMessage(&msg, Handle(), WM_FRAMEGRABBED, WM_FRAMEGRABBED, PM_REMOVE)) {
        }
        callback_->EndDelivery();
        if (started && callback_->Resume()) {
            callback_->SetResume(false);
            Pause();
        }
        return false;
    }
    delivered_ = false;
    if (!Bitmap) Bitmap = MakeObject<TBitmap>();
    Bitmap->Assign(waitingBitmap_.get());
    return true;
}

#include "movie/SampleGrabberCB.h"

#include "movie/MovieCapture.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/MessageQueue.h"

#include <algorithm>
#include <cstring>

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

#include "platform/media/FrameHook.h"

#include "platform/media/internal/FrameStore.h"

namespace media::detail {

FrameHook::FrameHook() : bgr_(std::make_unique<BgrConverter>()) {}

FrameHook::~FrameHook() = default;

HRESULT FrameHook::SetCallback(ISampleGrabberCB* callback) {
    std::scoped_lock lock(callMutex_, stateMutex_);
    if (!spliced_ && callback) return E_UNEXPECTED;
    callback_ = callback;
    return S_OK;
}

void FrameHook::SetArmed(bool armed) {
    std::lock_guard lock(stateMutex_);
    armed_ = armed && spliced_;
}

bool FrameHook::Armed() const {
    std::lock_guard lock(stateMutex_);
    return armed_;
}

HRESULT FrameHook::GetConnectedMediaType(BITMAPINFOHEADER* header) {
    if (!header) return E_POINTER;
    std::lock_guard lock(stateMutex_);
    if (!spliced_) return E_UNEXPECTED;
    *header = BgrConverter::Header(width_, height_);
    return S_OK;
}

void FrameHook::Splice(int width, int height) {
    std::lock_guard lock(stateMutex_);
    spliced_ = true;
    width_ = width;
    height_ = height;
}

void FrameHook::Remove() {
    std::scoped_lock lock(callMutex_, stateMutex_);
    spliced_ = false;
    armed_ = false;
    callback_ = nullptr;
}

bool FrameHook::Spliced() const {
    std::lock_guard lock(stateMutex_);
    return spliced_;
}

void FrameHook::Deliver(const AVFrame& frame, double time) {
    std::lock_guard call(callMutex_);
    ISampleGrabberCB* callback = nullptr;
    {
        std::lock_guard lock(stateMutex_);
        if (!spliced_ || !armed_ || !callback_ || frame.width != width_ || frame.height != height_)
            return;
        callback = callback_;
    }
    std::vector<BYTE>& rows = bgr_->Convert(frame);
    callback->BufferCB(time, rows.data(), static_cast<LONG>(rows.size()));
}

} // namespace media::detail

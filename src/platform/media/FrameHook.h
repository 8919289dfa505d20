#pragma once
// The frame hook: once spliced into an open movie with video and armed, every presented
// frame is converted to 24-bit BGR on the streaming thread and handed to the callback.
#include "platform/media/FrameAccess.h"

#include <memory>
#include <mutex>

struct AVFrame;

namespace media::detail {

class BgrConverter;

class FrameHook final : public ISampleGrabber {
public:
    FrameHook();
    ~FrameHook() override;
    FrameHook(const FrameHook&) = delete;
    FrameHook& operator=(const FrameHook&) = delete;

    HRESULT SetCallback(ISampleGrabberCB* callback) override;
    void SetArmed(bool armed) override;
    bool Armed() const override;
    HRESULT GetConnectedMediaType(BITMAPINFOHEADER* header) override;

    // Owner thread: splice into a movie of this size, or remove (callback and arming go).
    void Splice(int width, int height);
    void Remove();
    bool Spliced() const;
    // Streaming thread.
    void Deliver(const AVFrame& frame, double time);

private:
    mutable std::mutex stateMutex_;
    std::mutex callMutex_; // held while the callback runs
    ISampleGrabberCB* callback_ = nullptr;
    bool armed_ = false;
    bool spliced_ = false;
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<BgrConverter> bgr_; // used under callMutex_
};

} // namespace media::detail

#include "platform/media/internal/FrameQueue.h"

namespace media::detail {

bool FrameQueue::Push(DecodedFrame frame) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] {
        DropStale();
        return aborted_ || frame.serial != requestSerial_.load() || frames_.size() < capacity_;
    });
    if (aborted_ || frame.serial != requestSerial_.load()) return false;
    frames_.push_back(std::move(frame));
    ++moves_;
    changed_.notify_all();
    return true;
}

std::optional<FrameTiming> FrameQueue::Peek(std::size_t index, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [&] {
        DropStale();
        return aborted_ || frames_.size() > index;
    });
    DropStale();
    if (aborted_ || frames_.size() <= index) return std::nullopt;
    const DecodedFrame& f = frames_[index];
    return FrameTiming{f.pts, f.duration, f.serial};
}

DecodedFrame FrameQueue::Pop() {
    std::lock_guard lock(mutex_);
    // A seek between the caller's look and this call may have dropped the frames it saw.
    if (frames_.empty()) return {};
    DecodedFrame f = std::move(frames_.front());
    frames_.pop_front();
    ++moves_;
    changed_.notify_all();
    return f;
}

void FrameQueue::DropStale() {
    const int current = requestSerial_.load();
    bool dropped = false;
    while (!frames_.empty() && frames_.front().serial != current) {
        frames_.pop_front();
        dropped = true;
    }
    if (dropped) changed_.notify_all();
}

void FrameQueue::Abort() {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    changed_.notify_all();
}

void FrameQueue::Wake() {
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

bool FrameQueue::Empty() const {
    std::lock_guard lock(mutex_);
    for (const DecodedFrame& f : frames_)
        if (f.serial == requestSerial_.load()) return false;
    return true;
}

} // namespace media::detail

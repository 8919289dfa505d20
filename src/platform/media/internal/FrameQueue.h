#pragma once
// Decoded video frames between the video decoder and the presenter. Small and bounded: the
// decoder blocks while it is full, which is what paces decoding to presentation. Frames of
// an older seek serial are stale: a push of one gives up, and the presenter never sees them.
#include "platform/media/internal/FFmpeg.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace media::detail {

struct DecodedFrame {
    ff::FramePtr frame;
    double pts = 0;      // seconds from the first frame
    double duration = 0; // seconds
    int serial = 0;
};

struct FrameTiming {
    double pts = 0;
    double duration = 0;
    int serial = 0;
};

class FrameQueue {
public:
    FrameQueue(const std::atomic<int>& requestSerial, std::size_t capacity)
        : requestSerial_(requestSerial), capacity_(capacity) {}

    // False when aborted or the frame went stale while waiting for room.
    bool Push(DecodedFrame frame);
    // The timing of the index-th current frame, waiting up to the timeout for it to arrive.
    std::optional<FrameTiming> Peek(std::size_t index, std::chrono::milliseconds timeout);
    // Removes and returns the front frame, after a successful Peek(0); an empty frame when a
    // later Peek dropped it as stale meanwhile.
    DecodedFrame Pop();
    void Abort();
    void Wake();
    bool Empty() const;
    // Frames pushed and popped so far: whether the decoder and the presenter are moving.
    std::uint64_t Moves() const { return moves_.load(); }

private:
    void DropStale();

    const std::atomic<int>& requestSerial_;
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<DecodedFrame> frames_;
    bool aborted_ = false;
    std::atomic<std::uint64_t> moves_{0};
};

} // namespace media::detail

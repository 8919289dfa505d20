#pragma once
// Compressed packets on their way from the demuxer to one decoder. Bounded by bytes and
// count; the demuxer waits while it is full. Each packet carries the epoch of the read it
// belongs to: every seek that moves the reading starts a new epoch, and a packet of an older
// one is stale (a put of it gives up, so such a seek never waits for a full queue to drain).
// A seek that decodes on from where the reading is keeps the epoch and its packets. A null
// packet marks the end of the stream for the decoder to drain.
#include "platform/media/internal/FFmpeg.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace media::detail {

struct QueuedPacket {
    ff::PacketPtr packet; // null: end of stream
    int epoch = 0;
};

class PacketQueue {
public:
    PacketQueue(const std::atomic<int>& epoch, const std::atomic<int>& requestSerial,
                std::size_t maxBytes, std::size_t maxCount)
        : epoch_(epoch), requestSerial_(requestSerial), maxBytes_(maxBytes), maxCount_(maxCount) {}

    enum class PutResult { Queued, Stale, Interrupted, Aborted };
    // Queues the packet (taking it) once there is room. Gives up when its epoch went stale, or
    // leaves it with the caller (Interrupted) when a seek newer than `serial` was requested
    // while the queue was full, so the caller can carry that seek out first.
    PutResult Put(ff::PacketPtr& packet, int epoch, int serial);
    enum class GetResult { Packet, Woken, Aborted };
    // Waits until a packet is there (Packet) or a seek newer than `serial` was requested while
    // none was (Woken).
    GetResult Get(QueuedPacket& out, int serial);
    // Drops everything queued (a seek).
    void Flush();
    void Abort();
    // Wakes waiting producers and consumers so they re-check the epoch and the serial.
    void Wake();
    bool Empty() const;
    // As much is queued as the bounds allow: a put would wait.
    bool Full() const;
    // Packets put and taken so far: whether the stage on either side is moving.
    std::uint64_t Moves() const { return moves_.load(); }

private:
    const std::atomic<int>& epoch_;
    const std::atomic<int>& requestSerial_;
    const std::size_t maxBytes_;
    const std::size_t maxCount_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<QueuedPacket> packets_;
    std::size_t bytes_ = 0;
    bool aborted_ = false;
    std::atomic<std::uint64_t> moves_{0};
};

} // namespace media::detail

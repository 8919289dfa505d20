#pragma once
// Compressed packets on their way from the demuxer to one decoder. Bounded by bytes and
// count; the demuxer blocks while it is full. Each packet carries the serial of the seek it
// belongs to, and a put gives up when a newer seek has been requested (the packet is stale
// then), so a seek never waits for a full queue to drain. A null packet marks the end of
// the stream for the decoder to drain.
#include "platform/media/internal/FFmpeg.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace media::detail {

struct QueuedPacket {
    ff::PacketPtr packet; // null: end of stream
    int serial = 0;
};

class PacketQueue {
public:
    PacketQueue(const std::atomic<int>& requestSerial, std::size_t maxBytes, std::size_t maxCount)
        : requestSerial_(requestSerial), maxBytes_(maxBytes), maxCount_(maxCount) {}

    // False when the queue was aborted or the packet went stale while waiting.
    bool Put(ff::PacketPtr packet, int serial);
    // Blocks until a packet is there; false once aborted.
    bool Get(QueuedPacket& out);
    // Drops everything queued (a seek).
    void Flush();
    void Abort();
    // Wakes waiting producers and consumers so they re-check the request serial.
    void Wake();
    bool Empty() const;
    // As much is queued as the bounds allow: a put would wait.
    bool Full() const;
    // Packets put and taken so far: whether the stage on either side is moving.
    std::uint64_t Moves() const { return moves_.load(); }

private:
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

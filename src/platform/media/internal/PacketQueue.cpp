#include "platform/media/internal/PacketQueue.h"

namespace media::detail {

bool PacketQueue::Put(ff::PacketPtr packet, int serial) {
    std::unique_lock lock(mutex_);
    const std::size_t size = packet ? static_cast<std::size_t>(packet->size) : 0;
    changed_.wait(lock, [&] {
        return aborted_ || serial != requestSerial_.load() || packets_.empty() ||
               (bytes_ + size <= maxBytes_ && packets_.size() < maxCount_);
    });
    if (aborted_ || serial != requestSerial_.load()) return false;
    bytes_ += size;
    packets_.push_back({std::move(packet), serial});
    ++moves_;
    changed_.notify_all();
    return true;
}

bool PacketQueue::Get(QueuedPacket& out) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return aborted_ || !packets_.empty(); });
    if (aborted_) return false;
    out = std::move(packets_.front());
    packets_.pop_front();
    if (out.packet) bytes_ -= static_cast<std::size_t>(out.packet->size);
    ++moves_;
    changed_.notify_all();
    return true;
}

void PacketQueue::Flush() {
    std::lock_guard lock(mutex_);
    packets_.clear();
    bytes_ = 0;
    changed_.notify_all();
}

void PacketQueue::Abort() {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    changed_.notify_all();
}

void PacketQueue::Wake() {
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

bool PacketQueue::Empty() const {
    std::lock_guard lock(mutex_);
    return packets_.empty();
}

bool PacketQueue::Full() const {
    std::lock_guard lock(mutex_);
    return !packets_.empty() && (bytes_ >= maxBytes_ || packets_.size() >= maxCount_);
}

} // namespace media::detail

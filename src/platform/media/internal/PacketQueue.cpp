#include "platform/media/internal/PacketQueue.h"

namespace media::detail {

PacketQueue::PutResult PacketQueue::Put(ff::PacketPtr& packet, int epoch, int serial) {
    std::unique_lock lock(mutex_);
    const std::size_t size = packet ? static_cast<std::size_t>(packet->size) : 0;
    const auto room = [&] {
        return packets_.empty() || (bytes_ + size <= maxBytes_ && packets_.size() < maxCount_);
    };
    changed_.wait(lock, [&] {
        return aborted_ || epoch != epoch_.load() || room() || serial != requestSerial_.load();
    });
    if (aborted_) return PutResult::Aborted;
    if (epoch != epoch_.load()) return PutResult::Stale;
    if (!room()) return PutResult::Interrupted;
    bytes_ += size;
    packets_.push_back({std::move(packet), epoch});
    ++moves_;
    changed_.notify_all();
    return PutResult::Queued;
}

PacketQueue::GetResult PacketQueue::Get(QueuedPacket& out, int serial) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock,
                  [&] { return aborted_ || !packets_.empty() || serial != requestSerial_.load(); });
    if (aborted_) return GetResult::Aborted;
    if (packets_.empty()) return GetResult::Woken;
    out = std::move(packets_.front());
    packets_.pop_front();
    if (out.packet) bytes_ -= static_cast<std::size_t>(out.packet->size);
    ++moves_;
    changed_.notify_all();
    return GetResult::Packet;
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

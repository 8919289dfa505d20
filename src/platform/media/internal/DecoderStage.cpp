#include "platform/media/internal/DecoderStage.h"

namespace media::detail {

DecoderStage::DecoderStage(Session& s, StreamState& stream)
    : s_(s), codec_(stream.codec.get()), packets_(*stream.packets) {}

void DecoderStage::Run() {
    QueuedPacket queued;
    for (;;) {
        const PacketQueue::GetResult got = packets_.Get(queued, seen_);
        if (got == PacketQueue::GetResult::Aborted) return;
        if (got == PacketQueue::GetResult::Woken) {
            FollowSeek();
            continue;
        }
        if (queued.epoch != epoch_) Restart(queued.epoch);
        if (epoch_ != s_.Epoch()) continue;
        if (serial_ != s_.RequestSerial() && !FollowSeek()) continue;
        if (!queued.packet) {
            avcodec_send_packet(codec_, nullptr);
            ReceiveAll();
            drained_ = true;
            Drained();
            continue;
        }
        if (avcodec_send_packet(codec_, queued.packet.get()) == AVERROR(EAGAIN)) {
            ReceiveAll();
            avcodec_send_packet(codec_, queued.packet.get());
        }
        // A damaged packet is skipped; the decoder recovers at the next good one.
        ReceiveAll();
    }
}

SeekPoint DecoderStage::StartEpoch(int epoch) {
    avcodec_flush_buffers(codec_);
    const SeekPoint point = s_.Executed();
    epoch_ = epoch;
    serial_ = seen_ = point.serial;
    target_ = point.target;
    drained_ = false;
    return point;
}

void DecoderStage::ReceiveAll() {
    while (epoch_ == s_.Epoch()) {
        ff::FramePtr frame(av_frame_alloc());
        if (!frame || avcodec_receive_frame(codec_, frame.get()) < 0) return;
        Handle(std::move(frame));
    }
}

} // namespace media::detail

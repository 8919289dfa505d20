// The video decoder stage: packets in, frames with their time spans out. A frame's span
// runs to the next frame's start. After a seek it holds each frame back until the next one
// shows whether that starts at or before the target, so the first frame it passes on is the
// one whose span holds the target; a target past the last frame gives the last frame.
#include "platform/media/internal/Session.h"

#include <algorithm>
#include <cmath>

namespace media::detail {

namespace {

class VideoStage {
public:
    explicit VideoStage(Session& s) : s_(s), codec_(s.video.codec.get()) {
        const double rate = s.info.frameRate;
        nominalDuration_ = rate > 0 ? 1.0 / rate : 0.04;
        // Timestamps on a coarse clock (Matroska's milliseconds) are rounded: at a constant
        // rate a start within half a tick of n / rate is taken as exactly that, so a target on
        // a frame's start picks that frame and one just before it the frame before. A
        // variable rate has no such grid; its starts are compared with half a tick of slack.
        halfTick_ = av_q2d(s.video.stream->time_base) / 2;
        snapRate_ = s.info.variableRate ? 0.0 : rate;
        boundarySlack_ = s.info.variableRate && 2 * halfTick_ < nominalDuration_ / 4
                             ? std::max(1e-6, halfTick_)
                             : 1e-6;
    }

    void Run() {
        QueuedPacket queued;
        while (s_.video.packets->Get(queued)) {
            if (queued.serial != serial_) Restart(queued.serial);
            if (serial_ != s_.RequestSerial()) continue;
            if (!queued.packet) {
                Drain();
                continue;
            }
            int r = avcodec_send_packet(codec_, queued.packet.get());
            if (r == AVERROR(EAGAIN)) {
                ReceiveAll();
                r = avcodec_send_packet(codec_, queued.packet.get());
            }
            // A damaged packet is skipped; the decoder recovers at the next good one.
            ReceiveAll();
        }
    }

private:
    void Restart(int serial) {
        avcodec_flush_buffers(codec_);
        serial_ = serial;
        target_ = s_.TargetFor(serial);
        fromStart_ = s_.FromStart(serial);
        awaitingKey_ = true;
        dropping_ = true;
        pushed_ = false;
        candidate_ = {};
        nextPts_ = 0;
        // Only a read from the start knows where an untimed first frame sits.
        anchored_ = fromStart_;
    }

    void Drain() {
        avcodec_send_packet(codec_, nullptr);
        ReceiveAll();
        if (awaitingKey_ && !fromStart_) {
            // No key frame between the seek point and the end: start from further back.
            s_.RequestSeekBack(serial_);
            avcodec_flush_buffers(codec_);
            return;
        }
        if (!pushed_ && candidate_.frame) {
            // The target lies in the last frame.
            pushed_ = s_.frames->Push(std::move(candidate_));
        }
        s_.video.finishedSerial = serial_;
        s_.NotifyChange();
        avcodec_flush_buffers(codec_);
    }

    void ReceiveAll() {
        for (;;) {
            ff::FramePtr frame(av_frame_alloc());
            if (!frame || avcodec_receive_frame(codec_, frame.get()) < 0) return;
            Handle(std::move(frame));
        }
    }

    void Handle(ff::FramePtr frame) {
        const AVRational base = s_.video.stream->time_base;
        const int64_t ts = frame->best_effort_timestamp;
        const bool timed = ts != AV_NOPTS_VALUE;
        const double pts =
            timed ? OnGrid(static_cast<double>(ts) * av_q2d(base) - s_.info.videoStart) : nextPts_;
        anchored_ = anchored_ || timed;
        const double duration = frame->pkt_duration > 0
                                    ? static_cast<double>(frame->pkt_duration) * av_q2d(base)
                                    : nominalDuration_;
        nextPts_ = pts + duration;
        if (awaitingKey_) {
            // Frames before the first key frame after a seek refer to pictures never decoded.
            if (!frame->key_frame && !fromStart_) return;
            awaitingKey_ = false;
            // A key frame without a timestamp (program streams stamp only the first picture
            // of a packet) cannot be placed after a seek: it may lie far past the target.
            if ((!anchored_ || pts > target_ + boundarySlack_) && !fromStart_) {
                s_.RequestSeekBack(serial_);
                return;
            }
        }
        DecodedFrame decoded{std::move(frame), pts, duration, serial_};
        if (dropping_) {
            if (pts <= target_ + boundarySlack_) {
                // Started by the target: shown unless the next frame starts by it too.
                candidate_ = std::move(decoded);
                return;
            }
            dropping_ = false;
            if (candidate_.frame && !s_.frames->Push(std::move(candidate_))) return;
            candidate_ = {};
        }
        if (s_.frames->Push(std::move(decoded))) pushed_ = true;
    }

    double OnGrid(double pts) const {
        if (snapRate_ <= 0) return pts;
        const double exact = std::round(pts * snapRate_) / snapRate_;
        return std::abs(exact - pts) <= halfTick_ ? exact : pts;
    }

    Session& s_;
    AVCodecContext* codec_;
    double nominalDuration_;
    double halfTick_ = 0;
    double snapRate_ = 0;
    int serial_ = -1;
    double target_ = 0;
    bool fromStart_ = true;
    bool awaitingKey_ = true;
    bool dropping_ = true;
    bool pushed_ = false;
    double boundarySlack_ = 1e-6;
    DecodedFrame candidate_; // the latest frame starting by the target, while dropping
    double nextPts_ = 0;
    bool anchored_ = true; // nextPts_ is a known position, not a guess
};

} // namespace

void RunVideoDecoder(Session& session) {
    VideoStage(session).Run();
}

} // namespace media::detail

// The video decoder stage: packets in, frames with their time spans out. A frame's span
// runs to the next frame's start. After a seek it holds each frame back until the next one
// shows whether that starts at or before the target, so the first frame it passes on is the
// one whose span holds the target; a target past the last frame gives the last frame.
// A seek that the demuxer lets decode on keeps the decoder as it is: the last few frames are
// kept, so the target's frame is found among them or among the frames decoded next.
#include "platform/media/internal/DecoderStage.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace media::detail {

namespace {

// The frames kept for a seek that decodes on: the one shown, the frame queue's and the ones
// on their way to it.
constexpr std::size_t kKeptFrames = 6;

class VideoStage : public DecoderStage {
public:
    explicit VideoStage(Session& s) : DecoderStage(s, s.video) {
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

private:
    void Restart(int epoch) override {
        fromStart_ = StartEpoch(epoch).fromStart;
        awaitingKey_ = true;
        kept_.clear();
        StartDropping();
        nextPts_ = 0;
        // Only a read from the start knows where an untimed first frame sits.
        anchored_ = fromStart_;
        Publish();
    }

    void StartDropping() {
        dropping_ = true;
        pushed_ = false;
        candidate_ = {};
    }

    void Drained() override {
        if (awaitingKey_ && !fromStart_) {
            // No key frame between the seek point and the end: start from further back.
            s_.RequestSeekBack(serial_);
            avcodec_flush_buffers(codec_);
            return;
        }
        if (!FinishDrained()) FollowSeek();
        avcodec_flush_buffers(codec_);
    }

    // Every frame has been decoded: the target lies in the last one when none after it was
    // passed on. False when the frame queue refused it.
    bool FinishDrained() {
        if (!pushed_ && candidate_.frame) {
            if (!s_.frames->Push(std::move(candidate_))) return false;
            pushed_ = true;
        }
        s_.video.finishedSerial = serial_;
        s_.NotifyChange();
        return true;
    }

    void Handle(ff::FramePtr frame) override {
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
        if (kept_.size() == kKeptFrames) kept_.pop_front();
        kept_.push_back({ff::FramePtr(av_frame_clone(frame.get())), pts, duration, serial_});
        Publish();
        if (serial_ != s_.RequestSerial() || !Deliver({std::move(frame), pts, duration, serial_}))
            FollowSeek();
    }

    // Passes the frame on, or holds it back while dropping toward the target; false when the
    // frame queue refused it (a newer seek, or the end).
    bool Deliver(DecodedFrame decoded) {
        decoded.serial = serial_;
        if (dropping_) {
            if (decoded.pts <= target_ + boundarySlack_) {
                // Started by the target: shown unless the next frame starts by it too.
                candidate_ = std::move(decoded);
                return true;
            }
            dropping_ = false;
            if (candidate_.frame && !s_.frames->Push(std::move(candidate_))) return false;
            candidate_ = {};
        }
        if (!s_.frames->Push(std::move(decoded))) return false;
        pushed_ = true;
        return true;
    }

    // A newer seek: waits for the demuxer's choice. When the reading goes on, the kept frames
    // are passed again toward the new target and true is returned; when it moves, what this
    // decoder holds is of no use and false is returned.
    bool FollowSeek() override {
        SeekPoint point;
        while (s_.AwaitDecodingOn(epoch_, seen_, point)) {
            serial_ = point.serial;
            target_ = point.target;
            StartDropping();
            if (kept_.empty() || kept_.front().pts > target_ + boundarySlack_) {
                // The frames before the target are gone.
                s_.RequestReseek(serial_);
                continue;
            }
            if (Replay() && (!drained_ || FinishDrained())) return true;
        }
        return false;
    }

    bool Replay() {
        for (const DecodedFrame& kept : kept_) {
            ff::FramePtr copy(av_frame_clone(kept.frame.get()));
            if (!copy || !Deliver({std::move(copy), kept.pts, kept.duration, serial_}))
                return false;
        }
        return true;
    }

    void Publish() {
        VideoWindow w;
        w.epoch = epoch_;
        w.valid = !kept_.empty();
        if (w.valid) {
            w.first = kept_.front().pts;
            w.last = kept_.back().pts;
        }
        s_.PublishVideoWindow(w);
    }

    double OnGrid(double pts) const {
        if (snapRate_ <= 0) return pts;
        const double exact = std::round(pts * snapRate_) / snapRate_;
        return std::abs(exact - pts) <= halfTick_ ? exact : pts;
    }

    double nominalDuration_;
    double halfTick_ = 0;
    double snapRate_ = 0;
    bool fromStart_ = true;
    bool awaitingKey_ = true;
    bool dropping_ = true;
    bool pushed_ = false;
    double boundarySlack_ = 1e-6;
    DecodedFrame candidate_; // the latest frame starting by the target, while dropping
    std::deque<DecodedFrame> kept_;
    double nextPts_ = 0;
    bool anchored_ = true; // nextPts_ is a known position, not a guess
};

} // namespace

void RunVideoDecoder(Session& session) {
    VideoStage(session).Run();
}

} // namespace media::detail

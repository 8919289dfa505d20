// The audio decoder stage: packets in, 16-bit stereo at the sink's rate out. After a seek
// it trims the samples before the target, so the audio clock starts where the video does.
// A seek that decodes on (the reading goes on) keeps what the sink holds past the target, or
// trims on toward it.
#include "platform/media/internal/DecoderStage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace media::detail {

namespace {

class AudioStage : public DecoderStage {
public:
    explicit AudioStage(Session& s) : DecoderStage(s, s.audio) {}

private:
    void Restart(int epoch) override {
        StartEpoch(epoch);
        begun_ = false;
        nextPts_ = target_;
        if (resampler_) swr_init(resampler_.get()); // forget the samples it holds
    }

    bool FollowSeek() override { return FollowSeekAt(nextPts_); }

    // A newer seek, noticed when the samples from `available` on (seconds) are still to come:
    // waits for the demuxer's choice; true when this stage goes on toward the new target.
    bool FollowSeekAt(double available) {
        SeekPoint point;
        while (s_.AwaitDecodingOn(epoch_, seen_, point)) {
            const int old = serial_;
            serial_ = point.serial;
            target_ = point.target;
            bool reachable = true;
            if (begun_) {
                switch (s_.sink->Follow(old, serial_, target_)) {
                case AudioSink::Following::Kept:
                    break;
                case AudioSink::Following::Ahead:
                    begun_ = false;
                    break;
                case AudioSink::Following::Behind:
                    reachable = false;
                    break;
                }
            } else {
                // Everything before `available` has been dropped.
                reachable = target_ >= available - kTolerance;
            }
            if (reachable) {
                // All was decoded: what the sink holds is all there is to play.
                if (drained_) {
                    s_.audio.finishedSerial = serial_;
                    s_.NotifyChange();
                }
                return true;
            }
            s_.RequestReseek(serial_);
        }
        return false;
    }

    void Drained() override {
        s_.audio.finishedSerial = serial_;
        s_.NotifyChange();
        avcodec_flush_buffers(codec_);
    }

    bool PrepareResampler(const AVFrame& frame) {
        if (resampler_ && frame.format == inFormat_ && frame.sample_rate == inRate_ &&
            av_channel_layout_compare(&frame.ch_layout, &inLayout_) == 0)
            return true;
        resampler_.reset();
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        SwrContext* swr = nullptr;
        if (swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, AudioSink::kSampleRate,
                                const_cast<AVChannelLayout*>(&frame.ch_layout),
                                static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0,
                                nullptr) < 0 ||
            swr_init(swr) < 0) {
            swr_free(&swr);
            return false;
        }
        resampler_.reset(swr);
        inFormat_ = frame.format;
        inRate_ = frame.sample_rate;
        av_channel_layout_uninit(&inLayout_);
        av_channel_layout_copy(&inLayout_, &frame.ch_layout);
        return true;
    }

    void Handle(ff::FramePtr decoded) override {
        const AVFrame& frame = *decoded;
        if (frame.sample_rate <= 0 || frame.nb_samples <= 0 || !PrepareResampler(frame)) return;
        const int64_t ts = frame.best_effort_timestamp;
        const double pts = ts != AV_NOPTS_VALUE
                               ? static_cast<double>(ts) * av_q2d(s_.audio.stream->time_base) -
                                     s_.info.startSeconds
                               : nextPts_;
        nextPts_ = pts + static_cast<double>(frame.nb_samples) / frame.sample_rate;
        const int room = swr_get_out_samples(resampler_.get(), frame.nb_samples);
        if (room <= 0) return;
        buffer_.resize(static_cast<std::size_t>(room) * AudioSink::kChannels);
        uint8_t* out[1] = {reinterpret_cast<uint8_t*>(buffer_.data())};
        const int made =
            swr_convert(resampler_.get(), out, room,
                        const_cast<const uint8_t**>(frame.extended_data), frame.nb_samples);
        if (made <= 0) return;
        int from = 0;
        while (from < made) {
            const double at = pts + static_cast<double>(from) / AudioSink::kSampleRate;
            if (serial_ != s_.RequestSerial() && !FollowSeekAt(at)) return;
            if (!begun_) {
                const int skip =
                    static_cast<int>(std::lround((target_ - at) * AudioSink::kSampleRate));
                from += std::clamp(skip, 0, made - from);
                if (from == made) return;
                // Trimmed to the target, the clock starts exactly there (not at the sample edge).
                s_.sink->Begin(serial_, at < target_ ? target_ : at);
                begun_ = true;
            }
            const int wrote = s_.sink->Write(buffer_.data() + static_cast<std::size_t>(from) *
                                                                  AudioSink::kChannels,
                                             made - from, serial_);
            from += wrote;
            // Cut short by a newer seek, followed above; by anything else, the rest is dropped.
            if (s_.Aborted() || (wrote == 0 && serial_ == s_.RequestSerial())) return;
        }
    }

    static constexpr double kTolerance = 1e-3;

    ff::SwrPtr resampler_;
    int inFormat_ = -1;
    int inRate_ = 0;
    AVChannelLayout inLayout_{};
    std::vector<std::int16_t> buffer_;
    bool begun_ = false;
    double nextPts_ = 0;

public:
    ~AudioStage() override { av_channel_layout_uninit(&inLayout_); }
};

} // namespace

void RunAudioDecoder(Session& session) {
    AudioStage(session).Run();
}

} // namespace media::detail

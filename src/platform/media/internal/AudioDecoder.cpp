// The audio decoder stage: packets in, 16-bit stereo at the sink's rate out. After a seek
// it trims the samples before the target, so the audio clock starts where the video does.
#include "platform/media/internal/Session.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace media::detail {

namespace {

class AudioStage {
public:
    explicit AudioStage(Session& s) : s_(s), codec_(s.audio.codec.get()) {}

    void Run() {
        QueuedPacket queued;
        while (s_.audio.packets->Get(queued)) {
            if (queued.serial != serial_) Restart(queued.serial);
            if (serial_ != s_.RequestSerial()) continue;
            if (!queued.packet) {
                avcodec_send_packet(codec_, nullptr);
                ReceiveAll();
                s_.audio.finishedSerial = serial_;
                s_.NotifyChange();
                avcodec_flush_buffers(codec_);
                continue;
            }
            if (avcodec_send_packet(codec_, queued.packet.get()) == AVERROR(EAGAIN)) {
                ReceiveAll();
                avcodec_send_packet(codec_, queued.packet.get());
            }
            ReceiveAll();
        }
    }

private:
    void Restart(int serial) {
        avcodec_flush_buffers(codec_);
        serial_ = serial;
        target_ = s_.TargetFor(serial);
        begun_ = false;
        nextPts_ = target_;
        if (resampler_) swr_init(resampler_.get()); // forget the samples it holds
    }

    void ReceiveAll() {
        for (;;) {
            ff::FramePtr frame(av_frame_alloc());
            if (!frame || avcodec_receive_frame(codec_, frame.get()) < 0) return;
            Handle(*frame);
        }
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

    void Handle(const AVFrame& frame) {
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
        int skip = 0;
        if (!begun_) {
            skip = static_cast<int>(std::lround((target_ - pts) * AudioSink::kSampleRate));
            skip = std::clamp(skip, 0, made);
            if (skip == made) return;
            // Trimmed to the target, the clock starts exactly there (not at the sample edge).
            s_.sink->Begin(serial_, pts < target_ ? target_ : pts);
            begun_ = true;
        }
        s_.sink->Write(buffer_.data() + static_cast<std::size_t>(skip) * AudioSink::kChannels,
                       made - skip, serial_);
    }

    Session& s_;
    AVCodecContext* codec_;
    ff::SwrPtr resampler_;
    int inFormat_ = -1;
    int inRate_ = 0;
    AVChannelLayout inLayout_{};
    std::vector<std::int16_t> buffer_;
    int serial_ = -1;
    double target_ = 0;
    bool begun_ = false;
    double nextPts_ = 0;

public:
    ~AudioStage() { av_channel_layout_uninit(&inLayout_); }
};

} // namespace

void RunAudioDecoder(Session& session) {
    AudioStage(session).Run();
}

} // namespace media::detail

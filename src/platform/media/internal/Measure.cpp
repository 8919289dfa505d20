// What the opening learns about a movie before it is shown: where its first picture lies in
// the decoder's times (position 0), where its last picture ends (the length) and how many
// pictures it has. Containers state these loosely: an AVI with B-frames stamps its pictures
// one frame after its start, a Matroska length ends at the last picture's start, a program
// stream's length is a guess from its bit rate, and a variable rate has no frame count.
#include "platform/media/internal/Measure.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <vector>

namespace media::detail {

namespace {

// Files with a variable rate and no frame count of their own are counted packet by packet
// up to this size; a larger one gets its length times its rate.
constexpr std::uintmax_t kMaxCountedBytes = 512u << 20;
// The first picture is looked for among this many packets after the start.
constexpr int kFirstPicturePackets = 600;

double Seconds(int64_t value, AVRational base) {
    return static_cast<double>(value) * av_q2d(base);
}

double NominalFrameTime(const Session& s) {
    return s.info.frameRate > 0 ? 1.0 / s.info.frameRate : 0.04;
}

// The end of a picture or packet in seconds: its start plus its stated span (or the nominal
// frame time when none is stated).
double EndOf(int64_t start, int64_t span, AVRational base, double nominal) {
    return Seconds(start, base) + (span > 0 ? Seconds(span, base) : nominal);
}

void Describe(Session& s) {
    MovieInfo& info = s.info;
    AVFormatContext* f = s.format.get();
    info.hasVideo = s.video.index >= 0;
    info.hasAudio = s.audio.index >= 0;
    if (f->start_time != AV_NOPTS_VALUE) info.startSeconds = Seconds(f->start_time, AV_TIME_BASE_Q);
    if (info.hasVideo && s.video.stream->start_time != AV_NOPTS_VALUE)
        info.startSeconds = Seconds(s.video.stream->start_time, s.video.stream->time_base);
    info.videoStart = info.startSeconds;
    if (f->duration != AV_NOPTS_VALUE && f->duration > 0) {
        // The container's length counts from its own start; position 0 is the first frame.
        const double containerStart =
            f->start_time != AV_NOPTS_VALUE ? Seconds(f->start_time, AV_TIME_BASE_Q) : 0.0;
        info.duration = Seconds(f->duration, AV_TIME_BASE_Q) - (info.startSeconds - containerStart);
    } else {
        const StreamState& main = info.hasVideo ? s.video : s.audio;
        if (main.stream && main.stream->duration != AV_NOPTS_VALUE)
            info.duration = Seconds(main.stream->duration, main.stream->time_base);
    }
    info.duration = std::max(0.0, info.duration);
    if (!info.hasVideo) {
        info.frameCount = info.duration;
        return;
    }
    AVStream* st = s.video.stream;
    info.width = s.video.codec->width;
    info.height = s.video.codec->height;
    const AVRational rate = av_guess_frame_rate(f, st, nullptr);
    if (rate.num > 0 && rate.den > 0) info.frameRate = av_q2d(rate);
    if (st->nb_frames > 0) {
        info.frameCount = static_cast<double>(st->nb_frames);
        // The container's length may include a longer sound: the pictures end at their count
        // at a constant rate. A stream whose own length is further than two frames from that
        // has a variable rate and ends where it says.
        const double counted = info.frameRate > 0 ? info.frameCount / info.frameRate : 0;
        const double own = st->duration != AV_NOPTS_VALUE && st->duration > 0
                               ? Seconds(st->duration, st->time_base)
                               : counted;
        info.variableRate = info.frameRate > 0 && std::abs(own - counted) > 2 / info.frameRate;
        info.duration = info.variableRate ? own : counted > 0 ? counted : info.duration;
    }
}

// Whether the stream may not keep one rate: its mean rate is unknown or differs from the
// rate of its pictures. Only a count of its pictures tells for sure.
bool MayVaryInRate(const AVStream* st) {
    const AVRational mean = st->avg_frame_rate;
    return mean.num <= 0 || mean.den <= 0 || av_cmp_q(mean, st->r_frame_rate) != 0;
}

// Whether the pictures of a stretch (from the start, or from `from` seconds) are further
// apart than one step of the stated rate: a container that stamps every packet shows a
// variable rate in its stamps even where it states a constant one. Program and transport
// streams stamp only some packets and keep the rate of their video's sequence header.
bool StampsVary(Session& s, std::optional<double> from) {
    AVFormatContext* f = s.format.get();
    AVStream* st = s.video.stream;
    if ((f->iformat->flags & AVFMT_TS_DISCONT) || s.info.frameRate <= 0) return false;
    if (!from) {
        RewindToStart(s);
    } else {
        const int64_t ts =
            static_cast<int64_t>((*from + s.info.videoStart) / av_q2d(st->time_base));
        if (avformat_seek_file(f, s.video.index, INT64_MIN, ts, ts, 0) < 0) return false;
    }
    constexpr int kSampled = 120;
    std::vector<int64_t> stamps;
    ff::PacketPtr packet(av_packet_alloc());
    while (static_cast<int>(stamps.size()) < kSampled && !s.Aborted() &&
           av_read_frame(f, packet.get()) >= 0) {
        const bool video = packet->stream_index == s.video.index;
        const int64_t pts = packet->pts;
        av_packet_unref(packet.get());
        if (!video) continue;
        if (pts == AV_NOPTS_VALUE) return false;
        stamps.push_back(pts);
    }
    std::sort(stamps.begin(), stamps.end());
    const double tick = av_q2d(st->time_base);
    const double step = 1.0 / s.info.frameRate;
    for (std::size_t i = 1; i < stamps.size(); ++i)
        if (std::abs(static_cast<double>(stamps[i] - stamps[i - 1]) * tick - step) >
            1.5 * tick + 1e-9)
            return true;
    return false;
}

// Reads and decodes video from where the file stands until a picture comes out.
std::optional<double> FirstPictureTime(Session& s) {
    AVFormatContext* f = s.format.get();
    AVStream* st = s.video.stream;
    AVCodecContext* codec = s.video.codec.get();
    avcodec_flush_buffers(codec);
    ff::PacketPtr packet(av_packet_alloc());
    ff::FramePtr frame(av_frame_alloc());
    std::optional<double> found;
    auto receive = [&] {
        while (!found && avcodec_receive_frame(codec, frame.get()) == 0) {
            if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
                found = Seconds(frame->best_effort_timestamp, st->time_base);
            av_frame_unref(frame.get());
        }
    };
    for (int read = 0; !found && read < kFirstPicturePackets && !s.Aborted() &&
                       av_read_frame(f, packet.get()) >= 0;) {
        if (packet->stream_index == s.video.index) {
            ++read;
            avcodec_send_packet(codec, packet.get());
            receive();
        }
        av_packet_unref(packet.get());
    }
    if (!found) {
        avcodec_send_packet(codec, nullptr);
        receive();
    }
    avcodec_flush_buffers(codec);
    return found;
}

// The end of the last picture from the packets of the last stretch, when each of them is
// stamped; program streams are not, and get their pictures decoded.
std::optional<double> LastEndFromPackets(Session& s, double from) {
    AVFormatContext* f = s.format.get();
    AVStream* st = s.video.stream;
    const int64_t ts = static_cast<int64_t>((from + s.info.videoStart) / av_q2d(st->time_base));
    if (avformat_seek_file(f, s.video.index, INT64_MIN, ts, ts, 0) < 0) return std::nullopt;
    ff::PacketPtr packet(av_packet_alloc());
    std::optional<double> end;
    bool stamped = true;
    while (stamped && !s.Aborted() && av_read_frame(f, packet.get()) >= 0) {
        if (packet->stream_index == s.video.index) {
            if (packet->pts == AV_NOPTS_VALUE)
                stamped = false;
            else
                end = std::max(end.value_or(0.0), EndOf(packet->pts, packet->duration,
                                                        st->time_base, NominalFrameTime(s)));
        }
        av_packet_unref(packet.get());
    }
    return stamped ? end : std::nullopt;
}

// The same by decoding the last stretch, stepping further back until a picture comes out.
std::optional<double> LastEndFromPictures(Session& s) {
    AVFormatContext* f = s.format.get();
    AVStream* st = s.video.stream;
    AVCodecContext* codec = s.video.codec.get();
    const double frameTime = NominalFrameTime(s);
    std::optional<double> lastEnd;
    for (double back = 3; back <= 48 && !lastEnd && !s.Aborted(); back *= 4) {
        const double from = std::max(0.0, s.info.duration - back);
        const int64_t ts = static_cast<int64_t>((from + s.info.videoStart) / av_q2d(st->time_base));
        if (avformat_seek_file(f, s.video.index, INT64_MIN, ts, ts, 0) < 0) break;
        avcodec_flush_buffers(codec);
        ff::PacketPtr packet(av_packet_alloc());
        ff::FramePtr frame(av_frame_alloc());
        std::optional<double> next;
        auto receive = [&] {
            while (avcodec_receive_frame(codec, frame.get()) == 0) {
                const int64_t t = frame->best_effort_timestamp;
                if (t != AV_NOPTS_VALUE || next) {
                    const double end = t != AV_NOPTS_VALUE
                                           ? EndOf(t, frame->pkt_duration, st->time_base, frameTime)
                                           : *next + frameTime;
                    next = end;
                    lastEnd = std::max(lastEnd.value_or(0.0), end);
                }
                av_frame_unref(frame.get());
            }
        };
        while (!s.Aborted() && av_read_frame(f, packet.get()) >= 0) {
            if (packet->stream_index == s.video.index) {
                avcodec_send_packet(codec, packet.get());
                receive();
            }
            av_packet_unref(packet.get());
        }
        avcodec_send_packet(codec, nullptr);
        receive();
        avcodec_flush_buffers(codec);
        if (from <= 0) break;
    }
    return lastEnd;
}

struct Count {
    double frames = 0;
    double end = 0;
};

// Counts the video packets of the whole file (one per picture) and finds where the last ends.
std::optional<Count> CountPackets(Session& s) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(s.fileName, ec);
    if (ec || size > kMaxCountedBytes) return std::nullopt;
    RewindToStart(s);
    AVFormatContext* f = s.format.get();
    AVStream* st = s.video.stream;
    ff::PacketPtr packet(av_packet_alloc());
    Count count;
    while (!s.Aborted() && av_read_frame(f, packet.get()) >= 0) {
        if (packet->stream_index == s.video.index) {
            ++count.frames;
            const int64_t t = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (t != AV_NOPTS_VALUE)
                count.end = std::max(
                    count.end, EndOf(t, packet->duration, st->time_base, NominalFrameTime(s)));
        }
        av_packet_unref(packet.get());
    }
    if (s.Aborted() || count.frames <= 0) return std::nullopt;
    return count;
}

} // namespace

void RewindToStart(Session& s) {
    AVFormatContext* f = s.format.get();
    const StreamState& main = s.info.hasVideo ? s.video : s.audio;
    // Program and transport streams find a time by bisecting the file, which can land past
    // the first key frame; the very start is byte 0 there.
    const bool bisected =
        (f->iformat->flags & AVFMT_TS_DISCONT) && !(f->iformat->flags & AVFMT_NO_BYTE_SEEK);
    if (bisected && av_seek_frame(f, -1, 0, AVSEEK_FLAG_BYTE) >= 0) return;
    const int64_t start = main.stream->start_time != AV_NOPTS_VALUE ? main.stream->start_time : 0;
    if (avformat_seek_file(f, main.index, INT64_MIN, start, start, 0) < 0)
        avformat_seek_file(f, main.index, INT64_MIN, start, INT64_MAX, 0);
}

void MeasureMovie(Session& s) {
    Describe(s);
    MovieInfo& info = s.info;
    if (!info.hasVideo) return;
    if (!s.format->pb) {
        if (info.frameCount <= 0)
            info.frameCount =
                info.frameRate > 0 ? std::round(info.duration * info.frameRate) : info.duration;
        return;
    }
    AVFormatContext* f = s.format.get();
    // Position 0 is the first picture at the time the decoder gives it.
    RewindToStart(s);
    if (std::optional<double> first = FirstPictureTime(s)) info.videoStart = *first;
    const bool countKnown = s.video.stream->nb_frames > 0;
    std::optional<double> end;
    if (!countKnown && (MayVaryInRate(s.video.stream) || StampsVary(s, std::nullopt) ||
                        StampsVary(s, std::max(0.0, info.duration - 5)))) {
        if (std::optional<Count> count = CountPackets(s)) {
            info.frameCount = count->frames;
            end = count->end;
            const double span = std::max(0.0, count->end - info.videoStart);
            info.variableRate =
                info.frameRate <= 0 || std::abs(count->frames - span * info.frameRate) > 1;
        }
    }
    if (!end && !countKnown) {
        if (f->duration_estimation_method == AVFMT_DURATION_FROM_STREAM)
            end = LastEndFromPackets(s, std::max(0.0, info.duration - 3));
        if (!end) end = LastEndFromPictures(s);
    }
    if (end) info.duration = std::max(0.0, *end - info.videoStart);
    if (info.frameCount <= 0)
        info.frameCount =
            info.frameRate > 0 ? std::round(info.duration * info.frameRate) : info.duration;
    else if (info.variableRate && info.duration > 0)
        // A counted variable rate: frames per second on average, so the two units agree.
        info.frameRate = info.frameCount / info.duration;
    RewindToStart(s);
    avcodec_flush_buffers(s.video.codec.get());
}

} // namespace media::detail

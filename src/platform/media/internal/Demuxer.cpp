// The demuxer stage: opens the file, chooses the streams, opens their decoders, then reads
// packets into the queues, carrying out seeks as they are requested.
#include "platform/media/internal/Session.h"

#include <cmath>
#include <filesystem>
#include <vector>

namespace media::detail {

namespace {

int Interrupted(void* opaque) { return static_cast<Session*>(opaque)->Aborted() ? 1 : 0; }

struct OpenFailure {
    int code;
    String text;
};

// Opens the decoder of the best stream of a type; a stream without a decoder is reported.
bool OpenStream(Session& s, AVMediaType type, StreamState& out, String& missingCodec) {
    const AVCodec* decoder = nullptr;
    int index = av_find_best_stream(s.format.get(), type, -1, -1, &decoder, 0);
    if (index == AVERROR_DECODER_NOT_FOUND) {
        // The best stream has no decoder here; remember its codec for the message.
        for (unsigned i = 0; i < s.format->nb_streams; ++i) {
            AVStream* st = s.format->streams[i];
            if (st->codecpar->codec_type == type && !avcodec_find_decoder(st->codecpar->codec_id)) {
                const AVCodecDescriptor* d = avcodec_descriptor_get(st->codecpar->codec_id);
                char tag[AV_FOURCC_MAX_STRING_SIZE] = {};
                av_fourcc_make_string(tag, st->codecpar->codec_tag);
                missingCodec = d ? String(d->name) : "fourcc " + String(tag);
                break;
            }
        }
        return false;
    }
    if (index < 0 || !decoder)
        return false;
    AVStream* stream = s.format->streams[index];
    if (type == AVMEDIA_TYPE_VIDEO &&
        ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) || stream->codecpar->width <= 0 ||
         stream->codecpar->height <= 0))
        return false;
    ff::CodecContextPtr codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0)
        return false;
    codec->pkt_timebase = stream->time_base;
    if (type == AVMEDIA_TYPE_VIDEO)
        codec->thread_count = std::min(4u, std::max(1u, std::thread::hardware_concurrency()));
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0) {
        missingCodec = decoder->name;
        return false;
    }
    out.index = index;
    out.stream = stream;
    out.codec = std::move(codec);
    return true;
}

double Seconds(int64_t value, AVRational base) { return static_cast<double>(value) * av_q2d(base); }

void Describe(Session& s) {
    MovieInfo& info = s.info;
    AVFormatContext* f = s.format.get();
    info.hasVideo = s.video.index >= 0;
    info.hasAudio = s.audio.index >= 0;
    if (f->start_time != AV_NOPTS_VALUE)
        info.startSeconds = Seconds(f->start_time, AV_TIME_BASE_Q);
    if (info.hasVideo && s.video.stream->start_time != AV_NOPTS_VALUE)
        info.startSeconds = Seconds(s.video.stream->start_time, s.video.stream->time_base);
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
    if (info.hasVideo) {
        info.width = s.video.codec->width;
        info.height = s.video.codec->height;
        const AVRational rate = av_guess_frame_rate(f, s.video.stream, nullptr);
        if (rate.num > 0 && rate.den > 0)
            info.frameRate = av_q2d(rate);
    }
    if (info.frameRate > 0) {
        const int64_t counted = s.video.stream->nb_frames;
        info.frameCount = counted > 0 ? static_cast<double>(counted) : std::round(info.duration * info.frameRate);
        if (counted > 0)
            info.duration = static_cast<double>(counted) / info.frameRate;
    } else {
        info.frameCount = info.duration;
    }
}

void MeasureEnd(Session& s);

std::optional<OpenFailure> OpenMovie(Session& s) {
    std::error_code ec;
    if (s.fileName.empty() || !std::filesystem::is_regular_file(s.fileName, ec))
        return OpenFailure{kErrorFileNotFound, "The file \"" + s.fileName + "\" cannot be found."};
    s.host.SessionOpenStep(s, mpConnecting);
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw)
        return OpenFailure{kErrorOpenFailed, "Out of memory while opening the file."};
    raw->interrupt_callback = {&Interrupted, &s};
    if (avformat_open_input(&raw, s.fileName.c_str(), nullptr, nullptr) < 0)
        return OpenFailure{kErrorNotMedia,
                           "The file \"" + s.fileName + "\" is not a media file in a format that can be played."};
    s.format.reset(raw);
    s.host.SessionOpenStep(s, mpOpening);
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return OpenFailure{kErrorNotMedia,
                           "The file \"" + s.fileName + "\" is damaged or not a media file: its streams cannot be read."};
    String missingVideo;
    String missingAudio;
    const bool video = OpenStream(s, AVMEDIA_TYPE_VIDEO, s.video, missingVideo);
    const bool audio = OpenStream(s, AVMEDIA_TYPE_AUDIO, s.audio, missingAudio);
    if (!missingVideo.empty() || (!video && !missingAudio.empty()))
        return OpenFailure{kErrorCodecMissing, "The file \"" + s.fileName + "\" cannot be played: no decoder for its " +
                                                   (missingVideo.empty() ? missingAudio : missingVideo) +
                                                   " stream is available."};
    if (!video && !audio)
        return OpenFailure{kErrorNoPlayableStream, "The file \"" + s.fileName + "\" holds no audio or video that can be played."};
    for (unsigned i = 0; i < raw->nb_streams; ++i)
        if (static_cast<int>(i) != s.video.index && static_cast<int>(i) != s.audio.index)
            raw->streams[i]->discard = AVDISCARD_ALL;
    Describe(s);
    MeasureEnd(s);
    return std::nullopt;
}

// Seeks to a key frame at or before the target, stepped back by `back` seconds when the
// decoder found the previous attempt landing after the target (containers without an index
// land near a time, not on a key frame).
void Seek(Session& s, double target, double back, int serial) {
    AVFormatContext* f = s.format.get();
    StreamState& main = s.info.hasVideo ? s.video : s.audio;
    const double from = target - back;
    bool fromStart = from <= 0 || back > 64;
    const int64_t start = main.stream->start_time != AV_NOPTS_VALUE ? main.stream->start_time : 0;
    int64_t ts = fromStart ? start : static_cast<int64_t>((from + s.info.startSeconds) / av_q2d(main.stream->time_base));
    if (!fromStart && avformat_seek_file(f, main.index, INT64_MIN, ts, ts, 0) < 0)
        fromStart = true;
    // Program and transport streams find a time by bisecting the file, which can land past
    // the first key frame; the very start is byte 0 there.
    const bool bisected = (f->iformat->flags & AVFMT_TS_DISCONT) && !(f->iformat->flags & AVFMT_NO_BYTE_SEEK);
    if (fromStart && bisected && av_seek_frame(f, -1, 0, AVSEEK_FLAG_BYTE) >= 0) {
        // at the start
    } else if (fromStart && avformat_seek_file(f, main.index, INT64_MIN, start, start, 0) < 0) {
        avformat_seek_file(f, main.index, INT64_MIN, start, INT64_MAX, 0);
    }
    s.video.packets->Flush();
    s.audio.packets->Flush();
    s.MarkSeekExecuted(serial, target, fromStart);
}

// Containers that carry no length of their own get it estimated from timestamps or the bit
// rate, which can be off by many frames. Decoding the last stretch gives the true end.
void MeasureEnd(Session& s) {
    AVFormatContext* f = s.format.get();
    if (f->duration_estimation_method == AVFMT_DURATION_FROM_STREAM || !(f->pb) || !s.info.hasVideo)
        return;
    AVStream* st = s.video.stream;
    AVCodecContext* codec = s.video.codec.get();
    const double frameTime = s.info.frameRate > 0 ? 1.0 / s.info.frameRate : 0.04;
    double lastEnd = -1;
    for (double back = 3; back <= 48 && lastEnd < 0 && !s.Aborted(); back *= 4) {
        const double from = std::max(0.0, s.info.duration - back);
        const int64_t ts = static_cast<int64_t>((from + s.info.startSeconds) / av_q2d(st->time_base));
        if (avformat_seek_file(f, s.video.index, INT64_MIN, ts, ts, 0) < 0)
            break;
        avcodec_flush_buffers(codec);
        ff::PacketPtr packet(av_packet_alloc());
        ff::FramePtr frame(av_frame_alloc());
        double next = -1;
        auto receive = [&] {
            while (avcodec_receive_frame(codec, frame.get()) == 0) {
                const int64_t t = frame->best_effort_timestamp;
                const double pts = t != AV_NOPTS_VALUE ? static_cast<double>(t) * av_q2d(st->time_base) : next;
                if (pts >= 0 || t != AV_NOPTS_VALUE) {
                    next = pts + frameTime;
                    lastEnd = std::max(lastEnd, next);
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
        if (from <= 0)
            break;
    }
    if (lastEnd >= 0)
        s.info.duration = lastEnd - s.info.startSeconds;
    if (s.info.frameRate > 0)
        s.info.frameCount = std::round(s.info.duration * s.info.frameRate);
    else
        s.info.frameCount = s.info.duration;
    const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    avformat_seek_file(f, s.video.index, INT64_MIN, start, start, 0);
    avcodec_flush_buffers(codec);
}

void QueueEnd(Session& s, int serial) {
    if (s.info.hasVideo)
        s.video.packets->Put(nullptr, serial);
    if (s.info.hasAudio)
        s.audio.packets->Put(nullptr, serial);
}

}  // namespace

void RunDemuxer(Session& s) {
    s.host.SessionOpenStep(s, mpLocating);
    if (std::optional<OpenFailure> failure = OpenMovie(s)) {
        if (!s.Aborted())
            s.host.SessionFailed(s, failure->code, failure->text);
        return;
    }
    if (s.info.hasAudio)
        s.CreateSink();
    s.host.SessionOpened(s);
    s.StartWorkers();

    int serial = 0;
    bool atEnd = false;
    while (!s.Aborted()) {
        double target = 0;
        double back = 0;
        int requested = 0;
        if (s.TakeSeekRequest(target, requested, back)) {
            serial = requested;
            Seek(s, target, back, serial);
            atEnd = false;
            continue;
        }
        if (atEnd || serial != s.RequestSerial()) {
            s.WaitForChange(std::chrono::milliseconds(20));
            continue;
        }
        ff::PacketPtr packet(av_packet_alloc());
        const int r = av_read_frame(s.format.get(), packet.get());
        if (r == AVERROR(EAGAIN))
            continue;
        if (r < 0) {
            // End of file, or a damaged one: the decoders drain what they have.
            atEnd = true;
            QueueEnd(s, serial);
            continue;
        }
        if (packet->stream_index == s.video.index)
            s.video.packets->Put(std::move(packet), serial);
        else if (packet->stream_index == s.audio.index)
            s.audio.packets->Put(std::move(packet), serial);
    }
}

}  // namespace media::detail

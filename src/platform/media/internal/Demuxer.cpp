// The demuxer stage: opens the file, chooses the streams, opens their decoders, then reads
// packets into the queues, carrying out seeks as they are requested.
#include "platform/media/internal/Measure.h"
#include "platform/media/internal/Session.h"

#include <cmath>
#include <deque>
#include <filesystem>
#include <vector>

namespace media::detail {

namespace {

int Interrupted(void* opaque) {
    return static_cast<Session*>(opaque)->Aborted() ? 1 : 0;
}

struct OpenFailure {
    int code;
    std::string text;
};

// Opens the decoder of the best stream of a type; a stream without a decoder is reported.
bool OpenStream(Session& s, AVMediaType type, StreamState& out, std::string& missingCodec) {
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
                missingCodec = d ? std::string(d->name) : "fourcc " + std::string(tag);
                break;
            }
        }
        return false;
    }
    if (index < 0 || !decoder) return false;
    AVStream* stream = s.format->streams[index];
    if (type == AVMEDIA_TYPE_VIDEO &&
        ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) || stream->codecpar->width <= 0 ||
         stream->codecpar->height <= 0))
        return false;
    ff::CodecContextPtr codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0) return false;
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

std::optional<OpenFailure> OpenMovie(Session& s) {
    std::error_code ec;
    if (s.fileName.empty() || !std::filesystem::is_regular_file(s.fileName, ec))
        return OpenFailure{kErrorFileNotFound, "The file \"" + s.fileName + "\" cannot be found."};
    s.host.SessionOpenStep(s, mpConnecting);
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) return OpenFailure{kErrorOpenFailed, "Out of memory while opening the file."};
    raw->interrupt_callback = {&Interrupted, &s};
    if (avformat_open_input(&raw, s.fileName.c_str(), nullptr, nullptr) < 0)
        return OpenFailure{kErrorNotMedia,
                           "The file \"" + s.fileName +
                               "\" is not a media file in a format that can be played."};
    s.format.reset(raw);
    s.host.SessionOpenStep(s, mpOpening);
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return OpenFailure{kErrorNotMedia,
                           "The file \"" + s.fileName +
                               "\" is damaged or not a media file: its streams cannot be read."};
    std::string missingVideo;
    std::string missingAudio;
    const bool video = OpenStream(s, AVMEDIA_TYPE_VIDEO, s.video, missingVideo);
    const bool audio = OpenStream(s, AVMEDIA_TYPE_AUDIO, s.audio, missingAudio);
    if (!missingVideo.empty() || (!video && !missingAudio.empty()))
        return OpenFailure{kErrorCodecMissing,
                           "The file \"" + s.fileName + "\" cannot be played: no decoder for its " +
                               (missingVideo.empty() ? missingAudio : missingVideo) +
                               " stream is available."};
    if (!video && !audio)
        return OpenFailure{kErrorNoPlayableStream,
                           "The file \"" + s.fileName +
                               "\" holds no audio or video that can be played."};
    for (unsigned i = 0; i < raw->nb_streams; ++i)
        if (static_cast<int>(i) != s.video.index && static_cast<int>(i) != s.audio.index)
            raw->streams[i]->discard = AVDISCARD_ALL;
    MeasureMovie(s);
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
    const double origin = s.info.hasVideo ? s.info.videoStart : s.info.startSeconds;
    const int64_t ts = static_cast<int64_t>((from + origin) / av_q2d(main.stream->time_base));
    if (!fromStart && avformat_seek_file(f, main.index, INT64_MIN, ts, ts, 0) < 0) fromStart = true;
    if (fromStart) RewindToStart(s);
    s.video.packets->Flush();
    s.audio.packets->Flush();
    s.MarkSeekExecuted(serial, target, fromStart);
}

// Tells the session how far into the movie the reading has come.
void NoteRead(Session& s, const AVPacket& packet, int serial) {
    const bool video = packet.stream_index == s.video.index;
    const StreamState& stream = video ? s.video : s.audio;
    const int64_t t = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    if (!stream.stream || t == AV_NOPTS_VALUE) return;
    const double origin = video ? s.info.videoStart : s.info.startSeconds;
    s.NoteRead(serial, static_cast<double>(t) * av_q2d(stream.stream->time_base) - origin);
}

// A target this many frames past the last one decoded is decoded on to, whatever the index
// says (and where there is no index).
constexpr double kDecodeOnFrames = 25;

// Whether a key frame lies after `from` and by `to` (seconds), as far as the index tells.
bool KeyFrameBetween(Session& s, double from, double to) {
    AVStream* st = s.video.stream;
    if (avformat_index_get_entries_count(st) <= 0) return true;
    const double base = av_q2d(st->time_base);
    const auto stamp = [&](double t) {
        return static_cast<int64_t>(std::floor((t + s.info.videoStart) / base));
    };
    const int i = av_index_search_timestamp(st, stamp(to), AVSEEK_FLAG_BACKWARD);
    const AVIndexEntry* key = i >= 0 ? avformat_index_get_entry(st, i) : nullptr;
    return !key || key->timestamp > stamp(from);
}

// Whether a seek is better carried out by decoding on from what is decoded than by moving the
// reading: the target lies ahead in what the video decoder holds or can reach, before the
// next key frame (or close), and the sound has not gone past it.
bool DecodeOn(Session& s, double target) {
    if (!s.decodeOn || !s.info.hasVideo) return false;
    const VideoWindow w = s.GetVideoWindow();
    if (!w.valid || w.epoch != s.Epoch() || target < w.first - 1e-6) return false;
    if (!s.AudioCanFollow(target)) return false;
    const double frame = s.info.frameRate > 0 ? 1 / s.info.frameRate : 0.04;
    return target <= w.last + kDecodeOnFrames * frame || !KeyFrameBetween(s, w.last, target);
}

// Packets read and not yet queued: a put that a seek interrupted is tried again after it.
struct Outgoing {
    PacketQueue* queue;
    ff::PacketPtr packet; // null: the end of the stream
};

} // namespace

void RunDemuxer(Session& s) {
    s.host.SessionOpenStep(s, mpLocating);
    if (std::optional<OpenFailure> failure = OpenMovie(s)) {
        if (!s.Aborted()) s.host.SessionFailed(s, failure->code, failure->text);
        return;
    }
    if (s.info.hasAudio) s.CreateSink();
    s.host.SessionOpened(s);
    s.StartWorkers();

    int serial = 0;
    int epoch = s.Epoch();
    bool atEnd = false;
    std::deque<Outgoing> outgoing;
    while (!s.Aborted()) {
        double target = 0;
        double back = 0;
        int requested = 0;
        bool moveReading = false;
        if (s.TakeSeekRequest(target, requested, back, moveReading)) {
            serial = requested;
            if (!moveReading && DecodeOn(s, target)) {
                s.MarkSeekContinued(serial, target);
                continue;
            }
            outgoing.clear();
            Seek(s, target, back, serial);
            epoch = s.Epoch();
            atEnd = false;
            continue;
        }
        if (!outgoing.empty()) {
            Outgoing& next = outgoing.front();
            switch (next.queue->Put(next.packet, epoch, serial)) {
            case PacketQueue::PutResult::Queued:
            case PacketQueue::PutResult::Stale:
                outgoing.pop_front();
                break;
            case PacketQueue::PutResult::Interrupted:
                break;
            case PacketQueue::PutResult::Aborted:
                return;
            }
            continue;
        }
        if (serial != s.RequestSerial()) continue; // a seek was requested meanwhile
        if (atEnd) {
            s.WaitForChange(std::chrono::milliseconds(20));
            continue;
        }
        ff::PacketPtr packet(av_packet_alloc());
        const int r = av_read_frame(s.format.get(), packet.get());
        if (r == AVERROR(EAGAIN)) continue;
        if (r < 0) {
            // End of file, or a damaged one: the decoders drain what they have.
            atEnd = true;
            if (s.info.hasVideo) outgoing.push_back({s.video.packets.get(), nullptr});
            if (s.info.hasAudio) outgoing.push_back({s.audio.packets.get(), nullptr});
            continue;
        }
        NoteRead(s, *packet, serial);
        if (packet->stream_index == s.video.index)
            outgoing.push_back({s.video.packets.get(), std::move(packet)});
        else if (packet->stream_index == s.audio.index)
            outgoing.push_back({s.audio.packets.get(), std::move(packet)});
    }
}

} // namespace media::detail

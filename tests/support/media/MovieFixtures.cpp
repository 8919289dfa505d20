#include "support/media/MovieFixtures.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace fixtures {

namespace {

void Check(int r, const char* what) {
    if (r < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(r, text, sizeof text);
        throw std::runtime_error(std::string(what) + ": " + text);
    }
}

struct Encoder {
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    ~Encoder() { avcodec_free_context(&codec); }
};

AVCodecID VideoCodec(Video v) {
    switch (v) {
    case Video::Mpeg1:
        return AV_CODEC_ID_MPEG1VIDEO;
    case Video::Mpeg2:
        return AV_CODEC_ID_MPEG2VIDEO;
    case Video::Mjpeg:
        return AV_CODEC_ID_MJPEG;
    case Video::H264:
        return AV_CODEC_ID_H264;
    case Video::Mpeg4:
        return AV_CODEC_ID_MPEG4;
    case Video::Vp9:
        return AV_CODEC_ID_VP9;
    case Video::None:
        break;
    }
    return AV_CODEC_ID_NONE;
}

void DrawNumber(AVFrame* f, int number) {
    const int w = f->width;
    const int h = f->height;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int bit = (y * 4 / h) * 4 + (x * 4 / w);
            f->data[0][y * f->linesize[0] + x] = ((number >> bit) & 1) ? 235 : 16;
        }
    for (int p = 1; p < 3; ++p)
        for (int y = 0; y < (h + 1) / 2; ++y)
            std::memset(f->data[p] + y * f->linesize[p], 128,
                        static_cast<std::size_t>((w + 1) / 2));
}

void Drain(AVFormatContext* out, Encoder& e, AVFrame* frame) {
    Check(avcodec_send_frame(e.codec, frame), "send frame");
    AVPacket* pkt = av_packet_alloc();
    while (avcodec_receive_packet(e.codec, pkt) == 0) {
        av_packet_rescale_ts(pkt, e.codec->time_base, e.stream->time_base);
        pkt->stream_index = e.stream->index;
        Check(av_interleaved_write_frame(out, pkt), "write packet");
    }
    av_packet_free(&pkt);
}

} // namespace

void WriteMovie(const std::string& path, const MovieDesc& desc) {
    av_log_set_level(AV_LOG_ERROR);
    AVFormatContext* out = nullptr;
    Check(avformat_alloc_output_context2(&out, nullptr, desc.container.c_str(), path.c_str()),
          "output");
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> guard(out, [](AVFormatContext* c) {
        if (c->pb) avio_closep(&c->pb);
        avformat_free_context(c);
    });
    Encoder video;
    Encoder audio;
    const bool variable = !desc.frameTimesMs.empty();
    const int frames = variable ? static_cast<int>(desc.frameTimesMs.size()) : desc.frames;
    if (desc.video != Video::None) {
        const AVCodec* codec = avcodec_find_encoder(VideoCodec(desc.video));
        if (!codec) throw std::runtime_error("no video encoder");
        video.codec = avcodec_alloc_context3(codec);
        video.codec->width = desc.width;
        video.codec->height = desc.height;
        video.codec->time_base = variable ? AVRational{1, 1000} : AVRational{1, desc.fps};
        video.codec->framerate = {desc.fps, 1};
        video.codec->gop_size = desc.gop;
        video.codec->max_b_frames =
            desc.video == Video::Mjpeg || desc.video == Video::Vp9 ? 0 : desc.bFrames;
        video.codec->pix_fmt =
            desc.video == Video::Mjpeg ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
        video.codec->bit_rate = 2000000;
        if (desc.video == Video::H264) av_opt_set(video.codec->priv_data, "preset", "veryfast", 0);
        if (desc.video == Video::Vp9) {
            av_opt_set(video.codec->priv_data, "deadline", "realtime", 0);
            av_opt_set_int(video.codec->priv_data, "cpu-used", 8, 0);
        }
        if (out->oformat->flags & AVFMT_GLOBALHEADER)
            video.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        Check(avcodec_open2(video.codec, codec, nullptr), "open video encoder");
        video.stream = avformat_new_stream(out, nullptr);
        avcodec_parameters_from_context(video.stream->codecpar, video.codec);
        video.stream->time_base = video.codec->time_base;
        if (desc.statesRate) video.stream->avg_frame_rate = {desc.fps, 1};
    }
    if (desc.audio != Audio::None) {
        const AVCodec* codec = avcodec_find_encoder(
            desc.audio == Audio::Mp2 ? AV_CODEC_ID_MP2 : AV_CODEC_ID_PCM_S16LE);
        audio.codec = avcodec_alloc_context3(codec);
        audio.codec->sample_rate = 44100;
        audio.codec->sample_fmt = AV_SAMPLE_FMT_S16;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        av_channel_layout_copy(&audio.codec->ch_layout, &stereo);
        audio.codec->bit_rate = 128000;
        audio.codec->time_base = {1, 44100};
        if (out->oformat->flags & AVFMT_GLOBALHEADER)
            audio.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        Check(avcodec_open2(audio.codec, codec, nullptr), "open audio encoder");
        audio.stream = avformat_new_stream(out, nullptr);
        avcodec_parameters_from_context(audio.stream->codecpar, audio.codec);
        audio.stream->time_base = audio.codec->time_base;
    }
    Check(avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE), "create file");
    // Without an edit list the mp4 muxer keeps every frame of a stream with B-frames.
    AVDictionary* options = nullptr;
    if (desc.container == "mp4") av_dict_set(&options, "use_editlist", "0", 0);
    const int header = avformat_write_header(out, &options);
    av_dict_free(&options);
    Check(header, "write header");

    auto frameTime = [&](int n) {
        return variable ? desc.frameTimesMs[static_cast<std::size_t>(n)] / 1000.0
                        : static_cast<double>(n) / desc.fps;
    };
    const double seconds = desc.video == Video::None ? desc.audioSeconds
                           : variable ? desc.frameTimesMs.back() / 1000.0 + 1.0 / desc.fps
                                      : static_cast<double>(frames) / desc.fps;
    int64_t audioSamples = 0;
    const double audioSeconds =
        desc.video != Video::None && desc.audioEndsAt > 0 ? desc.audioEndsAt : seconds;
    const int64_t audioTotal = static_cast<int64_t>(audioSeconds * 44100);
    int frameNumber = 0;
    AVFrame* frame = av_frame_alloc();
    while (true) {
        const bool videoLeft = video.codec && frameNumber < frames;
        const double videoTime = videoLeft ? frameTime(frameNumber) : seconds;
        const double audioTime = static_cast<double>(audioSamples) / 44100;
        const bool audioLeft = audio.codec && audioSamples < audioTotal;
        if (!videoLeft && !audioLeft) break;
        if (videoLeft && (!audioLeft || videoTime <= audioTime)) {
            av_frame_unref(frame);
            frame->format = video.codec->pix_fmt;
            frame->width = desc.width;
            frame->height = desc.height;
            Check(av_frame_get_buffer(frame, 0), "frame buffer");
            DrawNumber(frame, frameNumber);
            frame->pts =
                variable ? desc.frameTimesMs[static_cast<std::size_t>(frameNumber)] : frameNumber;
            ++frameNumber;
            Drain(out, video, frame);
        } else {
            const int n = audio.codec->frame_size > 0 ? audio.codec->frame_size : 1152;
            av_frame_unref(frame);
            frame->format = AV_SAMPLE_FMT_S16;
            frame->nb_samples = n;
            frame->sample_rate = 44100;
            av_channel_layout_copy(&frame->ch_layout, &audio.codec->ch_layout);
            Check(av_frame_get_buffer(frame, 0), "audio buffer");
            auto* s = reinterpret_cast<int16_t*>(frame->data[0]);
            for (int i = 0; i < n; ++i)
                s[2 * i] = s[2 * i + 1] = static_cast<int16_t>(
                    8000 *
                    std::sin(2 * M_PI * 440 * static_cast<double>(audioSamples + i) / 44100));
            frame->pts = audioSamples;
            audioSamples += n;
            Drain(out, audio, frame);
        }
    }
    av_frame_free(&frame);
    if (video.codec) Drain(out, video, nullptr);
    if (audio.codec) Drain(out, audio, nullptr);
    Check(av_write_trailer(out), "trailer");
}

int ReadFrameNumber(int width, int height, const std::function<int(int x, int y)>& brightness) {
    int number = 0;
    for (int bit = 0; bit < 16; ++bit) {
        const int level =
            brightness((bit % 4) * width / 4 + width / 8, (bit / 4) * height / 4 + height / 8);
        if (level < 0) return -1;
        if (level > 128) number |= 1 << bit;
    }
    return number;
}

int ReadFrameNumber(const BYTE* bits, int width, int height) {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t(3);
    return ReadFrameNumber(width, height, [&](int x, int yTop) {
        const BYTE* p = bits + stride * static_cast<std::size_t>(height - 1 - yTop) +
                        static_cast<std::size_t>(x) * 3;
        return (p[0] + p[1] + p[2]) / 3;
    });
}

int ReadFrameNumberFromDib(const std::vector<BYTE>& dib) {
    if (dib.size() < sizeof(BITMAPINFOHEADER)) return -1;
    BITMAPINFOHEADER h;
    std::memcpy(&h, dib.data(), sizeof h);
    if (h.biBitCount != 24 || dib.size() < h.biSize + h.biSizeImage) return -1;
    return ReadFrameNumber(dib.data() + h.biSize, h.biWidth, h.biHeight);
}

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<BYTE> ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(f), {});
}

} // namespace fixtures

#include "support/media/AviReadBack.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

namespace avitest {

ReadBack ReadAvi(const std::string& path) {
    av_log_set_level(AV_LOG_ERROR);
    ReadBack r;
    AVFormatContext* f = nullptr;
    if (avformat_open_input(&f, path.c_str(), nullptr, nullptr) < 0) return r;
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> guard(
        f, [](AVFormatContext* c) { avformat_close_input(&c); });
    if (avformat_find_stream_info(f, nullptr) < 0 || f->nb_streams != 1) return r;
    AVStream* st = f->streams[0];
    r.opened = true;
    r.codec = avcodec_get_name(st->codecpar->codec_id);
    const char* pf = av_get_pix_fmt_name(static_cast<AVPixelFormat>(st->codecpar->format));
    r.pixelFormat = pf ? pf : "";
    r.width = st->codecpar->width;
    r.height = st->codecpar->height;
    r.frameRate = av_q2d(st->avg_frame_rate.num ? st->avg_frame_rate : st->r_frame_rate);
    r.frames = st->nb_frames;
    const AVCodec* decoder = avcodec_find_decoder(st->codecpar->codec_id);
    AVCodecContext* codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec, st->codecpar);
    avcodec_open2(codec, decoder, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    while (av_read_frame(f, packet) >= 0) {
        r.packetSizes.push_back(packet->size);
        r.packetSamples.push_back(packet->pts);
        std::vector<std::uint8_t> rgb;
        if (packet->size > 0 && avcodec_send_packet(codec, packet) >= 0 &&
            avcodec_receive_frame(codec, frame) >= 0) {
            rgb.resize(static_cast<std::size_t>(frame->width) * frame->height * 3);
            SwsContext* sws = sws_getContext(frame->width, frame->height,
                                             static_cast<AVPixelFormat>(frame->format),
                                             frame->width, frame->height, AV_PIX_FMT_RGB24,
                                             SWS_POINT, nullptr, nullptr, nullptr);
            uint8_t* dst[4] = {rgb.data(), nullptr, nullptr, nullptr};
            int dstStride[4] = {frame->width * 3, 0, 0, 0};
            sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, dstStride);
            sws_freeContext(sws);
            av_frame_unref(frame);
        }
        r.pictures.push_back(std::move(rgb));
        av_packet_unref(packet);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    return r;
}

std::string Probe(const std::string& path) {
    const std::string command =
        "ffprobe -v error -select_streams v:0 -show_entries "
        "stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_frames -of csv=p=0 '" +
        path + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    std::array<char, 256> buffer{};
    while (pipe && fgets(buffer.data(), buffer.size(), pipe.get()))
        out += buffer.data();
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

namespace {

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return at + 4 <= b.size() ? std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 |
                                    std::uint32_t(b[at + 2]) << 16 | std::uint32_t(b[at + 3]) << 24
                              : 0;
}

// Where the payload of the first chunk with this id begins, 0 when there is none.
std::size_t ChunkData(const std::vector<std::uint8_t>& b, const char* id) {
    for (std::size_t i = 0; i + 8 <= b.size(); ++i)
        if (std::memcmp(b.data() + i, id, 4) == 0) return i + 8;
    return 0;
}

} // namespace

StreamHeaderFields ReadStreamHeader(const std::string& path) {
    StreamHeaderFields h;
    std::vector<std::uint8_t> b(64 * 1024);
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return h;
    b.resize(std::fread(b.data(), 1, b.size(), file.get()));
    const std::size_t avih = ChunkData(b, "avih"), strh = ChunkData(b, "strh");
    if (!avih || !strh || strh + 56 > b.size()) return h;
    h.found = true;
    h.mainSuggestedBufferSize = U32At(b, avih + 28);
    h.mainWidth = U32At(b, avih + 32);
    h.mainHeight = U32At(b, avih + 36);
    h.fccType = U32At(b, strh);
    h.fccHandler = U32At(b, strh + 4);
    h.scale = U32At(b, strh + 20);
    h.rate = U32At(b, strh + 24);
    h.length = U32At(b, strh + 32);
    h.suggestedBufferSize = U32At(b, strh + 36);
    for (int i = 0; i < 4; ++i)
        h.frame[i] = static_cast<std::int16_t>(b[strh + 48 + 2 * i] | b[strh + 49 + 2 * i] << 8);
    return h;
}

} // namespace avitest

#include "AppTestUtil.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <stdexcept>

namespace apptest {

std::uint32_t PixelOf(TBitmap* bitmap, int x, int y) {
    const auto* row = static_cast<const std::uint8_t*>(bitmap->ScanLine(y));
    if (bitmap->PixelFormat() == pf8bit) {
        RGBQUAD q = bitmap->ColorTable().at(row[x]);
        return (std::uint32_t(q.rgbRed) << 16) | (std::uint32_t(q.rgbGreen) << 8) | q.rgbBlue;
    }
    if (bitmap->PixelFormat() != pf24bit) throw std::runtime_error("PixelOf: 8 or 24 bits only");
    return (std::uint32_t(row[3 * x + 2]) << 16) | (std::uint32_t(row[3 * x + 1]) << 8) |
           row[3 * x];
}

DecodedGif DecodeGifWithFFmpeg(const String& path) {
    DecodedGif result;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        throw std::runtime_error("FFmpeg cannot open " + path);
    avformat_find_stream_info(format, nullptr);
    int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVCodec* codec = avcodec_find_decoder(format->streams[index]->codecpar->codec_id);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(context, format->streams[index]->codecpar);
    avcodec_open2(context, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto take = [&] {
        while (avcodec_receive_frame(context, frame) == 0) {
            result.width = frame->width;
            result.height = frame->height;
            std::vector<std::uint8_t> rgb(size_t(frame->width) * frame->height * 3);
            SwsContext* sws = sws_getContext(
                frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
            std::uint8_t* planes[1] = {rgb.data()};
            int strides[1] = {frame->width * 3};
            sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
            sws_freeContext(sws);
            std::vector<std::uint32_t> pixels(size_t(frame->width) * frame->height);
            for (size_t i = 0; i < pixels.size(); ++i)
                pixels[i] = (std::uint32_t(rgb[3 * i]) << 16) |
                            (std::uint32_t(rgb[3 * i + 1]) << 8) | rgb[3 * i + 2];
            result.frames.push_back(std::move(pixels));
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(context, packet) == 0) take();
        av_packet_unref(packet);
    }
    avcodec_send_packet(context, nullptr);
    take();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    avformat_close_input(&format);
    return result;
}

} // namespace apptest

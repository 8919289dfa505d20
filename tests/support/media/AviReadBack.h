#pragma once
// Reads an AVI file back with FFmpeg's libraries, as a player would.
#include <cstdint>
#include <string>
#include <vector>

namespace avitest {

struct ReadBack {
    bool opened = false;
    std::string codec;
    std::string pixelFormat;
    int width = 0;
    int height = 0;
    double frameRate = 0;
    std::int64_t frames = 0; // as the stream header says
    // Every packet in order: its sample number (in frame time), its size and, decoded to
    // RGB24 top-down, its pixels. Empty samples give no packet.
    std::vector<std::int64_t> packetSamples;
    std::vector<int> packetSizes;
    std::vector<std::vector<std::uint8_t>> pictures;
};

ReadBack ReadAvi(const std::string& path);

// What ffprobe says about the first stream: "codec,width,height,pix_fmt,rate,frames".
std::string Probe(const std::string& path);

// The fields of the first stream header ('strh') and of the main header ('avih') as the file
// holds them, read byte by byte (a player reads some of them loosely).
struct StreamHeaderFields {
    bool found = false;
    std::uint32_t fccType = 0, fccHandler = 0, scale = 0, rate = 0, length = 0;
    std::uint32_t suggestedBufferSize = 0;
    std::int16_t frame[4] = {}; // rcFrame: left, top, right, bottom
    std::uint32_t mainSuggestedBufferSize = 0, mainWidth = 0, mainHeight = 0;
};
StreamHeaderFields ReadStreamHeader(const std::string& path);

} // namespace avitest

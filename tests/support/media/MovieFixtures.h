#pragma once
// Small movies the media tests encode for themselves. Every picture carries its own frame
// number as a 4 x 4 grid of black and white blocks (bit k at column k % 4, row k / 4 from the
// top), big enough to survive any lossy codec, so a test can read which frame it was given.
#include "platform/WinTypes.h"

#include <functional>
#include <string>
#include <vector>

namespace fixtures {

enum class Video { None, Mpeg1, Mpeg2, Mjpeg, H264, Mpeg4, Vp9 };
enum class Audio { None, Mp2, Pcm };

struct MovieDesc {
    std::string container; // "mpeg", "avi", "mp4", "matroska", "wav"
    Video video = Video::Mpeg1;
    Audio audio = Audio::None;
    int width = 160;
    int height = 120;
    int frames = 25;
    int fps = 25;
    int gop = 12;
    double audioSeconds = 1.0; // audio-only files
    double audioEndsAt = 0;    // with pictures: the sound stops here (0: with the pictures)
    int bFrames = 2;           // where the codec has them
    // A variable rate: frame i starts at frameTimesMs[i] (then frames and fps are ignored,
    // except fps as the rate the stream declares).
    std::vector<int> frameTimesMs = {};
    // The stream states fps as its rate (Matroska writes it as every frame's span), as
    // files cut from a constant-rate source do.
    bool statesRate = false;
};

// Writes the movie; throws std::runtime_error when FFmpeg refuses.
void WriteMovie(const std::string& path, const MovieDesc& desc);

// The frame number shown in a picture of width x height, whose pixels are read through
// brightness(x, y) (0 to 255, y from the top; a negative answer: the picture cannot be read,
// and the number is -1).
int ReadFrameNumber(int width, int height, const std::function<int(int x, int y)>& brightness);
// The frame number shown in a 24-bit bottom-up DIB (rows padded to 4 bytes).
int ReadFrameNumber(const BYTE* bottomUpBgr, int width, int height);
// The same for a packed DIB: header, then the bits.
int ReadFrameNumberFromDib(const std::vector<BYTE>& packedDib);

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes);
std::vector<BYTE> ReadBytes(const std::string& path);

} // namespace fixtures

// The AVI writer fed arbitrary frame sizes, pixel formats, rates, sample numbers and pixels,
// then read back by the media engine the program plays with. A file the writer completes must
// open with the size and frame count it was given (for the 8- and 24-bit frames the program
// saves) or fail with the engine's error; the writer itself must refuse what it cannot write,
// never crash or overrun.
#include "EngineWaits.h"
#include "InputFile.h"
#include "platform/avifile/Vfw.h"
#include "platform/media/MediaEngine.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The bytes of the input, one at a time, zero once they run out.
class Choices {
public:
    Choices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
    const std::uint8_t* Rest(std::size_t& left) const {
        left = size_ - at_;
        return data_ + at_;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

struct Written {
    bool complete = false;
    int width = 0;
    int height = 0;
    int bits = 0;
    int lastSample = -1;
};

Written WriteAvi(const std::string& path, Choices& in) {
    static const WORD kBits[] = {8, 24, 8, 24, 1, 4, 16, 32};
    Written w;
    const std::uint8_t shape = in.Next();
    w.width = 1 + in.Next() % 48;
    w.height = 1 + in.Next() % 32;
    w.bits = kBits[shape & 7];
    const bool topDown = shape & 0x08;
    const bool badSize = shape & 0x10; // a stated image size that is not the frame's
    const int frames = 1 + (shape >> 5);
    const std::size_t stride = ((std::size_t(w.width) * std::size_t(w.bits) + 31) / 32) * 4;
    const std::size_t image = stride * std::size_t(w.height) + (badSize ? in.Next() % 7 : 0);
    const std::size_t colours = w.bits <= 8 ? std::size_t(1) << w.bits : 0;

    std::vector<BYTE> format(sizeof(BITMAPINFOHEADER) + colours * 4);
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = w.width;
    h.biHeight = topDown ? -w.height : w.height;
    h.biPlanes = 1;
    h.biBitCount = w.bits;
    h.biSizeImage = DWORD(image);
    h.biClrUsed = DWORD(colours);
    std::memcpy(format.data(), &h, sizeof h);
    for (std::size_t i = sizeof h; i < format.size(); ++i)
        format[i] = in.Next();

    AVISTREAMINFOA info{};
    info.fccType = streamtypeVIDEO;
    info.dwScale = 1 + in.Next() % 100;
    info.dwRate = 90;
    info.dwSuggestedBufferSize = DWORD(image);
    info.rcFrame = {0, 0, w.width, w.height};

    std::vector<int> samples;
    int next = 0;
    for (int i = 0; i < frames; ++i) {
        next += in.Next() % 3; // gaps leave empty samples, as skipped frames do
        samples.push_back(next++);
    }
    std::size_t left = 0;
    const std::uint8_t* pixels = in.Rest(left);
    std::vector<BYTE> bits(image);
    for (std::size_t i = 0; i < image; ++i)
        bits[i] = left ? pixels[i % left] : BYTE(i);

    AVIFileInit();
    PAVIFILE file = nullptr;
    PAVISTREAM stream = nullptr;
    bool ok = AVIFileOpenA(&file, path.c_str(), OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE,
                           nullptr) == AVIERR_OK;
    ok = ok && AVIFileCreateStreamA(file, &stream, &info) == AVIERR_OK;
    ok = ok && AVIStreamSetFormat(stream, 0, format.data(), LONG(format.size())) == AVIERR_OK;
    for (int s : samples) {
        LONG count = 0, bytes = 0;
        ok = ok && AVIStreamWrite(stream, s, 1, bits.data(), LONG(bits.size()), AVIIF_KEYFRAME,
                                  &count, &bytes) == AVIERR_OK;
        if (ok) w.lastSample = s;
    }
    if (stream) AVIStreamRelease(stream);
    if (file) AVIFileRelease(file);
    AVIFileExit();
    w.complete = ok && access(path.c_str(), F_OK) == 0;
    return w;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = InputFileName(".avi");
    unlink(path.c_str());
    Choices in(data, size);
    const Written w = WriteAvi(path, in);
    if (!w.complete) {
        unlink(path.c_str());
        return 0;
    }
    media::MediaEngine engine(SilentOptions());
    OpenAndSettle(engine, path);
    if ((w.bits == 8 || w.bits == 24) && engine.GetOpenState() != media::mpOpen) {
        std::fprintf(stderr, "a %d-bit %d x %d file did not open\n", w.bits, w.width, w.height);
        __builtin_trap();
    }
    if (engine.GetOpenState() == media::mpOpen && (w.bits == 8 || w.bits == 24)) {
        if (engine.VideoWidth() != w.width || engine.VideoHeight() != w.height) {
            std::fprintf(stderr, "written %d x %d, read %d x %d\n", w.width, w.height,
                         engine.VideoWidth(), engine.VideoHeight());
            __builtin_trap();
        }
        if (engine.DurationInFrames() != w.lastSample + 1) {
            std::fprintf(stderr, "written %d samples, read %g\n", w.lastSample + 1,
                         engine.DurationInFrames());
            __builtin_trap();
        }
    }
    engine.Close();
    unlink(path.c_str());
    return 0;
}

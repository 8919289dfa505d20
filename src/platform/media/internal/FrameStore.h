#pragma once
// The frame the presenter shows, kept so the owner can copy it out (as a packed DIB for
// the component, scaled to 32 bits for the display), and the BGR rows a frame becomes for
// the frame hook.
#include "platform/media/FrameAccess.h"
#include "platform/media/internal/FFmpeg.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace media::detail {

// Bottom-up 24-bit BGR rows, as a packed DIB stores them.
class BgrConverter {
public:
    // The rows of the frame; the returned buffer is valid until the next call.
    std::vector<BYTE>& Convert(const AVFrame& frame);
    static BITMAPINFOHEADER Header(int width, int height);
    static std::size_t Stride(int width) {
        return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t(3);
    }

private:
    ff::SwsPtr sws_;
    std::vector<BYTE> rows_;
};

class FrameStore {
public:
    void Present(ff::FramePtr frame);
    void Clear();
    HRESULT CurrentImage(LONG* bufferSize, BYTE* buffer);
    bool Draw(int width, int height, std::uint32_t* pixels, int stride);
    std::uint64_t Count() const { return count_.load(); }

private:
    std::mutex mutex_;
    ff::FramePtr frame_;
    BgrConverter bgr_;
    ff::SwsPtr displaySws_;
    std::vector<uint8_t> displayRows_;
    std::atomic<std::uint64_t> count_{0};
};

} // namespace media::detail

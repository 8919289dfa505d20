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
    // The rows the last call made.
    const std::vector<BYTE>& Rows() const { return rows_; }
    static BITMAPINFOHEADER Header(int width, int height);
    static std::size_t Stride(int width) {
        return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t(3);
    }

private:
    ff::SwsPtr sws_;
    std::vector<BYTE> rows_;
};

// The converted forms of the frame are made once per frame and kept: the display paints the
// same frame again and again while paused, and a grab follows the paint.
class FrameStore {
public:
    // With prepare, the frame's BGR rows and its display picture (at the size last drawn) are
    // made at once, on the calling thread: a frame shown while paused is the one a grab and
    // the next paint want, and the presenter has nothing else to do then.
    void Present(ff::FramePtr frame, bool prepare = false);
    void Clear();
    HRESULT CurrentImage(LONG* bufferSize, BYTE* buffer);
    bool Draw(int width, int height, std::uint32_t* pixels, int stride);
    std::uint64_t Count() const { return count_.load(); }

private:
    // Both under mutex_, each made at most once per frame (and size); ScaleForDisplay is false
    // when the converter cannot be had.
    const std::vector<BYTE>& BgrRows();
    bool ScaleForDisplay(int width, int height);

    std::mutex mutex_;
    ff::FramePtr frame_;
    BgrConverter bgr_;
    std::uint64_t bgrFrame_ = 0; // the Count() bgr_'s rows were made from; 0: none
    ff::SwsPtr displaySws_;
    std::vector<uint8_t> displayRows_;
    std::size_t displayStride_ = 0;
    std::uint64_t displayFrame_ = 0; // the Count() displayRows_ show; 0: none
    int displayWidth_ = 0, displayHeight_ = 0;
    std::atomic<std::uint64_t> count_{0};
};

} // namespace media::detail

#include "platform/media/internal/FrameStore.h"

#include <cstring>

namespace media::detail {

namespace {
constexpr std::size_t kConvertSlack = 256;

// The converter forces full chroma into RGB rows of an odd width; asked for it up front, its
// cached context matches the next call instead of being made anew for every grab.
int RgbFlags(int flags, int width) {
    return width % 2 != 0 ? flags | SWS_FULL_CHR_H_INT : flags;
}
} // namespace

BITMAPINFOHEADER BgrConverter::Header(int width, int height) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(Stride(width) * static_cast<std::size_t>(height));
    return h;
}

std::vector<BYTE>& BgrConverter::Convert(const AVFrame& frame) {
    const int w = frame.width;
    const int h = frame.height;
    const std::size_t stride = Stride(w);
    const std::size_t size = stride * static_cast<std::size_t>(h);
    // The converter writes whole vector blocks, past the end of a row whose width is not a
    // multiple of them; the first row it writes is the buffer's last, so room is left after it.
    // Every byte the picture covers is written; the slack is never read.
    rows_.resize(size + kConvertSlack);
    sws_.reset(sws_getCachedContext(sws_.release(), w, h, static_cast<AVPixelFormat>(frame.format),
                                    w, h, AV_PIX_FMT_BGR24, RgbFlags(SWS_POINT, w), nullptr,
                                    nullptr, nullptr));
    if (sws_ && h > 0) {
        // Writing from the last row upwards turns the top-down picture into DIB row order.
        uint8_t* dst[4] = {rows_.data() + stride * static_cast<std::size_t>(h - 1), nullptr,
                           nullptr, nullptr};
        int dstStride[4] = {-static_cast<int>(stride), 0, 0, 0};
        sws_scale(sws_.get(), frame.data, frame.linesize, 0, h, dst, dstStride);
    }
    rows_.resize(size);
    return rows_;
}

void FrameStore::Present(ff::FramePtr frame, bool prepare) {
    std::lock_guard lock(mutex_);
    frame_ = std::move(frame);
    count_.fetch_add(1);
    if (!prepare || !frame_) return;
    BgrRows();
    if (displayWidth_ > 0) ScaleForDisplay(displayWidth_, displayHeight_);
}

void FrameStore::Clear() {
    std::lock_guard lock(mutex_);
    frame_.reset();
    bgrFrame_ = displayFrame_ = 0;
}

const std::vector<BYTE>& FrameStore::BgrRows() {
    if (bgrFrame_ != count_.load()) {
        bgr_.Convert(*frame_);
        bgrFrame_ = count_.load();
    }
    return bgr_.Rows();
}

HRESULT FrameStore::CurrentImage(LONG* bufferSize, BYTE* buffer) {
    if (!bufferSize) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (!frame_) return E_UNEXPECTED;
    const BITMAPINFOHEADER header = BgrConverter::Header(frame_->width, frame_->height);
    const std::size_t needed = sizeof header + header.biSizeImage;
    if (!buffer) {
        *bufferSize = static_cast<LONG>(needed);
        return S_OK;
    }
    if (*bufferSize < 0 || static_cast<std::size_t>(*bufferSize) < needed) return E_OUTOFMEMORY;
    const std::vector<BYTE>& rows = BgrRows();
    std::memcpy(buffer, &header, sizeof header);
    std::memcpy(buffer + sizeof header, rows.data(), rows.size());
    return S_OK;
}

bool FrameStore::ScaleForDisplay(int width, int height) {
    if (displayFrame_ == count_.load() && displayWidth_ == width && displayHeight_ == height)
        return true;
    displayFrame_ = 0;
    displayWidth_ = width;
    displayHeight_ = height;
    // Averaging areas: the right filter for the usual shrink into the window, and a fraction
    // of the bilinear filter's cost there (which spans the whole source); bilinear when enlarging.
    // An odd width is scaled one wider and cut: the converter's odd-width path (full chroma)
    // costs three times as much, for a column nobody tells apart.
    const int scaledWidth = width + width % 2;
    displaySws_.reset(sws_getCachedContext(displaySws_.release(), frame_->width, frame_->height,
                                           static_cast<AVPixelFormat>(frame_->format), scaledWidth,
                                           height, AV_PIX_FMT_BGRA, SWS_AREA, nullptr, nullptr,
                                           nullptr));
    if (!displaySws_) return false;
    // Scaled into rows of our own with room after them (the converter writes whole vector
    // blocks, past the end of narrow rows), then copied into the caller's.
    displayStride_ =
        (static_cast<std::size_t>(scaledWidth) * 4 + kConvertSlack + 63) & ~std::size_t(63);
    displayRows_.resize(displayStride_ * static_cast<std::size_t>(height) + kConvertSlack);
    uint8_t* dst[4] = {displayRows_.data(), nullptr, nullptr, nullptr};
    int dstStride[4] = {static_cast<int>(displayStride_), 0, 0, 0};
    sws_scale(displaySws_.get(), frame_->data, frame_->linesize, 0, frame_->height, dst, dstStride);
    displayFrame_ = count_.load();
    return true;
}

bool FrameStore::Draw(int width, int height, std::uint32_t* pixels, int stride) {
    std::lock_guard lock(mutex_);
    if (!frame_ || width <= 0 || height <= 0 || !pixels) return false;
    if (!ScaleForDisplay(width, height)) return false;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::memcpy(reinterpret_cast<uint8_t*>(pixels) + static_cast<std::ptrdiff_t>(y) * stride,
                    displayRows_.data() + displayStride_ * static_cast<std::size_t>(y), rowBytes);
    return true;
}

} // namespace media::detail

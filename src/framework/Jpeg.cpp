#include "framework/Jpeg.h"

#include "framework/ProgressScope.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr Int64 kMaxPixels = Int64(1) << 28;
// Pixels a picture may declare beyond where its data ends (a screen of 4096 x 4096): a cut
// file keeps a grey tail, a stub of a few bytes cannot ask for millions.
constexpr Int64 kMaxMissingPixels = Int64(1) << 24;

// libjpeg reports failure by calling error_exit, which must not return: jump back.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool dataEnded = false; // the data ran out: what libjpeg decodes now is made up
};

void OnError(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(err->jump, 1);
}
void OnMessage(j_common_ptr) {} // warnings are not shown
// The data ended: the file's end, or a marker where the scan needed more (a restart marker
// only ends an interval; the data goes on after it).
void OnWarning(j_common_ptr info, int level) {
    const int code = info->err->msg_code;
    const int marker = reinterpret_cast<j_decompress_ptr>(info)->unread_marker;
    const bool restart = marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7;
    if (level < 0 && (code == JWRN_JPEG_EOF || (code == JWRN_HIT_MARKER && !restart)))
        reinterpret_cast<ErrorManager*>(info->err)->dataEnded = true;
}

struct Decoded {
    int width = 0, height = 0;
    std::vector<Byte> rgb; // rows of width x 3 bytes, red first, top row first
};

// Returns false when libjpeg refuses the data. Kept free of objects with destructors between
// setjmp and the jumps.
bool DecodeJpeg(const std::vector<Byte>& data, bool fast, Decoded& out,
                const std::function<void(int row, int height)>& progress) {
    jpeg_decompress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnMessage;
    err.pub.emit_message = OnWarning;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    info.dct_method = fast ? JDCT_IFAST : JDCT_ISLOW;
    info.do_fancy_upsampling = fast ? FALSE : TRUE;
    jpeg_calc_output_dimensions(&info);
    if (info.output_width == 0 || info.output_height == 0 ||
        Int64(info.output_width) * Int64(info.output_height) > kMaxPixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    out.width = int(info.output_width);
    out.height = int(info.output_height);
    const size_t rowBytes = size_t(out.width) * 3;
    std::vector<Byte>& rgb = out.rgb;
    rgb.clear();
    rgb.reserve(rowBytes * size_t(out.height)); // rows are made as they are decoded
    static thread_local std::vector<Byte> line;
    line.resize(size_t(out.width) * size_t(info.output_components));
    // Once the data of a one-scan picture has run out, the rows of the block row being decoded
    // are finished and the rest is left grey, as libjpeg would make it, without decoding: a
    // few bytes that declare a huge picture cost no more than their data, or are refused when
    // most of it is missing. (A picture of many scans has read all of them by now; what is
    // left is real.)
    const bool oneScan = !jpeg_has_multiple_scans(&info);
    JDIMENSION end = info.output_height;
    while (info.output_scanline < end) {
        JSAMPROW row = line.data();
        const int y = int(info.output_scanline);
        jpeg_read_scanlines(&info, &row, 1);
        rgb.resize(rowBytes * size_t(y + 1));
        Byte* dst = rgb.data() + size_t(y) * rowBytes;
        if (cmyk) {
            // Stored inverted, as Adobe writes it.
            for (int x = 0; x < out.width; ++x) {
                const Byte* p = line.data() + 4 * x;
                dst[3 * x] = Byte(p[0] * p[3] / 255);
                dst[3 * x + 1] = Byte(p[1] * p[3] / 255);
                dst[3 * x + 2] = Byte(p[2] * p[3] / 255);
            }
        } else {
            std::memcpy(dst, line.data(), size_t(out.width) * 3);
        }
        if (progress) progress(y, out.height);
        if (oneScan && err.dataEnded && end == info.output_height)
            end =
                std::min(end, info.output_scanline + JDIMENSION(info.max_v_samp_factor * DCTSIZE));
    }
    if (end < info.output_height) {
        jpeg_abort_decompress(&info);
        if (Int64(info.output_height - end) * out.width > kMaxMissingPixels) {
            jpeg_destroy_decompress(&info);
            return false;
        }
        rgb.resize(rowBytes * size_t(out.height), Byte(128));
    } else {
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    return true;
}

bool EncodeJpeg(const std::vector<Byte>& rgb, int width, int height, int quality, bool fast,
                std::vector<Byte>& out) {
    jpeg_compress_struct info;
    ErrorManager err;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = fast ? JDCT_IFAST : JDCT_ISLOW;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            const_cast<Byte*>(rgb.data()) + size_t(info.next_scanline) * size_t(width) * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    out.assign(buffer, buffer + size);
    std::free(buffer);
    return true;
}

} // namespace

void TJPEGImage::HookBitmap() {
    // Drawing on the decoded picture makes the kept bytes stale.
    bitmap_->OnChange = [this](TObject*) {
        data_.clear();
        width_ = bitmap_->Empty() ? 0 : bitmap_->Width();
        height_ = bitmap_->Empty() ? 0 : bitmap_->Height();
        Changed(this);
    };
}

void TJPEGImage::Destroy() {
    if (bitmap_) bitmap_->OnChange = nullptr;
    bitmap_.reset();
    inherited::Destroy();
}

void TJPEGImage::SetCompressionQuality(int Value) {
    Value = std::clamp(Value, 1, 100);
    if (!AssignIfChanged(quality_, Value)) return;
    if (bitmap_ && !bitmap_->Empty()) data_.clear();
}

void TJPEGImage::SetPerformance(TJPEGPerformance Value) {
    if (!AssignIfChanged(performance_, Value)) return;
    if (!data_.empty()) bitmap_.reset(); // decoded again the chosen way
    Changed(this);
}

void TJPEGImage::Decode() {
    Decoded picture;
    const TRect none{};
    // A finished decode asks for a redraw when it was shown as it went; a failed one never.
    ProgressScope progress([&](TProgressStage stage, Byte percent) {
        const bool redraw = stage == psEnding && percent == 100 && progressiveDisplay_;
        Progress(this, stage, percent, redraw, none, "Loading...");
    });
    const bool ok =
        DecodeJpeg(data_, performance_ == jpBestSpeed, picture, [&](int row, int height) {
            if (progressiveDisplay_ && row % 32 == 0)
                Progress(this, psRunning, Byte(Int64(row) * 100 / height), true, none,
                         "Loading...");
        });
    if (!ok) throw EInvalidGraphic("JPEG image is not valid");
    auto bitmap = MakeObject<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(picture.width, picture.height);
    for (int y = 0; y < picture.height; ++y) {
        Byte* dst = static_cast<Byte*>(bitmap->ScanLine(y));
        const Byte* src = picture.rgb.data() + size_t(y) * size_t(picture.width) * 3;
        for (int x = 0; x < picture.width; ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    bitmap_ = std::move(bitmap);
    width_ = picture.width;
    height_ = picture.height;
    HookBitmap();
    progress.Finish();
}

TBitmap* TJPEGImage::Bitmap() {
    if (!bitmap_) {
        if (data_.empty()) {
            bitmap_ = MakeObject<TBitmap>();
            bitmap_->SetPixelFormat(pf24bit);
            HookBitmap();
        } else {
            Decode();
        }
    }
    return bitmap_.get();
}

void TJPEGImage::Compress() {
    if (!data_.empty()) bitmap_.reset();
}

void TJPEGImage::LoadFromStream(TStream& Stream) {
    const Int64 count = Stream.Size() - Stream.Position();
    std::vector<Byte> data(size_t(std::max<Int64>(count, 0)));
    if (!data.empty()) Stream.ReadBuffer(data.data(), Int64(data.size()));
    std::vector<Byte> oldData = std::move(data_);
    ObjectPtr<TBitmap> oldBitmap = std::move(bitmap_);
    const int oldWidth = width_, oldHeight = height_;
    // A stream that does not decode leaves the picture as it was.
    ScopeGuard restore([&] {
        data_ = std::move(oldData);
        bitmap_ = std::move(oldBitmap);
        width_ = oldWidth;
        height_ = oldHeight;
    });
    data_ = std::move(data);
    if (data_.empty())
        width_ = height_ = 0;
    else
        Decode();
    restore.Dismiss();
    Changed(this);
}

void TJPEGImage::Encode(TStream& Stream) {
    TBitmap* bitmap = bitmap_.get();
    if (!bitmap || bitmap->Empty()) return;
    bitmap->SetPixelFormat(pf24bit);
    std::vector<Byte> rgb(size_t(width_) * size_t(height_) * 3);
    for (int y = 0; y < height_; ++y) {
        const Byte* src = static_cast<Byte*>(bitmap->ScanLine(y));
        Byte* dst = rgb.data() + size_t(y) * size_t(width_) * 3;
        for (int x = 0; x < width_; ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    std::vector<Byte> out;
    if (!EncodeJpeg(rgb, width_, height_, quality_, performance_ == jpBestSpeed, out))
        throw EInvalidGraphic("JPEG image could not be compressed");
    data_ = std::move(out);
    (void)Stream;
}

void TJPEGImage::SaveToStream(TStream& Stream) {
    if (data_.empty()) Encode(Stream);
    if (!data_.empty()) Stream.WriteBuffer(data_.data(), Int64(data_.size()));
}

void TJPEGImage::Assign(TPersistent* Source) {
    if (Source == this) return;
    if (!Source) {
        data_.clear();
        bitmap_.reset();
        width_ = height_ = 0;
        Changed(this);
    } else if (auto* jpeg = dynamic_cast<TJPEGImage*>(Source)) {
        data_ = jpeg->data_;
        bitmap_.reset();
        if (jpeg->bitmap_) {
            bitmap_ = MakeObject<TBitmap>();
            bitmap_->Assign(jpeg->bitmap_.get());
            HookBitmap();
        }
        width_ = jpeg->width_;
        height_ = jpeg->height_;
        quality_ = jpeg->quality_;
        performance_ = jpeg->performance_;
        progressiveDisplay_ = jpeg->progressiveDisplay_;
        Changed(this);
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
        auto copy = MakeObject<TBitmap>();
        copy->Assign(bitmap);
        copy->SetPixelFormat(pf24bit);
        bitmap_ = std::move(copy);
        data_.clear();
        width_ = bitmap->Width();
        height_ = bitmap->Height();
        if (bitmap->Empty()) width_ = height_ = 0;
        HookBitmap();
        Changed(this);
    } else {
        inherited::Assign(Source);
    }
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
    if (auto* bitmap = dynamic_cast<TBitmap*>(Dest)) {
        if (Empty())
            bitmap->Assign(nullptr);
        else
            bitmap->Assign(Bitmap());
        return;
    }
    inherited::AssignTo(Dest);
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (Empty()) return;
    Bitmap()->Draw(ACanvas, Rect);
}

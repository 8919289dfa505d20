// Frame capture: the frame the player shows, copied from its renderer (or taken from the
// frame hook when that is spliced in), scaled by CaptureSize and handed to a bitmap, an
// image, a BMP file or a JPEG file, with automatic file names.
#include "movie/ActiveMovie.h"

#include "movie/DerivedMovie.h"
#include "movie/MovieSupport.h"

#include "framework/Image.h"
#include "framework/Jpeg.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Time.h"
#include "platform/media/MediaPlayer.h"
#include "rtl/Conversion.h"
#include "rtl/DateTime.h"
#include "rtl/Files.h"
#include "rtl/ScopeGuard.h"

#include <chrono>
#include <climits>
#include <cstring>
#include <limits>
#include <map>
#include <new>
#include <tuple>

namespace {

// The sequence counter of every folder, prefix and extension in use, scanned the first time
// one is asked for. One counter for all folders would hand out a name that a file in the
// next folder already has.
std::map<std::tuple<String, String, String>, Int64>& SequenceCounters() {
    static std::map<std::tuple<String, String, String>, Int64> counters;
    return counters;
}

String FolderOf(const String& storagePath) {
    return storagePath.empty() ? String() : IncludeTrailingPathDelimiter(storagePath);
}

// The highest number n of the files prefix + n + "." + extension in the folder; 0 for none.
Int64 ScanSequence(const String& folder, const String& prefix, const String& extension) {
    Int64 highest = 0;
    TSearchRec rec;
    if (FindFirst(folder + prefix + "*." + extension, faAnyFile & ~faDirectory, rec) != 0)
        return highest;
    do {
        const String& name = rec.Name;
        // Case-sensitive over the prefix, then at least one character before the first dot.
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::size_t dot = name.find('.');
        if (dot == String::npos || dot <= prefix.size()) continue;
        const String digits = name.substr(prefix.size(), dot - prefix.size());
        Int64 number = -1;
        bool valid = !digits.empty() && digits.size() <= 18;
        for (char c : digits)
            valid = valid && c >= '0' && c <= '9';
        if (valid) number = std::stoll(digits);
        if (number != -1 && number > highest) highest = number;
    } while (FindNext(rec) == 0);
    FindClose(rec);
    return highest;
}

String SixDigits(Int64 n) {
    String text = std::to_string(n);
    while (text.size() < 6)
        text = "0" + text;
    return text;
}

// Where the bits of a packed DIB begin: after the header, its colour table and, for
// bit-field DIBs, the three masks. A table of 0 entries at 8 bits or fewer is a full one.
std::size_t DibBitsOffset(const BITMAPINFOHEADER& h) {
    std::size_t colours = h.biClrUsed;
    if (colours == 0 && h.biBitCount <= 8) colours = std::size_t{1} << h.biBitCount;
    std::size_t offset = h.biSize + colours * sizeof(RGBQUAD);
    if (h.biCompression == BI_BITFIELDS) offset += 12;
    return offset;
}

bool HasDotInName(const String& fileName) {
    return ExtractFileName(fileName).find('.') != String::npos;
}

} // namespace

std::size_t PackedDibBitsOffset(const BITMAPINFOHEADER& Header) {
    return DibBitsOffset(Header);
}

String TActiveMovie::AutomaticFileName(const String& Extension) {
    const String folder = FolderOf(storagePath_);
    String text;
    if (autoFileName_ == fnDateTime) {
        text = FormatDateTime("yymmdd_hhmmss_zzz", Now());
    } else {
        Int64& counter = SequenceCounters()[{folder, autoFilePrefix_, Extension}];
        if (counter == 0) counter = ScanSequence(folder, autoFilePrefix_, Extension);
        // Never over a file that is there already (written since the scan by anyone).
        do {
            ++counter;
        } while (FileExists(folder + autoFilePrefix_ + SixDigits(counter) + "." + Extension) &&
                 counter < std::numeric_limits<Int64>::max());
        text = SixDigits(counter);
    }
    return folder + autoFilePrefix_ + text + "." + Extension;
}

void TActiveMovie::WaitForSeekToLand() {
    media::MediaPlayer& player = player_->MediaPlayer();
    const std::uint64_t deadline = GetTickCount64() + kGrabWaitMs;
    while (player.Engine().Seeking() && GetTickCount64() < deadline) {
        // The player's own reports are taken on the way, so its wait is one for news.
        player.DeliverEvents();
        PaceWait();
    }
}

void TActiveMovie::PaceWait() {
    // The player's threads do the work waited for: give them a moment (the player wakes us
    // early when it has news), then let the clock move on.
    player_->MediaPlayer().WaitForEvents(std::chrono::milliseconds(1));
    Sleep(1);
}

ObjectPtr<TBitmap> TActiveMovie::GrabFromRenderer() {
    if (!basicVideoHeld_) return nullptr;
    media::IBasicVideo& video = player_->MediaPlayer().BasicVideo();
    WaitForSeekToLand();
    LONG w = 0, h = 0;
    if (FAILED(video.GetVideoSize(&w, &h))) return nullptr;
    LONG needed = 0;
    if (FAILED(video.GetCurrentImage(&needed, nullptr)) || needed <= 0 || needed > INT_MAX - 2)
        return nullptr;
    // Kept between captures and grown only when a frame needs more.
    if (!imageBuffer_ || imageBufferSize_ < needed + 2) {
        imageBuffer_.reset();
        imageBufferSize_ = 0;
        imageBuffer_.reset(new (std::nothrow) Byte[static_cast<std::size_t>(needed) + 2]);
        if (!imageBuffer_) return nullptr;
        imageBufferSize_ = needed + 2;
    }
    LONG size = imageBufferSize_;
    if (FAILED(video.GetCurrentImage(&size, imageBuffer_.get()))) return nullptr;
    BITMAPINFOHEADER header;
    std::memcpy(&header, imageBuffer_.get(), sizeof header);
    const std::size_t offset = DibBitsOffset(header);
    const LONG rows = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const std::size_t bytes =
        static_cast<std::size_t>(DibRowBytes(header.biWidth, header.biBitCount)) *
        static_cast<std::size_t>(rows);
    if (header.biSize < sizeof header ||
        offset + bytes > static_cast<std::size_t>(imageBufferSize_))
        return nullptr;
    // A DIB section of the frame's own format: the bitmap takes it over as it is, where a
    // device bitmap would be converted back into a DIB (and copied again) on every grab.
    void* bits = nullptr;
    const HBITMAP native = CreateDIBSection(
        0, reinterpret_cast<const BITMAPINFO*>(imageBuffer_.get()), DIB_RGB_COLORS, &bits, 0, 0);
    if (!native) return nullptr;
    if (!bits) {
        DeleteObject(native);
        return nullptr;
    }
    std::memcpy(bits, imageBuffer_.get() + offset, bytes);
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    frame->SetHandle(native);
    if (captureSize_ == 100) return frame;
    return ObjectPtr<TBitmap>(ScaledCopy(frame.get()));
}

bool TActiveMovie::CaptureFrameToBitmap(TBitmap* Bitmap) {
    if (OpenState() != kOpenStateOpen) return false;
    String name;
    return CaptureFrameTo(fdBitmap, name, nullptr, Bitmap);
}

bool TActiveMovie::CaptureFrameTo(TFrameCapture_Dest Dest, String& FileName, TImage* Image,
                                  TBitmap* Bitmap) {
    const bool wasPlaying = Pause();
    // The movie plays on after a failure too (a JPEG file that cannot be written); a failure
    // to play on then gives way to the capture's own.
    ScopeGuard playOn([this, wasPlaying] {
        if (wasPlaying) Play();
    });
    return CaptureInto(Dest, FileName, Image, Bitmap);
}

bool TActiveMovie::CaptureInto(TFrameCapture_Dest Dest, String& FileName, TImage* Image,
                               TBitmap* Bitmap) {
    ObjectPtr<TBitmap> frame;
    if (grabberInserted_) {
        if (!GrabFromSampleGrabber(frame)) return false;
    } else {
        frame = GrabFromRenderer();
        if (!frame) return false;
    }
    switch (Dest) {
    case fdBitmap:
        if (Image) {
            Image->SetWidth(frame->Width());
            Image->SetHeight(frame->Height());
            TBitmap* target = Image->Picture()->Bitmap();
            target->SetSize(frame->Width(), frame->Height());
            target->Canvas()->StretchDraw(Rect(0, 0, frame->Width(), frame->Height()), frame.get());
        } else if (Bitmap) {
            // The bitmap takes the grabbed frame's DIB over rather than a copy: the grabbed
            // bitmap is freed here anyway.
            Bitmap->SetHandle(frame->ReleaseHandle());
        }
        break;
    case fdBMPFile:
        if (FileName.empty())
            FileName = AutomaticFileName("bmp");
        else if (!HasDotInName(FileName))
            FileName += ".bmp";
        try {
            frame->SaveToFile(FileName);
        } catch (const Exception&) {
            // A BMP that cannot be written is not a failed grab: the frame was had.
        }
        break;
    case fdJPEGFile: {
        if (FileName.empty())
            FileName = AutomaticFileName("jpg");
        else if (!HasDotInName(FileName))
            FileName += ".jpeg";
        ObjectPtr<TJPEGImage> jpeg = MakeObject<TJPEGImage>();
        jpeg->Assign(frame.get());
        jpeg->SetPerformance(jpegPerformance_);
        jpeg->SetProgressiveDisplay(jpegProgressive_);
        jpeg->SetCompressionQuality(jpegQuality_);
        jpeg->SaveToFile(FileName);
        break;
    }
    }
    return true;
}

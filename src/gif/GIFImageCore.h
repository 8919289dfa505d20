#pragma once
// The codec's half of a GIF picture: the header, the frames and the settings the stream
// parts ask for. The picture class of the framework builds on it; every item of a GIF
// reaches its image through this.
#include "gif/GIFHeader.h"
#include "gif/GIFItem.h"
#include "gif/codec/GIFEncoders.h"

#include <memory>

class TGIFSubImage;

class TGIFImageList final : public TGIFList {
    KORVID_CLASS(TGIFImageList, TGIFList)

    using TGIFList::TGIFList;
    // Frames in order, reporting "Saving..." progress after each.
    void SaveToStream(TStream& stream) override;
    // Frames until the trailer or the end of the stream, reporting "Loading..." progress;
    // the stream is left at the trailer byte.
    void LoadFromStream(TStream& stream, TObject* parent) override;
    TGIFSubImage* GetFrame(int index) const;
};

class GIFImageCore {
public:
    GIFImageCore();
    virtual ~GIFImageCore();
    GIFImageCore(const GIFImageCore&) = delete;
    GIFImageCore& operator=(const GIFImageCore&) = delete;

    TGIFHeader& StreamHeader() { return *header_; }
    TGIFImageList& Frames() { return *frames_; }
    TGIFGlobalColorMap& GlobalColorMap() { return header_->ColorMap; }

    int ScreenWidth() const { return header_->ScreenDescriptor.ScreenWidth; }
    int ScreenHeight() const { return header_->ScreenDescriptor.ScreenHeight; }
    // Every frame must fit: "Image width too small for contained frames" / "Image height
    // too small for contained frames".
    virtual void SetScreenWidth(int width);
    virtual void SetScreenHeight(int height);

    // 0 without frames; else the highest of the frames' versions.
    int RequiredVersion();
    int MaxBitsPerPixel();
    int MaxColorResolution();

    // Header, frames, trailer; the image keeps the frames read before a failure.
    void ReadGIF(TStream& stream);
    // Refuses first, as CheckMissingPixels does, an image read from a stub file.
    void WriteGIF(TStream& stream);
    // Before a pass that decodes every frame: frames that together declare more than
    // kMaxMissingPixels pixels beyond what their image data held raise "Image is too large".
    // Loading such a file is cheap, but decoding it all would make each of those pixels.
    void CheckMissingPixels();

    // Hands the warning to WarningHandler when one is set.
    virtual void ReportWarning(TObject* sender, int severity, const String& message);
    // redraw: what was drawn so far should be shown again (the palette changed).
    virtual void ReportProgress(TObject* sender, TProgressStage stage, int percent,
                                const String& message, bool redraw = false) {}
    // The global colours changed: a palette made of them is out of date.
    virtual void GlobalColorsChanged() {}
    // A frame's local colours changed.
    virtual void FrameColorsChanged(TGIFSubImage& frame) {}
    // A frame is about to allocate framePixels pixels; an image may refuse by raising.
    virtual void CheckPixelBudget(Int64 framePixels) {}

    // Encoder of the frames' pixel data: kCompressLZW or kCompressRLE.
    Byte CompressionKind() const { return compressionKind_; }
    void SetCompressionKind(Byte kind) { compressionKind_ = kind; }
    // Receives every warning of the image and its parts; none by default.
    const TGIFWarning& WarningHandler() const { return warningHandler_; }
    void SetWarningHandler(TGIFWarning handler) { warningHandler_ = std::move(handler); }

private:
    Byte compressionKind_ = kCompressLZW;
    TGIFWarning warningHandler_;
    std::unique_ptr<TGIFHeader, FreeDeleter> header_;
    std::unique_ptr<TGIFImageList, FreeDeleter> frames_;
};

// Pixels that the frames of one file may declare without the data for them (a screen of
// 4096 x 4096): a damaged file keeps some, a stub of a few bytes cannot ask for millions.
constexpr Int64 kMaxMissingPixels = Int64(1) << 24;

// Percent done as a rounded integer, computed in 64 bits.
int PercentOf(Int64 done, Int64 total);

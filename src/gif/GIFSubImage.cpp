#include "gif/GIFSubImage.h"

#include "gif/GIFImageCore.h"
#include "gif/codec/GIFException.h"
#include "gif/codec/GIFLZWDecoder.h"
#include "gif/codec/GIFStreamIO.h"

#include <algorithm>
#include <cstring>

// --- TGIFLocalColorMap ---

void TGIFLocalColorMap::ReportWarning(int severity, const String& message) {
    if (frame_ && frame_->Image) frame_->Image->ReportWarning(this, severity, message);
}

void TGIFLocalColorMap::CountUsage(TColorUsageTable& usage) {
    if (frame_) frame_->CountPixelUsage(usage);
}

void TGIFLocalColorMap::RemapPixels(const TColorIndexTable& table) {
    if (frame_) frame_->RemapPixelValues(table);
}

void TGIFLocalColorMap::ColorsChanged() {
    if (frame_ && frame_->Image) frame_->Image->FrameColorsChanged(*frame_);
}

// --- TGIFSubImage ---

TGIFSubImage::TGIFSubImage(GIFImageCore* image)
    : TGIFItem(image), ownColorMap_(this), extensions_(image) {}

TGIFSubImage::~TGIFSubImage() {
    if (Image) Image->Frames().RemoveItem(this);
    // The extensions look back at the frame while they go.
    extensions_.ClearItems();
    control_ = nullptr;
}

void TGIFSubImage::Reset() {
    extensions_.ClearItems();
    ownColorMap_.Reset();
    ReleasePixels();
    descriptor_.Height = 0;
    descriptor_.Width = 0;
    transparent_ = false;
    control_ = nullptr;
    DropBitmap();
    DropMask();
}

bool TGIFSubImage::IsEmpty() const {
    return !hasPixels_ || pixelCount_ == 0 || Width() == 0 || Height() == 0;
}

void TGIFSubImage::AllocatePixels() {
    ReleasePixels();
    Int64 n = FramePixelCount(Width(), Height());
    if (n > 0 && Image) Image->CheckPixelBudget(n);
    // The zeros are made when something first looks at the pixels.
    hasPixels_ = n > 0;
    pixelCount_ = n;
}

void TGIFSubImage::ReleasePixels() {
    DropCode();
    pixels_.reset();
    held_ = 0;
    hasPixels_ = false;
    pixelCount_ = 0;
    missing_ = 0;
    fill_ = 0;
}

void TGIFSubImage::HoldAllPixels() const {
    Unpack();
    if (!hasPixels_ || held_ == pixelCount_) return;
    std::unique_ptr<Byte[]> all(new Byte[static_cast<size_t>(pixelCount_)]);
    if (held_ > 0) std::memcpy(all.get(), pixels_.get(), static_cast<size_t>(held_));
    std::memset(all.get() + held_, fill_, static_cast<size_t>(pixelCount_ - held_));
    pixels_ = std::move(all);
    held_ = pixelCount_;
}

void TGIFSubImage::AdoptPixels(std::unique_ptr<Byte[]> held, Int64 heldBytes, Byte fill) {
    if (!hasPixels_) return;
    DropCode();
    pixels_ = std::move(held);
    held_ = pixels_ ? std::clamp<Int64>(heldBytes, 0, pixelCount_) : 0;
    missing_ = pixelCount_ - held_;
    fill_ = fill;
}

Byte* TGIFSubImage::Data() {
    HoldAllPixels();
    DropCode();
    return pixels_.get();
}

const Byte* TGIFSubImage::Data() const {
    HoldAllPixels();
    return pixels_.get();
}

void TGIFSubImage::EnsurePixels() {
    if (!hasPixels_) AllocatePixels();
    if (pixelCount_ == 0) RaiseGIFError(gifmsg::ImageEmpty);
}

Byte* TGIFSubImage::RowAt(int y) {
    if (y < 0 || y >= Height()) RaiseGIFError(gifmsg::InvalidPixelCoordinates);
    EnsurePixels();
    return Data() + static_cast<Int64>(y) * Width();
}

const Byte* TGIFSubImage::PixelRow(int y) {
    if (y < 0 || y >= Height()) RaiseGIFError(gifmsg::InvalidPixelCoordinates);
    EnsurePixels();
    return PixelData() + static_cast<Int64>(y) * Width();
}

Byte TGIFSubImage::PixelAt(int x, int y) {
    if (x < 0 || x >= Width()) RaiseGIFError(gifmsg::InvalidPixelCoordinates);
    if (y < 0 || y >= Height()) RaiseGIFError(gifmsg::InvalidPixelCoordinates);
    EnsurePixels();
    Unpack();
    // Read without making every pixel real.
    Int64 at = static_cast<Int64>(y) * Width() + x;
    return at < held_ ? pixels_[static_cast<size_t>(at)] : fill_;
}

int TGIFSubImage::BoundAt(int index) const {
    switch (index) {
    case 1:
        return Left();
    case 2:
        return Top();
    case 3:
        return Width();
    case 4:
        return Height();
    default:
        return 0;
    }
}

void TGIFSubImage::SetBoundAt(int index, int value) {
    switch (index) {
    case 1:
        ChangeBounds(value, Top(), Width(), Height());
        break;
    case 2:
        ChangeBounds(Left(), value, Width(), Height());
        break;
    case 3:
        ChangeBounds(Left(), Top(), value, Height());
        break;
    case 4:
        ChangeBounds(Left(), Top(), Width(), value);
        break;
    default:
        break;
    }
}

void TGIFSubImage::ChangeBounds(int left, int top, int width, int height) {
    auto word = [](int v) { return static_cast<Word>(std::clamp(v, 0, 0xFFFF)); };
    bool resized = word(width) != Width() || word(height) != Height();
    descriptor_.Left = word(left);
    descriptor_.Top = word(top);
    descriptor_.Width = word(width);
    descriptor_.Height = word(height);
    if (resized) {
        DropBitmap();
        DropMask();
        AllocatePixels();
    }
    if (!Image) return;
    bool exceeded = false;
    int right = Left() + Width(), bottom = Top() + Height();
    if (Image->ScreenWidth() < right) {
        if (Image->ScreenWidth() > 0) {
            ReportWarning(1, gifmsg::WidthTooSmall);
            exceeded = true;
        }
        Image->SetScreenWidth(right);
    }
    if (Image->ScreenHeight() < bottom) {
        if (Image->ScreenHeight() > 0) {
            ReportWarning(1, gifmsg::HeightTooSmall);
            exceeded = true;
        }
        Image->SetScreenHeight(bottom);
    }
    if (exceeded) ReportWarning(1, gifmsg::ExceedsScreen);
}

void TGIFSubImage::SetInterlaced(bool value) {
    if (value)
        descriptor_.PackedFields |= 0x40;
    else
        descriptor_.PackedFields &= static_cast<Byte>(~0x40);
}

TGIFColorMap& TGIFSubImage::EffectiveColorMap() {
    if (ownColorMap_.Count() == 0 && Image && Image->GlobalColorMap().Count() > 0)
        return Image->GlobalColorMap();
    return ownColorMap_;
}

int TGIFSubImage::RequiredVersion() {
    if (ownColorMap_.SortedByUsage()) return 2;
    int version = TGIFItem::RequiredVersion();
    if (extensions_.Count() > 0)
        version = std::max(version, extensions_.ItemAt(0)->RequiredVersion());
    return version;
}

void TGIFSubImage::UpdatePackedFields() {
    if (ownColorMap_.Count() > 0) {
        descriptor_.PackedFields = static_cast<Byte>(
            0x80 | (ownColorMap_.SortedByUsage() ? 0x20 : 0) | (ResolutionField() & 7));
    } else {
        descriptor_.PackedFields &= 0x58;
    }
}

int TGIFSubImage::TransparentIndex() const {
    return control_ ? control_->TransparentIndex() : 0;
}

TGIFGraphicControlExtension& TGIFSubImage::EnsureControlExtension() {
    if (!control_) {
        auto* gce = CreateObject<TGIFGraphicControlExtension>(this);
        extensions_.AppendItem(gce);
    }
    return *control_;
}

void TGIFSubImage::CountPixelUsage(TColorUsageTable& usage) const {
    if (!hasPixels_) return;
    Unpack();
    // Counted as held: the fill needs no pixels made for it.
    const Byte* p = pixels_.get();
    for (Int64 i = 0; i < held_; ++i)
        ++usage[p[i]].Count;
    usage[fill_].Count += pixelCount_ - held_;
}

void TGIFSubImage::RemapPixelValues(const TColorIndexTable& table) {
    if (hasPixels_) {
        Unpack();
        DropCode();
        Byte* p = pixels_.get();
        for (Int64 i = 0; i < held_; ++i)
            p[i] = table[p[i]];
        fill_ = table[fill_];
    }
    if (transparent_ && control_)
        control_->SetTransparentIndex(table[control_->TransparentIndex()]);
}

void TGIFSubImage::SaveToStream(TStream& stream) {
    extensions_.SaveToStream(stream);
    if (IsEmpty()) return;
    UpdatePackedFields();
    descriptor_.Write(stream);
    ownColorMap_.WriteTriplets(stream);
    WriteImageData(*this, stream);
}

void TGIFSubImage::LoadFromStream(TStream& stream) {
    Reset();
    // Zero bytes between the extensions and the image are skipped by the extension reader,
    // so the extensions stay with the image that follows them.
    extensions_.LoadFromStream(stream, this);
    int b = ReadByteFrom(stream);
    if (b == kEndOfStream) return;
    stream.Seek(-1, soCurrent);
    if (b == kTrailer || b == 0) return;
    descriptor_.Read(stream);
    if (Width() == 0 || Height() == 0) {
        descriptor_.Width = static_cast<Word>(Image ? Image->ScreenWidth() : 0);
        descriptor_.Height = static_cast<Word>(Image ? Image->ScreenHeight() : 0);
        ReportWarning(1, gifmsg::ExceedsScreen);
    }
    if (descriptor_.PackedFields & 0x80)
        ownColorMap_.ReadTriplets(stream, 2 << (descriptor_.PackedFields & 7));
    ReadImageData(*this, stream);
}

void ReadImageData(TGIFSubImage& frame, TStream& stream) {
    frame.AllocatePixels();
    Byte fill = frame.IsTransparent() ? static_cast<Byte>(frame.TransparentIndex()) : 0;
    GIFDecodedPixels decoded =
        DecodeImagePixels(stream, frame.Width(), frame.Height(), frame.IsInterlaced(), fill,
                          [&frame](const String& message) { frame.ReportWarning(1, message); });
    frame.AdoptPixels(std::move(decoded.Pixels), decoded.Size, fill);
}

void WriteImageData(TGIFSubImage& frame, TStream& stream) {
    const TGIFSubImage::CodingKey key = frame.ImageDataKey();
    if (const std::vector<Byte>* coded = frame.CodedPixels(key)) {
        stream.WriteBuffer(coded->data(), static_cast<Int64>(coded->size()));
        return;
    }
    EncodeImageData(stream, frame.PixelData(), frame.Width(), frame.Height(), key.interlaced,
                    key.bits, key.maxColor, key.kind,
                    [&frame](const String& message) { frame.ReportWarning(1, message); });
}

// A frame's pixels kept coded: an animation of many frames holds each one as the few bytes
// of its image data while nothing shows or changes it, and decodes it when something does.
#include "gif/GIFSubImage.h"

#include "gif/GIFImageCore.h"
#include "gif/codec/GIFEncoders.h"
#include "gif/codec/GIFLZWDecoder.h"

#include <algorithm>

TGIFSubImage::CodingKey TGIFSubImage::ImageDataKey() {
    CodingKey key;
    if (OwnColorMap().Count() == 0) {
        key.bits = Image ? Image->MaxBitsPerPixel() : 8;
        key.maxColor = 1 << key.bits;
    } else {
        key.bits = OwnColorMap().RequiredBits();
        key.maxColor = OwnColorMap().Count();
    }
    key.kind = Image ? Image->CompressionKind() : kCompressLZW;
    key.interlaced = IsInterlaced();
    return key;
}

const std::vector<Byte>* TGIFSubImage::CodedPixels(const CodingKey& key) const {
    return !coded_.empty() && codedKey_ == key ? &coded_ : nullptr;
}

void TGIFSubImage::Pack() {
    if (IsEmpty()) return;
    const CodingKey key = ImageDataKey();
    if (!CodedPixels(key)) {
        TMemoryStream stream;
        bool warned = false;
        EncodeImageData(stream, PixelData(), Width(), Height(), key.interlaced, key.bits,
                        key.maxColor, key.kind, [&warned](const String&) { warned = true; });
        // A problem is reported where it belongs, when the frame is written.
        if (warned) return;
        const Byte* bytes = stream.Memory();
        coded_.assign(bytes, bytes + stream.Size());
        codedKey_ = key;
    }
    pixels_.reset();
    held_ = 0;
    codedOnly_ = true;
    DropBitmap();
    DropMask();
}

void TGIFSubImage::Unpack() const {
    if (!codedOnly_) return;
    codedOnly_ = false;
    TMemoryStream stream;
    stream.WriteBuffer(coded_.data(), static_cast<Int64>(coded_.size()));
    stream.SetPosition(0);
    // Our own coding of every pixel: it decodes whole and without a warning.
    GIFDecodedPixels decoded =
        DecodeImagePixels(stream, Width(), Height(), codedKey_.interlaced, 0, [](const String&) {});
    pixels_ = std::move(decoded.Pixels);
    held_ = pixels_ ? std::clamp<Int64>(decoded.Size, 0, pixelCount_) : 0;
}

void TGIFSubImage::DropCode() {
    coded_ = {};
    codedOnly_ = false;
}

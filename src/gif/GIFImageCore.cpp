#include "gif/GIFImageCore.h"

#include "gif/GIFSubImage.h"
#include "gif/codec/GIFException.h"
#include "gif/codec/GIFStreamIO.h"

#include <algorithm>

int PercentOf(Int64 done, Int64 total) {
    if (total <= 0) return 0;
    return static_cast<int>((done * 100 + total / 2) / total);
}

// --- TGIFImageList ---

TGIFSubImage* TGIFImageList::GetFrame(int index) const {
    return static_cast<TGIFSubImage*>(ItemAt(index));
}

void TGIFImageList::SaveToStream(TStream& stream) {
    int n = Count();
    for (int i = 0; i < n; ++i) {
        GetFrame(i)->SaveToStream(stream);
        if (Image) Image->ReportProgress(this, psRunning, PercentOf(i + 1, n), gifmsg::Saving);
    }
}

void TGIFImageList::LoadFromStream(TStream& stream, TObject* parent) {
    int b = ReadByteSkippingPadding(stream);
    if (b == kEndOfStream) return;
    Int64 size = stream.Size();
    while (b != kTrailer) {
        stream.Seek(-1, soCurrent);
        if (b != kExtensionIntroducer && b != kImageSeparator) {
            ReportWarning(1, gifmsg::UnknownBlockType);
            return;
        }
        ObjectPtr<TGIFSubImage> frame = MakeObject<TGIFSubImage>(Image);
        frame->LoadFromStream(stream);
        AppendItem(frame.release());
        if (Image)
            Image->ReportProgress(this, psRunning, PercentOf(stream.Position(), size),
                                  gifmsg::Loading);
        b = ReadByteSkippingPadding(stream);
        if (b == kEndOfStream) return;
    }
    stream.Seek(-1, soCurrent);
}

// --- GIFImageCore ---

GIFImageCore::GIFImageCore()
    : header_(CreateObject<TGIFHeader>(this)), frames_(CreateObject<TGIFImageList>(this)) {}

GIFImageCore::~GIFImageCore() {
    // Frames first, while the list they leave and the header they look at still exist.
    frames_->ClearItems();
    frames_.reset();
    header_.reset();
}

void GIFImageCore::SetScreenWidth(int width) {
    for (int i = 0; i < Frames().Count(); ++i) {
        TGIFSubImage* f = Frames().GetFrame(i);
        if (f->Left() + f->Width() > width) RaiseGIFError(gifmsg::WidthTooSmall);
    }
    header_->ScreenDescriptor.ScreenWidth = static_cast<Word>(std::clamp(width, 0, 0xFFFF));
}

void GIFImageCore::SetScreenHeight(int height) {
    for (int i = 0; i < Frames().Count(); ++i) {
        TGIFSubImage* f = Frames().GetFrame(i);
        if (f->Top() + f->Height() > height) RaiseGIFError(gifmsg::HeightTooSmall);
    }
    header_->ScreenDescriptor.ScreenHeight = static_cast<Word>(std::clamp(height, 0, 0xFFFF));
}

int GIFImageCore::RequiredVersion() {
    int version = 0;
    for (int i = 0; i < Frames().Count(); ++i) {
        version = std::max(version, Frames().GetFrame(i)->RequiredVersion());
        if (version >= 2) break;
    }
    return version;
}

int GIFImageCore::MaxBitsPerPixel() {
    int bits = header_->BitsPerPixel();
    for (int i = 0; i < Frames().Count(); ++i)
        bits = std::max(bits, Frames().GetFrame(i)->PixelBits());
    return bits;
}

int GIFImageCore::MaxColorResolution() {
    int res = header_->ColorResolution();
    for (int i = 0; i < Frames().Count(); ++i)
        res = std::max(res, Frames().GetFrame(i)->ResolutionField());
    return res;
}

void GIFImageCore::ReadGIF(TStream& stream) {
    header_->LoadFromStream(stream);
    frames_->LoadFromStream(stream, nullptr);
    TGIFTrailer trailer(this);
    trailer.LoadFromStream(stream);
}

void GIFImageCore::CheckMissingPixels() {
    Int64 missing = 0;
    for (int i = 0; i < Frames().Count(); ++i)
        missing += Frames().GetFrame(i)->MissingPixels();
    if (missing > kMaxMissingPixels) RaiseGIFError(gifmsg::ImageTooLarge);
}

void GIFImageCore::WriteGIF(TStream& stream) {
    CheckMissingPixels();
    header_->SaveToStream(stream);
    frames_->SaveToStream(stream);
    TGIFTrailer trailer(this);
    trailer.SaveToStream(stream);
}

void GIFImageCore::ReportWarning(TObject* sender, int severity, const String& message) {
    if (warningHandler_) warningHandler_(sender, severity, message);
}

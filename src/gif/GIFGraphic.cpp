// TGIFGraphic's content: frames, screen size, palette, copying, streams, the clipboard and
// the registration with TPicture. Drawing and painters are in GIFGraphicPaint.cpp.
#include "gif/GIFGraphic.h"

#include "framework/Picture.h"
#include "framework/ProgressScope.h"
#include "gif/GIFPainter.h"
#include "gif/GIFPalettes.h"
#include "gif/GIFSubImage.h"
#include "gif/codec/GIFException.h"
#include "gif/codec/GIFReadAhead.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Object.h"
#include "platform/user/Clipboard.h"
#include "rtl/ScopeGuard.h"

#include <atomic>
#include <cstring>

namespace {

constexpr const char* kCopying = "Copying...";
constexpr const char* kObjectNotSupported = "Object type not supported for operation";
constexpr const char* kNoColorTable = "No global or local color table defined";
constexpr const char* kUnsupportedClipboardFormat = "Unsupported clipboard format";
constexpr const char* kClipboardRefused = "Failed to store GIF on clipboard";
constexpr const char* kClipboardFormatName = "GIF Image";

const TRect kNoRect = {0, 0, 0, 0};

// What GIFGraphicInit found; read on any thread.
std::atomic<Word> clipboardFormat{0};
std::atomic<bool> palettedDisplay{false};

} // namespace

Word GIFClipboardFormat() {
    return clipboardFormat.load();
}

bool PalettedDisplay() {
    return palettedDisplay.load();
}

TGIFGraphic::TGIFGraphic() : alive_(std::make_shared<int>(0)) {}

TGIFGraphic::~TGIFGraphic() = default;

void TGIFGraphic::AfterConstruction() {
    inherited::AfterConstruction();
    MakeEmpty();
}

void TGIFGraphic::Destroy() {
    StopPainters();
    {
        // Synchronous painters further up the stack are still listed: they must let go.
        LockedList painters(painterList_);
        for (int i = 0; i < painters->Count(); ++i)
            painters->Get(i)->ForgetImage();
        painters->Clear();
    }
    alive_.reset();
    MakeEmpty();
    paletteHandle_.reset();
    inherited::Destroy();
}

void TGIFGraphic::MakeEmpty() {
    StopPainters();
    FreeRenderedBitmap();
    Frames().ClearItems();
    GlobalColorMap().Reset();
    StreamHeader().ScreenDescriptor.ScreenWidth = 0;
    StreamHeader().ScreenDescriptor.ScreenHeight = 0;
    StreamHeader().PreparePackedFields();
    SetPaletteHandle(0);
}

int TGIFGraphic::AddFrame(TPersistent* source) {
    auto* frame = dynamic_cast<TGIFSubImage*>(source);
    if (frame) {
        // A frame belongs to one image's list only.
        if (frame->Image != this) RaiseGIFError(kObjectNotSupported);
        int at = Frames().Items.IndexOf(frame);
        if (at >= 0) return at;
    } else {
        if (!dynamic_cast<TGraphic*>(source)) RaiseGIFError(kObjectNotSupported);
        Word width = StreamHeader().ScreenDescriptor.ScreenWidth;
        Word height = StreamHeader().ScreenDescriptor.ScreenHeight;
        ObjectPtr<TGIFSubImage> made = MakeObject<TGIFSubImage>(this);
        // A failed conversion leaves no frame, nor a screen grown for it.
        ScopeGuard restoreScreen([&] {
            StreamHeader().ScreenDescriptor.ScreenWidth = width;
            StreamHeader().ScreenDescriptor.ScreenHeight = height;
        });
        made->CopyFrom(source);
        restoreScreen.Dismiss();
        frame = made.release(); // appended below
    }
    // Painters read the frame list on their own threads.
    StopPainters();
    int index = Frames().AppendItem(frame);
    FreeRenderedBitmap();
    Changed(this);
    return index;
}

bool TGIFGraphic::IsEmpty() const {
    return const_cast<TGIFGraphic*>(this)->Frames().Count() == 0;
}

void TGIFGraphic::SetScreenWidth(int width) {
    int old = ScreenWidth();
    GIFImageCore::SetScreenWidth(width);
    if (ScreenWidth() != old) {
        FreeRenderedBitmap();
        Changed(this);
    }
}

void TGIFGraphic::SetScreenHeight(int height) {
    int old = ScreenHeight();
    GIFImageCore::SetScreenHeight(height);
    if (ScreenHeight() != old) {
        FreeRenderedBitmap();
        Changed(this);
    }
}

void TGIFGraphic::CheckPixelBudget(Int64 framePixels) {
    Int64 total = framePixels;
    for (int i = 0; i < Frames().Count(); ++i)
        total += Frames().GetFrame(i)->PixelCount();
    if (total > kMaxImagePixels) RaiseGIFError(gifmsg::ImageTooLarge);
}

bool TGIFGraphic::ShouldDither() const {
    return (paintOptions_ & drDither) && (!(paintOptions_ & drAutoDither) || PalettedDisplay());
}

TGIFPainterLink* TGIFGraphic::ViewPainter() const {
    LockedList painters(const_cast<TThreadList<TGIFPainterLink*>&>(painterList_));
    return viewPainter_;
}

int TGIFGraphic::PainterCount() {
    LockedList painters(painterList_);
    return painters->Count();
}

void TGIFGraphic::DetachPainter(TGIFPainterLink* painter, TGIFPainterLink** ownerSlot) {
    LockedList painters(painterList_);
    if (ownerSlot && *ownerSlot == painter) *ownerSlot = nullptr;
    painters->Remove(painter);
}

HPALETTE TGIFGraphic::GetPaletteHandle() {
    if (queryingPalette_) RaiseGIFError(kNoColorTable);
    if (renderedBitmap_ && renderedBitmap_->Palette()) return renderedBitmap_->Palette();
    if (paletteHandle_) return paletteHandle_.get();
    if (ShouldDither()) {
        paletteHandle_.reset(BuildNetscapePalette());
        return paletteHandle_.get();
    }
    if (GlobalColorMap().Count() > 0) {
        paletteHandle_.reset(GlobalColorMap().ToPalette());
        return paletteHandle_.get();
    }
    if (IsEmpty()) return 0;
    queryingPalette_ = true;
    ScopeGuard done([this] { queryingPalette_ = false; });
    return Frames().GetFrame(0)->GetPaletteHandle();
}

void TGIFGraphic::SetPaletteHandle(HPALETTE palette) {
    if (palette == paletteHandle_.get()) return;
    paletteHandle_.reset(palette);
    if (renderedBitmap_ && renderedBitmap_->Palette() != palette) {
        FreeRenderedBitmap();
        SetPaletteModified(true);
        Changed(this);
    }
}

void TGIFGraphic::FrameChanged(TGIFSubImage* frame) {
    Changed(frame);
}

void TGIFGraphic::GlobalColorsChanged() {
    SetPaletteHandle(0);
}

void TGIFGraphic::FrameColorsChanged(TGIFSubImage& frame) {
    // Only the palette made of the old colours goes; the cached rendering is dropped by
    // whoever renumbers pixels (an import reads its bitmap while the colours arrive).
    frame.DropPalette();
}

void TGIFGraphic::ReportProgress(TObject* sender, TProgressStage stage, int percent,
                                 const String& message, bool redraw) {
    Progress(sender, stage, static_cast<Byte>(percent), redraw, kNoRect, message);
}

void TGIFGraphic::CopyToBitmap(TPersistent* target) {
    if (auto* bitmap = dynamic_cast<TBitmap*>(target)) {
        bitmap->Assign(GetRenderedBitmap());
        return;
    }
    inherited::AssignTo(target);
}

void TGIFGraphic::CopyFrom(TPersistent* source) {
    if (source == this) return;
    if (!source) {
        MakeEmpty();
        return;
    }
    if (auto* other = dynamic_cast<TGIFGraphic*>(source)) {
        MakeEmpty();
        OnProgress = other->OnProgress;
        SetWarningHandler(other->WarningHandler());
        // The copy reports to the source's handlers while it is made, and keeps none.
        ScopeGuard dropHandlers([this] {
            OnProgress = nullptr;
            SetWarningHandler(nullptr);
        });
        ProgressScope progress([this](TProgressStage stage, Byte percent) {
            Progress(this, stage, percent, false, kNoRect, kCopying);
        });
        StreamHeader().Assign(&other->StreamHeader());
        CopySettings(*other);
        CopyFrames(*other);
        progress.Finish();
        return;
    }
    MakeEmpty();
    ObjectPtr<TGIFSubImage> frame = MakeObject<TGIFSubImage>(this);
    bool converted = false;
    {
        // A failed conversion leaves neither a frame nor a screen grown for it.
        ScopeGuard clear([&] {
            frame.reset();
            MakeEmpty();
        });
        try {
            frame->CopyFrom(source);
            converted = true;
        } catch (EConvertError&) {
            // Not a picture a frame can take: the source may know how to give itself to us.
        }
        if (converted) clear.Dismiss();
    }
    if (!converted) {
        inherited::Assign(source);
        return;
    }
    AddFrame(frame.get());
    frame.release(); // the frame list owns it now
}

void TGIFGraphic::CopySettings(const TGIFGraphic& source) {
    // The quantiser's bits, the compression and the speed stay this image's own.
    painterPriority_ = source.painterPriority_;
    backdropColor_ = source.backdropColor_;
    paintOptions_ = source.paintOptions_;
    reductionMethod_ = source.reductionMethod_;
    ditherMethod_ = source.ditherMethod_;
    SetWarningHandler(source.WarningHandler());
    paintHandlers_ = source.paintHandlers_;
}

void TGIFGraphic::CopyFrames(TGIFGraphic& source) {
    int n = source.Frames().Count();
    for (int i = 0; i < n; ++i) {
        ObjectPtr<TGIFSubImage> frame = MakeObject<TGIFSubImage>(this);
        frame->CopyFrom(source.Frames().GetFrame(i));
        AddFrame(frame.get());
        frame.release(); // the frame list owns it now
        Progress(this, psRunning, static_cast<Byte>(PercentOf(i + 1, n)), false, kNoRect, kCopying);
    }
}

void TGIFGraphic::LoadFromStream(TStream& Stream) {
    // Other streams (files) are read ahead in large pieces; a failed load has put the
    // source back where it began, a good one leaves it right after the GIF.
    if (!dynamic_cast<TMemoryStream*>(&Stream) && !dynamic_cast<GIFReadAheadStream*>(&Stream)) {
        GIFReadAheadStream ahead(Stream);
        ScopeGuard settle([&] { ahead.Settle(); });
        LoadFromStream(ahead);
        return;
    }
    ProgressScope progress([this](TProgressStage stage, Byte percent) {
        // The start does not ask for a redraw; the end does, either way.
        Progress(this, stage, percent, stage == psEnding, kNoRect, gifmsg::Loading);
    });
    MakeEmpty();
    Int64 start = Stream.Position();
    {
        // A failed load leaves the image empty and the stream where the load began.
        ScopeGuard undo([&] {
            Stream.SetPosition(start);
            MakeEmpty();
        });
        // What is not a GIF at all is refused whole.
        StreamHeader().LoadFromStream(Stream);
        try {
            Frames().LoadFromStream(Stream, this);
            TGIFTrailer trailer(this);
            trailer.LoadFromStream(Stream);
        } catch (EGIFPrematureEnd& e) {
            // A stream cut short shows the frames that arrived whole, as viewers do.
            if (Frames().Count() == 0) throw;
            ReportWarning(this, kGIFWarningSeverity, e.Message());
        }
        undo.Dismiss();
    }
    progress.Finish();
    Changed(this);
}

void TGIFGraphic::SaveToStream(TStream& Stream) {
    ProgressScope progress([this](TProgressStage stage, Byte percent) {
        Progress(this, stage, percent, stage == psEnding, kNoRect, gifmsg::Saving);
    });
    WriteGIF(Stream);
    progress.Finish();
}

void TGIFGraphic::LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) {
    bool opened = false;
    const Word gifFormat = GIFClipboardFormat();
    if (!AData && (AFormat == CF_BITMAP || (gifFormat && AFormat == gifFormat))) {
        opened = OpenClipboard(0);
        AData = GetClipboardData(AFormat);
    }
    ScopeGuard close([opened] {
        if (opened) CloseClipboard();
    });
    if (!AData) RaiseGIFError(kUnsupportedClipboardFormat);
    if (gifFormat && AFormat == gifFormat) {
        TMemoryStream stream;
        HGLOBAL block = static_cast<HGLOBAL>(AData);
        SIZE_T size = GlobalSize(block);
        void* bytes = GlobalLock(block);
        if (!bytes) RaiseGIFError(kUnsupportedClipboardFormat);
        {
            ScopeGuard unlock([block] { GlobalUnlock(block); });
            if (size > 0) stream.WriteBuffer(bytes, static_cast<Int64>(size));
        }
        stream.SetPosition(0);
        LoadFromStream(stream);
        return;
    }
    if (AFormat == CF_BITMAP) {
        ObjectPtr<TBitmap> bitmap(CreateObject<TBitmap>());
        bitmap->LoadFromClipboardFormat(AFormat, AData, APalette);
        CopyFrom(bitmap.get());
        return;
    }
    RaiseGIFError(kUnsupportedClipboardFormat);
}

void TGIFGraphic::SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) {
    if (IsEmpty()) return;
    GetRenderedBitmap()->SaveToClipboardFormat(AFormat, AData, APalette);
    TMemoryStream stream;
    SaveToStream(stream);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(stream.Size()));
    if (!block) RaiseGIFError(kClipboardRefused);
    // The block is the clipboard's once it took it.
    ScopeGuard freeBlock([block] { GlobalFree(block); });
    void* bytes = GlobalLock(block);
    if (!bytes) RaiseGIFError(kClipboardRefused);
    std::memcpy(bytes, stream.Memory(), static_cast<size_t>(stream.Size()));
    GlobalUnlock(block);
    if (!SetClipboardData(GIFClipboardFormat(), block)) RaiseGIFError(kClipboardRefused);
    freeBlock.Dismiss();
}

void GIFGraphicInit() {
    TGraphicClass cls = GraphicClass<TGIFGraphic>();
    TPicture::RegisterFileFormat("GIF", "GIF Image", cls);
    clipboardFormat.store(static_cast<Word>(RegisterClipboardFormat(kClipboardFormatName)));
    TPicture::RegisterClipboardFormat(GIFClipboardFormat(), cls);
    InstallGIFPainter();
    HDC dc = GetDC(0);
    if (dc) {
        palettedDisplay.store(GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) <= 8);
        ReleaseDC(0, dc);
    }
}

void GIFGraphicDone() {
    TPicture::UnregisterGraphicClass(GraphicClass<TGIFGraphic>());
    SetGIFPainterMaker(nullptr);
}

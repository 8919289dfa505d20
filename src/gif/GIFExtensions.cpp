#include "gif/GIFExtensions.h"

#include "gif/GIFImageCore.h"
#include "gif/GIFSubImage.h"
#include "gif/codec/GIFException.h"
#include "gif/codec/GIFStreamIO.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

struct Registry {
    std::mutex lock;
    std::vector<const TGIFExtensionClass*> byLabel;
    std::vector<std::pair<const TGIFExtensionClass*, TGIFAppId>> byAppId;
};

TGIFAppId AppIdOf(const char* text) {
    TGIFAppId id{};
    std::memcpy(id.data(), text, 11);
    return id;
}

struct BuiltInRegistry : Registry {
    BuiltInRegistry() {
        byLabel = {&TGIFTextExtension::Class, &TGIFGraphicControlExtension::Class,
                   &TGIFCommentExtension::Class, &TGIFUnknownAppExtension::Class};
        byAppId = {{&TGIFAppExtNSLoop::Class, AppIdOf("NETSCAPE2.0")},
                   {&TGIFAppExtNSLoop::Class, AppIdOf("ANIMEXTS1.0")}};
    }
};

Registry& Registries() {
    static BuiltInRegistry r;
    return r;
}

template <class T> TGIFExtension* Make(TGIFSubImage* frame) {
    return CreateObject<T>(frame);
}

// Skips data sub-blocks through the zero count (or the end of the stream).
void SkipSubBlocks(TStream& stream) {
    Byte buf[255];
    for (int n = ReadByteFrom(stream); n > 0; n = ReadByteFrom(stream))
        if (stream.Read(buf, n) < n) return;
}

} // namespace

const TGIFExtensionClass TGIFGraphicControlExtension::Class = {"TGIFGraphicControlExtension", Label,
                                                               &Make<TGIFGraphicControlExtension>};
const TGIFExtensionClass TGIFTextExtension::Class = {"TGIFTextExtension", Label,
                                                     &Make<TGIFTextExtension>};
const TGIFExtensionClass TGIFCommentExtension::Class = {"TGIFCommentExtension", Label,
                                                        &Make<TGIFCommentExtension>};
const TGIFExtensionClass TGIFUnknownAppExtension::Class = {
    "TGIFUnknownAppExtension", TGIFApplicationExtension::Label, &Make<TGIFUnknownAppExtension>};
const TGIFExtensionClass TGIFAppExtNSLoop::Class = {
    "TGIFAppExtNSLoop", TGIFApplicationExtension::Label, &Make<TGIFAppExtNSLoop>};

void RegisterExtensionClass(const TGIFExtensionClass& cls) {
    Registry& r = Registries();
    std::lock_guard<std::mutex> hold(r.lock);
    r.byLabel.push_back(&cls);
}

void RegisterAppExtensionClass(const TGIFExtensionClass& cls, const TGIFAppId& id) {
    Registry& r = Registries();
    std::lock_guard<std::mutex> hold(r.lock);
    r.byAppId.emplace_back(&cls, id);
}

const TGIFExtensionClass* FindExtensionClass(Byte label) {
    Registry& r = Registries();
    std::lock_guard<std::mutex> hold(r.lock);
    for (auto it = r.byLabel.rbegin(); it != r.byLabel.rend(); ++it)
        if ((*it)->Label == label) return *it;
    return nullptr;
}

const TGIFExtensionClass* FindAppExtensionClass(const TGIFAppId& id) {
    Registry& r = Registries();
    std::lock_guard<std::mutex> hold(r.lock);
    for (auto it = r.byAppId.rbegin(); it != r.byAppId.rend(); ++it)
        if (it->second == id) return it->first;
    return nullptr;
}

const TGIFExtensionClass* ResolveExtensionClass(TStream& stream) {
    Int64 start = stream.Position();
    int label = ReadByteFrom(stream);
    if (label == kEndOfStream) return nullptr;
    const TGIFExtensionClass* cls = FindExtensionClass(static_cast<Byte>(label));
    // An application extension's class comes from its identifier, looked up once: the data
    // sub-blocks that follow are data, never another identifier.
    if (cls && label == TGIFApplicationExtension::Label && cls == &TGIFUnknownAppExtension::Class) {
        if (ReadByteFrom(stream) == 11) {
            TGIFAppId id;
            if (stream.Read(id.data(), 11) == 11) {
                if (const TGIFExtensionClass* app = FindAppExtensionClass(id)) cls = app;
            }
        }
    }
    stream.SetPosition(start);
    return cls;
}

// --- TGIFExtension ---

TGIFExtension::TGIFExtension(TGIFSubImage* frame)
    : TGIFItem(frame ? frame->Image : nullptr), Frame(frame) {}

TGIFExtension::~TGIFExtension() {
    if (Frame) Frame->FrameExtensions().RemoveItem(this);
}

void TGIFExtension::SaveToStream(TStream& stream) {
    WriteByteTo(stream, kExtensionIntroducer);
    WriteByteTo(stream, ExtensionLabel());
}

void TGIFExtension::LoadFromStream(TStream& stream) {
    Byte b[2];
    ReadExactly(stream, b, 2);
    if (b[0] != kExtensionIntroducer) RaiseGIFError(gifmsg::InvalidExtensionIntroducer);
    if (b[1] != ExtensionLabel()) RaiseGIFError(gifmsg::ExtensionMismatch);
}

// --- graphic control ---

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* frame)
    : TGIFExtension(frame) {
    if (Frame && !Frame->control_) Frame->control_ = this;
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
    if (!IsFramesOwn()) return;
    if (HasTransparency()) Frame->transparent_ = false;
    Frame->control_ = nullptr;
}

bool TGIFGraphicControlExtension::IsFramesOwn() const {
    return Frame && Frame->control_ == this;
}

void TGIFGraphicControlExtension::SaveToStream(TStream& stream) {
    TGIFExtension::SaveToStream(stream);
    Byte b[6] = {4,
                 ControlBlock.PackedFields,
                 static_cast<Byte>(ControlBlock.DelayTime),
                 static_cast<Byte>(ControlBlock.DelayTime >> 8),
                 ControlBlock.TransparentColorIndex,
                 0};
    stream.WriteBuffer(b, 6);
}

void TGIFGraphicControlExtension::LoadFromStream(TStream& stream) {
    TGIFExtension::LoadFromStream(stream);
    int size = ReadByteFrom(stream);
    // A size of 0 is the block's own terminator: the image separator after it is no
    // sub-block length. The extension keeps its defaults.
    if (size == kEndOfStream || size == 0) {
        ReportWarning(1, gifmsg::PrematureEnd);
        return;
    }
    Byte b[255] = {};
    Int64 got = stream.Read(b, size);
    if (got < size) {
        ReportWarning(1, gifmsg::PrematureEnd);
        return;
    }
    ControlBlock.BlockSize = 4;
    ControlBlock.PackedFields = b[0];
    ControlBlock.DelayTime = Le16(b + 1);
    ControlBlock.TransparentColorIndex = b[3];
    ControlBlock.Terminator = 0;
    // The terminator, and any sub-block some writer put before it.
    SkipSubBlocks(stream);
    // A second control extension in front of the same frame is kept but does not decide.
    if (HasTransparency() && IsFramesOwn()) Frame->transparent_ = true;
}

void TGIFGraphicControlExtension::SetTransparentIndex(int index) {
    int count = Frame ? Frame->EffectiveColorMap().Count() : 0;
    if (count > 0 && index >= count) {
        ReportWarning(1, gifmsg::InvalidColorIndex);
        index = 0;
    }
    const Byte value = static_cast<Byte>(index);
    if (ControlBlock.TransparentColorIndex == value) return;
    ControlBlock.TransparentColorIndex = value;
    if (IsFramesOwn() && Frame->IsTransparent()) FrameRenderingChanged();
}

void TGIFGraphicControlExtension::SetHasTransparency(bool value) {
    bool changed = HasTransparency() != value;
    if (IsFramesOwn()) Frame->transparent_ = value;
    if (value)
        ControlBlock.PackedFields |= 1;
    else
        ControlBlock.PackedFields &= static_cast<Byte>(~1);
    if (changed && IsFramesOwn()) FrameRenderingChanged();
}

void TGIFGraphicControlExtension::FrameRenderingChanged() {
    // The mask, and the dithered rendering that fills the transparent pixels, were made for
    // the old transparency.
    Frame->DropBitmap();
    Frame->DropMask();
}

// --- text and comment ---

void TGIFTextExtension::SaveToStream(TStream& stream) {
    TGIFExtension::SaveToStream(stream);
    const TGIFPlainTextRec& t = TextBlock;
    Byte b[13] = {t.BlockSize,
                  static_cast<Byte>(t.Left),
                  static_cast<Byte>(t.Left >> 8),
                  static_cast<Byte>(t.Top),
                  static_cast<Byte>(t.Top >> 8),
                  static_cast<Byte>(t.Width),
                  static_cast<Byte>(t.Width >> 8),
                  static_cast<Byte>(t.Height),
                  static_cast<Byte>(t.Height >> 8),
                  t.CellWidth,
                  t.CellHeight,
                  t.TextFGColorIndex,
                  t.TextBGColorIndex};
    stream.WriteBuffer(b, 13);
    WriteLinesAsSubBlocks(stream, Lines);
}

void TGIFTextExtension::LoadFromStream(TStream& stream) {
    TGIFExtension::LoadFromStream(stream);
    Byte b[13];
    ReadExactly(stream, b, 13);
    TextBlock = {b[0], Le16(b + 1), Le16(b + 3), Le16(b + 5), Le16(b + 7),
                 b[9], b[10],       b[11],       b[12]};
    ReadSubBlocksAsLines(stream, Lines);
}

void TGIFCommentExtension::SaveToStream(TStream& stream) {
    TGIFExtension::SaveToStream(stream);
    WriteLinesAsSubBlocks(stream, Lines);
}

void TGIFCommentExtension::LoadFromStream(TStream& stream) {
    TGIFExtension::LoadFromStream(stream);
    ReadSubBlocksAsLines(stream, Lines);
}

// --- application extensions ---

void TGIFApplicationExtension::SaveToStream(TStream& stream) {
    TGIFExtension::SaveToStream(stream);
    WriteByteTo(stream, 11);
    stream.WriteBuffer(AppId.data(), 11);
    SaveAppData(stream);
}

void TGIFApplicationExtension::LoadFromStream(TStream& stream) {
    TGIFExtension::LoadFromStream(stream);
    int size = ReadByteFrom(stream);
    if (size == kEndOfStream) RaisePrematureEnd();
    if (size < 10) RaiseGIFError(gifmsg::AppExtBlockSize);
    AppId.fill(0);
    if (size == 10) {
        ReadExactly(stream, AppId.data(), 10);
    } else {
        ReadExactly(stream, AppId.data(), 11);
        Byte skip[255];
        ReadExactly(stream, skip, size - 11);
    }
    LoadAppData(stream);
}

void TGIFUnknownAppExtension::SaveAppData(TStream& stream) {
    for (const auto& block : Blocks) {
        WriteByteTo(stream, static_cast<Byte>(block.size()));
        stream.WriteBuffer(block.data(), static_cast<Int64>(block.size()));
    }
    WriteByteTo(stream, 0);
}

void TGIFUnknownAppExtension::LoadAppData(TStream& stream) {
    Blocks.clear();
    for (int n = ReadByteFrom(stream); n > 0; n = ReadByteFrom(stream)) {
        std::vector<Byte> block(static_cast<size_t>(n));
        ReadExactly(stream, block.data(), n);
        Blocks.push_back(std::move(block));
    }
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* frame) : TGIFApplicationExtension(frame) {
    std::memcpy(AppId.data(), "NETSCAPE2.0", 11);
}

void TGIFAppExtNSLoop::SaveAppData(TStream& stream) {
    Byte loop[4] = {3, 1, static_cast<Byte>(LoopCount), static_cast<Byte>(LoopCount >> 8)};
    stream.WriteBuffer(loop, 4);
    if (BufferBytes != 0) {
        Byte buffer[6] = {5,
                          2,
                          static_cast<Byte>(BufferBytes),
                          static_cast<Byte>(BufferBytes >> 8),
                          static_cast<Byte>(BufferBytes >> 16),
                          static_cast<Byte>(BufferBytes >> 24)};
        stream.WriteBuffer(buffer, 6);
    }
    WriteByteTo(stream, 0);
}

void TGIFAppExtNSLoop::LoadAppData(TStream& stream) {
    // The end of the stream ends the sub-blocks as a terminator would.
    for (int size = ReadByteFrom(stream); size > 0; size = ReadByteFrom(stream)) {
        int id = ReadByteFrom(stream);
        if (id == kEndOfStream) return;
        int rest = size - 1;
        Byte b[255];
        if ((id & 7) == 1) {
            if (rest < 2) RaiseGIFError(gifmsg::InvalidData);
            ReadExactly(stream, b, 2);
            LoopCount = Le16(b);
            rest -= 2;
        } else if ((id & 7) == 2) {
            if (rest < 4) RaiseGIFError(gifmsg::InvalidData);
            ReadExactly(stream, b, 4);
            BufferBytes =
                b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
            rest -= 4;
        }
        if (rest > 0) ReadExactly(stream, b, rest);
    }
}

// --- TGIFExtensionList ---

void TGIFExtensionList::LoadFromStream(TStream& stream, TObject* parent) {
    auto* frame = dynamic_cast<TGIFSubImage*>(parent);
    // Zero bytes are padding also between the extensions and the image: the extensions stay
    // with the image after them. (Taking a zero as the end of a frame without an image would
    // part them from the image they describe.)
    int b = ReadByteSkippingPadding(stream);
    if (b == kEndOfStream) return;
    while (b != kImageSeparator && b != kTrailer) {
        if (b != kExtensionIntroducer) {
            ReportWarning(1, gifmsg::InvalidExtensionIntroducer);
            break;
        }
        const TGIFExtensionClass* cls = ResolveExtensionClass(stream);
        if (!cls) {
            // Readers skip what they do not know.
            ReportWarning(1, gifmsg::UnknownExtension);
            if (ReadByteFrom(stream) == kEndOfStream) return;
            SkipSubBlocks(stream);
        } else {
            stream.Seek(-1, soCurrent);
            ObjectPtr<TGIFExtension> extension(cls->Create(frame));
            extension->LoadFromStream(stream);
            AppendItem(extension.release());
        }
        b = ReadByteSkippingPadding(stream);
        if (b == kEndOfStream) return;
    }
    stream.Seek(-1, soCurrent);
}

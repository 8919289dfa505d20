#pragma once
// Extension blocks: what a GIF says about a frame beyond its pixels. Each frame owns the
// extensions written in front of its image, in file order. Reading picks each extension's
// class by its label byte and, for application extensions, by the 11-byte identifier.
#include "gif/GIFItem.h"

#include <array>
#include <vector>

class TGIFSubImage;
class TGIFExtension;

// What the readers need to know of an extension class.
struct TGIFExtensionClass {
    const char* Name;
    Byte Label;
    TGIFExtension* (*Create)(TGIFSubImage* frame);
};

class TGIFExtension : public TGIFItem {
    KORVID_CLASS(TGIFExtension, TGIFItem)

    explicit TGIFExtension(TGIFSubImage* frame);
    // Leaves the frame's extension list.
    ~TGIFExtension() override;

    int RequiredVersion() override { return 2; }
    // Writes 0x21 and the label.
    void SaveToStream(TStream& stream) override;
    // Reads 0x21 and the label, which must be this class's.
    void LoadFromStream(TStream& stream) override;
    virtual Byte ExtensionLabel() const = 0;

    TGIFSubImage* Frame; // not owned
};

// Delay, disposal and transparency of a frame.
struct TGIFGCERec {
    Byte BlockSize = 4;
    Byte PackedFields = 0; // bits 2-4 disposal, bit 1 user input, bit 0 transparent index valid
    Word DelayTime = 0;    // hundredths of a second
    Byte TransparentColorIndex = 0;
    Byte Terminator = 0;
};

class TGIFGraphicControlExtension final : public TGIFExtension {
    KORVID_CLASS(TGIFGraphicControlExtension, TGIFExtension)

    static constexpr Byte Label = 0xF9;
    static const TGIFExtensionClass Class;

    // Becomes the frame's graphic control extension when it has none yet; not appended. Only
    // that one, the frame's own, sets and clears the frame's transparency.
    explicit TGIFGraphicControlExtension(TGIFSubImage* frame);
    ~TGIFGraphicControlExtension() override;

    Byte ExtensionLabel() const override { return Label; }
    void SaveToStream(TStream& stream) override;
    // Reads the block by its own size byte; a short block, or one of size 0, warns
    // "Premature end of data" and keeps the defaults.
    void LoadFromStream(TStream& stream) override;

    Word FrameDelay() const { return ControlBlock.DelayTime; }
    void SetFrameDelay(Word delay) { ControlBlock.DelayTime = delay; }
    Byte TransparentIndex() const { return ControlBlock.TransparentColorIndex; }
    // An index outside the frame's non-empty colour table warns "Invalid color index" and
    // stores 0.
    void SetTransparentIndex(int index);
    bool HasTransparency() const { return ControlBlock.PackedFields & 1; }
    void SetHasTransparency(bool value);
    bool WaitsForUserInput() const { return ControlBlock.PackedFields & 2; }
    int DisposalMethod() const { return (ControlBlock.PackedFields >> 2) & 7; }
    void SetDisposalMethod(int value) {
        ControlBlock.PackedFields =
            static_cast<Byte>((ControlBlock.PackedFields & 0xE3) | ((value * 4) & 0x1C));
    }

    // Whether this is the frame's own control extension (the first made for it).
    bool IsFramesOwn() const;

    TGIFGCERec ControlBlock;

private:
    // The frame's transparency changed: what it rendered goes.
    void FrameRenderingChanged();
};

struct TGIFPlainTextRec {
    Byte BlockSize = 12;
    Word Left = 0, Top = 0, Width = 0, Height = 0;
    Byte CellWidth = 0, CellHeight = 0;
    Byte TextFGColorIndex = 0, TextBGColorIndex = 0;
};

class TGIFTextExtension final : public TGIFExtension {
    KORVID_CLASS(TGIFTextExtension, TGIFExtension)

    static constexpr Byte Label = 0x01;
    static const TGIFExtensionClass Class;

    using TGIFExtension::TGIFExtension;
    Byte ExtensionLabel() const override { return Label; }
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;

    TGIFPlainTextRec TextBlock;
    std::vector<String> Lines;
};

class TGIFCommentExtension final : public TGIFExtension {
    KORVID_CLASS(TGIFCommentExtension, TGIFExtension)

    static constexpr Byte Label = 0xFE;
    static const TGIFExtensionClass Class;

    using TGIFExtension::TGIFExtension;
    Byte ExtensionLabel() const override { return Label; }
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;

    std::vector<String> Lines;
};

using TGIFAppId = std::array<Byte, 11>; // 8-byte identifier, 3-byte authentication code

class TGIFApplicationExtension : public TGIFExtension {
    KORVID_CLASS(TGIFApplicationExtension, TGIFExtension)

    static constexpr Byte Label = 0xFF;

    using TGIFExtension::TGIFExtension;
    Byte ExtensionLabel() const override { return Label; }
    // Writes the block size 11, the identifier and the data sub-blocks.
    void SaveToStream(TStream& stream) override;
    // Block size 10 fills 10 identifier bytes, 11 or more reads 11 and skips the rest; below
    // 10 raises "Unsupported Application Extension block size".
    void LoadFromStream(TStream& stream) override;
    virtual void SaveAppData(TStream& stream) = 0;
    virtual void LoadAppData(TStream& stream) = 0;

    TGIFAppId AppId{};
};

// An application extension nobody here knows: its data sub-blocks are kept as they came.
class TGIFUnknownAppExtension final : public TGIFApplicationExtension {
    KORVID_CLASS(TGIFUnknownAppExtension, TGIFApplicationExtension)

    static const TGIFExtensionClass Class;

    using TGIFApplicationExtension::TGIFApplicationExtension;
    void SaveAppData(TStream& stream) override;
    void LoadAppData(TStream& stream) override;

    std::vector<std::vector<Byte>> Blocks; // each 1..255 bytes
};

// "NETSCAPE2.0" (or "ANIMEXTS1.0"): how often the animation plays, 0 for ever.
class TGIFAppExtNSLoop final : public TGIFApplicationExtension {
    KORVID_CLASS(TGIFAppExtNSLoop, TGIFApplicationExtension)

    static const TGIFExtensionClass Class;

    // AppId "NETSCAPE2.0", loop count 0, buffer bytes 0.
    explicit TGIFAppExtNSLoop(TGIFSubImage* frame);
    void SaveAppData(TStream& stream) override;
    void LoadAppData(TStream& stream) override;

    Word LoopCount = 0;
    std::uint32_t BufferBytes = 0;
};

class TGIFExtensionList final : public TGIFList {
    KORVID_CLASS(TGIFExtensionList, TGIFList)

    using TGIFList::TGIFList;
    // Reads the extension blocks in front of an image; parent is the frame. The stream is
    // left at the byte that ended them (0x2C, 0x3B or anything unexpected).
    void LoadFromStream(TStream& stream, TObject* parent) override;
    TGIFExtension* ExtensionAt(int index) const {
        return static_cast<TGIFExtension*>(ItemAt(index));
    }
};

// The registries of extension classes; a later registration of the same key wins.
void RegisterExtensionClass(const TGIFExtensionClass& cls);
void RegisterAppExtensionClass(const TGIFExtensionClass& cls, const TGIFAppId& id);
const TGIFExtensionClass* FindExtensionClass(Byte label);
const TGIFExtensionClass* FindAppExtensionClass(const TGIFAppId& id);
// Picks the class of the extension whose label the stream is at (after the 0x21); the stream
// position is restored. Answers none for an unknown label.
const TGIFExtensionClass* ResolveExtensionClass(TStream& stream);

#pragma once
// The image data writers: a real LZW compressor over an open-addressing hash table, and a
// run-length coder whose codes any standard GIF decoder understands without a string table.
#include "gif/codec/GIFWarningSink.h"
#include "rtl/Stream.h"

#include <memory>

// A write-only stream; reading and seeking raise Exception "Invalid stream operation".
class TGIFStream : public TStream {
public:
    explicit TGIFStream(TStream& target) : target_(target) {}

    Int64 Read(void* buffer, Int64 count) override;
    Int64 Write(const void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;

    GIFWarningSink OnWarning; // copied from the encoder; the stream itself never warns

protected:
    TStream& target_;
    Byte buffer_[256]; // byte 0 the count, bytes 1..255 the data
    int fill_ = 1;     // counting the count byte
};

// Packs what it is given into data sub-blocks of 255 bytes; the last holds the rest. The
// pending sub-block is written when the writer is destroyed.
class TGIFWriter final : public TGIFStream {
public:
    explicit TGIFWriter(TStream& target) : TGIFStream(target) {}
    ~TGIFWriter() override;

    Int64 Write(const void* buffer, Int64 count) override;
    void PutByte(Byte b) {
        dirty_ = true;
        buffer_[fill_++] = b;
        if (fill_ == 256) FlushBlock();
    }
    void FlushBlock();

private:
    bool dirty_ = false;
};

// 8009 slots of (key << 12) | code; a slot whose top 20 bits are all ones is empty.
// Keys are (prefix code << 8) | pixel. Its probing decides when the LZW coder's table is full;
// the coder itself keeps an exact map that answers as this table would.
class THashTable {
public:
    static constexpr int kSlots = 8009;
    // The probe sequence doubles the slot modulo 8009: slot 0 leads into the cycle of 8008,
    // and every other slot lies on one of two cycles of 4004 slots each.
    static constexpr int kCycleSlots = 4004;
    THashTable();

    static int HashSlot(std::uint32_t key) { return static_cast<int>((key ^ (key >> 4)) % kSlots); }
    static int NextProbeSlot(int slot) {
        if (slot == 0) return kSlots - 1;
        int s = slot - (kSlots - slot);
        return s < 0 ? s + kSlots : s;
    }

    void Reset();
    // False when no empty slot was met within one probe cycle (the caller starts a new table).
    bool Store(std::uint32_t key, int code);
    // The code stored for key, or -1.
    int Find(std::uint32_t key) const {
        int slot = HashSlot(key);
        for (int probes = 0; probes < kProbeLimit; ++probes) {
            std::uint32_t entry = slots_[slot];
            if ((entry >> 12) == kEmptyKey) return -1;
            if ((entry >> 12) == key) return static_cast<int>(entry & 0xFFF);
            slot = NextProbeSlot(slot);
        }
        return -1;
    }

private:
    static constexpr std::uint32_t kEmptyKey = 0xFFFFF;
    // A longer walk would only revisit slots.
    static constexpr int kProbeLimit = kCycleSlots + 1;
    std::unique_ptr<std::uint32_t[]> slots_;
};

class TGIFEncoder {
public:
    virtual ~TGIFEncoder() = default;

    // Writes the minimum code size, the coded pixels in sub-blocks and the block terminator.
    // Pixels not below maxColor raise GIFException "Color not in color table" (the pending
    // sub-block is still written, the terminator is not).
    void Encode(TStream& stream, int bits, int width, int height, bool interlaced,
                const Byte* pixels, int maxColor);

    static int CodeLimit(int width) { return (1 << width) - 1; }

    GIFWarningSink OnWarning;

protected:
    virtual void EmitCode(int code);
    virtual void EmitClear();
    virtual void CompressPixels() = 0;

    // Whether another pixel follows; moves the cursor to the next row (in interlaced order)
    // at a row end.
    bool AdvancePixel();
    Byte TakePixel(); // the pixel at the cursor, checked against maxColor; moves the cursor
    void PackCode(int code);

    int maxColor_ = 0;
    int minCodeSize_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool interlaced_ = false;
    const Byte* data_ = nullptr;
    TGIFWriter* writer_ = nullptr;
    std::uint32_t bucket_ = 0;
    int bucketBits_ = 0;
    bool clearFlag_ = false;
    int codeWidth_ = 0;
    int initialWidth_ = 0;
    int codeLimit_ = 0;
    int clearCode_ = 0;
    int endCode_ = 0;
    int baseCode_ = 0;
    const Byte* cursor_ = nullptr;
    Int64 countdown_ = 0;
    int row_ = 0;
    int pass_ = 0;
};

class TLZWEncoder final : public TGIFEncoder {
protected:
    void EmitCode(int code) override;
    void EmitClear() override;
    void CompressPixels() override;

private:
    static constexpr int kStageBytes = 8192;

    void Grow();
    template <bool kPlainCodes> int CompressSpan(const Byte* p, const Byte* end, int prefix);
    bool HasRoom(std::uint32_t key, int nextCode);
    bool TakeSlot(std::uint32_t key);
    void ForgetStrings(int nextCode);
    void FlushStage(Byte* out);

    int nextCode_ = 0;
    // Per pixel a row of 4096 entries: for each prefix code the code last given to the string
    // prefix + pixel. Never cleared: an entry counts only while its code's key names that very
    // string, so a clear costs nothing here.
    std::unique_ptr<std::uint16_t[]> stringCodes_;
    // Per code the key (prefix << 8 | pixel) of the string it was given to since the last
    // clear; no key for codes not given. A row entry counts only when its code's key agrees.
    std::unique_ptr<std::uint32_t[]> keys_;
    // How full the hash table's probe cycles would be, counted only once a table holds as
    // many strings as one cycle has slots (no cycle can be full before).
    bool cyclesCounted_ = false;
    bool slotZeroTaken_ = false;
    int cycleFill_[2] = {0, 0};
    // Whole bytes of codes not yet handed to the writer; 8 spare bytes for word stores.
    std::unique_ptr<Byte[]> stage_;
    Byte* out_ = nullptr;
};

class TRLEEncoder final : public TGIFEncoder {
public:
    static int IntSqrt(int x);
    static int TriangleCost(int n, int r);

protected:
    void EmitClear() override;
    void CompressPixels() override;

private:
    void EmitPlain(int code);
    void FlushRun(int n);
    void RunFromClear(int n);
    void RunClearOrRepeat(int n);
    void RunWithTable(int n);
    void WidenClearLimit() { clearLimit_ = maxCodes_; }
    void RestoreClearLimit();

    int maxCodes_ = 0;
    int initialBump_ = 0;
    int initialClearLimit_ = 0;
    int runPixel_ = -1;
    int runTableMax_ = 0;
    int runTablePixel_ = -1;
    int codesSent_ = 0;
    int clearLimit_ = 0;
    int bumpPoint_ = 0;
};

// Compression kinds of the image: 0 LZW (the default), 1 run-length.
constexpr int kCompressLZW = 0;
constexpr int kCompressRLE = 1;

// Encodes one frame's pixels (width x height bytes, rows top to bottom) with codes of
// max(bits, 2) + 1 bits to start with.
void EncodeImageData(TStream& stream, const Byte* pixels, int width, int height, bool interlaced,
                     int bits, int maxColor, int compressionKind, const GIFWarningSink& warn);

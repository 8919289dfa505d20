#include "gif/codec/GIFEncoders.h"

#include "gif/codec/GIFException.h"
#include "gif/codec/GIFStreamIO.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {
constexpr int kMaxCodes = 4096;
constexpr int kLastAssignable = 4095; // codes stay below this, so no key looks like an empty slot
constexpr std::uint32_t kNoKey = 0xFFFFFFFF;

// Which probe cycle of the hash table each slot but 0 lies on: 0 for the cycle of slot 1
// (which holds 8008, where slot 0 leads), 1 for the other.
const Byte* CycleOfSlot() {
    static const std::array<Byte, THashTable::kSlots> cycle = [] {
        std::array<Byte, THashTable::kSlots> c{};
        c.fill(1);
        for (int s = 1, i = 0; i < THashTable::kCycleSlots; ++i, s = THashTable::NextProbeSlot(s))
            c[static_cast<size_t>(s)] = 0;
        return c;
    }();
    return cycle.data();
}
} // namespace

// --- TGIFStream, TGIFWriter ---

Int64 TGIFStream::Read(void*, Int64) {
    throw Exception(gifmsg::InvalidStreamOperation);
}
Int64 TGIFStream::Write(const void*, Int64) {
    throw Exception(gifmsg::InvalidStreamOperation);
}
Int64 TGIFStream::Seek(Int64, TSeekOrigin) {
    throw Exception(gifmsg::InvalidStreamOperation);
}

TGIFWriter::~TGIFWriter() {
    if (!dirty_) return;
    try {
        FlushBlock();
    } catch (...) {
        // Destroyed while another error unwinds: that error is the one to report.
    }
}

Int64 TGIFWriter::Write(const void* buffer, Int64 count) {
    const Byte* p = static_cast<const Byte*>(buffer);
    Int64 left = count;
    while (left > 0) {
        int n = static_cast<int>(std::min<Int64>(256 - fill_, left));
        std::memcpy(buffer_ + fill_, p, static_cast<size_t>(n));
        // Set after each copy: a block flushed on the way must not hide the bytes after it.
        dirty_ = true;
        fill_ += n;
        p += n;
        left -= n;
        if (fill_ == 256) FlushBlock();
    }
    return count;
}

void TGIFWriter::FlushBlock() {
    buffer_[0] = static_cast<Byte>(fill_ - 1);
    int n = fill_;
    fill_ = 1;
    dirty_ = false;
    target_.WriteBuffer(buffer_, n);
}

// --- THashTable ---

THashTable::THashTable() : slots_(new std::uint32_t[kSlots]) {
    Reset();
}

void THashTable::Reset() {
    std::memset(slots_.get(), 0xFF, sizeof(std::uint32_t) * kSlots);
}

bool THashTable::Store(std::uint32_t key, int code) {
    int slot = HashSlot(key);
    for (int probes = 0; probes < kProbeLimit; ++probes) {
        if ((slots_[slot] >> 12) == kEmptyKey) {
            slots_[slot] = (key << 12) | static_cast<std::uint32_t>(code & 0xFFF);
            return true;
        }
        slot = NextProbeSlot(slot);
    }
    return false;
}

// --- TGIFEncoder ---

void TGIFEncoder::Encode(TStream& stream, int bits, int width, int height, bool interlaced,
                         const Byte* pixels, int maxColor) {
    // Pixels are bytes, so no table needs more than 8 bits.
    minCodeSize_ = std::clamp(bits, 2, 8);
    initialWidth_ = minCodeSize_ + 1;
    WriteByteTo(stream, static_cast<Byte>(minCodeSize_));

    maxColor_ = maxColor;
    width_ = width;
    height_ = height;
    interlaced_ = interlaced;
    data_ = pixels;
    cursor_ = pixels;
    codeWidth_ = initialWidth_;
    codeLimit_ = CodeLimit(initialWidth_);
    clearCode_ = 1 << minCodeSize_;
    endCode_ = clearCode_ + 1;
    baseCode_ = clearCode_ + 2;
    bucket_ = 0;
    bucketBits_ = 0;
    clearFlag_ = false;
    countdown_ = interlaced ? width : static_cast<Int64>(width) * height;
    row_ = 0;
    pass_ = 0;
    {
        TGIFWriter writer(stream);
        writer.OnWarning = OnWarning;
        writer_ = &writer;
        ScopeGuard unhook([this] { writer_ = nullptr; });
        if (pixels && width > 0 && height > 0) CompressPixels();
        EmitCode(endCode_);
    }
    WriteByteTo(stream, 0);
}

inline void TGIFEncoder::PackCode(int code) {
    if (bucketBits_ > 0)
        bucket_ = (bucket_ & ((1u << bucketBits_) - 1)) |
                  (static_cast<std::uint32_t>(code) << bucketBits_);
    else
        bucket_ = static_cast<std::uint32_t>(code);
    bucketBits_ += codeWidth_;
    while (bucketBits_ >= 8) {
        writer_->PutByte(static_cast<Byte>(bucket_));
        bucket_ >>= 8;
        bucketBits_ -= 8;
    }
    if (code == endCode_) {
        while (bucketBits_ > 0) {
            writer_->PutByte(static_cast<Byte>(bucket_));
            bucket_ >>= 8;
            bucketBits_ -= 8;
        }
        bucketBits_ = 0;
    }
}

void TGIFEncoder::EmitCode(int code) {
    PackCode(code);
}

void TGIFEncoder::EmitClear() {
    clearFlag_ = true;
    EmitCode(clearCode_);
}

inline bool TGIFEncoder::AdvancePixel() {
    if (--countdown_ >= 1) return true;
    if (!interlaced_) return false;
    countdown_ = width_;
    switch (pass_) {
    case 0:
        row_ += 8;
        if (row_ >= height_) pass_ = 1, row_ = 4;
        break;
    case 1:
        row_ += 8;
        if (row_ >= height_) pass_ = 2, row_ = 2;
        break;
    case 2:
        row_ += 4;
        if (row_ >= height_) pass_ = 3, row_ = 1;
        break;
    default:
        row_ += 2;
        break;
    }
    // A pass that would start below the image is passed over.
    while (row_ >= height_ && pass_ < 3) {
        ++pass_;
        row_ = pass_ == 2 ? 2 : 1;
    }
    if (row_ >= height_) return false;
    cursor_ = data_ + static_cast<Int64>(row_) * width_;
    return true;
}

inline Byte TGIFEncoder::TakePixel() {
    Byte c = *cursor_++;
    if (c >= maxColor_) RaiseGIFError(gifmsg::ColorNotInTable);
    return c;
}

// --- TLZWEncoder ---

void TLZWEncoder::EmitCode(int code) {
    PackCode(code);
    if (nextCode_ > codeLimit_ || clearFlag_) Grow();
}

void TLZWEncoder::Grow() {
    if (clearFlag_) {
        codeWidth_ = initialWidth_;
        codeLimit_ = CodeLimit(initialWidth_);
        clearFlag_ = false;
    } else {
        ++codeWidth_;
        codeLimit_ = codeWidth_ == 12 ? kMaxCodes : CodeLimit(codeWidth_);
    }
}

void TLZWEncoder::ForgetStrings(int nextCode) {
    std::fill(keys_.get() + baseCode_, keys_.get() + nextCode, kNoKey);
    cyclesCounted_ = false;
}

void TLZWEncoder::EmitClear() {
    TGIFEncoder::EmitClear();
    ForgetStrings(nextCode_);
    nextCode_ = baseCode_;
}

// Whether the hash table would find an empty slot for key in the probe chain from its slot,
// counting the slot as taken when it would. Slot 0 is only ever a start slot.
bool TLZWEncoder::TakeSlot(std::uint32_t key) {
    int slot = THashTable::HashSlot(key);
    if (slot == 0) {
        if (!slotZeroTaken_) return slotZeroTaken_ = true;
        slot = THashTable::kSlots - 1;
    }
    int& fill = cycleFill_[CycleOfSlot()[slot]];
    if (fill == THashTable::kCycleSlots) return false;
    ++fill;
    return true;
}

// Whether the hash table, holding the strings of the codes from base to nextCode - 1, would
// still find a slot for key; the slot counts as taken when it would.
bool TLZWEncoder::HasRoom(std::uint32_t key, int nextCode) {
    if (!cyclesCounted_) {
        // The strings so far, in the order they were stored.
        slotZeroTaken_ = false;
        cycleFill_[0] = cycleFill_[1] = 0;
        for (int code = baseCode_; code < nextCode; ++code)
            TakeSlot(keys_[code]);
        cyclesCounted_ = true;
    }
    return TakeSlot(key);
}

void TLZWEncoder::FlushStage(Byte* out) {
    Byte* stage = stage_.get();
    if (out > stage) writer_->Write(stage, out - stage);
    out_ = stage;
}

// One tight loop over a stretch of pixels in file order; answers the prefix it ends on
// (-1 going in: the stretch's first pixel starts the first string). With kPlainCodes every
// pixel is below the clear code, so each code fits its width and none is the end code.
template <bool kPlainCodes>
int TLZWEncoder::CompressSpan(const Byte* p, const Byte* end, int prefix) {
    const unsigned maxColor = static_cast<unsigned>(maxColor_);
    // The codes of the pixels before a bad one still go out, as a pixel-by-pixel check would
    // send them; a table of 256 colours holds every byte.
    const Byte* stop = end;
    if (maxColor < 256) stop = std::find_if(p, end, [maxColor](Byte b) { return b >= maxColor; });
    if (prefix < 0 && p < stop) prefix = *p++;

    std::uint16_t* const rows = stringCodes_.get();
    std::uint32_t* const keys = keys_.get();
    Byte* const stageEnd = stage_.get() + kStageBytes;
    Byte* out = out_;
    std::uint64_t bucket = bucket_;
    int held = bucketBits_;
    int width = codeWidth_;
    int limit = codeLimit_;
    int next = nextCode_;
    // Codes least significant bit first: a word store, then on by the whole bytes it filled.
    auto put = [&](int code) {
        if constexpr (!kPlainCodes) bucket &= (std::uint64_t{1} << held) - 1;
        bucket |= static_cast<std::uint64_t>(code) << held;
        held += width;
        std::uint32_t word = static_cast<std::uint32_t>(bucket);
        std::memcpy(out, &word, sizeof word);
        int whole = held >> 3;
        out += whole;
        bucket >>= 8 * whole;
        held &= 7;
        if constexpr (!kPlainCodes) {
            if (code == endCode_ && held > 0) {
                ++out;
                bucket >>= 8;
                held = 0;
            }
        }
    };

    for (; p < stop; ++p) {
        const unsigned c = *p;
        const std::size_t at = (static_cast<std::size_t>(c) << 12) | static_cast<unsigned>(prefix);
        const std::uint32_t key = (static_cast<std::uint32_t>(prefix) << 8) | c;
        const unsigned code = rows[at];
        if (keys[code] == key) {
            prefix = static_cast<int>(code);
            continue;
        }
        put(prefix);
        if (next > limit) {
            ++width;
            limit = width == 12 ? kMaxCodes : CodeLimit(width);
        }
        if (next < kLastAssignable &&
            (next - baseCode_ < THashTable::kCycleSlots || HasRoom(key, next))) {
            rows[at] = static_cast<std::uint16_t>(next);
            keys[next] = key;
            ++next;
        } else {
            put(clearCode_);
            width = initialWidth_;
            limit = CodeLimit(width);
            ForgetStrings(next);
            next = baseCode_;
        }
        if (out >= stageEnd) {
            FlushStage(out);
            out = out_;
        }
        prefix = static_cast<int>(c);
    }

    out_ = out;
    bucket_ = static_cast<std::uint32_t>(bucket);
    bucketBits_ = held;
    codeWidth_ = width;
    codeLimit_ = limit;
    nextCode_ = next;
    if (stop != end) {
        FlushStage(out_);
        RaiseGIFError(gifmsg::ColorNotInTable);
    }
    return prefix;
}

void TLZWEncoder::CompressPixels() {
    // Rows only for the pixel values that occur (a frame often uses few of its table's
    // colours); zeroed, so every entry names some code.
    Byte largest = 0;
    for (const Byte *p = data_, *end = data_ + static_cast<Int64>(width_) * height_; p < end; ++p)
        largest = std::max(largest, *p);
    const int pixelRows = std::min(std::clamp(maxColor_, 1, 256), largest + 1);
    stringCodes_.reset(new std::uint16_t[static_cast<size_t>(pixelRows) * kMaxCodes]());
    keys_.reset(new std::uint32_t[kMaxCodes]);
    std::fill(keys_.get(), keys_.get() + kMaxCodes, kNoKey);
    stage_.reset(new Byte[kStageBytes + 8]);
    out_ = stage_.get();
    nextCode_ = baseCode_;
    EmitClear();
    auto span = maxColor_ <= clearCode_ ? &TLZWEncoder::CompressSpan<true>
                                        : &TLZWEncoder::CompressSpan<false>;
    int prefix = -1;
    if (!interlaced_) {
        prefix = (this->*span)(data_, data_ + static_cast<Int64>(width_) * height_, prefix);
    } else {
        static constexpr int kStart[4] = {0, 4, 2, 1};
        static constexpr int kStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = kStart[pass]; row < height_; row += kStep[pass]) {
                const Byte* line = data_ + static_cast<Int64>(row) * width_;
                prefix = (this->*span)(line, line + width_, prefix);
            }
    }
    FlushStage(out_);
    EmitCode(prefix);
    stringCodes_.reset();
    keys_.reset();
    stage_.reset();
}

// --- TRLEEncoder ---

int TRLEEncoder::IntSqrt(int x) {
    if (x < 2) return x;
    int r = 1;
    for (int v = x; v > 0; v >>= 2)
        r <<= 1;
    for (int i = 0; i < 64; ++i) {
        int v = (x / r + r) / 2;
        if (v == r || v == r + 1) break;
        r = v;
    }
    return r;
}

int TRLEEncoder::TriangleCost(int n, int r) {
    Int64 full = static_cast<Int64>(r) * (r + 1) / 2;
    Int64 left = n;
    int cost = 0;
    while (full > 0 && left >= full) {
        left -= full;
        cost += r;
    }
    if (left > 0) {
        Int64 k = IntSqrt(static_cast<int>(left));
        while (k > 0 && k * (k + 1) >= 2 * left)
            --k;
        while (k * (k + 1) < 2 * left)
            ++k;
        cost += static_cast<int>(k);
    }
    return cost;
}

void TRLEEncoder::EmitClear() {
    bumpPoint_ = initialBump_;
    clearLimit_ = initialClearLimit_;
    codesSent_ = 0;
    runTableMax_ = 0;
    TGIFEncoder::EmitClear();
    codeWidth_ = initialWidth_;
}

void TRLEEncoder::RestoreClearLimit() {
    clearLimit_ = initialClearLimit_;
    if (codesSent_ >= clearLimit_) EmitClear();
}

void TRLEEncoder::EmitPlain(int code) {
    clearFlag_ = false;
    TGIFEncoder::EmitCode(code);
    ++codesSent_;
    if (codesSent_ == bumpPoint_) {
        ++codeWidth_;
        bumpPoint_ += 1 << (codeWidth_ - 1);
    }
    if (codesSent_ == clearLimit_) EmitClear();
}

void TRLEEncoder::FlushRun(int n) {
    if (n == 1)
        EmitPlain(runPixel_);
    else if (clearFlag_)
        RunFromClear(n);
    else if (runTableMax_ > 1 && runTablePixel_ == runPixel_)
        RunWithTable(n);
    else
        RunClearOrRepeat(n);
}

void TRLEEncoder::RunFromClear(int n) {
    WidenClearLimit();
    runTablePixel_ = runPixel_;
    int k = 1;
    while (n > 0) {
        if (k == 1) {
            runTableMax_ = 1;
            EmitPlain(runPixel_);
            n -= 1;
        } else if (n >= k) {
            runTableMax_ = k;
            EmitPlain(baseCode_ + k - 2);
            n -= k;
        } else {
            ++runTableMax_;
            EmitPlain(n == 1 ? runPixel_ : baseCode_ + n - 2);
            n = 0;
        }
        k = codesSent_ == 0 ? 1 : k + 1;
    }
    RestoreClearLimit();
}

void TRLEEncoder::RunClearOrRepeat(int n) {
    if (TriangleCost(n, maxCodes_) + 1 < n) {
        EmitClear();
        RunFromClear(n);
    } else {
        for (int i = 0; i < n; ++i)
            EmitPlain(runPixel_);
    }
}

void TRLEEncoder::RunWithTable(int n) {
    int repeats = n / runTableMax_;
    int left = n % runTableMax_;
    int extra = left > 0 ? 1 : 0;
    if (codesSent_ + repeats + extra > maxCodes_) {
        repeats = maxCodes_ - codesSent_;
        left = n - repeats * runTableMax_;
        extra = TriangleCost(left, maxCodes_) + 1;
    }
    if (TriangleCost(n, maxCodes_) + 1 < repeats + extra) {
        EmitClear();
        RunFromClear(n);
        return;
    }
    WidenClearLimit();
    for (int i = 0; i < repeats; ++i)
        EmitPlain(baseCode_ + runTableMax_ - 2);
    if (left > 0) {
        if (clearFlag_)
            RunFromClear(left);
        else
            EmitPlain(left == 1 ? runPixel_ : baseCode_ + left - 2);
    }
    RestoreClearLimit();
}

void TRLEEncoder::CompressPixels() {
    initialBump_ = clearCode_ - 1;
    initialClearLimit_ = minCodeSize_ <= 3 ? 9 : clearCode_ - 2;
    maxCodes_ = CodeLimit(12) - baseCode_;
    EmitClear();
    runPixel_ = -1;
    int count = 0;
    bool more = true;
    while (more) {
        int pixel = TakePixel();
        if (count > 0 && pixel != runPixel_) {
            FlushRun(count);
            count = 0;
        }
        if (pixel == runPixel_) {
            ++count;
        } else {
            runPixel_ = pixel;
            count = 1;
        }
        more = AdvancePixel();
    }
    FlushRun(count);
}

// --- WriteImageData's core ---

void EncodeImageData(TStream& stream, const Byte* pixels, int width, int height, bool interlaced,
                     int bits, int maxColor, int compressionKind, const GIFWarningSink& warn) {
    std::unique_ptr<TGIFEncoder> encoder;
    if (compressionKind == kCompressRLE)
        encoder = std::make_unique<TRLEEncoder>();
    else
        encoder = std::make_unique<TLZWEncoder>();
    encoder->OnWarning = warn;
    encoder->Encode(stream, bits, width, height, interlaced, pixels, maxColor);
}

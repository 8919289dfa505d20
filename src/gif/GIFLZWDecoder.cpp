#include "gif/GIFLZWDecoder.h"

#include "gif/GIFException.h"
#include "gif/GIFStreamIO.h"

#include <cstring>
#include <memory>

namespace {

constexpr int kMaxCodes = 4096;   // 12-bit codes
constexpr int kMaxCodeWidth = 12;
constexpr int kNoPrevious = -1;   // no code read since the last clear

// Codes come least significant bit first out of the data sub-blocks. The reader never looks
// past the block terminator and never hands out a code whose bits the data did not hold.
class CodeReader {
public:
    CodeReader(TStream& stream, const GIFWarningSink& warn) : stream_(stream), warn_(warn) {}

    // The next code, or -1 when the data holds no further complete code.
    int Read(int width) {
        while (bits_ < width) {
            if (pos_ < len_) {
                acc_ |= static_cast<std::uint64_t>(block_[pos_++]) << bits_;
                bits_ += 8;
                continue;
            }
            if (!NextBlock()) {
                Warn(gifmsg::BitBufferUnderrun);
                return -1;
            }
        }
        int code = static_cast<int>(acc_ & ((1u << width) - 1));
        acc_ >>= width;
        bits_ -= width;
        return code;
    }

    // Skips what is left of the data through the block terminator.
    void SkipToTerminator() {
        pos_ = len_;
        while (NextBlock()) pos_ = len_;
    }

    bool Ended() const { return ended_; }

private:
    bool NextBlock() {
        if (ended_) return false;
        int count = ReadByteFrom(stream_);
        if (count == kEndOfStream) {
            // The stream stopped inside the image data, before its block terminator.
            Warn(gifmsg::PrematureEnd);
            ended_ = true;
            return false;
        }
        if (count == 0) {
            ended_ = true;
            return false;
        }
        Int64 got = stream_.Read(block_, count);
        if (got < count) {
            Warn(gifmsg::PrematureEnd);
            ended_ = true;
        }
        pos_ = 0;
        len_ = static_cast<int>(got);
        return got > 0;
    }

    void Warn(const char* message) {
        // One warning per image: after the data has ended, later requests stay quiet.
        if (warned_) return;
        warned_ = true;
        if (warn_) warn_(message);
    }

    TStream& stream_;
    const GIFWarningSink& warn_;
    Byte block_[255];
    int pos_ = 0;
    int len_ = 0;
    std::uint64_t acc_ = 0;
    int bits_ = 0;
    bool ended_ = false;  // terminator read, or the stream ran dry
    bool warned_ = false;
};

struct CodeTable {
    std::uint16_t prefix[kMaxCodes];
    std::uint16_t length[kMaxCodes];
    Byte suffix[kMaxCodes];
    Byte scratch[kMaxCodes];  // a string that does not fit the rest of the output
};

// Decodes into out[0..total); answers the number of pixels written.
Int64 DecodeCodes(CodeReader& reader, CodeTable& t, int minCodeSize, Byte* out, Int64 total) {
    const int clear = 1 << minCodeSize;
    const int endCode = clear + 1;
    for (int i = 0; i < clear; ++i) {
        t.suffix[i] = static_cast<Byte>(i);
        t.prefix[i] = 0;
        t.length[i] = 1;
    }
    int width = minCodeSize + 1;
    int limit = 2 * clear;
    int next = clear + 2;
    int previous = kNoPrevious;
    Byte firstOfPrevious = 0;
    Int64 written = 0;

    while (written < total) {
        int code = reader.Read(width);
        if (code < 0) return written;
        if (code == clear) {
            width = minCodeSize + 1;
            limit = 2 * clear;
            next = clear + 2;
            previous = kNoPrevious;
            continue;
        }
        if (code == endCode) {
            reader.SkipToTerminator();
            return written;
        }
        if (previous == kNoPrevious) {
            // The first code after a clear names a single pixel.
            if (code > clear) RaiseGIFError(gifmsg::InvalidData);
            out[written++] = static_cast<Byte>(code);
            previous = code;
            firstOfPrevious = static_cast<Byte>(code);
            // With a minimum code size of 1 the first free code (4) already needs 3 bits,
            // as encoders write the second code.
            if (next >= limit && limit < kMaxCodes) {
                limit *= 2;
                ++width;
            }
        } else {
            if (code > next) RaiseGIFError(gifmsg::InvalidData);
            // The string being defined (code == next) is the previous one plus its own first
            // pixel; every table entry refers to an older code, so each walk ends.
            bool pending = code == next;
            int walk = pending ? previous : code;
            int length = t.length[walk] + (pending ? 1 : 0);
            Int64 room = total - written;
            Byte* dest = length <= room ? out + written : t.scratch;
            int at = t.length[walk] - 1;
            if (pending) dest[length - 1] = firstOfPrevious;
            while (walk >= clear) {
                dest[at--] = t.suffix[walk];
                walk = t.prefix[walk];
            }
            dest[0] = static_cast<Byte>(walk);
            if (dest == t.scratch) {
                std::memcpy(out + written, t.scratch, static_cast<size_t>(room));
                written = total;
            } else {
                written += length;
            }
            firstOfPrevious = dest[0];
            if (next < kMaxCodes) {
                t.prefix[next] = static_cast<std::uint16_t>(previous);
                t.suffix[next] = firstOfPrevious;
                t.length[next] = static_cast<std::uint16_t>(t.length[previous] + 1);
                ++next;
                if (next >= limit && limit < kMaxCodes) {
                    limit *= 2;
                    ++width;
                }
            }
            previous = code;
        }
    }
    // Every pixel is there: what follows (normally just the end code) is skipped.
    if (!reader.Ended()) reader.SkipToTerminator();
    return written;
}

} // namespace

std::vector<int> InterlacedRowOrder(int height) {
    std::vector<int> order;
    order.reserve(height > 0 ? static_cast<size_t>(height) : 0);
    int row = 0, pass = 0, step = 8;
    for (int i = 0; i < height; ++i) {
        order.push_back(row);
        row += step;
        while (row >= height) {
            if (pass > 0) step /= 2;
            ++pass;
            row = step / 2;
        }
    }
    return order;
}

void DecodeImageData(TStream& stream, Byte* pixels, int width, int height, bool interlaced,
                     const GIFWarningSink& warn) {
    int minCodeSize = ReadByteFrom(stream);
    if (minCodeSize == kEndOfStream) return;
    if (minCodeSize < 1 || minCodeSize > kMaxCodeWidth - 1) RaiseGIFError(gifmsg::InvalidData);

    Int64 total = FramePixelCount(width, height);
    CodeReader reader(stream, warn);
    auto table = std::make_unique<CodeTable>();
    if (!interlaced || height <= 1) {
        DecodeCodes(reader, *table, minCodeSize, pixels, total);
        return;
    }
    std::unique_ptr<Byte[]> stored(new Byte[static_cast<size_t>(total)]);
    Int64 got = DecodeCodes(reader, *table, minCodeSize, stored.get(), total);
    std::vector<int> order = InterlacedRowOrder(height);
    for (int i = 0; i < height && got > 0; ++i) {
        Int64 n = std::min<Int64>(got, width);
        std::memcpy(pixels + static_cast<Int64>(order[i]) * width,
                    stored.get() + static_cast<Int64>(i) * width, static_cast<size_t>(n));
        got -= n;
    }
}

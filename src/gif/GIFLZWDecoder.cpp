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

// A code's string is the previous code's string plus one pixel, and the two were written
// one after the other: every string defined lies whole in the output already, so a code is
// decoded by copying from where its string first appeared.
struct CodeTable {
    Int64 start[kMaxCodes];  // where the code's string begins in the output
    std::uint16_t length[kMaxCodes];
};

// Copies a string from earlier output. Where the source runs into the destination (a string
// that repeats its own start) it goes forward byte by byte; otherwise in a few fixed-size
// moves, none of which writes past the string's end.
inline void CopyString(Byte* out, Int64 from, Int64 to, int length) {
    const Byte* src = out + from;
    Byte* dest = out + to;
    if (to - from < length) {
        for (int i = 0; i < length; ++i) dest[i] = src[i];
        return;
    }
    if (length >= 8) {
        if (length > 16) {
            std::memcpy(dest, src, static_cast<size_t>(length));
            return;
        }
        std::memcpy(dest, src, 8);
        std::memcpy(dest + length - 8, src + length - 8, 8);
    } else if (length >= 4) {
        std::memcpy(dest, src, 4);
        std::memcpy(dest + length - 4, src + length - 4, 4);
    } else if (length >= 2) {
        std::memcpy(dest, src, 2);
        dest[length - 1] = src[length - 1];
    } else if (length == 1) {
        dest[0] = src[0];
    }
}

// Decodes into out[0..total); answers the number of pixels written.
Int64 DecodeCodes(CodeReader& reader, CodeTable& t, int minCodeSize, Byte* out, Int64 total) {
    const int clear = 1 << minCodeSize;
    const int endCode = clear + 1;
    for (int i = 0; i < clear; ++i) t.length[i] = 1;
    int width = minCodeSize + 1;
    int limit = 2 * clear;
    int next = clear + 2;
    int previous = kNoPrevious;
    Int64 previousStart = 0;  // where the previous code's string was written
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
            previousStart = written;
            out[written++] = static_cast<Byte>(code);
            previous = code;
            // With a minimum code size of 1 the first free code (4) already needs 3 bits,
            // as encoders write the second code.
            if (next >= limit && limit < kMaxCodes) {
                limit *= 2;
                ++width;
            }
        } else {
            // A code past the next free one names no string yet: damaged data, read as the
            // string being defined, as other readers do, rather than refusing the image.
            if (code > next) code = next;
            Int64 at = written;
            if (code < clear) {
                out[written++] = static_cast<Byte>(code);
            } else {
                // The string being defined (code == next) is the previous one plus its own
                // first pixel: it starts where the previous string did and runs one further,
                // onto the pixel being written.
                Int64 from = code == next ? previousStart : t.start[code];
                int length = code == next ? t.length[previous] + 1 : t.length[code];
                Int64 room = total - written;
                // A string longer than the room left is cut; its first pixels all lie
                // before the write position (also for the one being defined).
                int n = length <= room ? length : static_cast<int>(room);
                CopyString(out, from, written, n);
                written += n;
            }
            if (next < kMaxCodes) {
                t.start[next] = previousStart;
                t.length[next] = static_cast<std::uint16_t>(t.length[previous] + 1);
                ++next;
                if (next >= limit && limit < kMaxCodes) {
                    limit *= 2;
                    ++width;
                }
            }
            previous = code;
            previousStart = at;
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

#include "gif/codec/GIFLZWDecoder.h"

#include "gif/codec/GIFException.h"
#include "gif/codec/GIFStreamIO.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr int kMaxCodes = 4096; // 12-bit codes
constexpr int kMaxCodeWidth = 12;
constexpr int kNoPrevious = -1; // no code read since the last clear

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
        while (NextBlock())
            pos_ = len_;
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
    bool ended_ = false; // terminator read, or the stream ran dry
    bool warned_ = false;
};

// A code's string is the previous code's string plus one pixel, and the two were written
// one after the other: every string defined lies whole in the output already, so a code is
// decoded by copying from where its string first appeared.
struct CodeTable {
    Int64 start[kMaxCodes]; // where the code's string begins in the output
    std::uint16_t length[kMaxCodes];
};

// Copies a string from earlier output. Where the source runs into the destination (a string
// that repeats its own start) it goes forward byte by byte; otherwise in a few fixed-size
// moves, none of which writes past the string's end.
inline void CopyString(Byte* out, Int64 from, Int64 to, int length) {
    const Byte* src = out + from;
    Byte* dest = out + to;
    if (to - from < length) {
        for (int i = 0; i < length; ++i)
            dest[i] = src[i];
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

// Where decoded pixels go: the caller's buffer of all of them, or memory of our own that
// grows as the data delivers pixels.
class PixelOutput {
public:
    PixelOutput(Byte* pixels, Int64 total) : data_(pixels), capacity_(total), total_(total) {}
    explicit PixelOutput(Int64 total) : total_(total) {}

    Byte* Data() const { return data_; }
    Int64 Total() const { return total_; }
    // Room for need more pixels after written, or for all that are left.
    void Reserve(Int64 written, Int64 need) {
        if (capacity_ - written >= need || capacity_ >= total_) return;
        Int64 capacity = std::max({capacity_ * 2, written + need, kFirstCapacity});
        capacity = std::min(capacity, total_);
        std::unique_ptr<Byte[]> grown(new Byte[static_cast<size_t>(capacity)]);
        if (written > 0) std::memcpy(grown.get(), data_, static_cast<size_t>(written));
        owned_ = std::move(grown);
        data_ = owned_.get();
        capacity_ = capacity;
    }
    std::unique_ptr<Byte[]> Release() { return std::move(owned_); }

private:
    static constexpr Int64 kFirstCapacity = Int64(1) << 16;
    Byte* data_ = nullptr;
    Int64 capacity_ = 0;
    Int64 total_;
    std::unique_ptr<Byte[]> owned_;
};

// The longest string a code can stand for, plus the pixel of the string being defined.
constexpr Int64 kMaxStringPixels = kMaxCodes + 1;

// Decodes up to the output's total; answers the number of pixels written.
Int64 DecodeCodes(CodeReader& reader, CodeTable& t, int minCodeSize, PixelOutput& output) {
    const Int64 total = output.Total();
    const int clear = 1 << minCodeSize;
    const int endCode = clear + 1;
    for (int i = 0; i < clear; ++i)
        t.length[i] = 1;
    int width = minCodeSize + 1;
    int limit = 2 * clear;
    int next = clear + 2;
    int previous = kNoPrevious;
    Int64 previousStart = 0; // where the previous code's string was written
    Int64 written = 0;

    while (written < total) {
        output.Reserve(written, kMaxStringPixels);
        Byte* out = output.Data();
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

namespace {

// Reads the minimum code size and decodes into output; false when there is no image data.
bool DecodeInto(TStream& stream, PixelOutput& output, Int64& written, const GIFWarningSink& warn) {
    written = 0;
    int minCodeSize = ReadByteFrom(stream);
    if (minCodeSize == kEndOfStream) return false;
    if (minCodeSize < 1 || minCodeSize > kMaxCodeWidth - 1) RaiseGIFError(gifmsg::InvalidData);
    CodeReader reader(stream, warn);
    auto table = std::make_unique<CodeTable>();
    written = DecodeCodes(reader, *table, minCodeSize, output);
    return true;
}

// Rows (or the start of a row) that got pixels in the order an interlaced file stores them.
int StoredRows(Int64 got, int width) {
    return width > 0 ? static_cast<int>((got + width - 1) / width) : 0;
}

// Copies the stored rows that arrived to their logical places.
void PlaceInterlacedRows(const Byte* stored, Int64 got, Byte* pixels, int width,
                         const std::vector<int>& order) {
    for (size_t i = 0; i < order.size() && got > 0; ++i) {
        Int64 n = std::min<Int64>(got, width);
        std::memcpy(pixels + static_cast<Int64>(order[i]) * width,
                    stored + static_cast<Int64>(i) * width, static_cast<size_t>(n));
        got -= n;
    }
}

} // namespace

void DecodeImageData(TStream& stream, Byte* pixels, int width, int height, bool interlaced,
                     const GIFWarningSink& warn) {
    Int64 total = FramePixelCount(width, height);
    Int64 got = 0;
    if (!interlaced || height <= 1) {
        PixelOutput output(pixels, total);
        DecodeInto(stream, output, got, warn);
        return;
    }
    PixelOutput stored(total);
    if (!DecodeInto(stream, stored, got, warn)) return;
    PlaceInterlacedRows(stored.Data(), got, pixels, width, InterlacedRowOrder(height));
}

GIFDecodedPixels DecodeImagePixels(TStream& stream, int width, int height, bool interlaced,
                                   Byte fill, const GIFWarningSink& warn) {
    Int64 total = FramePixelCount(width, height);
    GIFDecodedPixels result;
    PixelOutput output(total);
    Int64 got = 0;
    if (!DecodeInto(stream, output, got, warn) || got == 0) return result;
    if (!interlaced || height <= 1) {
        result.Pixels = output.Release();
        result.Size = got;
        return result;
    }
    std::vector<int> order = InterlacedRowOrder(height);
    order.resize(static_cast<size_t>(StoredRows(got, width)));
    int lastRow = *std::max_element(order.begin(), order.end());
    result.Size = static_cast<Int64>(lastRow + 1) * width;
    result.Pixels.reset(new Byte[static_cast<size_t>(result.Size)]);
    std::memset(result.Pixels.get(), fill, static_cast<size_t>(result.Size));
    PlaceInterlacedRows(output.Data(), got, result.Pixels.get(), width, order);
    return result;
}

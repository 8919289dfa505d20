#include "gif/codec/GIFReadAhead.h"

#include <algorithm>
#include <cstring>

GIFReadAheadStream::GIFReadAheadStream(TStream& source)
    : source_(source), buffer_(new Byte[kChunk]), base_(source.Position()) {}

Int64 GIFReadAheadStream::Read(void* buffer, Int64 count) {
    auto* out = static_cast<Byte*>(buffer);
    Int64 done = 0;
    while (done < count) {
        if (at_ == length_) {
            // A large request goes straight to the source, not through the buffer.
            if (count - done >= kChunk) {
                Int64 got = source_.Read(out + done, count - done);
                base_ += length_ + std::max<Int64>(got, 0);
                length_ = at_ = 0;
                if (got > 0) done += got;
                break;
            }
            base_ += length_;
            length_ = at_ = 0;
            Int64 got = source_.Read(buffer_.get(), kChunk);
            if (got <= 0) break;
            length_ = got;
        }
        Int64 n = std::min(count - done, length_ - at_);
        std::memcpy(out + done, buffer_.get() + at_, static_cast<size_t>(n));
        at_ += n;
        done += n;
    }
    return done;
}

Int64 GIFReadAheadStream::Write(const void*, Int64) {
    return 0;
}

Int64 GIFReadAheadStream::Seek(Int64 offset, TSeekOrigin origin) {
    Int64 target = offset;
    if (origin == soCurrent)
        target = base_ + at_ + offset;
    else if (origin == soEnd)
        target = source_.Size() + offset;
    if (target >= base_ && target <= base_ + length_) {
        at_ = target - base_;
        return target;
    }
    base_ = source_.Seek(target, soBeginning);
    length_ = at_ = 0;
    return base_;
}

void GIFReadAheadStream::Settle() {
    base_ = source_.Seek(base_ + at_, soBeginning);
    length_ = at_ = 0;
}

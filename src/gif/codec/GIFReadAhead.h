#pragma once
// Reading a GIF takes its bytes one block, often one byte, at a time. Over a file each of
// those would be a system call; this stream reads its source in large pieces and hands the
// bytes out from memory. Positions and size are the source's own, so progress and
// stepping back read as they would on the source.
#include "rtl/Stream.h"

#include <memory>

class GIFReadAheadStream final : public TStream {
public:
    // Starts at the source's current position.
    explicit GIFReadAheadStream(TStream& source);
    GIFReadAheadStream(const GIFReadAheadStream&) = delete;
    GIFReadAheadStream& operator=(const GIFReadAheadStream&) = delete;

    Int64 Read(void* buffer, Int64 count) override;
    // Read only: writes nothing.
    Int64 Write(const void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override { return source_.Size(); }

    // Puts the source at this stream's position (after the last byte handed out), which the
    // reading ahead has passed; reading goes on from there.
    void Settle();

private:
    static constexpr Int64 kChunk = 64 * 1024;

    TStream& source_;
    std::unique_ptr<Byte[]> buffer_;
    Int64 base_; // source position of buffer_[0]; the source itself stands at base_ + length_
    Int64 length_ = 0;
    Int64 at_ = 0; // next byte within the buffer
};

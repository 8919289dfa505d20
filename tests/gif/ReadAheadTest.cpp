#include "GIFGraphicTestUtil.h"
#include "GIFTestUtil.h"

#include "gif/codec/GIFException.h"
#include "gif/codec/GIFReadAhead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

using namespace gifgraphictest;
using giftest::Bytes;
using giftest::Cat;
using giftest::Contents;
using giftest::Fill;
using giftest::Str;

namespace {

// A stream over bytes that is no memory stream (as a file is not) and counts its reads.
class CountingStream final : public TStream {
public:
    explicit CountingStream(Bytes data) : data_(std::move(data)) {}
    Int64 Read(void* buffer, Int64 count) override {
        ++reads;
        Int64 n = std::clamp<Int64>(static_cast<Int64>(data_.size()) - at_, 0, count);
        std::memcpy(buffer, data_.data() + at_, static_cast<size_t>(n));
        at_ += n;
        return n;
    }
    Int64 Write(const void*, Int64) override { return 0; }
    Int64 Seek(Int64 offset, TSeekOrigin origin) override {
        Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? at_ : Int64(data_.size());
        at_ = std::clamp<Int64>(base + offset, 0, static_cast<Int64>(data_.size()));
        return at_;
    }
    int reads = 0;

private:
    Bytes data_;
    Int64 at_ = 0;
};

// Three frames of noise: a file of several read-ahead pieces.
Bytes NoisyGIF() {
    RecordingGraphic image;
    std::mt19937 rng(3);
    for (int f = 0; f < 3; ++f) {
        TGIFSubImage* frame = AddPlainFrame(*image, 240, 200, {});
        for (int i = 0; i < 256; ++i)
            frame->OwnColorMap().AppendColor(RGB(i, 255 - i, i / 2));
        for (Int64 i = 0; i < frame->PixelCount(); ++i)
            frame->Data()[i] = static_cast<Byte>(rng());
    }
    TMemoryStream s;
    image->SaveToStream(s);
    return Contents(s);
}

} // namespace

TEST(ReadAhead, HandsOutTheSourceBytesAcrossPiecesAndSettlesWhereItStands) {
    Bytes data(300000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<Byte>(i * 7 + i / 251);
    CountingStream source(data);
    source.Seek(5, soBeginning);
    GIFReadAheadStream ahead(source);
    // Single bytes, a step back, reads that straddle a piece and one larger than a piece.
    Int64 at = 5;
    for (Int64 size : {1, 1, 3, 65530, 20, 140000, 2, 70000}) {
        if (size == 2) {
            EXPECT_EQ(ahead.Seek(-1, soCurrent), at - 1);
            --at;
        }
        Bytes got(static_cast<size_t>(size));
        ASSERT_EQ(ahead.Read(got.data(), size), size) << "read of " << size;
        EXPECT_TRUE(std::equal(got.begin(), got.end(), data.begin() + at)) << "read of " << size;
        at += size;
        EXPECT_EQ(ahead.Position(), at);
    }
    EXPECT_EQ(ahead.Size(), static_cast<Int64>(data.size()));
    ahead.Settle();
    EXPECT_EQ(source.Position(), at);
    // The end gives what is left, then nothing.
    Bytes rest(data.size());
    EXPECT_EQ(ahead.Read(rest.data(), static_cast<Int64>(rest.size())),
              static_cast<Int64>(data.size()) - at);
    EXPECT_EQ(ahead.Read(rest.data(), 1), 0);
}

TEST(ReadAhead, AGIFFromAnotherStreamLoadsAsFromMemoryInFewReads) {
    Bytes gif = NoisyGIF();
    ASSERT_GT(gif.size(), 150000u);
    RecordingGraphic fromMemory;
    {
        TMemoryStream s;
        Fill(s, gif);
        fromMemory->LoadFromStream(s);
    }
    // Bytes after the GIF stay unread: the stream ends up right after the trailer.
    CountingStream source(Cat({gif, Str("after")}));
    RecordingGraphic image;
    image->LoadFromStream(source);
    EXPECT_EQ(source.Position(), static_cast<Int64>(gif.size()));
    EXPECT_LT(source.reads, 12);
    ASSERT_EQ(image->Frames().Count(), 3);
    for (int f = 0; f < 3; ++f) {
        TGIFSubImage* a = image->Frames().GetFrame(f);
        TGIFSubImage* b = fromMemory->Frames().GetFrame(f);
        ASSERT_EQ(a->PixelCount(), b->PixelCount());
        EXPECT_EQ(std::memcmp(a->Data(), b->Data(), static_cast<size_t>(a->PixelCount())), 0);
        EXPECT_EQ(a->OwnColorMap().Count(), 256);
    }
    EXPECT_TRUE(image.warnings.empty());
}

TEST(ReadAhead, AFailedLoadPutsTheStreamBackWhereItBegan) {
    Bytes gif = NoisyGIF();
    // Frame 1's minimum code size made 0 deep inside the file: no decoder could mean it.
    Bytes broken = gif;
    size_t second = 0;
    for (size_t i = 13, seen = 0; i + 10 < broken.size(); ++i)
        if (broken[i] == 0x2C && broken[i + 5] == 240 && broken[i + 7] == 200 && ++seen == 2) {
            second = i;
            break;
        }
    ASSERT_GT(second, 65536u);
    size_t codeSize = second + 10 + ((broken[second + 9] & 0x80) ? 3 * 256 : 0);
    ASSERT_EQ(broken[codeSize], 8);
    broken[codeSize] = 0;
    for (const Bytes& data : {broken, Cat({{9, 9}, Str("PNG89a and more bytes")})}) {
        CountingStream source(Cat({{1, 2}, data}));
        source.Seek(2, soBeginning);
        RecordingGraphic image;
        EXPECT_THROW(image->LoadFromStream(source), GIFException);
        EXPECT_TRUE(image->Empty());
        EXPECT_EQ(source.Position(), 2);
    }
}

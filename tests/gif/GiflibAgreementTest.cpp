// Our LZW coder against giflib's, both ways: what we write giflib reads back pixel for pixel,
// and what giflib writes we read back pixel for pixel, over index buffers of several shapes,
// bit depths and both row orders.
#include "gif/codec/GIFEncoders.h"
#include "gif/codec/GIFLZWDecoder.h"

#include <gtest/gtest.h>

#include <gif_lib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<Byte>;

struct Shape {
    const char* name;
    int width;
    int height;
    int bits;
    bool interlaced;
    int pattern; // 0 noise, 1 flat blocks, 2 diagonal ramp, 3 a single colour
};

Bytes MakePixels(const Shape& s) {
    Bytes px(static_cast<size_t>(s.width) * s.height);
    std::mt19937 rng(static_cast<unsigned>(s.width * 31 + s.height * 7 + s.bits));
    int colors = 1 << s.bits;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            int v = 0;
            switch (s.pattern) {
            case 0:
                v = static_cast<int>(rng() % colors);
                break;
            case 1:
                v = (x / 23 + (y / 17) * 3) % colors;
                break;
            case 2:
                v = (x + y) % colors;
                break;
            default:
                v = colors - 1;
                break;
            }
            px[static_cast<size_t>(y) * s.width + x] = static_cast<Byte>(v);
        }
    return px;
}

const Shape kShapes[] = {
    {"noise8", 639, 480, 8, false, 0},  {"noise8i", 639, 480, 8, true, 0},
    {"blocks8", 320, 200, 8, false, 1}, {"ramp8i", 257, 131, 8, true, 2},
    {"noise4", 100, 77, 4, false, 0},   {"blocks4i", 99, 45, 4, true, 1},
    {"noise2", 64, 64, 2, false, 0},    {"ramp2i", 13, 9, 2, true, 2},
    {"noise1", 200, 150, 1, false, 0},  {"flat1i", 33, 7, 1, true, 3},
    {"pixel", 1, 1, 8, false, 3},       {"column", 1, 300, 8, true, 2},
    {"row", 5000, 1, 8, false, 0},      {"flat8", 640, 480, 8, false, 3},
    {"noise3", 77, 33, 3, true, 0},     {"tiny2i", 3, 4, 2, true, 0},
};

// A whole one-frame GIF around our image data: header, screen with a global table of
// 2^bits colours, image descriptor, data, trailer.
Bytes OurFile(const Shape& s, const Bytes& pixels) {
    TMemoryStream data;
    EncodeImageData(data, pixels.data(), s.width, s.height, s.interlaced, s.bits, 1 << s.bits,
                    kCompressLZW, nullptr);
    Bytes f = {'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&](int v) {
        f.push_back(static_cast<Byte>(v));
        f.push_back(static_cast<Byte>(v >> 8));
    };
    put16(s.width);
    put16(s.height);
    f.push_back(static_cast<Byte>(0x80 | ((s.bits - 1) << 4) | (s.bits - 1)));
    f.push_back(0);
    f.push_back(0);
    for (int i = 0; i < (1 << s.bits); ++i)
        for (int k = 0; k < 3; ++k)
            f.push_back(static_cast<Byte>(i * (k + 1)));
    f.push_back(0x2C);
    put16(0);
    put16(0);
    put16(s.width);
    put16(s.height);
    f.push_back(s.interlaced ? 0x40 : 0);
    f.insert(f.end(), data.Memory(), data.Memory() + data.Size());
    f.push_back(0x3B);
    return f;
}

struct ReadCursor {
    const Bytes* data;
    size_t at;
};

int ReadFromBytes(GifFileType* gif, GifByteType* buffer, int n) {
    auto* c = static_cast<ReadCursor*>(gif->UserData);
    size_t k = std::min<size_t>(static_cast<size_t>(n), c->data->size() - c->at);
    std::memcpy(buffer, c->data->data() + c->at, k);
    c->at += k;
    return static_cast<int>(k);
}

int WriteToBytes(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

// giflib's pixels of the file's first frame, in logical row order.
Bytes GiflibPixels(const Bytes& file) {
    ReadCursor cursor{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&cursor, ReadFromBytes, &error);
    if (!gif) return {};
    Bytes out;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
        const SavedImage& im = gif->SavedImages[0];
        size_t n = static_cast<size_t>(im.ImageDesc.Width) * im.ImageDesc.Height;
        out.assign(im.RasterBits, im.RasterBits + n);
    }
    DGifCloseFile(gif, &error);
    return out;
}

// A one-frame GIF written by giflib, with rows handed over in file order; answers the offset
// of the image data (the minimum code size byte).
Bytes GiflibFile(const Shape& s, const Bytes& pixels, size_t& dataAt) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToBytes, &error);
    if (!gif) return {};
    std::vector<GifColorType> colors(static_cast<size_t>(1) << s.bits);
    for (size_t i = 0; i < colors.size(); ++i)
        colors[i] = {GifByteType(i), GifByteType(255 - i), GifByteType(i / 2)};
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(colors.size()), colors.data());
    EGifSetGifVersion(gif, false);
    EGifPutScreenDesc(gif, s.width, s.height, s.bits, 0, map);
    EGifPutImageDesc(gif, 0, 0, s.width, s.height, s.interlaced, nullptr);
    std::vector<int> rows;
    if (s.interlaced) {
        rows = InterlacedRowOrder(s.height);
    } else {
        for (int y = 0; y < s.height; ++y)
            rows.push_back(y);
    }
    std::vector<GifPixelType> line(static_cast<size_t>(s.width));
    for (int y : rows) {
        std::memcpy(line.data(), pixels.data() + static_cast<size_t>(y) * s.width, line.size());
        EGifPutLine(gif, line.data(), s.width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    dataAt = 13 + 3 * colors.size() + 10;
    return out;
}

class GiflibAgreement : public ::testing::TestWithParam<Shape> {};

TEST_P(GiflibAgreement, GiflibDecodesOurEncoding) {
    const Shape& s = GetParam();
    Bytes pixels = MakePixels(s);
    Bytes theirs = GiflibPixels(OurFile(s, pixels));
    ASSERT_EQ(theirs.size(), pixels.size()) << "giflib could not read our file";
    EXPECT_TRUE(theirs == pixels);
}

TEST_P(GiflibAgreement, WeDecodeGiflibEncoding) {
    const Shape& s = GetParam();
    Bytes pixels = MakePixels(s);
    size_t dataAt = 0;
    Bytes file = GiflibFile(s, pixels, dataAt);
    ASSERT_GT(file.size(), dataAt);
    TMemoryStream stream;
    stream.WriteBuffer(file.data() + dataAt, static_cast<Int64>(file.size() - dataAt));
    stream.SetPosition(0);
    std::vector<String> warnings;
    Bytes ours(pixels.size(), 0);
    DecodeImageData(stream, ours.data(), s.width, s.height, s.interlaced,
                    [&](const String& m) { warnings.push_back(m); });
    EXPECT_TRUE(warnings.empty());
    EXPECT_TRUE(ours == pixels);
    // Only the trailer is left after the block terminator.
    EXPECT_EQ(stream.Position(), static_cast<Int64>(file.size() - dataAt - 1));
}

// Our output is never larger than giflib's for the same pixels (both are plain LZW with a
// clear at the full table).
TEST_P(GiflibAgreement, OurDataIsNoLargerThanGiflibs) {
    const Shape& s = GetParam();
    Bytes pixels = MakePixels(s);
    size_t dataAt = 0;
    Bytes file = GiflibFile(s, pixels, dataAt);
    TMemoryStream data;
    EncodeImageData(data, pixels.data(), s.width, s.height, s.interlaced, s.bits, 1 << s.bits,
                    kCompressLZW, nullptr);
    EXPECT_LE(static_cast<size_t>(data.Size()), file.size() - dataAt - 1);
}

INSTANTIATE_TEST_SUITE_P(Shapes, GiflibAgreement, ::testing::ValuesIn(kShapes),
                         [](const ::testing::TestParamInfo<Shape>& test) {
                             return std::string(test.param.name);
                         });

} // namespace

#include "framework/BitmapFile.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace bitmap_file {
namespace {

constexpr WORD kSignature = 0x4D42; // "BM"
constexpr Int64 kFileHeaderSize = 14;
constexpr DWORD kCoreHeaderSize = 12; // the old 12-byte header with 16-bit sizes
constexpr DWORD kInfoHeaderSize = 40;
constexpr DWORD kMaxHeaderSize = 1024; // the largest known header is 124 bytes
constexpr Int64 kMaxImageBytes = Int64(1) << 30;
// Compressed data can describe a large picture in a few bytes; this bounds what it may expand to.
constexpr Int64 kMaxExpandedBytes = Int64(1) << 28;

constexpr DWORD kMask555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr DWORD kMask888[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};

[[noreturn]] void Fail(const char* message) {
    throw EInvalidGraphic(message);
}
[[noreturn]] void Truncated() {
    Fail("Bitmap image is truncated");
}

DWORD Le16(const Byte* p) {
    return p[0] | (p[1] << 8);
}
DWORD Le32(const Byte* p) {
    return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24);
}
void Put16(std::vector<Byte>& out, DWORD v) {
    out.push_back(Byte(v));
    out.push_back(Byte(v >> 8));
}
void Put32(std::vector<Byte>& out, DWORD v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(Byte(v >> (8 * i)));
}

void ReadExactly(TStream& stream, void* buffer, Int64 count) {
    if (count > 0 && stream.Read(buffer, count) != count) Truncated();
}

// One channel of a bit-field pixel, widened or narrowed to 8 bits.
struct Channel {
    DWORD mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(DWORD m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = std::popcount(m);
        if ((std::uint64_t(m) >> shift) != (std::uint64_t(1) << bits) - 1)
            Fail("Bitmap colour masks are not valid");
    }
    Byte Extract(DWORD pixel) const {
        if (bits == 0) return 0;
        DWORD v = (pixel & mask) >> shift;
        if (bits >= 8) return Byte(v >> (bits - 8));
        return Byte(v * 255 / ((1u << bits) - 1));
    }
};

bool SameMasks(const DWORD* a, const DWORD* b) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

// Decodes run-length data (bits 8 or 4) into a zeroed bottom-up buffer. Pixels that runs push
// past the right edge are dropped; moves past the top end the picture.
void DecodeRle(const std::vector<Byte>& data, int bits, Int64 width, Int64 height, Int64 rowBytes,
               Byte* out) {
    auto put = [&](Int64 x, Int64 y, Byte v) {
        if (x >= width) return;
        Byte* row = out + y * rowBytes; // bottom-up: the first line of data is memory row 0
        if (bits == 8) {
            row[x] = v;
        } else {
            Byte& b = row[x >> 1];
            b = (x & 1) ? Byte((b & 0xF0) | (v & 0x0F)) : Byte((b & 0x0F) | (v << 4));
        }
    };
    const size_t n = data.size();
    size_t i = 0;
    Int64 x = 0, y = 0;
    while (i < n && y < height) {
        if (i + 2 > n) Truncated();
        Byte count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k, ++x) {
                Byte v = bits == 8 ? value : Byte((k & 1) ? (value & 0x0F) : (value >> 4));
                put(x, y, v);
            }
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of picture
            return;
        case 2: // move right and up
            if (i + 2 > n) Truncated();
            x += data[i];
            y += data[i + 1];
            i += 2;
            break;
        default: { // a literal run, padded to 16 bits
            size_t used = bits == 8 ? value : (size_t(value) + 1) / 2;
            if (i + used > n) Truncated();
            for (int k = 0; k < value; ++k, ++x) {
                Byte v = bits == 8
                             ? data[i + k]
                             : Byte((k & 1) ? (data[i + k / 2] & 0x0F) : (data[i + k / 2] >> 4));
                put(x, y, v);
            }
            i += (used + 1) & ~size_t(1);
            break;
        }
        }
    }
}

// What the file and info headers say, in 64 bits.
struct Header {
    Int64 fileSize = 0;
    Int64 bitsOffset = 0;
    DWORD headerSize = 0;
    Int64 width = 0;
    Int64 height = 0; // negative: top-down
    int bitCount = 0;
    DWORD compression = BI_RGB;
    Int64 colorsUsed = 0;
    Int64 imageSize = 0;
    LONG xPelsPerMeter = 0;
    LONG yPelsPerMeter = 0;
    DWORD masks[3] = {0, 0, 0};
    int entrySize = 4; // bytes of one colour table entry
    bool hasMasksInHeader = false;

    Int64 Rows() const { return height < 0 ? -height : height; }
    bool Rle() const { return compression == BI_RLE8 || compression == BI_RLE4; }
};

// Reads the file header, the info (or core) header and any bit-field masks after it, and
// checks the combination of size, depth and compression.
Header ReadHeader(TStream& stream) {
    Header hd;
    Byte fileHeader[kFileHeaderSize];
    ReadExactly(stream, fileHeader, kFileHeaderSize);
    if (Le16(fileHeader) != kSignature) Fail("Bitmap image is not valid");
    hd.fileSize = Le32(fileHeader + 2);
    hd.bitsOffset = Le32(fileHeader + 10);

    Byte sizeBytes[4];
    ReadExactly(stream, sizeBytes, 4);
    hd.headerSize = Le32(sizeBytes);

    if (hd.headerSize == kCoreHeaderSize) {
        Byte h[8];
        ReadExactly(stream, h, 8);
        hd.width = Le16(h);
        hd.height = Le16(h + 2);
        hd.bitCount = int(Le16(h + 6));
        hd.entrySize = 3;
    } else if (hd.headerSize >= kInfoHeaderSize && hd.headerSize <= kMaxHeaderSize) {
        std::vector<Byte> h(hd.headerSize - 4);
        ReadExactly(stream, h.data(), Int64(h.size()));
        hd.width = std::int32_t(Le32(h.data()));
        hd.height = std::int32_t(Le32(h.data() + 4));
        hd.bitCount = int(Le16(h.data() + 10));
        hd.compression = Le32(h.data() + 12);
        hd.imageSize = Le32(h.data() + 16);
        hd.xPelsPerMeter = std::int32_t(Le32(h.data() + 20));
        hd.yPelsPerMeter = std::int32_t(Le32(h.data() + 24));
        hd.colorsUsed = Le32(h.data() + 28);
        if (hd.headerSize >= 52) {
            hd.hasMasksInHeader = true;
            for (int c = 0; c < 3; ++c)
                hd.masks[c] = Le32(h.data() + 36 + 4 * c);
        }
    } else {
        Fail("Bitmap header is not valid");
    }

    if (hd.width <= 0 || hd.height == 0 || hd.height < -Int64(0x7FFFFFFF))
        Fail("Bitmap dimensions are not valid");

    switch (hd.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        Fail("Bitmap colour depth is not supported");
    }
    switch (hd.compression) {
    case BI_RGB:
        break;
    case BI_RLE8:
        if (hd.bitCount != 8) Fail("Bitmap compression is not valid");
        break;
    case BI_RLE4:
        if (hd.bitCount != 4) Fail("Bitmap compression is not valid");
        break;
    case BI_BITFIELDS:
        if (hd.bitCount != 16 && hd.bitCount != 32) Fail("Bitmap compression is not valid");
        break;
    default:
        Fail("Bitmap compression is not supported");
    }
    if (hd.Rle() && hd.height < 0) Fail("Bitmap compression is not valid");

    if (hd.compression == BI_BITFIELDS && !hd.hasMasksInHeader) {
        Byte m[12];
        ReadExactly(stream, m, 12);
        for (int c = 0; c < 3; ++c)
            hd.masks[c] = Le32(m + 4 * c);
    }
    if (hd.compression == BI_BITFIELDS && (hd.masks[0] | hd.masks[1] | hd.masks[2]) == 0)
        Fail("Bitmap colour masks are not valid");
    return hd;
}

// Reads the colour table into image and moves the stream to the pixel data. Paletted depths
// keep at most 2^bits entries; others have none to keep.
void ReadColorTable(TStream& stream, Int64 start, Int64 end, const Header& hd, Image& image) {
    Int64 tableEntries = 0; // entries that lie in the file
    Int64 keptEntries = 0;
    if (hd.bitCount <= 8) {
        const Int64 full = Int64(1) << hd.bitCount;
        tableEntries =
            (hd.colorsUsed == 0 || hd.headerSize == kCoreHeaderSize) ? full : hd.colorsUsed;
        keptEntries = std::min(tableEntries, full);
    } else {
        tableEntries = hd.colorsUsed;
    }
    if (keptEntries > 0) {
        std::vector<Byte> table(static_cast<size_t>(keptEntries * hd.entrySize));
        ReadExactly(stream, table.data(), Int64(table.size()));
        image.colors.resize(size_t(keptEntries));
        for (Int64 i = 0; i < keptEntries; ++i) {
            const Byte* e = table.data() + i * hd.entrySize;
            image.colors[size_t(i)] = RGBQUAD{e[0], e[1], e[2], 0};
        }
    }
    const Int64 afterTable =
        stream.Position() - start + (tableEntries - keptEntries) * hd.entrySize;
    const Int64 dataOffset =
        hd.bitsOffset >= stream.Position() - start ? hd.bitsOffset : afterTable;
    if (dataOffset > end - start) Truncated();
    stream.SetPosition(start + dataOffset);
}

// Bit fields that no plain format matches, converted pixel by pixel.
struct FieldConversion {
    Channel red{0}, green{0}, blue{0};
    bool active = false;
};

// Settles the layout the picture is kept in: 16 and 32-bit pixels stay as they are when their
// masks are a plain format, and are converted otherwise.
FieldConversion ChooseLayout(const Header& hd, Image& image) {
    image.width = LONG(hd.width);
    image.height = LONG(hd.height);
    image.bitCount = WORD(hd.bitCount);
    image.xPelsPerMeter = hd.xPelsPerMeter;
    image.yPelsPerMeter = hd.yPelsPerMeter;
    FieldConversion fields;
    if (hd.bitCount == 16 || hd.bitCount == 32) {
        const DWORD* plain = hd.bitCount == 16 ? kMask555 : kMask888;
        const DWORD* given = hd.compression == BI_BITFIELDS ? hd.masks : plain;
        if (SameMasks(given, plain)) {
            // stored as BI_RGB
        } else if (hd.bitCount == 16 && SameMasks(given, kMask565)) {
            image.compression = BI_BITFIELDS;
            std::copy(kMask565, kMask565 + 3, image.masks);
        } else {
            fields.red = Channel(given[0]);
            fields.green = Channel(given[1]);
            fields.blue = Channel(given[2]);
            fields.active = true;
            if (hd.bitCount == 16) image.bitCount = 24;
        }
    }
    return fields;
}

// Reads rows of bit-field pixels and writes them as 24 or 32-bit pixels.
void ConvertFieldRows(TStream& stream, Int64 end, const Header& hd, const Image& image,
                      const FieldConversion& fields, Byte* out) {
    const Int64 width = hd.width;
    const int bitCount = hd.bitCount;
    const Int64 fileRowBytes = RowBytes(width, bitCount);
    const Int64 outRowBytes = RowBytes(width, image.bitCount);
    std::vector<Byte> row(static_cast<size_t>(fileRowBytes));
    for (Int64 y = 0; y < hd.Rows(); ++y) {
        const Int64 take = std::min(fileRowBytes, end - stream.Position());
        ReadExactly(stream, row.data(), take);
        std::fill(row.begin() + take, row.end(), 0);
        Byte* dst = out + y * outRowBytes;
        for (Int64 x = 0; x < width; ++x) {
            const Byte* p = row.data() + x * (bitCount / 8);
            DWORD pixel = bitCount == 16 ? Le16(p) : Le32(p);
            if (image.bitCount == 24) {
                dst[3 * x] = fields.blue.Extract(pixel);
                dst[3 * x + 1] = fields.green.Extract(pixel);
                dst[3 * x + 2] = fields.red.Extract(pixel);
            } else {
                dst[4 * x] = fields.blue.Extract(pixel);
                dst[4 * x + 1] = fields.green.Extract(pixel);
                dst[4 * x + 2] = fields.red.Extract(pixel);
                dst[4 * x + 3] = 0;
            }
        }
        std::fill(dst + width * (image.bitCount / 8), dst + outRowBytes, 0);
    }
}

// Reads the pixels into the memory allocate gives for image; returns where they end.
Int64 ReadPixels(TStream& stream, Int64 end, const Header& hd, const Image& image,
                 const FieldConversion& fields,
                 const std::function<Byte*(const Image&)>& allocate) {
    const Int64 rows = hd.Rows();
    const Int64 fileRowBytes = RowBytes(hd.width, hd.bitCount);
    const Int64 outRowBytes = RowBytes(hd.width, image.bitCount);
    if (outRowBytes > kMaxImageBytes / rows) Fail("Bitmap image is too large");
    const Int64 outBytes = outRowBytes * rows;
    const Int64 available = end - stream.Position();

    if (hd.Rle()) {
        if (outBytes > kMaxExpandedBytes) Fail("Bitmap image is too large");
        Int64 dataBytes = hd.imageSize != 0 ? hd.imageSize : available;
        if (dataBytes > available) Truncated();
        if (dataBytes > kMaxImageBytes) Fail("Bitmap image is too large");
        std::vector<Byte> data(static_cast<size_t>(dataBytes));
        ReadExactly(stream, data.data(), dataBytes);
        const Int64 pixelEnd = stream.Position();
        Byte* out = allocate(image);
        std::memset(out, 0, size_t(outBytes));
        DecodeRle(data, hd.bitCount, hd.width, rows, outRowBytes, out);
        return pixelEnd;
    }
    // Some writers drop the padding after the last row; accept that, nothing less.
    const Int64 lastRowUsed = (hd.width * hd.bitCount + 7) / 8;
    const Int64 needed = fileRowBytes * (rows - 1) + lastRowUsed;
    if (needed > available) Truncated();
    Byte* out = allocate(image);
    if (!fields.active) {
        const Int64 have = std::min(available, outBytes);
        ReadExactly(stream, out, have);
        if (have < outBytes) std::memset(out + have, 0, size_t(outBytes - have));
    } else {
        ConvertFieldRows(stream, end, hd, image, fields, out);
    }
    return stream.Position();
}

} // namespace

Int64 RowBytes(Int64 width, int bitCount) {
    return ((width * bitCount + 31) / 32) * 4;
}

void Read(TStream& stream, const std::function<Byte*(const Image&)>& allocate) {
    const Int64 start = stream.Position();
    const Int64 end = stream.Size();
    const Header hd = ReadHeader(stream);
    Image image;
    ReadColorTable(stream, start, end, hd, image);
    const FieldConversion fields = ChooseLayout(hd, image);
    const Int64 pixelEnd = ReadPixels(stream, end, hd, image, fields, allocate);

    // Leave the stream after the whole file when its header says it is longer.
    if (hd.fileSize > pixelEnd - start && hd.fileSize <= end - start)
        stream.SetPosition(start + hd.fileSize);
    else
        stream.SetPosition(pixelEnd);
}

void Write(TStream& stream, const Image& image, const Byte* bits) {
    const Int64 rows = image.height < 0 ? -Int64(image.height) : Int64(image.height);
    const Int64 rowBytes = RowBytes(image.width, image.bitCount);
    const Int64 imageBytes = rowBytes * rows;
    const bool fields = image.compression == BI_BITFIELDS;
    const Int64 tableBytes = fields ? 12 : Int64(image.colors.size()) * 4;
    const Int64 offset = kFileHeaderSize + kInfoHeaderSize + tableBytes;
    if (offset + imageBytes > 0xFFFFFFFFLL) Fail("Bitmap image is too large");

    std::vector<Byte> head;
    head.reserve(size_t(offset));
    Put16(head, kSignature);
    Put32(head, DWORD(offset + imageBytes));
    Put16(head, 0);
    Put16(head, 0);
    Put32(head, DWORD(offset));
    Put32(head, kInfoHeaderSize);
    Put32(head, DWORD(image.width));
    Put32(head, DWORD(image.height));
    Put16(head, 1);
    Put16(head, image.bitCount);
    Put32(head, fields ? BI_BITFIELDS : BI_RGB);
    Put32(head, DWORD(imageBytes));
    Put32(head, DWORD(image.xPelsPerMeter));
    Put32(head, DWORD(image.yPelsPerMeter));
    Put32(head, fields ? 0 : DWORD(image.colors.size()));
    Put32(head, 0);
    if (fields) {
        for (DWORD m : image.masks)
            Put32(head, m);
    } else {
        for (const RGBQUAD& q : image.colors) {
            head.push_back(q.rgbBlue);
            head.push_back(q.rgbGreen);
            head.push_back(q.rgbRed);
            head.push_back(0);
        }
    }
    stream.WriteBuffer(head.data(), Int64(head.size()));
    stream.WriteBuffer(bits, imageBytes);
}

} // namespace bitmap_file

#include "platform/avifile/AviWriter.h"
#include "platform/avifile/Vfw.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"
#include "support/media/AviReadBack.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

using namespace avitest;

namespace {

// A frame whose pixels tell its number: every byte of row y in frame n is (n * 16 + y) % 256
// for 24 bits; for 8 bits, the index of every pixel is n, and palette entry n is (n, 2n, 3n).
struct Frames {
    int width;
    int height;
    int bits;
    std::size_t Stride() const { return ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4; }
    std::size_t ImageSize() const { return Stride() * static_cast<std::size_t>(height); }
    std::vector<BYTE> Format() const {
        const std::size_t colours = bits == 8 ? 256 : 0;
        std::vector<BYTE> f(sizeof(BITMAPINFOHEADER) + colours * 4);
        BITMAPINFOHEADER h{};
        h.biWidth = width;
        h.biHeight = height;
        h.biBitCount = static_cast<WORD>(bits);
        h.biSizeImage = static_cast<DWORD>(ImageSize());
        h.biClrUsed = static_cast<DWORD>(colours);
        std::memcpy(f.data(), &h, sizeof h);
        for (std::size_t i = 0; i < colours; ++i) {
            RGBQUAD q{static_cast<BYTE>(3 * i), static_cast<BYTE>(2 * i), static_cast<BYTE>(i), 0};
            std::memcpy(f.data() + sizeof h + i * 4, &q, 4);
        }
        return f;
    }
    std::vector<BYTE> Bits(int n) const {
        std::vector<BYTE> b(ImageSize());
        for (int y = 0; y < height; ++y)
            std::memset(b.data() + Stride() * static_cast<std::size_t>(y),
                        bits == 8 ? n : (n * 16 + y) % 256, Stride());
        return b;
    }
    // The expected top-down RGB of the first pixel in the bottom row of frame n.
    std::array<int, 3> BottomLeft(int n) const {
        if (bits == 8) return {n % 256, (2 * n) % 256, (3 * n) % 256};
        const int v = (n * 16) % 256; // DIB row 0 is the bottom row
        return {v, v, v};
    }
};

AVISTREAMINFOA StreamHeader(const Frames& f, DWORD scale) {
    AVISTREAMINFOA info{};
    info.fccType = streamtypeVIDEO;
    info.dwScale = scale;
    info.dwRate = 90;
    info.dwSuggestedBufferSize = static_cast<DWORD>(f.ImageSize());
    info.rcFrame = {0, 0, f.width, f.height};
    return info;
}

// Writes the frames at the given sample numbers the way the saver does.
void WriteAvi(const std::string& path, const Frames& f, DWORD scale,
              const std::vector<int>& samples) {
    AVIFileInit();
    PAVIFILE file = nullptr;
    ASSERT_EQ(AVIFileOpenA(&file, path.c_str(), OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE, nullptr),
              AVIERR_OK);
    PAVISTREAM stream = nullptr;
    AVISTREAMINFOA info = StreamHeader(f, scale);
    ASSERT_EQ(AVIFileCreateStreamA(file, &stream, &info), AVIERR_OK);
    std::vector<BYTE> format = f.Format();
    ASSERT_EQ(AVIStreamSetFormat(stream, 0, format.data(), static_cast<LONG>(format.size())),
              AVIERR_OK);
    for (int n : samples) {
        std::vector<BYTE> bits = f.Bits(n);
        LONG written = 0;
        LONG bytes = 0;
        ASSERT_EQ(AVIStreamWrite(stream, n, 1, bits.data(), static_cast<LONG>(bits.size()),
                                 AVIIF_KEYFRAME, &written, &bytes),
                  AVIERR_OK);
        EXPECT_EQ(written, 1);
        EXPECT_EQ(bytes, static_cast<LONG>(bits.size()));
    }
    AVIStreamRelease(stream);
    AVIFileRelease(file);
    AVIFileExit();
}

void ExpectFrames(const ReadBack& r, const Frames& f, const std::vector<int>& samples) {
    // Empty samples keep their numbers: every picture arrives at its own sample time.
    ASSERT_EQ(r.packetSamples, std::vector<std::int64_t>(samples.begin(), samples.end()));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        EXPECT_EQ(r.packetSizes[i], static_cast<int>(f.ImageSize())) << "sample " << samples[i];
        const std::vector<std::uint8_t>& p = r.pictures[i];
        ASSERT_EQ(p.size(), static_cast<std::size_t>(f.width * f.height * 3))
            << "sample " << samples[i];
        const std::size_t bottom = static_cast<std::size_t>(f.height - 1) * f.width * 3;
        const std::array<int, 3> want = f.BottomLeft(samples[i]);
        EXPECT_EQ((std::array<int, 3>{p[bottom], p[bottom + 1], p[bottom + 2]}), want)
            << "sample " << samples[i];
    }
}

struct AviCase {
    const char* name;
    Frames frames;
    DWORD scale;
    std::vector<int> samples;
    const char* probe;
};

class AviFileWrite : public ::testing::TestWithParam<AviCase> {};

TEST_P(AviFileWrite, ReadsBackWithRateCountSizeAndPixels) {
    const AviCase& c = GetParam();
    test_support::TempFolder dir("korvid-avi-");
    const std::string path = dir.File("grid.avi");
    WriteAvi(path, c.frames, c.scale, c.samples);
    ReadBack r = ReadAvi(path);
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(r.codec, "rawvideo");
    EXPECT_EQ(r.width, c.frames.width);
    EXPECT_EQ(r.height, c.frames.height);
    EXPECT_NEAR(r.frameRate, 90.0 / c.scale, 1e-9);
    EXPECT_EQ(r.frames, c.samples.back() + 1);
    ExpectFrames(r, c.frames, c.samples);
    EXPECT_EQ(Probe(path), c.probe);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"grid.avi"});
}

const AviCase kCases[] = {
    {"TrueColour", {64, 48, 24}, 33, {0, 1, 2, 3, 4}, "rawvideo,64,48,bgr24,30/11,5"},
    {"Palette", {64, 48, 8}, 4, {0, 1, 2, 3}, "rawvideo,64,48,pal8,45/2,4"},
    // Rows of 3 x 321 = 963 bytes are padded to 964.
    {"OddWidth", {321, 7, 24}, 90, {0, 1}, "rawvideo,321,7,bgr24,1/1,2"},
    // Skipped list items leave empty samples at their numbers.
    {"Gaps", {32, 16, 24}, 33, {0, 2, 3, 7}, "rawvideo,32,16,bgr24,30/11,8"},
    {"PaletteGaps", {32, 16, 8}, 33, {1, 4}, "rawvideo,32,16,pal8,30/11,5"},
};

INSTANTIATE_TEST_SUITE_P(Files, AviFileWrite, ::testing::ValuesIn(kCases),
                         [](const auto& instance) { return std::string(instance.param.name); });

TEST(AviFileOpenDml, SegmentsPastTheLimitKeepEveryFrame) {
    // The limit is lowered so the test crosses several RIFF segments with small frames; the
    // benchmark crosses the real 1 GiB.
    const std::uint64_t old = avifile::RiffSegmentLimit();
    avifile::SetRiffSegmentLimit(64 * 1024);
    test_support::TempFolder dir("korvid-avi-");
    const std::string path = dir.File("long.avi");
    const Frames f{64, 48, 24}; // 9216 bytes a frame: 6 frames a segment
    std::vector<int> samples;
    for (int i = 0; i < 40; ++i)
        if (i != 17) samples.push_back(i);
    WriteAvi(path, f, 33, samples);
    avifile::SetRiffSegmentLimit(old);
    ReadBack r = ReadAvi(path);
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(r.frames, 40);
    ExpectFrames(r, f, samples);
    EXPECT_EQ(Probe(path), "rawvideo,64,48,bgr24,30/11,40");
    // The file is a chain of RIFF lists: 'AVI ' first, then 'AVIX', each within the limit.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    int segments = 0;
    BYTE head[12];
    long at = 0;
    while (std::fread(head, 1, 12, file) == 12) {
        ASSERT_EQ(std::memcmp(head, "RIFF", 4), 0) << "at " << at;
        EXPECT_EQ(std::memcmp(head + 8, segments == 0 ? "AVI " : "AVIX", 4), 0);
        DWORD size;
        std::memcpy(&size, head + 4, 4);
        EXPECT_LE(size + 8, 64u * 1024 + 16 * 1024); // the first also holds the headers
        at += 8 + static_cast<long>(size);
        std::fseek(file, at, SEEK_SET);
        ++segments;
    }
    std::fclose(file);
    EXPECT_GE(segments, 6);
}

TEST(AviFileFailures, AMissingFolderFailsAtOpen) {
    test_support::TempFolder dir("korvid-avi-");
    PAVIFILE file = reinterpret_cast<PAVIFILE>(1);
    EXPECT_EQ(AVIFileOpenA(&file, dir.File("no/such/folder/x.avi").c_str(), OF_CREATE | OF_WRITE,
                           nullptr),
              AVIERR_FILEOPEN);
    EXPECT_EQ(file, nullptr);
    EXPECT_TRUE(dir.Names().empty());
}

TEST(AviFileFailures, AFullDiskFailsTheWriteAndLeavesNoFile) {
    test_support::TempFolder dir("korvid-avi-");
    const std::string path = dir.File("full.avi");
    auto full = std::make_unique<test_support::FileSizeLimit>(200 * 1024);
    ASSERT_TRUE(full->Set());

    const Frames f{128, 128, 24}; // 48 KiB a frame
    PAVIFILE file = nullptr;
    ASSERT_EQ(AVIFileOpenA(&file, path.c_str(), OF_CREATE | OF_WRITE, nullptr), AVIERR_OK);
    PAVISTREAM stream = nullptr;
    AVISTREAMINFOA info = StreamHeader(f, 33);
    ASSERT_EQ(AVIFileCreateStreamA(file, &stream, &info), AVIERR_OK);
    std::vector<BYTE> format = f.Format();
    ASSERT_EQ(AVIStreamSetFormat(stream, 0, format.data(), static_cast<LONG>(format.size())),
              AVIERR_OK);
    HRESULT last = AVIERR_OK;
    int n = 0;
    for (; n < 40 && last == AVIERR_OK; ++n) {
        std::vector<BYTE> bits = f.Bits(n);
        last = AVIStreamWrite(stream, n, 1, bits.data(), static_cast<LONG>(bits.size()),
                              AVIIF_KEYFRAME, nullptr, nullptr);
    }
    EXPECT_EQ(last, AVIERR_FILEWRITE);
    EXPECT_EQ(errno, EFBIG); // the system's reason
    EXPECT_LT(n, 40);
    // Once failed, it stays failed.
    std::vector<BYTE> bits = f.Bits(0);
    EXPECT_EQ(AVIStreamWrite(stream, n, 1, bits.data(), static_cast<LONG>(bits.size()),
                             AVIIF_KEYFRAME, nullptr, nullptr),
              AVIERR_FILEWRITE);
    AVIStreamRelease(stream);
    AVIFileRelease(file);
    EXPECT_EQ(errno, EFBIG); // not completed, and why
    full.reset();
    EXPECT_TRUE(dir.Names().empty());
}

TEST(AviFileFailures, BadCallsAreRefusedByResult) {
    test_support::TempFolder dir("korvid-avi-");
    const std::string path = dir.File("bad.avi");
    const Frames f{8, 8, 8};
    PAVIFILE file = nullptr;
    EXPECT_EQ(AVIFileOpenA(&file, path.c_str(), OF_READ, nullptr), AVIERR_UNSUPPORTED);
    ASSERT_EQ(AVIFileOpenA(&file, path.c_str(), OF_CREATE | OF_WRITE, nullptr), AVIERR_OK);
    PAVISTREAM stream = nullptr;
    AVISTREAMINFOA info = StreamHeader(f, 33);
    info.dwScale = 0;
    EXPECT_EQ(AVIFileCreateStreamA(file, &stream, &info), AVIERR_BADPARAM);
    info = StreamHeader(f, 33);
    ASSERT_EQ(AVIFileCreateStreamA(file, &stream, &info), AVIERR_OK);
    PAVISTREAM second = nullptr;
    EXPECT_EQ(AVIFileCreateStreamA(file, &second, &info), AVIERR_UNSUPPORTED);
    std::vector<BYTE> bits = f.Bits(1);
    // No format yet.
    EXPECT_EQ(AVIStreamWrite(stream, 0, 1, bits.data(), 64, AVIIF_KEYFRAME, nullptr, nullptr),
              AVIERR_BADFORMAT);
    std::vector<BYTE> format = f.Format();
    // An 8-bit format without its colour table.
    EXPECT_EQ(AVIStreamSetFormat(stream, 0, format.data(), sizeof(BITMAPINFOHEADER)),
              AVIERR_BADFORMAT);
    EXPECT_EQ(AVIStreamSetFormat(stream, 0, format.data(), 12), AVIERR_BADFORMAT);
    ASSERT_EQ(AVIStreamSetFormat(stream, 0, format.data(), static_cast<LONG>(format.size())),
              AVIERR_OK);
    EXPECT_EQ(AVIStreamWrite(stream, 3, 1, bits.data(), 64, AVIIF_KEYFRAME, nullptr, nullptr),
              AVIERR_OK);
    // Going back over written samples, bad counts and sizes.
    EXPECT_EQ(AVIStreamWrite(stream, 2, 1, bits.data(), 64, AVIIF_KEYFRAME, nullptr, nullptr),
              AVIERR_BADPARAM);
    EXPECT_EQ(AVIStreamWrite(stream, 4, 2, bits.data(), 64, AVIIF_KEYFRAME, nullptr, nullptr),
              AVIERR_BADPARAM);
    EXPECT_EQ(AVIStreamWrite(stream, 4, 1, nullptr, 64, AVIIF_KEYFRAME, nullptr, nullptr),
              AVIERR_BADPARAM);
    EXPECT_EQ(AVIStreamWrite(stream, 4, 1, bits.data(), -1, AVIIF_KEYFRAME, nullptr, nullptr),
              AVIERR_BADPARAM);
    AVIStreamRelease(stream);
    AVIFileRelease(file);
    // Released handles are no longer known.
    EXPECT_EQ(AVIStreamWrite(stream, 4, 1, bits.data(), 64, AVIIF_KEYFRAME, nullptr, nullptr),
              AVIERR_BADHANDLE);
    EXPECT_EQ(AVIFileCreateStreamA(file, &second, &info), AVIERR_BADHANDLE);
    EXPECT_EQ(AVIFileRelease(file), 0u);
    ReadBack r = ReadAvi(path);
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(r.frames, 4);
}

TEST(AviFileWriteTwice, SavingAgainReplacesTheFile) {
    test_support::TempFolder dir("korvid-avi-");
    const std::string path = dir.File("again.avi");
    const Frames f{16, 16, 24};
    WriteAvi(path, f, 33, {0, 1, 2, 3, 4, 5});
    WriteAvi(path, f, 33, {0, 1});
    EXPECT_EQ(Probe(path), "rawvideo,16,16,bgr24,30/11,2");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"again.avi"});
}

} // namespace

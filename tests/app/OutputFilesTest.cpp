// Working files, halftone resampling, grid composition and AVI saving.
#include "AppTestUtil.h"
#include "app/AviSaver.h"
#include "app/GridComposer.h"
#include "app/ReplacingFile.h"
#include "app/ResizeBitmap.h"
#include "app/WorkingFiles.h"
#include "platform/headless/Headless.h"
#include "rtl/Conversion.h"
#include "rtl/Files.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"
#include "support/media/AviReadBack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

using apptest::MakeBitmap;
using apptest::PixelOf;
namespace fs = std::filesystem;

String ReadAll(const String& path) {
    std::ifstream in(path, std::ios::binary);
    return String((std::istreambuf_iterator<char>(in)), {});
}

class OutputFilesTest : public ::testing::Test {
protected:
    // The tests take rights away; give them back, so the folder can be removed.
    void TearDown() override {
        chmod(dir_.Path().c_str(), 0755);
        for (auto& e : fs::recursive_directory_iterator(dir_.Path()))
            chmod(e.path().c_str(), 0755);
    }
    String Path(const char* name) { return dir_.File(name); }

    headless::HeadlessSession session_;
    test_support::TempFolder dir_{"korvid-out-"};
};

TEST_F(OutputFilesTest, ResizeAveragesAndKeepsTheFormat) {
    // Two columns of black and white become one grey column at half the width.
    auto bitmap =
        MakeBitmap(4, 2, [](int x, int) -> std::uint32_t { return x % 2 ? 0xFFFFFF : 0; });
    ResizeBitmap(bitmap.get(), 2, 1);
    EXPECT_EQ(bitmap->Width(), 2);
    EXPECT_EQ(bitmap->Height(), 1);
    EXPECT_EQ(bitmap->PixelFormat(), pf24bit);
    std::uint32_t c = PixelOf(bitmap.get(), 0, 0);
    EXPECT_NEAR(int(c & 0xFF), 128, 2);
    ResizeBitmap(bitmap.get(), 0, 5);
    EXPECT_TRUE(bitmap->Empty());
}

TEST_F(OutputFilesTest, WorkingFolderFallsBackAndFailsClearlyWhenNoneCanBeWritten) {
    // No folder can be made below a plain file, whoever runs the test.
    std::ofstream(Path("ro")) << "x";
    TWorkingFiles fallback({Path("ro") + "/temp", Path("cache") + "/korvid/temp"});
    EXPECT_EQ(fallback.Prepare(), Path("cache") + "/korvid/temp/");
    EXPECT_EQ(fallback.FileName(12), Path("cache") + "/korvid/temp/12.bmp");
    TWorkingFiles none({Path("ro") + "/temp", Path("ro") + "/other"});
    try {
        none.Prepare();
        FAIL() << "no folder can be written";
    } catch (const EInOutError& e) {
        EXPECT_NE(e.Message().find(Path("ro") + "/temp/"), String::npos) << e.Message();
    }
    EXPECT_TRUE(fs::is_regular_file(dir_.Path() / "ro"));
}

TEST_F(OutputFilesTest, ClosingDeletesNumbersZeroToTenThousandOnly) {
    TWorkingFiles files({Path("temp")});
    files.Prepare();
    for (int n : {0, 1, 10000, 10001})
        std::ofstream(files.FileName(n)) << "x";
    files.DeleteRange(0, kLastWorkingFileNumber);
    EXPECT_FALSE(files.Exists(0));
    EXPECT_FALSE(files.Exists(1));
    EXPECT_FALSE(files.Exists(10000));
    EXPECT_TRUE(files.Exists(10001));
    EXPECT_TRUE(DirectoryExists(Path("temp")));
}

// Cell c's frame k is file c x N + k; composition leaves file k holding grid frame k with
// cell c's frame in its tile, and no cell file behind.
TEST_F(OutputFilesTest, CompositionJoinsTheCellFramesOfEachStep) {
    const int n = 2, frames = 3, w = 8, h = 6;
    TWorkingFiles files({Path("temp")});
    files.Prepare();
    auto colourOf = [](int cell, int k) -> std::uint32_t {
        return std::uint32_t(cell * 40 + k * 7) << 8;
    };
    for (int cell = 0; cell < n * n; ++cell)
        for (int k = 1; k <= frames; ++k) {
            auto tile = MakeBitmap(w, h, [&](int, int) { return colourOf(cell, k); });
            tile->SaveToFile(files.FileName(CellFrameNumber(cell, k, frames)));
        }
    // A missing cell file leaves its tile white.
    DeleteFile(files.FileName(CellFrameNumber(3, 2, frames)));
    std::vector<int> done;
    TCompositionHooks hooks;
    hooks.frameDone = [&](int step, TBitmap* grid) {
        done.push_back(step);
        EXPECT_EQ(grid->Width(), w * n);
        EXPECT_EQ(grid->Height(), h * n);
    };
    ComposeGridFrames(files, n, frames, hooks);
    EXPECT_EQ(done, (std::vector<int>{1, 2, 3}));
    for (int k = 1; k <= frames; ++k) {
        ObjectPtr<TBitmap> grid(CreateObject<TBitmap>());
        grid->LoadFromFile(files.FileName(k));
        grid->SetPixelFormat(pf24bit);
        for (int cell = 0; cell < n * n; ++cell) {
            int x = (cell % n) * w + w / 2, y = (cell / n) * h + h / 2;
            std::uint32_t want = (cell == 3 && k == 2) ? 0xFFFFFF : colourOf(cell, k);
            EXPECT_EQ(PixelOf(grid.get(), x, y), want) << "step " << k << " cell " << cell;
        }
    }
    for (int number = frames + 1; number <= n * n * frames; ++number)
        EXPECT_FALSE(files.Exists(number)) << number;
}

class AviSaverTest : public OutputFilesTest {
protected:
    // Frames of 32 x 24 whose colour says their number.
    TAviFrameSource Source(int count, std::vector<int> skipped = {}) {
        TAviFrameSource s;
        s.count = [count] { return count; };
        s.skipped = [skipped](int i) {
            return std::find(skipped.begin(), skipped.end(), i) != skipped.end();
        };
        s.load = [this](int i, TBitmap* bitmap) {
            ++loads_;
            auto frame = MakeBitmap(32, 24, [i](int x, int) -> std::uint32_t {
                return x < 16 ? std::uint32_t(i * 10) << 16 : 0x0000FF;
            });
            bitmap->Assign(frame.get());
        };
        return s;
    }
    int loads_ = 0;
};

TEST_F(AviSaverTest, StreamRateScaleFormatAndKeyFrames) {
    struct Case {
        bool eightBit;
        int scale;
        int zoom;
        const char* format;
        int width;
    };
    for (Case c : {Case{true, 33, 100, "pal8", 32}, Case{false, 4, 100, "bgr24", 32},
                   Case{false, 100, 50, "bgr24", 16}}) {
        String path = Path("out.avi");
        SaveGridAvi(path, {c.eightBit, c.scale, c.zoom}, Source(20));
        avitest::ReadBack r = avitest::ReadAvi(path);
        ASSERT_TRUE(r.opened);
        EXPECT_EQ(r.codec, "rawvideo");
        EXPECT_EQ(r.pixelFormat, c.format);
        EXPECT_EQ(r.width, c.width);
        EXPECT_NEAR(r.frameRate, 90.0 / c.scale, 1e-6);
        EXPECT_EQ(r.frames, 20);
        ASSERT_EQ(r.packetSamples.size(), 20u);
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(r.packetSamples[size_t(i)], i);
        // Frame 7's left half is red 70.
        const auto& picture = r.pictures.at(7);
        EXPECT_NEAR(picture[0], 70, c.eightBit ? 40 : 0);
    }
}

TEST_F(AviSaverTest, SkippedItemsLeaveTheirSampleNumbersEmpty) {
    String path = Path("gaps.avi");
    SaveGridAvi(path, {false, 33, 100}, Source(5, {1, 3}));
    avitest::ReadBack r = avitest::ReadAvi(path);
    EXPECT_EQ(r.packetSamples, (std::vector<std::int64_t>{0, 2, 4}));
}

TEST_F(AviSaverTest, AFailedSaveLeavesThePreviousFileAndSavingAgainReplacesIt) {
    String path = Path("keep.avi");
    SaveGridAvi(path, {false, 33, 100}, Source(3));
    auto before = fs::file_size(path);
    TAviFrameSource failing = Source(3);
    failing.load = [](int i, TBitmap* bitmap) {
        if (i == 2) throw EFOpenError("Cannot open file");
        auto frame = MakeBitmap(32, 24, [](int, int) -> std::uint32_t { return 0; });
        bitmap->Assign(frame.get());
    };
    EXPECT_THROW(SaveGridAvi(path, {false, 33, 100}, failing), EFOpenError);
    EXPECT_EQ(fs::file_size(path), before);
    EXPECT_EQ(avitest::ReadAvi(path).packetSamples.size(), 3u);
    try {
        SaveGridAvi(Path("nofolder/x.avi"), {false, 33, 100}, Source(3));
        FAIL() << "the folder does not exist";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Failed to create AVI file: No such file or directory");
    }
    SaveGridAvi(path, {false, 33, 100}, Source(6));
    EXPECT_GT(fs::file_size(path), before);
}

// What the saver passes in the stream header is what the file holds: the image size of one
// frame as the suggested buffer size (not the chunk size), the frame rectangle, handler 0,
// the scale and the rate 90.
TEST_F(AviSaverTest, TheStreamHeaderHoldsWhatTheSaverPasses) {
    struct Case {
        bool eightBit;
        int scale;
        int zoom;
        int width, height;
        std::uint32_t imageSize;
    };
    for (Case c : {Case{true, 33, 100, 32, 24, 32 * 24}, Case{false, 4, 100, 32, 24, 96 * 24},
                   Case{false, 100, 50, 16, 12, 48 * 12}}) {
        SCOPED_TRACE(c.imageSize);
        String path = Path("header.avi");
        SaveGridAvi(path, {c.eightBit, c.scale, c.zoom}, Source(5));
        avitest::StreamHeaderFields h = avitest::ReadStreamHeader(path);
        ASSERT_TRUE(h.found);
        EXPECT_EQ(h.fccType, 0x73646976u); // "vids"
        EXPECT_EQ(h.fccHandler, 0u);
        EXPECT_EQ(h.scale, std::uint32_t(c.scale));
        EXPECT_EQ(h.rate, 90u);
        EXPECT_EQ(h.length, 5u);
        EXPECT_EQ(h.suggestedBufferSize, c.imageSize);
        EXPECT_EQ(h.mainSuggestedBufferSize, c.imageSize);
        EXPECT_EQ((std::vector<int>(h.frame, h.frame + 4)),
                  (std::vector<int>{0, 0, c.width, c.height}));
        EXPECT_EQ(h.mainWidth, std::uint32_t(c.width));
        EXPECT_EQ(h.mainHeight, std::uint32_t(c.height));
    }
}

// A disk that fills up during the save: the message says why, the file saved before stays
// byte for byte, and no temporary is left; a file another save left under a temporary-looking
// name is not touched either.
TEST_F(AviSaverTest, AFullDiskKeepsTheFileSavedBeforeAndSaysWhy) {
    String path = Path("keep.avi");
    SaveGridAvi(path, {false, 33, 100}, Source(2));
    const String before = ReadAll(path);
    std::ofstream(path + ".partial") << "left by an earlier crash";
    for (int frames : {20, 600}) { // failing when the file completes, or on the way
        SCOPED_TRACE(frames);
        try {
            test_support::FileSizeLimit full(before.size() + 4096);
            ASSERT_TRUE(full.Set());
            SaveGridAvi(path, {false, 33, 100}, Source(frames));
            FAIL() << "the disk is full";
        } catch (const Exception& e) {
            const String message = e.Message();
            EXPECT_TRUE(message == "Failed to add frame to AVI: File too large" ||
                        message == "Failed to create AVI file: File too large")
                << message;
        }
        EXPECT_EQ(ReadAll(path), before);
        EXPECT_EQ(ReadAll(path + ".partial"), "left by an earlier crash");
        auto names = dir_.Names();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"keep.avi", "keep.avi.partial"}));
    }
    SaveGridAvi(path, {false, 33, 100}, Source(3));
    EXPECT_EQ(avitest::ReadAvi(path).packetSamples.size(), 3u);
    EXPECT_EQ(ReadAll(path + ".partial"), "left by an earlier crash");
}

// A new file gets the rights a new file gets; a replaced one keeps its own.
TEST_F(OutputFilesTest, ASavedFileHasTheRightsOfTheFileItReplaces) {
    const mode_t mask = umask(0);
    umask(mask);
    String fresh = Path("fresh.gif"), kept = Path("kept.gif");
    std::ofstream(kept) << "old";
    chmod(kept.c_str(), 0640);
    for (const String& name : {fresh, kept})
        SaveReplacing(name, [](TStream& s) { s.WriteBuffer("new", 3); });
    struct stat st {};
    stat(fresh.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
    stat(kept.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(ReadAll(kept), "new");
}

} // namespace

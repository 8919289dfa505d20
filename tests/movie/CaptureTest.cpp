// Frame capture from the renderer: the frame the position names after any seek, the scale,
// the movie's state around a grab, files and their automatic names.
#include "MovieTestUtil.h"

#include "framework/Image.h"
#include "platform/user/MessageQueue.h"
#include "rtl/Files.h"

#include <cmath>
#include <fstream>
#include <regex>

using namespace movie_tests;

namespace {

namespace d = media::dispid;

struct ExactCase {
    const char* name;
    MovieDesc desc;
    const char* file;
};

class MovieCaptureExact : public MovieTest, public ::testing::WithParamInterface<ExactCase> {};

// The frame whose span [n / fps, (n + 1) / fps) holds the position.
int ExpectedFrame(double position, const MovieDesc& desc) {
    return std::min(static_cast<int>(std::floor(position * desc.fps + 1e-9)), desc.frames - 1);
}

TEST_P(MovieCaptureExact, TheGrabbedFrameIsTheOneThePositionNames) {
    const ExactCase& c = GetParam();
    movie->SetAutoStart(false);
    ASSERT_TRUE(OpenAndWait(Write(c.desc, c.file)));
    Ticks(1);
    const double fps = c.desc.fps;
    // Forwards and backwards, frame starts, middles and ends, key frames (every 12th) and the
    // frames before them, the first and the last.
    const double positions[] = {13 / fps, 0.5 / fps, 11.99 / fps, 12 / fps,   23.5 / fps,
                                1 / fps,  24 / fps,  36 / fps,    35.2 / fps, 47 / fps,
                                0,        59 / fps,  29.0 / fps,  5.5 / fps,  48.7 / fps,
                                11 / fps, 40 / fps,  2.01 / fps,  58 / fps,   25.999 / fps};
    int exact = 0;
    for (double p : positions) {
        ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
        // No wait between the seek and the grab: the capture waits for the seek to land.
        movie->SetDoubleProp(d::CurrentPosition, p);
        ASSERT_TRUE(movie->CaptureFrameToBitmap(frame.get()));
        const int shown = FrameNumberOf(frame.get());
        EXPECT_EQ(shown, ExpectedFrame(p, c.desc)) << "at " << p << " s";
        exact += shown == ExpectedFrame(p, c.desc);
    }
    EXPECT_EQ(exact, 20);
}

MovieDesc Sixty(const char* container, Video video) {
    return {container, video, Audio::None, 160, 120, 60, 25, 12};
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, MovieCaptureExact,
    ::testing::Values(ExactCase{"Mpeg1WithBFrames", Sixty("mpeg", Video::Mpeg1), "a.mpg"},
                      ExactCase{"H264InMp4", Sixty("mp4", Video::H264), "b.mp4"},
                      ExactCase{"MjpegInAvi", Sixty("avi", Video::Mjpeg), "c.avi"}),
    [](const ::testing::TestParamInfo<ExactCase>& i) { return String(i.param.name); });

class MovieCapture : public MovieTest {
protected:
    void Open(int width = 160, int height = 120) {
        ASSERT_TRUE(
            OpenAndWait(Write({"avi", Video::Mjpeg, Audio::None, width, height, 50}, "clip.avi")));
    }

    std::vector<std::pair<int, int>> plays;
};

TEST_F(MovieCapture, CaptureSizeScalesOnceRoundingHalvesToEven) {
    movie->SetAutoStart(false);
    Open(321, 241);
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    movie->SetCaptureSize(50);
    ASSERT_TRUE(movie->CaptureFrameToBitmap(frame.get()));
    EXPECT_EQ(frame->Width(), 160);  // 160.5
    EXPECT_EQ(frame->Height(), 120); // 120.5
    movie->SetCaptureSize(100);
    ASSERT_TRUE(movie->CaptureFrameToBitmap(frame.get()));
    EXPECT_EQ(frame->Width(), 321);
    EXPECT_EQ(frame->Height(), 241);
}

TEST_F(MovieCapture, APlayingMovieIsPausedForTheGrabAndPlaysOnOthersStayAsTheyWere) {
    Open();
    ASSERT_TRUE(WaitFor([&] { return PlayState() == kPlayStatePlaying; }));
    WatchPlays(movie, plays);
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    ASSERT_TRUE(movie->CaptureFrameToBitmap(frame.get()));
    EXPECT_EQ(PlayState(), kPlayStatePlaying);
    ASSERT_TRUE(WaitFor([&] { return plays.size() >= 2; }));
    EXPECT_EQ(plays[0], std::make_pair(kPlayStatePlaying, kPlayStatePaused));
    EXPECT_EQ(plays[1], std::make_pair(kPlayStatePaused, kPlayStatePlaying));

    for (int state : {kPlayStatePaused, kPlayStateStopped}) {
        if (state == kPlayStatePaused)
            movie->Pause();
        else
            movie->Stop();
        ASSERT_TRUE(WaitFor([&] { return PlayState() == state; }));
        plays.clear();
        ASSERT_TRUE(movie->CaptureFrameToBitmap(frame.get()));
        WaitFor([] { return true; });
        EXPECT_EQ(PlayState(), state);
        EXPECT_TRUE(plays.empty());
    }
}

TEST_F(MovieCapture, NothingOpenGivesNoFrame) {
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    EXPECT_FALSE(movie->CaptureFrameToBitmap(frame.get()));
    String name;
    EXPECT_FALSE(movie->CaptureFrameTo(fdBMPFile, name, nullptr, nullptr));
    EXPECT_TRUE(name.empty());
}

TEST_F(MovieCapture, IntoAnImageSizedToTheFrame) {
    movie->SetAutoStart(false);
    Open(200, 100);
    SeekAndWait(0.4);
    TImage* image = CreateComponent<TImage>(form);
    String name;
    ASSERT_TRUE(movie->CaptureFrameTo(fdBitmap, name, image, nullptr));
    EXPECT_EQ(image->Width(), 200);
    EXPECT_EQ(image->Height(), 100);
    EXPECT_EQ(FrameNumberOf(image->Picture()->Bitmap()), 10);
}

String Magic(const String& path, std::size_t n) {
    std::vector<BYTE> bytes = fixtures::ReadBytes(path);
    return String(bytes.begin(),
                  bytes.begin() + static_cast<std::ptrdiff_t>(std::min(n, bytes.size())));
}

TEST_F(MovieCapture, GivenFileNamesGetTheirFormatsExtension) {
    movie->SetAutoStart(false);
    Open();
    SeekAndWait(0.2);
    const struct {
        TFrameCapture_Dest dest;
        const char* given;
        const char* used;
        const char* magic;
    } cases[] = {{fdBMPFile, "shot", "shot.bmp", "BM"},
                 {fdJPEGFile, "shot", "shot.jpeg", "\xFF\xD8"},
                 {fdBMPFile, "a.png", "a.png", "BM"},
                 {fdJPEGFile, "b.png", "b.png", "\xFF\xD8"}};
    for (const auto& c : cases) {
        String name = dir.File(c.given);
        ASSERT_TRUE(movie->CaptureFrameTo(c.dest, name, nullptr, nullptr)) << c.given;
        EXPECT_EQ(name, dir.File(c.used));
        EXPECT_EQ(Magic(name, 2), c.magic) << c.used;
    }
    ObjectPtr<TBitmap> back = MakeObject<TBitmap>();
    back->LoadFromFile(dir.File("shot.bmp"));
    EXPECT_EQ(FrameNumberOf(back.get()), 5);
}

TEST_F(MovieCapture, JpegSettingsReachTheFile) {
    movie->SetAutoStart(false);
    Open(320, 240);
    String best = dir.File("best.jpg");
    String rough = dir.File("rough.jpg");
    ASSERT_TRUE(movie->CaptureFrameTo(fdJPEGFile, best, nullptr, nullptr));
    movie->SetJPEGQuality(5);
    movie->SetJPEGPerformance(jpBestSpeed);
    ASSERT_TRUE(movie->CaptureFrameTo(fdJPEGFile, rough, nullptr, nullptr));
    EXPECT_LT(FileSizeOf(rough), FileSizeOf(best));
}

TEST_F(MovieCapture, AnUnwritableBmpStillCountsAJpegRaisesAndTheMoviePlaysOn) {
    Open();
    ASSERT_TRUE(WaitFor([&] { return PlayState() == kPlayStatePlaying; }));
    String bmp = dir.File("no/such/folder/x.bmp");
    EXPECT_TRUE(movie->CaptureFrameTo(fdBMPFile, bmp, nullptr, nullptr));
    EXPECT_EQ(PlayState(), kPlayStatePlaying);
    String jpg = dir.File("no/such/folder/x.jpg");
    EXPECT_ANY_THROW(movie->CaptureFrameTo(fdJPEGFile, jpg, nullptr, nullptr));
    EXPECT_EQ(PlayState(), kPlayStatePlaying);
}

class MovieCaptureNames : public MovieCapture {
protected:
    void Touch(const String& name) { fixtures::WriteBytes(dir.File(name), {'x'}); }
    String Next(TFrameCapture_Dest dest) {
        String name;
        EXPECT_TRUE(movie->CaptureFrameTo(dest, name, nullptr, nullptr));
        return ExtractFileName(name);
    }
};

TEST_F(MovieCaptureNames, SequentialNamesFollowTheHighestNumberInTheFolder) {
    movie->SetAutoStart(false);
    Open();
    movie->SetStoragePath(dir.File(""));
    for (const char* f :
         {"am000007.bmp", "am000012.bmp", "amfoo.bmp", "am.bmp", "AM000099.bmp", "am000050.jpg"})
        Touch(f);
    EXPECT_EQ(Next(fdBMPFile), "am000013.bmp");
    DeleteFile(dir.File("am000012.bmp"));
    DeleteFile(dir.File("am000013.bmp"));
    EXPECT_EQ(Next(fdBMPFile), "am000014.bmp");
    // A file that appeared meanwhile is never written over.
    Touch("am000015.bmp");
    EXPECT_EQ(Next(fdBMPFile), "am000016.bmp");
    EXPECT_EQ(Next(fdJPEGFile), "am000051.jpg");
    movie->SetAutoFilePrefix("clip");
    Touch("clip000003.jpg");
    EXPECT_EQ(Next(fdJPEGFile), "clip000004.jpg");
}

TEST_F(MovieCaptureNames, AnotherFolderIsScannedForItself) {
    movie->SetAutoStart(false);
    Open();
    movie->SetStoragePath(dir.File(""));
    Touch("am000030.bmp");
    EXPECT_EQ(Next(fdBMPFile), "am000031.bmp");
    const String other = dir.File("other");
    ASSERT_TRUE(CreateDir(other));
    movie->SetStoragePath(other);
    fixtures::WriteBytes(other + "/am000040.bmp", {'x'});
    EXPECT_EQ(Next(fdBMPFile), "am000041.bmp");
    EXPECT_EQ(fixtures::ReadBytes(other + "/am000040.bmp"), std::vector<BYTE>{'x'});
}

TEST_F(MovieCaptureNames, DateTimeNamesCarryTheMoment) {
    movie->SetAutoStart(false);
    Open();
    movie->SetStoragePath(dir.File(""));
    movie->SetAutoFileName(fnDateTime);
    const String name = Next(fdJPEGFile);
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(am\d{6}_\d{6}_\d{3}\.jpg)"))) << name;
    EXPECT_TRUE(FileExists(dir.File(name)));
}

TEST(PackedDib, BitsStartAfterHeaderColourTableAndMasks) {
    const struct {
        WORD bits;
        DWORD used;
        DWORD compression;
        std::size_t offset;
    } cases[] = {{24, 0, BI_RGB, 40},       {32, 0, BI_RGB, 40},      {8, 256, BI_RGB, 40 + 1024},
                 {8, 0, BI_RGB, 40 + 1024}, {8, 16, BI_RGB, 40 + 64}, {4, 0, BI_RGB, 40 + 64},
                 {16, 0, BI_BITFIELDS, 52}, {32, 0, BI_BITFIELDS, 52}};
    for (const auto& c : cases) {
        BITMAPINFOHEADER h{};
        h.biSize = sizeof h;
        h.biBitCount = c.bits;
        h.biClrUsed = c.used;
        h.biCompression = c.compression;
        EXPECT_EQ(PackedDibBitsOffset(h), c.offset) << c.bits << " bits, " << c.used << " colours";
    }
}

} // namespace

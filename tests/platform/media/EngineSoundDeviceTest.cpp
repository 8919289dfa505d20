// Asking for the sound device on a machine that may have none: whatever the sound library
// has to say about a missing device stays out of the program's standard error, which gets at
// most one line of the program's own.
#include "platform/media/EngineTestUtil.h"
#include "support/TempFolder.h"
#include "support/media/MovieFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace fixtures;

namespace {

// What the process writes to its standard error while it lives, file descriptor and all.
class StandardErrorCapture {
public:
    explicit StandardErrorCapture(const std::string& path) : path_(path) {
        std::fflush(stderr);
        saved_ = dup(2);
        const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(file, 2);
        close(file);
    }
    ~StandardErrorCapture() { Restore(); }
    std::string Restore() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            dup2(saved_, 2);
            close(saved_);
            saved_ = -1;
        }
        std::ifstream in(path_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::string path_;
    int saved_ = -1;
};

TEST(MediaEngineSoundDevice, OpeningWithTheDeviceSaysAtMostOneLineOfItsOwn) {
    test_support::TempFolder dir{"korvid-media-"};
    const std::string movie = dir.File("clip.avi");
    WriteMovie(movie, {"avi", Video::Mjpeg, Audio::Pcm});
    std::string written;
    {
        StandardErrorCapture capture(dir.File("stderr.txt"));
        media::EngineOptions options;
        options.useAudioDevice = true;
        for (int i = 0; i < 2; ++i) {
            media::MediaEngine engine(options);
            OpenPaused(engine, movie);
            EXPECT_TRUE(engine.HasAudio());
            engine.Open("");
        }
        written = capture.Restore();
    }
    std::vector<std::string> lines;
    std::istringstream in(written);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_LE(lines.size(), 1u) << written;
    if (!lines.empty()) {
        EXPECT_EQ(lines[0], "No sound device: playing without sound.");
    }
}

} // namespace

// An AVI past 1 GiB through the AVI-file calls: 1280x720 24-bit frames (about 2.6 MiB each)
// until the file holds 1.2 GiB, then ffprobe must count every frame at the right rate and
// size. Reports the write speed and whether the read-back matched (readback_ok 1).
#include "platform/avifile/Vfw.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kFrames = 470; // 470 x 2,764,800 bytes = 1.21 GiB

std::string ProbeLine(const std::string& path) {
    const std::string cmd = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                            "stream=width,height,pix_fmt,r_frame_rate,nb_read_frames -of csv=p=0 " +
                            path;
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

bool WriteLarge(const std::string& path) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = kWidth;
    header.biHeight = kHeight;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = kWidth * 3 * kHeight;
    std::vector<BYTE> bits(header.biSizeImage);
    AVIFileInit();
    PAVIFILE file = nullptr;
    PAVISTREAM stream = nullptr;
    bool ok = AVIFileOpenA(&file, path.c_str(), OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE,
                           nullptr) == AVIERR_OK;
    if (ok) {
        AVISTREAMINFOA info;
        info.fccType = streamtypeVIDEO;
        info.dwScale = 4;
        info.dwRate = 90;
        info.dwSuggestedBufferSize = header.biSizeImage;
        info.rcFrame = {0, 0, kWidth, kHeight};
        ok = AVIFileCreateStreamA(file, &stream, &info) == AVIERR_OK &&
             AVIStreamSetFormat(stream, 0, &header, sizeof header) == AVIERR_OK;
        for (int i = 0; ok && i < kFrames; ++i) {
            std::memset(bits.data(), i & 0xFF, bits.size());
            ok = AVIStreamWrite(stream, i, 1, bits.data(), static_cast<LONG>(bits.size()),
                                AVIIF_KEYFRAME, nullptr, nullptr) == AVIERR_OK;
        }
    }
    if (stream) AVIStreamRelease(stream);
    if (file) AVIFileRelease(file);
    AVIFileExit();
    return ok;
}

void BM_WriteAviPastOneGiB(benchmark::State& state) {
    const std::string dir = "/tmp/korvid-avi-bench";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/large.avi";
    bool readBack = false;
    double bytes = 0;
    for (auto _ : state) {
        std::filesystem::remove(path);
        if (!WriteLarge(path)) {
            state.SkipWithError("a call failed");
            break;
        }
        state.PauseTiming();
        bytes = static_cast<double>(std::filesystem::file_size(path));
        readBack = ProbeLine(path) == "1280,720,bgr24,45/2,470";
        state.ResumeTiming();
    }
    std::filesystem::remove(path);
    state.counters["file_gib"] = bytes / (1024.0 * 1024 * 1024);
    state.counters["readback_ok"] = readBack ? 1 : 0;
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}

} // namespace

BENCHMARK(BM_WriteAviPastOneGiB)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

BENCHMARK_MAIN();

// Exact-frame grab after a seek: the engine against the ffmpeg command line, at 20 spread
// positions of a 640x480 MPEG-1, a 1280x720 H.264, a 640x480 MPEG-4 AVI with B-frames and a
// 640x480 H.264 MKV of a variable rate (frames of 40, 80 and 120 ms; its positions lie late
// in their frames). Each run reports the median milliseconds per grab; the command's run also
// checks both tools against the frame decoded from the start without a seek. The sequential
// grabs of a capture (9 cells of 20 frames at 3 per second) are timed on those clips and on a
// 960x540 and a 1920x1080 H.264 of a 250-frame key interval, decoding on and with every seek
// reading anew; the first run also checks each frame against the reading-anew engine's. An
// audio-only file is seeked and played again after its end: the time a seek takes to settle, how
// far the position is from the target, whether it then moves on, and whether a second play after
// the end and the rewind runs.
#include "platform/media/MediaEngine.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Clip {
    std::string path;
    int width;
    int height;
    double fps;
    double seconds;
    std::vector<double> starts = {}; // a variable rate: each frame's start, from the first
};

enum ClipKind {
    kMpeg1 = 0,
    kH264 = 1,
    kMpeg4Avi = 2,
    kVariableMkv = 3,
    kH264Qhd = 4,
    kH264FullHd = 5,
    kAudioOnly = 6
};

constexpr int kPositions = 20;

std::string Dir() {
    static const std::string dir = [] {
        std::string d = "/tmp/korvid-media-bench";
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

bool Run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// Made once with the command line (the yardstick has to be there anyway).
const Clip& GetClip(int which) {
    static std::map<int, Clip> clips;
    auto it = clips.find(which);
    if (it != clips.end()) return it->second;
    Clip c;
    std::string codec;
    switch (which) {
    case kMpeg1:
        c = {Dir() + "/vga.mpg", 640, 480, 25, 60};
        codec = "-c:v mpeg1video -q:v 4 -g 12";
        break;
    case kH264:
        c = {Dir() + "/hd.mp4", 1280, 720, 25, 60};
        codec = "-c:v libx264 -preset veryfast -g 250 -pix_fmt yuv420p";
        break;
    case kMpeg4Avi:
        c = {Dir() + "/bframes.avi", 640, 480, 25, 60};
        codec = "-c:v mpeg4 -bf 2 -q:v 4 -g 12";
        break;
    case kH264Qhd:
        c = {Dir() + "/qhd.mp4", 960, 540, 25, 60};
        codec = "-c:v libx264 -preset veryfast -g 250 -pix_fmt yuv420p";
        break;
    case kH264FullHd:
        c = {Dir() + "/fullhd.mp4", 1920, 1080, 25, 60};
        codec = "-c:v libx264 -preset veryfast -g 250 -pix_fmt yuv420p";
        break;
    case kVariableMkv:
        c = {Dir() + "/variable.mkv", 640, 480, 25, 60};
        // Every third and every seventh frame of a 25 fps source: spans of one to three.
        codec = "-vf \"select='not(mod(n\\,3))+not(mod(n\\,7))'\" -fps_mode vfr -c:v libx264 "
                "-preset veryfast -g 50 "
                "-pix_fmt yuv420p";
        break;
    default:
        c = {Dir() + "/tone.wav", 0, 0, 0, 60};
        break;
    }
    if (!std::filesystem::exists(c.path)) {
        const std::string source = which == kAudioOnly
                                       ? "sine=frequency=440:sample_rate=44100"
                                       : "testsrc2=size=" + std::to_string(c.width) + "x" +
                                             std::to_string(c.height) + ":rate=25";
        const std::string cmd = "ffmpeg -hide_banner -loglevel error -y -f lavfi -i " + source +
                                " -t " + std::to_string(static_cast<int>(c.seconds)) + " " + codec +
                                " " + c.path;
        if (!Run(cmd)) c.path.clear();
    }
    if (which == kVariableMkv && !c.path.empty()) {
        FILE* p = popen(
            ("ffprobe -v error -select_streams v -show_entries frame=best_effort_timestamp_time "
             "-of default=nw=1:nk=1 " +
             c.path)
                .c_str(),
            "r");
        double t = 0;
        while (p && std::fscanf(p, "%lf", &t) == 1)
            c.starts.push_back(t);
        if (p) pclose(p);
        for (std::size_t i = c.starts.size(); i-- > 0;)
            c.starts[i] -= c.starts.front();
    }
    return clips.emplace(which, c).first->second;
}

struct Position {
    double time;
    int frame;
};

int FrameCount(const Clip& c) {
    return c.starts.empty() ? static_cast<int>(c.seconds * c.fps)
                            : static_cast<int>(c.starts.size());
}

// Frames spread over the length, so both tools must give the same frame: at a constant rate
// their starts, at a variable rate nine tenths into their spans.
std::vector<Position> Positions(const Clip& c) {
    std::vector<Position> out;
    const int frames = FrameCount(c);
    for (int i = 0; i < kPositions; ++i) {
        const int k = static_cast<int>((i * 7919LL) % (frames - 2)) + 1; // spread, unordered
        const double t =
            c.starts.empty() ? k / c.fps : c.starts[k] + 0.9 * (c.starts[k + 1] - c.starts[k]);
        out.push_back({t, k});
    }
    return out;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : (v[v.size() / 2] + v[(v.size() - 1) / 2]) / 2;
}

// Bottom-up BGR rows (stride rounded to 4) of the presented frame.
std::vector<BYTE> EngineGrab(media::MediaEngine& engine, double t) {
    engine.SetPosition(t);
    while (engine.Seeking())
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    LONG size = 0;
    if (FAILED(engine.BasicVideo().GetCurrentImage(&size, nullptr)) || size <= 0) return {};
    std::vector<BYTE> dib(static_cast<std::size_t>(size));
    engine.BasicVideo().GetCurrentImage(&size, dib.data());
    return dib;
}

// Everything a shell command writes to its standard output.
std::vector<BYTE> ReadCommand(const char* command) {
    std::vector<BYTE> out;
    if (FILE* p = popen(command, "r")) {
        BYTE buf[65536];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.insert(out.end(), buf, buf + n);
        pclose(p);
    }
    return out;
}

std::vector<BYTE> CommandGrab(const Clip& c, double t) {
    char command[512];
    std::snprintf(command, sizeof command,
                  "ffmpeg -hide_banner -loglevel error -ss %.6f -i %s -frames:v 1 -f rawvideo "
                  "-pix_fmt bgr24 -",
                  t, c.path.c_str());
    return ReadCommand(command);
}

// The engine's bottom-up DIB as top-down BGR rows without padding.
std::vector<BYTE> TopDown(const std::vector<BYTE>& dib, int w, int h) {
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t(3);
    const std::size_t row = static_cast<std::size_t>(w) * 3;
    if (dib.size() < 40 + stride * h) return {};
    std::vector<BYTE> out(row * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(out.data() + row * y, dib.data() + 40 + stride * (h - 1 - y), row);
    return out;
}

double Difference(const BYTE* a, const BYTE* b, std::size_t n) {
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += std::abs(a[i] - b[i]);
    return sum / static_cast<double>(n);
}

// Frames k-1, k and k+1 decoded from the start without seeking: what the frame at k is.
std::vector<BYTE> Truth(const Clip& c, int k) {
    char command[512];
    std::snprintf(command, sizeof command,
                  "ffmpeg -hide_banner -loglevel error -i %s -vf \"select=between(n\\,%d\\,%d)\" "
                  "-vsync 0 -frames:v 3 -f rawvideo -pix_fmt bgr24 -",
                  c.path.c_str(), k - 1, k + 1);
    return ReadCommand(command);
}

// Whether the picture is frame k: closer to it than to either neighbour.
bool IsFrame(const std::vector<BYTE>& picture, const std::vector<BYTE>& truth, const Clip& c) {
    const std::size_t n = static_cast<std::size_t>(c.width) * 3 * c.height;
    if (picture.size() < n || truth.size() < 3 * n) return false;
    const double before = Difference(picture.data(), truth.data(), n);
    const double at = Difference(picture.data(), truth.data() + n, n);
    const double after = Difference(picture.data(), truth.data() + 2 * n, n);
    return at < before && at < after;
}

media::EngineOptions Silent(bool decodeOn = true) {
    media::EngineOptions o;
    o.autoStart = false;
    o.useAudioDevice = false;
    o.decodeOn = decodeOn;
    return o;
}

bool OpenAndWait(media::MediaEngine& engine, const std::string& path) {
    engine.Open(path);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        while (auto e = engine.NextEvent()) {
            if (e->kind == media::EngineEvent::ReadyStateChange &&
                e->newValue == media::mpReadyStateComplete)
                return true;
            if (e->kind == media::EngineEvent::Error) return false;
        }
        engine.WaitForEvents(std::chrono::milliseconds(10));
    }
    return false;
}

void BM_EngineGrab(benchmark::State& state) {
    const Clip& c = GetClip(static_cast<int>(state.range(0)));
    media::MediaEngine engine(Silent());
    const auto opening = std::chrono::steady_clock::now();
    if (c.path.empty() || !OpenAndWait(engine, c.path)) {
        state.SkipWithError("no clip");
        return;
    }
    // From the open to the first picture, with what the opening measures (start, end, count).
    state.counters["open_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - opening)
            .count();
    std::vector<double> ms;
    for (auto _ : state) {
        for (const Position& p : Positions(c)) {
            const auto t0 = std::chrono::steady_clock::now();
            std::vector<BYTE> dib = EngineGrab(engine, p.time);
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count());
            benchmark::DoNotOptimize(dib.data());
        }
    }
    state.counters["median_ms"] = Median(ms);
}

void BM_CommandGrab(benchmark::State& state) {
    const Clip& c = GetClip(static_cast<int>(state.range(0)));
    media::MediaEngine engine(Silent());
    if (c.path.empty() || !OpenAndWait(engine, c.path)) {
        state.SkipWithError("no clip");
        return;
    }
    std::vector<double> ms;
    int engineExact = 0;
    int commandExact = 0;
    for (auto _ : state) {
        for (const Position& p : Positions(c)) {
            const auto t0 = std::chrono::steady_clock::now();
            std::vector<BYTE> frame = CommandGrab(c, p.time);
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count());
            state.PauseTiming();
            const int k = p.frame;
            const std::vector<BYTE> truth = Truth(c, k);
            const bool engineOk =
                IsFrame(TopDown(EngineGrab(engine, p.time), c.width, c.height), truth, c);
            const bool commandOk = IsFrame(frame, truth, c);
            engineExact += engineOk;
            commandExact += commandOk;
            if (std::getenv("KORVID_BENCH_VERBOSE"))
                std::fprintf(stderr, "frame %d: engine %s, command %s\n", k,
                             engineOk ? "exact" : "other", commandOk ? "exact" : "other");
            state.ResumeTiming();
        }
    }
    state.counters["median_ms"] = Median(ms);
    // Of the positions, how many gave exactly the frame that starts there.
    state.counters["engine_exact"] = engineExact;
    state.counters["command_exact"] = commandExact;
    state.counters["positions"] = kPositions;
    state.counters["frames"] = FrameCount(c);
    state.counters["engine_frames"] = engine.DurationInFrames();
}

// A capture's positions: 9 cells spread over the length, each seeked to its start and then
// 20 frames a third of a second apart.
std::vector<double> CapturePositions(const Clip& c) {
    std::vector<double> out;
    constexpr int kCells = 9;
    for (int cell = 1; cell <= kCells; ++cell) {
        const double start = cell * c.seconds / (kCells + 1);
        out.push_back(start);
        for (int k = 1; k <= 20; ++k)
            out.push_back(start + k / 3.0);
    }
    return out;
}

// Argument 1: 1 decodes on, 0 reads anew at every seek.
void BM_EngineSequentialGrab(benchmark::State& state) {
    const Clip& c = GetClip(static_cast<int>(state.range(0)));
    const bool decodeOn = state.range(1) != 0;
    media::MediaEngine engine(Silent(decodeOn));
    media::MediaEngine fresh(Silent(false));
    if (c.path.empty() || !OpenAndWait(engine, c.path) ||
        (decodeOn && !OpenAndWait(fresh, c.path))) {
        state.SkipWithError("no clip");
        return;
    }
    std::vector<double> ms;
    int same = 0;
    int checked = 0;
    bool first = true;
    for (auto _ : state) {
        const std::uint64_t moves = engine.ReadingMoveCount();
        for (double t : CapturePositions(c)) {
            const auto t0 = std::chrono::steady_clock::now();
            std::vector<BYTE> dib = EngineGrab(engine, t);
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count());
            if (decodeOn && first) {
                state.PauseTiming();
                same += !dib.empty() && dib == EngineGrab(fresh, t);
                ++checked;
                state.ResumeTiming();
            }
        }
        state.counters["reading_moves"] = static_cast<double>(engine.ReadingMoveCount() - moves);
        first = false;
    }
    state.counters["median_ms"] = Median(ms);
    state.counters["mean_ms"] =
        ms.empty() ? 0
                   : std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size());
    state.counters["grabs"] = static_cast<double>(CapturePositions(c).size());
    if (decodeOn) state.counters["same_as_fresh"] = same == checked;
}

// Delivers the engine's events until one of this kind (and value) comes or the time passes.
bool AwaitEvent(media::MediaEngine& engine, media::EngineEvent::Kind kind, int value,
                double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        while (auto e = engine.NextEvent())
            if (e->kind == kind && (value < 0 || e->newValue == value)) return true;
        engine.WaitForEvents(std::chrono::milliseconds(5));
    }
    return false;
}

// Whether the position moves on by about the time played.
bool Advances(media::MediaEngine& engine, double from) {
    engine.Play();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double moved = engine.Position() - from;
    engine.Pause();
    return moved > 0.1 && moved < 0.4;
}

void BM_AudioOnlySeek(benchmark::State& state) {
    const Clip& c = GetClip(kAudioOnly);
    media::MediaEngine engine(Silent());
    if (c.path.empty() || !OpenAndWait(engine, c.path)) {
        state.SkipWithError("no clip");
        return;
    }
    std::vector<double> ms;
    double worstError = 0;
    int advancing = 0;
    int seeks = 0;
    for (auto _ : state) {
        for (int i = 0; i < kPositions; ++i) {
            const double t = static_cast<double>((i * 7919LL) % 5800) / 100.0 + 1;
            const auto t0 = std::chrono::steady_clock::now();
            engine.SetPosition(t);
            while (engine.Seeking() &&
                   std::chrono::steady_clock::now() - t0 < std::chrono::seconds(5))
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count());
            worstError = std::max(worstError, std::abs(engine.Position() - t));
            state.PauseTiming();
            advancing += Advances(engine, engine.Position());
            ++seeks;
            state.ResumeTiming();
        }
    }
    // Played to the end: the end is reported, the player stops and rewinds, and plays again.
    engine.SetPosition(engine.Duration() - 0.3);
    engine.Play();
    const bool ended = AwaitEvent(engine, media::EngineEvent::EndOfStream, -1, 5) &&
                       AwaitEvent(engine, media::EngineEvent::PlayStateChange, media::mpStopped, 5);
    const auto t0 = std::chrono::steady_clock::now();
    while (engine.Seeking() && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    const bool rewound = std::abs(engine.Position()) < 1e-6;
    state.counters["settle_median_ms"] = Median(ms);
    state.counters["worst_error_ms"] = worstError * 1000;
    state.counters["advancing"] = advancing;
    state.counters["seeks"] = seeks;
    state.counters["replay_ok"] = ended && rewound && Advances(engine, 0);
}

} // namespace

// Argument 0: 640x480 MPEG-1; 1: 1280x720 H.264; 2: 640x480 MPEG-4 AVI with B-frames;
// 3: 640x480 H.264 MKV of a variable rate; 4: 960x540 and 5: 1920x1080 H.264 (1, 4 and 5 of a
// 250-frame key interval).
BENCHMARK(BM_EngineGrab)
    ->DenseRange(kMpeg1, kH264FullHd)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CommandGrab)
    ->DenseRange(kMpeg1, kVariableMkv)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_EngineSequentialGrab)
    ->ArgsProduct({benchmark::CreateDenseRange(kMpeg1, kH264FullHd, 1), {1, 0}})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_AudioOnlySeek)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();

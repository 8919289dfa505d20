// Arbitrary bytes as a media file: the open path (probe, stream choice, decoders, the first
// frame, a seek, the frame copy) must end in an open movie or an error, never a crash or a
// hang.
#include "platform/media/MediaEngine.h"

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string TempPath() {
    static const std::string path = "/tmp/korvid-fuzz-" + std::to_string(getpid()) + ".bin";
    return path;
}

// Delivers events until the open settles (complete, or closed again) or the bound passes.
void SettleOpen(media::MediaEngine& engine) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        while (std::optional<media::EngineEvent> e = engine.NextEvent()) {
        }
        const media::OpenState open = engine.GetOpenState();
        if (open == media::mpClosed || engine.GetReadyState() == media::mpReadyStateComplete)
            return;
        engine.WaitForEvents(std::chrono::milliseconds(5));
    }
    std::fprintf(stderr, "open did not settle: open state %d, ready state %d\n",
                 engine.GetOpenState(), engine.GetReadyState());
}

void SettleSeek(media::MediaEngine& engine) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (engine.Seeking() && std::chrono::steady_clock::now() < deadline) {
        while (engine.NextEvent()) {
        }
        engine.WaitForEvents(std::chrono::milliseconds(5));
    }
    if (engine.Seeking()) std::fprintf(stderr, "seek did not settle\n");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = TempPath();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    media::EngineOptions options;
    options.autoStart = false;
    options.useAudioDevice = false;
    media::MediaEngine engine(options);
    engine.Open(path);
    SettleOpen(engine);
    if (engine.GetOpenState() == media::mpOpen) {
        engine.SetPosition(engine.Duration() / 2);
        SettleSeek(engine);
        LONG need = 0;
        if (SUCCEEDED(engine.BasicVideo().GetCurrentImage(&need, nullptr)) && need > 0 &&
            need < (64 << 20)) {
            std::vector<BYTE> dib(static_cast<std::size_t>(need));
            engine.BasicVideo().GetCurrentImage(&need, dib.data());
        }
    }
    engine.Close();
    unlink(path.c_str());
    return 0;
}

// Arbitrary bytes as a media file: the open path (probe, stream choice, decoders, the first
// frame, a seek, the frame copy) must end in an open movie or an error, never a crash or a
// hang.
#include "EngineWaits.h"
#include "InputFile.h"
#include "platform/media/MediaEngine.h"

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A seek settles, or fails, within a bound: the engine gives up two seconds after the last
// packet moved.
void SettleSeek(media::MediaEngine& engine) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (engine.Seeking() && std::chrono::steady_clock::now() < deadline) {
        while (engine.NextEvent()) {
        }
        engine.WaitForEvents(std::chrono::milliseconds(5));
    }
    if (engine.Seeking()) {
        std::fprintf(stderr, "seek did not settle\n");
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = InputFileName(".bin");
    if (!WriteInputFile(path, data, size)) return 0;
    media::MediaEngine engine(SilentOptions());
    OpenAndSettle(engine, path);
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

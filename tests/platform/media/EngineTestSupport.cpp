#include "platform/media/EngineTestSupport.h"

#include "platform/media/Fixtures.h"

#include <thread>

namespace fixtures {

void WaitForSeek(media::MediaEngine& engine) {
    const auto deadline = std::chrono::steady_clock::now() + kEventBound;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!engine.Seeking()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ADD_FAILURE() << "the seek was not carried out";
}

int PresentedNumber(media::MediaEngine& engine) {
    LONG size = 0;
    if (FAILED(engine.BasicVideo().GetCurrentImage(&size, nullptr)) || size <= 0) return -1;
    std::vector<BYTE> dib(static_cast<std::size_t>(size));
    if (FAILED(engine.BasicVideo().GetCurrentImage(&size, dib.data()))) return -1;
    return ReadFrameNumberFromDib(dib);
}

} // namespace fixtures

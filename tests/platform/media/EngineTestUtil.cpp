#include "platform/media/EngineTestUtil.h"

#include "support/media/MovieFixtures.h"

#include <thread>

namespace fixtures {

void WaitForSeek(media::MediaEngine& engine) {
    if (!test_support::PollUntil([&] { return !engine.Seeking(); },
                                 [] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }))
        ADD_FAILURE() << "the seek was not carried out";
}

std::vector<BYTE> PresentedImage(media::MediaEngine& engine) {
    LONG size = 0;
    if (FAILED(engine.BasicVideo().GetCurrentImage(&size, nullptr)) || size <= 0) return {};
    std::vector<BYTE> dib(static_cast<std::size_t>(size));
    if (FAILED(engine.BasicVideo().GetCurrentImage(&size, dib.data()))) return {};
    return dib;
}

int PresentedNumber(media::MediaEngine& engine) {
    const std::vector<BYTE> dib = PresentedImage(engine);
    return dib.empty() ? -1 : ReadFrameNumberFromDib(dib);
}

} // namespace fixtures

#pragma once
// Waiting for the media engine in a fuzz target, bounded so that a hang shows as a report.
#include "platform/media/MediaEngine.h"

#include <chrono>
#include <cstdio>

// Delivers events until the open settles (complete, or closed again); false when the bound
// passed first.
inline bool SettleOpen(media::MediaEngine& engine) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        while (engine.NextEvent()) {
        }
        if (engine.GetOpenState() == media::mpClosed ||
            engine.GetReadyState() == media::mpReadyStateComplete)
            return true;
        engine.WaitForEvents(std::chrono::milliseconds(5));
    }
    std::fprintf(stderr, "open did not settle: open state %d, ready state %d\n",
                 engine.GetOpenState(), engine.GetReadyState());
    return false;
}

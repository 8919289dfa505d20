#pragma once
// Waiting for the media engine in a fuzz target, bounded so that a hang shows as a report.
#include "platform/media/MediaEngine.h"

#include <chrono>
#include <cstdio>
#include <string>

// Paused at the start, without the sound device.
inline media::EngineOptions SilentOptions() {
    media::EngineOptions options;
    options.autoStart = false;
    options.useAudioDevice = false;
    return options;
}

// Opens the file and delivers events until the open settles (complete, or closed again);
// stops the target when the bound passes first.
inline void OpenAndSettle(media::MediaEngine& engine, const std::string& path) {
    engine.Open(path);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        while (engine.NextEvent()) {
        }
        if (engine.GetOpenState() == media::mpClosed ||
            engine.GetReadyState() == media::mpReadyStateComplete)
            return;
        engine.WaitForEvents(std::chrono::milliseconds(5));
    }
    std::fprintf(stderr, "open did not settle: open state %d, ready state %d\n",
                 engine.GetOpenState(), engine.GetReadyState());
    __builtin_trap();
}

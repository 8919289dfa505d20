#pragma once
// Drives an engine from a test: waits for events with a generous bound, so a fault shows
// as a failed expectation rather than a hang.
#include "platform/media/MediaEngine.h"
#include "support/Poll.h"
#include "support/TempFolder.h"
#include "support/media/MovieFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace fixtures {

using media::EngineEvent;

// Collects events until one satisfies the predicate (included) or the bound passes.
inline std::vector<EngineEvent> CollectUntil(media::MediaEngine& engine,
                                             const std::function<bool(const EngineEvent&)>& done) {
    std::vector<EngineEvent> events;
    const bool came = test_support::PollUntil(
        [&] {
            while (std::optional<EngineEvent> e = engine.NextEvent()) {
                events.push_back(*e);
                if (done(*e)) return true;
            }
            return false;
        },
        [&] { engine.WaitForEvents(std::chrono::milliseconds(20)); });
    if (!came) ADD_FAILURE() << "the awaited event did not come";
    return events;
}

inline bool IsOpenState(const EngineEvent& e, int state) {
    return e.kind == EngineEvent::OpenStateChange && e.newValue == state;
}

inline std::function<bool(const EngineEvent&)> ReadyState(int state) {
    return [state](const EngineEvent& e) {
        return e.kind == EngineEvent::ReadyStateChange && e.newValue == state;
    };
}

inline std::function<bool(const EngineEvent&)> Kind(EngineEvent::Kind kind) {
    return [kind](const EngineEvent& e) { return e.kind == kind; };
}

// Opens the file, paused at the first frame, and waits until it is complete.
inline void OpenPaused(media::MediaEngine& engine, const std::string& path) {
    engine.SetAutoStart(false);
    engine.Open(path);
    CollectUntil(engine, ReadyState(media::mpReadyStateComplete));
}

// Waits until the engine has carried out the last seek (the frame at the target is shown).
void WaitForSeek(media::MediaEngine& engine);

// The presented frame as a packed DIB; empty when none.
std::vector<BYTE> PresentedImage(media::MediaEngine& engine);
// The number on the presented frame, through the packed-DIB path; -1 when none.
int PresentedNumber(media::MediaEngine& engine);

inline media::EngineOptions SilentOptions() {
    media::EngineOptions o;
    o.useAudioDevice = false;
    o.autoStart = false;
    return o;
}

// One test's movie, written into a folder of its own, and a silent engine that has it open,
// paused at the first picture. The engine goes before the folder.
struct PausedMovie {
    PausedMovie(const MovieDesc& clip, const std::string& name) : path(dir.File(name)) {
        WriteMovie(path, clip);
        OpenPaused(engine, path);
    }

    test_support::TempFolder dir{"korvid-media-"};
    std::string path;
    media::MediaEngine engine{SilentOptions()};
};

} // namespace fixtures

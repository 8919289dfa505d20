#pragma once
// Waiting for something another thread or process does, bounded in real time: the bound only
// stops a test that would otherwise hang, it never decides what a test sees.
#include <chrono>
#include <concepts>
#include <thread>

namespace test_support {

constexpr std::chrono::seconds kPollBound{20};

// Asks done() until it says yes or bound has passed; between asks runs step() (pumping
// messages, say) or, without one, sleeps a moment. Returns done()'s last answer.
template <class Done, std::invocable Step>
bool PollUntil(Done&& done, Step&& step, std::chrono::milliseconds bound = kPollBound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        step();
    }
}

template <class Done> bool PollUntil(Done&& done, std::chrono::milliseconds bound = kPollBound) {
    return PollUntil(
        done, [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); }, bound);
}

} // namespace test_support

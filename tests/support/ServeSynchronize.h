#pragma once
// The user-interface thread's side of a worker's Synchronize: serves the calls until the test
// sees what it waits for.
#include "rtl/Thread.h"
#include "support/Poll.h"

#include <chrono>
#include <thread>

namespace test_support {

// Serves synchronised calls until done() holds. The real-time bound only keeps a broken
// worker from hanging the suite.
template <class Done> bool ServeSynchronizeUntil(Done&& done) {
    return PollUntil(
        done,
        [] {
            if (!CheckSynchronize()) std::this_thread::yield();
        },
        std::chrono::seconds(60));
}

} // namespace test_support

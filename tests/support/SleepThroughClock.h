#pragma once
// A fake clock on which a timed wait of any thread but the one that made the clock ends at
// once, the clock moved to its deadline: as if the thread had slept exactly that long, so an
// animation runs through without real delays. The making thread's waits and sleeps behave as
// on the plain fake clock (a sleep moves time on).
#include "platform/kernel/Clock.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace test_support {

class SleepThroughClock : public kernel::FakeClock {
public:
    bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   kernel::Milliseconds deadline, const std::function<bool()>& done) override {
        if (std::this_thread::get_id() == main_ || deadline == kernel::kForever)
            return FakeClock::WaitUntil(lock, cv, deadline, done);
        if (done()) return true;
        if (Now() < deadline) Set(deadline);
        return done();
    }

private:
    std::thread::id main_ = std::this_thread::get_id();
};

} // namespace test_support

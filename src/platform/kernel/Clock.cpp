#include "platform/kernel/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace kernel {

namespace {

RealClock& TheRealClock() {
    static RealClock clock;
    return clock;
}

std::atomic<Clock*> installed{nullptr};

} // namespace

Milliseconds RealClock::Now() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<Milliseconds>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void RealClock::Sleep(Milliseconds ms) {
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    if (ms == kForever) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool RealClock::WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                          Milliseconds deadline, const std::function<bool()>& done) {
    if (deadline == kForever) {
        cv.wait(lock, done);
        return true;
    }
    // A deadline far beyond any real wait would overflow the nanosecond clock; a century
    // is as good as forever.
    constexpr Milliseconds kCentury = 100ull * 365 * 24 * 3600 * 1000;
    Milliseconds now = Now();
    Milliseconds wait = deadline > now ? deadline - now : 0;
    if (wait > kCentury) wait = kCentury;
    return cv.wait_for(lock, std::chrono::milliseconds(wait), done);
}

Milliseconds FakeClock::Now() {
    std::lock_guard<std::mutex> guard(mutex_);
    return now_;
}

void FakeClock::Sleep(Milliseconds ms) {
    if (ms == kForever) {
        // Nothing will ever end this sleep on a clock that only moves when told to.
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [] { return false; });
    }
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    Advance(ms);
}

bool FakeClock::WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                          Milliseconds deadline, const std::function<bool()>& done) {
    // The caller's condition variable hears of its own state changes; a move of the fake
    // time has no way to reach it without taking the caller's lock from inside Advance, so
    // timed waiters look at the clock again after every short real-time slice.
    for (;;) {
        if (done()) return true;
        if (deadline != kForever && Now() >= deadline) return done();
        cv.wait_for(lock, std::chrono::milliseconds(1));
    }
}

void FakeClock::Advance(Milliseconds ms) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        now_ += ms;
    }
    changed_.notify_all();
}

void FakeClock::Set(Milliseconds now) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        now_ = now;
    }
    changed_.notify_all();
}

Clock& CurrentClock() {
    Clock* clock = installed.load(std::memory_order_acquire);
    return clock ? *clock : TheRealClock();
}

void SetClock(Clock* clock) {
    installed.store(clock, std::memory_order_release);
}

ScopedClock::ScopedClock(Clock& clock) : previous_(installed.load(std::memory_order_acquire)) {
    SetClock(&clock);
}

ScopedClock::~ScopedClock() {
    SetClock(previous_);
}

} // namespace kernel

#pragma once
// The one clock behind timeGetTime, Sleep, timed waits and the timers above. Production runs on
// the monotonic system clock; tests install a FakeClock and move time by hand, so nothing that
// waits on time depends on how fast the machine is.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace kernel {

// Milliseconds on the clock's own time line.
using Milliseconds = std::uint64_t;
constexpr Milliseconds kForever = ~Milliseconds{0};

class Clock {
public:
    virtual ~Clock() = default;

    virtual Milliseconds Now() = 0;
    // Sleep(0) gives up the rest of the time slice.
    virtual void Sleep(Milliseconds ms) = 0;
    // Waits on cv (lock held by the caller) until done() holds or the clock reaches deadline
    // (kForever: no deadline). Returns done() as it was last seen.
    virtual bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                           Milliseconds deadline, const std::function<bool()>& done) = 0;
};

class RealClock : public Clock {
public:
    Milliseconds Now() override;
    void Sleep(Milliseconds ms) override;
    bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   Milliseconds deadline, const std::function<bool()>& done) override;
};

// Time stands still until Advance or Set moves it. Sleep advances the clock by the slept time
// at once, so a thread that sleeps lets every timed waiter whose deadline passed go on.
class FakeClock : public Clock {
public:
    explicit FakeClock(Milliseconds start = 0) : now_(start) {}

    Milliseconds Now() override;
    void Sleep(Milliseconds ms) override;
    bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   Milliseconds deadline, const std::function<bool()>& done) override;

    void Advance(Milliseconds ms);
    void Set(Milliseconds now);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    Milliseconds now_;
};

// The clock in use. SetClock(nullptr) goes back to the real clock. The clock must outlive
// every wait that runs on it.
Clock& CurrentClock();
void SetClock(Clock* clock);

// Installs a clock for the lifetime of the scope and puts the previous one back after.
class ScopedClock {
public:
    explicit ScopedClock(Clock& clock);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    Clock* previous_;
};

} // namespace kernel

#include "rtl/Thread.h"

#include "platform/kernel/Clock.h"
#include "support/Poll.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Runs a closure as its Execute.
class TWorker : public TThread {
    KORVID_CLASS(TWorker, TThread)

    TWorker(bool suspended, std::function<void(TWorker&)> body)
        : TThread(suspended), body_(std::move(body)) {}

    using TThread::Synchronize;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(TWorker&)> body_;
};

// Serves synchronized calls until done holds; each round may nest further rounds.
bool PumpUntil(const std::function<bool()>& done) {
    return test_support::PollUntil(done, [] { CheckSynchronize(1); });
}

} // namespace

TEST(Thread, SynchronizeFromSeveralWorkersRunsOnTheMainThreadInNestedLoops) {
    constexpr int kWorkers = 4, kCalls = 25;
    std::atomic<int> finished{0};
    int total = 0; // only touched on the main thread
    int deepest = 0, depth = 0;
    std::vector<ObjectPtr<TWorker>> workers;
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back(CreateObject<TWorker>(false, [&](TWorker& self) {
            for (int i = 0; i < kCalls; ++i) {
                int seen = -1;
                self.Synchronize([&] {
                    EXPECT_TRUE(IsMainThread());
                    ++depth;
                    deepest = std::max(deepest, depth);
                    // A call that pumps again, as a modal loop inside a handler would.
                    CheckSynchronize();
                    seen = ++total;
                    --depth;
                });
                // The worker resumes only after its call ran.
                EXPECT_GT(seen, 0);
            }
            ++finished;
        }));
    ASSERT_TRUE(PumpUntil([&] { return finished.load() == kWorkers; }));
    for (auto& w : workers)
        w->WaitFor();
    EXPECT_EQ(total, kWorkers * kCalls);
    EXPECT_GE(deepest, 1);
    EXPECT_EQ(depth, 0);
}

TEST(Thread, ExceptionInASynchronizedCallIsRaisedInTheWorker) {
    String caught;
    ObjectPtr<TWorker> worker(CreateObject<TWorker>(false, [&](TWorker& self) {
        try {
            self.Synchronize([] { throw EConvertError("bad value"); });
        } catch (const EConvertError& e) {
            caught = e.Message();
        }
    }));
    worker->WaitFor(); // serves the call meanwhile
    EXPECT_EQ(caught, "bad value");
    EXPECT_EQ(worker->FatalException(), nullptr);
}

TEST(Thread, SynchronizeOnTheMainThreadCallsDirectly) {
    EXPECT_TRUE(IsMainThread());
    bool ran = false;
    TThread::Synchronize(nullptr, [&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_FALSE(CheckSynchronize()); // nothing was queued
}

TEST(Thread, CheckSynchronizeOutsideTheMainThreadRaises) {
    bool raised = false;
    std::thread([&] {
        try {
            CheckSynchronize();
        } catch (const EThread&) {
            raised = true;
        }
    }).join();
    EXPECT_TRUE(raised);
}

TEST(Thread, OnTerminateRunsOnTheMainThreadAfterExecute) {
    std::vector<String> order;
    std::atomic<bool> executed{false};
    ObjectPtr<TWorker> worker(CreateObject<TWorker>(true, [&](TWorker& self) {
        executed = true;
        self.SetReturnValue(7);
    }));
    worker->OnTerminate = [&](TObject* sender) {
        EXPECT_TRUE(IsMainThread());
        EXPECT_EQ(sender, worker.get());
        order.push_back(executed ? "terminate after execute" : "terminate before execute");
    };
    EXPECT_TRUE(worker->Suspended());
    worker->Start();
    EXPECT_THROW(worker->Start(), EThread);
    EXPECT_EQ(worker->WaitFor(), 7);
    EXPECT_EQ(order, (std::vector<String>{"terminate after execute"}));
    EXPECT_TRUE(worker->Finished());
}

TEST(Thread, TerminateEndsALoopingWorker) {
    std::atomic<int> rounds{0};
    ObjectPtr<TWorker> worker(CreateObject<TWorker>(false, [&](TWorker& self) {
        while (!self.Terminated()) {
            ++rounds;
            std::this_thread::yield();
        }
    }));
    ASSERT_TRUE(test_support::PollUntil([&] { return rounds.load() > 0; },
                                        [] { std::this_thread::yield(); }));
    worker->Terminate();
    EXPECT_TRUE(worker->Terminated());
    worker->WaitFor();
    EXPECT_TRUE(worker->Finished());
}

TEST(Thread, WhatEscapesExecuteIsKept) {
    ObjectPtr<TWorker> worker(
        CreateObject<TWorker>(false, [](TWorker&) { throw EInOutError("disk full", 28); }));
    worker->WaitFor();
    ASSERT_NE(worker->FatalException(), nullptr);
    try {
        std::rethrow_exception(worker->FatalException());
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 28);
    }
}

TEST(Thread, FreeOnTerminateFreesItselfAfterOnTerminate) {
    static std::atomic<int> alive{0};
    class TSelfFreeing : public TThread {
        KORVID_CLASS(TSelfFreeing, TThread)
        TSelfFreeing() : TThread(true) { ++alive; }
        ~TSelfFreeing() override { --alive; }

    protected:
        void Execute() override {}
    };
    bool terminated = false;
    auto* thread = CreateObject<TSelfFreeing>();
    thread->SetFreeOnTerminate(true);
    thread->SetPriority(tpLower); // accepted
    thread->OnTerminate = [&](TObject*) { terminated = true; };
    EXPECT_THROW(thread->WaitFor(), EThread);
    thread->Start();
    EXPECT_TRUE(PumpUntil([&] { return terminated && alive.load() == 0; }));
    EXPECT_EQ(alive.load(), 0);
}

TEST(Thread, NeverStartedThreadIsFreedWithoutRunning) {
    std::atomic<bool> ran{false};
    {
        ObjectPtr<TWorker> worker(CreateObject<TWorker>(true, [&](TWorker&) { ran = true; }));
        EXPECT_THROW(worker->WaitFor(), EThread);
    }
    EXPECT_FALSE(ran.load());
}

TEST(Thread, FreeingARunningThreadTerminatesAndWaits) {
    std::atomic<bool> running{false}, left{false};
    {
        ObjectPtr<TWorker> worker(CreateObject<TWorker>(false, [&](TWorker& self) {
            running = true;
            while (!self.Terminated())
                std::this_thread::yield();
            // Needs the main thread even while it is being freed.
            self.Synchronize([] {});
            left = true;
        }));
        // A thread terminated before it got to run skips Execute altogether.
        ASSERT_TRUE(test_support::PollUntil([&] { return running.load(); },
                                            [] { std::this_thread::yield(); }));
    }
    EXPECT_TRUE(left.load());
}

TEST(Thread, CheckSynchronizeWaitsOnTheReplaceableClock) {
    kernel::FakeClock clock;
    kernel::ScopedClock scoped(clock);
    std::atomic<bool> returned{false};
    std::atomic<bool> ran{true};
    // A wait with nothing queued ends only when the clock passes the time-out.
    std::thread mover([&] {
        while (!returned.load()) {
            clock.Advance(10);
            std::this_thread::yield();
        }
    });
    ran = CheckSynchronize(50);
    returned = true;
    mover.join();
    EXPECT_FALSE(ran.load());
    EXPECT_GE(clock.Now(), 50u);
}

TEST(Thread, WakeHookHearsOfQueuedCalls) {
    std::atomic<int> wakes{0};
    SetWakeMainThread([&] { ++wakes; });
    ObjectPtr<TWorker> worker(
        CreateObject<TWorker>(false, [](TWorker& self) { self.Synchronize([] {}); }));
    worker->WaitFor();
    SetWakeMainThread({});
    EXPECT_GE(wakes.load(), 1);
}

#include "rtl/Thread.h"

#include "platform/kernel/Clock.h"
#include "platform/kernel/Time.h"

#include <chrono>
#include <deque>
#include <system_error>
#include <unistd.h>

namespace {

struct SyncRequest {
    const TThreadMethod* method = nullptr;
    std::uint64_t sequence = 0;
    std::exception_ptr error;
    bool done = false;
};

// One queue of calls waiting for the main thread. Workers wait on `served` for their own
// request; the main thread waits on `queued` for work (or a thread's end, see WaitFor).
struct SyncQueue {
    std::mutex mutex;
    std::condition_variable queued;
    std::condition_variable served;
    std::deque<SyncRequest*> pending;
    std::uint64_t lastSequence = 0;

    std::mutex wakeMutex;
    std::function<void()> wake;
};

SyncQueue& Queue() {
    static SyncQueue queue;
    return queue;
}

void PokeMainThread() {
    SyncQueue& q = Queue();
    { std::lock_guard<std::mutex> guard(q.mutex); }
    q.queued.notify_all();
}

} // namespace

bool IsMainThread() {
    return GetCurrentThreadId() == static_cast<DWORD>(::getpid());
}

void SetWakeMainThread(std::function<void()> wake) {
    SyncQueue& q = Queue();
    std::lock_guard<std::mutex> guard(q.wakeMutex);
    q.wake = std::move(wake);
}

bool CheckSynchronize(int timeoutMs) {
    if (!IsMainThread())
        throw EThread("CheckSynchronize called from a thread that is not the main thread");
    SyncQueue& q = Queue();
    std::unique_lock<std::mutex> lock(q.mutex);
    if (timeoutMs > 0 && q.pending.empty()) {
        // On the replaceable clock, so that tests decide when the wait is over.
        kernel::Clock& clock = kernel::CurrentClock();
        clock.WaitUntil(lock, q.queued, clock.Now() + static_cast<kernel::Milliseconds>(timeoutMs),
                        [&] { return !q.pending.empty(); });
    }
    // Calls queued from now on wait for the next round, so a busy worker cannot keep this
    // loop going forever; nested rounds take them from the same queue in order.
    const std::uint64_t limit = q.lastSequence;
    bool ran = false;
    while (!q.pending.empty() && q.pending.front()->sequence <= limit) {
        SyncRequest* request = q.pending.front();
        q.pending.pop_front();
        lock.unlock();
        try {
            (*request->method)();
        } catch (...) {
            // Carried back to the thread that asked for the call, which raises it.
            request->error = std::current_exception();
        }
        lock.lock();
        request->done = true;
        ran = true;
        q.served.notify_all();
    }
    return ran;
}

void TThread::Synchronize(TThread*, const TThreadMethod& method) {
    if (IsMainThread()) {
        method();
        return;
    }
    SyncQueue& q = Queue();
    SyncRequest request;
    request.method = &method;
    {
        std::lock_guard<std::mutex> guard(q.mutex);
        request.sequence = ++q.lastSequence;
        q.pending.push_back(&request);
    }
    q.queued.notify_all();
    std::function<void()> wake;
    {
        std::lock_guard<std::mutex> guard(q.wakeMutex);
        wake = q.wake;
    }
    if (wake) wake();
    {
        std::unique_lock<std::mutex> lock(q.mutex);
        q.served.wait(lock, [&] { return request.done; });
    }
    if (request.error) std::rethrow_exception(request.error);
}

TThread::TThread(bool CreateSuspended) : createSuspended_(CreateSuspended) {}

TThread::~TThread() {
    if (thread_.joinable()) {
        // A thread that frees itself cannot wait for its own end.
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach();
        else
            thread_.join();
    }
}

void TThread::AfterConstruction() {
    inherited::AfterConstruction();
    if (!createSuspended_) Start();
}

void TThread::Destroy() {
    if (started_ && thread_.get_id() != std::this_thread::get_id()) {
        Terminate();
        WaitForExit();
    }
    inherited::Destroy();
}

void TThread::Start() {
    if (started_) throw EThread("Cannot start a thread that is already running");
    started_ = true;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error& e) {
        started_ = false;
        throw EThread(String("Thread creation error: ") + e.what());
    }
}

int TThread::WaitFor() {
    if (FreeOnTerminate()) throw EThread("Cannot wait for a thread that frees itself");
    if (started_ && thread_.get_id() == std::this_thread::get_id())
        throw EThread("A thread cannot wait for itself");
    if (!started_) throw EThread("Cannot wait for a thread that was never started");
    WaitForExit();
    return ReturnValue();
}

void TThread::WaitForExit() {
    if (IsMainThread()) {
        // The worker may be waiting for a synchronized call (its OnTerminate, say), so the
        // main thread keeps serving them. The worker's end pokes the queue too, so the wait
        // ends as soon as either a call arrives or the thread is done.
        SyncQueue& q = Queue();
        for (;;) {
            CheckSynchronize();
            if (exited_.load()) return;
            std::unique_lock<std::mutex> lock(q.mutex);
            q.queued.wait(lock, [&] { return !q.pending.empty() || exited_.load(); });
        }
    }
    std::unique_lock<std::mutex> lock(mutex_);
    ended_.wait(lock, [&] { return exited_.load(); });
}

std::exception_ptr TThread::FatalException() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return fatal_;
}

void TThread::DoTerminate() {
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

void TThread::Run() {
    threadId_.store(GetCurrentThreadId());
    std::exception_ptr fatal;
    if (!Terminated()) {
        try {
            Execute();
        } catch (...) {
            // The thread's entry: nothing may leave it; the failure is kept as FatalException.
            fatal = std::current_exception();
        }
    }
    finished_.store(true);
    const bool freeSelf = FreeOnTerminate();
    try {
        DoTerminate();
    } catch (...) {
        // Still the thread's entry; the first failure is the one kept.
        if (!fatal) fatal = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> guard(mutex_);
        fatal_ = fatal;
        exited_.store(true);
        ended_.notify_all();
    }
    PokeMainThread();
    // Deletes this object.
    if (freeSelf) Free();
}

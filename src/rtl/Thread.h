#pragma once
// Threads of the framework and the way they reach the main (user-interface) thread.
//
// Synchronize(method) from a worker queues the call and blocks until the main thread has run
// it in CheckSynchronize; an exception the call raises is raised again in the worker. On the
// main thread Synchronize just calls. The main thread is the process's first thread.
#include "rtl/Exception.h"
#include "rtl/Object.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

using TThreadMethod = std::function<void()>;

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

bool IsMainThread();
// Runs every call queued before it started (and, through nested calls, any queued while it
// runs); safe to call from inside a synchronized call. With timeoutMs above 0 it first waits
// that long for a call to arrive. Returns whether any call ran. Main thread only; elsewhere
// EThread.
bool CheckSynchronize(int timeoutMs = 0);
// Called (from the queuing thread) whenever a call is queued, so that a message loop can wake
// up and run CheckSynchronize. Pass an empty function to unhook.
void SetWakeMainThread(std::function<void()> wake);

class TThread : public TObject {
    KORVID_CLASS(TThread, TObject)

    // The thread starts in AfterConstruction unless CreateSuspended; make threads with
    // CreateObject<T>(...).
    explicit TThread(bool CreateSuspended);
    ~TThread() override;

    void AfterConstruction() override;
    // Waits for a running thread after marking it terminated; a thread that was never
    // started is not started.
    void Destroy() override;

    // Starts a suspended thread; EThread when it already started.
    void Start();
    void Resume() { Start(); }
    bool Suspended() const { return !started_; }

    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }
    bool Finished() const { return finished_.load(); }

    // Waits until the thread has ended (its OnTerminate included) and returns ReturnValue.
    // On the main thread it keeps running synchronized calls meanwhile. EThread for a thread
    // that frees itself or waits for itself.
    int WaitFor();

    // When set, the thread frees itself after Execute and OnTerminate.
    bool FreeOnTerminate() const { return freeOnTerminate_.load(); }
    void SetFreeOnTerminate(bool value) { freeOnTerminate_.store(value); }
    // Kept for the callers that set it; the system scheduler decides.
    TThreadPriority Priority() const { return priority_.load(); }
    void SetPriority(TThreadPriority value) { priority_.store(value); }
    int ReturnValue() const { return returnValue_.load(); }
    void SetReturnValue(int value) { returnValue_.store(value); }
    Cardinal ThreadID() const { return threadId_.load(); }
    // What escaped Execute, or null.
    std::exception_ptr FatalException() const;

    // Runs on the main thread once Execute has returned, before the thread ends.
    TNotifyEvent OnTerminate;

    // Synchronize for code that has no thread object at hand (thread may be nil).
    static void Synchronize(TThread* thread, const TThreadMethod& method);

protected:
    virtual void Execute() = 0;
    void Synchronize(const TThreadMethod& method) { Synchronize(this, method); }
    // Calls OnTerminate through Synchronize.
    virtual void DoTerminate();

private:
    void Run();
    void WaitForExit();

    std::thread thread_;
    bool started_ = false;
    bool createSuspended_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> freeOnTerminate_{false};
    std::atomic<TThreadPriority> priority_{tpNormal};
    std::atomic<int> returnValue_{0};
    std::atomic<Cardinal> threadId_{0};

    mutable std::mutex mutex_;
    std::condition_variable ended_;
    std::atomic<bool> exited_{false};
    std::exception_ptr fatal_;
};

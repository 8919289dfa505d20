// The display backend in use and the requests that leave the program.
#include "platform/user/Backend.h"

#include "platform/kernel/Clock.h"
#include "platform/user/OutsideCalls.h"
#include "platform/user/WindowState.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace user {
namespace {

// Shows nothing and delivers no input; waiting only ends at a wake-up or the deadline.
class NullBackend : public DisplayBackend {
public:
    const char* Name() const override { return "none"; }
    bool ShowsWindows() const override { return false; }
    SIZE ScreenSize() override { return SIZE{1024, 768}; }
    RECT WorkArea() override { return RECT{0, 0, 1024, 768}; }
    void CreateNative(const NativeWindowDesc&) override {}
    void DestroyNative(HWND) override {}
    void SetNativeBounds(HWND, const RECT&) override {}
    void SetNativeDesc(HWND, const NativeWindowDesc&) override {}
    void SetNativeState(HWND, ShowState, bool) override {}
    void SetNativeShape(HWND, const std::vector<RECT>*) override {}
    void RaiseNative(HWND) override {}
    void ActivateNative(HWND) override {}
    void Present(HWND, const RECT&, const SurfaceView&) override {}
    void BeginMoveSize(HWND, LRESULT, POINT) override {}
    void GrabPointer(HWND) override {}
    void SetCursorShape(WORD) override {}
    POINT CursorPos() override { return cursor_; }
    void SetCursorPos(POINT pt) override { cursor_ = pt; }
    void Beep() override {}
    void Pump() override {}
    void Wait(kernel::Milliseconds deadline) override {
        std::unique_lock lock(mutex_);
        kernel::CurrentClock().WaitUntil(lock, cv_, deadline, [&] { return woken_; });
        woken_ = false;
    }
    void Wake() override {
        {
            std::lock_guard lock(mutex_);
            woken_ = true;
        }
        cv_.notify_all();
    }

private:
    POINT cursor_{0, 0};
    std::mutex mutex_;
    std::condition_variable cv_;
    bool woken_ = false;
};

NullBackend& nullBackend() {
    static NullBackend backend;
    return backend;
}

std::unique_ptr<DisplayBackend>& installed() {
    static std::unique_ptr<DisplayBackend> backend;
    return backend;
}

std::atomic<DisplayBackend*> current{nullptr};

} // namespace

void SetDisplayBackend(std::unique_ptr<DisplayBackend> backend) {
    // Windows belong to the backend that showed them.
    detail::DestroyAllWindows();
    detail::ResetDisplayThread();
    current.store(backend ? backend.get() : nullptr);
    installed() = std::move(backend);
    detail::InputState& in = detail::Input();
    in = detail::InputState{};
}

DisplayBackend& CurrentDisplayBackend() {
    DisplayBackend* b = current.load();
    return b ? *b : nullBackend();
}

std::optional<int> InterceptMessageBox(const MessageBoxRequest& request) {
    return CurrentDisplayBackend().MessageBox(request);
}

std::optional<bool> InterceptShell(const ShellRequest& request) {
    return CurrentDisplayBackend().Shell(request);
}

std::optional<DialogAnswer> InterceptDialog(const DialogRequest& request) {
    return CurrentDisplayBackend().Dialog(request);
}

} // namespace user

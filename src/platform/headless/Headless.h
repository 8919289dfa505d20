#pragma once
// The test display: an in-memory screen of fixed size, a fake clock, scripted input and a
// recorder of everything that would have left the program (message boxes, dialogs, shell
// calls). Tests install it once (or per test with HeadlessSession) and drive the program
// through it as a user would: move the pointer, click, type, let time pass, look at pixels.
#include "platform/WinTypes.h"
#include "platform/kernel/Clock.h"
#include "platform/user/Backend.h"
#include "platform/user/NativeEvents.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace headless {

// One request that left the program, in the order they came.
struct RecordedCall {
    enum class Kind { MessageBox, Dialog, Shell, Beep };
    Kind kind = Kind::MessageBox;
    HWND owner = 0;
    std::string text;    // message text, dialog title, shell file
    std::string caption; // message caption, dialog kind, shell verb
    std::string detail;  // shell parameters, dialog file name
    UINT type = 0;       // MB_ flags, dialog options, shell show command
    int answer = 0;      // the button given back, 1/0 for dialogs and shell calls
};

struct ScreenOptions {
    int width = 1280;
    int height = 1024;
    RECT workArea{0, 0, 1280, 984}; // a 40-pixel panel at the bottom
};

class HeadlessBackend : public user::DisplayBackend {
public:
    explicit HeadlessBackend(const ScreenOptions& options = {});
    ~HeadlessBackend() override;

    // --- what the window layer calls ---
    const char* Name() const override { return "headless"; }
    SIZE ScreenSize() override;
    RECT WorkArea() override;
    void CreateNative(const user::NativeWindowDesc& desc) override;
    void DestroyNative(HWND hwnd) override;
    void SetNativeBounds(HWND hwnd, const RECT& bounds) override;
    void SetNativeDesc(HWND hwnd, const user::NativeWindowDesc& desc) override;
    void SetNativeState(HWND hwnd, user::ShowState state, bool activate) override;
    void SetNativeShape(HWND hwnd, const std::vector<RECT>* shape) override;
    void RaiseNative(HWND hwnd) override;
    void SetNativeIcon(HWND hwnd, int width, int height, const std::vector<DWORD>& argb) override;
    void SetNativeSizeLimits(HWND hwnd, SIZE minimum, SIZE maximum) override;
    void ActivateNative(HWND hwnd) override;
    void Present(HWND hwnd, const RECT& rect, const user::SurfaceView& surface) override;
    void BeginMoveSize(HWND hwnd, LRESULT hit, POINT start) override;
    void GrabPointer(HWND hwnd) override;
    void SetCursorShape(WORD shapeId) override;
    POINT CursorPos() override;
    void SetCursorPos(POINT pt) override;
    void Beep() override;
    void Pump() override;
    void Wait(kernel::Milliseconds deadline) override;
    void Wake() override;
    std::optional<int> MessageBox(const user::MessageBoxRequest& request) override;
    std::optional<bool> Shell(const user::ShellRequest& request) override;
    std::optional<user::DialogAnswer> Dialog(const user::DialogRequest& request) override;

    // --- what tests call ---
    // Input goes in as a user's would: to whatever top-level window is under the pointer on
    // the screen (regions and stacking honoured), or to the pointer grab. It waits in the
    // queue until the message loop runs (Pump below, or the program's own loop).
    void MovePointer(int x, int y); // screen coordinates
    void PressButton(user::native::Button button = user::native::Button::Left);
    void ReleaseButton(user::native::Button button = user::native::Button::Left);
    // Move there, press, release.
    void Click(int x, int y, user::native::Button button = user::native::Button::Left);
    void DoubleClick(int x, int y);
    void Wheel(int delta);
    void KeyDown(int vk);
    void KeyUp(int vk);
    // KeyDown + KeyUp, with Shift / Ctrl / Alt held around it when asked.
    void PressKey(int vk, bool shift = false, bool ctrl = false, bool alt = false);
    // Types UTF-8 text: ASCII through keys (letters, digits, space, Enter, Tab, punctuation),
    // anything else as input-method text.
    void TypeText(const std::string& text);

    // Runs the calling thread's message loop until nothing is left to do (no posted message,
    // no paint, no timer due); returns how many messages it dispatched.
    int Pump(int limit) { return PumpMessages(limit); }
    static int PumpMessages(int limit = 100000);
    // Moves the fake clock on, in steps that stop at every timer that falls due, dispatching
    // after each step.
    void AdvanceClock(kernel::Milliseconds ms);
    kernel::FakeClock& Clock() { return clock_; }

    // Pixels as 0x00BBGGRR. WindowPixel reads the window's own back buffer at a point of its
    // client area (whatever covers it on the screen); ScreenPixel reads the screen as shown.
    // CLR_INVALID (0xFFFFFFFF) outside.
    static COLORREF WindowPixel(HWND hwnd, int x, int y);
    // The same at a point of the whole window (frame included).
    static COLORREF WindowFramePixel(HWND hwnd, int x, int y);
    COLORREF ScreenPixel(int x, int y);
    // What the desktop shows: the screen composed of every shown top-level window in order.
    std::vector<COLORREF> ScreenShot(RECT area);
    // The top-level window the screen shows at a point (0: the desktop).
    HWND TopLevelAt(int x, int y);

    // The script for requests that leave the program: answers are taken in order; without
    // one a message box gets its default button, a dialog is cancelled, a shell call succeeds.
    void QueueMessageBoxAnswer(int button);
    void QueueDialogAnswer(const user::DialogAnswer& answer);
    void QueueShellResult(bool ok);
    // When set, a dialog or message box with no queued answer is recorded (answer -1) and
    // left to the program, which shows its own window; tests then drive it with input.
    bool leaveDialogsToProgram = false;
    bool leaveMessageBoxesToProgram = false;
    // Called when a message box opens, before it is answered (e.g. to check the screen).
    std::function<void(const RecordedCall&)> onRecorded;
    const std::vector<RecordedCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }

    WORD CursorShape() const { return cursorShape_; }
    HWND PointerGrab() const { return grab_; }
    // Times BeginMoveSize was asked, and the last hit code.
    int MoveSizeRequests() const { return moveSizeRequests_; }
    LRESULT LastMoveSizeHit() const { return lastMoveSizeHit_; }
    user::ShowState NativeState(HWND hwnd) const;
    // The icon a window last gave the desktop: 0xAARRGGBB rows; empty for none.
    struct NativeIcon {
        int width = 0;
        int height = 0;
        std::vector<DWORD> argb;
    };
    NativeIcon IconOf(HWND hwnd) const;
    // The size limits a window last gave the desktop (0 x 0 each until it gave any).
    struct SizeLimits {
        SIZE minimum{0, 0};
        SIZE maximum{0, 0};
    };
    SizeLimits SizeLimitsOf(HWND hwnd) const;
    bool IsNativeActive(HWND hwnd) const { return active_ == hwnd; }

private:
    struct Native;
    Native* find(HWND hwnd);
    const Native* find(HWND hwnd) const;
    void deliverPointer();
    bool mouseButtonDown() const;

    ScreenOptions options_;
    kernel::FakeClock clock_;
    std::unique_ptr<kernel::ScopedClock> clockScope_;
    std::vector<std::unique_ptr<Native>> natives_; // bottom to top
    std::vector<DWORD> screen_;                    // composed on demand
    POINT pointer_{0, 0};
    HWND grab_ = 0;
    HWND active_ = 0;
    WORD cursorShape_ = 32512;
    int buttons_ = 0;      // bit per native::Button
    HWND pointerOver_ = 0; // top-level window the pointer was last over
    bool shift_ = false, ctrl_ = false, alt_ = false;
    bool& modifier(int vk);
    std::string keyText(int vk);
    // A move or resize the desktop runs while the button stays down.
    HWND moveSizeWindow_ = 0;
    LRESULT moveSizeHit_ = 0;
    POINT moveSizeStart_{0, 0};
    RECT moveSizeBounds_{};
    int moveSizeRequests_ = 0;
    LRESULT lastMoveSizeHit_ = 0;

    std::mutex waitMutex_;
    std::condition_variable waitCv_;
    bool woken_ = false;

    std::vector<std::pair<HWND, NativeIcon>> icons_;
    std::vector<std::pair<HWND, SizeLimits>> sizeLimits_;
    std::vector<RecordedCall> calls_;
    std::deque<int> boxAnswers_;
    std::deque<user::DialogAnswer> dialogAnswers_;
    std::deque<bool> shellResults_;
};

// Installs a fresh headless backend (with its fake clock) as the display for the scope, and
// puts the built-in empty one back after, destroying every window that is left.
class HeadlessSession {
public:
    explicit HeadlessSession(const ScreenOptions& options = {});
    ~HeadlessSession();
    HeadlessSession(const HeadlessSession&) = delete;
    HeadlessSession& operator=(const HeadlessSession&) = delete;
    HeadlessBackend& operator*() { return *backend_; }
    HeadlessBackend* operator->() { return backend_; }

private:
    HeadlessBackend* backend_;
};

// The installed headless backend, nullptr when another one runs.
HeadlessBackend* CurrentHeadless();

} // namespace headless

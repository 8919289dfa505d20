#pragma once
// The one narrow interface between the window layer and a display: the desktop (x11/) or the
// in-memory screen of the tests (headless/). The window layer keeps the whole window tree,
// painting and input routing itself; a backend only shows top-level windows, hands over native
// input through platform/user/NativeEvents.h and blocks the thread until something happens.
// It is chosen once, at start-up, before the first window exists.
#include "platform/WinTypes.h"
#include "platform/kernel/Clock.h"
#include "platform/user/OutsideCalls.h"
#include <string>

#include <memory>
#include <optional>
#include <vector>

namespace user {

enum class ShowState { Hidden, Normal, Minimized, Maximized };

// How a top-level window is to appear.
struct NativeWindowDesc {
    HWND hwnd = 0;
    HWND owner = 0;
    RECT bounds;             // screen coordinates of the surface (the whole window we draw)
    bool framed = false;     // the desktop draws a caption and frame around it
    bool sizeable = false;   // that frame lets the user resize
    bool popup = false;      // a menu or drop-down: not managed, never activated
    bool toolWindow = false; // kept out of the task bar
    bool topmost = false;
    bool modal = false; // enabled while its owner is disabled: the owner waits for it
    bool minimizeBox = false;
    bool maximizeBox = false;
    std::string title;
};

// A top-level window's back buffer: 32-bit pixels, blue first, rows top-down.
struct SurfaceView {
    const BYTE* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0; // bytes per row
};

class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;
    virtual const char* Name() const = 0;
    // False for a backend that shows nothing and delivers no input, where a window that
    // waits for the user (a modal dialog) would wait forever.
    virtual bool ShowsWindows() const { return true; }

    virtual SIZE ScreenSize() = 0;
    virtual RECT WorkArea() = 0;

    // Top-level windows, known to the backend by their handles.
    virtual void CreateNative(const NativeWindowDesc& desc) = 0;
    virtual void DestroyNative(HWND hwnd) = 0;
    virtual void SetNativeBounds(HWND hwnd, const RECT& bounds) = 0;
    virtual void SetNativeDesc(HWND hwnd, const NativeWindowDesc& desc) = 0; // frame, title
    virtual void SetNativeState(HWND hwnd, ShowState state, bool activate) = 0;
    // Rectangles in window coordinates, no overlap; nullptr: the whole rectangle.
    virtual void SetNativeShape(HWND hwnd, const std::vector<RECT>* shape) = 0;
    virtual void RaiseNative(HWND hwnd) = 0;
    // The size limits the desktop keeps the window within while the user resizes it (0: none).
    virtual void SetNativeSizeLimits(HWND hwnd, SIZE minimum, SIZE maximum) {
        (void)hwnd, (void)minimum, (void)maximum;
    }
    // The window's icon for the desktop: 0xAARRGGBB pixels, rows top-down; empty: none.
    virtual void SetNativeIcon(HWND hwnd, int width, int height, const std::vector<DWORD>& argb) {
        (void)hwnd, (void)width, (void)height, (void)argb;
    }
    virtual void ActivateNative(HWND hwnd) = 0;
    // Puts the part rect (window coordinates) of the back buffer on the screen.
    virtual void Present(HWND hwnd, const RECT& rect, const SurfaceView& surface) = 0;

    // Lets the desktop move (hit HTCAPTION) or resize (HTLEFT .. HTBOTTOMRIGHT) the window
    // with the pointer, the button being down at screen point start.
    virtual void BeginMoveSize(HWND hwnd, LRESULT hit, POINT start) = 0;
    // Keeps all pointer input for the program while a window holds the capture (0: release).
    virtual void GrabPointer(HWND hwnd) = 0;
    virtual void SetCursorShape(WORD shapeId) = 0; // standard cursor id, 0 hides it
    virtual POINT CursorPos() = 0;
    virtual void SetCursorPos(POINT pt) = 0;
    virtual void Beep() = 0;

    // Delivers the native events that have arrived, without waiting.
    virtual void Pump() = 0;
    // Blocks until a native event arrives, Wake is called, or the clock reaches deadline
    // (kernel::kForever: no deadline). May return early.
    virtual void Wait(kernel::Milliseconds deadline) = 0;
    // Any thread: ends a Wait that runs or the next one to start.
    virtual void Wake() = 0;

    // Requests that leave the program; nullopt leaves them to the caller.
    virtual std::optional<int> MessageBox(const MessageBoxRequest&) { return std::nullopt; }
    virtual std::optional<bool> Shell(const ShellRequest&) { return std::nullopt; }
    virtual std::optional<DialogAnswer> Dialog(const DialogRequest&) { return std::nullopt; }
};

// Installs the backend for the program's life. Installing another one later destroys every
// window first. nullptr goes back to the built-in one that shows nothing.
void SetDisplayBackend(std::unique_ptr<DisplayBackend> backend);
// The backend in use; without SetDisplayBackend, one that shows nothing and delivers no input.
DisplayBackend& CurrentDisplayBackend();

} // namespace user

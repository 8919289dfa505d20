#pragma once
// The desktop backend's own state, shared by its window calls (X11Backend.cpp) and its event
// delivery (X11Events.cpp). Private to this folder.
#include "platform/user/Backend.h"
#include "platform/x11/internal/InputMethod.h"

#include <X11/Xlib.h>

#include <map>
#include <set>

namespace x11 {

class X11Backend final : public user::DisplayBackend {
public:
    X11Backend(Display* display, bool useInputMethod);
    ~X11Backend() override;

    const char* Name() const override { return "x11"; }
    SIZE ScreenSize() override;
    RECT WorkArea() override;
    void CreateNative(const user::NativeWindowDesc& desc) override;
    void DestroyNative(HWND hwnd) override;
    void SetNativeBounds(HWND hwnd, const RECT& b) override;
    void SetNativeDesc(HWND hwnd, const user::NativeWindowDesc& desc) override;
    void SetNativeState(HWND hwnd, user::ShowState state, bool activate) override;
    void SetNativeShape(HWND hwnd, const std::vector<RECT>* shape) override;
    void RaiseNative(HWND hwnd) override;
    void SetNativeSizeLimits(HWND hwnd, SIZE minimum, SIZE maximum) override;
    void SetNativeIcon(HWND hwnd, int width, int height, const std::vector<DWORD>& argb) override;
    void ActivateNative(HWND hwnd) override;
    void Present(HWND hwnd, const RECT& rect, const user::SurfaceView& s) override;
    void BeginMoveSize(HWND hwnd, LRESULT hit, POINT start) override;
    void GrabPointer(HWND hwnd) override;
    void SetCursorShape(WORD shapeId) override;
    POINT CursorPos() override;
    void SetCursorPos(POINT pt) override;
    void Beep() override;
    void Pump() override;
    void Wait(kernel::Milliseconds deadline) override;
    void Wake() override;

private:
    struct Native {
        Window window = 0;
        GC gc = nullptr;
        XIC ic = nullptr; // this window's input context; nullptr: XLookupString
        RECT bounds{};
        bool popup = false;
        bool sizeable = false;
        SIZE minSize{0, 0}, maxSize{0, 0}; // the user's resizing limits; 0: none
        user::ShowState requested = user::ShowState::Hidden;
        bool managed = false; // mapped or iconified by us: the window manager has it
        // _NET_WM_STATE entries: as the program wants them, and as the desktop was told.
        std::set<Atom> states, told;
    };

    Native* Find(HWND hwnd);
    HWND Owner(Window window) const;
    void ApplyDesc(Native& n, const user::NativeWindowDesc& desc);
    void SetState(Native& n, Atom state, bool on);
    // Tells the desktop the wanted states: in the property while the window manager does not
    // have the window, by requests to it once it has.
    void ApplyStates(Native& n);
    // WM_NORMAL_HINTS: a window the user may not resize is held at its size, any other
    // within its limits.
    void ApplySizeHints(Native& n);
    Cursor FontCursor(unsigned int shape);
    Cursor BlankCursor();
    void DrainWakePipe();

    // Event delivery (X11Events.cpp).
    bool IsAutoRepeatRelease(const XKeyEvent& release);
    void DeliverKey(HWND hwnd, XEvent& e);
    void DeliverButton(HWND hwnd, const XButtonEvent& button, bool down);
    void DeliverConfigure(HWND hwnd, const XConfigureEvent& configure);
    void Deliver(XEvent& e);

    Display* dpy_;
    int screen_ = 0;
    Window root_ = 0;
    int wakePipe_[2] = {-1, -1};
    Atom wmProtocols_, wmDelete_, motifHints_, moveResize_, netState_, stateAbove_, stateMaxH_,
        stateMaxV_, skipTaskbar_, stateModal_, windowType_, typeDialog_, netName_, utf8_, workArea_,
        netIcon_;
    bool hasShape_ = false;
    bool repeatPending_ = false;
    InputMethod inputMethod_;
    std::map<HWND, Native> windows_;
    std::map<Window, HWND> byWindow_;
    std::map<unsigned int, Cursor> cursors_;
    Cursor currentCursor_ = 0;
};

} // namespace x11

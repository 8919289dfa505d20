#pragma once
// Inside the window layer: the window objects, the handle table, the thread queues and the
// input state every part of the layer shares. Only platform/user and the headless test backend
// (which steps timers exactly and reads back buffers) include this.
#include "platform/user/Backend.h"
#include "platform/user/RectSet.h"
#include "platform/user/Timer.h"
#include "platform/user/Window.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace user::detail {

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HINSTANCE instance = 0;
    HICON icon = 0;
    HCURSOR cursor = 0;
    HBRUSH background = 0;
};

// A top-level window's back buffer.
struct Surface {
    HBITMAP bitmap = 0;
    BYTE* bits = nullptr;
    int width = 0;
    int height = 0;
    RectSet dirty; // drawn but not yet on the screen (window coordinates)

    Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface(); // frees the bitmap; DCs on it hold the surface alive until released
};

struct ThreadQueue;

struct Window {
    HWND handle = 0;
    std::shared_ptr<WindowClass> cls;
    std::shared_ptr<ThreadQueue> queue;
    DWORD thread = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = 0;            // children only
    HWND owner = 0;             // top-level windows only
    std::vector<HWND> children; // front (top of the z-order) first
    RECT rect;                  // parent's client coordinates, screen for top-level windows
    RECT client;                // window coordinates
    WNDPROC proc = nullptr;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    HINSTANCE instance = 0;
    std::string text;
    HRGN region = 0;
    HICON bigIcon = 0; // WM_SETICON; the program keeps the icons
    HICON smallIcon = 0;

    RectSet update; // client coordinates
    bool erasePending = false;
    bool framePending = false;
    bool internalPaint = false;
    bool beganPaint = false; // BeginPaint ran during the current WM_PAINT
    bool redrawOff = false;  // WM_SETREDRAW FALSE

    ShowState state = ShowState::Normal; // top-level windows: minimised or maximised
    RECT normalRect;                     // bounds to restore to
    bool destroying = false;
    bool created = false; // WM_CREATE has been answered

    std::shared_ptr<Surface> surface; // top-level windows
    bool native = false;              // the backend knows it

    bool IsChild() const { return (style & WS_CHILD) != 0; }
};

// A window looked up by its handle. The window stays alive while this is held, even when it
// is destroyed meanwhile (it is then no longer found by its handle): a window procedure may
// destroy its own window in the middle of any call that sends it a message. There is no way
// back to a bare pointer, so whoever uses the window holds the reference as long.
class WindowRef {
public:
    WindowRef() = default;
    WindowRef(std::nullptr_t) {}
    explicit WindowRef(std::shared_ptr<Window> window) : window_(std::move(window)) {}
    explicit operator bool() const { return window_ != nullptr; }
    Window* operator->() const { return window_.get(); }
    Window& operator*() const { return *window_; }
    bool operator==(const WindowRef& other) const { return window_ == other.window_; }

private:
    std::shared_ptr<Window> window_;
};

// The handle table. Handles carry a generation, so a handle of a destroyed window never
// reaches the window that later takes its slot.
WindowRef Find(HWND hwnd);
HWND AddWindow(std::unique_ptr<Window> window);
void RemoveWindow(HWND hwnd);
std::shared_ptr<ThreadQueue> QueueOf(HWND hwnd); // any thread
std::vector<HWND> AllWindows();                  // every live window, any thread
// Top-level windows of every thread, front first.
std::vector<HWND>& TopLevels();
constexpr HWND kDesktopWindow = 0x00000000B0000001ull;

// Queued input as the backend delivered it; routed when taken from the queue.
struct InputEvent {
    enum class Kind { Move, Button, Wheel, Leave, Key, Text };
    Kind kind = Kind::Move;
    HWND topLevel = 0;
    POINT screen;
    int button = 0; // native::Button
    bool down = false;
    int delta = 0;
    bool horizontal = false;
    int vk = 0;
    bool autoRepeat = false;
    std::string text;
    DWORD time = 0;
    WORD keys = 0;    // MK_ flags as the event arrived
    bool alt = false; // Alt and Ctrl as the event arrived
    bool ctrl = false;
};

struct SentCall {
    HWND hwnd = 0;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;
    std::mutex mutex;
    std::condition_variable cv;
};

struct QueueItem {
    bool isInput = false; // input not routed yet
    bool routed = false;  // msg came from input: key and button state follow it
    MSG msg;
    InputEvent input;
    std::string text; // what a routed key-down typed
};

struct Timer {
    HWND hwnd = 0;
    UINT_PTR id = 0;
    UINT interval = 0;
    TIMERPROC proc = nullptr;
    std::uint64_t due = 0;
};

struct ThreadQueue {
    DWORD thread = 0;
    std::mutex mutex;
    std::condition_variable cv;
    bool woken = false;
    std::deque<QueueItem> items;                // under mutex
    std::deque<std::shared_ptr<SentCall>> sent; // under mutex
    bool quit = false;                          // under mutex
    int quitCode = 0;

    // The owning thread's own.
    std::vector<Timer> timers;
    UINT_PTR nextTimerId = 1;
    MSG last; // what GetMessageTime / GetMessagePos report
    int inSend = 0;
    // The text the key-down being handed out typed, for TranslateMessage.
    MSG keyMsg;
    std::string keyText;
};

std::shared_ptr<ThreadQueue> CurrentQueue();
std::shared_ptr<ThreadQueue> QueueOfThread(DWORD thread);
// The thread that runs the backend's loop: the one that made the first top-level window.
bool IsDisplayThread();
void ClaimDisplayThread();
void ResetDisplayThread();
// Adds an item and wakes the queue's thread up.
void Enqueue(const std::shared_ptr<ThreadQueue>& queue, QueueItem item);
void WakeQueue(ThreadQueue& queue);

// Shared pointer and keyboard state; the display thread's own.
struct InputState {
    HWND focus = 0;
    HWND active = 0;
    HWND capture = 0;
    HWND tracked = 0;     // TrackMouseEvent(TME_LEAVE)
    HWND lastPointed = 0; // window the last pointer message went to
    BYTE keys[256] = {};  // as of the last message: 0x80 down, 0x01 toggled
    BYTE asyncKeys[256] = {};
    POINT cursor;
    HCURSOR cursorShape = 0;
    int cursorShown = 0;
    bool appActive = false;
    // Double-click detection.
    HWND lastClickWindow = 0;
    UINT lastClickMessage = 0;
    DWORD lastClickTime = 0;
    POINT lastClickPoint;
    bool lastClickWasDouble = false;
    UINT doubleClickTime = 500;
};
InputState& Input();

// Geometry.
POINT SurfaceOrigin(const Window& w); // where the window's (0, 0) lies on its top-level's buffer
POINT ScreenOrigin(const Window& w);  // where the window's (0, 0) lies on the screen
WindowRef TopLevelOf(WindowRef w);
bool IsVisibleChain(const Window& w); // WS_VISIBLE up to the top, top-level not minimised
bool IsEnabledChain(const Window& w);
bool IsNativelyFramed(const Window& w);
bool IsPopupMenu(const Window& w);
RECT FrameInsets(const Window& w);  // left, top, right, bottom widths inside the window rect
int CaptionHeight(const Window& w); // the caption strip drawn below the top frame (children)
NativeWindowDesc DescOf(const Window& w);
LONG Width(const RECT& r);
LONG Height(const RECT& r);

// Painting (Paint.cpp).
void InvalidateArea(Window& w, const RectSet& clientArea, bool erase, bool allChildren);
void InvalidateWhole(Window& w, bool allChildren); // client, frame and background
void UncoverArea(Window& parent, const RECT& parentClientRect);
void ResizeSurface(Window& top);
void ReleaseSurface(Window& top);
void PresentIfIdle(Window& top);
void PresentAll(ThreadQueue& queue);
bool NeedsPaint(const Window& w);
// A window of the thread with something to paint (parents before children), or 0.
HWND FindPaintWindow(ThreadQueue& queue, HWND filter);
void InstallDcProvider();
RectSet VisibleArea(const Window& w, bool whole); // surface coordinates

// Focus and activation (Focus.cpp).
void ForgetWindow(HWND hwnd); // a window is going: focus, capture, activation leave it
void ActivateTopLevel(HWND top, WORD how);
// The same for a change the desktop made already (nothing is sent back to the backend).
void ActivateTopLevelFromNative(HWND top);
// The window a disabled top-level waits for: the enabled one it owns (through disabled ones it
// owns in turn), else the active window when that one is enabled; 0 for none.
HWND ModalWindowFor(HWND disabledTop);
// A click or the desktop reached a top-level that waits for a modal window: that one comes to
// the front and takes the keyboard. False when there is none.
bool BringModalWindowForward(HWND disabledTop);
// The desktop learns again whether the top-levels owned by hwnd are modal (after hwnd was
// enabled or disabled).
void RefreshOwnedDescs(HWND hwnd);

// Input (InputRouting.cpp): turns a queued input event into the message to hand out.
// Returns false when the event goes to nobody.
bool RouteInput(const InputEvent& event, std::vector<MSG>& out);
void NoteKeyMessage(ThreadQueue& queue, const MSG& msg, const std::string& text);
// Queues the characters of text for hwnd ahead of everything waiting (MessageQueue.cpp).
void PostCharsFront(ThreadQueue& queue, HWND hwnd, UINT msg, const std::string& text, DWORD time,
                    POINT pt);

// Timers (Timer.cpp).
void KillWindowTimers(ThreadQueue& queue, HWND hwnd);
bool TakeDueTimer(ThreadQueue& queue, HWND filter, bool remove, MSG& out);
std::uint64_t NextTimerDue(ThreadQueue& queue);

// Moves (HTCAPTION) or sizes (an edge or corner hit code) a child window with the pointer,
// from the screen point where the press was, until the left button comes up (ChildMoveSize.cpp).
void TrackChildMoveSize(HWND hwnd, LRESULT hit, POINT start);

// Sends WM_PAINT, validating the window afterwards if its procedure never called BeginPaint.
void DispatchPaint(HWND hwnd);

// Position (Position.cpp). The one place bounds, order and visibility change; fromNative: the
// desktop made the change already.
BOOL MoveWindowTo(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags,
                  bool fromNative);
void ApplyNativeBounds(Window& top, const RECT& bounds);
void ApplyNativeState(Window& top, ShowState state);
RECT ComputeClient(Window& w, const RECT& windowRect);
// The size limits of a top-level window: the defaults, then what its WM_GETMINMAXINFO handler
// made of them (not sent to menus and drop-downs). Children have no limits.
MINMAXINFO QueryMinMaxInfo(HWND hwnd);
SIZE LimitTrackSize(const MINMAXINFO& info, int cx, int cy);

// Destroys every window (backend change, end of a test session).
void DestroyAllWindows();

// Calls into the current window procedure, keeping the layer consistent if it throws.
LRESULT CallProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

} // namespace user::detail

// The player control's windows: the control window (a child of the host's panel) paints the
// control bar and takes its clicks; a renderer child shows the presented frame scaled to the
// display size, and moves into a screen-sized window of its own for full screen. A right
// click opens the context menu while it is enabled. Engine reports reach the user-interface
// thread as a message posted to the control window.
#include "platform/media/MediaPlayer.h"
#include "platform/media/PlayerLayout.h"
#include "platform/media/PlayerMenu.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Metrics.h"
#include "platform/user/Paint.h"
#include "platform/user/Timer.h"
#include "platform/user/Window.h"

#include <atomic>
#include <cmath>
#include <vector>

namespace media {

namespace {

constexpr UINT kWakeMessage = WM_APP + 0x3F0;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 250;
// The movie component finds the video surface by a class name holding "renderer".
constexpr const char* kControlClass = "KorvidMediaPlayer";
constexpr const char* kRendererClass = "KorvidVideoRenderer";
constexpr const char* kFullScreenClass = "KorvidFullScreenVideo";

// Context menu commands; a display size is chosen as kSizeCommand + its value.
constexpr int kPlayCommand = 1;
constexpr int kPauseCommand = 2;
constexpr int kStopCommand = 3;
constexpr int kSizeCommand = 100;

bool Empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

LRESULT ControlProc(HWND, UINT, WPARAM, LPARAM);
LRESULT RendererProc(HWND, UINT, WPARAM, LPARAM);
LRESULT FullScreenProc(HWND, UINT, WPARAM, LPARAM);

void RegisterOnce() {
    static const bool done = [] {
        WNDCLASS wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ControlProc;
        wc.lpszClassName = kControlClass;
        RegisterClass(&wc);
        wc.lpfnWndProc = RendererProc;
        wc.lpszClassName = kRendererClass;
        RegisterClass(&wc);
        wc.lpfnWndProc = FullScreenProc;
        wc.lpszClassName = kFullScreenClass;
        RegisterClass(&wc);
        return true;
    }();
    (void)done;
}

} // namespace

class PlayerWindowView final : public PlayerView {
public:
    explicit PlayerWindowView(MediaPlayer& player) : player_(player) {}
    ~PlayerWindowView() override {
        // Windows may already be gone with their parent; stale handles are refused.
        if (IsWindow(fullScreen_)) DestroyWindow(fullScreen_);
        if (IsWindow(control_)) DestroyWindow(control_);
    }

    bool Create(HWND parent, int x, int y, int width, int height) {
        RegisterOnce();
        control_ = CreateWindowEx(0, kControlClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x,
                                  y, width, height, parent, 0, 0, this);
        if (!control_) return false;
        renderer_ = CreateWindowEx(0, kRendererClass, "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                                   control_, 0, 0, this);
        SetTimer(control_, kRefreshTimer, kRefreshMs, nullptr);
        Layout();
        return renderer_ != 0;
    }

    HWND Handle() const override { return control_; }

    void Changed() override {
        if (!control_) return;
        Layout();
        InvalidateRect(control_, nullptr, FALSE);
        if (renderer_) InvalidateRect(renderer_, nullptr, FALSE);
    }

    void Wake() override {
        if (!wakePosted_.exchange(true)) PostMessage(control_, kWakeMessage, 0, 0);
    }

    LRESULT Control(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
        case kWakeMessage:
            wakePosted_ = false;
            player_.DeliverEvents();
            RefreshFrame();
            return 0;
        case WM_SIZE:
            Layout();
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            PaintControl(hwnd);
            return 0;
        case WM_TIMER:
            if (wParam == kRefreshTimer && ShowControls()) InvalidateRect(hwnd, &bar_.bar, FALSE);
            return 0;
        case WM_LBUTTONDOWN:
            Press({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_RBUTTONUP:
            ContextMenu(hwnd, lParam);
            return 0;
        case WM_KEYDOWN:
            if (menu_.HandleKey(static_cast<int>(wParam))) return 0;
            break;
        case WM_KILLFOCUS:
            menu_.Close();
            break;
        case WM_MOUSEMOVE:
            if (dragging_) SeekTo(GET_X_LPARAM(lParam));
            return 0;
        case WM_LBUTTONUP:
            if (dragging_) {
                dragging_ = false;
                ReleaseCapture();
            }
            return 0;
        case WM_CAPTURECHANGED:
            dragging_ = false;
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd, kRefreshTimer);
            return 0;
        case WM_NCDESTROY:
            control_ = 0;
            renderer_ = 0;
            break;
        default:
            break;
        }
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }

    LRESULT Renderer(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            PaintFrame(hwnd);
            return 0;
        case WM_KEYDOWN:
            if (menu_.HandleKey(static_cast<int>(wParam))) return 0;
            if (wParam == VK_ESCAPE && fullScreen_) {
                player_.PutProperty(dispid::DisplaySize, Variant::Int(windowedSize_));
                return 0;
            }
            break;
        case WM_KILLFOCUS:
            menu_.Close();
            break;
        case WM_RBUTTONUP:
            ContextMenu(hwnd, lParam);
            return 0;
        case WM_LBUTTONUP:
            if (Bool(dispid::ClickToPlay) && Bool(dispid::Enabled)) TogglePlay();
            return 0;
        default:
            break;
        }
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }

    LRESULT FullScreen(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_KEYDOWN:
            if (menu_.HandleKey(static_cast<int>(wParam))) return 0;
            if (wParam == VK_ESCAPE) {
                player_.PutProperty(dispid::DisplaySize, Variant::Int(windowedSize_));
                return 0;
            }
            break;
        case WM_RBUTTONUP:
            ContextMenu(hwnd, lParam);
            return 0;
        case WM_NCDESTROY:
            if (fullScreen_ == hwnd) fullScreen_ = 0;
            break;
        default:
            break;
        }
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }

private:
    bool Bool(DISPID id) {
        Variant v;
        return SUCCEEDED(player_.GetProperty(id, &v)) && v.boolVal != VARIANT_FALSE;
    }
    LONG Int(DISPID id) {
        Variant v;
        return SUCCEEDED(player_.GetProperty(id, &v)) ? v.lVal : 0;
    }
    double Seconds(DISPID id) {
        // The bar always shows seconds, whatever the display mode.
        Variant v;
        if (FAILED(player_.GetProperty(id, &v))) return 0;
        return player_.FromDisplayUnit(v.dblVal);
    }
    bool ShowControls() { return Bool(dispid::ShowControls); }

    void Layout() {
        if (!control_ || !renderer_) return;
        RECT client;
        GetClientRect(control_, &client);
        const int width = client.right;
        const int height = client.bottom;
        const int videoHeight = ShowControls() ? std::max(0, height - kControlBarHeight) : height;
        ControlBarOptions options;
        options.showPositionControls = Bool(dispid::ShowPositionControls);
        options.showTracker = Bool(dispid::ShowTracker);
        options.showDisplay = true; // the position and length are always shown
        bar_ = ShowControls() ? LayoutControlBar(width, height, options) : ControlBarLayout{};
        const LONG size = Int(dispid::DisplaySize);
        const int vw = Int(dispid::ImageSourceWidth);
        const int vh = Int(dispid::ImageSourceHeight);
        if (size == mpFullScreen && vw > 0) {
            EnterFullScreen(vw, vh);
            return;
        }
        windowedSize_ = size == mpFullScreen ? windowedSize_ : size;
        LeaveFullScreen();
        const RECT r = VideoRect(width, videoHeight, vw, vh, size);
        if (Empty(r)) {
            ShowWindow(renderer_, SW_HIDE);
            return;
        }
        MoveWindow(renderer_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        ShowWindow(renderer_, SW_SHOWNA);
    }

    void EnterFullScreen(int vw, int vh) {
        const int sw = GetSystemMetrics(SM_CXSCREEN);
        const int sh = GetSystemMetrics(SM_CYSCREEN);
        if (!fullScreen_) {
            fullScreen_ = CreateWindowEx(WS_EX_TOPMOST, kFullScreenClass, "",
                                         WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, sw, sh, 0,
                                         0, 0, this);
            if (!fullScreen_) return;
            SetParent(renderer_, fullScreen_);
        }
        const RECT r = VideoRect(sw, sh, vw, vh, mpFullScreen);
        MoveWindow(renderer_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        ShowWindow(renderer_, SW_SHOW);
        SetFocus(renderer_);
    }

    void LeaveFullScreen() {
        if (!fullScreen_) return;
        SetParent(renderer_, control_);
        HWND old = fullScreen_;
        fullScreen_ = 0;
        DestroyWindow(old);
    }

    void RefreshFrame() {
        const std::uint64_t count = player_.Engine().PresentedFrameCount();
        if (count != shownCount_ && renderer_) {
            shownCount_ = count;
            InvalidateRect(renderer_, nullptr, FALSE);
        }
    }

    void PaintControl(HWND hwnd) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        if (ShowControls()) {
            ControlBarState state;
            state.playing = Int(dispid::PlayState) == mpPlaying;
            state.enabled = Bool(dispid::Enabled) && Bool(dispid::EnablePositionControls);
            state.position = Seconds(dispid::CurrentPosition);
            state.length = Seconds(dispid::Duration);
            PaintControlBar(dc, bar_, state);
        }
        EndPaint(hwnd, &ps);
    }

    void PaintFrame(HWND hwnd) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        const int w = client.right;
        const int h = client.bottom;
        if (w > 0 && h > 0) {
            frame_.resize(static_cast<std::size_t>(w) * h);
            if (player_.Engine().DrawPresentedFrame(w, h, frame_.data(), w * 4)) {
                BITMAPINFO info{};
                info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
                info.bmiHeader.biWidth = w;
                info.bmiHeader.biHeight = -h;
                info.bmiHeader.biPlanes = 1;
                info.bmiHeader.biBitCount = 32;
                SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, frame_.data(), &info, DIB_RGB_COLORS);
            } else {
                FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            }
        }
        EndPaint(hwnd, &ps);
    }

    void TogglePlay() {
        if (Int(dispid::PlayState) == mpPlaying)
            player_.Pause();
        else
            player_.Play();
    }

    void Press(POINT pt) {
        if (!ShowControls() || !Bool(dispid::Enabled)) return;
        switch (HitControlBar(bar_, pt)) {
        case BarPart::PlayPause:
            if (Bool(dispid::EnablePositionControls)) TogglePlay();
            break;
        case BarPart::Stop:
            if (Bool(dispid::EnablePositionControls) && SUCCEEDED(player_.Stop()))
                player_.PutProperty(dispid::CurrentPosition, Variant::Double(0));
            break;
        case BarPart::Track:
            if (Bool(dispid::EnableTracker) && Int(dispid::OpenState) == mpOpen) {
                dragging_ = true;
                SetCapture(control_);
                SeekTo(pt.x);
            }
            break;
        case BarPart::None:
            break;
        }
        InvalidateRect(control_, &bar_.bar, FALSE);
    }

    // The menu's items as the control stands now: what cannot act is disabled.
    std::vector<MenuItem> MenuItems() {
        const bool open = Int(dispid::OpenState) == mpOpen;
        const bool positions = open && Bool(dispid::EnablePositionControls);
        const bool playing = Int(dispid::PlayState) == mpPlaying;
        const LONG size = Int(dispid::DisplaySize);
        const bool full = size == mpFullScreen;
        auto sizeItem = [&](const char* text, LONG value) {
            return MenuItem{text, kSizeCommand + value, true, !full && size == value};
        };
        return {
            {"Play", kPlayCommand, positions && !playing},
            {"Pause", kPauseCommand, positions && playing},
            {"Stop", kStopCommand, positions},
            {},
            sizeItem("Default size", mpDefaultSize),
            sizeItem("Half size", mpHalfSize),
            sizeItem("Double size", mpDoubleSize),
            sizeItem("Fit to window", mpFitToSize),
            {},
            {"Full screen", kSizeCommand + mpFullScreen, open && Int(dispid::ImageSourceWidth) > 0,
             full},
        };
    }

    void ContextMenu(HWND from, LPARAM lParam) {
        if (!Bool(dispid::EnableContextMenu) || !Bool(dispid::Enabled)) return;
        // The menu never has the focus: the window that has it hands the keys on.
        HWND keys = fullScreen_ ? renderer_ : control_;
        if (GetFocus() != keys) SetFocus(keys);
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(from, &at);
        menu_.Open(from, at, MenuItems(), [this](int command) { Command(command); });
    }

    void Command(int command) {
        // The state may have moved on while the menu was open: act only on what is enabled now.
        bool enabled = false;
        for (const MenuItem& item : MenuItems())
            if (item.command == command && !item.text.empty()) enabled = item.enabled;
        if (!enabled) return;
        switch (command) {
        case kPlayCommand:
            player_.Play();
            break;
        case kPauseCommand:
            player_.Pause();
            break;
        case kStopCommand:
            if (SUCCEEDED(player_.Stop()))
                player_.PutProperty(dispid::CurrentPosition, Variant::Double(0));
            break;
        default:
            player_.PutProperty(dispid::DisplaySize, Variant::Int(command - kSizeCommand));
            break;
        }
        if (control_) InvalidateRect(control_, nullptr, FALSE);
    }

    void SeekTo(int x) {
        const double t = TrackerTime(bar_, x, Seconds(dispid::Duration));
        if (std::abs(t - lastSeek_) < 1e-3 && dragging_) return;
        lastSeek_ = t;
        player_.PutProperty(dispid::CurrentPosition, Variant::Double(player_.ToDisplayUnit(t)));
        InvalidateRect(control_, &bar_.bar, FALSE);
    }

    MediaPlayer& player_;
    PopupMenu menu_;
    HWND control_ = 0;
    HWND renderer_ = 0;
    HWND fullScreen_ = 0;
    LONG windowedSize_ = mpDefaultSize;
    ControlBarLayout bar_;
    std::vector<std::uint32_t> frame_;
    std::uint64_t shownCount_ = 0;
    std::atomic<bool> wakePosted_{false};
    bool dragging_ = false;
    double lastSeek_ = -1;
};

namespace {

PlayerWindowView* ViewOf(HWND hwnd, UINT msg, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCT*>(lParam);
        SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return reinterpret_cast<PlayerWindowView*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
}

LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    PlayerWindowView* view = ViewOf(hwnd, msg, lParam);
    return view ? view->Control(hwnd, msg, wParam, lParam)
                : DefWindowProc(hwnd, msg, wParam, lParam);
}

LRESULT RendererProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    PlayerWindowView* view = ViewOf(hwnd, msg, lParam);
    return view ? view->Renderer(hwnd, msg, wParam, lParam)
                : DefWindowProc(hwnd, msg, wParam, lParam);
}

LRESULT FullScreenProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    PlayerWindowView* view = ViewOf(hwnd, msg, lParam);
    return view ? view->FullScreen(hwnd, msg, wParam, lParam)
                : DefWindowProc(hwnd, msg, wParam, lParam);
}

} // namespace

std::unique_ptr<PlayerView> MakePlayerView(MediaPlayer& player, HWND parent, int x, int y,
                                           int width, int height) {
    auto view = std::make_unique<PlayerWindowView>(player);
    if (!view->Create(parent, x, y, width, height)) return nullptr;
    return view;
}

// Here rather than with the rest of the control, so a control without a window needs none
// of the window layer.
HWND MediaPlayer::CreateWindowIn(HWND parent, int x, int y, int width, int height) {
    if (view_) return view_->Handle();
    std::unique_ptr<PlayerView> view = MakePlayerView(*this, parent, x, y, width, height);
    if (!view) return 0;
    view_ = std::move(view);
    {
        std::lock_guard lock(wakeMutex_);
        wakeView_ = view_.get();
    }
    // Whatever came before the window existed is delivered through it now.
    view_->Wake();
    return view_->Handle();
}

} // namespace media

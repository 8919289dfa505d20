#pragma once
// The media player control: what a control host sees of the player. Properties are read
// and written by dispatch id as variants, the methods return result codes, and events are
// raised by dispatch id on the user-interface thread, in the order the player goes through
// its states. The engine decodes on threads of its own; whatever it reports waits until the
// owner lets the control deliver it (DeliverEvents), which a hosted control does by posting
// its window a message.
#include "platform/media/FrameAccess.h"
#include "platform/media/MediaEngine.h"
#include "platform/media/PlayerProperties.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace media {

struct PlayerEvent {
    DISPID id = 0;
    std::vector<Variant> args; // see eventid in PlayerDispatch.h
};

class PlayerView;

class MediaPlayer {
public:
    explicit MediaPlayer(EngineOptions options = {});
    ~MediaPlayer();
    MediaPlayer(const MediaPlayer&) = delete;
    MediaPlayer& operator=(const MediaPlayer&) = delete;

    // S_OK; DISP_E_MEMBERNOTFOUND for an id the control does not have (or writing a read-only
    // one); DISP_E_TYPEMISMATCH / DISP_E_OVERFLOW for a value of the wrong kind; E_INVALIDARG
    // for a value out of the property's range (the old value stays).
    HRESULT GetProperty(DISPID id, Variant* value);
    HRESULT PutProperty(DISPID id, const Variant& value);

    // Starts opening and returns at once; the steps come as open-state events. E_INVALIDARG
    // for an empty name.
    HRESULT Open(const std::string& fileName);
    // E_UNEXPECTED when nothing is open.
    HRESULT Play();
    HRESULT Pause();
    HRESULT Stop();
    // The last error: S_OK with an empty description and code 0 when there was none.
    HRESULT ErrorDescription(std::string* description);
    HRESULT ErrorCode(LONG* code);

    // Raised from DeliverEvents. The handler may call into the control (and may dispatch
    // messages); a nested delivery goes on with the events after the one being handled.
    void SetEventHandler(std::function<void(const PlayerEvent&)> handler);
    // Called on any thread when something waits to be delivered; a control without a window
    // tells its owner through this. A hosted control posts its window instead.
    void SetWakeup(std::function<void()> wakeup);
    // User-interface thread: raises every waiting event in order.
    void DeliverEvents();
    // For owners without a message loop: waits until something is to be delivered.
    bool WaitForEvents(std::chrono::milliseconds timeout);

    // Frame access for the movie component.
    IBasicVideo& BasicVideo();
    ISampleGrabber* InsertSampleGrabber();
    void RemoveSampleGrabber();
    MediaEngine& Engine() { return engine_; }

    // Hosting: the control's window, a child of parent, where the video and the control bar
    // are shown. Returns 0 when the window cannot be made. The owner sizes it; full screen
    // (display size 3) covers the screen with a window of the control's own until left.
    HWND CreateWindowIn(HWND parent, int x, int y, int width, int height);
    HWND Window() const;
    // Hosting calls this after a change of anything shown (properties, frames, state).
    void ViewChanged();

    // Unit conversion of the display mode (positions and length in seconds or frames).
    double ToDisplayUnit(double seconds) const;
    double FromDisplayUnit(double value) const;

private:
    friend class PlayerView;
    HRESULT PutLive(DISPID id, const Variant& value);
    void Raise(PlayerEvent event);
    void ApplyAudio();

    MediaEngine engine_;
    PlayerProperties props_;
    std::function<void(const PlayerEvent&)> handler_;
    std::function<void()> wakeup_;
    PlayerView* wakeView_ = nullptr;
    std::unique_ptr<PlayerView> view_;
    std::mutex wakeMutex_; // guards wakeup_ and view_ against the engine's threads
    LONG volume_ = 0;
    LONG balance_ = 0;
    LONG displayMode_ = mpTime;
    LONG displaySize_ = mpDefaultSize;
    int delivering_ = 0;
};

// The part of the control that lives in a window; made by CreateWindowIn.
class PlayerView {
public:
    virtual ~PlayerView() = default;
    virtual HWND Handle() const = 0;
    // Something to show changed (a frame, the state, a property).
    virtual void Changed() = 0;
    // From any thread: the engine has something for the user-interface thread.
    virtual void Wake() = 0;
};

std::unique_ptr<PlayerView> MakePlayerView(MediaPlayer& player, HWND parent, int x, int y,
                                           int width, int height);

} // namespace media

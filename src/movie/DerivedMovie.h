#pragma once
// TDerivedMovie_: the media player control hosted as a windowed control. Its window carries
// the player's window (video and control bar) over its whole client area. Properties go to
// the player by dispatch id; the player's methods and property writes that fail raise
// EOleException; the player's events arrive on the user-interface thread and are mapped by
// dispatch id onto the event fields below.
#include "framework/WinControl.h"
#include "platform/media/Variant.h"

#include <functional>
#include <memory>

namespace media {
class MediaPlayer;
struct PlayerEvent;
} // namespace media

// A call into the player that failed; ErrorCode is its result code.
class EOleException : public Exception {
public:
    EOleException(String message, HRESULT errorCode)
        : Exception(std::move(message)), errorCode_(errorCode) {}
    HRESULT ErrorCode() const { return errorCode_; }

private:
    HRESULT errorCode_;
};

class TDerivedMovie_ : public TWinControl {
    KORVID_CLASS(TDerivedMovie_, TWinControl)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    media::MediaPlayer& MediaPlayer() { return *player_; }

    // Property get and put by dispatch id; a failing call raises EOleException.
    media::Variant GetProperty(DISPID id);
    void SetProperty(DISPID id, const media::Variant& Value);

    // The player's default interface.
    void Open(const String& FileName);
    void Play();
    void Pause();
    void Stop();
    String ErrorDescription();
    int ErrorCode();

    // The player's window, 0 until this control's window exists.
    HWND PlayerWindow() const;

    // The 14 events of the player, by their dispatch ids.
    TNotifyEvent OnDVDNotify;
    std::function<void(TObject* Sender, int Result)> OnEndOfStream;
    std::function<void(TObject* Sender, int OldState, int NewState)> OnOpenStateChange;
    std::function<void(TObject* Sender, int OldState, int NewState)> OnPlayStateChange;
    std::function<void(TObject* Sender, const String& scType, const String& Param)> OnScriptCommand;
    std::function<void(TObject* Sender, bool Start)> OnBuffering;
    TNotifyEvent OnError;
    std::function<void(TObject* Sender, int MarkerNum)> OnMarkerHit;
    std::function<void(TObject* Sender, int WarningType, int Param, const String& Description)>
        OnWarning;
    TNotifyEvent OnNewStream;
    std::function<void(TObject* Sender, int Result)> OnDisconnect;
    std::function<void(TObject* Sender, double OldPosition, double NewPosition)> OnPositionChange;
    TNotifyEvent OnDisplayModeChange;
    std::function<void(TObject* Sender, int ReadyState)> OnReadyStateChange;
    // WM_HELP: the message reaches the default handling only while CanShowWMPHelp stays true.
    std::function<void(TObject* Sender, bool& CanShowWMPHelp)> OnF1HelpInvoked;
    // Raised once the player's window exists.
    TNotifyEvent OnControlCreated;

    void Dispatch(TMessage& Message) override;

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    void Resize() override;

private:
    void PlayerEvent(const media::PlayerEvent& Event);
    void RaiseEvent(const media::PlayerEvent& Event);
    void FitPlayerWindow();

    std::unique_ptr<media::MediaPlayer> player_;
};

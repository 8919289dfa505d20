#pragma once
// The player's properties by dispatch id, each read from the returned variant as its own kind
// (no conversion) and written in a variant of that kind; a failing call raises EOleException.
// The movie component's parts reach the player's state through this rather than through the
// component.
#include "platform/media/MediaTypes.h"
#include "platform/media/PlayerDispatch.h"
#include "rtl/Types.h"

class TDerivedMovie_;

// Player states as the component reads them (the player's integer properties).
constexpr int kOpenStateOpen = media::mpOpen;
constexpr int kOpenStateClosed = media::mpClosed;
constexpr int kPlayStateStopped = media::mpStopped;
constexpr int kPlayStatePaused = media::mpPaused;
constexpr int kPlayStatePlaying = media::mpPlaying;
constexpr int kReadyStateLoading = media::mpReadyStateLoading;
constexpr int kReadyStateInteractive = media::mpReadyStateInteractive;
constexpr int kReadyStateComplete = media::mpReadyStateComplete;

class PlayerProperties {
public:
    explicit PlayerProperties(TDerivedMovie_& Player) : player_(Player) {}

    TDerivedMovie_& Player() const { return player_; }

    bool WordBool(DISPID id) const;
    int Integer(DISPID id) const;
    double Double(DISPID id) const;
    String WideString(DISPID id) const;
    void SetWordBool(DISPID id, bool Value) const;
    void SetInteger(DISPID id, int Value) const;
    void SetDouble(DISPID id, double Value) const;
    void SetWideString(DISPID id, const String& Value) const;

    int OpenState() const { return Integer(media::dispid::OpenState); }
    int PlayState() const { return Integer(media::dispid::PlayState); }
    int ReadyState() const { return Integer(media::dispid::ReadyState); }

private:
    TDerivedMovie_& player_;
};

#pragma once
// The player's properties by dispatch id, each read from the returned variant as its own kind
// (no conversion) and written in a variant of that kind; a failing call raises EOleException.
// The movie component's parts reach the player's state through this rather than through the
// component.
#include "movie/DerivedMovie.h"

#include "platform/media/PlayerDispatch.h"

class PlayerProperties {
public:
    explicit PlayerProperties(TDerivedMovie_& Player) : player_(Player) {}

    TDerivedMovie_& Player() const { return player_; }

    bool WordBool(DISPID id) const { return player_.GetProperty(id).boolVal != 0; }
    int Integer(DISPID id) const { return player_.GetProperty(id).lVal; }
    double Double(DISPID id) const { return player_.GetProperty(id).dblVal; }
    String WideString(DISPID id) const { return player_.GetProperty(id).bstrVal; }
    void SetWordBool(DISPID id, bool Value) const {
        player_.SetProperty(id, media::Variant::Bool(Value));
    }
    void SetInteger(DISPID id, int Value) const {
        player_.SetProperty(id, media::Variant::Int(Value));
    }
    void SetDouble(DISPID id, double Value) const {
        player_.SetProperty(id, media::Variant::Double(Value));
    }
    void SetWideString(DISPID id, const String& Value) const {
        player_.SetProperty(id, media::Variant::Str(Value));
    }

    int OpenState() const { return Integer(media::dispid::OpenState); }
    int PlayState() const { return Integer(media::dispid::PlayState); }
    int ReadyState() const { return Integer(media::dispid::ReadyState); }

private:
    TDerivedMovie_& player_;
};

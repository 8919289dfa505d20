#include "movie/PlayerProperties.h"

#include "movie/DerivedMovie.h"

bool PlayerProperties::WordBool(DISPID id) const {
    return player_.GetProperty(id).boolVal != 0;
}

int PlayerProperties::Integer(DISPID id) const {
    return player_.GetProperty(id).lVal;
}

double PlayerProperties::Double(DISPID id) const {
    return player_.GetProperty(id).dblVal;
}

String PlayerProperties::WideString(DISPID id) const {
    return player_.GetProperty(id).bstrVal;
}

void PlayerProperties::SetWordBool(DISPID id, bool Value) const {
    player_.SetProperty(id, media::Variant::Bool(Value));
}

void PlayerProperties::SetInteger(DISPID id, int Value) const {
    player_.SetProperty(id, media::Variant::Int(Value));
}

void PlayerProperties::SetDouble(DISPID id, double Value) const {
    player_.SetProperty(id, media::Variant::Double(Value));
}

void PlayerProperties::SetWideString(DISPID id, const String& Value) const {
    player_.SetProperty(id, media::Variant::Str(Value));
}

#pragma once
// The kept properties of the player control: every dispatch id it answers, with its declared
// type, its value when never written, and whether it may be written. The live ones (states,
// position, length, image size, file name) are answered by the control from its engine; this
// store keeps the rest.
#include "platform/media/PlayerDispatch.h"

#include <map>

namespace media {

struct PropertyInfo {
    DISPID id = 0;
    VARTYPE type = VT_EMPTY;
    Variant initial;
    bool readOnly = false;
    bool live = false; // answered by the control, not by the store
};

// The entry for id, or nullptr when the control has no such property.
const PropertyInfo* FindProperty(DISPID id);

class PlayerProperties {
public:
    PlayerProperties();
    // The kept value (its initial value until written); the id must be a kept property.
    const Variant& Get(DISPID id) const;
    bool GetBool(DISPID id) const { return Get(id).boolVal != VARIANT_FALSE; }
    LONG GetInt(DISPID id) const { return Get(id).lVal; }
    // Converts to the declared type and keeps it; the result of the conversion otherwise.
    HRESULT Put(DISPID id, const Variant& value);

private:
    std::map<DISPID, Variant> values_;
};

} // namespace media

#pragma once
// The values the player control's properties and events carry: empty, a 16-bit boolean
// (-1 true, 0 false), a 32-bit integer, a double or a string. A property keeps the type it
// was declared with; a value of another number type is converted on the way in, a string
// where a number belongs (or the other way) is refused.
#include "platform/media/MediaTypes.h"

#include <cstdint>
#include <string>

using DISPID = LONG;
using VARIANT_BOOL = std::int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum VARTYPE : WORD {
    VT_EMPTY = 0,
    VT_I4 = 3,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_BOOL = 11,
};

namespace media {

struct Variant {
    VARTYPE vt = VT_EMPTY;
    VARIANT_BOOL boolVal = VARIANT_FALSE;
    LONG lVal = 0;
    double dblVal = 0;
    std::string bstrVal;

    static Variant Bool(bool v);
    static Variant Int(LONG v);
    static Variant Double(double v);
    static Variant Str(std::string v);

    bool IsNumber() const { return vt == VT_BOOL || vt == VT_I4 || vt == VT_R8; }
    // The number as a double (bool true is -1); 0 for anything else.
    double AsDouble() const;

    friend bool operator==(const Variant& a, const Variant& b);
};

// Converts value to the type wanted: S_OK and *out filled, DISP_E_TYPEMISMATCH (string to
// number, number to string, empty to anything) or DISP_E_OVERFLOW (a double that no 32-bit
// integer holds, or not a number).
HRESULT ChangeType(const Variant& value, VARTYPE wanted, Variant* out);

} // namespace media

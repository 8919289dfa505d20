#include "platform/media/Variant.h"

#include <cmath>
#include <limits>

namespace media {

Variant Variant::Bool(bool v) {
    Variant r;
    r.vt = VT_BOOL;
    r.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
    return r;
}

Variant Variant::Int(LONG v) {
    Variant r;
    r.vt = VT_I4;
    r.lVal = v;
    return r;
}

Variant Variant::Double(double v) {
    Variant r;
    r.vt = VT_R8;
    r.dblVal = v;
    return r;
}

Variant Variant::Str(std::string v) {
    Variant r;
    r.vt = VT_BSTR;
    r.bstrVal = std::move(v);
    return r;
}

double Variant::AsDouble() const {
    switch (vt) {
    case VT_BOOL:
        return boolVal;
    case VT_I4:
        return lVal;
    case VT_R8:
        return dblVal;
    default:
        return 0;
    }
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.vt != b.vt) return false;
    switch (a.vt) {
    case VT_BOOL:
        return a.boolVal == b.boolVal;
    case VT_I4:
        return a.lVal == b.lVal;
    case VT_R8:
        return a.dblVal == b.dblVal;
    case VT_BSTR:
        return a.bstrVal == b.bstrVal;
    default:
        return true;
    }
}

HRESULT ChangeType(const Variant& value, VARTYPE wanted, Variant* out) {
    if (!out) return E_POINTER;
    if (value.vt == wanted) {
        *out = value;
        return S_OK;
    }
    if (!value.IsNumber() || wanted == VT_BSTR || wanted == VT_EMPTY) return DISP_E_TYPEMISMATCH;
    const double v = value.AsDouble();
    switch (wanted) {
    case VT_BOOL:
        *out = Variant::Bool(v != 0);
        return S_OK;
    case VT_R8:
        *out = Variant::Double(v);
        return S_OK;
    case VT_I4: {
        // Halves go to the even neighbour, as the conversions of the namesake do.
        const double r = std::nearbyint(v);
        if (!std::isfinite(r) || r < std::numeric_limits<LONG>::min() ||
            r > std::numeric_limits<LONG>::max())
            return DISP_E_OVERFLOW;
        *out = Variant::Int(static_cast<LONG>(r));
        return S_OK;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

} // namespace media

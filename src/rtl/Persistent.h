#pragma once
// Objects that can take over the state of another through Assign.
#include "rtl/Object.h"

class TPersistent : public TObject {
    KORVID_CLASS(TPersistent, TObject)

    // Copies Source into this object. The default asks Source to do it (AssignTo); when
    // neither side knows the other, EConvertError "Cannot assign a TSource to a TThis".
    virtual void Assign(TPersistent* Source);

    // The object that owns this one for naming and streaming, or nil.
    virtual TPersistent* GetOwner() { return nullptr; }

protected:
    // Copies this object into Dest; the default refuses.
    virtual void AssignTo(TPersistent* Dest);
    [[noreturn]] void AssignError(TPersistent* Source);
};

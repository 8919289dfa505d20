#include "rtl/Persistent.h"

void TPersistent::Assign(TPersistent* Source) {
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source) {
    String from = Source ? Source->ClassName() : String("nil");
    throw EConvertError("Cannot assign a " + from + " to a " + ClassName());
}

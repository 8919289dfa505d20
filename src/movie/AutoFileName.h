#pragma once
// The names a capture saves under when it is given none: the local time, or the next number
// of a sequence kept per folder, prefix and extension (at least six digits), never one a file
// in the folder has already.
#include "rtl/Types.h"

enum TAuto_Filename { fnSequential, fnDateTime };

// StoragePath + prefix + the number or time + "." + Extension; an empty StoragePath is the
// current folder.
String AutomaticFileName(TAuto_Filename Kind, const String& StoragePath, const String& Prefix,
                         const String& Extension);

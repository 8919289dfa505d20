#pragma once
// The help page's texts.
#include "rtl/Types.h"

extern const char* const kHelpTabCaption;
extern const char* const kHelpText;
// The help page's contact lines: where the product page lies, and the mail address.
String HelpContactText();

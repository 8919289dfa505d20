#pragma once
// The help page's texts.
#include "rtl/Types.h"

extern const char* const kHelpTabCaption;
extern const char* const kHelpText;
// Where the product page lies, for the help page's contact line.
String HelpContactText();

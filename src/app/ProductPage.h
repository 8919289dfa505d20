#pragma once
// The product page, a page of our own installed with the program, opened in the browser.
#include "platform/WinTypes.h"
#include "rtl/Types.h"

// Beside the installed program (share/korvid/korvid.html), else beside the built one.
String ProductPageFileName();
// Opens it through the shell; answers whether the shell took it.
bool OpenProductPage(HWND owner);

#include "app/ProductPage.h"

// Only the shell's calls here: its header and the window layer's both name the show commands.
#include "platform/shell/ShellApi.h"
#include "rtl/Files.h"

String ProductPageFileName() {
    const String installed = ProgramFolder() + "../share/korvid/korvid.html";
    if (FileExists(installed)) return ExpandFileName(installed);
    return ProgramFolder() + "korvid.html";
}

bool OpenProductPage(HWND owner) {
    const String page = ProductPageFileName();
    return ShellExecuteA(owner, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL) > 32;
}

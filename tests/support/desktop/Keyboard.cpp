// Apart from the program's own headers, whose names meet Xlib's.
#include "support/desktop/Keyboard.h"

#include <X11/Xlib.h>

namespace test_support {

bool AddKeys(const char* display, std::initializer_list<unsigned long> keysyms) {
    Display* d = XOpenDisplay(display);
    if (!d) return false;
    int low = 0, high = 0, per = 0;
    XDisplayKeycodes(d, &low, &high);
    KeySym* map = XGetKeyboardMapping(d, static_cast<KeyCode>(low), high - low + 1, &per);
    auto next = keysyms.begin();
    for (int code = high; map && code >= low && next != keysyms.end(); --code) {
        bool unused = true;
        for (int i = 0; i < per; ++i)
            if (map[(code - low) * per + i] != NoSymbol) unused = false;
        if (!unused) continue;
        KeySym sym = *next++;
        XChangeKeyboardMapping(d, code, 1, &sym, 1);
    }
    if (map) XFree(map);
    XSync(d, False);
    XCloseDisplay(d);
    return next == keysyms.end();
}

} // namespace test_support

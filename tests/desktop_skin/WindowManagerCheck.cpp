#include "WindowManagerCheck.h"

#include <X11/Xlib.h>

#include <chrono>
#include <thread>

bool WaitForWindowManager(const char* display) {
    Display* d = XOpenDisplay(display);
    if (!d) return false;
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    bool found = false;
    for (int i = 0; i < 100 && !found; ++i) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, AnyPropertyType, &type,
                               &format, &count, &after, &data) == Success && data) {
            found = count > 0;
            XFree(data);
        }
        if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XCloseDisplay(d);
    // The announcement comes before the manager takes map requests; one made in between is
    // lost, so it gets a moment more.
    if (found) std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    return found;
}

// Apart from the program's own headers, whose names meet Xlib's.
#include "support/desktop/WindowManager.h"

#include "support/Poll.h"

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace test_support {

namespace {

constexpr const char* kConfig =
    "<?xml version=\"1.0\"?>\n<openbox_config xmlns=\"http://openbox.org/3.4/rc\">\n"
    "<keyboard></keyboard>\n<mouse><context name=\"Client\"><mousebind button=\"Left\" "
    "action=\"Press\"><action name=\"Focus\"/><action name=\"Raise\"/></mousebind>"
    "</context></mouse>\n</openbox_config>\n";

} // namespace

bool WaitForWindowManager(const char* display) {
    Display* d = XOpenDisplay(display);
    if (!d) return false;
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    const bool found = PollUntil(
        [&] {
            Atom type = 0;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            bool announced = false;
            if (XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, AnyPropertyType,
                                   &type, &format, &count, &after, &data) == Success &&
                data) {
                announced = count > 0;
                XFree(data);
            }
            return announced;
        },
        [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); },
        std::chrono::seconds(5));
    XCloseDisplay(d);
    // The announcement comes before the manager takes map requests; one made in between is
    // lost, so it gets a moment more.
    if (found) std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    return found;
}

bool WindowManager::Start(const char* display, const std::string& configFile) {
    FILE* f = std::fopen(configFile.c_str(), "w");
    if (!f) return false;
    std::fputs(kConfig, f);
    std::fclose(f);
    pid_ = fork();
    if (pid_ == 0) {
        setenv("DISPLAY", display, 1);
        execlp(kProgram, kProgram, "--config-file", configFile.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid_ > 0 && WaitForWindowManager(display);
}

void WindowManager::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}

} // namespace test_support

#pragma once
// A window manager (openbox) for the desktop tests. It runs with focus and raise on a click and
// no keys of its own, so the keys a test types (Alt+Space among them) reach the program.
#include <string>
#include <sys/types.h>

namespace test_support {

class WindowManager {
public:
    static constexpr const char* kProgram = "openbox";

    WindowManager() = default;
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;
    ~WindowManager() { Stop(); }

    // Starts it on the display, its configuration written to configFile; true once it has
    // announced itself and takes map requests (at most 5 s and a moment).
    bool Start(const char* display, const std::string& configFile);
    void Stop();

private:
    pid_t pid_ = -1;
};

// Waits (at most 5 s) until a window manager announces itself on the display's root window.
bool WaitForWindowManager(const char* display);

} // namespace test_support

#pragma once
// A private X server for the desktop tests: Xvfb on a fixed display number, and the desktop
// backend connected to it once it accepts connections.
#include "platform/x11/X11Backend.h"
#include "support/Poll.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

inline bool Have(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

class XvfbServer {
public:
    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer() { Stop(); }

    // Starts the server and returns a backend on it; null when it did not come up in 5 s.
    std::unique_ptr<user::DisplayBackend> Start(const char* display, const char* geometry,
                                                bool useInputMethod = true) {
        pid_ = fork();
        if (pid_ == 0) {
            execlp("Xvfb", "Xvfb", display, "-screen", "0", geometry, "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        std::unique_ptr<user::DisplayBackend> backend;
        test_support::PollUntil(
            [&] { return (backend = x11::OpenX11Backend(display, useInputMethod)) != nullptr; },
            [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); },
            std::chrono::seconds(5));
        return backend;
    }
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

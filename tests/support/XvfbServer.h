#pragma once
// A private X server for the desktop tests: Xvfb on a free display number, and the desktop
// backend connected to it once it accepts connections.
#include "platform/x11/X11Backend.h"
#include "support/Poll.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <poll.h>
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

    // Starts the server on a display number it finds free itself, so test runs side by side
    // never meet, and returns a backend on it; null when it did not come up in 5 s.
    std::unique_ptr<user::DisplayBackend> Start(const char* geometry, bool useInputMethod = true) {
        int fds[2];
        if (pipe(fds) != 0) return nullptr;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", geometry, "-nolisten",
                   "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        display_ = ReadDisplay(fds[0]);
        close(fds[0]);
        if (display_.empty()) return nullptr;
        std::unique_ptr<user::DisplayBackend> backend;
        test_support::PollUntil(
            [&] {
                return (backend = x11::OpenX11Backend(display_.c_str(), useInputMethod)) != nullptr;
            },
            [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); },
            std::chrono::seconds(5));
        return backend;
    }
    // The display the server runs on (":N"), empty before it started.
    const char* Display() const { return display_.c_str(); }
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

private:
    // The server writes its display number and a newline once it accepts connections.
    static std::string ReadDisplay(int fd) {
        std::string number;
        const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < bound) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char c = 0;
            if (read(fd, &c, 1) != 1) break;
            if (c == '\n') return number.empty() ? std::string() : ":" + number;
            number += c;
        }
        return {};
    }

    pid_t pid_ = -1;
    std::string display_;
};

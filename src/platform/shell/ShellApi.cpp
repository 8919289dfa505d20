#include "platform/shell/ShellApi.h"

#include "platform/user/OutsideCalls.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

extern char** environ;

namespace {

constexpr HINSTANCE kFileNotFound = 2;
constexpr HINSTANCE kNoAssociation = 31;
constexpr HINSTANCE kDone = 42;

// Starts the opener in a grandchild so nothing is left to reap and the caller never waits
// for the program that opens.
bool SpawnDetached(const std::string& target) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        setsid();
        const char* argv[] = {"xdg-open", target.c_str(), nullptr};
        pid_t grandchild = 0;
        const int r = posix_spawnp(&grandchild, "xdg-open", nullptr, nullptr,
                                   const_cast<char**>(argv), environ);
        _exit(r == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int show) {
    user::ShellRequest request;
    request.owner = owner;
    request.verb = verb ? verb : "";
    request.file = file ? file : "";
    request.parameters = parameters ? parameters : "";
    request.directory = directory ? directory : "";
    request.show = show;
    if (request.file.empty()) return kFileNotFound;
    if (std::optional<bool> answered = user::InterceptShell(request))
        return *answered ? kDone : kNoAssociation;
    if (!request.verb.empty() && request.verb != "open") return kNoAssociation;
    return SpawnDetached(request.file) ? kDone : kNoAssociation;
}

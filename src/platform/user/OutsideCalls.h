#pragma once
// Requests that leave the program for the desktop: message boxes, file and other common
// dialogs, and shell calls (opening a document or web address). The display backend may take
// them over: the headless backend records each one and answers from a script, so tests see
// exactly what a user would have been asked.
#include "platform/WinTypes.h"
#include <string>

#include <optional>
#include <vector>

namespace user {

struct MessageBoxRequest {
    HWND owner = 0;
    std::string text;
    std::string caption;
    UINT type = 0; // MB_ flags
};

struct ShellRequest {
    HWND owner = 0;
    std::string verb; // "open", or empty for the default
    std::string file; // document, program or address
    std::string parameters;
    std::string directory;
    int show = 1; // SW_ command
};

// A common dialog the framework shows ("open", "save", "colour", "font", "folder", ...).
struct DialogRequest {
    std::string kind;
    HWND owner = 0;
    std::string title;
    std::string fileName;
    std::string filter; // "Text|*.txt|All|*.*"
    int filterIndex = 1;
    std::string initialDir;
    std::string defaultExt;
    DWORD options = 0;
    DWORD color = 0;
};

struct DialogAnswer {
    bool accepted = false;
    std::string fileName;
    std::vector<std::string> files;
    int filterIndex = 1;
    DWORD color = 0;
};

// Asks the current backend. nullopt: the backend leaves the request to the caller, which
// then does it for real (opens the browser, shows its own dialog window).
std::optional<int> InterceptMessageBox(const MessageBoxRequest& request);
std::optional<bool> InterceptShell(const ShellRequest& request);
std::optional<DialogAnswer> InterceptDialog(const DialogRequest& request);

} // namespace user

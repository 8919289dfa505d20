#pragma once
// The desktop display on Xlib. Nothing outside this folder sees an X11 header.
#include "platform/user/Backend.h"

#include <memory>

namespace x11 {

// Connects to the display (nullptr: $DISPLAY). nullptr when there is none to connect to.
std::unique_ptr<user::DisplayBackend> OpenX11Backend(const char* displayName = nullptr);

}  // namespace x11

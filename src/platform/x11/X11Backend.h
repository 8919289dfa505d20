#pragma once
// The desktop display on Xlib. Nothing outside this folder sees an X11 header.
#include "platform/user/Backend.h"

#include <memory>

namespace x11 {

// Connects to the display (nullptr: $DISPLAY). nullptr when there is none to connect to.
// Text is typed through the desktop's input method, or Xlib's own; without useInputMethod (or
// when none opens) keys are looked up one by one, which types Latin-1 and the characters of
// Unicode key symbols, but nothing composed.
std::unique_ptr<user::DisplayBackend> OpenX11Backend(const char* displayName = nullptr,
                                                     bool useInputMethod = true);

} // namespace x11

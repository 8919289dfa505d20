#pragma once
// The one door through which a backend hands native events to the window layer, on the thread
// that runs the message loop (from inside DisplayBackend::Pump). Input is queued and routed to
// a window (capture, hit testing, focus) when the thread takes it from its queue; window
// changes the desktop made are applied at once.
#include "platform/WinTypes.h"
#include "platform/user/Backend.h"
#include <string>

namespace user::native {

enum class Button { Left, Right, Middle };

// topLevel: the program's top-level window the pointer is over (0: none of ours). Points are
// screen coordinates.
void PointerMoved(HWND topLevel, POINT screen);
void PointerButton(HWND topLevel, POINT screen, Button button, bool down);
// delta in WHEEL_DELTA units (120 a notch), positive away from the user / to the right.
void PointerWheel(HWND topLevel, POINT screen, int delta, bool horizontal);
void PointerLeft(HWND topLevel);

// A key went down or up; text is what it types (UTF-8, may be empty). Modifier keys come as
// keys of their own (VK_SHIFT, VK_CONTROL, VK_MENU).
void Key(int vk, bool down, const std::string& text, bool autoRepeat);
// Text that came without a key of its own (an input method's result).
void Text(const std::string& text);

// The desktop showed part of the window again: rect in window coordinates.
void Exposed(HWND topLevel, const RECT& rect);
// The desktop moved or resized the window to bounds (screen coordinates of the surface).
void Configured(HWND topLevel, const RECT& bounds);
void StateChanged(HWND topLevel, ShowState state);
void ActivationChanged(HWND topLevel, bool active);
// The close box of the desktop's frame: WM_SYSCOMMAND SC_CLOSE.
void CloseRequested(HWND topLevel);

} // namespace user::native

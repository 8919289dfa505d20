#pragma once
// Window timers on the kernel clock. A timer first ticks one interval after it was set and
// then every interval; ticks that fall due while the thread is busy come as one WM_TIMER.
// An interval of 0 never ticks.
#include "platform/WinTypes.h"

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// With a window the id is the caller's and the same id replaces the timer; without one a new
// id is made and returned. The callback, when given, runs instead of the window procedure
// (DispatchMessage of the WM_TIMER calls it with the clock's time). Returns 0 on failure.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

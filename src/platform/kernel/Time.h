#pragma once
// Millisecond time and sleeping, all on kernel::CurrentClock().
#include "platform/WinTypes.h"

// Milliseconds since the clock's start, wrapping every 49.7 days as a 32-bit count does.
DWORD timeGetTime();
DWORD GetTickCount();
std::uint64_t GetTickCount64();
void Sleep(DWORD milliseconds); // Sleep(INFINITE) never returns

constexpr DWORD TIMERR_NOERROR = 0;
// Timer resolution requests are accepted; the clock is always as fine as it gets.
UINT timeBeginPeriod(UINT period);
UINT timeEndPeriod(UINT period);

DWORD GetCurrentThreadId();

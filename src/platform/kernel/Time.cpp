#include "platform/kernel/Time.h"

#include "platform/kernel/Clock.h"
#include "platform/kernel/Events.h"

#include <sys/syscall.h>
#include <unistd.h>

DWORD timeGetTime() {
    return static_cast<DWORD>(kernel::CurrentClock().Now());
}

DWORD GetTickCount() {
    return static_cast<DWORD>(kernel::CurrentClock().Now());
}

std::uint64_t GetTickCount64() {
    return kernel::CurrentClock().Now();
}

void Sleep(DWORD milliseconds) {
    kernel::CurrentClock().Sleep(milliseconds == INFINITE ? kernel::kForever : milliseconds);
}

UINT timeBeginPeriod(UINT) {
    return TIMERR_NOERROR;
}

UINT timeEndPeriod(UINT) {
    return TIMERR_NOERROR;
}

DWORD GetCurrentThreadId() {
    thread_local const DWORD id = static_cast<DWORD>(::syscall(SYS_gettid));
    return id;
}

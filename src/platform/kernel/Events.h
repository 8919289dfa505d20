#pragma once
// Kernel event objects and waiting on them. Handles are slots of one table with generation
// counters, so a closed or made-up handle fails the call instead of touching freed memory.
#include "platform/WinTypes.h"

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_ABANDONED = 0x00000080;
constexpr DWORD WAIT_TIMEOUT = 0x00000102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

struct SECURITY_ATTRIBUTES; // accepted as a pointer and ignored
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// A manual-reset event stays signalled until ResetEvent and releases every waiter; an
// auto-reset event releases one waiter and resets itself. Names are ignored: every event is
// private to its creator. Returns 0 on failure.
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                    LPCSTR name);
HANDLE CreateEvent(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                   LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
// WAIT_OBJECT_0 when the event was signalled (an auto-reset event is reset by the wait),
// WAIT_TIMEOUT when the time ran out first, WAIT_FAILED for a handle that is not an event.
// A wait keeps its event alive: closing the handle meanwhile does not end the wait early.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);

// The last failure of a kernel call on this thread.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
DWORD GetLastError();
void SetLastError(DWORD error);

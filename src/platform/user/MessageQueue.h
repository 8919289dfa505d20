#pragma once
// The message queue of each thread. Posted messages wait in a first-in first-out queue with
// the input from the backend; when it is empty a thread gets WM_QUIT (after PostQuitMessage),
// then WM_PAINT for windows with something to paint, then WM_TIMER for timers that are due.
// A queue exists for every thread that asks for one; PostMessage from any thread wakes the
// owner of the window up.
#include "platform/WinTypes.h"
#include "platform/user/Messages.h"

// Sent messages call the window procedure directly; to a window of another thread the
// sender waits until that thread runs it in its next GetMessage, PeekMessage or WaitMessage.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Any thread may post. hwnd 0 posts to the calling thread's own queue. FALSE for a stale
// window.
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
// Sends to every top-level window of the calling thread.
constexpr HWND HWND_BROADCAST = 0xFFFF;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

// hwnd 0 takes messages for any window of the thread (and thread messages); a window limits it
// to that window and its descendants. first..last filter by number (both 0: everything).
// Returns TRUE when msg was filled.
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT first, UINT last, UINT remove);
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT first, UINT last, UINT remove);
// Waits for a message; returns 0 for WM_QUIT, -1 for a stale hwnd filter, else non-zero.
BOOL GetMessage(MSG* msg, HWND hwnd, UINT first, UINT last);
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT first, UINT last);
// Waits until there is something in the queue (a message, a paint, a due timer).
BOOL WaitMessage();
// Posts WM_CHAR (WM_SYSCHAR with Alt) for the text a key-down produced. TRUE when it did.
BOOL TranslateMessage(const MSG* msg);
// Calls the window procedure (or a timer's callback) and returns its result.
LRESULT DispatchMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
// WM_QUIT with the exit code comes once the queue has no posted message left.
void PostQuitMessage(int exitCode);

// Time and pointer position of the message the thread took last.
LONG GetMessageTime();
DWORD GetMessagePos();

// QS_ flags of what waits in the calling thread's queue (high word: all of it).
constexpr UINT QS_KEY = 0x0001;
constexpr UINT QS_MOUSEMOVE = 0x0002;
constexpr UINT QS_MOUSEBUTTON = 0x0004;
constexpr UINT QS_POSTMESSAGE = 0x0008;
constexpr UINT QS_TIMER = 0x0010;
constexpr UINT QS_PAINT = 0x0020;
constexpr UINT QS_SENDMESSAGE = 0x0040;
constexpr UINT QS_MOUSE = QS_MOUSEMOVE | QS_MOUSEBUTTON;
constexpr UINT QS_INPUT = QS_MOUSE | QS_KEY;
constexpr UINT QS_ALLINPUT = QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_SENDMESSAGE;
DWORD GetQueueStatus(UINT flags);
BOOL InSendMessage();

// Registered message numbers from 0xC000, the same number for the same name.
UINT RegisterWindowMessage(LPCSTR name);

#pragma once
// Opening a document or web address in the desktop's default program.
#include "platform/WinTypes.h"

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;

// Returns at once. Above 32 on success; 2 (file not found) for an empty target, 31 (no
// association) when the desktop's opener cannot be started.
HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int show);

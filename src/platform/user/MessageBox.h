#pragma once
// The system's message box. It runs modally: the owner's windows take no input until it is
// answered. The headless backend records it and answers from its script.
#include "platform/WinTypes.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_DEFMASK = 0x00000F00;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;
constexpr UINT MB_TOPMOST = 0x00040000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Returns the button chosen (IDOK ...); 0 when no box could be shown. Closing the box
// without a button gives IDCANCEL where there is a Cancel button, else the only or
// default button. text and caption are UTF-8; caption nullptr: "Error".
int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// The buttons a box of the given type shows, left to right (IDOK ...), and the one a
// plain Enter presses.
int MessageBoxButtons(UINT type, int* buttons); // fills up to 3, returns the count
int MessageBoxDefaultButton(UINT type);

namespace user {
struct MessageBoxRequest;
// The program's own box for the requests the backend leaves to the program (the framework
// sets its box form here). It returns the button chosen, 0 when it shows none.
using MessageBoxPresenter = int (*)(const MessageBoxRequest& request);
void SetMessageBoxPresenter(MessageBoxPresenter presenter);
} // namespace user

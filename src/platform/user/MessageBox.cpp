// Message boxes go through the backend; the window layer has no box of its own to show, so
// what the backend leaves goes to the presenter the program set (the framework's box form).
#include "platform/user/MessageBox.h"

#include "platform/user/Input.h"
#include "platform/user/OutsideCalls.h"

namespace {

user::MessageBoxPresenter g_presenter = nullptr;

// Closing without a button: Cancel where there is one, else the only or default button.
int closeAnswer(UINT type) {
    int buttons[3];
    int n = MessageBoxButtons(type, buttons);
    for (int i = 0; i < n; ++i)
        if (buttons[i] == IDCANCEL) return IDCANCEL;
    return MessageBoxDefaultButton(type);
}

} // namespace

int MessageBoxButtons(UINT type, int* buttons) {
    int local[3];
    int* b = buttons ? buttons : local;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        b[0] = IDOK, b[1] = IDCANCEL;
        return 2;
    case MB_ABORTRETRYIGNORE:
        b[0] = IDABORT, b[1] = IDRETRY, b[2] = IDIGNORE;
        return 3;
    case MB_YESNOCANCEL:
        b[0] = IDYES, b[1] = IDNO, b[2] = IDCANCEL;
        return 3;
    case MB_YESNO:
        b[0] = IDYES, b[1] = IDNO;
        return 2;
    case MB_RETRYCANCEL:
        b[0] = IDRETRY, b[1] = IDCANCEL;
        return 2;
    default:
        b[0] = IDOK;
        return 1;
    }
}

int MessageBoxDefaultButton(UINT type) {
    int buttons[3];
    int n = MessageBoxButtons(type, buttons);
    int index = static_cast<int>((type & MB_DEFMASK) >> 8);
    if (index >= n) index = 0;
    return buttons[index];
}

int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    user::MessageBoxRequest request;
    request.owner = owner;
    request.text = text ? text : "";
    request.caption = caption ? caption : "Error";
    request.type = type;
    std::optional<int> answer = user::InterceptMessageBox(request);
    if (!answer) {
        if (!g_presenter) return 0;
        answer = g_presenter(request);
        if (*answer == 0) return 0;
    }
    int buttons[3];
    int n = MessageBoxButtons(type, buttons);
    // An answer that is not one of the box's buttons counts as closing the box.
    for (int i = 0; i < n; ++i)
        if (buttons[i] == *answer) return *answer;
    return closeAnswer(type);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    return MessageBox(owner, text, caption, type);
}

void user::SetMessageBoxPresenter(MessageBoxPresenter presenter) {
    g_presenter = presenter;
}

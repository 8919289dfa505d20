#pragma once
// Message boxes: ShowMessage and MessageDlg on top of the platform's MessageBox, and the
// framework's own modal box form that MessageBox shows when the display backend leaves the
// box to the program. The box has an icon, the text, and its buttons; Enter presses the
// default button, Esc the Cancel one (or the only one).
#include "framework/Forms.h"
#include "platform/user/MessageBox.h"
#include "platform/user/OutsideCalls.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// A plain box with the text and an OK button, captioned with the application's title.
void ShowMessage(const String& Msg);
// A box of the type's icon and caption with the given buttons; returns the modal result of
// the button chosen (mrYes ...). The button sets are those of the message box: OK;
// OK, Cancel; Yes, No; Yes, No, Cancel; Abort, Retry, Ignore; Retry, Cancel (Help is
// ignored). Any other set raises EInvalidOperation.
int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);

// The caption of each button of a message box ("OK", "Cancel", "&Yes", ...).
String MessageBoxButtonCaption(int button);

// The box form for one request; returns the button chosen, 0 when no box can be shown (no
// application runs its message loop). MessageBox calls it through the presenter that
// InstallMessageBoxForm sets.
int ShowMessageBoxForm(const user::MessageBoxRequest& request);
void InstallMessageBoxForm();

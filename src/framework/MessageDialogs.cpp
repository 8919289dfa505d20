#include "framework/MessageDialogs.h"

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/DialogControls.h"
#include "platform/user/User.h"
#include "rtl/Files.h"

#include <algorithm>

namespace {

constexpr int kMargin = 14;
constexpr int kIconSize = 32;
constexpr int kButtonW = 75, kButtonH = 25, kButtonGap = 8;
constexpr int kMaxTextWidth = 420;

// The box's icon, drawn from shapes: a red disc with a cross for errors, a blue disc with
// "?" or "i" for questions and information, a yellow triangle with "!" for warnings.
class TMessageIcon : public TGraphicControl {
    KORVID_CLASS(TMessageIcon, TGraphicControl)
    UINT icon = 0;

protected:
    void Paint() override {
        TCanvas* c = Canvas();
        c->Pen()->SetWidth(1);
        TFont* f = c->Font();
        f->SetName("DejaVu Sans");
        f->SetHeight(-20);
        f->SetStyle(TFontStyles{fsBold});
        auto symbol = [&](const char* s, TColor colour, int dy) {
            c->Brush()->SetStyle(bsClear);
            f->SetColor(colour);
            TSize size = c->TextExtent(s);
            c->TextOut((kIconSize - size.cx) / 2, (kIconSize - size.cy) / 2 + dy, s);
        };
        switch (icon) {
        case MB_ICONHAND:
            c->Brush()->SetColor(TColor(0x2020D0));
            c->Pen()->SetColor(TColor(0x101090));
            c->Ellipse(0, 0, kIconSize, kIconSize);
            c->Pen()->SetColor(clWhite);
            c->Pen()->SetWidth(3);
            c->MoveTo(10, 10);
            c->LineTo(22, 22);
            c->MoveTo(22, 10);
            c->LineTo(10, 22);
            break;
        case MB_ICONQUESTION:
        case MB_ICONASTERISK:
            c->Brush()->SetColor(TColor(0xC07020));
            c->Pen()->SetColor(TColor(0x804010));
            c->Ellipse(0, 0, kIconSize, kIconSize);
            symbol(icon == MB_ICONQUESTION ? "?" : "i", clWhite, 0);
            break;
        case MB_ICONEXCLAMATION:
            c->Brush()->SetColor(TColor(0x30C8F0));
            c->Pen()->SetColor(TColor(0x1080A0));
            c->Polygon({Point(16, 1), Point(31, 29), Point(1, 29)});
            symbol("!", clBlack, 3);
            break;
        default:
            break;
        }
    }
};

int CloseAnswer(UINT type) {
    int buttons[3];
    int n = MessageBoxButtons(type, buttons);
    for (int i = 0; i < n; ++i)
        if (buttons[i] == IDCANCEL) return IDCANCEL;
    return MessageBoxDefaultButton(type);
}

HWND ActiveOwner() {
    TCustomForm* form = Screen ? Screen->ActiveForm() : nullptr;
    if (!form && Application) form = Application->MainForm();
    return form && form->HandleAllocated() ? form->Handle() : 0;
}

} // namespace

String MessageBoxButtonCaption(int button) {
    switch (button) {
    case IDOK:
        return "OK";
    case IDCANCEL:
        return "Cancel";
    case IDABORT:
        return "Abort";
    case IDRETRY:
        return "Retry";
    case IDIGNORE:
        return "Ignore";
    case IDYES:
        return "Yes";
    case IDNO:
        return "No";
    default:
        return String();
    }
}

int ShowMessageBoxForm(const user::MessageBoxRequest& request) {
    if (!Application || Application->Terminated() || !DisplayCanShowDialogs()) return 0;
    ObjectPtr<TForm> form(CreateComponent<TForm>(nullptr));
    form->SetBorderStyle(bsDialog);
    form->SetCaption(request.caption);

    int buttons[3];
    int count = MessageBoxButtons(request.type, buttons);
    int defaultButton = MessageBoxDefaultButton(request.type);
    bool hasCancel = std::find(buttons, buttons + count, IDCANCEL) != buttons + count;
    // Without a Cancel button only a lone button may answer Esc or the close box.
    if (!hasCancel && count > 1) form->SetBorderIcons(TBorderIcons{});

    UINT iconKind = request.type & MB_ICONMASK;
    bool hasIcon = iconKind == MB_ICONHAND || iconKind == MB_ICONQUESTION ||
                   iconKind == MB_ICONEXCLAMATION || iconKind == MB_ICONASTERISK;
    int textLeft = kMargin;
    if (hasIcon) {
        auto* icon = CreateComponent<TMessageIcon>(form.get());
        icon->icon = iconKind;
        icon->SetParent(form.get());
        icon->SetBounds(kMargin, kMargin, kIconSize, kIconSize);
        textLeft += kIconSize + kMargin;
    }

    auto* text = CreateComponent<TDialogLabel>(form.get());
    text->SetWordWrap(true);
    text->SetCaption(request.text);
    // Measure the text with the form's font to size the box around it.
    ObjectPtr<TBitmap> measure = MakeObject<TBitmap>();
    measure->SetWidth(1);
    measure->SetHeight(1);
    measure->Canvas()->Font()->Assign(form->Font());
    std::vector<String> lines = text->LinesFor(measure->Canvas(), kMaxTextWidth);
    int textW = 0;
    for (const String& line : lines)
        textW = std::max(textW, measure->Canvas()->TextWidth(line));
    int lineH = measure->Canvas()->TextHeight("Ag");
    int textH = std::max<int>(1, static_cast<int>(lines.size())) * lineH;
    int bodyH = std::max(hasIcon ? kIconSize : 0, textH);
    text->SetParent(form.get());
    text->SetBounds(textLeft, kMargin + std::max(0, (bodyH - textH) / 2), textW + 2, textH);

    int buttonsW = count * kButtonW + (count - 1) * kButtonGap;
    int clientW = std::max({textLeft + textW + kMargin, buttonsW + 2 * kMargin, 220});
    int clientH = kMargin + bodyH + kMargin + kButtonH + kMargin;
    form->SetClientWidth(clientW);
    form->SetClientHeight(clientH);

    int x = (clientW - buttonsW) / 2;
    TDialogButton* focus = nullptr;
    for (int i = 0; i < count; ++i) {
        auto* b = CreateComponent<TDialogButton>(form.get());
        b->SetParent(form.get());
        b->SetCaption(MessageBoxButtonCaption(buttons[i]));
        b->SetBounds(x, kMargin + bodyH + kMargin, kButtonW, kButtonH);
        b->SetModalResult(buttons[i]);
        b->SetDefault(buttons[i] == defaultButton);
        b->SetCancel(buttons[i] == IDCANCEL || (!hasCancel && count == 1));
        if (buttons[i] == defaultButton) focus = b;
        x += kButtonW + kButtonGap;
    }
    if (focus) form->SetActiveControl(focus);
    PlaceDialogForm(form.get());

    int result = form->ShowModal();
    if (std::find(buttons, buttons + count, result) == buttons + count)
        result = CloseAnswer(request.type);
    return result;
}

void InstallMessageBoxForm() {
    user::SetMessageBoxPresenter(&ShowMessageBoxForm);
}

void ShowMessage(const String& Msg) {
    String caption = Application && !Application->Title().empty()
                         ? Application->Title()
                         : ExtractFileName(ProgramFileName());
    MessageBox(ActiveOwner(), Msg.c_str(), caption.c_str(), MB_OK);
}

int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
    (void)HelpCtx;
    Buttons.Exclude(mbHelp);
    struct Set {
        TMsgDlgButtons buttons;
        UINT type;
    };
    const Set sets[] = {
        {TMsgDlgButtons{mbOK}, MB_OK},
        {TMsgDlgButtons{mbOK, mbCancel}, MB_OKCANCEL},
        {TMsgDlgButtons{mbYes, mbNo}, MB_YESNO},
        {TMsgDlgButtons{mbYes, mbNo, mbCancel}, MB_YESNOCANCEL},
        {TMsgDlgButtons{mbAbort, mbRetry, mbIgnore}, MB_ABORTRETRYIGNORE},
        {TMsgDlgButtons{mbRetry, mbCancel}, MB_RETRYCANCEL},
    };
    const Set* match = nullptr;
    for (const Set& s : sets)
        if (s.buttons == Buttons) match = &s;
    if (!match) throw EInvalidOperation("Unsupported message dialog buttons");
    UINT type = match->type;
    const char* caption = "";
    String custom;
    switch (DlgType) {
    case mtWarning:
        caption = "Warning";
        type |= MB_ICONWARNING;
        break;
    case mtError:
        caption = "Error";
        type |= MB_ICONERROR;
        break;
    case mtInformation:
        caption = "Information";
        type |= MB_ICONINFORMATION;
        break;
    case mtConfirmation:
        caption = "Confirm";
        type |= MB_ICONQUESTION;
        break;
    case mtCustom:
        custom = Application && !Application->Title().empty() ? Application->Title()
                                                              : ExtractFileName(ProgramFileName());
        caption = custom.c_str();
        break;
    }
    // The box's answers are the modal results of the same name (IDYES is mrYes ...).
    return MessageBox(ActiveOwner(), Msg.c_str(), caption, type);
}

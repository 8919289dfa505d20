#include "skin/SKForm.h"

#include "framework/Application.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"
#include "skin/SKMainMenu.h"

#include <utility>

namespace {

// The client window of the program's MDI parent, 0 when the main form is none.
HWND MainMDIClient() {
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    return main && main->FormStyle() == fsMDIForm ? main->ClientHandle() : 0;
}

// Maximised, an MDI child's caption makes way for the frame's menu bar, which shows the
// child's buttons; the aligned controls take the title bar's room by themselves. Scrolled
// says whether the frame has been told.
void HandleMDIChildSize(TskForm* skin, bool& scrolled) {
    const HWND client = MainMDIClient();
    TCustomForm* form = skin->Form();
    if (form->WindowState() == wsMaximized) {
        skin->SetTitleBarVisible(false);
        if (!scrolled) {
            scrolled = true;
            if (client) SendMessage(client, WM_MDIMAXIMIZE, WPARAM(form->Handle()), 0);
        }
    } else {
        skin->SetTitleBarVisible(true);
        if (scrolled) {
            scrolled = false;
            if (skin->TitleBar()) skin->TitleBar()->UpdateMaxButtonGlyph();
            if (client) SendMessage(client, WM_MDIRESTORE, 0, 0);
        }
    }
}

} // namespace

void TskForm::DeclareProperties(Published<TskForm>& p) {
    p.Ordinal("UIStyle", &TskForm::UIStyle, &TskForm::SetUIStyle)
        .Object("FileTheme", &TskForm::FileTheme, &TskForm::SetFileTheme)
        .Object("Menu", &TskForm::Menu, &TskForm::SetMenu)
        .Ordinal("BorderColor", &TskForm::BorderColor, &TskForm::SetBorderColor)
        .Ordinal("BorderWidth", &TskForm::BorderWidth, &TskForm::SetBorderWidth)
        .Object("FormPanel", &TskForm::FormPanel, &TskForm::SetFormPanel)
        .Ordinal("MenuBarColor", &TskForm::MenuBarColor, &TskForm::SetMenuBarColor)
        .Ordinal("MenuBarHeight", &TskForm::MenuBarHeight, &TskForm::SetMenuBarHeight)
        .Ordinal("UIStyleAutoUpdateSub", &TskForm::UIStyleAutoUpdateSub,
                 &TskForm::SetUIStyleAutoUpdateSub)
        .Text("Caption", &TskForm::Caption, &TskForm::SetCaption)
        .Ordinal("TitleBarVisible", &TskForm::TitleBarVisible, &TskForm::SetTitleBarVisible)
        .Ordinal("TitleBarCustom", &TskForm::TitleBarCustom, &TskForm::SetTitleBarCustom)
        .Ordinal("TitleBarDrawAppIcon", &TskForm::TitleBarDrawAppIcon,
                 &TskForm::SetTitleBarDrawAppIcon)
        .Ordinal("RoundCorner", &TskForm::RoundCorner, &TskForm::SetRoundCorner)
        .Text("Version", &TskForm::Version, &TskForm::SetVersion)
        .Object("TitleBarButtons", &TskForm::TitleBarButtons, &TskForm::SetTitleBarButtons)
        .Object("TitleBarSections", &TskForm::TitleBarSections, &TskForm::SetTitleBarSections)
        .Event("OnTitleBarCustomBtnsClick", &TskForm::OnTitleBarCustomBtnsClick,
               &TskForm::SetOnTitleBarCustomBtnsClick)
        .Event("OnTitleBarHelpBtnClick", &TskForm::OnTitleBarHelpBtnClick,
               &TskForm::SetOnTitleBarHelpBtnClick)
        .Object("Font", &TskForm::TitleFont, &TskForm::SetTitleFont)
        .Ordinal("Color", &TskForm::Color, &TskForm::SetColor)
        .Object("PopupMenu", &TskForm::PopupMenu, &TskForm::SetPopupMenu)
        .Event("OnClick", &TskForm::OnClick)
        .Event("OnMouseDown", &TskForm::OnMouseDown)
        .Event("OnMouseMove", &TskForm::OnMouseMove)
        .Event("OnMouseUp", &TskForm::OnMouseUp);
}

TskForm* TskForm::SkinOf(TCustomForm* Form) {
    if (!Form) return nullptr;
    for (int i = 0; i < Form->ControlCount(); ++i)
        if (auto* skin = dynamic_cast<TskForm*>(Form->Controls(i)))
            return skin->unhooked_ ? nullptr : skin;
    return nullptr;
}

void TskForm::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    auto* form = dynamic_cast<TForm*>(AOwner);
    if (!form) return; // a plain panel
    for (int i = 0; i < form->ControlCount(); ++i)
        if (dynamic_cast<TskForm*>(form->Controls(i)))
            throw Exception("Sorry, You can create only one TskForm component in one form!");
    form_ = form;
    unhooked_ = false;
    form->Constraints()->SetMinHeight(50);
    form->Constraints()->SetMinWidth(125);
    Constraints()->SetMinHeight(50);
    Constraints()->SetMinWidth(125);
    form->SetBorderWidth(0);
    normalBounds_ =
        Rect(form->Left(), form->Top(), form->Left() + form->Width(), form->Top() + form->Height());
    startedMaximized_ = form->WindowState() == wsMaximized;
    SetParent(form);

    titleBar_ = CreateComponent<TskTitleBar>(this);
    titleBar_->SetParent(this);
    menuBarColor_ = Color();
    menuBarHeight_ = 22;
    SetUIStyle(DeepBlue);
    autoUpdateSub_ = false;

    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    SetBorderStyle(bsNone);
    SetAlign(alClient);
    SetCaption(form->Caption());
    titleBarVisible_ = true;
    TControl::SetText(" ");

    form->SetScaled(false);
    if (form->BorderStyle() == bsNone || form->BorderStyle() == bsSingle ||
        form->BorderStyle() == bsToolWindow)
        form->SetBorderStyle(bsDialog);
    form->SetAutoScroll(false);
    StripCaption();

    hook_ = std::make_unique<TskFormHook>(
        form, [this](TMessage& m) { NewParentWndProc(m); },
        [this](MSG& m, bool& handled) { AppOnMessage(m, handled); });
}

bool TskForm::HookedApplicationMessages() const {
    return hook_ && hook_->HandlesApplicationMessages();
}

void TskForm::Unhook() {
    unhooked_ = true;
    hook_.reset();
}

void TskForm::Destroy() {
    if (auto* m = dynamic_cast<TskMainMenu*>(menu_)) m->SetSkinForm(nullptr);
    Unhook();
    if (menuBar_) {
        TToolBar* bar = menuBar_;
        menuBar_ = nullptr;
        bar->Free();
    }
    if (titleBar_) {
        TskTitleBar* bar = titleBar_;
        titleBar_ = nullptr;
        bar->Free();
    }
    inherited::Destroy();
}

void TskForm::StripCaption() {
    if (!form_ || !form_->HandleAllocated()) return;
    // The frame took room from the client area although the window kept its size.
    if (StripSkinCaption(form_->Handle())) form_->Realign();
}

// --- the hook ------------------------------------------------------------------------------

void TskForm::NewParentWndProc(TMessage& Message) {
    if (unhooked_ || !hook_) return;
    if (Message.Msg != WM_NCPAINT) hook_->CallSaved(Message);
    switch (Message.Msg) {
    case WM_KEYDOWN:
        Message.Result = HandleMenuShortCut(Message);
        break;
    case WM_SHOWWINDOW:
        // The menu is only ever shown in the skin's menu bar.
        if (form_->Menu()) form_->SetMenu(nullptr);
        break;
    case WM_ACTIVATE:
        if (titleBar_) titleBar_->SetFormActive(LOWORD(Message.WParam) != WA_INACTIVE);
        break;
    case WM_MDIACTIVATE: {
        const bool now = static_cast<HWND>(Message.LParam) == form_->Handle();
        if (now)
            if (const HWND client = MainMDIClient()) SendMessage(client, WM_MDIREFRESHMENU, 0, 0);
        if (titleBar_) titleBar_->SetFormActive(now);
        break;
    }
    case WM_DESTROY:
        if (form_->FormStyle() == fsMDIChild && Application) {
            const HWND client = MainMDIClient();
            if (!client) break;
            if (Application->MainForm()->MDIChildCount() == 1)
                SendMessage(client, WM_MDIREFRESHMENU, 0, 0);
            if (form_->WindowState() == wsMaximized)
                SendMessage(client, WM_MDIRESTORE, WPARAM(form_->Handle()), 0);
        }
        break;
    case WM_NCPAINT:
        if (form_->WindowState() == wsMinimized) {
            hook_->CallSaved(Message);
        } else {
            PaintFormBorder();
        }
        break;
    case WM_CREATE:
    case WM_STYLECHANGED:
    case CM_RECREATEWND:
    case CM_FLOAT:
    case CN_PARENTNOTIFY:
        // Whatever gave the caption back (a new window, a changed border style), it goes.
        StripCaption();
        break;
    case WM_SIZE:
        HandleSize();
        break;
    default:
        break;
    }
}

void TskForm::HandleSize() {
    if (handlingSize_ || unhooked_) return;
    // Placing the form below sends WM_SIZE again; that one only repaints.
    handlingSize_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{handlingSize_};
    const bool maximized = form_->WindowState() == wsMaximized;
    if (startedMaximized_) {
        if (!maximized) {
            SetControlBounds(form_, normalBounds_);
            startedMaximized_ = false;
        } else if (maximizeCounter_ >= 2) {
            form_->SetWindowState(wsMaximized);
        } else {
            ++maximizeCounter_;
        }
        mdiScrolled_ = true;
    }
    if (form_->WindowState() == wsMaximized && form_->FormStyle() != fsMDIChild) {
        TRect area;
        GetWorkAreaRect(area);
        area.bottom -= 1;
        SetControlBounds(form_, area);
    }
    form_->Realign();
    PaintFormBorder();
    if (titleBar_) titleBar_->UpdateMaxButtonGlyph();
    if (form_->FormStyle() == fsMDIChild) HandleMDIChildSize(this, mdiScrolled_);
    UpdateRegion();
}

LRESULT TskForm::HandleMenuShortCut(TMessage& Message) {
    if (unhooked_ || !form_ || !menu_) return 0;
    if (!FormHasFocus(form_) || !form_->Active()) return 0;
    TMessage copy = Message;
    return menu_->IsShortCut(copy) ? 1 : 0;
}

void TskForm::AppOnMessage(MSG& Msg, bool& Handled) {
    if (Msg.message != WM_SYSCHAR && Msg.message != WM_KEYDOWN && Msg.message != WM_SYSKEYDOWN)
        return;
    if (unhooked_) return;
    // Only a message for this skin's form (the one with the focus), never another's.
    TWinControl* target = TWinControl::FindControl(Msg.hwnd);
    TCustomForm* form = target ? GetParentForm(target) : nullptr;
    if (!form && Screen) form = Screen->ActiveForm();
    if (form != form_) return;
    if (Msg.message == WM_SYSCHAR) {
        if (Msg.wParam != ' ' || !titleBar_ || !titleBar_->SystemMenu()) return;
        Handled = true;
        titleBar_->SystemMenu()->Popup(form_->Left(), form_->Top() + GetTitleBarHeight());
        return;
    }
    TMessage m;
    m.Msg = Msg.message;
    m.WParam = Msg.wParam;
    m.LParam = Msg.lParam;
    Handled = HandleMenuShortCut(m) != 0;
}

// --- properties ----------------------------------------------------------------------------

void TskForm::SetUIStyle(TskUIStyle Value) {
    uiStyle_ = Value;
    if (!form_) return;
    // The style's sizes may move the form on the way; an MDI child gets its place back.
    const TRect bounds = form_->BoundsRect();
    TskUIStyle S = Value;
    const bool fromFile = UsingFileTheme(fileTheme_, uiStyle_, S);
    borderColor_ = SkinColor(fileTheme_, uiStyle_, tiFormBorderColor);
    borderWidth_ = SkinInt(fileTheme_, uiStyle_, tiFormBorderWidthInt);
    SetColor(SkinColor(fileTheme_, uiStyle_, tiFormBackgroundColor));
    if (fromFile && menuBar_) {
        const TColor font = SkinColor(fileTheme_, uiStyle_, tiControlFontColor);
        SetMenuBarColor(font == 0x00020000   ? TColor(0x00AC5B3B)
                        : font == 0x00030000 ? TColor(0x00996733)
                                             : Color());
    } else {
        SetMenuBarColor(Color());
    }
    if (titleBar_) {
        titleBar_->SetFileTheme(fileTheme_);
        titleBar_->SetUIStyle(uiStyle_);
        titleBar_->SetRoundCorner(SkinInt(fileTheme_, uiStyle_, tiFormRoundCornerInt));
    }
    if (auto* m = dynamic_cast<TskMainMenu*>(menu_)) {
        m->SetUIStyle(uiStyle_);
        m->SetFileTheme(fileTheme_);
    }
    if (autoUpdateSub_) ContainerApplyUIStyle(this, uiStyle_, fileTheme_);
    if (form_->FormStyle() == fsMDIChild) SetControlBounds(form_, bounds);
    Invalidate();
    PaintFormBorder();
    UpdateRegion();
}

void TskForm::SetFileTheme(TskFileTheme* Value) {
    // The same theme again re-applies the style too: that is how a newly loaded skin file
    // reaches the form, its title bar and its menu.
    LinkFileTheme(this, fileTheme_, Value);
    SetUIStyle(uiStyle_);
}

void TskForm::SetBorderColor(TColor Value) {
    borderColor_ = Value;
    PaintFormBorder();
}

void TskForm::SetBorderWidth(int Value) {
    borderWidth_ = Value;
    PaintFormBorder();
}

void TskForm::SetFormPanel(TCustomPanel* Value) {
    if (Value == this) {
        ShowSkinError("Sorry, you can't select the Form assign to FormPanel property");
        return;
    }
    if (formPanel_) formPanel_->RemoveFreeNotification(this);
    formPanel_ = Value;
    if (!Value) return;
    Value->FreeNotification(this);
    Value->SetAlign(alClient);
    if (auto* plain = dynamic_cast<TPanel*>(Value)) {
        plain->SetBevelInner(bvNone);
        plain->SetBevelOuter(bvNone);
        plain->SetBorderStyle(bsNone);
        plain->SetCaption("");
    } else if (Value->ClassName() == "TskImagePanel") {
        Value->SetCaption("");
    }
}

String TskForm::Caption() const {
    return titleBar_ ? titleBar_->Caption() : String();
}

void TskForm::SetCaption(const String& Value) {
    if (!titleBar_ || !form_) return;
    titleBar_->SetCaption(Value);
    form_->SetCaption(Value);
}

void TskForm::SetTitleBarVisible(bool Value) {
    if (!titleBar_ || !AssignIfChanged(titleBarVisible_, Value)) return;
    titleBar_->SetVisible(Value);
    titleBar_->SetTop(0);
    PaintFormBorder();
    UpdateRegion();
}

bool TskForm::TitleBarCustom() const {
    return titleBar_ && titleBar_->Custom();
}
void TskForm::SetTitleBarCustom(bool Value) {
    if (titleBar_) titleBar_->SetCustom(Value);
}
bool TskForm::TitleBarDrawAppIcon() const {
    return titleBar_ && titleBar_->DrawAppIcon();
}
void TskForm::SetTitleBarDrawAppIcon(bool Value) {
    if (titleBar_) titleBar_->SetDrawAppIcon(Value);
}
TskTitleBarButtons* TskForm::TitleBarButtons() const {
    return titleBar_ ? titleBar_->Buttons() : nullptr;
}
void TskForm::SetTitleBarButtons(TskTitleBarButtons* Value) {
    if (titleBar_) titleBar_->SetButtons(Value);
}
TskTitleBarSections* TskForm::TitleBarSections() const {
    return titleBar_ ? titleBar_->Sections() : nullptr;
}
void TskForm::SetTitleBarSections(TskTitleBarSections* Value) {
    if (titleBar_) titleBar_->SetSections(Value);
}
int TskForm::RoundCorner() const {
    return titleBar_ ? titleBar_->RoundCorner() : 0;
}

void TskForm::SetRoundCorner(int Value) {
    if (!titleBar_) return;
    titleBar_->SetRoundCorner(Value);
    UpdateRegion();
}

TskTitleBarButtonClickEvent TskForm::OnTitleBarCustomBtnsClick() const {
    return titleBar_ ? titleBar_->OnCustomBtnsClick : nullptr;
}
TskTitleBarButtonClickEvent TskForm::OnTitleBarHelpBtnClick() const {
    return titleBar_ ? titleBar_->OnHelpBtnClick : nullptr;
}
TFont* TskForm::TitleFont() const {
    return titleBar_ ? titleBar_->Font() : const_cast<TskForm*>(this)->Font();
}
void TskForm::SetTitleFont(TFont* Value) {
    if (titleBar_) titleBar_->SetFont(Value);
}

void TskForm::SetOnTitleBarCustomBtnsClick(TskTitleBarButtonClickEvent Value) {
    if (titleBar_) titleBar_->OnCustomBtnsClick = std::move(Value);
}
void TskForm::SetOnTitleBarHelpBtnClick(TskTitleBarButtonClickEvent Value) {
    if (titleBar_) titleBar_->OnHelpBtnClick = std::move(Value);
}

int TskForm::GetTitleBarHeight() const {
    return titleBar_ && titleBar_->Visible() ? titleBar_->Height() : 0;
}

void TskForm::Resize() {
    inherited::Resize();
    if (titleBar_) titleBar_->SetAlign(alTop);
}

void TskForm::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    if (AComponent == formPanel_) formPanel_ = nullptr;
    if (AComponent == menu_) {
        menu_ = nullptr;
        RemoveMenuBar();
    }
    if (AComponent == titleBar_) titleBar_ = nullptr;
    if (AComponent == menuBar_) menuBar_ = nullptr;
    if (AComponent == fileTheme_) {
        fileTheme_ = nullptr;
        ContainerApplyUIStyle(this, DeepBlue, nullptr);
        SetUIStyle(DeepBlue);
    }
}

void TskForm::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_ERASEBKGND) {
        Message.Result = 1; // Paint covers everything
        return;
    }
    inherited::Dispatch(Message);
}

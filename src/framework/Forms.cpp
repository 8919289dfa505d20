#include "framework/Forms.h"

#include "framework/Application.h"
#include "framework/MDIClient.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>

TScreen* Screen = nullptr;

TCustomForm* GetParentForm(TControl* control) {
    return control ? dynamic_cast<TCustomForm*>(control->TopLevelParent()) : nullptr;
}

void TCustomForm::Create(TComponent* AOwner) {
    formState_.Include(fsCreating);
    if (Application) Application->FormCreating(this);
    inherited::Create(AOwner);
    visible_ = false;
    SetBoundsFields(0, 0, 320, 240);
    if (Screen) Screen->AddForm(this);
}

void TCustomForm::AfterConstruction() {
    inherited::AfterConstruction();
    formState_.Exclude(fsCreating);
    if (OnCreate) OnCreate(this);
}

void TCustomForm::Destroy() {
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            // The form is being destroyed: its destruction must run to the end.
            HandleControlException(this);
        }
    }
    if (Screen) Screen->RemoveForm(this);
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
    inherited::Destroy();
}

void TCustomForm::CreateWindowHandle(const TCreateParams& Params) {
    inherited::CreateWindowHandle(Params);
    if (Application) Application->ApplyIcon(this);
}

void TCustomForm::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    Params.Style &= ~(WS_CHILD | WS_VISIBLE | WS_POPUP | WS_CLIPSIBLINGS);
    Params.WndParent = 0;
    switch (borderStyle_) {
    case bsNone:
        Params.Style |= WS_POPUP;
        break;
    case bsSingle:
    case bsToolWindow:
        Params.Style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        Params.Style |= WS_POPUP | WS_CAPTION;
        Params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin)
        Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (borderStyle_ != bsNone) {
        if (borderIcons_.Contains(biSystemMenu)) Params.Style |= WS_SYSMENU;
        if (borderStyle_ != bsDialog && borderStyle_ != bsToolWindow &&
            borderStyle_ != bsSizeToolWin) {
            if (borderIcons_.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
            if (borderIcons_.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
        }
    }
    if (formStyle_ == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
    if (formStyle_ == fsMDIChild) {
        Params.Style = (Params.Style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS;
        Params.ExStyle |= WS_EX_MDICHILD;
        Params.WndParent = MDIParentClient();
    }
}

void TCustomForm::UpdateStyles() {
    if (!HandleAllocated()) return;
    TCreateParams params;
    CreateParams(params);
    // Keep the state bits the window has now.
    LONG old = GetWindowLong(Handle(), GWL_STYLE);
    DWORD keep = DWORD(old) & (WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
    SetWindowLong(Handle(), GWL_STYLE, LONG(params.Style | keep));
    SetWindowLong(Handle(), GWL_EXSTYLE, LONG(params.ExStyle));
    SetWindowPos(Handle(), 0, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
    if (AssignIfChanged(borderStyle_, v)) UpdateStyles();
}

void TCustomForm::SetBorderIcons(TBorderIcons v) {
    if (AssignIfChanged(borderIcons_, v)) UpdateStyles();
}

void TCustomForm::AdjustClientRect(TRect& Rect) {
    Rect.left += borderWidth_;
    Rect.top += borderWidth_;
    Rect.right -= borderWidth_;
    Rect.bottom -= borderWidth_;
}

TWindowState TCustomForm::WindowState() const {
    // A hidden window keeps the state it will be shown in.
    if (!HandleAllocated() || !visible_) return windowState_;
    if (formStyle_ == fsMDIChild)
        return MDIChildWindowState(const_cast<TCustomForm*>(this)->Handle());
    if (IsIconic(const_cast<TCustomForm*>(this)->Handle())) return wsMinimized;
    if (IsZoomed(const_cast<TCustomForm*>(this)->Handle())) return wsMaximized;
    return wsNormal;
}

void TCustomForm::SetWindowState(TWindowState v) {
    windowState_ = v;
    if (!HandleAllocated() || !visible_) return;
    if (formStyle_ == fsMDIChild) {
        SetMDIChildState(v);
        return;
    }
    ShowWindow(Handle(), v == wsMinimized   ? SW_MINIMIZE
                         : v == wsMaximized ? SW_MAXIMIZE
                                            : SW_RESTORE);
}

void TCustomForm::SetActiveControl(TWinControl* v) {
    if (v && !ContainsControl(v)) throw EInvalidOperation("Invalid active control");
    if (v && Showing() && v->CanFocus())
        v->SetFocus();
    else
        SetFocusedControl(v);
}

void TCustomForm::SetFocusedControl(TWinControl* Control) {
    inherited::SetFocusedControl(Control);
    // A child taking the focus brings its MDI child form to the front.
    if (Control && formStyle_ == fsMDIChild && !active_) ActivateMDIChild();
}

void TCustomForm::PlaceOnShow() {
    if (placed_) return;
    placed_ = true;
    TRect area = Screen ? Screen->WorkAreaRect() : Rect(0, 0, 0, 0);
    TCustomForm* centreOn = nullptr;
    switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
        break;
    case poMainFormCenter:
        centreOn = Application ? Application->MainForm() : nullptr;
        break;
    case poOwnerFormCenter:
        centreOn = dynamic_cast<TCustomForm*>(Owner());
        break;
    default:
        return;
    }
    if ((position_ == poMainFormCenter || position_ == poOwnerFormCenter) &&
        (!centreOn || centreOn == this))
        centreOn = nullptr;
    TRect r = centreOn ? centreOn->BoundsRect() : area;
    if (position_ == poScreenCenter || position_ == poDesktopCenter)
        r = Rect(0, 0, Screen ? Screen->Width() : 0, Screen ? Screen->Height() : 0);
    int x = r.left + ((r.right - r.left) - Width()) / 2;
    int y = r.top + ((r.bottom - r.top) - Height()) / 2;
    SetBounds(x, y, Width(), Height());
}

void TCustomForm::Show() {
    const bool wasVisible = Visible();
    SetVisible(true);
    if (formStyle_ == fsMDIChild) {
        if (wasVisible && HandleAllocated()) ActivateMDIChild();
        return;
    }
    if (HandleAllocated()) {
        BringWindowToTop(Handle());
        SetActiveWindow(Handle());
    }
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (formState_.Contains(fsModal)) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide:
        Hide();
        break;
    case caMinimize:
        SetWindowState(wsMinimized);
        break;
    case caFree:
        Release();
        break;
    default:
        break;
    }
}

void TCustomForm::Release() {
    if (HandleAllocated())
        PostMessage(Handle(), CM_RELEASE, 0, 0);
    else
        Free();
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || formState_.Contains(fsModal))
        throw EInvalidOperation("Cannot make a visible window modal");
    if (GetCapture()) ReleaseCapture();
    HandleNeeded();
    // The window the user was in owns this one while it is up, so the desktop keeps it above
    // that window and gives it back the keyboard.
    const HWND oldOwner = static_cast<HWND>(GetWindowLongPtr(Handle(), GWLP_HWNDPARENT));
    HWND owner = GetActiveWindow();
    if (!owner && Application && Application->MainForm() &&
        Application->MainForm()->HandleAllocated())
        owner = Application->MainForm()->Handle();
    if (owner && owner != Handle())
        SetWindowLongPtr(Handle(), GWLP_HWNDPARENT, static_cast<LONG_PTR>(owner));
    // Every other window of the program waits until this one is done.
    std::vector<HWND> disabled;
    if (Screen) {
        for (int i = 0; i < Screen->FormCount(); ++i) {
            TCustomForm* f = Screen->Forms(i);
            if (f == this || !f->HandleAllocated() || !IsWindowEnabled(f->Handle())) continue;
            disabled.push_back(f->Handle());
            EnableWindow(f->Handle(), FALSE);
        }
    }
    formState_.Include(fsModal);
    modalResult_ = mrNone;
    auto finish = [&]() {
        for (HWND h : disabled)
            if (IsWindow(h)) EnableWindow(h, TRUE);
        formState_.Exclude(fsModal);
        if (HandleAllocated())
            SetWindowLongPtr(Handle(), GWLP_HWNDPARENT, static_cast<LONG_PTR>(oldOwner));
        if (Application) Application->LeaveModal();
    };
    if (Application) Application->EnterModal();
    {
        ScopeGuard finishModal([&] { finish(); });
        Show();
        while (modalResult_ == mrNone) {
            if (!Application) {
                modalResult_ = mrCancel;
                break;
            }
            Application->HandleMessage();
            if (Application->Terminated())
                modalResult_ = mrCancel;
            else if (modalResult_ != mrNone) {
                TCloseAction action = caHide;
                if (!CloseQuery())
                    action = caNone;
                else
                    DoClose(action);
                if (action == caNone) modalResult_ = mrNone;
            }
        }
        Hide();
    }
    return modalResult_;
}

void TCustomForm::HandleDialogKey(TMessage& Message) {
    if (GetKeyState(VK_MENU) >= 0) {
        TWinControl* active = FocusedControl();
        switch (Message.WParam) {
        case VK_TAB:
            if (GetKeyState(VK_CONTROL) >= 0) {
                SelectNext(active, GetKeyState(VK_SHIFT) >= 0, true);
                Message.Result = 1;
                return;
            }
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (active && active->Parent()) {
                active->Parent()->SelectNext(
                    active, Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
                Message.Result = 1;
            }
            return;
        default:
            break;
        }
    }
    Broadcast(Message);
}

bool TCustomForm::PreviewKeyDown(Word& Key, TShiftState Shift) {
    if (keyPreview_) KeyDown(Key, Shift);
    if (Key != 0 && menu_ && MainMenuShortCut(menu_, Key)) Key = 0;
    return Key == 0;
}

bool TCustomForm::PreviewKeyUp(Word& Key, TShiftState Shift) {
    if (keyPreview_) KeyUp(Key, Shift);
    return Key == 0;
}

bool TCustomForm::PreviewKeyPress(char& Key) {
    if (keyPreview_) KeyPress(Key);
    return Key == 0;
}

void TCustomForm::Dispatch(TMessage& Message) {
    if (HandleMDIMessage(Message)) return;
    switch (Message.Msg) {
    case CM_VISIBLECHANGED:
        if (visible_) {
            HandleNeeded();
            PlaceOnShow();
            int cmd = windowState_ == wsMaximized   ? SW_SHOWMAXIMIZED
                      : windowState_ == wsMinimized ? SW_SHOWMINIMIZED
                                                    : SW_SHOW;
            if (formStyle_ == fsMDIChild) {
                // Inside the client, which keeps the state and the activation.
                ShowWindow(Handle(), SW_SHOW);
                SetMDIChildState(windowState_);
                ActivateMDIChild();
            } else {
                ShowWindow(Handle(), cmd);
            }
            formState_.Include(fsVisible);
            DoShow();
            if (visible_ && HandleAllocated()) {
                TWinControl* first = FocusedControl();
                if (!first || !first->CanFocus())
                    first = FindNextControl(nullptr, true, true, false);
                if (first && first->CanFocus()) first->SetFocus();
            }
        } else {
            if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
            // A hidden MDI child leaves the front to the next one.
            if (formStyle_ == fsMDIChild && HandleAllocated())
                if (const HWND client = GetParent(Handle()))
                    SendMessage(client, CM_MDICHILDHIDDEN, WPARAM(Handle()), 0);
            formState_.Exclude(fsVisible);
            if (OnHide) OnHide(this);
        }
        return;
    case WM_ACTIVATE: {
        bool now = LOWORD(Message.WParam) != WA_INACTIVE;
        DefaultHandler(Message);
        if (!AssignIfChanged(active_, now)) return;
        if (now) {
            formState_.Include(fsActivated);
            if (OnActivate) OnActivate(this);
        } else if (OnDeactivate) {
            OnDeactivate(this);
        }
        return;
    }
    case WM_SETFOCUS:
        DefaultHandler(Message);
        // The form passes the focus on to the control that had it last.
        if (TWinControl* c = FocusedControl(); c && c != this && c->CanFocus())
            ::SetFocus(c->Handle());
        return;
    case WM_CLOSE:
        Close();
        return;
    case CM_RELEASE:
        Free();
        return; // the form is gone after this
    case CM_DIALOGKEY:
        HandleDialogKey(Message);
        return;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

// --- TScreen --------------------------------------------------------------------------------

void TScreen::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    SetProgramCursorHook([this] { return cursor_; });
}

void TScreen::Destroy() {
    SetProgramCursorHook(nullptr);
    inherited::Destroy();
}

int TScreen::Width() const {
    return GetSystemMetrics(SM_CXSCREEN);
}
int TScreen::Height() const {
    return GetSystemMetrics(SM_CYSCREEN);
}

TRect TScreen::WorkAreaRect() const {
    RECT r{};
    if (!SystemParametersInfo(SPI_GETWORKAREA, 0, &r, 0)) r = Rect(0, 0, Width(), Height());
    return r;
}

void TScreen::SetCursor(TCursor v) {
    cursor_ = v;
    // Back to crDefault, the control under the pointer shows its own again.
    if (v == crDefault)
        RefreshCursor();
    else
        ::SetCursor(CursorHandle(v));
}

TCustomForm* TScreen::Forms(int index) const {
    if (index < 0 || index >= FormCount()) throw EListError("List index out of bounds");
    return forms_[static_cast<size_t>(index)];
}

TCustomForm* TScreen::ActiveForm() const {
    HWND active = GetActiveWindow();
    for (TCustomForm* f : forms_)
        if (f->HandleAllocated() && f->Handle() == active) return f;
    return nullptr;
}

void TScreen::AddForm(TCustomForm* form) {
    forms_.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

// The MDI side of TCustomForm: the parent's client window and what it holds, and how a child
// form's state, bounds and activation go through that client.
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/MDIClient.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"

void TCustomForm::SetFormStyle(TFormStyle v) {
    if (!AssignIfChanged(formStyle_, v)) return;
    if (HandleAllocated()) RecreateWnd();
}

HWND TCustomForm::ClientHandle() const {
    return clientHandle_ && IsWindow(clientHandle_) ? clientHandle_ : 0;
}

HWND TCustomForm::MDIParentClient() const {
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!main || main == this || main->FormStyle() != fsMDIForm)
        throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
    main->HandleNeeded();
    if (!main->ClientHandle()) throw EInvalidOperation("The MDI parent has no client window");
    return main->ClientHandle();
}

void TCustomForm::CreateMDIClient() {
    RECT r;
    GetClientRect(Handle(), &r);
    clientHandle_ = CreateMDIClientWindow(Handle(), r);
    if (!clientHandle_) throw EOutOfResources("Error creating window");
}

TCustomForm* TCustomForm::ActiveMDIChild() const {
    const HWND client = ClientHandle();
    if (formStyle_ != fsMDIForm || !client) return nullptr;
    const auto active = static_cast<HWND>(SendMessage(client, WM_MDIGETACTIVE, 0, 0));
    return dynamic_cast<TCustomForm*>(TWinControl::FindControl(active));
}

int TCustomForm::MDIChildCount() const {
    const HWND client = ClientHandle();
    if (formStyle_ != fsMDIForm || !client) return 0;
    int n = 0;
    for (HWND h : MDIChildWindows(client))
        if (dynamic_cast<TCustomForm*>(TWinControl::FindControl(h))) ++n;
    return n;
}

TCustomForm* TCustomForm::MDIChildren(int index) const {
    const HWND client = ClientHandle();
    if (formStyle_ == fsMDIForm && client && index >= 0) {
        for (HWND h : MDIChildWindows(client)) {
            auto* child = dynamic_cast<TCustomForm*>(TWinControl::FindControl(h));
            if (child && index-- == 0) return child;
        }
    }
    throw EListError("List index out of bounds");
}

void TCustomForm::Tile() {
    if (formStyle_ != fsMDIForm || !ClientHandle()) return;
    SendMessage(ClientHandle(), WM_MDITILE,
                tileMode_ == tbHorizontal ? MDITILE_HORIZONTAL : MDITILE_VERTICAL, 0);
}

void TCustomForm::Cascade() {
    if (formStyle_ == fsMDIForm && ClientHandle()) SendMessage(ClientHandle(), WM_MDICASCADE, 0, 0);
}

void TCustomForm::ArrangeIcons() {
    if (formStyle_ == fsMDIForm && ClientHandle())
        SendMessage(ClientHandle(), WM_MDIICONARRANGE, 0, 0);
}

void TCustomForm::Next() {
    if (formStyle_ == fsMDIForm && ClientHandle()) SendMessage(ClientHandle(), WM_MDINEXT, 0, 0);
}

void TCustomForm::Previous() {
    if (formStyle_ == fsMDIForm && ClientHandle()) SendMessage(ClientHandle(), WM_MDINEXT, 0, 1);
}

void TCustomForm::AlignControls(TControl* AControl, TRect& Rect) {
    inherited::AlignControls(AControl, Rect);
    if (const HWND client = ClientHandle())
        SetWindowPos(client, 0, Rect.left, Rect.top, std::max(0, int(Rect.right - Rect.left)),
                     std::max(0, int(Rect.bottom - Rect.top)), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::DestroyWnd() {
    if (formStyle_ == fsMDIChild && HandleAllocated()) {
        const HWND own = Handle();
        const HWND client = GetParent(own);
        // The client forgets the child and hands the front to the next one.
        if (client && IsWindow(client)) {
            SendMessage(client, WM_MDIDESTROY, WPARAM(own), 0);
            // The frame's menu may be its own again.
            if (IsWindow(client)) SendMessage(client, WM_MDIREFRESHMENU, 0, 0);
        }
        if (!IsWindow(own)) return;
    }
    inherited::DestroyWnd();
    clientHandle_ = 0;
}

void TCustomForm::CreateHandle() {
    inherited::CreateHandle();
    // What the new window reported was in screen coordinates.
    if (formStyle_ == fsMDIChild && HandleAllocated()) MDIChildBoundsChanged();
}

void TCustomForm::ActivateMDIChild() {
    if (formStyle_ != fsMDIChild || !HandleAllocated()) return;
    if (const HWND client = GetParent(Handle()))
        SendMessage(client, WM_MDIACTIVATE, WPARAM(Handle()), 0);
}

void TCustomForm::SetMDIChildState(TWindowState State) {
    const HWND client = HandleAllocated() ? GetParent(Handle()) : 0;
    if (!client) return;
    const UINT msg = State == wsMaximized   ? WM_MDIMAXIMIZE
                     : State == wsMinimized ? CM_MDIMINIMIZE
                                            : WM_MDIRESTORE;
    SendMessage(client, msg, WPARAM(Handle()), 0);
}

void TCustomForm::MDIChildBoundsChanged() {
    // The window lies in the client's coordinates, which TWinControl does not know of for a
    // control without a parent control.
    const HWND own = Handle();
    RECT r;
    if (!GetWindowRect(own, &r)) return;
    POINT at{r.left, r.top};
    if (const HWND client = GetParent(own)) ::ScreenToClient(client, &at);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const bool resized = w != width_ || h != height_;
    if (!resized && at.x == left_ && at.y == top_) return;
    SetBoundsFields(at.x, at.y, w, h);
    if (resized) {
        Realign();
        Resize();
    }
}

bool TCustomForm::HandleMDIMessage(TMessage& Message) {
    if (formStyle_ == fsMDIForm) {
        switch (Message.Msg) {
        case WM_CREATE:
            DefaultHandler(Message);
            CreateMDIClient();
            return true;
        case WM_SETFOCUS:
            // The keyboard goes on to the child in front.
            if (TCustomForm* child = ActiveMDIChild(); child && child->HandleAllocated()) {
                ::SetFocus(child->Handle());
                return true;
            }
            return false;
        default:
            return false;
        }
    }
    if (formStyle_ != fsMDIChild) return false;
    switch (Message.Msg) {
    case WM_MDIACTIVATE: {
        const bool now = static_cast<HWND>(Message.LParam) == Handle();
        Message.Result = 0;
        if (now == active_) return true;
        active_ = now;
        if (now) {
            formState_.Include(fsActivated);
            // The frame may show this child's menu now.
            if (const HWND client = GetParent(Handle()))
                SendMessage(client, WM_MDIREFRESHMENU, 0, 0);
            if (OnActivate) OnActivate(this);
        } else if (OnDeactivate) {
            OnDeactivate(this);
        }
        return true;
    }
    case WM_SIZE:
    case WM_MOVE:
        MDIChildBoundsChanged();
        return true;
    case WM_NCLBUTTONDOWN:
        // A press on the child's frame brings it to the front; on the caption or an edge of a
        // child that is neither maximised nor minimised it goes on to move or size it inside
        // the client.
        ActivateMDIChild();
        Message.Result = 0;
        if (WindowState() == wsNormal && HandleAllocated()) DefaultHandler(Message);
        return true;
    case WM_NCLBUTTONDBLCLK:
        // The desktop would maximise the whole frame window: the child toggles here.
        ActivateMDIChild();
        Message.Result = 0;
        if (Message.WParam == HTCAPTION && borderIcons_.Contains(biMaximize))
            SetWindowState(WindowState() == wsMaximized ? wsNormal : wsMaximized);
        return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        ActivateMDIChild();
        return false;
    case WM_SYSCOMMAND:
        switch (Message.WParam & 0xFFF0) {
        case SC_MINIMIZE:
            SetWindowState(wsMinimized);
            return true;
        case SC_MAXIMIZE:
            SetWindowState(wsMaximized);
            return true;
        case SC_RESTORE:
            SetWindowState(wsNormal);
            return true;
        case SC_CLOSE:
            Close();
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

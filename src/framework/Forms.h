#pragma once
// Top-level windows: TCustomForm/TForm with border styles, placement, showing (also modally)
// and closing; TScreen, what the program knows of the display and its forms.
#include "framework/CustomControl.h"

class TMainMenu;

class TScrollingWinControl : public TWinControl {
    KORVID_CLASS(TScrollingWinControl, TWinControl)

    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool v) { autoScroll_ = v; }

protected:
    TScrollingWinControl() = default;

private:
    bool autoScroll_ = false;
};

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateFlag { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateFlag>;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
// How Tile lays out an MDI parent's children: one above the other, or side by side.
enum TTileMode { tbHorizontal, tbVertical };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TScrollingWinControl {
    KORVID_CLASS(TCustomForm, TScrollingWinControl)

    void Create(TComponent* AOwner) override;
    void AfterConstruction() override;
    void Destroy() override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle v);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons v);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition v) { position_ = v; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState v);
    TFormStyle FormStyle() const { return formStyle_; }
    // A form with a window gets a new one in the new style. In FormsMDI.cpp.
    void SetFormStyle(TFormStyle v);
    TFormState FormState() const { return formState_; }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v) {
        borderWidth_ = v;
        Realign();
    }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool v) { keyPreview_ = v; }
    bool Scaled() const { return scaled_; }
    void SetScaled(bool v) { scaled_ = v; }
    // The main menu shown in the form's menu bar (a tool bar across the top); not owned.
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* Value); // in MainMenuBar.cpp
    bool Active() const { return active_; }
    TWinControl* ActiveControl() const { return FocusedControl(); }
    void SetActiveControl(TWinControl* v);
    void SetFocusedControl(TWinControl* Control) override;

    void Show();
    void Hide() { SetVisible(false); }
    // Runs a nested message loop until ModalResult is set (or the application ends); the
    // other windows of the program take no input meanwhile. Returns the result.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult v) { modalResult_ = v; }
    // Asks OnCloseQuery, then OnClose decides what closing does.
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages now waiting have been handled.
    void Release();

    TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    // --- MDI (in FormsMDI.cpp) ---
    // An fsMDIForm's window holds a client window (made with the form's window), and the
    // client holds the windows of the fsMDIChild forms, whose MDI parent is the application's
    // main form. The child forms' bounds are in the client's coordinates.
    HWND ClientHandle() const;
    // The child in front, nullptr when there is none or this is no MDI parent.
    TCustomForm* ActiveMDIChild() const;
    int MDIChildCount() const;
    // The children front first: index 0 is the active one.
    TCustomForm* MDIChildren(int index) const;
    TTileMode TileMode() const { return tileMode_; }
    void SetTileMode(TTileMode v) { tileMode_ = v; }
    void Tile();
    void Cascade();
    void ArrangeIcons();
    // Brings the child behind the active one to the front (the active one goes to the back);
    // Previous brings the one at the back.
    void Next();
    void Previous();

    void Dispatch(TMessage& Message) override;
    bool PreviewKeyDown(Word& Key, TShiftState Shift) override;
    bool PreviewKeyUp(Word& Key, TShiftState Shift) override;
    bool PreviewKeyPress(char& Key) override;

protected:
    TCustomForm() = default;
    void CreateParams(TCreateParams& Params) override;
    // Gives the new window the application's icon.
    void CreateWindowHandle(const TCreateParams& Params) override;
    void AdjustClientRect(TRect& Rect) override;
    virtual void DoShow();
    virtual void DoClose(TCloseAction& Action);
    // An MDI parent puts its client window where the aligned controls leave room.
    void AlignControls(TControl* AControl, TRect& Rect) override;
    // An MDI child's window goes through its client.
    void DestroyWnd() override;
    void CreateHandle() override;

private:
    // In FormsMDI.cpp.
    HWND MDIParentClient() const;
    void CreateMDIClient();
    bool HandleMDIMessage(TMessage& Message);
    void MDIChildBoundsChanged();
    void ActivateMDIChild();
    void SetMDIChildState(TWindowState State);

    void PlaceOnShow();
    void HandleDialogKey(TMessage& Message);
    void UpdateStyles();

    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    TFormStyle formStyle_ = fsNormal;
    TFormState formState_;
    int borderWidth_ = 0;
    bool keyPreview_ = false;
    bool scaled_ = true;
    TMainMenu* menu_ = nullptr;
    bool active_ = false;
    bool placed_ = false;
    TModalResult modalResult_ = mrNone;
    HWND clientHandle_ = 0;
    TTileMode tileMode_ = tbHorizontal;
};

class TForm : public TCustomForm {
    KORVID_CLASS(TForm, TCustomForm)
};

class TScreen : public TComponent {
    KORVID_CLASS(TScreen, TComponent)

    // The screen's cursor is the one every control yields to while it is set.
    void Create(TComponent* AOwner) override;
    void Destroy() override;

    int Width() const;
    int Height() const;
    TRect WorkAreaRect() const;
    TCursor Cursor() const { return cursor_; }
    // Anything but crDefault overrides every control's cursor.
    void SetCursor(TCursor v);
    int FormCount() const { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int index) const;
    TCustomForm* ActiveForm() const;

    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);

private:
    TCursor cursor_ = crDefault;
    std::vector<TCustomForm*> forms_;
};

extern TScreen* Screen;
// Runs the main-menu item whose shortcut the key (with the modifiers held now) is, or with
// Alt opens the top-level item whose accelerator it is; true when it did. In MainMenuBar.cpp.
bool MainMenuShortCut(TMainMenu* Menu, Word Key);
// The form a control lives on, nullptr when it is not on one.
TCustomForm* GetParentForm(TControl* control);

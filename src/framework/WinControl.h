#pragma once
// TWinControl: a control with a window of its own. It holds the child controls (the Controls
// order is the z-order), aligns them, routes pointer input to its non-windowed children,
// paints them after itself, and takes part in focus and dialog-key handling.
//
// The window is made on demand (Handle, or when the parent's window appears) from
// CreateParams and gets every cached property. All its messages enter through one window
// procedure that finds the control, keeps exceptions from leaving into the platform (they go
// to the application's handler) and calls WindowProc.
#include "framework/Controls.h"
#include "platform/user/Window.h"

#include <functional>
#include <string>

struct TCreateParams {
    String Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = 0;
    UINT ClassStyle = CS_DBLCLKS;
    String WinClassName;
};

// What KeyPress sees for a character outside ASCII: no ASCII test matches it.
constexpr char kNonAsciiKeyPress = static_cast<char>(0x80);

class TWinControl : public TControl {
    KORVID_CLASS(TWinControl, TControl)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    // --- the window ---
    HWND Handle(); // makes the window when there is none
    bool HandleAllocated() const { return handle_ != 0; }
    void HandleNeeded() { Handle(); }
    // Destroys the window and makes it again from the control's fields.
    void RecreateWnd();
    void DestroyHandle();
    // The control that owns a window of ours; nullptr for foreign or stale handles.
    static TWinControl* FindControl(HWND hwnd);

    // --- children ---
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const;
    int IndexOfControl(const TControl* c) const;
    bool ContainsControl(const TControl* c) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    // Sends the message to every child until one sets a non-zero Result.
    void Broadcast(TMessage& Message);
    TControl* ControlAtPoint(const TPoint& pt, bool allowDisabled) override;
    // Lays out the aligned and anchored children in the client area.
    void Realign();
    void DisableAlign() { ++alignDisabled_; }
    // Brings a child into view: here by asking the parent to show this control in turn.
    virtual void ShowControl(TControl* AControl);
    void EnableAlign();

    // --- focus ---
    int TabOrder() const;
    void SetTabOrder(int v);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    virtual bool CanFocus();
    bool Focused();
    virtual void SetFocus();
    // The windowed children in tab order (with their own children when recursive).
    void GetTabOrderList(std::vector<TWinControl*>& list);
    // The next (or previous) focusable control after CurControl inside this control.
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent);
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    // Paints this control's background and its non-windowed children (not its windowed
    // ones) into dc, which is set up in this control's client coordinates.
    void PaintTo(HDC dc, int X, int Y);
    void PaintControls(HDC dc, TControl* First);

    void Invalidate() override;
    void Repaint() override;
    void Update() override;
    bool Showing() const override;
    void SetEnabled(bool v) override;
    void SetText(const String& v) override;
    TRect ClientRect() override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

    // The platform procedure every window of ours has.
    static LRESULT MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Focus bookkeeping of a top-level control: the windowed descendant that has the focus.
    TWinControl* FocusedControl() const { return focusedControl_; }
    // Called on the top-level control when a descendant gets the focus: CM_EXIT to the one
    // that had it, CM_ENTER to the new one, then the CM_FOCUSCHANGED broadcast.
    virtual void SetFocusedControl(TWinControl* Control);
    // The top-level control sees a key before the focused control when it previews keys.
    virtual bool PreviewKeyDown(Word& Key, TShiftState Shift) {
        (void)Key;
        (void)Shift;
        return false;
    }
    virtual bool PreviewKeyUp(Word& Key, TShiftState Shift) {
        (void)Key;
        (void)Shift;
        return false;
    }
    virtual bool PreviewKeyPress(char& Key) {
        (void)Key;
        return false;
    }

protected:
    TWinControl() = default;

    virtual void CreateParams(TCreateParams& Params);
    virtual void CreateWnd();
    virtual void CreateHandle();
    virtual void DestroyWnd();
    // Ran once the window exists, before its children get theirs.
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void AdjustClientRect(TRect& Rect) { (void)Rect; }
    virtual void PaintWindow(HDC DC);
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    // For WM_CHAR. Key is the character when it is ASCII, kNonAsciiKeyPress for any other (the
    // message keeps its code point); setting Key to #0 eats the character, another value
    // replaces it.
    virtual void KeyPress(char& Key);
    virtual void DoEnter();
    virtual void DoExit();
    void ApplyBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void FontChanged(TObject* Sender) override;
    // Whether the key goes to the control (or to dialog handling).
    bool WantsKey(Word key);
    // The style bits a visible/enabled state adds.
    void UpdateShowing();

private:
    friend class TControl;
    void PaintHandler(TMessage& Message);
    void EraseBackground(HDC dc);
    void HandleMouse(TMessage& Message);
    void HandleKeyDown(TMessage& Message, bool sys);
    void HandleKeyUp(TMessage& Message);
    void HandleChar(TMessage& Message, bool sys);
    void HandleSize();
    void HandleSetCursor(TMessage& Message);
    void HandleFocus(bool gained);
    void CreateChildHandles();
    void DoAlign();

    HWND handle_ = 0;
    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = false;
    int alignDisabled_ = 0;
    bool alignPending_ = false;
    bool aligning_ = false;
    // The non-windowed child holding the pointer during a press.
    TControl* captureControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
};

// Shows an exception that escaped a message handler (through the application's handler when
// there is one) so the window stays usable.
void HandleControlException(TObject* Sender);

// The control whose messages arrive on hwnd's window procedure, or that window's nearest
// ancestor that is one of ours.
TWinControl* FindVCLWindow(const TPoint& screenPos);
// The form (the top-level windowed ancestor) of a control.
TWinControl* GetParentWinControl(TControl* control);
// Sets the cursor for where the pointer is now, as a move there would (WM_SETCURSOR to the
// window under it, the arrow when nobody sets one).
void RefreshCursor();
// Installs the program-wide cursor that, while it is not crDefault, hides every control's own
// (a busy cursor). TScreen installs its own; an empty hook means none.
void SetProgramCursorHook(std::function<TCursor()> hook);

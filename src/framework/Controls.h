#pragma once
// TControl: the base of everything shown in a window. Its own fields (bounds, visibility,
// colour, font, text) are the truth; windowed descendants replay them onto their window.
// Messages reach a control through WindowProc (replaceable, so a component can hook another
// control's messages and chain to the saved procedure), then WndProc, then Dispatch, whose
// overrides pick the messages they handle and pass the rest to inherited::Dispatch.
#include "framework/DragDrop.h"
#include "framework/GraphicsObjects.h"
#include "framework/Messages.h"
#include "rtl/Component.h"
#include "rtl/Set.h"

#include <functional>
#include <memory>
#include <vector>

class TWinControl;
class TControl;
class TCanvas;
class TPopupMenu;
class TBasicAction;
class TBasicActionLink;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;

enum TControlStyleFlag {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
    csParentBackground
};
using TControlStyle = TSet<TControlStyleFlag>;

enum TControlStateFlag {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking
};
using TControlState = TSet<TControlStateFlag>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;

// Cursor identities; the negative ones are the standard shapes.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
// The platform cursor for a standard shape; 0 for crDefault and unknown values.
HCURSOR CursorHandle(TCursor cursor);

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TWndMethod = std::function<void(TMessage& Message)>;

// The control the pointer is over (deepest first); changing it sends CM_MOUSELEAVE to the old
// one and CM_MOUSEENTER to the new one.
TControl* MouseControl();
void SetMouseControl(TControl* control);
// Looks up the control under the pointer now and updates MouseControl.
void UpdateMouseControl();

// The shift state from a mouse message's key flags, and from the keyboard as it is now.
TShiftState ShiftStateFromMouse(WPARAM keys);
TShiftState KeyboardShiftState();

// Size limits of a control; 0 means no limit.
class TSizeConstraints : public TPersistent {
    KORVID_CLASS(TSizeConstraints, TPersistent)

    int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
    void SetMinWidth(int v) {
        MinWidth = v;
        Changed();
    }
    void SetMinHeight(int v) {
        MinHeight = v;
        Changed();
    }
    void SetMaxWidth(int v) {
        MaxWidth = v;
        Changed();
    }
    void SetMaxHeight(int v) {
        MaxHeight = v;
        Changed();
    }
    void Constrain(int& width, int& height) const;
    TNotifyEvent OnChange;

private:
    void Changed() {
        if (OnChange) OnChange(this);
    }
};

class TControl : public TComponent {
    KORVID_CLASS(TControl, TComponent)

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // --- messages ---
    // The message entry point; a hook saves the old value and calls it for what it passes on.
    TWndMethod WindowProc;
    LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
    virtual void WndProc(TMessage& Message);
    // Routes a message to its handler; the default goes to DefaultHandler.
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    // --- tree ---
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* AParent);
    // The top-level form (or windowed ancestor without parent) the control lives in.
    TWinControl* TopLevelParent() const;

    // --- geometry ---
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) {
        SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    // Moves and resizes at once; the resize and move notifications have run when it returns,
    // and they may change the bounds again.
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    virtual TRect ClientRect();
    int ClientWidth() { return ClientRect().right; }
    int ClientHeight() { return ClientRect().bottom; }
    virtual void SetClientWidth(int v);
    virtual void SetClientHeight(int v);
    TPoint ClientOrigin();
    TPoint ClientToScreen(const TPoint& p);
    TPoint ScreenToClient(const TPoint& p);

    TAlign Align() const { return align_; }
    void SetAlign(TAlign v);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors v);
    TSizeConstraints* Constraints() { return constraints_.get(); }
    bool AutoSize() const { return autoSize_; }
    virtual void SetAutoSize(bool v);

    // --- state ---
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    // Asks the parents first to bring the control into view (a page control shows its page).
    void Show();
    void Hide() { SetVisible(false); }
    // Visible along with every ancestor (and the top-level one shown).
    virtual bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);
    // Enabled along with every ancestor: what input needs.
    bool EnabledThroughParents() const;

    TColor Color() const { return color_; }
    void SetColor(TColor v);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    TFont* Font() { return font_.get(); }
    void SetFont(TFont* v) { font_->Assign(v); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);

    // Caption and Text are the same string.
    const String& Caption() const { return text_; }
    void SetCaption(const String& v) { SetText(v); }
    const String& Text() const { return text_; }
    virtual void SetText(const String& v);

    // Opened at the pointer by a right click on the control, or by the menu key (Shift+F10)
    // while it has the focus; a control without one leaves the request to its parent. Not
    // owned: the control forgets a menu that is freed.
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* Value);

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor v);
    const String& Hint() const { return hint_; }
    void SetHint(const String& v) { hint_ = v; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v) { parentShowHint_ = v; }

    TControlStyle& ControlStyle() { return controlStyle_; }
    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle v) { controlStyle_ = v; }
    TControlState& ControlState() { return controlState_; }
    TControlState ControlState() const { return controlState_; }

    // --- order and painting ---
    // The parent's Controls order is the z-order: the last is on top.
    void BringToFront();
    void SendToBack();
    // Deferred: the area paints in the next paint cycle.
    virtual void Invalidate();
    // At once: the control (and what shows through it) is painted before this returns.
    virtual void Repaint();
    void Refresh() { Repaint(); }
    virtual void Update();

    // --- events ---
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TNotifyEvent OnCanResize;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // The deepest visible control under a point of this control's client area (this when
    // none of its non-windowed children are there). Used for capture-free routing.
    virtual TControl* ControlAtPoint(const TPoint& pt, bool allowDisabled);

    // Anchor bookkeeping: UpdateAnchorRules records the distances to the parent's edges as
    // they are now; AnchorTo, called by the parent when its client area changes size, keeps
    // them (and records the ones a parent without a size could not give before).
    void UpdateAnchorRules();
    void AnchorTo(int parentWidth, int parentHeight);

    virtual void Click();
    virtual void DblClick();

    // --- action ---
    // The action whose caption, enabled state, hint and visibility the control shows, and
    // which a click runs when OnClick is not set. Not owned: the link lets go of an action
    // that is freed.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* Value);
    // Lets the action update itself (the application does this for shown forms at idle).
    virtual void InitiateAction();

    // --- drag and drop, and the context popup (DragDrop.cpp, DragDrop.h) ---
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode v) { dragMode_ = v; }
    TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(TCursor v) { dragCursor_ = v; }
    // Threshold < 0: kDragThreshold. Nothing while another drag runs.
    void BeginDrag(bool Immediate, int Threshold = -1);
    // Drop: on the control under the pointer when it accepts; else the drag is cancelled.
    void EndDrag(bool Drop);
    bool Dragging() const;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    TContextPopupEvent OnContextPopup;
    // Accept starts false; a bound OnDragOver is asked with it true.
    virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    virtual void DragDrop(TObject* Source, int X, int Y);
    virtual void DoStartDrag(TDragObject*& DragObject);
    virtual void DoEndDrag(TObject* Target, int X, int Y);

protected:
    // Out of line, where the action link is complete.
    TControl();
    ~TControl() override;
    // Takes the properties of the action (Sender); with CheckDefaults only into those that
    // still hold their defaults.
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);
    TBasicActionLink* ActionLink() const { return actionLink_.get(); }
    virtual void DoContextPopup(const TPoint& MousePos, bool& Handled);

    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void Resize();
    virtual void Changed();
    // Sent to the control itself for CM_ state changes it may react to.
    virtual void VisibleChanging() {}
    virtual bool CanResize(int& NewWidth, int& NewHeight) {
        (void)NewWidth;
        (void)NewHeight;
        return true;
    }
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight) {
        (void)NewWidth;
        (void)NewHeight;
        return false;
    }
    void AdjustSize();
    // Tells the parent that the control's bounds or visibility changed, so it realigns.
    virtual void RequestAlign();
    // Applies the new bounds to the fields (and the window, for windowed controls).
    virtual void ApplyBounds(int ALeft, int ATop, int AWidth, int AHeight);
    virtual void FontChanged(TObject* Sender);
    // The control's device context painting routine, for non-windowed controls.
    void InvalidateControl(bool isVisible, bool isOpaque);

    void SetBoundsFields(int l, int t, int w, int h) {
        left_ = l;
        top_ = t;
        width_ = w;
        height_ = h;
    }
    friend class TWinControl;
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;

private:
    void HandleMouseButton(TMessage& Message, TMouseButton Button, bool down, bool dbl);
    void HandleContextMenu(TMessage& Message);
    void HandleParentColorChanged();
    void HandleParentFontChanged();

    TAlign align_ = alNone;
    TAnchors anchors_{akLeft, akTop};
    ObjectPtr<TSizeConstraints> constraints_;
    bool autoSize_ = false;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    ObjectPtr<TFont> font_;
    bool parentFont_ = true;
    String text_;
    TCursor cursor_ = crDefault;
    TPopupMenu* popupMenu_ = nullptr;
    String hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState controlState_;
    TDragMode dragMode_ = dmManual;
    TCursor dragCursor_ = crDrag;
    // Distances kept by the anchors: to the parent's right and bottom edges. Each is known
    // once the parent has a size along that axis; until then there is nothing to keep.
    int anchorRight_ = 0, anchorBottom_ = 0;
    bool anchorRightKnown_ = false, anchorBottomKnown_ = false;
    bool anchoring_ = false;
    bool parentFontUpdate_ = false;
    bool parentColorUpdate_ = false;
    std::unique_ptr<TBasicActionLink> actionLink_;
};

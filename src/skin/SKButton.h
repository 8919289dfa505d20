#pragma once
// Skinned push buttons. TskCustomButton paints a state picture (normal, under the pointer,
// pressed, disabled) cut from the style's button strip, its caption and focus rectangle, runs
// an auto-repeat timer while the left button holds it down, and behaves as a dialog button
// (Default, Cancel, ModalResult). TskButton adds a glyph, TskImageButton draws four pictures
// of its own, TskArrowButton a triangle; TskToolBarSpeedButton is a small flat glyph button.
#include "framework/Forms.h"
#include "framework/ImageList.h"
#include "framework/Panel.h"
#include "framework/Timer.h"
#include "skin/SKMgr.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TskCustomButton : public TCustomControl {
    KORVID_CLASS(TskCustomButton, TCustomControl)

    static void DeclareProperties(Published<TskCustomButton>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    void SetAutoSize(bool v) override;
    void SetText(const String& v) override;
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult v) { modalResult_ = v; }
    int FocusedRectMargin() const { return focusedRectMargin_; }
    void SetFocusedRectMargin(int v);
    int MouseContinuouslyDownInterval() const { return repeatInterval_; }
    void SetMouseContinuouslyDownInterval(int v) { repeatInterval_ = v; }
    void SetEnabled(bool v) override;

    virtual TskUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TskUIStyle v);
    TskFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TskFileTheme* v);

    // The looks the button is in.
    bool Hot() const { return hot_; }
    bool Pressed() const { return pressed_; }
    bool ActiveDefault() const { return activeDefault_; }
    bool Repeating() const { return repeatTimer_ != nullptr; }

    TNotifyEvent OnMouseExit;
    TNotifyEvent OnMouseContinuouslyDown;

    void Click() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

protected:
    TskCustomButton() = default;

    virtual void UpdateAutoSize();
    virtual void CaptionChanged() {}
    virtual void TransparentChanged();
    virtual void EnabledChanged() {}
    virtual void UIStyleChanged() {}
    virtual void DrawButtonImage(TCanvas* Canvas, TBitmap* Picture);
    virtual void DrawButtonCaption(TCanvas* Canvas);
    virtual void DrawButtonFocusRect(TCanvas* Canvas);
    virtual void GetNormalPic(TBitmap* Graphic);
    virtual void GetMouseOnPic(TBitmap* Graphic);
    virtual void GetMouseDownPic(TBitmap* Graphic);
    virtual void GetDisabledPic(TBitmap* Graphic);

    void FontChanged(TObject* Sender) override;
    void CreateWnd() override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    // The framework's, then the caption through its own setter.
    void ActionChange(TObject* Sender, bool CheckDefaults) override;

    // The theme item `Item` cut into Count pieces, piece Index, by the style dispatch.
    void StylePiece(int Item, TBitmap* Graphic, int Count, int Index);
    bool PictureTransparent() const { return pictureTransparent_; }
    bool BoldCaption() const { return boldCaption_; }
    void SetBoldCaption(bool v) { boldCaption_ = v; }
    // Drops the look of a press and its repeat timer.
    void EndPress();

private:
    void StartRepeat();
    void StopRepeat();
    void RepeatTick(TObject* Sender);

    bool cancel_ = false;
    bool default_ = false;
    bool transparent_ = false;
    TModalResult modalResult_ = mrNone;
    int focusedRectMargin_ = 2;
    int repeatInterval_ = 100;
    TskUIStyle uiStyle_ = DeepBlue;
    TskFileTheme* fileTheme_ = nullptr;
    bool hot_ = false;
    bool pressed_ = false;
    bool activeDefault_ = false;
    bool boldCaption_ = false;
    bool pictureTransparent_ = false;
    ObjectPtr<TTimer> repeatTimer_;
};

class TskButton : public TskCustomButton {
    KORVID_CLASS(TskButton, TskCustomButton)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    TBitmap* Glyph() { return glyph_.get(); }
    void SetGlyph(TBitmap* v);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout v);
    int Spacing() const { return spacing_; }
    void SetSpacing(int v);
    Cardinal ResHandle() const { return 0; }
    void SetResHandle(Cardinal) {}
    // Where the caption was last put beside the glyph.
    TPoint CaptionPos() const { return captionPos_; }

protected:
    void UIStyleChanged() override;
    void DrawButtonImage(TCanvas* Canvas, TBitmap* Picture) override;
    void DrawButtonCaption(TCanvas* Canvas) override;
    void DrawButtonFocusRect(TCanvas* Canvas) override;
    // An empty glyph also takes the action's image from its list's Images.
    void ActionChange(TObject* Sender, bool CheckDefaults) override;

private:
    ObjectPtr<TBitmap> glyph_;
    TButtonLayout layout_ = blGlyphLeft;
    int spacing_ = 4;
    TPoint captionPos_{0, 0};
};

class TskImageButton : public TskCustomButton {
    KORVID_CLASS(TskImageButton, TskCustomButton)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    // Always FromThemeFile: the pictures are the button's own.
    TskUIStyle UIStyle() const override { return FromThemeFile; }
    TPicture* PicNormal() { return pictures_[0].get(); }
    TPicture* PicMouseOn() { return pictures_[1].get(); }
    TPicture* PicMouseDown() { return pictures_[2].get(); }
    TPicture* PicDisabled() { return pictures_[3].get(); }
    void SetPicNormal(TPicture* v) { SetPicture(0, v); }
    void SetPicMouseOn(TPicture* v) { SetPicture(1, v); }
    void SetPicMouseDown(TPicture* v) { SetPicture(2, v); }
    void SetPicDisabled(TPicture* v) { SetPicture(3, v); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);
    bool DrawFocused() const { return drawFocused_; }
    void SetDrawFocused(bool v);

protected:
    void UpdateAutoSize() override;
    void DrawButtonImage(TCanvas* Canvas, TBitmap* Picture) override;
    void DrawButtonFocusRect(TCanvas* Canvas) override;
    void GetNormalPic(TBitmap* Graphic) override;
    void GetMouseOnPic(TBitmap* Graphic) override;
    void GetMouseDownPic(TBitmap* Graphic) override;
    void GetDisabledPic(TBitmap* Graphic) override;

private:
    void SetPicture(int index, TPicture* v);
    void CopyPicture(int index, TBitmap* Graphic);
    ObjectPtr<TPicture> pictures_[4];
    bool stretch_ = false;
    bool drawFocused_ = false;
};

class TskArrowButton : public TskCustomButton {
    KORVID_CLASS(TskArrowButton, TskCustomButton)

    TskArrowButtonType Arrow() const { return arrow_; }
    void SetArrow(TskArrowButtonType v);

protected:
    void UIStyleChanged() override;
    void DrawButtonImage(TCanvas* Canvas, TBitmap* Picture) override;
    void DrawButtonCaption(TCanvas*) override {}

private:
    TskArrowButtonType arrow_ = skUp;
};

class TskToolBarSpeedButton : public TCustomPanel {
    KORVID_CLASS(TskToolBarSpeedButton, TCustomPanel)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    TBitmap* Glyph() { return glyph_.get(); }
    void SetGlyph(TBitmap* v);
    bool Hot() const { return hot_; }

    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;

private:
    ObjectPtr<TBitmap> glyph_;
    bool hot_ = false;
};

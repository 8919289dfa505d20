#pragma once
// TskTitleBar: the skinned caption bar across the top of a form whose own caption is gone.
// It draws its picture sections, the caption and a row of caption buttons with normal,
// mouse-on and pressed pictures, moves the form when dragged, maximises or restores it on a
// double click and carries the system menu. Which button is under the pointer is found by
// one hit test that painting and the mouse handlers share, always from the pointer as it is.
#include "framework/Panel.h"
#include "skin/SKPopupMenu.h"
#include "skin/SKStyledPanel.h"
#include "skin/SKTitleBarParts.h"

using TskTitleBarButtonClickEvent = std::function<void(TObject* Sender, int ButtonIndex)>;

// The system menu: Minimize, Maximize/Restore, a line, Close.
class TskTitleBarPopupMenu : public TskPopupMenu {
    KORVID_CLASS(TskTitleBarPopupMenu, TskPopupMenu)

    void Create(TComponent* AOwner) override;
    TskTitleBar* TitleBar() const { return bar_; }
    void SetTitleBar(TskTitleBar* Bar) { bar_ = Bar; }
    // Enables the items by the bar's visible buttons, then shows the menu.
    void Popup(int X, int Y) override;

    TMenuItem* MinimizeItem() const { return Items()->Items(0); }
    TMenuItem* MaximizeItem() const { return Items()->Items(1); }
    TMenuItem* CloseItem() const { return Items()->Items(3); }

private:
    TskTitleBar* bar_ = nullptr;
};

class TskTitleBar : public TskStyledPanel {
    KORVID_CLASS(TskTitleBar, TskStyledPanel)

    static void DeclareProperties(Published<TskTitleBar>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

    void SetUIStyle(TskUIStyle Value) override;
    // Keeps the caption's font colour while the new skin's style goes on.
    void SetFileTheme(TskFileTheme* Value) override;

    TskTitleBarSections* Sections() const { return sections_.get(); }
    void SetSections(TskTitleBarSections* Value) { sections_->Assign(Value); }
    TskTitleBarButtons* Buttons() const { return buttons_.get(); }
    void SetButtons(TskTitleBarButtons* Value) { buttons_->Assign(Value); }

    // Height from section 0's picture (less 3 on a skinned form); off without sections.
    void SetAutoSize(bool Value) override;
    int ButtonInterval() const { return buttonInterval_; }
    void SetButtonInterval(int Value);
    const String& Caption() const { return caption_; }
    void SetCaption(const String& Value);
    bool FormActive() const { return formActive_; }
    void SetFormActive(bool Value);
    int LeftBtnXOffset() const { return leftOffset_; }
    void SetLeftBtnXOffset(int Value);
    int RightBtnXOffset() const { return rightOffset_; }
    void SetRightBtnXOffset(int Value);
    int RoundCorner() const { return roundCorner_; }
    void SetRoundCorner(int Value) { roundCorner_ = Value; }
    bool DrawAppIcon() const { return drawAppIcon_; }
    void SetDrawAppIcon(bool Value);
    // Style changes leave the sections, buttons and font alone while set.
    bool Custom() const { return custom_; }
    void SetCustom(bool Value) { custom_ = Value; }

    TskTitleBarButtonClickEvent OnCustomBtnsClick;
    TskTitleBarButtonClickEvent OnHelpBtnClick;

    TskTitleBarPopupMenu* SystemMenu() const { return systemMenu_; }
    int CaptionStripHeight() const { return stripHeight_; }
    int ButtonTop() const { return buttonTop_; }

    // --- for the skinned forms ---
    void UpdateMaxButtonGlyph();
    TGraphic* GetLeftImage() const;
    TGraphic* GetRightImage() const;
    TGraphic* GetClientImage() const;
    bool HasThreeSectionImages() const;
    bool IsOnSkinnedForm() const;
    bool IsOnMDISkin() const;
    TCustomForm* ParentForm() const;

    // --- layout, shared by painting and the mouse ---
    struct ButtonPlace {
        int index = -1; // in Buttons
        TRect rect{};
    };
    // Where each visible button lies on a bar of the given width (the control box, when
    // there is one, at the caption's start), and where the caption starts and may end.
    struct Layout {
        std::vector<ButtonPlace> buttons;
        int captionLeft = 0;
        int captionRight = 0;
    };
    Layout ComputeLayout(int BarWidth) const;
    // The button at a point of the bar, -1 for none.
    int ButtonAt(const TPoint& Point) const;
    // The button under the pointer now, -1 for none.
    int HotButton() const;
    bool Pressed() const { return pressed_; }

    // The caption cut (by whole characters) so that it and a trailing "..." fit in Room
    // pixels of the canvas's font; the whole caption when it fits.
    static String FitCaption(TCanvas* Canvas, const String& Text, int Room);

protected:
    void Paint() override;
    virtual void PaintSections(TBitmap* Bitmap);
    virtual void PaintButtonsAndCaption(TBitmap* Bitmap);
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;

private:
    friend class TskTitleBarButton;
    friend class TskTitleBarSection;
    void DrawAppIconAt(TCanvas* Canvas, int X, int Y);
    TPoint PointerInBar() const;

    ObjectPtr<TskTitleBarSections> sections_;
    ObjectPtr<TskTitleBarButtons> buttons_;
    int buttonInterval_ = 0;
    String caption_;
    bool formActive_ = true;
    int leftOffset_ = 0;
    int rightOffset_ = 0;
    int roundCorner_ = 0;
    bool drawAppIcon_ = false;
    bool custom_ = false;
    TskTitleBarPopupMenu* systemMenu_ = nullptr;
    bool pressed_ = false;
    int stripHeight_ = 0;
    int buttonTop_ = 0;
    bool keepFontColor_ = false;
};

// Minimises as the title bar's minimise button does: the application's main form through
// the system command (so the whole program goes), any other form by itself.
void MinimizeForm(TCustomForm* Form);

#pragma once
// TskToolBar: a flat tool bar whose buttons, while the pointer is over them, pressed or
// checked, are drawn in three colours of the skin (a fill, a darker fill for a press, and a
// frame); a button in none of those states keeps the framework's own drawing. In the MacOS
// and Protein styles the bar is see-through and shows what its parent paints behind it.
#include "framework/ToolBar.h"
#include "skin/SKMgr.h"

class TskToolBar : public TToolBar {
    KORVID_CLASS(TskToolBar, TToolBar)

    static void DeclareProperties(Published<TskToolBar>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TskUIStyle UIStyle() const { return uiStyle_; }
    // Takes the three button colours and the transparency of the style, and drops the bar's
    // edges.
    void SetUIStyle(TskUIStyle Value);
    TskFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TskFileTheme* Value);

    // Fill of a hot or checked button.
    TColor ButtonColor() const { return buttonColor_; }
    void SetButtonColor(TColor Value);
    // Frame of every button the bar draws itself.
    TColor ButtonBorderColor() const { return buttonBorderColor_; }
    void SetButtonBorderColor(TColor Value);
    // Fill of a hot button held down.
    TColor ButtonDownColor() const { return buttonDownColor_; }
    void SetButtonDownColor(TColor Value);

private:
    void CustomDrawButton(TToolButton* Button, TCustomDrawState State, bool& DefaultDraw);
    void DrawButton(TToolButton* Button, bool Pressed);
    void DrawDropDownArrow(const TRect& R);

    TskUIStyle uiStyle_ = DeepBlue;
    TskFileTheme* fileTheme_ = nullptr;
    TColor buttonColor_ = clBtnFace;
    TColor buttonBorderColor_ = clBlack;
    TColor buttonDownColor_ = clBtnShadow;
};

// A caption as it shows on the screen: a lone "&" marks the accelerator and is dropped, "&&"
// stands for one "&".
String RemoveAmpersands(const String& Text);

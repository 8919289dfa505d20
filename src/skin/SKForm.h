#pragma once
// TskForm: dropped on a form, it turns the form into a skinned window. It fills the form's
// client area, takes the form's own caption away, shows a TskTitleBar across its top and
// the form's main menu as a row of buttons, paints the form's 3-pixel frame in the style's
// colours, rounds the window's top corners, fits a maximised form to the work area, and
// carries the style to the title bar, the menu and, on request, its children. It does this by
// hooking the form's window procedure; the hook goes when the skin goes.
#include "framework/Bitmap.h"
#include "framework/Panel.h"
#include "framework/ToolBar.h"
#include "skin/SKFormHook.h"
#include "skin/SKTitleBar.h"

#include <memory>

class TskMainMenu;

class TskForm : public TCustomPanel {
    KORVID_CLASS(TskForm, TCustomPanel)

    static void DeclareProperties(Published<TskForm>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

    // The form the skin is set up on; nullptr when its owner is no form (then it is a plain
    // panel and its title-bar properties do nothing).
    TCustomForm* Form() const { return form_; }
    TskTitleBar* TitleBar() const { return titleBar_; }
    TToolBar* MenuBar() const { return menuBar_; }

    TskUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TskUIStyle Value);
    TskFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TskFileTheme* Value);
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* Value);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor Value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int Value);
    TCustomPanel* FormPanel() const { return formPanel_; }
    // The skin itself is refused with an error box.
    void SetFormPanel(TCustomPanel* Value);
    TColor MenuBarColor() const { return menuBarColor_; }
    void SetMenuBarColor(TColor Value);
    int MenuBarHeight() const { return menuBarHeight_; }
    void SetMenuBarHeight(int Value);
    bool UIStyleAutoUpdateSub() const { return autoUpdateSub_; }
    void SetUIStyleAutoUpdateSub(bool Value) { autoUpdateSub_ = Value; }

    // Forwarded to the title bar (inert without one).
    String Caption() const;
    void SetCaption(const String& Value);
    bool TitleBarVisible() const { return titleBarVisible_; }
    void SetTitleBarVisible(bool Value);
    bool TitleBarCustom() const;
    void SetTitleBarCustom(bool Value);
    bool TitleBarDrawAppIcon() const;
    void SetTitleBarDrawAppIcon(bool Value);
    TskTitleBarButtons* TitleBarButtons() const;
    void SetTitleBarButtons(TskTitleBarButtons* Value);
    TskTitleBarSections* TitleBarSections() const;
    void SetTitleBarSections(TskTitleBarSections* Value);
    int RoundCorner() const;
    void SetRoundCorner(int Value);
    TskTitleBarButtonClickEvent OnTitleBarCustomBtnsClick() const;
    void SetOnTitleBarCustomBtnsClick(TskTitleBarButtonClickEvent Value);
    TskTitleBarButtonClickEvent OnTitleBarHelpBtnClick() const;
    void SetOnTitleBarHelpBtnClick(TskTitleBarButtonClickEvent Value);
    // The title bar's font (the panel's own without one).
    TFont* TitleFont() const;
    void SetTitleFont(TFont* Value);
    String Version() const { return "5.5"; }
    void SetVersion(const String&) {}

    // --- for the main menu and the title bar ---
    void RebuildMenuBar();
    void RefreshMenuButtons();
    void UpdateMenuBarFont();
    int GetTitleBarHeight() const;
    // The form's non-client frame in the style's colours (on the form window's whole DC).
    void PaintFormBorder();
    // Round top corners, square bottom ones.
    void UpdateRegion();
    // The region UpdateRegion gives a W x H window with corners of radius R (the caller's).
    static HRGN MakeWindowRegion(int W, int H, int R);

    // The hook on the form's window procedure, and the application message handler.
    void NewParentWndProc(TMessage& Message);
    // For a message to this skin's form: Alt+Space pops up its system menu; key downs try its
    // menu shortcuts. Handled says whether the message was used.
    void AppOnMessage(MSG& Msg, bool& Handled);
    // Runs the key as a shortcut of Menu while the form is active; 1 when it was one.
    LRESULT HandleMenuShortCut(TMessage& Message);
    // The skin on a form, nullptr when it has none.
    static TskForm* SkinOf(TCustomForm* Form);
    bool Unhooked() const { return unhooked_; }
    bool HookedApplicationMessages() const;

    // Size events seen while a form that started maximised stays maximised.
    int MaximizeCounter() const { return maximizeCounter_; }

protected:
    void Paint() override;
    void Resize() override;

private:
    void StripCaption();
    void HandleSize();
    void CreateMenuBar();
    void RemoveMenuBar();
    void DrawMenuBarBackground(TToolBar* Sender, const TRect& ARect, bool& DefaultDraw);
    void DrawMenuBarButton(TToolBar* Sender, TToolButton* Button, TCustomDrawState State,
                           bool& DefaultDraw);
    void Unhook();
    TskUIStyle MenuStyle(TskFileTheme*& Theme) const;
    // The client background at the panel's size in the current style and colour, drawn once
    // and kept: a paint only copies the part it has to.
    TBitmap* Background();

    TskTitleBar* titleBar_ = nullptr;
    TToolBar* menuBar_ = nullptr;
    TMainMenu* menu_ = nullptr;
    std::unique_ptr<TskFormHook> hook_;
    TCustomForm* form_ = nullptr;
    TColor borderColor_ = 0;
    TCustomPanel* formPanel_ = nullptr;
    int borderWidth_ = 1;
    TskUIStyle uiStyle_ = DeepBlue;
    TskFileTheme* fileTheme_ = nullptr;
    TColor menuBarColor_ = clBtnFace;
    int menuBarHeight_ = 22;
    bool autoUpdateSub_ = false;
    bool unhooked_ = true;
    TRect normalBounds_{};
    bool startedMaximized_ = false;
    bool titleBarVisible_ = true;
    // Kept per form: a second skinned form never sees another's count.
    int maximizeCounter_ = 0;
    bool mdiScrolled_ = false;
    bool handlingSize_ = false;
    ObjectPtr<TBitmap> background_;
    TskUIStyle backgroundStyle_ = DeepBlue;
    TColor backgroundColor_ = 0;
};

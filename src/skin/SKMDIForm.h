#pragma once
// TskMDIForm: dropped on an MDI parent form, it takes the form's own caption away, shows a
// TskTitleBar and a menu bar across the top, paints the form's frame in the style's colours
// and rounds its top corners. It follows the children through a procedure put in front of the
// MDI client window: the menu bar shows the active child's menu, a maximised child's close,
// restore and minimise buttons appear at the bar's right end, and tiling and cascading leave
// room between the children. Both hooks (on the form and on its client) go when the skin
// goes; a form that is no MDI parent has no client and none is hooked.
#include "framework/Panel.h"
#include "framework/ToolBar.h"
#include "skin/SKButton.h"
#include "skin/SKFormHook.h"
#include "skin/SKTitleBar.h"

#include <array>
#include <memory>

class TskMDIForm : public TComponent {
    KORVID_CLASS(TskMDIForm, TComponent)

    static void DeclareProperties(Published<TskMDIForm>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TCustomForm* Form() const { return form_; }
    TPanel* MenuPanel() const { return menuPanel_; }
    TskTitleBar* TitleBar() const { return titleBar_; }
    TToolBar* MenuBar() const { return menuBar_; }
    enum TMDIButton { mbClose, mbRestore, mbMinimize };
    // The buttons for the maximised child (nullptr once freed).
    TskToolBarSpeedButton* MDIButton(TMDIButton Which) const { return mdiButtons_[Which]; }
    bool HookedAppMessage() const { return formHook_ && formHook_->HandlesApplicationMessages(); }
    bool Unhooked() const { return unhooked_; }
    // The client window whose procedure the skin has replaced, 0 when none.
    HWND HookedClient() const { return hookedClient_; }

    bool TitleBarDrawChildCaptions() const { return drawChildCaptions_; }
    void SetTitleBarDrawChildCaptions(bool Value) { drawChildCaptions_ = Value; }
    bool TitleBarDrawChildMenus() const { return drawChildMenus_; }
    void SetTitleBarDrawChildMenus(bool Value);
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* Value);
    // The menu the menu bar shows now.
    TMainMenu* ShownMenu() const { return shownMenu_; }
    TskUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TskUIStyle Value);
    TskFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TskFileTheme* Value);
    TColor MenuBarColor() const { return menuBarColor_; }
    void SetMenuBarColor(TColor Value);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor Value);
    int BorderWidth() const { return borderWidth_; }
    int RoundCorner() const { return roundCorner_; }
    void SetRoundCorner(int Value);

    // Forwarded to the form and the title bar.
    String Caption() const;
    void SetCaption(const String& Value);
    bool TitleBarDrawAppIcon() const;
    void SetTitleBarDrawAppIcon(bool Value);
    bool TitleBarCustom() const;
    void SetTitleBarCustom(bool Value);
    bool TitleBarVisible() const { return titleBarVisible_; }
    void SetTitleBarVisible(bool Value);
    TskTitleBarButtons* TitleBarButtons() const;
    void SetTitleBarButtons(TskTitleBarButtons* Value);
    TskTitleBarSections* TitleBarSections() const;
    void SetTitleBarSections(TskTitleBarSections* Value);

    // Own Menu, or with TitleBarDrawChildMenus the active child's menu (its native one, else
    // its TskForm's).
    TMainMenu* GetShownMenu() const;
    void UpdateMenu();
    void ShowMDIButtons();
    void PaintBorder();
    void UpdateRegion();
    void TileChildren();
    void CascadeChildren();

    // The procedures put in front of the form's and of the client's, and the application
    // message handler (which takes only messages for this skin's form).
    void NewParentWndProc(TMessage& Message);
    LRESULT NewClientWndProc(HWND Client, WNDPROC Saved, UINT Msg, WPARAM WParam, LPARAM LParam);
    void AppOnMessage(MSG& Msg, bool& Handled);
    // Whether the key message is a shortcut of the shown menu (which then runs it).
    bool IsShortCut(TMessage& Message);
    // Alt+letter and F10 on the menu bar, as on the framework's own bar; true when used.
    bool MenuBarKey(const TMessage& Message);

private:
    void CreateMenuBar();
    void MakeMDIButton(TMDIButton Which, int Piece, int Tag, int FromRight);
    void ClickMDIButton(TMDIButton Which);
    void HideMDIButtons();
    // The maximised active child's buttons, or none.
    void UpdateMDIButtons();
    // Shown while there is a menu or a button on it.
    void UpdateMenuPanel();
    void StripCaption();
    void HookClient();
    void UnhookClient();
    void Unhook();
    void HandleSize();
    void WatchShownMenu(TMainMenu* Value);
    void DrawMenuBarButton(TToolBar* Sender, TToolButton* Button, TCustomDrawState State,
                           bool& DefaultDraw);
    void DrawMenuBarBackground(TToolBar* Sender, const TRect& ARect, bool& DefaultDraw);

    TCustomForm* form_ = nullptr;
    std::unique_ptr<TskFormHook> formHook_;
    HWND hookedClient_ = 0;
    TPanel* menuPanel_ = nullptr;
    TskTitleBar* titleBar_ = nullptr;
    TToolBar* menuBar_ = nullptr;
    std::array<TskToolBarSpeedButton*, 3> mdiButtons_{};
    bool drawChildCaptions_ = true;
    bool drawChildMenus_ = true;
    bool unhooked_ = false;
    TMainMenu* menu_ = nullptr;
    TMainMenu* shownMenu_ = nullptr;
    TskUIStyle uiStyle_ = DeepBlue;
    TskFileTheme* fileTheme_ = nullptr;
    TColor menuBarColor_ = clBtnFace;
    TColor borderColor_ = 0;
    int borderWidth_ = 1;
    int roundCorner_ = 0;
    bool titleBarVisible_ = true;
    bool handlingSize_ = false;
};

// The skinned form's menu bar: a flat tool bar with one button per top-level item of the
// form's main menu, drawn in the menu's style.
#include "framework/MenuPopup.h"
#include "platform/gdi/Gdi.h"
#include "skin/SKForm.h"
#include "skin/SKMainMenu.h"
#include "skin/SKMenuBarPaint.h"

void TskForm::SetMenu(TMainMenu* Value) {
    if (menu_ == Value) return;
    if (auto* old = dynamic_cast<TskMainMenu*>(menu_)) old->SetSkinForm(nullptr);
    if (menu_) menu_->RemoveFreeNotification(this);
    menu_ = Value;
    if (menu_) menu_->FreeNotification(this);
    if (auto* m = dynamic_cast<TskMainMenu*>(menu_)) m->SetSkinForm(this);
    if (menu_) {
        CreateMenuBar();
        RebuildMenuBar();
    } else {
        RemoveMenuBar();
    }
}

void TskForm::CreateMenuBar() {
    if (menuBar_ || !form_ || form_->FormStyle() == fsMDIChild) return;
    menuBar_ = CreateComponent<TToolBar>(this);
    menuBar_->SetParent(this);
    menuBar_->SetAlign(alTop);
    menuBar_->SetFlat(true);
    menuBar_->SetEdgeBorders(TEdgeBorders{});
    menuBar_->SetShowCaptions(true);
    menuBar_->SetHeight(menuBarHeight_);
    menuBar_->SetButtonHeight(menuBarHeight_);
    menuBar_->SetColor(menuBarColor_);
    menuBar_->SetWrapable(true);
    menuBar_->SetAutoSize(true);
    menuBar_->OnCustomDrawButton = [this](TToolBar* s, TToolButton* b, TCustomDrawState st,
                                          bool& d) { DrawMenuBarButton(s, b, st, d); };
    menuBar_->OnCustomDraw = [this](TToolBar* s, const TRect& r, bool& d) {
        DrawMenuBarBackground(s, r, d);
    };
    // The title bar stays above the menu bar.
    if (titleBar_) titleBar_->SetTop(0);
    UpdateMenuBarFont();
}

void TskForm::RemoveMenuBar() {
    if (menu_) {
        TMainMenu* m = menu_;
        menu_ = nullptr;
        if (auto* skinned = dynamic_cast<TskMainMenu*>(m)) skinned->SetSkinForm(nullptr);
        m->RemoveFreeNotification(this);
    }
    if (!menuBar_ || (form_ && form_->FormStyle() == fsMDIChild)) return;
    TToolBar* bar = menuBar_;
    menuBar_ = nullptr;
    bar->Free();
    PaintFormBorder();
}

void TskForm::RebuildMenuBar() {
    if (!menuBar_) return;
    if (!menu_) {
        RemoveMenuBar();
        return;
    }
    menuBar_->SetAutoSize(false);
    while (menuBar_->ButtonCount() > 0)
        menuBar_->Buttons(menuBar_->ButtonCount() - 1)->Free();
    TMenuItem* root = menu_->Items();
    // A button joins the bar in front of the ones there: made from the last item to the
    // first, the bar reads in menu order.
    for (int i = root->Count() - 1; i >= 0; --i) {
        auto* button = CreateComponent<TToolButton>(this);
        button->SetParent(menuBar_);
        button->SetGrouped(true);
        button->SetMenuItem(root->Items(i));
        button->SetAutoSize(true);
        button->SetHeight(menuBarHeight_);
    }
    menuBar_->SetAutoSize(true);
    PaintFormBorder();
}

void TskForm::RefreshMenuButtons() {
    if (!menuBar_) return;
    for (int i = 0; i < menuBar_->ButtonCount(); ++i) {
        TToolButton* b = menuBar_->Buttons(i);
        if (TMenuItem* item = b->MenuItem()) {
            b->SetCaption(item->Caption());
            b->SetEnabled(item->Enabled());
        }
    }
    menuBar_->Invalidate();
}

void TskForm::UpdateMenuBarFont() {
    auto* m = dynamic_cast<TskMainMenu*>(menu_);
    if (!menuBar_ || !m) return;
    if (m->UseSystemFont()) {
        GetMenuFont(menuBar_->Font());
    } else {
        menuBar_->Font()->SetName(m->FontName());
        menuBar_->Font()->SetSize(m->FontSize());
        menuBar_->Font()->SetCharset(m->FontCharset());
    }
    menuBar_->Invalidate();
}

void TskForm::SetMenuBarColor(TColor Value) {
    menuBarColor_ = Value;
    if (menuBar_) menuBar_->SetColor(Value);
}

void TskForm::SetMenuBarHeight(int Value) {
    menuBarHeight_ = Value;
    if (!menuBar_) return;
    menuBar_->SetHeight(Value);
    menuBar_->SetButtonHeight(Value);
    for (int i = 0; i < menuBar_->ButtonCount(); ++i)
        menuBar_->Buttons(i)->SetHeight(Value);
}

TskUIStyle TskForm::MenuStyle(TskFileTheme*& Theme) const {
    return MenuBarStyle(menu_, uiStyle_, fileTheme_, Theme);
}

void TskForm::DrawMenuBarBackground(TToolBar* Sender, const TRect& ARect, bool& DefaultDraw) {
    DefaultDraw = true;
    TskFileTheme* theme = nullptr;
    DrawSkinMenuBarBackground(Sender, ARect, MenuStyle(theme));
}

void TskForm::DrawMenuBarButton(TToolBar* Sender, TToolButton* Button, TCustomDrawState State,
                                bool& DefaultDraw) {
    DefaultDraw = false;
    TskFileTheme* theme = nullptr;
    const TskUIStyle style = MenuStyle(theme);
    DrawSkinMenuBarButton(Sender, Button, State, menu_, style, theme);
}

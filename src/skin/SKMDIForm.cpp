#include "skin/SKMDIForm.h"

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/MDIClient.h"
#include "framework/Resources.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"
#include "skin/SKForm.h"
#include "skin/SKFormFrame.h"
#include "skin/SKMainMenu.h"
#include "skin/SKMenuBarPaint.h"
#include "skin/SKPublic.h"
#include "skin/SKThemes.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace {

// The client windows whose procedure is ours, with the one each had before. An entry whose
// skin is gone only forwards: a procedure put in front of ours since still calls us.
struct ClientHook {
    TskMDIForm* skin = nullptr;
    WNDPROC saved = nullptr;
};
std::unordered_map<HWND, ClientHook>& ClientHooks() {
    static std::unordered_map<HWND, ClientHook> hooks;
    return hooks;
}

LRESULT SkinClientProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto it = ClientHooks().find(hwnd);
    if (it == ClientHooks().end()) return DefWindowProc(hwnd, msg, wParam, lParam);
    const ClientHook hook = it->second;
    LRESULT result = hook.skin ? hook.skin->NewClientWndProc(hwnd, hook.saved, msg, wParam, lParam)
                               : CallWindowProc(hook.saved, hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) ClientHooks().erase(hwnd);
    return result;
}

} // namespace

void TskMDIForm::DeclareProperties(Published<TskMDIForm>& p) {
    p.Ordinal("UIStyle", &TskMDIForm::UIStyle, &TskMDIForm::SetUIStyle)
        .Object("FileTheme", &TskMDIForm::FileTheme, &TskMDIForm::SetFileTheme)
        .Object("Menu", &TskMDIForm::Menu, &TskMDIForm::SetMenu)
        .Ordinal("MenuBarColor", &TskMDIForm::MenuBarColor, &TskMDIForm::SetMenuBarColor)
        .Ordinal("BorderColor", &TskMDIForm::BorderColor, &TskMDIForm::SetBorderColor)
        .Ordinal("RoundCorner", &TskMDIForm::RoundCorner, &TskMDIForm::SetRoundCorner)
        .Ordinal("TitleBarDrawChildCaptions", &TskMDIForm::TitleBarDrawChildCaptions,
                 &TskMDIForm::SetTitleBarDrawChildCaptions)
        .Ordinal("TitleBarDrawChildMenus", &TskMDIForm::TitleBarDrawChildMenus,
                 &TskMDIForm::SetTitleBarDrawChildMenus)
        .Text("Caption", &TskMDIForm::Caption, &TskMDIForm::SetCaption)
        .Ordinal("TitleBarDrawAppIcon", &TskMDIForm::TitleBarDrawAppIcon,
                 &TskMDIForm::SetTitleBarDrawAppIcon)
        .Ordinal("TitleBarCustom", &TskMDIForm::TitleBarCustom, &TskMDIForm::SetTitleBarCustom)
        .Ordinal("TitleBarVisible", &TskMDIForm::TitleBarVisible, &TskMDIForm::SetTitleBarVisible);
}

void TskMDIForm::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    auto* form = dynamic_cast<TForm*>(AOwner);
    if (!form) throw Exception("Sorry, TskMDIForm must be placed on a form");
    form_ = form;
    form->Constraints()->SetMinHeight(50);
    form->Constraints()->SetMinWidth(125);
    form->SetMenu(nullptr);
    if (form->BorderStyle() == bsNone || form->BorderStyle() == bsSingle ||
        form->BorderStyle() == bsToolWindow)
        form->SetBorderStyle(bsDialog);
    form->SetBorderWidth(0);

    titleBar_ = CreateComponent<TskTitleBar>(this);
    titleBar_->SetParent(form);
    titleBar_->SetBounds(0, 0, titleBar_->Width(), titleBar_->Height());
    titleBar_->SetCaption(form->Caption());
    titleBar_->OnResize = [](TObject*) {};
    drawChildCaptions_ = true;
    drawChildMenus_ = true;

    CreateMenuBar();
    UpdateMenu();
    SetUIStyle(DeepBlue);
    form->SetAutoScroll(false);

    StripCaption();
    HookClient();
    formHook_ = std::make_unique<TskFormHook>(
        form, [this](TMessage& m) { NewParentWndProc(m); },
        [this](MSG& m, bool& handled) { AppOnMessage(m, handled); });
}

void TskMDIForm::CreateMenuBar() {
    if (menuPanel_) return;
    menuPanel_ = CreateComponent<TPanel>(this);
    menuPanel_->SetBevelInner(bvNone);
    menuPanel_->SetBevelOuter(bvNone);
    menuPanel_->SetAlign(alTop);
    menuPanel_->SetVisible(false);
    menuPanel_->SetParent(form_);
    menuPanel_->SetAutoSize(true);
    menuBar_ = CreateComponent<TToolBar>(this);
    menuBar_->SetParent(menuPanel_);
    menuBar_->SetAlign(alTop);
    menuBar_->SetFlat(true);
    menuBar_->SetEdgeBorders(TEdgeBorders{});
    menuBar_->SetShowCaptions(true);
    menuBar_->SetAutoSize(true);
    menuBar_->OnCustomDrawButton = [this](TToolBar* s, TToolButton* b, TCustomDrawState st,
                                          bool& d) { DrawMenuBarButton(s, b, st, d); };
    menuBar_->OnCustomDraw = [this](TToolBar* s, const TRect& r, bool& d) {
        DrawMenuBarBackground(s, r, d);
    };
    titleBar_->SetTop(0);
    MakeMDIButton(mbClose, 3, -1381, 20);
    MakeMDIButton(mbRestore, 2, -1382, 38);
    MakeMDIButton(mbMinimize, 1, -1383, 56);
}

void TskMDIForm::MakeMDIButton(TMDIButton Which, int Piece, int Tag, int FromRight) {
    RegisterBuiltinThemeArt();
    auto whole = MakeObject<TBitmap>();
    try {
        whole->LoadFromResourceName(HInstance, "MDI_CONTROL_BUTTON");
    } catch (const EResNotFound&) {
    }
    whole->SetTransparent(true);
    auto glyph = MakeObject<TBitmap>();
    if (!whole->Empty()) SliceBitmap(whole.get(), glyph.get(), 3, Piece);
    auto* b = CreateComponent<TskToolBarSpeedButton>(this);
    b->SetParent(menuPanel_);
    b->SetGlyph(glyph.get());
    b->SetTag(Tag);
    b->SetBounds(menuPanel_->Width() - FromRight, 1, b->Width(), b->Height());
    b->SetAnchors(TAnchors{akTop, akRight});
    b->SetColor(menuBarColor_);
    b->BringToFront();
    b->SetVisible(false);
    b->OnClick = [this, Which](TObject*) { ClickMDIButton(Which); };
    mdiButtons_[Which] = b;
}

void TskMDIForm::ClickMDIButton(TMDIButton Which) {
    TCustomForm* child = form_ ? form_->ActiveMDIChild() : nullptr;
    if (child) {
        switch (Which) {
        case mbClose:
            child->Close();
            break;
        case mbRestore:
            child->SetWindowState(wsNormal);
            break;
        case mbMinimize:
            child->SetWindowState(wsMinimized);
            break;
        }
    }
    if (Application) Application->ProcessMessages();
}

// --- hooks ---------------------------------------------------------------------------------

void TskMDIForm::StripCaption() {
    if (form_ && form_->HandleAllocated()) StripSkinCaption(form_->Handle());
}

void TskMDIForm::HookClient() {
    if (unhooked_ || !form_ || form_->FormStyle() != fsMDIForm) return;
    const HWND client = form_->ClientHandle();
    if (!client || client == hookedClient_) return;
    // One skin per client: a second would save our own procedure as the one to call on.
    if (GetWindowLongPtr(client, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SkinClientProc))
        return;
    auto saved = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinClientProc)));
    ClientHooks()[client] = ClientHook{this, saved};
    hookedClient_ = client;
}

void TskMDIForm::UnhookClient() {
    const HWND client = hookedClient_;
    hookedClient_ = 0;
    auto it = ClientHooks().find(client);
    if (!client || it == ClientHooks().end() || it->second.skin != this) return;
    if (GetWindowLongPtr(client, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SkinClientProc)) {
        SetWindowLongPtr(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.saved));
        ClientHooks().erase(it);
    } else {
        it->second.skin = nullptr;
    }
}

void TskMDIForm::Unhook() {
    unhooked_ = true;
    UnhookClient();
    formHook_.reset();
}

void TskMDIForm::Destroy() {
    Unhook();
    for (TskToolBarSpeedButton*& b : mdiButtons_)
        if (TskToolBarSpeedButton* gone = std::exchange(b, nullptr)) gone->Free();
    if (TToolBar* bar = std::exchange(menuBar_, nullptr)) bar->Free();
    if (TPanel* panel = std::exchange(menuPanel_, nullptr)) panel->Free();
    SetMenu(nullptr);
    WatchShownMenu(nullptr);
    if (TskTitleBar* bar = std::exchange(titleBar_, nullptr)) bar->Free();
    inherited::Destroy();
}

void TskMDIForm::NewParentWndProc(TMessage& Message) {
    if (unhooked_ || !formHook_) return;
    if (Message.Msg != WM_NCPAINT) formHook_->CallSaved(Message);
    switch (Message.Msg) {
    case WM_KEYDOWN:
        Message.Result = IsShortCut(Message) ? 1 : 0;
        break;
    case WM_SYSKEYDOWN:
        // The frame itself has the keyboard (no child in front, or no application handler).
        if (IsShortCut(Message) || MenuBarKey(Message)) Message.Result = 0;
        break;
    case WM_NCPAINT:
        PaintBorder();
        break;
    case WM_CREATE:
        // A new window of the form: its caption goes, and its new client is hooked.
        StripCaption();
        HookClient();
        break;
    case CM_RECREATEWND:
        StripCaption();
        break;
    case WM_ACTIVATE:
        if (titleBar_) titleBar_->SetFormActive(LOWORD(Message.WParam) != WA_INACTIVE);
        break;
    case WM_SIZE:
        HandleSize();
        break;
    default:
        break;
    }
}

void TskMDIForm::HandleSize() {
    if (handlingSize_) return;
    // Placing the form sends WM_SIZE again; that one only repaints.
    handlingSize_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{handlingSize_};
    if (form_->WindowState() == wsMaximized && form_->FormStyle() != fsMDIChild) {
        TRect area;
        GetWorkAreaRect(area);
        area.bottom -= 1;
        SetControlBounds(form_, area);
    }
    PaintBorder();
    UpdateRegion();
}

LRESULT TskMDIForm::NewClientWndProc(HWND Client, WNDPROC Saved, UINT Msg, WPARAM WParam,
                                     LPARAM LParam) {
    const LRESULT result = CallWindowProc(Saved, Client, Msg, WParam, LParam);
    if (unhooked_ || !form_) return result;
    switch (Msg) {
    case WM_MDIREFRESHMENU:
        UpdateMenu();
        SetCaption(form_->Caption());
        break;
    case WM_MDIMAXIMIZE:
        ShowMDIButtons();
        SetCaption(form_->Caption());
        break;
    case WM_MDIRESTORE:
        HideMDIButtons();
        SetCaption(form_->Caption());
        break;
    case WM_MDITILE:
        TileChildren();
        break;
    case WM_MDICASCADE:
        CascadeChildren();
        break;
    case WM_MDIACTIVATE:
    case WM_MDINEXT:
    case WM_MDIDESTROY:
    case CM_MDIMINIMIZE:
    case CM_MDICHILDHIDDEN:
        // The child in front may be another now, maximised by the client itself (which
        // sends nothing for it): its buttons are the ones to show.
        UpdateMDIButtons();
        break;
    case WM_NCDESTROY:
        hookedClient_ = 0;
        break;
    default:
        break;
    }
    return result;
}

bool TskMDIForm::IsShortCut(TMessage& Message) {
    if (unhooked_ || !shownMenu_) return false;
    TMessage copy = Message;
    return shownMenu_->IsShortCut(copy);
}

bool TskMDIForm::MenuBarKey(const TMessage& Message) {
    if (unhooked_ || !menuBar_ || !menuPanel_ || !menuPanel_->Visible()) return false;
    const bool alt = (Message.LParam & (LPARAM{1} << 29)) != 0;
    return menuBar_->MenuKey(static_cast<Word>(Message.WParam), alt);
}

void TskMDIForm::AppOnMessage(MSG& Msg, bool& Handled) {
    if (Msg.message != WM_KEYDOWN && Msg.message != WM_SYSKEYDOWN) return;
    // Only a message for this skin's frame, child windows included.
    const HWND root = Msg.hwnd ? GetAncestor(Msg.hwnd, GA_ROOT) : 0;
    if (!form_ || !root || TWinControl::FindControl(root) != form_) return;
    TMessage m{Msg.message, Msg.wParam, Msg.lParam, 0};
    // Shortcuts first (Alt+X may be one), then the bar's own keys.
    Handled = IsShortCut(m) || (Msg.message == WM_SYSKEYDOWN && MenuBarKey(m));
}

// --- menu ----------------------------------------------------------------------------------

namespace {

// A menu being freed may still be held by its form while its removal goes round.
TMainMenu* Usable(TMainMenu* menu) {
    return menu && !menu->ComponentState().Contains(csDestroying) ? menu : nullptr;
}

} // namespace

TMainMenu* TskMDIForm::GetShownMenu() const {
    if (drawChildMenus_ && titleBar_ && form_) {
        if (TCustomForm* child = form_->ActiveMDIChild()) {
            if (TMainMenu* own = Usable(child->Menu())) return own;
            if (TskForm* skin = TskForm::SkinOf(child))
                if (TMainMenu* skins = Usable(skin->Menu())) return skins;
        }
    }
    return Usable(menu_);
}

void TskMDIForm::WatchShownMenu(TMainMenu* Value) {
    if (shownMenu_ == Value) return;
    // A child's menu may go with its child; the bar must not keep it.
    if (shownMenu_ && shownMenu_ != menu_) shownMenu_->RemoveFreeNotification(this);
    shownMenu_ = Value;
    if (shownMenu_ && shownMenu_ != menu_) shownMenu_->FreeNotification(this);
}

void TskMDIForm::UpdateMenu() {
    WatchShownMenu(GetShownMenu());
    if (!menuPanel_ || !menuBar_) return;
    if (!shownMenu_) {
        // No buttons stay behind for items that may be gone.
        while (menuBar_->ButtonCount() > 0)
            menuBar_->Buttons(0)->Free();
        UpdateMenuPanel();
        return;
    }
    if (titleBar_) titleBar_->SetTop(0);
    menuPanel_->Constraints()->SetMinHeight(menuBar_->Height());
    TMenuItem* root = shownMenu_->Items();
    const int n = root->Count();
    while (menuBar_->ButtonCount() > n)
        menuBar_->Buttons(0)->Free();
    while (menuBar_->ButtonCount() < n) {
        auto* button = CreateComponent<TToolButton>(this);
        button->SetParent(menuBar_);
        button->SetGrouped(true);
        button->SetAutoSize(true);
    }
    for (int i = n - 1; i >= 0; --i)
        menuBar_->Buttons(i)->SetMenuItem(root->Items(i));
    UpdateMenuPanel();
}

void TskMDIForm::UpdateMenuPanel() {
    if (!menuPanel_ || !menuBar_) return;
    // A maximised child's buttons need the bar even when there is no menu to show: the
    // child's own caption is gone, and they are the only way to restore or close it.
    const bool buttons = std::any_of(mdiButtons_.begin(), mdiButtons_.end(),
                                     [](TskToolBarSpeedButton* b) { return b && b->Visible(); });
    if (!shownMenu_ && !buttons) {
        menuPanel_->SetVisible(false);
        PaintBorder();
        return;
    }
    int height = menuBar_->Height();
    for (TskToolBarSpeedButton* b : mdiButtons_)
        if (b && b->Visible()) height = std::max(height, b->Top() + b->Height() + 1);
    menuPanel_->SetVisible(true);
    menuPanel_->Constraints()->SetMinHeight(height);
    menuPanel_->SetHeight(height);
    PaintBorder();
}

void TskMDIForm::SetMenu(TMainMenu* Value) {
    if (menu_ == Value) return;
    if (menu_ && menu_ != shownMenu_) menu_->RemoveFreeNotification(this);
    menu_ = Value;
    if (menu_) menu_->FreeNotification(this);
    if (!ComponentState().Contains(csDestroying)) UpdateMenu();
}

void TskMDIForm::SetTitleBarDrawChildMenus(bool Value) {
    drawChildMenus_ = Value;
}

void TskMDIForm::ShowMDIButtons() {
    TCustomForm* child = form_ ? form_->ActiveMDIChild() : nullptr;
    if (!child || !menuPanel_) return;
    // The buttons of the child's title bar; a child without a skin has the ones its window's
    // caption would have.
    std::array<bool, 3> wanted{};
    TskForm* skin = TskForm::SkinOf(child);
    if (skin && skin->TitleBar()) {
        TskTitleBarButtons* buttons = skin->TitleBar()->Buttons();
        for (int i = 0; i < buttons->Count(); ++i) {
            switch (buttons->Items(i)->ButtonType()) {
            case skMin:
                wanted[mbMinimize] = true;
                break;
            case skMax:
                wanted[mbRestore] = true;
                break;
            case skClose:
                wanted[mbClose] = true;
                break;
            default:
                break;
            }
        }
    } else if (child->BorderIcons().Contains(biSystemMenu)) {
        wanted[mbClose] = true;
        wanted[mbRestore] = child->BorderIcons().Contains(biMaximize);
        wanted[mbMinimize] = child->BorderIcons().Contains(biMinimize);
    }
    const int right = menuPanel_->Width();
    for (TMDIButton which : {mbClose, mbRestore, mbMinimize}) {
        TskToolBarSpeedButton* b = mdiButtons_[which];
        if (!b) continue;
        const int fromRight = which == mbClose ? 20 : which == mbRestore ? 38 : 56;
        b->SetLeft(right - fromRight);
        b->SetVisible(wanted[which]);
        if (wanted[which]) b->BringToFront();
    }
    UpdateMenuPanel();
}

void TskMDIForm::HideMDIButtons() {
    for (TskToolBarSpeedButton* b : mdiButtons_)
        if (b) b->SetVisible(false);
    UpdateMenuPanel();
}

void TskMDIForm::UpdateMDIButtons() {
    TCustomForm* child = form_ ? form_->ActiveMDIChild() : nullptr;
    if (child && child->WindowState() == wsMaximized)
        ShowMDIButtons();
    else
        HideMDIButtons();
}

void TskMDIForm::DrawMenuBarButton(TToolBar* Sender, TToolButton* Button, TCustomDrawState State,
                                   bool& DefaultDraw) {
    DefaultDraw = false;
    TskFileTheme* theme = nullptr;
    const TskUIStyle style = MenuBarStyle(menu_, uiStyle_, fileTheme_, theme);
    DrawSkinMenuBarButton(Sender, Button, State, menu_, style, theme);
}

void TskMDIForm::DrawMenuBarBackground(TToolBar* Sender, const TRect& ARect, bool& DefaultDraw) {
    DefaultDraw = true;
    TskFileTheme* theme = nullptr;
    DrawSkinMenuBarBackground(Sender, ARect, MenuBarStyle(menu_, uiStyle_, fileTheme_, theme));
}

// --- style and painting --------------------------------------------------------------------

void TskMDIForm::SetUIStyle(TskUIStyle Value) {
    uiStyle_ = Value;
    TskUIStyle resolved = Value;
    const bool fromFile = UsingFileTheme(fileTheme_, uiStyle_, resolved);
    SetBorderColor(SkinColor(fileTheme_, uiStyle_, tiFormBorderColor));
    SetMenuBarColor(SkinColor(fileTheme_, uiStyle_, tiFormBackgroundColor));
    borderWidth_ = SkinInt(fileTheme_, uiStyle_, tiFormBorderWidthInt);
    roundCorner_ = SkinInt(fileTheme_, uiStyle_, tiFormRoundCornerInt);
    if (fromFile) {
        const TColor marker = SkinColor(fileTheme_, uiStyle_, tiControlFontColor);
        if (marker == 0x00020000) SetMenuBarColor(0x00AC5B3B);
        if (marker == 0x00030000) SetMenuBarColor(0x00996733);
    }
    if (auto* m = dynamic_cast<TskMainMenu*>(menu_)) {
        m->SetUIStyle(uiStyle_);
        m->SetFileTheme(fileTheme_);
    }
    if (!titleBar_) return;
    titleBar_->SetFileTheme(fileTheme_);
    titleBar_->SetUIStyle(uiStyle_);
    for (TskToolBarSpeedButton* b : mdiButtons_)
        if (b) b->SetColor(menuBarColor_);
    titleBar_->SetRoundCorner(0);
    PaintBorder();
    UpdateRegion();
}

void TskMDIForm::SetFileTheme(TskFileTheme* Value) {
    LinkFileTheme(this, fileTheme_, Value);
    SetUIStyle(uiStyle_);
}

void TskMDIForm::SetMenuBarColor(TColor Value) {
    menuBarColor_ = Value;
    if (menuBar_) menuBar_->SetColor(Value);
    if (menuPanel_) menuPanel_->SetColor(Value);
}

void TskMDIForm::SetBorderColor(TColor Value) {
    borderColor_ = Value;
    PaintBorder();
}

void TskMDIForm::SetRoundCorner(int Value) {
    roundCorner_ = Value;
    UpdateRegion();
}

void TskMDIForm::PaintBorder() {
    if (unhooked_ || !form_ || !form_->HandleAllocated()) return;
    if (form_->WindowState() == wsMinimized) return;
    form_->SetBorderWidth(0);
    TskFormFrame frame;
    frame.Width = form_->Width();
    frame.Height = form_->Height();
    frame.BorderWidth = borderWidth_;
    frame.BorderColor = borderColor_;
    frame.FrameColor = menuBarColor_;
    frame.TitleHeight = titleBar_ ? titleBar_->Height() : 0;
    frame.CaptionHeight = frame.TitleHeight;
    if (menuBar_ && menuPanel_ && menuPanel_->Visible() && menuBar_->Visible()) {
        frame.MenuHeight = menuBar_->Height();
        frame.MenuColor = menuBar_->Color();
    }
    frame.TitleBar = titleBar_ && titleBar_->Visible() ? titleBar_ : nullptr;
    frame.RoundCorner = roundCorner_;
    PaintSkinFormFrame(form_->Handle(), frame);
}

void TskMDIForm::UpdateRegion() {
    if (unhooked_ || !form_ || !form_->HandleAllocated()) return;
    HRGN region =
        TskForm::MakeWindowRegion(form_->Width(), form_->Height(), std::max(0, roundCorner_));
    if (!SetWindowRgn(form_->Handle(), region, TRUE)) DeleteObject(region);
}

// --- children ------------------------------------------------------------------------------

void TskMDIForm::TileChildren() {
    if (!form_) return;
    std::vector<TCustomForm*> children;
    for (int i = 0; i < form_->MDIChildCount(); ++i)
        children.push_back(form_->MDIChildren(i));
    const auto shown = std::count_if(children.begin(), children.end(), [](TCustomForm* c) {
        return c->WindowState() != wsMinimized;
    });
    const int n = static_cast<int>(shown);
    if (n == 0) return;
    int bars = 0;
    for (int i = 0; i < form_->ControlCount(); ++i) {
        TControl* c = form_->Controls(i);
        if (c->Visible() && (c->Align() == alTop || c->Align() == alBottom)) bars += c->Height();
    }
    int height = form_->ClientHeight() - bars;
    if (static_cast<int>(children.size()) > n) height -= 25;
    const int width = form_->ClientWidth();
    int at = 0;
    // From the child at the back to the one in front.
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        TCustomForm* child = *it;
        if (child->WindowState() == wsMinimized) continue;
        if (form_->TileMode() == tbVertical) {
            const int w = width / n;
            child->SetBounds(at, 0, w - 2, height - 4);
            at += w - 2;
        } else {
            const int h = height / n;
            child->SetBounds(0, at, width - 4, h - 2);
            at += h - 2;
        }
    }
}

void TskMDIForm::CascadeChildren() {
    if (!form_) return;
    const int width = static_cast<int>(std::nearbyint(form_->ClientWidth() * 0.8));
    const int height = static_cast<int>(std::nearbyint(form_->ClientHeight() * 0.6));
    int at = 0;
    for (int i = form_->MDIChildCount() - 1; i >= 0; --i) {
        TCustomForm* child = form_->MDIChildren(i);
        if (child->WindowState() == wsMinimized) continue;
        child->SetBounds(at, at, width, height);
        at += 22;
    }
}

// --- forwarded properties ------------------------------------------------------------------

String TskMDIForm::Caption() const {
    return form_ ? form_->Caption() : String();
}

void TskMDIForm::SetCaption(const String& Value) {
    if (form_) form_->SetCaption(Value);
    if (titleBar_) titleBar_->SetCaption(Value);
}

bool TskMDIForm::TitleBarDrawAppIcon() const {
    return titleBar_ && titleBar_->DrawAppIcon();
}
void TskMDIForm::SetTitleBarDrawAppIcon(bool Value) {
    if (titleBar_) titleBar_->SetDrawAppIcon(Value);
}
bool TskMDIForm::TitleBarCustom() const {
    return titleBar_ && titleBar_->Custom();
}
void TskMDIForm::SetTitleBarCustom(bool Value) {
    if (titleBar_) titleBar_->SetCustom(Value);
}

void TskMDIForm::SetTitleBarVisible(bool Value) {
    if (!AssignIfChanged(titleBarVisible_, Value)) return;
    if (!titleBar_) return;
    titleBar_->SetVisible(Value);
    titleBar_->SetTop(0);
}

TskTitleBarButtons* TskMDIForm::TitleBarButtons() const {
    return titleBar_ ? titleBar_->Buttons() : nullptr;
}
void TskMDIForm::SetTitleBarButtons(TskTitleBarButtons* Value) {
    if (titleBar_) titleBar_->SetButtons(Value);
}
TskTitleBarSections* TskMDIForm::TitleBarSections() const {
    return titleBar_ ? titleBar_->Sections() : nullptr;
}
void TskMDIForm::SetTitleBarSections(TskTitleBarSections* Value) {
    if (titleBar_) titleBar_->SetSections(Value);
}

void TskMDIForm::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (!AComponent) return;
    if (Operation == opInsert) {
        if (menuBar_) menuBar_->SetTop(0);
        if (titleBar_) titleBar_->SetTop(0);
        return;
    }
    const bool shownGoes = AComponent == shownMenu_, ownGoes = AComponent == menu_;
    if (shownGoes) shownMenu_ = nullptr;
    if (ownGoes) menu_ = nullptr;
    // The bar falls back to what else there is to show.
    if ((shownGoes || ownGoes) && !ComponentState().Contains(csDestroying)) UpdateMenu();
    if (AComponent == menuBar_) menuBar_ = nullptr;
    if (AComponent == menuPanel_) menuPanel_ = nullptr;
    if (AComponent == titleBar_) titleBar_ = nullptr;
    for (TskToolBarSpeedButton*& b : mdiButtons_)
        if (AComponent == b) b = nullptr;
    if (AComponent == fileTheme_) {
        fileTheme_ = nullptr;
        SetUIStyle(DeepBlue);
    }
    if (AComponent == this) Unhook();
}

#include "skin/SKTitleBar.h"

#include "framework/Application.h"
#include "framework/Resources.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"
#include "skin/SKForm.h"
#include "skin/SKPublic.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The system menu's captions, localisable as string resources of the program.
const resources::Registration kMinimizeText{"SKTITLEBAR_MINIMIZE", "最小化(&N)"};
const resources::Registration kMaximizeText{"SKTITLEBAR_MAXIMIZE", "最大化/还原(&X)"};
const resources::Registration kCloseText{"SKTITLEBAR_CLOSE", "关闭(&C)"};

// The colours a skin file's ControlFontColor uses to ask for a black caption.
bool SkinWantsBlackCaption(TColor controlFontColor) {
    return controlFontColor == 0x00010000 || controlFontColor == 0x00030000 ||
           controlFontColor == 0x00040000 || controlFontColor == 0x00050000;
}

// Draws a picture at (x, y); bitmaps go through a work copy whose see-through colour is
// clFuchsia when Transparent.
void DrawPicture(TCanvas* canvas, TPicture* picture, int x, int y, bool transparent) {
    TGraphic* g = picture ? picture->Graphic() : nullptr;
    if (!g || g->Empty()) return;
    if (auto* b = dynamic_cast<TBitmap*>(g)) {
        auto work = MakeObject<TBitmap>();
        work->Assign(b);
        work->SetTransparentColor(clFuchsia);
        work->SetTransparent(transparent);
        canvas->Draw(x, y, work.get());
        return;
    }
    canvas->Draw(x, y, g);
}

// An inactive window's caption: the active colour moved as far towards the bar's mean colour
// under Area as still keeps a contrast of 4.5:1 with every pixel there, so it looks dimmed yet
// stays readable on any bar, a skin file's included.
COLORREF InactiveCaptionColor(TCanvas* Canvas, const TRect& Area, COLORREF Active) {
    std::vector<COLORREF> behind;
    double r = 0, g = 0, b = 0;
    for (int y = Area.top; y < Area.bottom; ++y)
        for (int x = Area.left; x < Area.right; ++x) {
            const COLORREF c = ColorToRGB(Canvas->Pixels(x, y));
            behind.push_back(c);
            r += GetRValue(c);
            g += GetGValue(c);
            b += GetBValue(c);
        }
    if (behind.empty()) return Active;
    const double n = static_cast<double>(behind.size());
    r /= n;
    g /= n;
    b /= n;
    auto mix = [](int from, double to, double t) {
        return static_cast<int>(std::lround(from + (to - from) * t));
    };
    // At most halfway: the text stays the bar's foreground.
    for (int step = 10; step > 0; --step) {
        const double t = step * 0.05;
        const COLORREF candidate = RGB(mix(GetRValue(Active), r, t), mix(GetGValue(Active), g, t),
                                       mix(GetBValue(Active), b, t));
        if (std::all_of(behind.begin(), behind.end(),
                        [&](COLORREF c) { return ContrastRatio(candidate, c) >= 4.5; }))
            return candidate;
    }
    return Active;
}

// The byte length of the first n code points of a UTF-8 text.
size_t CodePointPrefix(const String& text, size_t count) {
    size_t at = 0;
    while (count > 0 && at < text.size()) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
        --count;
    }
    return at;
}

size_t CodePointCount(const String& text) {
    size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

} // namespace

void MinimizeForm(TCustomForm* Form) {
    if (!Form) return;
    if (Application && Form == Application->MainForm() && Form->HandleAllocated()) {
        SendMessage(Form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return;
    }
    Form->SetWindowState(wsMinimized);
}

// --- the system menu -----------------------------------------------------------------------

void TskTitleBarPopupMenu::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    SetAutoHotkeys(maManual);
    const char* keys[] = {"SKTITLEBAR_MINIMIZE", "SKTITLEBAR_MAXIMIZE", nullptr,
                          "SKTITLEBAR_CLOSE"};
    for (const char* key : keys) {
        auto* item = CreateComponent<TMenuItem>(this);
        item->SetCaption(key ? resources::LoadString(key) : String("-"));
        Items()->Add(item);
    }
    MinimizeItem()->OnClick = [this](TObject*) {
        if (bar_) MinimizeForm(bar_->ParentForm());
    };
    MaximizeItem()->OnClick = [this](TObject*) {
        if (!bar_) return;
        for (int i = 0; i < bar_->Buttons()->Count(); ++i) {
            TskTitleBarButton* b = bar_->Buttons()->Items(i);
            if (b->Visible() && b->ButtonType() == skMax) b->Click();
        }
    };
    CloseItem()->OnClick = [this](TObject*) {
        if (TCustomForm* form = bar_ ? bar_->ParentForm() : nullptr) form->Close();
    };
}

void TskTitleBarPopupMenu::Popup(int X, int Y) {
    bool min = false, max = false, close = false;
    if (bar_) {
        for (int i = 0; i < bar_->Buttons()->Count(); ++i) {
            TskTitleBarButton* b = bar_->Buttons()->Items(i);
            if (!b->Visible()) continue;
            min = min || b->ButtonType() == skMin;
            max = max || b->ButtonType() == skMax;
            close = close || b->ButtonType() == skClose;
        }
    }
    MinimizeItem()->SetEnabled(min);
    MaximizeItem()->SetEnabled(max);
    CloseItem()->SetEnabled(close);
    inherited::Popup(X, Y);
}

// --- the bar -------------------------------------------------------------------------------

void TskTitleBar::DeclareProperties(Published<TskTitleBar>& p) {
    p.Ordinal("UIStyle", &TskTitleBar::UIStyle, &TskTitleBar::SetUIStyle)
        .Object("FileTheme", &TskTitleBar::FileTheme, &TskTitleBar::SetFileTheme)
        .Text("Caption", &TskTitleBar::Caption, &TskTitleBar::SetCaption)
        .Ordinal("ButtonInterval", &TskTitleBar::ButtonInterval, &TskTitleBar::SetButtonInterval)
        .Ordinal("FormActive", &TskTitleBar::FormActive, &TskTitleBar::SetFormActive)
        .Ordinal("LeftBtnXOffset", &TskTitleBar::LeftBtnXOffset, &TskTitleBar::SetLeftBtnXOffset)
        .Ordinal("RightBtnXOffset", &TskTitleBar::RightBtnXOffset, &TskTitleBar::SetRightBtnXOffset)
        .Ordinal("RoundCorner", &TskTitleBar::RoundCorner, &TskTitleBar::SetRoundCorner)
        .Ordinal("DrawAppIcon", &TskTitleBar::DrawAppIcon, &TskTitleBar::SetDrawAppIcon)
        .Ordinal("Custom", &TskTitleBar::Custom, &TskTitleBar::SetCustom)
        .Object("Sections", &TskTitleBar::Sections, &TskTitleBar::SetSections)
        .Object("Buttons", &TskTitleBar::Buttons, &TskTitleBar::SetButtons)
        .Ordinal("AutoSize", &TskTitleBar::AutoSize, &TskTitleBar::SetAutoSize)
        .Object(
            "Font", [](const TskTitleBar& b) { return const_cast<TskTitleBar&>(b).Font(); },
            &TskTitleBar::SetFont)
        .Ordinal("Height", &TskTitleBar::Height, &TskTitleBar::SetHeight)
        .Event("OnResize", &TskTitleBar::OnResize)
        .Event("OnCustomBtnsClick", &TskTitleBar::OnCustomBtnsClick)
        .Event("OnHelpBtnClick", &TskTitleBar::OnHelpBtnClick);
}

void TskTitleBar::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle().Exclude(csAcceptsControls);
    SetBevelOuter(bvNone);
    sections_ = MakeObject<TskTitleBarSections>(this);
    buttons_ = MakeObject<TskTitleBarButtons>(this);
    systemMenu_ = CreateComponent<TskTitleBarPopupMenu>(this);
    systemMenu_->SetTitleBar(this);
    for (TskTitleBarBtnType type : {skControlBox, skClose, skMax, skMin})
        buttons_->Add()->SetButtonType(type);
    SetAlign(alTop);
    Font()->SetColor(clWhite);
    Font()->SetName("Tahoma");
    Font()->SetStyle(TFontStyles{fsBold});
    SetUIStyle(GetOwnerUIStyle(AOwner));
}

void TskTitleBar::Destroy() {
    buttons_.reset();
    sections_.reset();
    inherited::Destroy(); // frees the system menu, which the bar owns
}

void TskTitleBar::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    if (AComponent == systemMenu_) systemMenu_ = nullptr;
    if (buttons_)
        for (int i = 0; i < buttons_->Count(); ++i)
            if (buttons_->Items(i)->ControlBoxMenu() == AComponent)
                buttons_->Items(i)->SetControlBoxMenu(nullptr);
}

TCustomForm* TskTitleBar::ParentForm() const {
    return GetParentForm(const_cast<TskTitleBar*>(this));
}

bool TskTitleBar::IsOnSkinnedForm() const {
    return (Parent() && dynamic_cast<TskForm*>(Parent())) || IsOnMDISkin();
}

bool TskTitleBar::IsOnMDISkin() const {
    return Parent() && Owner() && Owner()->ClassName() == "TskMDIForm";
}

void TskTitleBar::SetUIStyle(TskUIStyle Value) {
    uiStyle_ = Value;
    if (custom_) return;
    TskUIStyle S = Value;
    UsingFileTheme(fileTheme_, uiStyle_, S);
    const bool fromFile = S == FromThemeFile;
    sections_->BeginUpdate();
    sections_->Clear();
    const int items[3] = {tiTitleBarLeftImage, tiTitleBarRightImage, tiTitleBarClientImage};
    for (int k = 0; k < 3; ++k) {
        TskTitleBarSection* section = sections_->Add();
        auto picture = MakeObject<TBitmap>();
        SkinBitmap(fileTheme_, uiStyle_, items[k], picture.get());
        auto holder = MakeObject<TPicture>();
        if (!picture->Empty()) holder->SetGraphic(picture.get());
        section->SetPicture(holder.get());
        if (k < 2) section->SetAutoSize(true);
        if (k == 1) section->SetAlign(skRight);
        if (k == 2) section->SetAlign(skClient);
    }
    sections_->EndUpdate();
    leftOffset_ = SkinInt(fileTheme_, uiStyle_, tiTitleBarButtonLeftOffsetInt);
    rightOffset_ = SkinInt(fileTheme_, uiStyle_, tiTitleBarButtonRightOffsetInt);
    auto strip = MakeObject<TBitmap>();
    SkinBitmap(fileTheme_, uiStyle_, tiTitleBarButtonImage, strip.get());
    stripHeight_ = strip->Height();
    buttonTop_ =
        SkinInt(fileTheme_, uiStyle_, tiTitleBarButtonTopInt) - (IsOnSkinnedForm() ? 3 : 0);
    if (TCustomForm* form = ParentForm())
        form->Constraints()->SetMinWidth(SkinInt(fileTheme_, uiStyle_, tiFormMinWidthInt));
    roundCorner_ = SkinInt(fileTheme_, uiStyle_, tiFormRoundCornerInt);
    for (int i = 0; i < buttons_->Count(); ++i)
        buttons_->Items(i)->SetUIStyle(S);
    if (systemMenu_) {
        systemMenu_->SetUIStyle(S);
        systemMenu_->SetFileTheme(fileTheme_);
    }
    if (!keepFontColor_) {
        const bool black =
            uiStyle_ == MacOS || (fromFile && SkinWantsBlackCaption(SkinColor(fileTheme_, uiStyle_,
                                                                              tiControlFontColor)));
        Font()->SetColor(black ? clBlack : clWhite);
    }
    SetAutoSize(true);
    Invalidate();
}

void TskTitleBar::SetFileTheme(TskFileTheme* Value) {
    LinkFileTheme(this, fileTheme_, Value);
    keepFontColor_ = true;
    SetUIStyle(uiStyle_);
    keepFontColor_ = false;
}

void TskTitleBar::SetAutoSize(bool Value) {
    if (!sections_ || sections_->Count() == 0) {
        inherited::SetAutoSize(false);
        return;
    }
    inherited::SetAutoSize(Value);
    const int h = sections_->Items(0)->Picture()->Height() - (IsOnSkinnedForm() ? 3 : 0);
    SetHeight(std::max(0, h));
}

void TskTitleBar::SetButtonInterval(int Value) {
    buttonInterval_ = Value;
    Invalidate();
}
void TskTitleBar::SetCaption(const String& Value) {
    caption_ = Value;
    Invalidate();
}
void TskTitleBar::SetFormActive(bool Value) {
    if (AssignIfChanged(formActive_, Value)) Invalidate();
}
void TskTitleBar::SetLeftBtnXOffset(int Value) {
    leftOffset_ = Value;
    Invalidate();
}
void TskTitleBar::SetRightBtnXOffset(int Value) {
    rightOffset_ = Value;
    Invalidate();
}
void TskTitleBar::SetDrawAppIcon(bool Value) {
    drawAppIcon_ = Value;
    Invalidate();
}

void TskTitleBar::UpdateMaxButtonGlyph() {
    for (int i = 0; i < buttons_->Count(); ++i)
        if (buttons_->Items(i)->ButtonType() == skMax) buttons_->Items(i)->UpdateMaxGlyph();
}

TGraphic* TskTitleBar::GetLeftImage() const {
    return sections_->Count() > 0 ? sections_->Items(0)->Picture()->Graphic() : nullptr;
}
TGraphic* TskTitleBar::GetRightImage() const {
    return sections_->Count() > 1 ? sections_->Items(1)->Picture()->Graphic() : nullptr;
}
TGraphic* TskTitleBar::GetClientImage() const {
    return sections_->Count() > 2 ? sections_->Items(2)->Picture()->Graphic() : nullptr;
}
bool TskTitleBar::HasThreeSectionImages() const {
    return GetLeftImage() && GetRightImage() && GetClientImage();
}

// --- layout --------------------------------------------------------------------------------

TskTitleBar::Layout TskTitleBar::ComputeLayout(int BarWidth) const {
    Layout out;
    const int T = buttonTop_;
    int x = BarWidth + rightOffset_ + 1;
    int controlBox = -1;
    for (int i = 0; i < buttons_->Count(); ++i) {
        TskTitleBarButton* b = buttons_->Items(i);
        if (!b->Visible()) continue;
        if (b->ButtonType() == skControlBox) {
            if (controlBox < 0) controlBox = i;
            continue;
        }
        const int w = b->PicNormal()->Width(), h = b->PicNormal()->Height();
        x -= w + buttonInterval_ + 1;
        out.buttons.push_back({i, Rect(x, T, x + w, T + h)});
    }
    out.captionRight = std::min(x, BarWidth);
    int cx = leftOffset_;
    if (controlBox >= 0) {
        TskTitleBarButton* b = buttons_->Items(controlBox);
        const int w = b->PicNormal()->Width(), h = b->PicNormal()->Height();
        out.buttons.push_back({controlBox, Rect(cx, T, cx + w, T + h)});
        cx += drawAppIcon_ ? 21 : w + 5;
    }
    if (cx == 0) cx = 6;
    out.captionLeft = cx;
    return out;
}

int TskTitleBar::ButtonAt(const TPoint& P) const {
    const Layout layout = ComputeLayout(Width());
    for (const ButtonPlace& place : layout.buttons)
        if (PointInRect(P, place.rect)) return place.index;
    return -1;
}

TPoint TskTitleBar::PointerInBar() const {
    TPoint p;
    GetCursorPos(&p);
    return const_cast<TskTitleBar*>(this)->ScreenToClient(p);
}

int TskTitleBar::HotButton() const {
    if (!const_cast<TskTitleBar*>(this)->HandleAllocated()) return -1;
    const TPoint p = PointerInBar();
    if (p.x < 0 || p.y < 0 || p.x >= Width() || p.y >= Height()) return -1;
    return ButtonAt(p);
}

String TskTitleBar::FitCaption(TCanvas* Canvas, const String& Text, int Room) {
    if (Canvas->TextWidth(Text) <= Room) return Text;
    // Whole characters come off the end until the rest and "..." fit.
    size_t n = CodePointCount(Text);
    while (n > 1) {
        --n;
        const String cut = Text.substr(0, CodePointPrefix(Text, n)) + "...";
        if (Canvas->TextWidth(cut) <= Room) return cut;
    }
    return "...";
}

// --- painting ------------------------------------------------------------------------------

void TskTitleBar::Paint() {
    const int w = Width(), h = Height();
    if (w <= 0 || h <= 0) return;
    auto bitmap = MakeObject<TBitmap>();
    bitmap->SetSize(w, h);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(Rect(0, 0, w, h));
    c->Brush()->SetStyle(bsClear);
    c->SetFont(Font());
    PaintSections(bitmap.get());
    PaintButtonsAndCaption(bitmap.get());
    Canvas()->Draw(0, 0, bitmap.get());
}

void TskTitleBar::PaintSections(TBitmap* Bitmap) {
    int x0 = 0, y0 = 0;
    if (IsOnSkinnedForm()) {
        y0 = -3;
        x0 = IsOnMDISkin() ? -4 : -3;
    }
    TCanvas* c = Bitmap->Canvas();
    if (sections_->Count() < 1) return;
    int L = x0;
    if (TGraphic* left = GetLeftImage()) {
        c->Draw(x0, y0, left);
        L = x0 + left->Width();
    }
    if (sections_->Count() < 2) return;
    int x1 = Bitmap->Width() - x0;
    if (TGraphic* right = GetRightImage()) {
        x1 = Bitmap->Width() - right->Width() - x0;
        c->Draw(x1, y0, right);
    }
    if (sections_->Count() < 3) return;
    if (TGraphic* client = GetClientImage())
        if (x1 > L) c->StretchDraw(Rect(L, y0, x1, y0 + client->Height()), client);
}

void TskTitleBar::DrawAppIconAt(TCanvas* Canvas, int X, int Y) {
    auto icon = MakeObject<TIcon>();
    if (Application && !Application->Icon()->Empty()) {
        icon->Assign(Application->Icon());
    } else if (!resources::FindIcon("MAINICON").empty()) {
        try {
            icon->LoadFromResourceName(HInstance, "MAINICON");
        } catch (const EInvalidGraphic&) {
            return;
        }
    }
    if (icon->Empty()) return;
    icon->SetSize(16, 16);
    DrawIconEx(Canvas->Handle(), X, Y, icon->Handle(), 16, 16, 0, 0, DI_NORMAL);
}

void TskTitleBar::PaintButtonsAndCaption(TBitmap* Bitmap) {
    TCanvas* c = Bitmap->Canvas();
    const Layout layout = ComputeLayout(Bitmap->Width());
    const int hot = HotButton();
    for (const ButtonPlace& place : layout.buttons) {
        TskTitleBarButton* b = buttons_->Items(place.index);
        if (b->ButtonType() == skControlBox && drawAppIcon_) {
            DrawAppIconAt(c, place.rect.left + 3, place.rect.top);
            continue;
        }
        TPicture* picture = b->PicNormal();
        if (place.index == hot) picture = pressed_ ? b->PicMouseDown() : b->PicMouseOn();
        DrawPicture(c, picture, place.rect.left, place.rect.top, b->Transparent());
    }
    c->SetFont(Font());
    // An inactive window's caption loses its weight as well as some colour: on a bar where
    // the active colour has little contrast to spare, the weight is what shows the change.
    if (!formActive_) c->Font()->SetStyle(TFontStyles(Font()->Style()).Exclude(fsBold));
    c->Brush()->SetStyle(bsClear);
    const int room = std::max(0, layout.captionRight - layout.captionLeft);
    const String text = FitCaption(c, caption_, room);
    const int textHeight = c->TextHeight(text.empty() ? String("Wg") : text);
    const int textTop = buttonTop_ + (stripHeight_ - textHeight) / 2;
    const TRect clip = Rect(layout.captionLeft, 0, layout.captionLeft + room, Bitmap->Height());
    if (!formActive_ && !text.empty()) {
        const TRect behind =
            Rect(layout.captionLeft, std::max(0, textTop),
                 std::min(Bitmap->Width(), layout.captionLeft + std::min(room, c->TextWidth(text))),
                 std::min(Bitmap->Height(), textTop + textHeight));
        c->Font()->SetColor(TColor(InactiveCaptionColor(c, behind, ColorToRGB(Font()->Color()))));
    }
    // Clipped to the room, so the text never runs under the buttons.
    c->TextRect(clip, layout.captionLeft, textTop, text);
}

// --- mouse ---------------------------------------------------------------------------------

void TskTitleBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    pressed_ = true;
    Invalidate();
    TCustomForm* form = ParentForm();
    if (!form || ButtonAt(Point(X, Y)) >= 0 || form->WindowState() == wsMaximized) return;
    // A press on the bar away from the buttons drags the form: the desktop moves it.
    pressed_ = false;
    ReleaseCapture();
    const TPoint at = ClientToScreen(Point(X, Y));
    if (form->HandleAllocated())
        SendMessage(form->Handle(), WM_NCLBUTTONDOWN, HTCAPTION,
                    MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
}

void TskTitleBar::MouseMove(TShiftState Shift, int X, int Y) {
    inherited::MouseMove(Shift, X, Y);
    Invalidate();
}

void TskTitleBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    // Only a press that started here ends in a button's action, on the button it ends on.
    const int hot = pressed_ ? ButtonAt(Point(X, Y)) : -1;
    pressed_ = false;
    Invalidate();
    if (hot < 0) return;
    TskTitleBarButton* b = buttons_->Items(hot);
    if (b->ButtonType() != skControlBox || b->ControlBoxMenu()) {
        const TskTitleBarBtnType type = b->ButtonType();
        b->Click(); // may close the form
        if (type == skCustom && OnCustomBtnsClick) OnCustomBtnsClick(this, hot);
        if (type == skHelp && OnHelpBtnClick) OnHelpBtnClick(this, hot);
        return;
    }
    if (systemMenu_) {
        const TPoint at = ClientToScreen(Point(0, Height()));
        systemMenu_->Popup(at.x, at.y);
    }
}

void TskTitleBar::DblClick() {
    inherited::DblClick();
    const int hot = HotButton();
    if (hot < 0) {
        for (int i = 0; i < buttons_->Count(); ++i) {
            TskTitleBarButton* b = buttons_->Items(i);
            if (b->Visible() && b->ButtonType() == skMax) {
                b->Click();
                return;
            }
        }
        return;
    }
    if (buttons_->Items(hot)->ButtonType() == skControlBox)
        if (TCustomForm* form = ParentForm()) form->Close();
}

void TskTitleBar::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_FONTCHANGED:
        Invalidate();
        return;
    case CM_MOUSELEAVE:
        inherited::Dispatch(Message);
        Invalidate();
        return;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCMOUSEMOVE:
        if (TCustomForm* form = ParentForm(); form && form->HandleAllocated()) {
            Message.Result =
                SendMessage(form->Handle(), Message.Msg, Message.WParam, Message.LParam);
            return;
        }
        break;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

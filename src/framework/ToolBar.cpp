#include "framework/ToolBar.h"

#include "framework/Frame3D.h"
#include "framework/ImageList.h"
#include "framework/MenuPopup.h"
#include "framework/TextMeasure.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>

namespace {

constexpr int kDropWidth = 14; // the arrow part of a tbsDropDown button
constexpr int kSeparatorWidth = 8;

bool ItemHasSubItems(const TMenuItem* item) {
    if (!item) return false;
    for (int i = 0; i < item->Count(); ++i)
        if (item->Items(i)->Visible()) return true;
    return false;
}

bool TreeHolds(const TMenuItem* root, const TMenuItem* item) {
    if (root == item) return true;
    for (int i = 0; i < root->Count(); ++i)
        if (TreeHolds(root->Items(i), item)) return true;
    return false;
}

// Text measures in a font, without needing the bar's window.
TSize MeasureText(TFont* font, const String& text) {
    TTextMeasure measure(font);
    TSize s = measure.TextExtent(text.empty() ? String("Wg") : text);
    if (text.empty()) s.cx = 0;
    return s;
}

void Line(TCanvas* c, TColor color, int x1, int y1, int x2, int y2) {
    c->Pen()->SetColor(color);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
}

// A one-pixel edge: light at the top and left for raised, dark for sunken.
void DrawEdge1(TCanvas* c, const TRect& r, bool raised) {
    TRect edge = r;
    Frame3D(c, edge, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight,
            1);
}

} // namespace

// --- TToolButton ---

void TToolButton::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle() = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption};
    SetBoundsFields(0, 0, 23, 22);
}

void TToolButton::Destroy() {
    SetMenuItem(nullptr);
    SetDropdownMenu(nullptr);
    inherited::Destroy();
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == menuItem_) {
        menuItem_ = nullptr;
        Changed();
    }
    if (AComponent == dropdownMenu_) dropdownMenu_ = nullptr;
}

TToolBar* TToolButton::ToolBar() const {
    return dynamic_cast<TToolBar*>(Parent());
}

int TToolButton::Index() const {
    TToolBar* bar = ToolBar();
    if (!bar) return -1;
    auto it = std::find(bar->buttons_.begin(), bar->buttons_.end(), this);
    return it == bar->buttons_.end() ? -1 : int(it - bar->buttons_.begin());
}

bool TToolButton::Hot() const {
    TToolBar* bar = ToolBar();
    return bar && bar->hot_ == this;
}

void TToolButton::Changed() {
    if (TToolBar* bar = ToolBar()) bar->ButtonsChanged();
}

void TToolButton::SetStyle(TToolButtonStyle Value) {
    if (!AssignIfChanged(style_, Value)) return;
    if (Value == tbsSeparator || Value == tbsDivider)
        SetBoundsFields(Left(), Top(), kSeparatorWidth, Height());
    Changed();
}

void TToolButton::SetDown(bool Value) {
    if (down_ == Value) return;
    if (!Value && grouped_ && !allowAllUp_ && style_ == tbsCheck) return; // one stays down
    down_ = Value;
    if (Value && grouped_) {
        // The neighbours of the same group, up to a separator on either side, go up.
        if (TToolBar* bar = ToolBar()) {
            int at = Index();
            auto release = [&](int from, int step) {
                for (int i = from; i >= 0 && i < bar->ButtonCount(); i += step) {
                    TToolButton* b = bar->buttons_[size_t(i)];
                    if (!b->grouped_ || b->style_ != tbsCheck) break;
                    if (b->down_) {
                        b->down_ = false;
                        b->Invalidate();
                    }
                }
            };
            release(at - 1, -1);
            release(at + 1, 1);
        }
    }
    Invalidate();
}

void TToolButton::SetImageIndex(int Value) {
    if (AssignIfChanged(imageIndex_, Value)) Changed();
}

void TToolButton::SetIndeterminate(bool Value) {
    if (AssignIfChanged(indeterminate_, Value)) Invalidate();
}

void TToolButton::SetMarked(bool Value) {
    if (AssignIfChanged(marked_, Value)) Invalidate();
}

void TToolButton::SetWrap(bool Value) {
    if (AssignIfChanged(wrap_, Value)) Changed();
}

void TToolButton::SetMenuItem(TMenuItem* Value) {
    if (menuItem_ == Value) return;
    if (menuItem_) menuItem_->RemoveFreeNotification(this);
    menuItem_ = Value;
    if (Value) {
        Value->FreeNotification(this);
        SetCaption(Value->Caption());
        SetHint(Value->Hint());
        imageIndex_ = Value->ImageIndex();
        SetEnabled(Value->Enabled());
    }
    Changed();
}

void TToolButton::SetDropdownMenu(TPopupMenu* Value) {
    if (dropdownMenu_ == Value) return;
    if (dropdownMenu_) dropdownMenu_->RemoveFreeNotification(this);
    dropdownMenu_ = Value;
    if (Value) Value->FreeNotification(this);
}

bool TToolButton::HasMenu() const {
    return ItemHasSubItems(menuItem_) || (dropdownMenu_ && ItemHasSubItems(dropdownMenu_->Items()));
}

void TToolButton::Click() {
    if (style_ == tbsCheck) SetDown(!down_);
    if (menuItem_) {
        if (!ItemHasSubItems(menuItem_)) menuItem_->Click();
        return;
    }
    inherited::Click();
}

void TToolButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TToolBar* bar = ToolBar();
    if (!bar || bar->placing_) {
        inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
        return;
    }
    // The bar places its buttons; a new height is the height of every button.
    if (style_ == tbsSeparator || style_ == tbsDivider)
        SetBoundsFields(Left(), Top(), AWidth, Height());
    if (AHeight != Height() && AHeight > 0)
        bar->SetButtonHeight(AHeight);
    else
        bar->ButtonsChanged();
}

void TToolButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        if (TToolBar* bar = ToolBar()) bar->SetHot(this);
        break;
    case CM_MOUSELEAVE:
        if (TToolBar* bar = ToolBar())
            if (bar->hot_ == this) bar->SetHot(nullptr);
        break;
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
        inherited::Dispatch(Message);
        if (Message.Msg == CM_ENABLEDCHANGED && !Enabled()) {
            if (TToolBar* bar = ToolBar())
                if (bar->hot_ == this) bar->SetHot(nullptr);
        }
        Changed();
        return;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

void TToolButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled()) return;
    TToolBar* bar = ToolBar();
    bool dropPart = style_ == tbsDropDown && X >= Width() - kDropWidth;
    if (bar && HasMenu() && (menuItem_ || style_ != tbsDropDown || dropPart)) {
        bar->TrackMenu(this);
        return;
    }
    pressed_ = true;
    Invalidate();
}

void TToolButton::MouseMove(TShiftState Shift, int X, int Y) {
    inherited::MouseMove(Shift, X, Y);
    if (!ControlState().Contains(csLButtonDown)) return;
    bool inside = X >= 0 && Y >= 0 && X < Width() && Y < Height();
    if (inside != pressed_) {
        pressed_ = inside;
        Invalidate();
    }
}

void TToolButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && pressed_) {
        pressed_ = false;
        Invalidate();
    }
    inherited::MouseUp(Button, Shift, X, Y);
}

// --- TToolBar ---

void TToolBar::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle() = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque,
                                   csDoubleClicks,    csMenuEvents,   csSetCaption};
    SetColor(clBtnFace);
    SetAlign(alTop);
    SetBoundsFields(0, 0, 150, 29);
}

void TToolBar::Destroy() {
    hot_ = nullptr;
    menuButton_ = nullptr;
    SetImages(nullptr);
    SetHotImages(nullptr);
    SetDisabledImages(nullptr);
    inherited::Destroy();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == images_) SetImages(nullptr);
    if (AComponent == hotImages_) SetHotImages(nullptr);
    if (AComponent == disabledImages_) SetDisabledImages(nullptr);
}

TToolButton* TToolBar::Buttons(int Index) const {
    if (Index < 0 || Index >= ButtonCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return buttons_[size_t(Index)];
}

#define KORVID_TOOLBAR_SETTER(Name, field)                                                         \
    void TToolBar::Set##Name(decltype(field) Value) {                                              \
        if (AssignIfChanged(field, Value)) ButtonsChanged();                                       \
    }
KORVID_TOOLBAR_SETTER(ButtonWidth, buttonWidth_)
KORVID_TOOLBAR_SETTER(ButtonHeight, buttonHeight_)
KORVID_TOOLBAR_SETTER(Flat, flat_)
KORVID_TOOLBAR_SETTER(ShowCaptions, showCaptions_)
KORVID_TOOLBAR_SETTER(List, list_)
KORVID_TOOLBAR_SETTER(Wrapable, wrapable_)
KORVID_TOOLBAR_SETTER(Transparent, transparent_)
KORVID_TOOLBAR_SETTER(EdgeBorders, edgeBorders_)
KORVID_TOOLBAR_SETTER(EdgeInner, edgeInner_)
KORVID_TOOLBAR_SETTER(EdgeOuter, edgeOuter_)
KORVID_TOOLBAR_SETTER(Indent, indent_)
#undef KORVID_TOOLBAR_SETTER

namespace {
void SwapList(TComponent* self, TImageList*& field, TImageList* value) {
    if (field) field->RemoveFreeNotification(self);
    field = value;
    if (field) field->FreeNotification(self);
}
} // namespace

void TToolBar::SetImages(TImageList* Value) {
    if (images_ == Value) return;
    SwapList(this, images_, Value);
    if (!ComponentState().Contains(csDestroying)) ButtonsChanged();
}

void TToolBar::SetHotImages(TImageList* Value) {
    if (hotImages_ == Value) return;
    SwapList(this, hotImages_, Value);
    if (!ComponentState().Contains(csDestroying)) Invalidate();
}

void TToolBar::SetDisabledImages(TImageList* Value) {
    if (disabledImages_ == Value) return;
    SwapList(this, disabledImages_, Value);
    if (!ComponentState().Contains(csDestroying)) Invalidate();
}

void TToolBar::SetAutoSize(bool v) {
    inherited::SetAutoSize(v);
    ButtonsChanged();
}

void TToolBar::SetHot(TToolButton* Button) {
    if (Button &&
        (!Button->Enabled() || Button->style_ == tbsSeparator || Button->style_ == tbsDivider))
        Button = nullptr;
    if (hot_ == Button) return;
    if (hot_) hot_->Invalidate();
    hot_ = Button;
    if (hot_) hot_->Invalidate();
}

void TToolBar::ButtonsChanged() {
    if (ComponentState().Contains(csDestroying)) return;
    Realign();
    if (AutoSize()) AdjustSize();
    Invalidate();
}

void TToolBar::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_CONTROLLISTCHANGE) {
        auto* button = dynamic_cast<TToolButton*>(reinterpret_cast<TControl*>(Message.WParam));
        if (button) {
            auto it = std::find(buttons_.begin(), buttons_.end(), button);
            if (Message.LParam && it == buttons_.end()) {
                // A new button goes before the first one that is not left of it, so a button
                // made without a place comes first.
                auto at = std::find_if(buttons_.begin(), buttons_.end(),
                                       [&](TToolButton* b) { return b->Left() >= button->Left(); });
                buttons_.insert(at, button);
            } else if (!Message.LParam && it != buttons_.end()) {
                buttons_.erase(it);
                if (hot_ == button) hot_ = nullptr;
                if (menuButton_ == button) menuButton_ = nullptr;
            }
        }
        inherited::Dispatch(Message);
        if (!ComponentState().Contains(csDestroying) && AutoSize()) AdjustSize();
        return;
    }
    if (Message.Msg == CM_MOUSELEAVE) SetHot(nullptr);
    inherited::Dispatch(Message);
}

int TToolBar::EdgeWidth(TEdgeBorder side) const {
    if (!edgeBorders_.Contains(side)) return 0;
    return (edgeInner_ != esNone ? 1 : 0) + (edgeOuter_ != esNone ? 1 : 0);
}

void TToolBar::AdjustClientRect(TRect& Rect) {
    Rect.left += EdgeWidth(ebLeft);
    Rect.top += EdgeWidth(ebTop);
    Rect.right -= EdgeWidth(ebRight);
    Rect.bottom -= EdgeWidth(ebBottom);
}

int TToolBar::RowHeight() {
    int h = buttonHeight_;
    if (images_) {
        h = std::max(h, images_->Height() + 7);
        if (showCaptions_ && !list_)
            h = std::max(h, images_->Height() + MeasureText(Font(), "").cy + 8);
    }
    return h;
}

int TToolBar::ButtonExtent(TToolButton* b) {
    if (b->style_ == tbsSeparator || b->style_ == tbsDivider) return std::max(b->Width(), 1);
    int iw = images_ ? images_->Width() : 0;
    int w;
    if (!showCaptions_) {
        w = images_ ? std::max(buttonWidth_, iw + 7) : buttonWidth_;
    } else {
        int tw = MeasureText(Font(), StripHotkey(b->Caption())).cx;
        if (list_)
            w = (images_ && b->imageIndex_ >= 0 ? iw + 8 : 0) + tw + 12;
        else
            w = std::max(images_ ? iw + 8 : 0, tw + 14);
        if (!b->AutoSize()) w = std::max(w, buttonWidth_);
    }
    if (b->style_ == tbsDropDown) w += kDropWidth;
    return w;
}

// Lays the buttons out in rows for a client width; returns the height the rows take.
void TToolBar::PlaceButtons(int width, int& height) {
    int left = EdgeWidth(ebLeft) + indent_, top = EdgeWidth(ebTop);
    int right = width - EdgeWidth(ebRight);
    int rowHeight = RowHeight();
    int x = left, y = top;
    bool rowUsed = false;
    std::vector<TToolButton*> list = buttons_;
    for (TToolButton* b : list) {
        if (!b->Visible()) continue;
        int w = ButtonExtent(b);
        if (wrapable_ && rowUsed && x + w > right) {
            x = left;
            y += rowHeight;
        }
        if (height >= 0) {
            placing_ = true;
            ScopeGuard reset([&] { placing_ = false; });
            b->SetBounds(x, y, w, rowHeight);
        }
        x += w;
        rowUsed = true;
        if (b->wrap_ && wrapable_) {
            x = left;
            y += rowHeight;
            rowUsed = false;
        }
    }
    int used = (rowUsed || y == top ? y + rowHeight : y) + EdgeWidth(ebBottom);
    height = used;
}

void TToolBar::AlignControls(TControl* AControl, TRect& Rect) {
    (void)AControl;
    (void)Rect;
    int h = 0;
    PlaceButtons(Width(), h);
}

bool TToolBar::CanAutoSize(int& NewWidth, int& NewHeight) {
    int h = -1; // measure only
    PlaceButtons(NewWidth, h);
    NewHeight = h;
    return true;
}

TCustomDrawState TToolBar::ButtonState(TToolButton* b) const {
    TCustomDrawState s;
    if (hot_ == b) s.Include(cdsHot);
    if (b->pressed_ || menuButton_ == b) s.Include(cdsSelected);
    if (b->down_) s.Include(cdsChecked);
    if (!b->Enabled()) s.Include(cdsDisabled);
    if (b->indeterminate_) s.Include(cdsIndeterminate);
    if (b->marked_) s.Include(cdsMarked);
    return s;
}

void TToolBar::DrawEdges() {
    TCanvas* c = Canvas();
    int w = Width(), h = Height();
    // The outer line at the very edge, the inner one next to it.
    auto edge = [&](TEdgeBorder side, int inset, TEdgeStyle style) {
        if (style == esNone || !edgeBorders_.Contains(side)) return;
        bool lightFirst = style == esRaised;
        bool lightSide = side == ebTop || side == ebLeft;
        TColor color = lightFirst == lightSide ? clBtnHighlight : clBtnShadow;
        switch (side) {
        case ebTop:
            Line(c, color, 0, inset, w, inset);
            break;
        case ebBottom:
            Line(c, color, 0, h - 1 - inset, w, h - 1 - inset);
            break;
        case ebLeft:
            Line(c, color, inset, 0, inset, h);
            break;
        case ebRight:
            Line(c, color, w - 1 - inset, 0, w - 1 - inset, h);
            break;
        }
    };
    for (TEdgeBorder side : {ebLeft, ebTop, ebRight, ebBottom}) {
        int inset = 0;
        if (edgeOuter_ != esNone) edge(side, inset++, edgeOuter_);
        edge(side, inset, edgeInner_);
    }
}

void TToolBar::Paint() {
    TCanvas* c = Canvas();
    TRect client = Rect(0, 0, Width(), Height());
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(transparent_ && Parent() ? Parent()->Color() : Color());
    c->FillRect(client);
    DrawEdges();
    bool defaultDraw = true;
    if (OnCustomDraw) OnCustomDraw(this, client, defaultDraw);
    if (!defaultDraw) return;
    std::vector<TToolButton*> list = buttons_;
    for (TToolButton* b : list) {
        if (!b->Visible()) continue;
        c->SetFont(Font());
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Color());
        c->Pen()->SetColor(clBtnText);
        c->Pen()->SetStyle(psSolid);
        TCustomDrawState state = ButtonState(b);
        bool own = true;
        if (OnCustomDrawButton) OnCustomDrawButton(this, b, state, own);
        if (own) DefaultDrawButton(b, state);
    }
}

void TToolBar::DefaultDrawButton(TToolButton* b, TCustomDrawState State) {
    TCanvas* c = Canvas();
    TRect r = b->BoundsRect();
    if (b->style_ == tbsSeparator) return;
    if (b->style_ == tbsDivider) {
        int x = (r.left + r.right) / 2 - 1;
        Line(c, clBtnShadow, x, r.top + 2, x, r.bottom - 2);
        Line(c, clBtnHighlight, x + 1, r.top + 2, x + 1, r.bottom - 2);
        return;
    }
    bool hot = State.Contains(cdsHot), pressed = State.Contains(cdsSelected);
    bool checked = State.Contains(cdsChecked), enabled = !State.Contains(cdsDisabled);
    if (checked && !pressed) {
        c->Brush()->SetColor(hot ? clBtnFace : clBtnHighlight);
        c->FillRect(r);
    }
    if (pressed || checked)
        DrawEdge1(c, r, false);
    else if (enabled && (!flat_ || hot))
        DrawEdge1(c, r, true);

    TRect face = r;
    if (b->style_ == tbsDropDown) {
        face.right -= kDropWidth;
        if (enabled && (!flat_ || hot || pressed)) {
            Line(c, clBtnShadow, face.right, r.top + 2, face.right, r.bottom - 2);
            Line(c, clBtnHighlight, face.right + 1, r.top + 2, face.right + 1, r.bottom - 2);
        }
        int ax = face.right + kDropWidth / 2 - 3, ay = (r.top + r.bottom) / 2 - 1;
        TColor ink = enabled ? clBtnText : clGrayText;
        c->Brush()->SetColor(ink);
        c->Pen()->SetColor(ink);
        c->Polygon({Point(ax, ay), Point(ax + 5, ay), Point(ax + 2, ay + 3)});
    }
    int off = pressed ? 1 : 0;
    TImageList* list = images_;
    bool drawEnabled = enabled;
    if (hot && hotImages_) list = hotImages_;
    if (!enabled && disabledImages_) {
        list = disabledImages_;
        drawEnabled = true;
    }
    bool image = list && b->imageIndex_ >= 0 && b->imageIndex_ < list->Count();
    int iw = list ? list->Width() : 0, ih = list ? list->Height() : 0;
    TRect text = face;
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    if (list_) {
        int x = face.left + 4;
        if (image) {
            list->Draw(c, x + off, face.top + (face.bottom - face.top - ih) / 2 + off,
                       b->imageIndex_, drawEnabled);
            x += iw + 4;
        }
        text = Rect(x, face.top, face.right - 2, face.bottom);
        format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    } else if (image) {
        int top = showCaptions_ ? face.top + 3 : face.top + (face.bottom - face.top - ih) / 2;
        list->Draw(c, face.left + (face.right - face.left - iw) / 2 + off, top + off,
                   b->imageIndex_, drawEnabled);
        text = Rect(face.left, top + ih + 1, face.right, face.bottom - 1);
    }
    if (!showCaptions_ || b->Caption().empty()) return;
    OffsetRect(&text, off, off);
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(enabled ? Font()->Color() : clGrayText);
    DrawMenuText(c, b->Caption(), text, format);
}

TToolButton* TToolBar::ButtonAtScreen(TPoint p) {
    if (!HandleAllocated()) return nullptr;
    TPoint q = ScreenToClient(p);
    if (q.x < 0 || q.y < 0 || q.x >= Width() || q.y >= Height()) return nullptr;
    for (TToolButton* b : buttons_) {
        TRect r = b->BoundsRect();
        if (b->Visible() && PtInRect(&r, q)) return b;
    }
    return nullptr;
}

TToolButton* TToolBar::MenuNeighbour(TToolButton* from, int step) {
    int n = ButtonCount();
    int at = from->Index();
    if (at < 0 || n == 0) return nullptr;
    for (int k = 1; k < n; ++k) {
        TToolButton* b = buttons_[size_t(((at + step * k) % n + n) % n)];
        if (b->Visible() && b->Enabled() && b->HasMenu()) return b;
    }
    return nullptr;
}

bool TToolBar::TrackMenu(TToolButton* Button, bool SelectFirst) {
    if (!Button || !Button->HasMenu() || MenuTrackingActive()) return false;
    if (GetCapture()) ReleaseCapture(); // the press that got here hands the pointer on
    TToolButton* current = Button;
    bool selectFirst = SelectFirst;
    while (current) {
        TMenuItem* root = current->menuItem_       ? current->menuItem_
                          : current->dropdownMenu_ ? current->dropdownMenu_->Items()
                                                   : nullptr;
        TPopupMenu* popup = current->menuItem_ ? nullptr : current->dropdownMenu_;
        if (!root) break;
        // The item hears a click as its sub-menu opens, so it can bring the items up to date.
        if (current->menuItem_ && current->menuItem_->Enabled())
            current->menuItem_->Click();
        else if (popup && popup->OnPopup)
            popup->OnPopup(popup);
        if (!ItemHasSubItems(root)) break;
        menuButton_ = current;
        current->Invalidate();
        Update();
        TPoint origin = current->ClientOrigin();
        MenuTrackRequest request;
        request.Parent = root;
        request.At = Point(origin.x, origin.y + current->Height());
        request.Anchor = Bounds(origin.x, origin.y, current->Width(), current->Height());
        request.SelectFirst = selectFirst;
        TToolButton* next = nullptr;
        bool stepped = false;
        request.OnPointerOutside = [&](TPoint p) {
            TToolButton* over = ButtonAtScreen(p);
            if (over && over != current && over->Enabled() && over->HasMenu()) {
                next = over;
                SetHot(over);
                return true;
            }
            return false;
        };
        request.OnBarStep = [&](int step) {
            next = MenuNeighbour(current, step);
            stepped = next != nullptr;
            return next != nullptr && next != current;
        };
        MenuTrackResult result = ::TrackMenu(request);
        if (menuButton_ == current) {
            menuButton_ = nullptr;
            current->Invalidate();
        }
        if (popup && popup->OnClose) popup->OnClose(popup);
        if (result.End == MenuTrackEnd::Chosen) {
            if (TreeHolds(root, result.Item)) result.Item->Click();
            return true;
        }
        if (result.End != MenuTrackEnd::Handover || !next) break;
        current = next;
        selectFirst = stepped;
    }
    return false;
}

bool TToolBar::MenuKey(Word Key, bool Alt) {
    if (MenuTrackingActive()) return false;
    TToolButton* first = nullptr;
    for (TToolButton* b : buttons_) {
        TMenuItem* item = b->MenuItem();
        if (!item || !b->Visible() || !b->Enabled()) continue;
        if (!first) first = b;
        if (!Alt || GetHotkey(item->Caption()) != char(Key)) continue;
        if (item->Count() > 0)
            TrackMenu(b, true);
        else
            item->Click();
        return true;
    }
    // F10 on its own (Shift+F10 asks for a context menu) enters the bar at its first menu.
    if (Key != VK_F10 || Alt || KeyboardShiftState().Contains(ssShift) || !first) return false;
    if (first->MenuItem()->Count() > 0)
        TrackMenu(first, true);
    else
        SetHot(first);
    return true;
}

#include "framework/ListView.h"

#include "framework/DialogControls.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Owned.h"
#include "platform/gdi/Rect.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"

#include <algorithm>

namespace {

constexpr UINT_PTR kEditTimer = 1;
constexpr int kBorder = 2;   // frame line plus one pixel of room
constexpr int kBarSize = 14; // the scroll bar's thickness
constexpr int kMinThumb = 16;
constexpr int kMaxLabelWidth = 200; // longer captions are cut in the small-icon and list views

} // namespace

// --- TListView: life and properties ---------------------------------------------------------

// Where the items go for the current view, size and images.
struct TListView::Layout {
    TRect area; // where the cells are shown (client minus frame, bar and header)
    int imgW = 0, imgH = 0;
    int textH = 0;
    int cellW = 1, cellH = 1;
    int perLine = 1; // cells per row (icon views) or per column (list view)
    int headerH = 0;
    int extent = 0; // the content's length along the scrolling direction
    bool bar = false;
};

void TListView::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    measure_ = MakeObject<TBitmap>();
    measure_->SetWidth(1);
    measure_->SetHeight(1);
    items_.reset(CreateObject<TListItems>(this));
    columns_.reset(CreateObject<TListColumns>(this));
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 250, 150);
}

void TListView::Destroy() {
    if (HandleAllocated()) KillTimer(Handle(), kEditTimer);
    editing_ = nullptr;
    pendingEdit_ = pressedItem_ = selected_ = nullptr;
    if (smallImages_) smallImages_->RemoveFreeNotification(this);
    if (largeImages_) largeImages_->RemoveFreeNotification(this);
    smallImages_ = largeImages_ = nullptr;
    items_.reset();
    columns_.reset();
    inherited::Destroy();
}

void TListView::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == smallImages_) smallImages_ = nullptr;
    if (AComponent == largeImages_) largeImages_ = nullptr;
    if (AComponent == editor_) editor_ = nullptr;
    if (AComponent == smallImages_ || AComponent == largeImages_) ItemsChanged();
}

void TListView::SetViewStyle(TViewStyle v) {
    if (!AssignIfChanged(viewStyle_, v)) return;
    scrollPos_ = 0;
    ItemsChanged();
}

void TListView::SetSmallImages(TImageList* v) {
    if (smallImages_ == v) return;
    if (smallImages_) smallImages_->RemoveFreeNotification(this);
    smallImages_ = v;
    if (v) v->FreeNotification(this);
    ItemsChanged();
}

void TListView::SetLargeImages(TImageList* v) {
    if (largeImages_ == v) return;
    if (largeImages_) largeImages_->RemoveFreeNotification(this);
    largeImages_ = v;
    if (v) v->FreeNotification(this);
    ItemsChanged();
}

void TListView::SetShowColumnHeaders(bool v) {
    showColumnHeaders_ = v;
    ItemsChanged();
}

void TListView::ItemsChanged() {
    if (updating_ > 0 || !items_) return;
    scrollPos_ = std::clamp(scrollPos_, 0, ScrollMax());
    PlaceEditor();
    Invalidate();
}

void TListView::ItemChanged(TListItem* Item) {
    (void)Item;
    ItemsChanged();
}

void TListView::ItemRemoving(TListItem* Item) {
    if (editing_ == Item) EndEdit(false);
    if (pendingEdit_ == Item) CancelPendingEdit();
    if (pressedItem_ == Item) pressedItem_ = nullptr;
    if (editResult_ == Item) editResult_ = nullptr;
    if (selected_ == Item) SetSelected(nullptr);
}

// --- selection ------------------------------------------------------------------------------

void TListView::SetSelected(TListItem* v) {
    if (v && v->ListView() != this) v = nullptr;
    if (selected_ == v) return;
    TListItem* old = selected_;
    if (editing_) EndEdit(true);
    selected_ = v;
    Invalidate();
    if (old && OnSelectItem) OnSelectItem(this, old, false);
    // The handler may have moved the selection on; then that move has told the rest.
    if (selected_ != v) return;
    if (v && OnSelectItem) OnSelectItem(this, v, true);
}

void TListView::SetItemIndex(int v) {
    SetSelected(v >= 0 && v < items_->Count() ? items_->Item(v) : nullptr);
}

// --- layout ---------------------------------------------------------------------------------

TCanvas* TListView::MeasureCanvas() {
    TCanvas* c = measure_->Canvas();
    c->Font()->Assign(Font());
    return c;
}

TImageList* TListView::ImagesForView() const {
    return viewStyle_ == vsIcon ? largeImages_ : smallImages_;
}

TRect TListView::ContentRect() {
    TRect r = ClientRect();
    InflateRect(&r, -kBorder, -kBorder);
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

TListView::Layout TListView::ComputeLayout() {
    Layout l;
    TCanvas* c = MeasureCanvas();
    l.textH = c->TextHeight("Ag");
    if (TImageList* images = ImagesForView()) {
        l.imgW = images->Width();
        l.imgH = images->Height();
    }
    int n = items_->Count();
    int widest = 0;
    if (viewStyle_ == vsSmallIcon || viewStyle_ == vsList)
        for (int i = 0; i < n; ++i)
            widest = std::max(widest,
                              std::min(kMaxLabelWidth, c->TextWidth(items_->Item(i)->Caption())));
    int gap = l.imgW ? 4 : 0;
    switch (viewStyle_) {
    case vsIcon:
        l.cellW = std::max(l.imgW, 64) + 12;
        l.cellH = l.imgH + l.textH + 12;
        break;
    case vsSmallIcon:
    case vsList:
        l.cellW = 2 + l.imgW + gap + widest + 12;
        l.cellH = std::max(l.imgH, l.textH) + 4;
        break;
    case vsReport: {
        int total = 0;
        for (int i = 0; i < columns_->Count(); ++i)
            total += columns_->Items(i)->Width();
        l.cellW = std::max(total, 1);
        l.cellH = std::max(l.imgH, l.textH) + 2;
        if (showColumnHeaders_ && columns_->Count() > 0) l.headerH = l.textH + 6;
        break;
    }
    }
    // Lay out once without the bar; when the content does not fit, again with it.
    for (int pass = 0; pass < 2; ++pass) {
        l.area = ContentRect();
        l.area.top += l.headerH;
        if (l.area.bottom < l.area.top) l.area.bottom = l.area.top;
        if (l.bar) {
            if (ScrollVertical())
                l.area.right = std::max(l.area.left, l.area.right - kBarSize);
            else
                l.area.bottom = std::max(l.area.top, l.area.bottom - kBarSize);
        }
        int areaW = l.area.right - l.area.left, areaH = l.area.bottom - l.area.top;
        int lines = 0;
        switch (viewStyle_) {
        case vsIcon:
        case vsSmallIcon:
            l.perLine = std::max(1, areaW / l.cellW);
            lines = (n + l.perLine - 1) / l.perLine;
            l.extent = lines * l.cellH;
            break;
        case vsList:
            l.perLine = std::max(1, areaH / l.cellH);
            lines = (n + l.perLine - 1) / l.perLine;
            l.extent = lines * l.cellW;
            break;
        case vsReport:
            l.perLine = 1;
            l.extent = n * l.cellH;
            break;
        }
        int visible = ScrollVertical() ? areaH : areaW;
        if (l.bar || l.extent <= visible) break;
        l.bar = true;
    }
    return l;
}

TRect TListView::CellRect(const Layout& l, int index) {
    int x = l.area.left, y = l.area.top;
    switch (viewStyle_) {
    case vsIcon:
    case vsSmallIcon:
        x += (index % l.perLine) * l.cellW;
        y += (index / l.perLine) * l.cellH - scrollPos_;
        break;
    case vsList:
        x += (index / l.perLine) * l.cellW - scrollPos_;
        y += (index % l.perLine) * l.cellH;
        break;
    case vsReport:
        y += index * l.cellH - scrollPos_;
        break;
    }
    return Bounds(x, y, l.cellW, l.cellH);
}

TRect TListView::ImageIn(const Layout& l, const TRect& cell) {
    if (!l.imgW) return Rect(cell.left, cell.top, cell.left, cell.top);
    if (viewStyle_ == vsIcon)
        return Bounds(cell.left + (l.cellW - l.imgW) / 2, cell.top + 4, l.imgW, l.imgH);
    return Bounds(cell.left + 2, cell.top + (l.cellH - l.imgH) / 2, l.imgW, l.imgH);
}

TRect TListView::LabelIn(const Layout& l, const TRect& cell) {
    // The caption's width is found by the caller; this is the room it may take.
    if (viewStyle_ == vsIcon) {
        int top = cell.top + 4 + l.imgH + 2;
        return Rect(cell.left + 2, top, cell.right - 2, top + l.textH + 2);
    }
    int left = cell.left + 2 + l.imgW + (l.imgW ? 4 : 0);
    int right = cell.right - 2;
    if (viewStyle_ == vsReport)
        right = columns_->Count() > 0 ? cell.left + columns_->Items(0)->Width() - 2 : l.area.right;
    int top = cell.top + (l.cellH - l.textH - 2) / 2;
    return Rect(left, top, std::max(left, right), top + l.textH + 2);
}

TRect TListView::ItemRect(const TListItem* Item) {
    if (!Item || Item->ListView() != this) return Rect(0, 0, 0, 0);
    return CellRect(ComputeLayout(), Item->Index());
}

TRect TListView::LabelRect(const TListItem* Item) {
    if (!Item || Item->ListView() != this) return Rect(0, 0, 0, 0);
    Layout l = ComputeLayout();
    TRect room = LabelIn(l, CellRect(l, Item->Index()));
    int w = std::min<int>(room.right - room.left, MeasureCanvas()->TextWidth(Item->Caption()) + 4);
    w = std::max(w, 8);
    if (viewStyle_ == vsIcon) {
        int mid = (room.left + room.right) / 2;
        return Rect(mid - w / 2, room.top, mid - w / 2 + w, room.bottom);
    }
    return Rect(room.left, room.top, room.left + w, room.bottom);
}

TListItem* TListView::GetItemAt(int X, int Y) {
    Layout l = ComputeLayout();
    if (X < l.area.left || X >= l.area.right || Y < l.area.top || Y >= l.area.bottom)
        return nullptr;
    POINT p{X, Y};
    for (int i = 0; i < items_->Count(); ++i) {
        TRect cell = CellRect(l, i);
        if (!PtInRect(&cell, p)) continue;
        TListItem* item = items_->Item(i);
        if (viewStyle_ == vsReport) return item;
        TRect image = ImageIn(l, cell);
        TRect label = LabelRect(item);
        if (PtInRect(&image, p) || PtInRect(&label, p)) return item;
        return nullptr;
    }
    return nullptr;
}

// --- scrolling ------------------------------------------------------------------------------

int TListView::ScrollMax() {
    Layout l = ComputeLayout();
    int visible = ScrollVertical() ? l.area.bottom - l.area.top : l.area.right - l.area.left;
    return std::max(0, l.extent - visible);
}

void TListView::SetScrollPos(int v) {
    v = std::clamp(v, 0, ScrollMax());
    if (!AssignIfChanged(scrollPos_, v)) return;
    PlaceEditor();
    Invalidate();
}

void TListView::MakeVisible(TListItem* Item) {
    if (!Item || Item->ListView() != this) return;
    Layout l = ComputeLayout();
    TRect cell = CellRect(l, Item->Index());
    if (ScrollVertical()) {
        if (cell.top < l.area.top)
            SetScrollPos(scrollPos_ - (l.area.top - cell.top));
        else if (cell.bottom > l.area.bottom)
            SetScrollPos(scrollPos_ + (cell.bottom - l.area.bottom));
    } else {
        if (cell.left < l.area.left)
            SetScrollPos(scrollPos_ - (l.area.left - cell.left));
        else if (cell.right > l.area.right)
            SetScrollPos(scrollPos_ + (cell.right - l.area.right));
    }
}

int TListView::PageStep(const Layout& l) {
    if (ScrollVertical()) return std::max(l.cellH, l.area.bottom - l.area.top);
    return std::max(l.cellW, l.area.right - l.area.left);
}

TRect TListView::ScrollBarRect() {
    Layout l = ComputeLayout();
    if (!l.bar) return Rect(0, 0, 0, 0);
    TRect c = ContentRect();
    if (ScrollVertical()) return Rect(c.right - kBarSize, c.top, c.right, c.bottom);
    return Rect(c.left, c.bottom - kBarSize, c.right, c.bottom);
}

TRect TListView::ThumbRect() {
    TRect bar = ScrollBarRect();
    if (bar.right <= bar.left) return bar;
    Layout l = ComputeLayout();
    bool vert = ScrollVertical();
    int track = vert ? bar.bottom - bar.top : bar.right - bar.left;
    int visible = vert ? l.area.bottom - l.area.top : l.area.right - l.area.left;
    int thumb = std::clamp(l.extent > 0 ? track * visible / l.extent : track,
                           std::min(kMinThumb, track), track);
    int max = std::max(1, l.extent - visible);
    int at = (track - thumb) * std::min(scrollPos_, max) / max;
    if (vert) return Rect(bar.left + 1, bar.top + at, bar.right - 1, bar.top + at + thumb);
    return Rect(bar.left + at, bar.top + 1, bar.left + at + thumb, bar.bottom - 1);
}

// --- painting -------------------------------------------------------------------------------

void TListView::DrawScrollBar(TCanvas* c) {
    TRect bar = ScrollBarRect();
    if (bar.right <= bar.left) return;
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(bar);
    TRect thumb = ThumbRect();
    c->Brush()->SetColor(clBtnShadow);
    c->FillRect(thumb);
}

void TListView::DrawHeader(TCanvas* c, const Layout& l) {
    if (!l.headerH) return;
    TRect content = ContentRect();
    TRect header = Rect(content.left, content.top, content.right, content.top + l.headerH);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(header);
    int x = content.left - (viewStyle_ == vsReport ? 0 : 0);
    for (int i = 0; i < columns_->Count(); ++i) {
        TListColumn* col = columns_->Items(i);
        TRect r = Rect(x, header.top, std::min<int>(x + col->Width(), header.right), header.bottom);
        if (r.right > r.left) {
            DrawPlainFrame(c, r, false);
            c->Brush()->SetStyle(bsClear);
            c->Font()->SetColor(clBtnText);
            TRect inner = Rect(r.left + 4, r.top, r.right - 4, r.bottom);
            c->TextRect(inner, r.left + 4, r.top + 3, col->Caption());
        }
        x += col->Width();
    }
}

void TListView::DrawItem(TCanvas* c, const Layout& l, TListItem* item) {
    TRect cell = CellRect(l, item->Index());
    TRect image = ImageIn(l, cell);
    if (TImageList* images = ImagesForView(); images && item->ImageIndex() >= 0)
        images->Draw(c, image.left, image.top, item->ImageIndex(), Enabled());
    bool sel = item == selected_;
    TRect label = LabelRect(item);
    if (sel && item != editing_) {
        c->Brush()->SetColor(Focused() ? clHighlight : clBtnFace);
        c->FillRect(label);
    }
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(!Enabled()         ? clGrayText
                        : sel && Focused() ? clHighlightText
                                           : clWindowText);
    int tw = c->TextWidth(item->Caption());
    int tx = viewStyle_ == vsIcon
                 ? std::max<int>(label.left + 2, (label.left + label.right - tw) / 2)
                 : label.left + 2;
    if (item != editing_) c->TextRect(label, tx, label.top + 1, item->Caption());
    if (sel && Focused() && item != editing_) {
        c->Brush()->SetStyle(bsSolid);
        c->DrawFocusRect(label);
    }
    if (viewStyle_ == vsReport) {
        c->Font()->SetColor(Enabled() ? clWindowText : clGrayText);
        c->Brush()->SetStyle(bsClear);
        int x = cell.left + (columns_->Count() > 0 ? columns_->Items(0)->Width() : cell.right);
        for (int i = 1; i < columns_->Count(); ++i) {
            TListColumn* col = columns_->Items(i);
            size_t sub = static_cast<size_t>(i - 1);
            if (sub < item->SubItems().size()) {
                const String& s = item->SubItems()[sub];
                TRect r = Rect(x + 4, cell.top, x + col->Width() - 4, cell.bottom);
                int sw = c->TextWidth(s);
                int sx = col->Alignment() == caRightJustify ? r.right - sw
                         : col->Alignment() == caCenter     ? (r.left + r.right - sw) / 2
                                                            : r.left;
                c->TextRect(r, sx, label.top + 1, s);
            }
            x += col->Width();
        }
    }
}

void TListView::Paint() {
    TCanvas* c = Canvas();
    TRect client = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(client);
    c->Brush()->SetColor(Focused() ? clHighlight : clBtnShadow);
    c->FrameRect(client);
    c->Font()->Assign(Font());
    Layout l = ComputeLayout();
    DrawHeader(c, l);
    HDC dc = c->Handle();
    {
        gdi::SavedDC saved(dc);
        IntersectClipRect(dc, l.area.left, l.area.top, l.area.right, l.area.bottom);
        for (int i = 0; i < items_->Count(); ++i) {
            TRect cell = CellRect(l, i);
            TRect shown;
            if (!IntersectRect(&shown, &cell, &l.area)) continue;
            DrawItem(c, l, items_->Item(i));
        }
    }
    // The canvas' tools were selected under the saved state; make it select them again.
    c->Refresh();
    DrawScrollBar(c);
}

// --- input ----------------------------------------------------------------------------------

void TListView::CancelPendingEdit() {
    pendingEdit_ = nullptr;
    if (HandleAllocated()) KillTimer(Handle(), kEditTimer);
}

void TListView::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    CancelPendingEdit();
    if (editing_) EndEdit(true);
    if (CanFocus() && !Focused()) SetFocus();
    if (Button == mbLeft) {
        POINT p{X, Y};
        TRect bar = ScrollBarRect();
        if (PtInRect(&bar, p)) {
            // The bar is no click on the list.
            ControlState().Exclude(csClicked);
            pressedItem_ = nullptr;
            TRect thumb = ThumbRect();
            bool vert = ScrollVertical();
            if (PtInRect(&thumb, p)) {
                thumbDrag_ = true;
                thumbGrab_ = vert ? Y - thumb.top : X - thumb.left;
            } else {
                int page = PageStep(ComputeLayout());
                bool before = vert ? Y < thumb.top : X < thumb.left;
                SetScrollPos(scrollPos_ + (before ? -page : page));
            }
        } else if (!Shift.Contains(ssDouble)) {
            TListItem* item = GetItemAt(X, Y);
            pressedItem_ = item;
            pressWasSelected_ = item && item == selected_;
            SetSelected(item);
            if (item) MakeVisible(item);
        }
    }
    inherited::MouseDown(Button, Shift, X, Y);
}

void TListView::MouseMove(TShiftState Shift, int X, int Y) {
    if (thumbDrag_) {
        TRect bar = ScrollBarRect();
        TRect thumb = ThumbRect();
        bool vert = ScrollVertical();
        int track = vert ? bar.bottom - bar.top : bar.right - bar.left;
        int thumbLen = vert ? thumb.bottom - thumb.top : thumb.right - thumb.left;
        int room = std::max(1, track - thumbLen);
        int at = (vert ? Y - bar.top : X - bar.left) - thumbGrab_;
        SetScrollPos(ScrollMax() * std::clamp(at, 0, room) / room);
    }
    inherited::MouseMove(Shift, X, Y);
}

void TListView::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        thumbDrag_ = false;
        TListItem* item = pressedItem_;
        pressedItem_ = nullptr;
        POINT p{X, Y};
        TRect label = item ? LabelRect(item) : Rect(0, 0, 0, 0);
        if (item && pressWasSelected_ && item == selected_ && !readOnly_ && PtInRect(&label, p) &&
            HandleAllocated()) {
            // Wait: a double click that follows is no request to edit.
            pendingEdit_ = item;
            SetTimer(Handle(), kEditTimer, GetDoubleClickTime(), nullptr);
        }
    }
    inherited::MouseUp(Button, Shift, X, Y);
}

void TListView::MoveSelection(Word key) {
    int n = items_->Count();
    if (n == 0) return;
    Layout l = ComputeLayout();
    int i = selected_ ? selected_->Index() : -1;
    int step = 0;
    bool rows = viewStyle_ == vsIcon || viewStyle_ == vsSmallIcon;
    int pageLines = ScrollVertical() ? std::max(1, (l.area.bottom - l.area.top) / l.cellH)
                                     : std::max(1, (l.area.right - l.area.left) / l.cellW);
    switch (key) {
    case VK_LEFT:
        step = viewStyle_ == vsReport ? 0 : rows ? -1 : -l.perLine;
        break;
    case VK_RIGHT:
        step = viewStyle_ == vsReport ? 0 : rows ? 1 : l.perLine;
        break;
    case VK_UP:
        step = rows ? -l.perLine : -1;
        break;
    case VK_DOWN:
        step = rows ? l.perLine : 1;
        break;
    case VK_PRIOR:
        step = -pageLines * (rows ? l.perLine : viewStyle_ == vsList ? l.perLine : 1);
        break;
    case VK_NEXT:
        step = pageLines * (rows ? l.perLine : viewStyle_ == vsList ? l.perLine : 1);
        break;
    case VK_HOME:
        i = 0;
        break;
    case VK_END:
        i = n - 1;
        break;
    default:
        return;
    }
    if (key != VK_HOME && key != VK_END) {
        if (i < 0)
            i = 0;
        else if (i + step >= 0 && i + step < n)
            i += step;
        else if (key == VK_PRIOR)
            i = 0;
        else if (key == VK_NEXT)
            i = n - 1;
    }
    SetSelected(items_->Item(i));
    MakeVisible(selected_);
}

void TListView::KeyDown(Word& Key, TShiftState Shift) {
    inherited::KeyDown(Key, Shift);
    switch (Key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
        CancelPendingEdit();
        MoveSelection(Key);
        Key = 0;
        break;
    case VK_F2:
        if (selected_) EditCaption(selected_);
        Key = 0;
        break;
    default:
        break;
    }
}

void TListView::Resize() {
    scrollPos_ = std::clamp(scrollPos_, 0, ScrollMax());
    PlaceEditor();
    inherited::Resize();
}

void TListView::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
    case WM_TIMER:
        if (Message.WParam == kEditTimer) {
            TListItem* item = pendingEdit_;
            CancelPendingEdit();
            if (item && item == selected_) EditCaption(item);
            return;
        }
        break;
    case WM_LBUTTONDBLCLK:
        CancelPendingEdit();
        break;
    case WM_MOUSEWHEEL: {
        int delta = static_cast<short>(HIWORD(Message.WParam));
        Layout l = ComputeLayout();
        int line = ScrollVertical() ? l.cellH : l.cellW;
        SetScrollPos(scrollPos_ - delta * 3 * line / WHEEL_DELTA / (ScrollVertical() ? 1 : 3));
        Message.Result = 0;
        return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
        ItemsChanged();
        break;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

// --- caption editing ------------------------------------------------------------------------

TDialogEdit* TListView::Editor() const {
    return editing_ ? editor_ : nullptr;
}

void TListView::PlaceEditor() {
    if (!editing_ || !editor_) return;
    TRect r = LabelRect(editing_);
    Layout l = ComputeLayout();
    // Room for typing: as wide as the cell allows, at least a little more than the text.
    int w = std::max<int>(r.right - r.left + 24, 60);
    if (viewStyle_ != vsIcon) w = std::min<int>(w, l.area.right - r.left);
    int left = viewStyle_ == vsIcon ? (r.left + r.right - w) / 2 : r.left;
    editor_->SetBounds(left, r.top - 2, std::max(w, 20), r.bottom - r.top + 4);
}

bool TListView::EditCaption(TListItem* Item) {
    if (!Item || Item->ListView() != this || readOnly_) return false;
    if (editing_ == Item) return true;
    if (editing_) EndEdit(true);
    bool allow = true;
    if (OnEditing) OnEditing(this, Item, allow);
    if (!allow || Item->ListView() != this) return false;
    if (selected_ != Item) SetSelected(Item);
    MakeVisible(Item);
    if (!editor_) {
        editor_ = CreateComponent<TDialogEdit>(this);
        editor_->FreeNotification(this);
        editor_->SetVisible(false);
        editor_->SetParent(this);
        editor_->OnKeyDown = [this](TObject*, Word& key, TShiftState) {
            if (key == VK_RETURN || key == VK_ESCAPE) {
                bool accept = key == VK_RETURN;
                key = 0;
                EndEdit(accept);
            }
        };
        editor_->OnExit = [this](TObject*) {
            if (editing_) EndEdit(true);
        };
    }
    editing_ = Item;
    editor_->SetText(Item->Caption());
    PlaceEditor();
    editor_->SetVisible(true);
    editor_->SelectAll();
    Invalidate();
    if (editor_->CanFocus()) editor_->SetFocus();
    return true;
}

void TListView::EndEdit(bool accept) {
    if (!editing_ || ending_) return;
    ending_ = true;
    TListItem* item = editing_;
    String text = editor_ ? editor_->Text() : item->Caption();
    bool hadFocus = editor_ && editor_->Focused();
    editing_ = nullptr;
    if (editor_) editor_->SetVisible(false);
    if (hadFocus && CanFocus()) SetFocus();
    Invalidate();
    ending_ = false;
    if (!accept) return;
    // The handler may remove the item; ItemRemoving then forgets it here.
    editResult_ = item;
    if (OnEdited) OnEdited(this, item, text);
    if (editResult_ == item) item->SetCaption(text);
    editResult_ = nullptr;
}

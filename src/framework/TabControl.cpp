#include "framework/TabControl.h"

#include "framework/FillSolid.h"
#include "framework/Frame3D.h"
#include "framework/TextMeasure.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"

#include <algorithm>

namespace {
constexpr TColor kBorder = 0xB4B4B4;
constexpr TColor kInactive = 0xE6E6E6;
constexpr TColor kHot = 0x707070;
constexpr int kArrow = 16;
constexpr int kFirstX = 2;
constexpr int kMinTab = 40;

void Triangle(HDC dc, const TRect& r, bool right, TColor color) {
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    int d = right ? 1 : -1;
    POINT pts[3] = {POINT{cx - d * 2, cy - 4}, POINT{cx - d * 2, cy + 4}, POINT{cx + d * 2, cy}};
    FillSolidPolygon(dc, pts, 3, color);
}
} // namespace

void TCustomTabControl::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle() =
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    tabs_.reset(CreateObject<TStringList>());
    tabs_->OnChange = [this](TObject*) { TabsChanged(); };
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
}

void TCustomTabControl::Destroy() {
    if (tabs_) tabs_->OnChange = nullptr;
    inherited::Destroy();
}

void TCustomTabControl::TabsChanged() {
    if (tabIndex_ >= TabCount()) tabIndex_ = TabCount() - 1;
    if (tabIndex_ < 0 && TabCount() > 0 && !ComponentState().Contains(csDestroying)) tabIndex_ = 0;
    firstTab_ = std::clamp(firstTab_, 0, std::max(TabCount() - 1, 0));
    Realign();
    Invalidate();
}

int TCustomTabControl::TabHeight() {
    TTextMeasure measure(Font());
    int h = 13;
    SIZE s{};
    if (measure.DC() && GetTextExtentPoint32(measure.DC(), "Wg", 2, &s)) h = s.cy;
    return h + 8;
}

int TCustomTabControl::TabWidth(int Index) {
    String text = tabs_->Get(Index);
    int w = 0;
    TTextMeasure measure(Font());
    if (measure.DC()) {
        RECT r{0, 0, 0, 0};
        DrawText(measure.DC(), text.c_str(), static_cast<int>(text.size()), &r,
                 DT_SINGLELINE | DT_CALCRECT);
        w = r.right - r.left;
    }
    return std::max(w + 16, kMinTab);
}

bool TCustomTabControl::ScrollArrowsShown() {
    int total = kFirstX;
    for (int i = 0; i < TabCount(); ++i)
        total += TabWidth(i);
    return total > ClientWidth() - 2 || firstTab_ > 0;
}

int TCustomTabControl::StripRight() {
    return ScrollArrowsShown() ? ClientWidth() - 2 * kArrow - 2 : ClientWidth();
}

TRect TCustomTabControl::ScrollArrowRect(bool right) {
    if (!ScrollArrowsShown()) return Rect(0, 0, 0, 0);
    int h = TabHeight();
    int top = std::max(0, (h - kArrow) / 2 + 1);
    int x = ClientWidth() - 2 * kArrow + (right ? kArrow : 0);
    return Bounds(x, top, kArrow, kArrow);
}

TRect TCustomTabControl::TabRect(int Index) {
    if (Index < firstTab_ || Index >= TabCount()) return Rect(0, 0, 0, 0);
    int x = kFirstX;
    for (int i = firstTab_; i < Index; ++i)
        x += TabWidth(i);
    int h = TabHeight();
    return Rect(x, 2, x + TabWidth(Index), h);
}

int TCustomTabControl::IndexOfTabAt(int X, int Y) {
    int limit = StripRight();
    for (int i = firstTab_; i < TabCount(); ++i) {
        TRect r = TabRect(i);
        if (r.left >= limit) break;
        r.right = std::min<int>(r.right, limit);
        if (i == tabIndex_) r.top = 0; // the selected tab stands up
        if (X >= r.left && X < r.right && Y >= r.top && Y < r.bottom) return i;
    }
    return -1;
}

TRect TCustomTabControl::DisplayRect() {
    TRect r = ClientRect();
    r.top = std::min<int>(r.bottom, TabHeight() + 1);
    r.left += 1;
    r.right = std::max(r.left, r.right - 1);
    r.bottom = std::max(r.top, r.bottom - 1);
    return r;
}

void TCustomTabControl::AdjustClientRect(TRect& Rect) {
    inherited::AdjustClientRect(Rect);
    Rect = DisplayRect();
}

void TCustomTabControl::SetTabIndexQuiet(int v) {
    if (v < -1 || v >= TabCount()) throw EListError("Tab index out of bounds");
    if (!AssignIfChanged(tabIndex_, v)) return;
    MakeTabVisible(v);
    Invalidate();
}

void TCustomTabControl::SetTabIndex(int v) {
    SetTabIndexQuiet(v);
}

void TCustomTabControl::SetFirstVisibleTab(int v) {
    v = std::clamp(v, 0, std::max(TabCount() - 1, 0));
    if (AssignIfChanged(firstTab_, v)) Invalidate();
}

void TCustomTabControl::MakeTabVisible(int Index) {
    if (Index < 0 || Index >= TabCount()) return;
    if (Index < firstTab_) {
        SetFirstVisibleTab(Index);
        return;
    }
    // Move on until the tab's right edge is inside the strip (or it is the first shown).
    while (firstTab_ < Index && TabRect(Index).right > StripRight())
        SetFirstVisibleTab(firstTab_ + 1);
}

bool TCustomTabControl::CanChange() {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TCustomTabControl::Change() {
    if (OnChange) OnChange(this);
}

void TCustomTabControl::SelectTabByUser(int Index) {
    if (Index < 0 || Index >= TabCount() || Index == tabIndex_) return;
    if (!CanChange()) return;
    SetTabIndexQuiet(Index);
    Change();
}

void TCustomTabControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    auto inside = [X, Y](const TRect& r) {
        return X >= r.left && X < r.right && Y >= r.top && Y < r.bottom;
    };
    if (ScrollArrowsShown()) {
        if (inside(ScrollArrowRect(false))) {
            SetFirstVisibleTab(firstTab_ - 1);
            return;
        }
        if (inside(ScrollArrowRect(true))) {
            // Only while the last tab is not yet wholly in view.
            if (TabCount() > 0 && TabRect(TabCount() - 1).right > StripRight())
                SetFirstVisibleTab(firstTab_ + 1);
            return;
        }
    }
    int hit = IndexOfTabAt(X, Y);
    if (hit < 0) return;
    if (CanFocus() && !Focused()) SetFocus();
    SelectTabByUser(hit);
}

void TCustomTabControl::KeyDown(Word& Key, TShiftState Shift) {
    inherited::KeyDown(Key, Shift);
    if (TabCount() == 0) return;
    if (Key == VK_LEFT && tabIndex_ > 0)
        SelectTabByUser(tabIndex_ - 1);
    else if (Key == VK_RIGHT && tabIndex_ < TabCount() - 1)
        SelectTabByUser(tabIndex_ + 1);
    else if (Key == VK_TAB && Shift.Contains(ssCtrl))
        SelectTabByUser(Shift.Contains(ssShift) ? (tabIndex_ + TabCount() - 1) % TabCount()
                                                : (tabIndex_ + 1) % TabCount());
    else
        return;
    Key = 0;
}

void TCustomTabControl::Paint() {
    HDC dc = Canvas()->Handle();
    TRect client = ClientRect();
    int h = TabHeight();
    TColor face = Color();
    TColor strip = Parent() ? Parent()->Color() : face;
    FillSolid(dc, Rect(0, 0, client.right, h), strip);
    // The display area: a frame whose top line the selected tab breaks.
    TRect area = Rect(0, h, client.right, client.bottom);
    FillSolid(dc, area, face);
    TRect frame = area;
    Frame3D(dc, frame, kBorder, kBorder, 1);

    {
        gdi::SavedDC saved(dc);
        SelectObject(dc, Font()->Handle());
        SetBkMode(dc, TRANSPARENT);
        int limit = StripRight();
        IntersectClipRect(dc, 0, 0, limit, client.bottom);
        for (int i = firstTab_; i < TabCount(); ++i) {
            TRect r = TabRect(i);
            if (r.left >= limit) break;
            bool selected = i == tabIndex_;
            if (selected) r.top = 0;
            TRect body = Rect(r.left, r.top, r.right, selected ? h + 1 : h);
            FillSolid(dc, body, selected ? face : kInactive);
            FillSolid(dc, Rect(r.left, r.top, r.right, r.top + 1), kBorder);
            FillSolid(dc, Rect(r.left, r.top, r.left + 1, body.bottom), kBorder);
            FillSolid(dc, Rect(r.right - 1, r.top, r.right, body.bottom), kBorder);
            if (selected) FillSolid(dc, Rect(r.left + 1, h, r.right - 1, h + 1), face);
            String text = TabStrings()->Get(i);
            SetTextColor(dc, ColorToRGB(EnabledThroughParents() ? Font()->Color() : clGrayText));
            TRect tr = Rect(r.left + 8, r.top, r.right - 4, h);
            // Text starts at the left of a tab the strip cuts, so its beginning stays readable.
            UINT align = r.right > limit ? DT_LEFT : DT_CENTER;
            if (align == DT_CENTER) tr = Rect(r.left + 2, r.top, r.right - 2, h);
            DrawText(dc, text.c_str(), static_cast<int>(text.size()), &tr,
                     align | DT_SINGLELINE | DT_VCENTER);
            if (selected && Focused()) {
                TRect fr = Rect(r.left + 3, r.top + 3, r.right - 3, h - 2);
                DrawFocusRect(dc, &fr);
            }
        }
    }
    if (ScrollArrowsShown()) {
        bool canLeft = firstTab_ > 0;
        bool canRight = TabCount() > 0 && TabRect(TabCount() - 1).right > StripRight();
        for (bool right : {false, true}) {
            TRect a = ScrollArrowRect(right);
            FillSolid(dc, a, kInactive);
            TRect f = a;
            Frame3D(dc, f, kBorder, kBorder, 1);
            Triangle(dc, a, right, (right ? canRight : canLeft) ? kHot : kBorder);
        }
    }
}

void TCustomTabControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
    case WM_ERASEBKGND:
        Message.Result = 1; // Paint covers every pixel
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    case CM_FONTCHANGED:
        Realign();
        break;
    case WM_SIZE:
        inherited::Dispatch(Message);
        if (tabIndex_ >= 0) MakeTabVisible(tabIndex_);
        Invalidate();
        return;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

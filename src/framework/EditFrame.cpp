// The edit's painting: the text area, and the non-client part (frame, border ring, scroll
// bars) with the pointer work on the bars.
#include "framework/Edit.h"

#include "framework/FillSolid.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "platform/gdi/Rect.h"
#include "platform/user/ScrollBar.h"
#include "platform/user/User.h"

#include <algorithm>

namespace {
constexpr COLORREF kFrame = RGB(138, 142, 150);
constexpr COLORREF kFrameFocused = RGB(58, 110, 185);
constexpr COLORREF kTrack = RGB(240, 240, 240);
constexpr COLORREF kThumb = RGB(193, 193, 193);
constexpr COLORREF kThumbDragged = RGB(160, 160, 160);
constexpr COLORREF kArrow = RGB(96, 96, 96);
constexpr COLORREF kArrowOff = RGB(191, 191, 191);

// A small solid triangle pointing up, down, left or right, centred in r.
void Arrow(HDC dc, const RECT& r, int dir, COLORREF c) {
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    int s = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 4);
    POINT p[3];
    switch (dir) {
    case 0:
        p[0] = {cx - s, cy + s / 2};
        p[1] = {cx + s, cy + s / 2};
        p[2] = {cx, cy - s / 2 - 1};
        break;
    case 1:
        p[0] = {cx - s, cy - s / 2};
        p[1] = {cx + s, cy - s / 2};
        p[2] = {cx, cy + s / 2 + 1};
        break;
    case 2:
        p[0] = {cx + s / 2, cy - s};
        p[1] = {cx + s / 2, cy + s};
        p[2] = {cx - s / 2 - 1, cy};
        break;
    default:
        p[0] = {cx - s / 2, cy - s};
        p[1] = {cx - s / 2, cy + s};
        p[2] = {cx + s / 2 + 1, cy};
        break;
    }
    FillSolidPolygon(dc, p, 3, TColor(c));
}

// The window's rectangle and client rectangle, both in window coordinates.
void WindowGeometry(HWND h, RECT& whole, RECT& client) {
    RECT wr;
    GetWindowRect(h, &wr);
    whole = RECT{0, 0, wr.right - wr.left, wr.bottom - wr.top};
    GetClientRect(h, &client);
    POINT o{0, 0};
    ClientToScreen(h, &o);
    OffsetRect(&client, o.x - wr.left, o.y - wr.top);
}
} // namespace

void TCustomEdit::PaintWindow(HDC dc) {
    EnsureLayout();
    TRect client = ClientRect();
    FillSolid(dc, client, ColorToRGB(Color()));
    TRect r = TextRect();
    gdi::SavedDC saved(dc); // the clip and the font go back with it
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    COLORREF textColor =
        EnabledThroughParents() ? ColorToRGB(Font()->Color()) : ColorToRGB(clGrayText);
    int lh = LineHeight();
    bool multi = MultiLine();
    int top = r.top;
    if (!multi && r.bottom - r.top > lh) top = r.top + (r.bottom - r.top - lh) / 2;
    bool focused = Focused();
    bool showSel = SelLength() > 0 && (focused || !hideSelection_);
    int selFrom = SelStart(), selTo = SelStart() + SelLength();
    int first = multi ? topLine_ : 0;
    int last =
        multi ? std::min<int>(static_cast<int>(lines_.size()), first + VisibleLines() + 1) : 1;
    std::vector<int> xs, offsets, dx;
    for (int i = first; i < last; ++i) {
        const Line& line = lines_[static_cast<size_t>(i)];
        int y = top + (i - first) * lh;
        MeasureLine(line, xs, offsets);
        String shown = DisplayText(line);
        dx.clear();
        for (size_t k = 0; k + 1 < xs.size(); ++k)
            dx.push_back(xs[k + 1] - xs[k]);
        int x0 = r.left - scrollX_;
        SetTextColor(dc, textColor);
        if (!shown.empty())
            ExtTextOut(dc, x0, y, 0, nullptr, shown.c_str(), static_cast<UINT>(shown.size()),
                       dx.data());
        if (showSel && selTo > line.start && selFrom <= line.start + line.length) {
            int a = x0, b = x0;
            for (size_t k = 0; k < offsets.size(); ++k) {
                if (offsets[k] <= selFrom) a = x0 + xs[k];
                if (offsets[k] <= selTo) b = x0 + xs[k];
            }
            if (b > a) {
                gdi::SavedDC selection(dc);
                IntersectClipRect(dc, a, y, b, y + lh);
                FillSolid(dc, RECT{a, y, b, y + lh}, ColorToRGB(focused ? clHighlight : clBtnFace));
                SetTextColor(dc, focused ? ColorToRGB(clHighlightText) : textColor);
                ExtTextOut(dc, x0, y, 0, nullptr, shown.c_str(), static_cast<UINT>(shown.size()),
                           dx.data());
            }
        }
    }
    if (focused) {
        int line = LineOfPos(caret_);
        if (!multi || (line >= first && line < last)) {
            int x = r.left - scrollX_ + XOfPos(caret_);
            int y = top + (line - first) * lh;
            FillSolid(dc, RECT{x, y, x + 1, y + lh},
                      SelLength() > 0 ? ColorToRGB(clHighlightText) : textColor);
        }
    }
}

// --- non-client --------------------------------------------------------------------------

void TCustomEdit::CalcNonClient(TMessage& Message) {
    inherited::DefaultHandler(Message);
    if (!Message.LParam) return;
    RECT* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                             : reinterpret_cast<RECT*>(Message.LParam);
    InflateRect(r, -borderWidth_, -borderWidth_);
    LONG style = HandleAllocated() ? GetWindowLong(Handle(), GWL_STYLE) : 0;
    if (style & WS_VSCROLL) r->right -= GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) r->bottom -= GetSystemMetrics(SM_CYHSCROLL);
    if (r->right < r->left) r->right = r->left;
    if (r->bottom < r->top) r->bottom = r->top;
    Message.Result = 0;
}

void TCustomEdit::PaintNonClient() {
    if (!HandleAllocated()) return;
    HWND h = Handle();
    gdi::WindowDC windowDc(h, GetWindowDC(h));
    if (!windowDc) return;
    const HDC dc = windowDc.get();
    RECT whole, client;
    WindowGeometry(h, whole, client);
    LONG style = GetWindowLong(h, GWL_STYLE);
    RECT inner = whole;
    if (style & WS_BORDER) {
        gdi::UniqueObject b(
            CreateSolidBrush(Focused() && EnabledThroughParents() ? kFrameFocused : kFrame));
        FrameRect(dc, &whole, b.get());
        InflateRect(&inner, -1, -1);
    }
    // The ring between the frame and the client area with its bars.
    RECT used = client;
    if (style & WS_VSCROLL) used.right += GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) used.bottom += GetSystemMetrics(SM_CYHSCROLL);
    COLORREF bg = ColorToRGB(Color());
    FillSolid(dc, RECT{inner.left, inner.top, inner.right, used.top}, bg);
    FillSolid(dc, RECT{inner.left, used.bottom, inner.right, inner.bottom}, bg);
    FillSolid(dc, RECT{inner.left, used.top, used.left, used.bottom}, bg);
    FillSolid(dc, RECT{used.right, used.top, inner.right, used.bottom}, bg);
    PaintBar(dc, SB_VERT, whole);
    PaintBar(dc, SB_HORZ, whole);
    if ((style & WS_VSCROLL) && (style & WS_HSCROLL))
        FillSolid(dc, RECT{client.right, client.bottom, used.right, used.bottom}, kTrack);
}

void TCustomEdit::PaintBar(HDC dc, int bar, const RECT&) {
    HWND h = Handle();
    SCROLLBARINFO info;
    if (!GetScrollBarInfo(h, bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &info)) return;
    if (info.rgstate[0] & STATE_SYSTEM_INVISIBLE) return;
    RECT wr;
    GetWindowRect(h, &wr);
    RECT r = info.rcScrollBar;
    OffsetRect(&r, -wr.left, -wr.top);
    FillSolid(dc, r, kTrack);
    bool vert = bar == SB_VERT;
    bool off = (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;
    int a = info.dxyLineButton;
    RECT first =
        vert ? RECT{r.left, r.top, r.right, r.top + a} : RECT{r.left, r.top, r.left + a, r.bottom};
    RECT second = vert ? RECT{r.left, r.bottom - a, r.right, r.bottom}
                       : RECT{r.right - a, r.top, r.right, r.bottom};
    Arrow(dc, first, vert ? 0 : 2, off ? kArrowOff : kArrow);
    Arrow(dc, second, vert ? 1 : 3, off ? kArrowOff : kArrow);
    if (off || info.xyThumbBottom <= info.xyThumbTop) return;
    RECT thumb =
        vert ? RECT{r.left + 3, r.top + info.xyThumbTop, r.right - 3, r.top + info.xyThumbBottom}
             : RECT{r.left + info.xyThumbTop, r.top + 3, r.left + info.xyThumbBottom, r.bottom - 3};
    FillSolid(dc, thumb, dragBar_ == bar ? kThumbDragged : kThumb);
}

LRESULT TCustomEdit::HitTestBars(TMessage& Message) {
    TMessage m = Message;
    inherited::DefaultHandler(m);
    if (m.Result == HTCLIENT || !HandleAllocated()) return m.Result;
    POINT p{static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(Message.LParam))),
            static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(Message.LParam)))};
    for (int bar : {SB_VERT, SB_HORZ}) {
        SCROLLBARINFO info;
        if (!GetScrollBarInfo(Handle(), bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &info))
            continue;
        if (info.rgstate[0] & STATE_SYSTEM_INVISIBLE) continue;
        if (PtInRect(&info.rcScrollBar, p)) return bar == SB_VERT ? HTVSCROLL : HTHSCROLL;
    }
    return m.Result;
}

void TCustomEdit::BarButtonDown(LRESULT hit, POINT screen) {
    int bar = hit == HTVSCROLL ? SB_VERT : SB_HORZ;
    SCROLLBARINFO info;
    if (!GetScrollBarInfo(Handle(), bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &info)) return;
    if (info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE)) return;
    bool vert = bar == SB_VERT;
    int along = vert ? screen.y - info.rcScrollBar.top : screen.x - info.rcScrollBar.left;
    int length = vert ? info.rcScrollBar.bottom - info.rcScrollBar.top
                      : info.rcScrollBar.right - info.rcScrollBar.left;
    UINT msg = vert ? WM_VSCROLL : WM_HSCROLL;
    WORD code;
    if (along < info.dxyLineButton)
        code = SB_LINEUP;
    else if (along >= length - info.dxyLineButton)
        code = SB_LINEDOWN;
    else if (along < info.xyThumbTop)
        code = SB_PAGEUP;
    else if (along >= info.xyThumbBottom)
        code = SB_PAGEDOWN;
    else {
        dragBar_ = bar;
        dragOffset_ = along - info.xyThumbTop;
        SetCapture(Handle());
        SendMessage(Handle(), WM_NCPAINT, 1, 0);
        return;
    }
    Perform(msg, code, 0);
    Perform(msg, SB_ENDSCROLL, 0);
}

int TCustomEdit::BarPosFromThumb(int bar, int thumbTop) {
    SCROLLBARINFO info;
    GetScrollBarInfo(Handle(), bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &info);
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(Handle(), bar, &si);
    bool vert = bar == SB_VERT;
    int length = vert ? info.rcScrollBar.bottom - info.rcScrollBar.top
                      : info.rcScrollBar.right - info.rcScrollBar.left;
    int track = length - 2 * info.dxyLineButton;
    int thumb = info.xyThumbBottom - info.xyThumbTop;
    long long travel = static_cast<long long>(si.nMax) - si.nMin + 1 - std::max<UINT>(si.nPage, 1);
    if (track - thumb <= 0 || travel <= 0) return si.nPos;
    long long rel = std::clamp(thumbTop - info.dxyLineButton, 0, track - thumb);
    return si.nMin + static_cast<int>((rel * travel + (track - thumb) / 2) / (track - thumb));
}

void TCustomEdit::BarDrag(POINT client) {
    POINT screen = client;
    ::ClientToScreen(Handle(), &screen);
    SCROLLBARINFO info;
    if (!GetScrollBarInfo(Handle(), dragBar_ == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &info))
        return;
    int along =
        dragBar_ == SB_VERT ? screen.y - info.rcScrollBar.top : screen.x - info.rcScrollBar.left;
    int pos = BarPosFromThumb(dragBar_, along - dragOffset_);
    Perform(dragBar_ == SB_VERT ? WM_VSCROLL : WM_HSCROLL,
            MAKEWPARAM(SB_THUMBTRACK, static_cast<WORD>(pos)), 0);
}

void TCustomEdit::BarRelease() {
    int bar = dragBar_;
    dragBar_ = -1;
    UINT msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    Perform(msg, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(GetScrollPos(Handle(), bar))), 0);
    Perform(msg, SB_ENDSCROLL, 0);
    if (HandleAllocated()) SendMessage(Handle(), WM_NCPAINT, 1, 0);
}

// What a window does with a message its procedure passes on.
#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/SysColor.h"
#include "platform/kernel/Time.h"
#include "platform/user/Icon.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Metrics.h"
#include "platform/user/Paint.h"
#include "platform/user/WindowState.h"

#include <cstring>

namespace user::detail {
namespace {

POINT pointOf(LPARAM l) {
    return POINT{static_cast<SHORT>(LOWORD(l)), static_cast<SHORT>(HIWORD(l))};
}

LRESULT hitTest(Window& w, POINT screen) {
    POINT o = ScreenOrigin(w);
    POINT p{screen.x - o.x, screen.y - o.y};
    RECT whole{0, 0, Width(w.rect), Height(w.rect)};
    if (!RectContains(whole, p)) return HTNOWHERE;
    if (RectContains(w.client, p)) return HTCLIENT;
    RECT in = FrameInsets(w);
    const int caption = CaptionHeight(w);
    const bool inCaption = caption > 0 && p.y >= in.top - caption && p.y < in.top &&
                           p.x >= in.left && p.x < whole.right - in.right;
    if (!(w.style & WS_THICKFRAME) || IsNativelyFramed(w) || w.state == ShowState::Maximized)
        return inCaption ? HTCAPTION : HTBORDER;
    in.top -= caption;
    // Corners reach a little along the edges so they are easy to grab.
    int corner = GetSystemMetrics(SM_CYCAPTION);
    bool left = p.x < in.left, right = p.x >= whole.right - in.right;
    bool top = p.y < in.top, bottom = p.y >= whole.bottom - in.bottom;
    bool nearLeft = p.x < corner, nearRight = p.x >= whole.right - corner;
    bool nearTop = p.y < corner, nearBottom = p.y >= whole.bottom - corner;
    if (top) return nearLeft ? HTTOPLEFT : nearRight ? HTTOPRIGHT : HTTOP;
    if (bottom) return nearLeft ? HTBOTTOMLEFT : nearRight ? HTBOTTOMRIGHT : HTBOTTOM;
    if (left) return nearTop ? HTTOPLEFT : nearBottom ? HTBOTTOMLEFT : HTLEFT;
    if (right) return nearTop ? HTTOPRIGHT : nearBottom ? HTBOTTOMRIGHT : HTRIGHT;
    return inCaption ? HTCAPTION : HTBORDER;
}

HBRUSH classBrush(const Window& w) {
    HBRUSH b = w.cls ? w.cls->background : 0;
    // A COLOR_ index + 1 stands for the system colour.
    if (b && b <= 31) return GetSysColorBrush(static_cast<int>(b) - 1);
    return b;
}

// A child's caption strip: the window's text on the caption colour.
void paintCaption(HDC dc, const Window& w) {
    const int caption = CaptionHeight(w);
    if (caption <= 0) return;
    const RECT in = FrameInsets(w);
    RECT strip{in.left, in.top - caption, Width(w.rect) - in.right, in.top};
    FillRect(dc, &strip, GetSysColorBrush(COLOR_ACTIVECAPTION));
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
    strip.left += 4;
    DrawText(dc, w.text.c_str(), static_cast<int>(w.text.size()), &strip,
             DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

void paintFrame(HWND hwnd, Window& w) {
    RECT in = FrameInsets(w);
    if (in.left == 0 && in.top == 0) return;
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    paintCaption(dc, w);
    in.top -= CaptionHeight(w);
    RECT r{0, 0, Width(w.rect), Height(w.rect)};
    int edge = (w.exStyle & WS_EX_CLIENTEDGE) ? GetSystemMetrics(SM_CXEDGE) : 0;
    int outer = in.left - edge;
    if (outer > 0) {
        if ((w.style & WS_BORDER) && !(w.style & (WS_THICKFRAME | WS_DLGFRAME))) {
            FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        } else {
            for (int i = 0; i < outer; ++i) {
                RECT f{r.left + i, r.top + i, r.right - i, r.bottom - i};
                FrameRect(
                    dc, &f,
                    GetSysColorBrush(i == outer - 1 || i == 0 ? COLOR_3DSHADOW : COLOR_BTNFACE));
            }
        }
    }
    if (edge > 0) {
        RECT e{outer, outer, r.right - outer, r.bottom - outer};
        FrameRect(dc, &e, GetSysColorBrush(COLOR_3DSHADOW));
        RECT e2{e.left + 1, e.top + 1, e.right - 1, e.bottom - 1};
        FrameRect(dc, &e2, GetSysColorBrush(COLOR_3DDKSHADOW));
    }
    ReleaseDC(hwnd, dc);
}

WORD sizeCursorFor(LRESULT hit) {
    switch (hit) {
    case HTLEFT:
    case HTRIGHT:
        return 32644;
    case HTTOP:
    case HTBOTTOM:
        return 32645;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
        return 32642;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
        return 32643;
    default:
        return 32512;
    }
}

void startMoveSize(HWND hwnd, LRESULT hit, POINT start) {
    WindowRef w = Find(hwnd);
    if (!w) return;
    if (w->IsChild()) {
        // Inside its parent: no desktop to ask.
        if (hit == HTCAPTION || (w->style & WS_THICKFRAME)) TrackChildMoveSize(hwnd, hit, start);
        return;
    }
    WindowRef top = TopLevelOf(w);
    if (!top || !top->native || top->state == ShowState::Maximized) return;
    if (hit != HTCAPTION && !(top->style & WS_THICKFRAME)) return;
    // The desktop takes the pointer from here.
    ReleaseCapture();
    CurrentDisplayBackend().BeginMoveSize(top->handle, hit, CurrentDisplayBackend().CursorPos());
}

} // namespace
} // namespace user::detail

using namespace user;
using namespace user::detail;

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowRef w = Find(hwnd);
    if (!w) return 0;
    switch (msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_NCCALCSIZE: {
        if (!lParam) return 0;
        RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                         : reinterpret_cast<RECT*>(lParam);
        RECT in = FrameInsets(*w);
        r->left += in.left;
        r->top += in.top;
        r->right -= in.right;
        r->bottom -= in.bottom;
        if (r->right < r->left) r->right = r->left;
        if (r->bottom < r->top) r->bottom = r->top;
        return 0;
    }
    case WM_NCHITTEST:
        return hitTest(*w, pointOf(lParam));
    case WM_NCPAINT:
        paintFrame(hwnd, *w);
        return 0;
    case WM_NCACTIVATE:
        return TRUE;
    case WM_ERASEBKGND: {
        HBRUSH b = classBrush(*w);
        if (!b || !wParam) return 0;
        RECT r{0, 0, Width(w->client), Height(w->client)};
        FillRect(reinterpret_cast<HDC>(wParam), &r, b);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_WINDOWPOSCHANGED: {
        auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
        UINT flags = wp ? wp->flags : 0;
        if (!(flags & SWP_NOMOVE)) {
            POINT origin{w->rect.left + w->client.left, w->rect.top + w->client.top};
            SendMessage(hwnd, WM_MOVE, 0,
                        MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)));
            w = Find(hwnd);
            if (!w) return 0;
        }
        if (!(flags & SWP_NOSIZE) || (flags & SWP_FRAMECHANGED)) {
            WPARAM kind = SIZE_RESTORED;
            if (!w->IsChild() && w->state == ShowState::Maximized) kind = SIZE_MAXIMIZED;
            if (!w->IsChild() && w->state == ShowState::Minimized) kind = SIZE_MINIMIZED;
            SendMessage(hwnd, WM_SIZE, kind,
                        MAKELPARAM(static_cast<WORD>(Width(w->client)),
                                   static_cast<WORD>(Height(w->client))));
        }
        return 0;
    }
    case WM_SETTEXT: {
        w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        if (w->native && IsNativelyFramed(*w))
            CurrentDisplayBackend().SetNativeDesc(hwnd, DescOf(*w));
        if (CaptionHeight(*w) > 0) RedrawWindow(hwnd, nullptr, 0, RDW_FRAME | RDW_INVALIDATE);
        return TRUE;
    }
    case WM_GETTEXT: {
        if (!lParam || wParam == 0) return 0;
        auto* out = reinterpret_cast<char*>(lParam);
        size_t n = std::min<size_t>(w->text.size(), static_cast<size_t>(wParam) - 1);
        std::memcpy(out, w->text.data(), n);
        out[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
    case WM_SETREDRAW:
        w->redrawOff = !wParam;
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_SETCURSOR: {
        // The parent has the first say, so a container can set the shape for all its children.
        if (w->IsChild() && SendMessage(w->parent, msg, wParam, lParam)) return TRUE;
        w = Find(hwnd);
        if (!w) return FALSE;
        LRESULT hit = static_cast<SHORT>(LOWORD(lParam));
        if (hit == HTCLIENT) {
            if (w->cls && w->cls->cursor) {
                SetCursor(w->cls->cursor);
                return TRUE;
            }
            return FALSE;
        }
        if (hit == HTERROR || hit == HTNOWHERE) return FALSE;
        if (w->IsChild()) return FALSE;
        SetCursor(LoadCursor(0, MAKEINTRESOURCE(sizeCursorFor(hit))));
        return TRUE;
    }
    case WM_MOUSEACTIVATE:
        if (w->IsChild()) {
            LRESULT r = SendMessage(w->parent, msg, wParam, lParam);
            if (r) return r;
        }
        return MA_ACTIVATE;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_CONTEXTMENU:
    case WM_HELP:
        // Not handled here: up to the parent.
        if (w->IsChild()) return SendMessage(w->parent, msg, wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        // An activated window without a focused child takes the focus itself.
        if (LOWORD(wParam) != WA_INACTIVE && w->state != ShowState::Minimized) {
            HWND f = GetFocus();
            if (!f || (f != hwnd && !IsChild(hwnd, f))) SetFocus(hwnd);
        }
        return 0;
    case WM_CANCELMODE:
        if (GetCapture() == hwnd) ReleaseCapture();
        return 0;
    case WM_NCLBUTTONDOWN:
        if (wParam == HTCAPTION || (wParam >= HTLEFT && wParam <= HTBOTTOMRIGHT))
            startMoveSize(hwnd, static_cast<LRESULT>(wParam), pointOf(lParam));
        return 0;
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION) {
            WindowRef top = TopLevelOf(w);
            if (top && (top->style & WS_MAXIMIZEBOX))
                SendMessage(top->handle, WM_SYSCOMMAND,
                            top->state == ShowState::Maximized ? SC_RESTORE : SC_MAXIMIZE, 0);
        }
        return 0;
    case WM_SYSCOMMAND: {
        WindowRef top = TopLevelOf(w);
        if (!top) return 0;
        HWND th = top->handle;
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            ShowWindow(th, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(th, SW_MAXIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(th, SW_RESTORE);
            break;
        case SC_CLOSE:
            if (!(top->cls && (top->cls->style & CS_NOCLOSE))) SendMessage(th, WM_CLOSE, 0, 0);
            break;
        case SC_MOVE:
            startMoveSize(th, HTCAPTION, Input().cursor);
            break;
        case SC_SIZE: {
            // The low bits say which edge: 1 left ... 8 bottom right.
            int edge = static_cast<int>(wParam & 0x0F);
            if (edge >= 1 && edge <= 8) startMoveSize(th, HTLEFT + edge - 1, Input().cursor);
            break;
        }
        default:
            break;
        }
        return 0;
    }
    case WM_SYSKEYDOWN:
        if (wParam == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000)) {
            SendMessage(hwnd, WM_CONTEXTMENU, static_cast<WPARAM>(hwnd), LPARAM{-1});
            return 0;
        }
        if (wParam == VK_F4 && (lParam & (LPARAM{1} << 29))) {
            WindowRef top = TopLevelOf(w);
            if (top) PostMessage(top->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_KEYDOWN:
        // The menu key asks for the context menu; -1 says it came from the keys.
        if (wParam == VK_APPS) {
            SendMessage(hwnd, WM_CONTEXTMENU, static_cast<WPARAM>(hwnd), LPARAM{-1});
            return 0;
        }
        if (wParam == VK_F1) {
            HELPINFO info;
            info.iCtrlId = static_cast<int>(w->id);
            info.hItemHandle = hwnd;
            info.MousePos = Input().cursor;
            SendMessage(hwnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        }
        return 0;
    case WM_SETICON: {
        HICON& slot = wParam == ICON_SMALL ? w->smallIcon : w->bigIcon;
        HICON old = slot;
        slot = static_cast<HICON>(lParam);
        // The desktop shows the big icon, the small one when there is no big one.
        if (w->native) {
            HICON shown = w->bigIcon ? w->bigIcon : w->smallIcon;
            int iw = 0, ih = 0;
            std::vector<DWORD> argb;
            if (!shown || !GetIconPixels(shown, &iw, &ih, &argb)) argb.clear();
            CurrentDisplayBackend().SetNativeIcon(hwnd, iw, ih, argb);
        }
        return static_cast<LRESULT>(old);
    }
    case WM_GETICON:
        return static_cast<LRESULT>(wParam == ICON_SMALL ? w->smallIcon : w->bigIcon);
    case WM_GETDLGCODE:
    case WM_QUERYNEWPALETTE:
        return 0;
    case WM_PRINT:
        if ((lParam & PRF_ERASEBKGND) && wParam) SendMessage(hwnd, WM_ERASEBKGND, wParam, 0);
        return 0;
    default:
        return 0;
    }
}

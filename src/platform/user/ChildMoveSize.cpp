// Moving and sizing a child window with the pointer. The desktop does this for top-level
// windows; a child lives inside its parent's client area, so the loop here runs it: it holds
// the pointer, follows it until the left button comes up, keeps the window inside the parent
// and within the size limits its WM_GETMINMAXINFO leaves, and Esc puts it back.
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Metrics.h"
#include "platform/user/WindowState.h"

#include <algorithm>

namespace user::detail {
namespace {

// A size the limits leave alone when the window sets none.
constexpr LONG kNoLimit = 0x7FFF;

MINMAXINFO ChildTrackLimits(HWND hwnd, const Window& w) {
    MINMAXINFO info;
    const RECT in = FrameInsets(w);
    // Never smaller than its own frame.
    info.ptMinTrackSize = POINT{in.left + in.right, in.top + in.bottom};
    info.ptMaxTrackSize = POINT{kNoLimit, kNoLimit};
    SendMessage(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    info.ptMaxTrackSize.x = std::max(info.ptMaxTrackSize.x, info.ptMinTrackSize.x);
    info.ptMaxTrackSize.y = std::max(info.ptMaxTrackSize.y, info.ptMinTrackSize.y);
    return info;
}

bool Moves(LRESULT hit, LRESULT a, LRESULT b, LRESULT c) {
    return hit == a || hit == b || hit == c;
}

// Where an edge dragged by delta goes while the opposite one (far) stays: the size stays within
// the limits, and the edge stops at limit, the parent's side it moves towards, unless the
// minimum size needs more room.
LONG MovedEdge(LONG edge, LONG far, int delta, LONG minSize, LONG maxSize, LONG limit) {
    const int away = edge < far ? -1 : 1;
    const LONG room = away * (limit - far);
    const LONG size = std::clamp<LONG>(away * (edge + delta - far), minSize,
                                       std::max(minSize, std::min(maxSize, room)));
    return far + away * size;
}

// Where the window goes for a pointer moved by (dx, dy) from where the drag started; area is
// the parent's client area, which the window never leaves.
RECT Track(const RECT& from, LRESULT hit, int dx, int dy, const MINMAXINFO& limits,
           const RECT& area) {
    RECT r = from;
    if (hit == HTCAPTION) {
        const int w = Width(from), h = Height(from);
        // A window wider or taller than the room keeps its left or top edge in view.
        r.left = std::max<LONG>(area.left, std::min<LONG>(from.left + dx, area.right - w));
        r.top = std::max<LONG>(area.top, std::min<LONG>(from.top + dy, area.bottom - h));
        r.right = r.left + w;
        r.bottom = r.top + h;
        return r;
    }
    if (Moves(hit, HTLEFT, HTTOPLEFT, HTBOTTOMLEFT))
        r.left = MovedEdge(from.left, from.right, dx, limits.ptMinTrackSize.x,
                           limits.ptMaxTrackSize.x, area.left);
    if (Moves(hit, HTRIGHT, HTTOPRIGHT, HTBOTTOMRIGHT))
        r.right = MovedEdge(from.right, from.left, dx, limits.ptMinTrackSize.x,
                            limits.ptMaxTrackSize.x, area.right);
    if (Moves(hit, HTTOP, HTTOPLEFT, HTTOPRIGHT))
        r.top = MovedEdge(from.top, from.bottom, dy, limits.ptMinTrackSize.y,
                          limits.ptMaxTrackSize.y, area.top);
    if (Moves(hit, HTBOTTOM, HTBOTTOMLEFT, HTBOTTOMRIGHT))
        r.bottom = MovedEdge(from.bottom, from.top, dy, limits.ptMinTrackSize.y,
                             limits.ptMaxTrackSize.y, area.bottom);
    return r;
}

void Place(HWND hwnd, const RECT& r) {
    SetWindowPos(hwnd, 0, r.left, r.top, Width(r), Height(r), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsPointerMessage(UINT msg) {
    return (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
           (msg >= WM_NCMOUSEMOVE && msg <= WM_NCMBUTTONDBLCLK);
}

bool IsKeyMessage(UINT msg) {
    return msg >= WM_KEYFIRST && msg <= WM_KEYLAST;
}

} // namespace

void TrackChildMoveSize(HWND hwnd, LRESULT hit, POINT start) {
    WindowRef w = Find(hwnd);
    if (!w || !w->IsChild() || !IsWindow(w->parent)) return;
    const HWND parent = w->parent;
    const RECT from = w->rect;
    const MINMAXINFO limits = ChildTrackLimits(hwnd, *w);
    RECT area;
    GetClientRect(parent, &area);

    SendMessage(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    if (!IsWindow(hwnd)) return;
    SetCapture(hwnd);
    bool done = false;
    while (!done && IsWindow(hwnd) && GetCapture() == hwnd) {
        MSG msg;
        if (!PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
            WaitMessage();
            continue;
        }
        switch (msg.message) {
        case WM_QUIT:
            PostQuitMessage(static_cast<int>(msg.wParam)); // the outer loop must see it too
            done = true;
            break;
        case WM_MOUSEMOVE:
            Place(hwnd, Track(from, hit, msg.pt.x - start.x, msg.pt.y - start.y, limits, area));
            break;
        case WM_LBUTTONUP:
            done = true;
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (msg.wParam == VK_ESCAPE) {
                Place(hwnd, from);
                done = true;
            } else if (msg.wParam == VK_RETURN) {
                done = true;
            }
            break;
        default:
            // The pointer and the keys belong to the drag; everything else goes on.
            if (IsPointerMessage(msg.message) || IsKeyMessage(msg.message)) break;
            TranslateMessage(&msg);
            DispatchMessage(&msg);
            break;
        }
    }
    if (GetCapture() == hwnd) ReleaseCapture();
    if (IsWindow(hwnd)) SendMessage(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

} // namespace user::detail

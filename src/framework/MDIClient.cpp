#include "framework/MDIClient.h"

#include "platform/gdi/SysColor.h"
#include "platform/user/User.h"

#include <algorithm>
#include <unordered_map>

namespace {

struct ChildState {
    TWindowState state = wsNormal;
    RECT normal{};          // where a restored child goes back to, in client coordinates
    unsigned iconOrder = 0; // minimised children line up in the order they were minimised
};

struct ClientState {
    HWND active = 0;
    bool dying = false;
    unsigned nextIcon = 0;
    std::unordered_map<HWND, ChildState> children;
};

std::unordered_map<HWND, ClientState>& Clients() {
    static std::unordered_map<HWND, ClientState> clients;
    return clients;
}

ClientState* FindClient(HWND client) {
    auto it = Clients().find(client);
    return it == Clients().end() ? nullptr : &it->second;
}

bool IsMDIChildOf(HWND client, HWND child) {
    return child && IsWindow(child) && GetParent(child) == client &&
           (GetWindowLong(child, GWL_EXSTYLE) & LONG(WS_EX_MDICHILD));
}

ChildState* StateOf(HWND client, HWND child) {
    ClientState* cs = FindClient(client);
    if (!cs || !IsMDIChildOf(client, child)) return nullptr;
    return &cs->children[child];
}

bool Shown(HWND child) {
    return (GetWindowLong(child, GWL_STYLE) & LONG(WS_VISIBLE)) != 0;
}

RECT RectInClient(HWND client, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    POINT p{r.left, r.top};
    ScreenToClient(client, &p);
    return RECT{p.x, p.y, p.x + (r.right - r.left), p.y + (r.bottom - r.top)};
}

void Place(HWND child, const RECT& r) {
    SetWindowPos(child, 0, r.left, r.top, std::max(0, int(r.right - r.left)),
                 std::max(0, int(r.bottom - r.top)), SWP_NOZORDER | SWP_NOACTIVATE);
}

// A maximised child's client area covers the whole client; its frame lies outside.
RECT MaximizedRect(HWND client, HWND child) {
    RECT area;
    GetClientRect(client, &area);
    RECT wr, cr;
    GetWindowRect(child, &wr);
    GetClientRect(child, &cr);
    POINT o{0, 0};
    ClientToScreen(child, &o);
    const int left = o.x - wr.left, top = o.y - wr.top;
    const int right = (wr.right - wr.left) - left - cr.right;
    const int bottom = (wr.bottom - wr.top) - top - cr.bottom;
    return RECT{area.left - left, area.top - top, area.right + right, area.bottom + bottom};
}

std::vector<HWND> ShownChildren(HWND client, bool skipMinimized, bool skipDisabled) {
    std::vector<HWND> out;
    for (HWND h : MDIChildWindows(client)) {
        if (!Shown(h)) continue;
        if (skipDisabled && !IsWindowEnabled(h)) continue;
        if (skipMinimized && MDIChildWindowState(h) == wsMinimized) continue;
        out.push_back(h);
    }
    return out;
}

void Activate(HWND client, HWND child);
void Restore(HWND client, HWND child);

// How many rows the minimised children's strip takes.
int IconRows(HWND client) {
    ClientState* cs = FindClient(client);
    if (!cs) return 0;
    int count = 0;
    for (auto& [h, s] : cs->children)
        if (s.state == wsMinimized && IsMDIChildOf(client, h)) ++count;
    if (count == 0) return 0;
    RECT area;
    GetClientRect(client, &area);
    const int perRow = std::max(1, int(area.right - area.left) / kMDIIconWidth);
    return (count + perRow - 1) / perRow;
}

void ArrangeIcons(HWND client) {
    ClientState* cs = FindClient(client);
    if (!cs) return;
    std::erase_if(cs->children, [](const auto& entry) { return !IsWindow(entry.first); });
    std::vector<std::pair<unsigned, HWND>> icons;
    for (auto& [h, s] : cs->children)
        if (s.state == wsMinimized && IsMDIChildOf(client, h)) icons.push_back({s.iconOrder, h});
    std::sort(icons.begin(), icons.end());
    RECT area;
    GetClientRect(client, &area);
    const int perRow = std::max(1, int(area.right - area.left) / kMDIIconWidth);
    for (size_t i = 0; i < icons.size(); ++i) {
        const int col = int(i) % perRow, row = int(i) / perRow;
        const int x = area.left + col * kMDIIconWidth;
        const int y = area.bottom - (row + 1) * kMDIIconHeight;
        Place(icons[i].second, RECT{x, y, x + kMDIIconWidth, y + kMDIIconHeight});
    }
}

void Maximize(HWND client, HWND child) {
    ChildState* s = StateOf(client, child);
    if (!s) return;
    if (s->state == wsMaximized) {
        Activate(client, child);
        return;
    }
    // One child at a time is maximised.
    for (HWND other : MDIChildWindows(client))
        if (other != child && MDIChildWindowState(other) == wsMaximized) Restore(client, other);
    s = StateOf(client, child);
    if (!s) return;
    if (s->state == wsNormal) s->normal = RectInClient(client, child);
    s->state = wsMaximized;
    Activate(client, child);
    if (!IsMDIChildOf(client, child)) return;
    SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Place(child, MaximizedRect(client, child));
    ArrangeIcons(client);
}

void Restore(HWND client, HWND child) {
    ChildState* s = StateOf(client, child);
    if (!s || s->state == wsNormal) return;
    s->state = wsNormal;
    const RECT normal = s->normal;
    Place(child, normal);
    ArrangeIcons(client);
}

void Minimize(HWND client, HWND child) {
    ChildState* s = StateOf(client, child);
    if (!s || s->state == wsMinimized) return;
    if (s->state == wsNormal) s->normal = RectInClient(client, child);
    s->state = wsMinimized;
    ClientState* cs = FindClient(client);
    s->iconOrder = cs->nextIcon++;
    ArrangeIcons(client);
    // The next child that is not minimised takes over.
    cs = FindClient(client);
    if (cs && cs->active == child)
        for (HWND h : ShownChildren(client, true, false)) {
            Activate(client, h);
            break;
        }
}

void Activate(HWND client, HWND child) {
    ClientState* cs = FindClient(client);
    if (!cs || !IsMDIChildOf(client, child)) return;
    const HWND old = cs->active;
    SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (old == child) return;
    cs->active = child;
    // While one child is maximised, the child that comes to the front is maximised instead.
    if (old && MDIChildWindowState(old) == wsMaximized &&
        MDIChildWindowState(child) != wsMinimized) {
        Restore(client, old);
        Maximize(client, child);
    }
    if (old && IsWindow(old))
        SendMessage(old, WM_MDIACTIVATE, static_cast<WPARAM>(old), static_cast<LPARAM>(child));
    if (!IsWindow(child)) return;
    SendMessage(child, WM_MDIACTIVATE, static_cast<WPARAM>(old), static_cast<LPARAM>(child));
    cs = FindClient(client);
    if (!cs || cs->active != child || !IsWindow(child)) return;
    // The keyboard follows when the frame is the active window.
    if (GetActiveWindow() == GetAncestor(client, GA_ROOT)) {
        HWND focus = GetFocus();
        if (!focus || (focus != child && !IsChild(child, focus))) SetFocus(child);
    }
}

// Drops what the client knew of a child; true when it was the active one.
bool Forget(HWND client, HWND child) {
    ClientState* cs = FindClient(client);
    if (!cs) return false;
    cs->children.erase(child);
    if (cs->active != child) return false;
    cs->active = 0;
    return true;
}

// After the active child went: the next one comes to the front, maximised when it was.
void ActivateAfter(HWND client, bool wasMaximized) {
    ClientState* cs = FindClient(client);
    if (!cs || cs->dying || cs->active) return;
    for (HWND h : ShownChildren(client, false, false)) {
        if (wasMaximized && MDIChildWindowState(h) != wsMinimized)
            Maximize(client, h);
        else
            Activate(client, h);
        return;
    }
}

// What tiling and cascading lay out: every maximised child restored first, then the shown
// children front first, placed in the client's room above the minimised ones.
std::vector<HWND> ChildrenToArrange(HWND client, WPARAM how, RECT& area) {
    for (HWND h : MDIChildWindows(client))
        if (MDIChildWindowState(h) == wsMaximized) Restore(client, h);
    GetClientRect(client, &area);
    area.bottom -= IconRows(client) * kMDIIconHeight;
    return ShownChildren(client, true, (how & MDITILE_SKIPDISABLED) != 0);
}

void Tile(HWND client, WPARAM how) {
    RECT area;
    const std::vector<HWND> list = ChildrenToArrange(client, how, area);
    if (list.empty()) return;
    const int n = static_cast<int>(list.size());
    const int w = area.right - area.left, h = area.bottom - area.top;
    // The front child takes the first strip, left or top.
    for (int i = 0; i < n; ++i) {
        RECT r = area;
        if (how & MDITILE_HORIZONTAL) {
            r.top = area.top + i * h / n;
            r.bottom = area.top + (i + 1) * h / n;
        } else {
            r.left = area.left + i * w / n;
            r.right = area.left + (i + 1) * w / n;
        }
        Place(list[size_t(i)], r);
    }
}

void Cascade(HWND client, WPARAM how) {
    RECT area;
    const std::vector<HWND> list = ChildrenToArrange(client, how, area);
    if (list.empty()) return;
    const int cw = area.right - area.left, ch = area.bottom - area.top;
    const int w = std::max(1, cw * 3 / 4), h = std::max(1, ch * 3 / 4);
    // Steps that keep a child wholly inside; past them the stack starts again at the corner.
    const int steps =
        1 + std::max(0, std::min((cw - w) / kMDICascadeStep, (ch - h) / kMDICascadeStep));
    // The child at the back sits at the corner, the front one furthest in.
    int k = 0;
    for (auto it = list.rbegin(); it != list.rend(); ++it, ++k) {
        const int at = (k % steps) * kMDICascadeStep;
        Place(*it, RECT{area.left + at, area.top + at, area.left + at + w, area.top + at + h});
    }
}

void Next(HWND client, HWND child, bool previous) {
    const std::vector<HWND> list = ShownChildren(client, false, false);
    ClientState* cs = FindClient(client);
    if (!cs || list.size() < 2) return;
    const HWND current = child ? child : cs->active;
    if (previous) {
        Activate(client, list.back());
        return;
    }
    auto it = std::find(list.begin(), list.end(), current);
    const HWND target = (it == list.end() || it + 1 == list.end()) ? list.front() : *(it + 1);
    Activate(client, target);
    if (current && current != target && IsWindow(current))
        SetWindowPos(current, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void EnsureClientClass() {
    WNDCLASS wc;
    if (GetClassInfo(0, kMDIClientClassName, &wc)) return;
    wc = WNDCLASS{};
    wc.lpfnWndProc = &MDIClientWndProc;
    wc.hCursor = LoadCursor(0, IDC_ARROW);
    wc.hbrBackground =
        reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_APPWORKSPACE + 1));
    wc.lpszClassName = kMDIClientClassName;
    RegisterClass(&wc);
}

} // namespace

HWND CreateMDIClientWindow(HWND frame, const RECT& rect) {
    EnsureClientClass();
    return CreateWindowEx(
        0, kMDIClientClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
        rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, frame, 0, 0, nullptr);
}

std::vector<HWND> MDIChildWindows(HWND client) {
    std::vector<HWND> out;
    for (HWND h = GetWindow(client, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (GetWindowLong(h, GWL_EXSTYLE) & LONG(WS_EX_MDICHILD)) out.push_back(h);
    return out;
}

TWindowState MDIChildWindowState(HWND child) {
    ClientState* cs = child ? FindClient(GetParent(child)) : nullptr;
    if (!cs) return wsNormal;
    auto it = cs->children.find(child);
    return it == cs->children.end() ? wsNormal : it->second.state;
}

LRESULT MDIClientWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const HWND child = static_cast<HWND>(wParam);
    switch (msg) {
    case WM_NCCREATE:
        Clients()[hwnd] = ClientState{};
        break;
    case WM_DESTROY:
        if (ClientState* cs = FindClient(hwnd)) cs->dying = true;
        break;
    case WM_NCDESTROY:
        Clients().erase(hwnd);
        break;
    case WM_MDIACTIVATE:
        Activate(hwnd, child);
        return 0;
    case WM_MDIGETACTIVE: {
        ClientState* cs = FindClient(hwnd);
        const HWND active = cs && IsWindow(cs->active) ? cs->active : 0;
        if (auto* maximized = reinterpret_cast<BOOL*>(lParam))
            *maximized = active && MDIChildWindowState(active) == wsMaximized;
        return static_cast<LRESULT>(active);
    }
    case WM_MDIMAXIMIZE:
        Maximize(hwnd, child);
        return 0;
    case WM_MDIRESTORE:
        Restore(hwnd, child);
        return 0;
    case CM_MDIMINIMIZE:
        Minimize(hwnd, child);
        return 0;
    case WM_MDINEXT:
        Next(hwnd, child, lParam != 0);
        return 0;
    case CM_MDICHILDHIDDEN:
        if (ClientState* cs = FindClient(hwnd); cs && cs->active == child && child) {
            const bool wasMaximized = MDIChildWindowState(child) == wsMaximized;
            Restore(hwnd, child);
            cs = FindClient(hwnd);
            if (cs && cs->active == child) {
                cs->active = 0;
                ActivateAfter(hwnd, wasMaximized);
            }
        }
        return 0;
    case WM_MDITILE:
        Tile(hwnd, wParam);
        return TRUE;
    case WM_MDICASCADE:
        Cascade(hwnd, wParam);
        return TRUE;
    case WM_MDIICONARRANGE:
        ArrangeIcons(hwnd);
        return 0;
    case WM_MDIREFRESHMENU:
        return 0;
    case WM_MDIDESTROY:
        if (IsMDIChildOf(hwnd, child)) {
            // The next child comes to the front only once this one is gone: the focus must
            // not move through a window that is being taken apart.
            // Its state stays known while it is taken apart (a maximised child may be
            // restored on its way out).
            const bool wasMaximized = MDIChildWindowState(child) == wsMaximized;
            ClientState* cs = FindClient(hwnd);
            const bool wasActive = cs && cs->active == child;
            DestroyWindow(child);
            if (Forget(hwnd, child) || wasActive) ActivateAfter(hwnd, wasMaximized);
        }
        return 0;
    case WM_PARENTNOTIFY:
        // A child going: it is the active one no more; what else is known of it goes with
        // the next arrangement.
        if (LOWORD(wParam) == WM_DESTROY)
            if (ClientState* cs = FindClient(hwnd); cs && cs->active == static_cast<HWND>(lParam))
                cs->active = 0;
        break;
    case WM_SIZE:
        if (ClientState* cs = FindClient(hwnd)) {
            for (auto& [h, s] : cs->children)
                if (s.state == wsMaximized && IsMDIChildOf(hwnd, h)) {
                    Place(h, MaximizedRect(hwnd, h));
                    break;
                }
            ArrangeIcons(hwnd);
        }
        break;
    default:
        break;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

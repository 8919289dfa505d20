#include "platform/media/PlayerMenu.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/Input.h"
#include "platform/user/Metrics.h"
#include "platform/user/Paint.h"
#include "platform/user/Window.h"

#include <algorithm>

namespace media {

namespace {

constexpr const char* kMenuClass = "KorvidPlayerMenu";
constexpr int kBorder = 1;
constexpr int kCheckColumn = 18; // room for the mark of the current choice
constexpr int kTextPadding = 14; // after the text
constexpr int kItemPadding = 3;  // above and below the text
constexpr int kSeparatorHeight = 7;
constexpr int kMinWidth = 100;

bool IsSeparator(const MenuItem& item) {
    return item.text.empty();
}

LRESULT MenuProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCT*>(lParam);
        SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* menu = reinterpret_cast<PopupMenu*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
    return menu ? menu->Proc(hwnd, msg, wParam, lParam) : DefWindowProc(hwnd, msg, wParam, lParam);
}

void RegisterOnce() {
    static const bool done = [] {
        WNDCLASS wc;
        wc.lpfnWndProc = MenuProc;
        wc.lpszClassName = kMenuClass;
        RegisterClass(&wc);
        return true;
    }();
    (void)done;
}

void Fill(HDC dc, const RECT& r, int sysColour) {
    FillRect(dc, &r, GetSysColorBrush(sysColour));
}

} // namespace

PopupMenu::~PopupMenu() {
    chosen_ = nullptr;
    Close();
}

bool PopupMenu::Open(HWND owner, POINT screen, std::vector<MenuItem> items, ChooseHandler chosen) {
    Close();
    if (items.empty()) return false;
    RegisterOnce();
    items_ = std::move(items);
    chosen_ = std::move(chosen);
    highlighted_ = -1;
    HDC measure = GetDC(0);
    Measure(measure);
    ReleaseDC(0, measure);
    const int width = width_ + 2 * kBorder;
    const int height = tops_.back() + kBorder;
    // Kept on the screen: moved left and up when it would run off the right or bottom.
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    const int x = std::max(0, std::min<int>(screen.x, sw - width));
    const int y = std::max(0, std::min<int>(screen.y, sh - height));
    HWND top = owner ? GetAncestor(owner, GA_ROOT) : 0;
    window_ = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMenuClass, "",
                             WS_POPUP | WS_VISIBLE, x, y, width, height, top, 0, 0, this);
    if (!window_) return false;
    SetCapture(window_);
    return true;
}

void PopupMenu::Close() {
    if (!window_ || closing_) return;
    closing_ = true;
    HWND old = window_;
    if (GetCapture() == old) ReleaseCapture();
    DestroyWindow(old);
    window_ = 0;
    closing_ = false;
}

RECT PopupMenu::ItemRect(int index) const {
    if (index < 0 || index + 1 >= static_cast<int>(tops_.size())) return {};
    return RECT{kBorder, tops_[index], kBorder + width_, tops_[index + 1]};
}

bool PopupMenu::Selectable(int index) const {
    return index >= 0 && index < static_cast<int>(items_.size()) && !IsSeparator(items_[index]) &&
           items_[index].enabled;
}

int PopupMenu::ItemAt(POINT p) const {
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        const RECT r = ItemRect(i);
        if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) return i;
    }
    return -1;
}

void PopupMenu::SetHighlight(int index) {
    if (index == highlighted_) return;
    highlighted_ = index;
    if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void PopupMenu::Choose(int index) {
    // Disabled items and separators never act.
    if (!Selectable(index)) return;
    const int command = items_[index].command;
    ChooseHandler chosen = std::move(chosen_);
    chosen_ = nullptr;
    Close();
    if (chosen) chosen(command); // may destroy this menu
}

bool PopupMenu::HandleKey(int vk) {
    if (!window_) return false;
    const int count = static_cast<int>(items_.size());
    switch (vk) {
    case VK_UP:
    case VK_DOWN: {
        const int step = vk == VK_DOWN ? 1 : count - 1;
        int i = highlighted_ < 0 ? (vk == VK_DOWN ? count - 1 : 0) : highlighted_;
        for (int n = 0; n < count; ++n) {
            i = (i + step) % count;
            if (Selectable(i)) {
                SetHighlight(i);
                break;
            }
        }
        return true;
    }
    case VK_RETURN:
        Choose(highlighted_);
        return true;
    case VK_ESCAPE:
        Close();
        return true;
    default:
        return false;
    }
}

void PopupMenu::Measure(HDC dc) {
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    const int itemHeight = static_cast<int>(tm.tmHeight) + 2 * kItemPadding;
    int textWidth = 0;
    tops_.assign(1, kBorder);
    for (const MenuItem& item : items_) {
        if (!IsSeparator(item)) {
            SIZE size;
            GetTextExtentPoint32(dc, item.text.c_str(), static_cast<int>(item.text.size()), &size);
            textWidth = std::max<int>(textWidth, size.cx);
        }
        tops_.push_back(tops_.back() + (IsSeparator(item) ? kSeparatorHeight : itemHeight));
    }
    width_ = std::max(kMinWidth, kCheckColumn + textWidth + kTextPadding);
    SelectObject(dc, oldFont);
}

void PopupMenu::Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    Fill(dc, client, COLOR_MENU);
    FrameRect(dc, &client, GetSysColorBrush(COLOR_3DSHADOW));
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        const MenuItem& item = items_[i];
        const RECT r = ItemRect(i);
        if (IsSeparator(item)) {
            const int mid = (r.top + r.bottom) / 2;
            Fill(dc, RECT{r.left + 3, mid, r.right - 3, mid + 1}, COLOR_3DSHADOW);
            continue;
        }
        const bool lit = i == highlighted_;
        if (lit) Fill(dc, r, COLOR_HIGHLIGHT);
        const int ink = !item.enabled ? COLOR_GRAYTEXT : lit ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT;
        if (item.checked) {
            const int cx = r.left + kCheckColumn / 2;
            const int cy = (r.top + r.bottom) / 2;
            Fill(dc, RECT{cx - 3, cy - 3, cx + 3, cy + 3}, ink);
        }
        SetTextColor(dc, GetSysColor(ink));
        RECT text{r.left + kCheckColumn, r.top, r.right, r.bottom};
        DrawText(dc, item.text.c_str(), static_cast<int>(item.text.size()), &text,
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

LRESULT PopupMenu::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        SetHighlight(Selectable(ItemAt(p)) ? ItemAt(p) : -1);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        // The pointer is held, so a press anywhere comes here; outside it closes.
        if (ItemAt(p) < 0) {
            RECT client;
            GetClientRect(hwnd, &client);
            if (p.x < 0 || p.y < 0 || p.x >= client.right || p.y >= client.bottom) Close();
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        Choose(ItemAt(p)); // may destroy this menu
        return 0;
    case WM_CAPTURECHANGED:
        // Something else took the pointer: the menu gives up.
        if (!closing_ && static_cast<HWND>(lParam) != hwnd) Close();
        return 0;
    case WM_NCDESTROY:
        if (window_ == hwnd) window_ = 0;
        break;
    default:
        break;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

} // namespace media

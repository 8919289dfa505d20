#include "framework/MenuPopup.h"

#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/ImageList.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Owned.h"
#include "platform/user/User.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>
#include <memory>

namespace {

constexpr int kFrame = 2;        // border of a level window: a dark line and a light one
constexpr int kCheckColumn = 26; // check marks and images sit left of the captions
constexpr int kArrowColumn = 20; // room for a sub-menu arrow at the right
constexpr char kClassName[] = "TMenuPopupWindow";

struct Row {
    TMenuItem* item;
    int top;
    int height;
};

struct Level {
    TMenuItem* parent = nullptr;
    HWND wnd = 0;
    std::vector<Row> rows;
    int selected = -1;
    TRect bounds{0, 0, 0, 0}; // screen coordinates
};

bool Selectable(const Row& r) {
    return !r.item->IsLine();
}
bool HasSubItems(const TMenuItem* item) {
    for (int i = 0; i < item->Count(); ++i)
        if (item->Items(i)->Visible()) return true;
    return false;
}

void ResetCanvas(TCanvas* c) {
    ObjectPtr<TFont> plain = MakeObject<TFont>();
    plain->SetColor(clMenuText);
    c->SetFont(plain.get());
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clMenu);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetColor(clMenuText);
    c->Pen()->SetWidth(1);
}

LRESULT LevelWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

void RegisterLevelClass() {
    static bool done = false;
    WNDCLASS wc;
    if (done && GetClassInfo(0, kClassName, &wc)) return;
    wc = WNDCLASS{};
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = &LevelWndProc;
    wc.hCursor = LoadCursor(0, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClass(&wc);
    done = true;
}

void PaintLevel(HWND hwnd, const Level& level) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    ScopeGuard endPaint([&] { EndPaint(hwnd, &ps); });
    ObjectPtr<TCanvas> canvas = MakeObject<TCanvas>();
    canvas->SetHandle(dc);
    ScopeGuard release([&] { canvas->SetHandle(0); });
    RECT client;
    GetClientRect(hwnd, &client);
    ResetCanvas(canvas.get());
    canvas->FillRect(client);
    canvas->Brush()->SetColor(clBtnShadow);
    canvas->FrameRect(client);
    int width = client.right;
    for (int i = 0; i < int(level.rows.size()); ++i) {
        const Row& r = level.rows[size_t(i)];
        TRect rect = Rect(kFrame, r.top, width - kFrame, r.top + r.height);
        ResetCanvas(canvas.get());
        // Each item draws with its own clip so a handler cannot spill into its neighbours.
        {
            gdi::SavedDC saved(dc);
            IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
            r.item->DrawItem(canvas.get(), rect, i == level.selected);
            canvas->SetHandle(0);
        }
        canvas->SetHandle(dc);
        if (HasSubItems(r.item)) {
            // The arrow is ours even for owner-drawn items: it tells there is more.
            int cy = rect.top + r.height / 2;
            int x = rect.right - 10;
            bool on = i == level.selected && r.item->Enabled() && !r.item->OnDrawItem;
            TColor c = !r.item->Enabled() ? clGrayText : on ? clHighlightText : clMenuText;
            canvas->Brush()->SetColor(c);
            canvas->Pen()->SetColor(c);
            canvas->Polygon({Point(x, cy - 4), Point(x + 4, cy), Point(x, cy + 4)});
        }
    }
}

LRESULT LevelWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* level = reinterpret_cast<Level*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        if (level) {
            try {
                PaintLevel(hwnd, *level);
            } catch (...) {
                // A window procedure: an exception must not leave into the message loop.
                HandleControlException(nullptr);
            }
            return 0;
        }
        break;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        break;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

bool tracking = false;

class Tracker {
public:
    explicit Tracker(const MenuTrackRequest& request) : request_(request) {}
    ~Tracker() { CloseFrom(0); }

    MenuTrackResult Run() {
        RegisterLevelClass();
        if (!Open(request_.Parent, request_.At, request_.Anchor, nullptr)) return {};
        if (request_.SelectFirst) Select(*levels_.back(), Step(*levels_.back(), -1, 1));
        while (!done_) {
            MSG msg;
            if (!PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
                if (Application && Application->Terminated()) break;
                WaitMessage();
                continue;
            }
            if (msg.message == WM_QUIT) {
                PostQuitMessage(int(msg.wParam)); // the outer loop must see it too
                break;
            }
            Handle(msg);
            if (!done_ && (levels_.empty() || GetCapture() != levels_.back()->wnd)) {
                // Someone took the pointer away (a dialog, a disabled window): give up.
                break;
            }
        }
        CloseFrom(0);
        return result_;
    }

private:
    bool Open(TMenuItem* parent, TPoint at, TRect anchor, const Level* from) {
        auto level = std::make_unique<Level>();
        level->parent = parent;
        int width = 0, y = kFrame;
        {
            gdi::MemoryDC dc;
            ObjectPtr<TCanvas> canvas = MakeObject<TCanvas>();
            canvas->SetHandle(dc.get());
            ScopeGuard release([&] { canvas->SetHandle(0); });
            for (int i = 0; i < parent->Count(); ++i) {
                TMenuItem* item = parent->Items(i);
                if (!item->Visible()) continue;
                ResetCanvas(canvas.get());
                int w = 0, h = 0;
                item->DefaultMeasureItem(canvas.get(), w, h);
                item->MeasureItem(canvas.get(), w, h);
                h = std::max(h, 1);
                level->rows.push_back(Row{item, y, h});
                y += h;
                width = std::max(width, w);
            }
        }
        if (level->rows.empty()) return false;
        int W = width + 2 * kFrame, H = y + kFrame;
        int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
        int x = at.x, top = at.y;
        if (x + W > sw) x = from ? from->bounds.left - W + kFrame : sw - W;
        if (top + H > sh) {
            if (from)
                top = sh - H;
            else if (anchor.bottom > anchor.top)
                top = anchor.top - H;
            else
                top = at.y - H;
        }
        x = std::max(0, x);
        top = std::max(0, top);
        level->bounds = Bounds(x, top, W, H);
        level->wnd = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, "", WS_POPUP, x,
                                    top, W, H, 0, 0, 0, nullptr);
        if (!level->wnd) return false;
        SetWindowLongPtr(level->wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(level.get()));
        ShowWindow(level->wnd, SW_SHOWNOACTIVATE);
        UpdateWindow(level->wnd);
        SetCapture(level->wnd);
        levels_.push_back(std::move(level));
        return true;
    }

    void CloseFrom(size_t index) {
        bool any = index < levels_.size();
        while (levels_.size() > index) {
            HWND w = levels_.back()->wnd;
            SetWindowLongPtr(w, GWLP_USERDATA, 0);
            levels_.pop_back();
            DestroyWindow(w);
        }
        if (!any) return;
        if (!levels_.empty())
            SetCapture(levels_.back()->wnd);
        else if (GetCapture())
            ReleaseCapture();
    }

    void Redraw(Level& level, int row) {
        if (row < 0 || row >= int(level.rows.size())) return;
        RECT r{0, level.rows[size_t(row)].top, level.bounds.right - level.bounds.left,
               level.rows[size_t(row)].top + level.rows[size_t(row)].height};
        InvalidateRect(level.wnd, &r, FALSE);
    }

    void Select(Level& level, int row) {
        if (level.selected == row) return;
        Redraw(level, level.selected);
        level.selected = row;
        Redraw(level, row);
        UpdateWindow(level.wnd);
    }

    // The next selectable row from `from` in direction dir, wrapping; -1 when none.
    static int Step(const Level& level, int from, int dir) {
        int n = int(level.rows.size());
        int at = from;
        for (int i = 0; i < n; ++i) {
            at = (at + dir + n) % n;
            if (at < 0) at = n - 1;
            if (Selectable(level.rows[size_t(at)])) return at;
        }
        return -1;
    }

    size_t IndexOf(const Level* l) const {
        for (size_t i = 0; i < levels_.size(); ++i)
            if (levels_[i].get() == l) return i;
        return levels_.size();
    }

    // Opens the selected row's sub-menu (closing deeper levels first).
    void OpenSub(size_t li, bool selectFirst) {
        Level& level = *levels_[li];
        CloseFrom(li + 1);
        if (level.selected < 0) return;
        const Row& r = level.rows[size_t(level.selected)];
        if (!r.item->Enabled() || !HasSubItems(r.item)) return;
        TPoint at = Point(level.bounds.right - kFrame, level.bounds.top + r.top - kFrame);
        if (Open(r.item, at, TRect{0, 0, 0, 0}, &level) && selectFirst)
            Select(*levels_.back(), Step(*levels_.back(), -1, 1));
    }

    void Choose(TMenuItem* item) {
        if (!item->Enabled()) return; // a disabled item never runs
        if (HasSubItems(item)) return;
        result_ = MenuTrackResult{MenuTrackEnd::Chosen, item};
        done_ = true;
    }

    void Cancel(MenuTrackEnd end = MenuTrackEnd::Cancelled) {
        result_ = MenuTrackResult{end, nullptr};
        done_ = true;
    }

    // The level and row under a screen point.
    Level* Hit(TPoint p, int& row) {
        row = -1;
        for (size_t i = levels_.size(); i-- > 0;) {
            Level& l = *levels_[i];
            if (!PtInRect(&l.bounds, p)) continue;
            int y = p.y - l.bounds.top;
            for (size_t k = 0; k < l.rows.size(); ++k)
                if (y >= l.rows[k].top && y < l.rows[k].top + l.rows[k].height) row = int(k);
            return &l;
        }
        return nullptr;
    }

    void Handle(const MSG& msg) {
        switch (msg.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            Key(int(msg.wParam));
            return;
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_CHAR:
        case WM_SYSCHAR:
            return; // the menu has the keyboard while it is open
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            POINT p{short(LOWORD(msg.lParam)), short(HIWORD(msg.lParam))};
            ClientToScreen(msg.hwnd, &p);
            Pointer(msg.message, p);
            return;
        }
        case WM_MOUSEWHEEL:
        case WM_NCMOUSEMOVE:
            return;
        default:
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }

    void Pointer(UINT what, TPoint p) {
        int row = -1;
        Level* l = Hit(p, row);
        size_t li = IndexOf(l);
        if (what == WM_MOUSEMOVE) {
            if (!l) {
                if (request_.OnPointerOutside && request_.OnPointerOutside(p))
                    Cancel(MenuTrackEnd::Handover);
                return;
            }
            if (row >= 0 && !Selectable(l->rows[size_t(row)])) row = -1;
            if (row < 0) return; // the frame or a separator keeps what was selected
            bool changed = l->selected != row;
            Select(*l, row);
            if (changed || li + 1 == levels_.size()) OpenSub(li, false);
            return;
        }
        bool down = what == WM_LBUTTONDOWN || what == WM_RBUTTONDOWN || what == WM_MBUTTONDOWN ||
                    what == WM_LBUTTONDBLCLK || what == WM_RBUTTONDBLCLK;
        if (!l) {
            if (down) Cancel(); // a press anywhere else closes the menu and is used up
            return;
        }
        if (row < 0 || !Selectable(l->rows[size_t(row)])) return;
        Select(*l, row);
        if (!down)
            Choose(l->rows[size_t(row)].item);
        else
            OpenSub(li, false);
    }

    void Key(int vk) {
        Level& level = *levels_.back();
        size_t li = levels_.size() - 1;
        switch (vk) {
        case VK_UP:
            Select(level, Step(level, level.selected < 0 ? 0 : level.selected, -1));
            return;
        case VK_DOWN:
            Select(level, Step(level, level.selected, 1));
            return;
        case VK_HOME:
            Select(level, Step(level, -1, 1));
            return;
        case VK_END:
            Select(level, Step(level, 0, -1));
            return;
        case VK_RIGHT:
            if (level.selected >= 0 && level.rows[size_t(level.selected)].item->Enabled() &&
                HasSubItems(level.rows[size_t(level.selected)].item)) {
                OpenSub(li, true);
            } else if (request_.OnBarStep && request_.OnBarStep(1)) {
                Cancel(MenuTrackEnd::Handover);
            }
            return;
        case VK_LEFT:
            if (li > 0)
                CloseFrom(li);
            else if (request_.OnBarStep && request_.OnBarStep(-1))
                Cancel(MenuTrackEnd::Handover);
            return;
        case VK_ESCAPE:
            if (li > 0)
                CloseFrom(li);
            else
                Cancel();
            return;
        case VK_MENU:
        case VK_F10:
            Cancel();
            return;
        case VK_RETURN:
        case VK_SPACE:
            if (level.selected < 0) return;
            if (HasSubItems(level.rows[size_t(level.selected)].item))
                OpenSub(li, true);
            else
                Choose(level.rows[size_t(level.selected)].item);
            return;
        default:
            break;
        }
        if (!((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))) return;
        // Accelerators: the first item whose marked letter is the key, searching on from
        // the selection so that two items sharing a letter take turns.
        int n = int(level.rows.size());
        for (int k = 1; k <= n; ++k) {
            int at = ((level.selected < 0 ? -1 : level.selected) + k) % n;
            TMenuItem* item = level.rows[size_t(at)].item;
            if (item->IsLine() || GetHotkey(item->Caption()) != char(vk)) continue;
            Select(level, at);
            if (HasSubItems(item))
                OpenSub(li, true);
            else
                Choose(item);
            return;
        }
    }

    MenuTrackRequest request_;
    std::vector<std::unique_ptr<Level>> levels_;
    MenuTrackResult result_;
    bool done_ = false;
};

} // namespace

MenuTrackResult TrackMenu(const MenuTrackRequest& Request) {
    if (tracking || !Request.Parent) return {};
    tracking = true;
    struct Reset {
        ~Reset() { tracking = false; }
    } reset;
    Tracker tracker(Request);
    return tracker.Run();
}

bool MenuTrackingActive() {
    return tracking;
}

void DrawMenuText(TCanvas* Canvas, const String& Text, TRect Rect, UINT Format) {
    Canvas->TextExtent(""); // puts the canvas font and its colour into the context
    HDC dc = Canvas->Handle();
    int mode = SetBkMode(dc, TRANSPARENT);
    DrawText(dc, Text.c_str(), int(Text.size()), &Rect, Format);
    SetBkMode(dc, mode);
}

void TMenuItem::DefaultMeasureItem(TCanvas* ACanvas, int& Width, int& Height) {
    if (IsLine()) {
        Width = 2 * kCheckColumn;
        Height = 9;
        return;
    }
    if (default_) ACanvas->Font()->SetStyle(ACanvas->Font()->Style().Include(fsBold));
    TSize text = ACanvas->TextExtent(StripHotkey(caption_));
    Width = kCheckColumn + text.cx + kArrowColumn + 8;
    if (shortCut_ != scNone) Width += 24 + ACanvas->TextWidth(ShortCutToText(shortCut_));
    Height = std::max(text.cy + 8, 22);
    if (TMenu* menu = GetParentMenu())
        if (TImageList* images = menu->Images()) Height = std::max(Height, images->Height() + 6);
}

void TMenuItem::DefaultDrawItem(TCanvas* ACanvas, const TRect& ARect, bool Selected) {
    bool lit = Selected && enabled_;
    ACanvas->Brush()->SetStyle(bsSolid);
    ACanvas->Brush()->SetColor(lit ? clHighlight : clMenu);
    ACanvas->FillRect(ARect);
    int h = ARect.bottom - ARect.top;
    if (IsLine()) {
        ACanvas->Pen()->SetColor(clBtnShadow);
        int y = ARect.top + h / 2;
        ACanvas->MoveTo(ARect.left + 4, y);
        ACanvas->LineTo(ARect.right - 4, y);
        return;
    }
    if (Selected && !enabled_) {
        // Keyboard users still see where they are on a disabled item.
        ACanvas->Brush()->SetColor(clBtnShadow);
        ACanvas->FrameRect(ARect);
    }
    TColor ink = !enabled_ ? clGrayText : lit ? clHighlightText : clMenuText;
    ACanvas->Font()->SetColor(ink);
    if (default_) ACanvas->Font()->SetStyle(ACanvas->Font()->Style().Include(fsBold));

    TMenu* menu = GetParentMenu();
    TImageList* images = menu ? menu->Images() : nullptr;
    bool hasImage = images && imageIndex_ >= 0 && imageIndex_ < images->Count();
    int cx = ARect.left + kCheckColumn / 2, cy = ARect.top + h / 2;
    if (hasImage) {
        int ix = cx - images->Width() / 2, iy = cy - images->Height() / 2;
        if (checked_) {
            ACanvas->Brush()->SetColor(ink);
            ACanvas->FrameRect(
                Rect(ix - 2, iy - 2, ix + images->Width() + 2, iy + images->Height() + 2));
        }
        images->Draw(ACanvas, ix, iy, imageIndex_, enabled_);
    } else if (checked_) {
        ACanvas->Pen()->SetColor(ink);
        ACanvas->Brush()->SetColor(ink);
        if (radioItem_) {
            ACanvas->Ellipse(cx - 3, cy - 3, cx + 4, cy + 4);
        } else {
            // A tick two pixels thick.
            for (int d = 0; d < 2; ++d) {
                ACanvas->MoveTo(cx - 4, cy - 1 + d);
                ACanvas->LineTo(cx - 1, cy + 2 + d);
                ACanvas->LineTo(cx + 5, cy - 4 + d);
            }
        }
    }
    ACanvas->Brush()->SetStyle(bsClear);
    TRect text =
        Rect(ARect.left + kCheckColumn, ARect.top, ARect.right - kArrowColumn, ARect.bottom);
    DrawMenuText(ACanvas, caption_, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (shortCut_ != scNone)
        DrawMenuText(ACanvas, ShortCutToText(shortCut_), text,
                     DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// The drag of one control onto another: one drag at a time, held in one place, fed by the
// messages of the window that holds the pointer while it runs.
#include "framework/DragDrop.h"

#include "framework/Controls.h"
#include "framework/WinControl.h"
#include "platform/user/User.h"

#include <cstdlib>

namespace {

struct Drag {
    TControl* source = nullptr;
    TDragObject* object = nullptr; // given by OnStartDrag; the Source targets see
    bool started = false;          // past the threshold (or begun at once)
    int threshold = kDragThreshold;
    TPoint start{};             // screen point of the press
    TControl* target = nullptr; // the control under the pointer, asked through DragOver
    bool accepted = false;
    HWND window = 0; // holds the pointer for the drag
};

Drag g_drag;

TObject* SourceSeen() {
    return g_drag.object ? static_cast<TObject*>(g_drag.object) : g_drag.source;
}

TControl* ControlAtScreen(const TPoint& screen) {
    TWinControl* window = FindVCLWindow(screen);
    return window ? window->ControlAtPoint(window->ScreenToClient(screen), false) : nullptr;
}

void ShowCursor(bool accepted) {
    ::SetCursor(CursorHandle(accepted ? g_drag.source->DragCursor() : crNoDrop));
}

// Asks the control under the pointer, telling the one it left.
void MoveTo(const TPoint& screen) {
    TControl* now = ControlAtScreen(screen);
    if (now != g_drag.target && g_drag.target) {
        TControl* left = g_drag.target;
        g_drag.target = nullptr;
        bool ignored = false;
        const TPoint p = left->ScreenToClient(screen);
        left->DragOver(SourceSeen(), p.x, p.y, dsDragLeave, ignored);
        if (!g_drag.source) return; // the handler ended the drag
    }
    const TDragState state = now == g_drag.target ? dsDragMove : dsDragEnter;
    g_drag.target = now;
    g_drag.accepted = false;
    if (now) {
        const TPoint p = now->ScreenToClient(screen);
        now->DragOver(SourceSeen(), p.x, p.y, state, g_drag.accepted);
    }
    if (g_drag.source) ShowCursor(g_drag.accepted);
}

TPoint PointerNow() {
    POINT p{};
    GetCursorPos(&p);
    return p;
}

// Ends the drag: drops on an accepting target when asked to, and tells the source.
void Finish(bool drop, const TPoint& screen) {
    if (!g_drag.source) return;
    Drag ended = g_drag;
    g_drag = Drag{};
    if (ended.window && GetCapture() == ended.window) ReleaseCapture();
    ::SetCursor(CursorHandle(crArrow));
    TControl* target = drop && ended.started && ended.accepted ? ended.target : nullptr;
    TObject* seen = ended.object ? static_cast<TObject*>(ended.object) : ended.source;
    TPoint at{0, 0};
    if (target) {
        at = target->ScreenToClient(screen);
        target->DragDrop(seen, at.x, at.y);
    } else if (ended.target && ended.started) {
        bool ignored = false;
        const TPoint p = ended.target->ScreenToClient(screen);
        ended.target->DragOver(seen, p.x, p.y, dsDragLeave, ignored);
    }
    ended.source->DoEndDrag(target, at.x, at.y);
}

} // namespace

TControl* DragSource() {
    return g_drag.source;
}

void ForgetDragControl(TControl* control) {
    if (g_drag.target == control) g_drag.target = nullptr;
    if (g_drag.source != control) return;
    const HWND window = g_drag.window;
    g_drag = Drag{};
    if (window && GetCapture() == window) ReleaseCapture();
}

bool HandleDragMessage(TMessage& Message) {
    if (!g_drag.source) return false;
    switch (Message.Msg) {
    case WM_MOUSEMOVE: {
        const TPoint screen = PointerNow();
        if (!g_drag.started) {
            if (std::abs(screen.x - g_drag.start.x) <= g_drag.threshold &&
                std::abs(screen.y - g_drag.start.y) <= g_drag.threshold)
                return true;
            g_drag.started = true;
        }
        MoveTo(screen);
        return true;
    }
    case WM_LBUTTONUP:
        Finish(true, PointerNow());
        return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return true;
    case WM_KEYDOWN:
        if (Message.WParam == VK_ESCAPE) {
            Finish(false, PointerNow());
            return true;
        }
        return false;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        // Somebody else took the pointer: the drag cannot go on.
        Finish(false, PointerNow());
        return false;
    default:
        return false;
    }
}

void TControl::BeginDrag(bool Immediate, int Threshold) {
    if (g_drag.source) return;
    TDragObject* object = nullptr;
    DoStartDrag(object);
    // The pointer stays with the drag: a windowed control holds it, any other its parent.
    TWinControl* holder = dynamic_cast<TWinControl*>(this);
    if (!holder) holder = Parent();
    if (!holder || !holder->HandleAllocated()) {
        DoEndDrag(nullptr, 0, 0);
        return;
    }
    g_drag.source = this;
    g_drag.object = object;
    g_drag.threshold = Threshold < 0 ? kDragThreshold : Threshold;
    g_drag.start = PointerNow();
    g_drag.window = holder->Handle();
    // Taking the pointer tells the window that had it: only then does the drag listen.
    if (GetCapture() != g_drag.window) {
        TControl* self = this;
        g_drag.source = nullptr;
        SetCapture(g_drag.window);
        g_drag.source = self;
    }
    if (Immediate) {
        g_drag.started = true;
        MoveTo(g_drag.start);
    }
}

void TControl::EndDrag(bool Drop) {
    if (g_drag.source == this) Finish(Drop, PointerNow());
}

bool TControl::Dragging() const {
    return g_drag.source == this;
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    Accept = false;
    if (OnDragOver) {
        Accept = true;
        OnDragOver(this, Source, X, Y, State, Accept);
    }
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
    if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
    if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
    if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

void TControl::DoContextPopup(const TPoint& MousePos, bool& Handled) {
    if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

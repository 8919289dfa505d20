// What a backend hands over: input waits in the display thread's queue; window changes the
// desktop made apply at once.
#include "platform/user/NativeEvents.h"

#include "platform/kernel/Clock.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/WindowState.h"

namespace user::native {
namespace {

using detail::InputEvent;

WORD buttonFlags() {
    const BYTE* k = detail::Input().asyncKeys;
    WORD f = 0;
    if (k[VK_LBUTTON] & 0x80) f |= MK_LBUTTON;
    if (k[VK_RBUTTON] & 0x80) f |= MK_RBUTTON;
    if (k[VK_MBUTTON] & 0x80) f |= MK_MBUTTON;
    if (k[VK_SHIFT] & 0x80) f |= MK_SHIFT;
    if (k[VK_CONTROL] & 0x80) f |= MK_CONTROL;
    return f;
}

void queueInput(InputEvent e) {
    e.time = static_cast<DWORD>(kernel::CurrentClock().Now());
    e.keys = buttonFlags();
    e.alt = (detail::Input().asyncKeys[VK_MENU] & 0x80) != 0;
    e.ctrl = (detail::Input().asyncKeys[VK_CONTROL] & 0x80) != 0;
    detail::QueueItem item;
    item.isInput = true;
    item.input = std::move(e);
    detail::Enqueue(detail::CurrentQueue(), std::move(item));
}

detail::WindowRef topOf(HWND h) {
    detail::WindowRef w = detail::Find(h);
    return (w && !w->IsChild()) ? w : nullptr;
}

} // namespace

void PointerMoved(HWND topLevel, POINT screen) {
    detail::Input().cursor = screen;
    InputEvent e;
    e.kind = InputEvent::Kind::Move;
    e.topLevel = topLevel;
    e.screen = screen;
    queueInput(std::move(e));
}

void PointerButton(HWND topLevel, POINT screen, Button button, bool down) {
    detail::Input().cursor = screen;
    static const int vks[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
    int index = static_cast<int>(button);
    if (index < 0 || index > 2) return;
    BYTE& k = detail::Input().asyncKeys[vks[index]];
    k = down ? static_cast<BYTE>(k | 0x80) : static_cast<BYTE>(k & 0x01);
    InputEvent e;
    e.kind = InputEvent::Kind::Button;
    e.topLevel = topLevel;
    e.screen = screen;
    e.button = index;
    e.down = down;
    queueInput(std::move(e));
}

void PointerWheel(HWND topLevel, POINT screen, int delta, bool horizontal) {
    InputEvent e;
    e.kind = InputEvent::Kind::Wheel;
    e.topLevel = topLevel;
    e.screen = screen;
    e.delta = delta;
    e.horizontal = horizontal;
    queueInput(std::move(e));
}

void PointerLeft(HWND topLevel) {
    InputEvent e;
    e.kind = InputEvent::Kind::Leave;
    e.topLevel = topLevel;
    e.screen = detail::Input().cursor;
    queueInput(std::move(e));
}

void Key(int vk, bool down, const std::string& text, bool autoRepeat) {
    if (vk <= 0 || vk > 255) return;
    BYTE* k = detail::Input().asyncKeys;
    auto set = [&](int v) {
        if (down && !(k[v] & 0x80)) k[v] ^= 0x01;
        k[v] = down ? static_cast<BYTE>(k[v] | 0x80) : static_cast<BYTE>(k[v] & 0x01);
    };
    set(vk);
    InputEvent e;
    e.kind = InputEvent::Kind::Key;
    e.vk = vk;
    e.down = down;
    e.text = text;
    e.autoRepeat = autoRepeat;
    e.screen = detail::Input().cursor;
    queueInput(std::move(e));
}

void Text(const std::string& text) {
    if (text.empty()) return;
    InputEvent e;
    e.kind = InputEvent::Kind::Text;
    e.text = text;
    e.screen = detail::Input().cursor;
    queueInput(std::move(e));
}

void Exposed(HWND topLevel, const RECT& rect) {
    detail::WindowRef w = topOf(topLevel);
    if (!w || !w->surface) return;
    // The back buffer holds the picture; it only has to go out again.
    RECT whole{0, 0, w->surface->width, w->surface->height};
    RECT r = detail::IntersectRects(rect, whole);
    if (detail::IsEmptyRect(r)) return;
    w->surface->dirty.Add(r);
    detail::PresentIfIdle(*w);
}

void Configured(HWND topLevel, const RECT& bounds) {
    if (detail::WindowRef w = topOf(topLevel)) detail::ApplyNativeBounds(*w, bounds);
}

void StateChanged(HWND topLevel, ShowState state) {
    if (detail::WindowRef w = topOf(topLevel)) detail::ApplyNativeState(*w, state);
}

void ActivationChanged(HWND topLevel, bool active) {
    detail::InputState& in = detail::Input();
    if (active) {
        detail::WindowRef w = topOf(topLevel);
        if (!w || detail::IsPopupMenu(*w)) return;
        // The desktop focused a window that waits for a modal one: that one takes over.
        if (w->style & WS_DISABLED) {
            detail::BringModalWindowForward(topLevel);
            return;
        }
        detail::ActivateTopLevelFromNative(topLevel);
    } else if (in.active == topLevel) {
        detail::ActivateTopLevelFromNative(0);
    }
}

void CloseRequested(HWND topLevel) {
    if (topOf(topLevel)) PostMessage(topLevel, WM_SYSCOMMAND, SC_CLOSE, 0);
}

} // namespace user::native

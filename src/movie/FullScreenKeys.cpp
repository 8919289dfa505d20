#include "movie/FullScreenKeys.h"

#include "framework/Forms.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"

#include <cctype>
#include <cstring>
#include <map>

namespace {

namespace d = media::dispid;

// The key catchers whose procedure a renderer window runs now.
std::map<HWND, FullScreenKeys*>& HookedRenderers() {
    static std::map<HWND, FullScreenKeys*> hooked;
    return hooked;
}

} // namespace

FullScreenKeys::FullScreenKeys(TWinControl& Host, PlayerProperties Player,
                               const TFullScreenKeyPressEvent& Handler, Hooks Callbacks)
    : host_(Host), player_(Player), handler_(Handler), hooks_(std::move(Callbacks)) {}

void FullScreenKeys::CreateHiddenForm() {
    if (hiddenForm_) return;
    hiddenForm_ = CreateComponent<TForm>(&host_);
    hiddenFormOldProc_ = hiddenForm_->WindowProc;
    hiddenForm_->WindowProc = [this](TMessage& m) { HiddenFormWndProc(m); };
    hiddenForm_->HandleNeeded();
}

void FullScreenKeys::Release() {
    UnhookRenderer();
    if (hiddenForm_ && hiddenFormOldProc_) {
        hiddenForm_->WindowProc = hiddenFormOldProc_;
        hiddenFormOldProc_ = nullptr;
    }
}

bool FullScreenKeys::FullScreen() const {
    return player_.Integer(d::DisplaySize) == media::mpFullScreen;
}

bool FullScreenKeys::RecordKey(WPARAM key, LPARAM data) {
    if (!handler_ || keyPending_) return false;
    pendingKey_ = static_cast<int>(key);
    pendingKeyData_ = static_cast<int>(data);
    keyPending_ = true;
    return true;
}

void FullScreenKeys::DeliverPending() {
    if (!keyPending_ || !handler_) return;
    Deliver();
    keyPending_ = false;
}

void FullScreenKeys::Deliver() {
    if (pendingKey_ == VK_ESCAPE) {
        hooks_.leaveFullScreen();
        return;
    }
    TShiftState shift = KeyboardShiftState();
    shift.Exclude(ssAlt);
    // Bit 29 of the key data: Alt was held.
    if (pendingKeyData_ & (1 << 29)) shift.Include(ssAlt);
    handler_(&host_, static_cast<Word>(pendingKey_), shift);
}

void FullScreenKeys::HookRenderer() {
    if (rendererWindow_ || !host_.HandleAllocated()) return;
    struct Search {
        HWND found = 0;
    } search;
    EnumChildWindows(
        host_.Handle(),
        [](HWND hwnd, LPARAM p) -> BOOL {
            char name[100] = {};
            GetClassName(hwnd, name, sizeof name);
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (std::strstr(name, "renderer")) {
                reinterpret_cast<Search*>(p)->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    // A window that runs our procedure already (another component's hook) is left alone:
    // chaining to ourselves would never end.
    if (!search.found || GetWindowLongPtr(search.found, GWLP_WNDPROC) ==
                             reinterpret_cast<LONG_PTR>(&RendererWindowProc))
        return;
    rendererWindow_ = search.found;
    HookedRenderers()[rendererWindow_] = this;
    rendererOldProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtr(
        rendererWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RendererWindowProc)));
    SendMessage(rendererWindow_, WM_NULL, 0, 0);
}

void FullScreenKeys::UnhookRenderer() {
    if (!rendererWindow_) return;
    const HWND hwnd = rendererWindow_;
    rendererWindow_ = 0;
    HookedRenderers().erase(hwnd);
    // The player keeps its renderer window from one movie to the next: it must get its own
    // procedure back, or the next hook would chain to ours.
    if (IsWindow(hwnd) && rendererOldProc_ &&
        GetWindowLongPtr(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&RendererWindowProc))
        SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(rendererOldProc_));
    rendererOldProc_ = nullptr;
}

LRESULT FullScreenKeys::RendererWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto it = HookedRenderers().find(hwnd);
    if (it == HookedRenderers().end()) return DefWindowProc(hwnd, msg, wParam, lParam);
    FullScreenKeys* keys = it->second;
    if (msg == WM_KEYUP && keys->RecordKey(wParam, lParam)) return 0;
    // The player would leave full screen on Esc itself; here only the delivered key release
    // does, and only while OnFullScreenKeyPress is bound.
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE && keys->FullScreen()) return 0;
    return CallWindowProc(keys->rendererOldProc_, hwnd, msg, wParam, lParam);
}

void FullScreenKeys::HiddenFormWndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_WINDOWPOSCHANGING:
        hooks_.hiddenFormMoving();
        break;
    case WM_KEYUP:
        if (FullScreen() && RecordKey(Message.WParam, Message.LParam)) {
            Message.Result = 0;
            return;
        }
        break;
    default:
        break;
    }
    hiddenFormOldProc_(Message);
}

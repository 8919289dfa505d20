// The test display: screen, scripted input, fake clock and the recorder.
#include "platform/headless/Headless.h"

#include "platform/gdi/Draw.h"
#include "platform/gdi/Rect.h"
#include "platform/user/Input.h"
#include "platform/user/MessageBox.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/WindowState.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace headless {

using user::native::Button;

struct HeadlessBackend::Native {
    HWND hwnd = 0;
    user::NativeWindowDesc desc;
    user::ShowState state = user::ShowState::Hidden;
    bool shaped = false;
    std::vector<RECT> shape; // window coordinates
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels; // what was presented, 0x00RRGGBB as the buffer holds it

    bool Shown() const {
        return state == user::ShowState::Normal || state == user::ShowState::Maximized;
    }
    bool Covers(POINT screen) const {
        const RECT& b = desc.bounds;
        if (!PtInRect(&b, screen)) return false;
        if (!shaped) return true;
        POINT p{screen.x - b.left, screen.y - b.top};
        for (const RECT& r : shape)
            if (PtInRect(&r, p)) return true;
        return false;
    }
};

namespace {

// A row of the back buffer onto the screen, the unused top byte cleared. Every present of
// the window's changed parts runs through it: a plain loop the compiler vectorises.
void CopyOpaque(DWORD* __restrict screen, const BYTE* __restrict buffer, int count) {
    for (int x = 0; x < count; ++x) {
        DWORD px;
        std::memcpy(&px, buffer + static_cast<size_t>(x) * 4, 4);
        screen[x] = px & 0x00FFFFFF;
    }
}

// 0x00RRGGBB from the buffer to 0x00BBGGRR.
COLORREF toColorRef(DWORD px) {
    return ((px >> 16) & 0xFF) | (px & 0xFF00) | ((px & 0xFF) << 16);
}

} // namespace

HeadlessBackend::HeadlessBackend(const ScreenOptions& options) : options_(options) {
    clockScope_ = std::make_unique<kernel::ScopedClock>(clock_);
}

HeadlessBackend::~HeadlessBackend() = default;

SIZE HeadlessBackend::ScreenSize() {
    return SIZE{options_.width, options_.height};
}
RECT HeadlessBackend::WorkArea() {
    return options_.workArea;
}

HeadlessBackend::Native* HeadlessBackend::find(HWND hwnd) {
    for (auto& n : natives_)
        if (n->hwnd == hwnd) return n.get();
    return nullptr;
}

const HeadlessBackend::Native* HeadlessBackend::find(HWND hwnd) const {
    for (const auto& n : natives_)
        if (n->hwnd == hwnd) return n.get();
    return nullptr;
}

void HeadlessBackend::CreateNative(const user::NativeWindowDesc& desc) {
    auto n = std::make_unique<Native>();
    n->hwnd = desc.hwnd;
    n->desc = desc;
    n->width = std::max<int>(0, desc.bounds.right - desc.bounds.left);
    n->height = std::max<int>(0, desc.bounds.bottom - desc.bounds.top);
    n->pixels.assign(static_cast<size_t>(n->width) * n->height, 0);
    natives_.push_back(std::move(n));
}

void HeadlessBackend::DestroyNative(HWND hwnd) {
    natives_.erase(std::remove_if(natives_.begin(), natives_.end(),
                                  [&](const auto& n) { return n->hwnd == hwnd; }),
                   natives_.end());
    if (grab_ == hwnd) grab_ = 0;
    if (active_ == hwnd) active_ = 0;
    if (moveSizeWindow_ == hwnd) moveSizeWindow_ = 0;
    if (pointerOver_ == hwnd) pointerOver_ = 0;
    std::erase_if(icons_, [hwnd](const auto& e) { return e.first == hwnd; });
    std::erase_if(sizeLimits_, [hwnd](const auto& e) { return e.first == hwnd; });
}

void HeadlessBackend::SetNativeBounds(HWND hwnd, const RECT& bounds) {
    Native* n = find(hwnd);
    if (!n) return;
    n->desc.bounds = bounds;
    int w = std::max<int>(0, bounds.right - bounds.left);
    int h = std::max<int>(0, bounds.bottom - bounds.top);
    if (w != n->width || h != n->height) {
        std::vector<DWORD> fresh(static_cast<size_t>(w) * h, 0);
        for (int y = 0; y < std::min(h, n->height); ++y)
            std::memcpy(&fresh[static_cast<size_t>(y) * w],
                        &n->pixels[static_cast<size_t>(y) * n->width],
                        static_cast<size_t>(std::min(w, n->width)) * 4);
        n->pixels = std::move(fresh);
        n->width = w;
        n->height = h;
    }
}

void HeadlessBackend::SetNativeDesc(HWND hwnd, const user::NativeWindowDesc& desc) {
    Native* n = find(hwnd);
    if (!n) return;
    RECT bounds = n->desc.bounds;
    n->desc = desc;
    n->desc.bounds = bounds;
}

void HeadlessBackend::SetNativeState(HWND hwnd, user::ShowState state, bool activate) {
    Native* n = find(hwnd);
    if (!n) return;
    n->state = state;
    if (!n->Shown()) {
        if (active_ == hwnd) active_ = 0;
        return;
    }
    if (activate && !n->desc.popup) {
        active_ = hwnd;
        RaiseNative(hwnd);
    }
}

void HeadlessBackend::SetNativeShape(HWND hwnd, const std::vector<RECT>* shape) {
    Native* n = find(hwnd);
    if (!n) return;
    n->shaped = shape != nullptr;
    n->shape = shape ? *shape : std::vector<RECT>{};
}

void HeadlessBackend::SetNativeIcon(HWND hwnd, int width, int height,
                                    const std::vector<DWORD>& argb) {
    std::erase_if(icons_, [hwnd](const auto& e) { return e.first == hwnd; });
    icons_.push_back({hwnd, NativeIcon{width, height, argb}});
}

void HeadlessBackend::SetNativeSizeLimits(HWND hwnd, SIZE minimum, SIZE maximum) {
    std::erase_if(sizeLimits_, [hwnd](const auto& e) { return e.first == hwnd; });
    sizeLimits_.push_back({hwnd, SizeLimits{minimum, maximum}});
}

HeadlessBackend::SizeLimits HeadlessBackend::SizeLimitsOf(HWND hwnd) const {
    for (const auto& e : sizeLimits_)
        if (e.first == hwnd) return e.second;
    return {};
}

HeadlessBackend::NativeIcon HeadlessBackend::IconOf(HWND hwnd) const {
    for (const auto& e : icons_)
        if (e.first == hwnd) return e.second;
    return {};
}

void HeadlessBackend::RaiseNative(HWND hwnd) {
    auto it = std::find_if(natives_.begin(), natives_.end(),
                           [&](const auto& n) { return n->hwnd == hwnd; });
    if (it == natives_.end()) return;
    std::unique_ptr<Native> n = std::move(*it);
    natives_.erase(it);
    natives_.push_back(std::move(n));
}

void HeadlessBackend::ActivateNative(HWND hwnd) {
    Native* n = find(hwnd);
    if (!n || n->desc.popup) return;
    active_ = hwnd;
    RaiseNative(hwnd);
}

void HeadlessBackend::Present(HWND hwnd, const RECT& rect, const user::SurfaceView& surface) {
    Native* n = find(hwnd);
    if (!n || !surface.bits) return;
    if (n->width != surface.width || n->height != surface.height) {
        n->width = surface.width;
        n->height = surface.height;
        n->pixels.assign(static_cast<size_t>(n->width) * n->height, 0);
    }
    int x0 = std::max<int>(0, rect.left), y0 = std::max<int>(0, rect.top);
    int x1 = std::min<int>(surface.width, rect.right),
        y1 = std::min<int>(surface.height, rect.bottom);
    if (x1 <= x0) return;
    for (int y = y0; y < y1; ++y) {
        DWORD* screen = n->pixels.data() + static_cast<size_t>(y) * n->width + x0;
        const BYTE* buffer =
            surface.bits + static_cast<size_t>(y) * surface.stride + static_cast<size_t>(x0) * 4;
        // Much of what is presented was drawn again as it was (a frame around a changed
        // part): a row found the same is left, which reads it twice but writes nothing.
        if (std::memcmp(screen, buffer, static_cast<size_t>(x1 - x0) * 4) != 0)
            CopyOpaque(screen, buffer, x1 - x0);
    }
}

void HeadlessBackend::BeginMoveSize(HWND hwnd, LRESULT hit, POINT start) {
    ++moveSizeRequests_;
    lastMoveSizeHit_ = hit;
    Native* n = find(hwnd);
    // The desktop only drags while the button that started it stays down.
    if (!n || !(buttons_ & 1)) return;
    moveSizeWindow_ = hwnd;
    moveSizeHit_ = hit;
    moveSizeStart_ = start;
    moveSizeBounds_ = n->desc.bounds;
}

void HeadlessBackend::GrabPointer(HWND hwnd) {
    grab_ = hwnd;
}
void HeadlessBackend::SetCursorShape(WORD shapeId) {
    cursorShape_ = shapeId;
}
POINT HeadlessBackend::CursorPos() {
    return pointer_;
}

void HeadlessBackend::SetCursorPos(POINT pt) {
    pointer_ = pt;
    deliverPointer();
}

void HeadlessBackend::Beep() {
    RecordedCall c;
    c.kind = RecordedCall::Kind::Beep;
    calls_.push_back(c);
}

void HeadlessBackend::Pump() {}

void HeadlessBackend::Wait(kernel::Milliseconds deadline) {
    std::unique_lock lock(waitMutex_);
    clock_.WaitUntil(lock, waitCv_, deadline, [&] { return woken_; });
    woken_ = false;
}

void HeadlessBackend::Wake() {
    {
        std::lock_guard lock(waitMutex_);
        woken_ = true;
    }
    waitCv_.notify_all();
}

std::optional<int> HeadlessBackend::MessageBox(const user::MessageBoxRequest& request) {
    RecordedCall c;
    c.kind = RecordedCall::Kind::MessageBox;
    c.owner = request.owner;
    c.text = request.text;
    c.caption = request.caption;
    c.type = request.type;
    if (boxAnswers_.empty() && leaveMessageBoxesToProgram) {
        c.answer = -1;
        calls_.push_back(c);
        if (onRecorded) onRecorded(c);
        return std::nullopt;
    }
    if (!boxAnswers_.empty()) {
        c.answer = boxAnswers_.front();
        boxAnswers_.pop_front();
    } else {
        c.answer = MessageBoxDefaultButton(request.type);
    }
    calls_.push_back(c);
    if (onRecorded) onRecorded(c);
    return c.answer;
}

std::optional<bool> HeadlessBackend::Shell(const user::ShellRequest& request) {
    RecordedCall c;
    c.kind = RecordedCall::Kind::Shell;
    c.owner = request.owner;
    c.text = request.file;
    c.caption = request.verb;
    c.detail = request.parameters;
    c.type = static_cast<UINT>(request.show);
    bool ok = true;
    if (!shellResults_.empty()) {
        ok = shellResults_.front();
        shellResults_.pop_front();
    }
    c.answer = ok ? 1 : 0;
    calls_.push_back(c);
    if (onRecorded) onRecorded(c);
    return ok;
}

std::optional<user::DialogAnswer> HeadlessBackend::Dialog(const user::DialogRequest& request) {
    RecordedCall c;
    c.kind = RecordedCall::Kind::Dialog;
    c.owner = request.owner;
    c.text = request.title;
    c.caption = request.kind;
    c.detail = request.fileName;
    c.type = request.options;
    if (dialogAnswers_.empty() && leaveDialogsToProgram) {
        c.answer = -1;
        calls_.push_back(c);
        if (onRecorded) onRecorded(c);
        return std::nullopt;
    }
    user::DialogAnswer answer;
    if (!dialogAnswers_.empty()) {
        answer = dialogAnswers_.front();
        dialogAnswers_.pop_front();
    }
    c.answer = answer.accepted ? 1 : 0;
    calls_.push_back(c);
    if (onRecorded) onRecorded(c);
    return answer;
}

// --- input ---

HWND HeadlessBackend::TopLevelAt(int x, int y) {
    POINT p{x, y};
    // Topmost windows (menus, drop-downs) lie above the others.
    for (int pass = 0; pass < 2; ++pass)
        for (auto it = natives_.rbegin(); it != natives_.rend(); ++it) {
            const Native& n = **it;
            if (n.desc.topmost != (pass == 0)) continue;
            if (n.Shown() && n.Covers(p)) return n.hwnd;
        }
    return 0;
}

bool HeadlessBackend::mouseButtonDown() const {
    return buttons_ != 0;
}

void HeadlessBackend::deliverPointer() {
    HWND over = TopLevelAt(pointer_.x, pointer_.y);
    if (pointerOver_ && pointerOver_ != over && !grab_) user::native::PointerLeft(pointerOver_);
    pointerOver_ = over;
    user::native::PointerMoved(grab_ ? grab_ : over, pointer_);
}

void HeadlessBackend::MovePointer(int x, int y) {
    pointer_ = POINT{x, y};
    if (moveSizeWindow_) {
        Native* n = find(moveSizeWindow_);
        if (n) {
            RECT b = moveSizeBounds_;
            int dx = x - moveSizeStart_.x, dy = y - moveSizeStart_.y;
            LRESULT hit = moveSizeHit_;
            if (hit == HTCAPTION) {
                b = RECT{b.left + dx, b.top + dy, b.right + dx, b.bottom + dy};
            } else {
                if (hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT) b.left += dx;
                if (hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT) b.right += dx;
                if (hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT) b.top += dy;
                if (hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT) b.bottom += dy;
                b.right = std::max(b.right, b.left + 1);
                b.bottom = std::max(b.bottom, b.top + 1);
            }
            SetNativeBounds(moveSizeWindow_, b);
            user::native::Configured(moveSizeWindow_, b);
        }
        return;
    }
    deliverPointer();
}

void HeadlessBackend::PressButton(Button button) {
    buttons_ |= 1 << static_cast<int>(button);
    HWND target = grab_ ? grab_ : TopLevelAt(pointer_.x, pointer_.y);
    user::native::PointerButton(target, pointer_, button, true);
}

void HeadlessBackend::ReleaseButton(Button button) {
    buttons_ &= ~(1 << static_cast<int>(button));
    if (moveSizeWindow_ && button == Button::Left) {
        // The desktop ran the drag; the release was its own.
        moveSizeWindow_ = 0;
        user::native::PointerButton(0, pointer_, button, false);
        return;
    }
    HWND target = grab_ ? grab_ : TopLevelAt(pointer_.x, pointer_.y);
    user::native::PointerButton(target, pointer_, button, false);
}

void HeadlessBackend::Click(int x, int y, Button button) {
    MovePointer(x, y);
    PressButton(button);
    ReleaseButton(button);
}

void HeadlessBackend::DoubleClick(int x, int y) {
    Click(x, y);
    Click(x, y);
}

void HeadlessBackend::Wheel(int delta) {
    HWND target = grab_ ? grab_ : TopLevelAt(pointer_.x, pointer_.y);
    user::native::PointerWheel(target, pointer_, delta, false);
}

bool& HeadlessBackend::modifier(int vk) {
    static thread_local bool none;
    if (vk == VK_SHIFT) return shift_;
    if (vk == VK_CONTROL) return ctrl_;
    if (vk == VK_MENU) return alt_;
    none = false;
    return none;
}

// What a key types with the modifiers held, as a desktop keyboard would.
std::string HeadlessBackend::keyText(int vk) {
    bool shift = modifier(VK_SHIFT), ctrl = modifier(VK_CONTROL), alt = modifier(VK_MENU);
    if (vk >= 'A' && vk <= 'Z') {
        if (ctrl) return std::string(1, static_cast<char>(vk - 'A' + 1));
        if (alt) return std::string(1, static_cast<char>(std::tolower(vk)));
        return std::string(1, static_cast<char>(shift ? vk : std::tolower(vk)));
    }
    if (ctrl) return "";
    if (vk >= '0' && vk <= '9' && !shift) return std::string(1, static_cast<char>(vk));
    switch (vk) {
    case VK_SPACE:
        return " ";
    case VK_RETURN:
        return "\r";
    case VK_TAB:
        return "\t";
    case VK_BACK:
        return "\b";
    case VK_ESCAPE:
        return "\x1b";
    case VK_OEM_PERIOD:
        return shift ? ">" : ".";
    case VK_OEM_COMMA:
        return shift ? "<" : ",";
    case VK_OEM_MINUS:
        return shift ? "_" : "-";
    case VK_OEM_PLUS:
        return shift ? "+" : "=";
    case VK_OEM_2:
        return shift ? "?" : "/";
    default:
        return "";
    }
}

void HeadlessBackend::KeyDown(int vk) {
    if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) {
        bool repeat = modifier(vk);
        modifier(vk) = true;
        user::native::Key(vk, true, "", repeat);
        return;
    }
    user::native::Key(vk, true, keyText(vk), false);
}

void HeadlessBackend::KeyUp(int vk) {
    if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) modifier(vk) = false;
    user::native::Key(vk, false, "", false);
}

void HeadlessBackend::PressKey(int vk, bool shift, bool ctrl, bool alt) {
    if (shift) KeyDown(VK_SHIFT);
    if (ctrl) KeyDown(VK_CONTROL);
    if (alt) KeyDown(VK_MENU);
    KeyDown(vk);
    KeyUp(vk);
    if (alt) KeyUp(VK_MENU);
    if (ctrl) KeyUp(VK_CONTROL);
    if (shift) KeyUp(VK_SHIFT);
}

void HeadlessBackend::TypeText(const std::string& text) {
    for (size_t at = 0; at < text.size(); ++at) {
        unsigned char c = static_cast<unsigned char>(text[at]);
        if (c >= 0x80) {
            // The rest goes in as input-method text, whole.
            user::native::Text(text.substr(at));
            return;
        }
        if (std::isalpha(c)) {
            PressKey(std::toupper(c), std::isupper(c) != 0);
        } else if (std::isdigit(c)) {
            PressKey(c);
        } else if (c == ' ') {
            PressKey(VK_SPACE);
        } else if (c == '\n' || c == '\r') {
            PressKey(VK_RETURN);
        } else if (c == '\t') {
            PressKey(VK_TAB);
        } else if (c == '.' || c == ',' || c == '-' || c == '=' || c == '/') {
            int vk = c == '.'   ? VK_OEM_PERIOD
                     : c == ',' ? VK_OEM_COMMA
                     : c == '-' ? VK_OEM_MINUS
                     : c == '=' ? VK_OEM_PLUS
                                : VK_OEM_2;
            PressKey(vk);
        } else {
            user::native::Text(std::string(1, static_cast<char>(c)));
        }
    }
}

// --- running ---

int HeadlessBackend::PumpMessages(int limit) {
    int count = 0;
    MSG msg;
    while (count < limit && PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Left for the program's own loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
        ++count;
    }
    return count;
}

void HeadlessBackend::AdvanceClock(kernel::Milliseconds ms) {
    kernel::Milliseconds target = clock_.Now() + ms;
    PumpMessages();
    for (;;) {
        kernel::Milliseconds now = clock_.Now();
        kernel::Milliseconds next = user::detail::NextTimerDue(*user::detail::CurrentQueue());
        if (next <= now) next = now + 1; // a timer due already ran in the pump
        kernel::Milliseconds step = std::min(next, target);
        clock_.Set(step);
        PumpMessages();
        if (step >= target) break;
    }
}

// --- looking ---

COLORREF HeadlessBackend::WindowFramePixel(HWND hwnd, int x, int y) {
    using namespace user::detail;
    WindowRef w = Find(hwnd);
    if (!w) return CLR_INVALID;
    WindowRef top = TopLevelOf(w);
    if (!top || !top->surface) return CLR_INVALID;
    if (x < 0 || y < 0 || x >= Width(w->rect) || y >= Height(w->rect)) return CLR_INVALID;
    POINT o = SurfaceOrigin(*w);
    int sx = o.x + x, sy = o.y + y;
    const Surface& s = *top->surface;
    if (sx < 0 || sy < 0 || sx >= s.width || sy >= s.height) return CLR_INVALID;
    DWORD px;
    std::memcpy(&px, s.bits + (static_cast<size_t>(sy) * s.width + sx) * 4, 4);
    return toColorRef(px);
}

COLORREF HeadlessBackend::WindowPixel(HWND hwnd, int x, int y) {
    using namespace user::detail;
    WindowRef w = Find(hwnd);
    if (!w) return CLR_INVALID;
    if (x < 0 || y < 0 || x >= Width(w->client) || y >= Height(w->client)) return CLR_INVALID;
    return WindowFramePixel(hwnd, x + w->client.left, y + w->client.top);
}

COLORREF HeadlessBackend::ScreenPixel(int x, int y) {
    if (x < 0 || y < 0 || x >= options_.width || y >= options_.height) return CLR_INVALID;
    HWND h = TopLevelAt(x, y);
    const Native* n = find(h);
    if (!n) return 0; // the desktop is black
    int lx = x - n->desc.bounds.left, ly = y - n->desc.bounds.top;
    if (lx < 0 || ly < 0 || lx >= n->width || ly >= n->height) return 0;
    return toColorRef(n->pixels[static_cast<size_t>(ly) * n->width + lx]);
}

std::vector<COLORREF> HeadlessBackend::ScreenShot(RECT area) {
    std::vector<COLORREF> out;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            out.push_back(ScreenPixel(x, y));
    return out;
}

void HeadlessBackend::QueueMessageBoxAnswer(int button) {
    boxAnswers_.push_back(button);
}
void HeadlessBackend::QueueDialogAnswer(const user::DialogAnswer& answer) {
    dialogAnswers_.push_back(answer);
}
void HeadlessBackend::QueueShellResult(bool ok) {
    shellResults_.push_back(ok);
}

user::ShowState HeadlessBackend::NativeState(HWND hwnd) const {
    const Native* n = find(hwnd);
    return n ? n->state : user::ShowState::Hidden;
}

HeadlessSession::HeadlessSession(const ScreenOptions& options) {
    auto backend = std::make_unique<HeadlessBackend>(options);
    backend_ = backend.get();
    user::SetDisplayBackend(std::move(backend));
}

HeadlessSession::~HeadlessSession() {
    user::SetDisplayBackend(nullptr);
}

HeadlessBackend* CurrentHeadless() {
    return dynamic_cast<HeadlessBackend*>(&user::CurrentDisplayBackend());
}

} // namespace headless

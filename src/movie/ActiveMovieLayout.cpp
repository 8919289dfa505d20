// Where the video sits inside the component: the inner panel that carries the player is
// placed by the display size, the zoom and two scroll bars, or moved out of view; full screen
// is the player's own display size 3, and two hooked window procedures catch the key
// releases the program hears through OnFullScreenKeyPress.
#include "movie/ActiveMovie.h"

#include "movie/DerivedMovie.h"
#include "movie/MovieSupport.h"

#include "framework/Forms.h"
#include "framework/MessageDialogs.h"
#include "framework/ScrollBar.h"
#include "platform/media/PlayerDispatch.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "rtl/AssignIfChanged.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

using movie_detail::RoundEven;

namespace {

namespace d = media::dispid;

// The player's display size for each of ours while its control bar is shown.
LONG PlayerDisplaySize(TDisplaySize size) {
    switch (size) {
    case mpDefaultSize:
        return media::mpDefaultSize;
    case mpHalfSize:
        return media::mpHalfSize;
    case mpDoubleSize:
        return media::mpDoubleSize;
    case mpFitToSize:
        return media::mpFitToSize;
    case mpCustomSize:
        break;
    }
    return media::mpFitToSize;
}

// The components whose procedure a renderer window runs now.
std::map<HWND, TActiveMovie*>& HookedRenderers() {
    static std::map<HWND, TActiveMovie*> hooked;
    return hooked;
}

int RoundInt(double v) {
    return static_cast<int>(RoundEven(v));
}

} // namespace

void TActiveMovie::HideScrollBars() {
    horzBar_->SetVisible(false);
    vertBar_->SetVisible(false);
    cornerPanel_->SetVisible(false);
}

void TActiveMovie::UpdateLayout() {
    if (!player_ || !horzBar_) return;
    const int W = ClientWidth();
    const int H = ClientHeight();
    if (W == 0 || H == 0) return;
    if (!movieVisible_ || logoMode_) {
        const int pw = player_->Width();
        const int ph = player_->Height();
        innerPanel_->SetBounds(pw + Left() + 500, ph + Top() + 500, pw, ph);
        HideScrollBars();
        return;
    }
    const int vw = GetIntegerProp(d::ImageSourceWidth);
    const int vh = GetIntegerProp(d::ImageSourceHeight);
    if (OpenState() != kOpenStateOpen || showControls_ || vw == 0 || vh == 0) {
        innerPanel_->SetBounds(0, 0, W, H);
        HideScrollBars();
        repaintOnLayout_ = false;
        Invalidate();
        return;
    }
    const int t = scrollBarsThickness_;
    int x = 0, y = 0, w = 0, h = 0;
    auto fit = [&] {
        const double r = static_cast<double>(vh) / vw;
        // The spare pixels decide which side fills, not the ratios.
        if (W - vw < H - vh) {
            w = W;
            h = RoundInt(W * r);
        } else {
            h = H;
            w = RoundInt(H / r);
        }
        x = RoundInt((W - w) / 2.0);
        y = RoundInt((H - h) / 2.0);
    };
    if (displaySize_ == mpCustomSize) {
        const double zw = vw * static_cast<double>(zoomSize_) / 100.0;
        const double zh = vh * static_cast<double>(zoomSize_) / 100.0;
        w = RoundInt(zw);
        h = RoundInt(zh);
        if (showScrollBars_) {
            const bool needH = W < w;
            const bool needV = H < h;
            y = RoundInt((H - h) / 2.0);
            if (needH) {
                const int m = needV ? w + t : w;
                horzBar_->SetSmallChange(RoundInt(w / 50.0));
                horzBar_->SetLargeChange(RoundInt(w / 10.0));
                horzBar_->SetParams(RoundInt(m * horzFraction_), 0, m);
                x = RoundInt(horzBar_->Position() * static_cast<double>(W - w) / w);
            } else {
                x = RoundInt((W - w) / 2.0);
            }
            if (needV) {
                const int m = needH ? h + t : h;
                vertBar_->SetSmallChange(RoundInt(h / 50.0));
                vertBar_->SetLargeChange(RoundInt(h / 10.0));
                vertBar_->SetParams(RoundInt(m * vertFraction_), 0, m);
                y = RoundInt(vertBar_->Position() * static_cast<double>(H - h) / h);
            }
            if (needH && needV) {
                cornerPanel_->SetBounds(W - t, H - t, t, t);
                horzBar_->SetBounds(0, H - t, W - t, t);
                vertBar_->SetBounds(W - t, 0, t, H - t);
                cornerPanel_->SetVisible(true);
                horzBar_->SetVisible(true);
                vertBar_->SetVisible(true);
            } else if (needH) {
                horzBar_->SetBounds(0, H - t, W, t);
                horzBar_->SetVisible(true);
                vertBar_->SetVisible(false);
                cornerPanel_->SetVisible(false);
            } else if (needV) {
                vertBar_->SetBounds(W - t, 0, t, H);
                vertBar_->SetVisible(true);
                horzBar_->SetVisible(false);
                cornerPanel_->SetVisible(false);
            } else {
                HideScrollBars();
            }
        } else {
            x = RoundInt((W - w) / 2.0);
            y = RoundInt((H - h) / 2.0);
            if (horzFraction_ != 0.5 || vertFraction_ != 0.5) {
                if (W < w) x = RoundInt((W - w) * horzFraction_);
                if (H < h) y = RoundInt((H - h) * vertFraction_);
            }
            HideScrollBars();
        }
    } else {
        if (displaySize_ == mpFitToSize) {
            fit();
        } else {
            w = displaySize_ == mpHalfSize ? vw / 2 : displaySize_ == mpDoubleSize ? 2 * vw : vw;
            h = displaySize_ == mpHalfSize ? vh / 2 : displaySize_ == mpDoubleSize ? 2 * vh : vh;
            if (w > W || h > H)
                fit();
            else {
                x = RoundInt((W - w) / 2.0);
                y = RoundInt((H - h) / 2.0);
            }
        }
        // Bars left over from an earlier zoomed layout would cover the video.
        HideScrollBars();
    }
    innerPanel_->SetBounds(x, y, w, h);
    if (repaintOnLayout_) innerPanel_->Repaint();
    repaintOnLayout_ = false;
    Invalidate();
}

void TActiveMovie::ScrollBarScroll(TObject* Sender, TScrollCode, int& ScrollPos) {
    auto* bar = static_cast<TScrollBar*>(Sender);
    const double fraction = bar->Max() != 0 ? static_cast<double>(ScrollPos) / bar->Max() : 0.5;
    if (bar == horzBar_)
        horzFraction_ = fraction;
    else
        vertFraction_ = fraction;
    repaintOnLayout_ = true;
    UpdateLayout();
}

// --- setters ---

bool TActiveMovie::ShowControls() {
    showControls_ = GetWordBoolProp(d::ShowControls);
    return showControls_;
}

void TActiveMovie::SetShowControls(bool v) {
    if (v && displaySize_ == mpCustomSize) {
        ShowMessage("this setting is not allowed when DisplaySize = mpCustomSize. Set DisplaySize "
                    "to another value first.");
        return;
    }
    const bool was = showControls_;
    SetWordBoolProp(d::ShowControls, v);
    showControls_ = v;
    if (!v) {
        SetIntegerProp(d::DisplaySize, media::mpFitToSize);
        ApplyDisplaySize();
    } else if (!was) {
        ApplyDisplaySize();
    }
    UpdateLayout();
}

void TActiveMovie::ApplyDisplaySize() {
    SetDisplaySize(displaySize_);
}

void TActiveMovie::SetDisplaySize(TDisplaySize v) {
    if (showControls_) {
        if (v == mpCustomSize) {
            ShowMessage("this setting is not allowed when ShowControls is enabled. Disable "
                        "ShowControls first.");
            return;
        }
        SetIntegerProp(d::DisplaySize, PlayerDisplaySize(v));
    } else {
        // Without the control bar the player fills its window and the layout sizes it.
        SetIntegerProp(d::DisplaySize, media::mpFitToSize);
    }
    displaySize_ = v;
    UpdateLayout();
}

void TActiveMovie::SetFullScreenMode(bool v) {
    fullScreenMode_ = v;
    if (v)
        SetIntegerProp(d::DisplaySize, media::mpFullScreen);
    else
        ApplyDisplaySize();
}

void TActiveMovie::SetDisplayLogo(bool v) {
    displayLogo_ = v;
    if (v)
        logoMode_ = false;
    else
        logoMode_ = !(OpenState() == kOpenStateOpen && ReadyState() == kReadyStateComplete &&
                      GetIntegerProp(d::ImageSourceWidth) != 0);
    UpdateLayout();
}

void TActiveMovie::SetZoomSize(int v) {
    if (v <= 0 || v == zoomSize_) return;
    zoomSize_ = v;
    if (displaySize_ != mpCustomSize) return;
    if (HandleAllocated())
        SendMessage(Handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth(), ClientHeight()));
    else
        UpdateLayout();
}

void TActiveMovie::SetShowScrollBars(bool v) {
    showScrollBars_ = v;
    repaintOnLayout_ = true;
    UpdateLayout();
}

void TActiveMovie::SetVisible(bool v) {
    if (!AssignIfChanged(movieVisible_, v)) return;
    if (!v) {
        // The component blends into its parent; the kept colour comes back with Visible.
        if (Parent()) inherited::SetColor(Parent()->Color());
    } else if (ParentColor()) {
        if (Parent()) inherited::SetColor(Parent()->Color());
        inherited::SetParentColor(true);
        keptColor_ = Color();
    } else {
        inherited::SetColor(keptColor_);
    }
    repaintOnLayout_ = true;
    UpdateLayout();
}

// --- full screen keys ---

bool TActiveMovie::RecordKey(WPARAM key, LPARAM data) {
    if (!OnFullScreenKeyPress || keyPending_) return false;
    pendingKey_ = static_cast<int>(key);
    pendingKeyData_ = static_cast<int>(data);
    keyPending_ = true;
    return true;
}

void TActiveMovie::DeliverFullScreenKey() {
    if (pendingKey_ == VK_ESCAPE) {
        ApplyDisplaySize();
        return;
    }
    TShiftState shift = KeyboardShiftState();
    shift.Exclude(ssAlt);
    // Bit 29 of the key data: Alt was held.
    if (pendingKeyData_ & (1 << 29)) shift.Include(ssAlt);
    OnFullScreenKeyPress(this, static_cast<Word>(pendingKey_), shift);
}

void TActiveMovie::HookRendererWindow() {
    if (rendererWindow_ || !HandleAllocated()) return;
    struct Search {
        HWND found = 0;
    } search;
    EnumChildWindows(
        Handle(),
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

void TActiveMovie::UnhookRendererWindow() {
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

LRESULT TActiveMovie::RendererWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto it = HookedRenderers().find(hwnd);
    if (it == HookedRenderers().end()) return DefWindowProc(hwnd, msg, wParam, lParam);
    TActiveMovie* movie = it->second;
    if (msg == WM_KEYUP && movie->RecordKey(wParam, lParam)) return 0;
    // The player would leave full screen on Esc itself; here only the delivered key release
    // does, and only while OnFullScreenKeyPress is bound.
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE &&
        movie->GetIntegerProp(d::DisplaySize) == media::mpFullScreen)
        return 0;
    return CallWindowProc(movie->rendererOldProc_, hwnd, msg, wParam, lParam);
}

void TActiveMovie::HiddenFormWndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_WINDOWPOSCHANGING:
        if (OpenState() == kOpenStateOpen && PlayState() != kPlayStatePlaying) Seek(currentTime_);
        break;
    case WM_KEYUP:
        if (GetIntegerProp(d::DisplaySize) == media::mpFullScreen &&
            RecordKey(Message.WParam, Message.LParam)) {
            Message.Result = 0;
            return;
        }
        break;
    default:
        break;
    }
    hiddenFormOldProc_(Message);
}

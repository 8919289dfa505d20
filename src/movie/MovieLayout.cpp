#include "movie/MovieLayout.h"

#include "movie/DerivedMovie.h"
#include "movie/MovieSupport.h"
#include "movie/PlayerProperties.h"

#include "framework/MessageDialogs.h"
#include "framework/Panel.h"
#include "framework/ScrollBar.h"
#include "platform/user/MessageQueue.h"

using movie_detail::Finally;
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

int RoundInt(double v) {
    return static_cast<int>(RoundEven(v));
}

} // namespace

MovieLayout::MovieLayout(TCustomPanel& Host) : host_(Host) {
    auto makeBar = [this](TScrollBarKind kind) {
        TScrollBar* bar = CreateComponent<TScrollBar>(&host_);
        bar->SetKind(kind);
        bar->SetVisible(false);
        bar->SetTabStop(false);
        bar->SetMin(0);
        bar->OnScroll = [this](TObject* s, TScrollCode c, int& pos) { ScrollBarScroll(s, c, pos); };
        bar->SetParent(&host_);
        return bar;
    };
    horzBar_ = makeBar(sbHorizontal);
    vertBar_ = makeBar(sbVertical);
    cornerPanel_ = CreateComponent<TPanel>(&host_);
    cornerPanel_->SetVisible(false);
    cornerPanel_->SetParent(&host_);

    innerPanel_ = CreateComponent<TPanel>(&host_);
    innerPanel_->SetBorderWidth(0);
    innerPanel_->SetBevelInner(bvNone);
    innerPanel_->SetBevelOuter(bvNone);
    innerPanel_->SetParent(&host_);
}

void MovieLayout::Attach(TDerivedMovie_& Player) {
    player_ = &Player;
    player_->SetParent(innerPanel_);
}

namespace {

void ClipChildren(HWND hwnd) {
    if (hwnd)
        SetWindowLong(hwnd, GWL_STYLE,
                      GetWindowLong(hwnd, GWL_STYLE) | static_cast<LONG>(WS_CLIPCHILDREN));
}

} // namespace

void MovieLayout::ClipVideoWindows() {
    ClipChildren(host_.Handle());
    ClipChildren(innerPanel_->Handle());
    ClipChildren(player_->Handle());
}

void MovieLayout::RaiseBars() {
    ClipChildren(horzBar_->Handle());
    ClipChildren(vertBar_->Handle());
    ClipChildren(cornerPanel_->Handle());
    vertBar_->BringToFront();
    horzBar_->BringToFront();
    cornerPanel_->BringToFront();
}

PlayerProperties MovieLayout::Props() const {
    return PlayerProperties(*player_);
}

void MovieLayout::HideScrollBars() {
    horzBar_->SetVisible(false);
    vertBar_->SetVisible(false);
    cornerPanel_->SetVisible(false);
}

void MovieLayout::SizeChanged() {
    if (layoutRunning_) return;
    layoutRunning_ = true;
    Finally done([this] { layoutRunning_ = false; });
    Update();
}

void MovieLayout::UpdateAndRepaint() {
    repaintOnLayout_ = true;
    Update();
}

void MovieLayout::Update() {
    if (!player_) return;
    const int W = host_.ClientWidth();
    const int H = host_.ClientHeight();
    if (W == 0 || H == 0) return;
    if (!videoVisible_ || logoMode_) {
        const int pw = player_->Width();
        const int ph = player_->Height();
        innerPanel_->SetBounds(pw + host_.Left() + 500, ph + host_.Top() + 500, pw, ph);
        HideScrollBars();
        return;
    }
    const PlayerProperties props = Props();
    const int vw = props.Integer(d::ImageSourceWidth);
    const int vh = props.Integer(d::ImageSourceHeight);
    if (props.OpenState() != kOpenStateOpen || showControls_ || vw == 0 || vh == 0) {
        innerPanel_->SetBounds(0, 0, W, H);
        HideScrollBars();
        repaintOnLayout_ = false;
        host_.Invalidate();
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
    host_.Invalidate();
}

void MovieLayout::ScrollBarScroll(TObject* Sender, TScrollCode, int& ScrollPos) {
    auto* bar = static_cast<TScrollBar*>(Sender);
    const double fraction = bar->Max() != 0 ? static_cast<double>(ScrollPos) / bar->Max() : 0.5;
    if (bar == horzBar_)
        horzFraction_ = fraction;
    else
        vertFraction_ = fraction;
    UpdateAndRepaint();
}

// --- settings ---

bool MovieLayout::ShowControls() {
    showControls_ = Props().WordBool(d::ShowControls);
    return showControls_;
}

void MovieLayout::SetShowControls(bool v) {
    if (v && displaySize_ == mpCustomSize) {
        ShowMessage("this setting is not allowed when DisplaySize = mpCustomSize. Set DisplaySize "
                    "to another value first.");
        return;
    }
    const bool was = showControls_;
    // A write of the control bar setting runs a layout of its own.
    Props().SetWordBool(d::ShowControls, v);
    Update();
    showControls_ = v;
    if (!v) {
        Props().SetInteger(d::DisplaySize, media::mpFitToSize);
        ApplyDisplaySize();
    } else if (!was) {
        ApplyDisplaySize();
    }
    Update();
}

void MovieLayout::SetDisplaySize(TDisplaySize v) {
    if (showControls_) {
        if (v == mpCustomSize) {
            ShowMessage("this setting is not allowed when ShowControls is enabled. Disable "
                        "ShowControls first.");
            return;
        }
        Props().SetInteger(d::DisplaySize, PlayerDisplaySize(v));
    } else {
        // Without the control bar the player fills its window and the layout sizes it.
        Props().SetInteger(d::DisplaySize, media::mpFitToSize);
    }
    displaySize_ = v;
    Update();
}

void MovieLayout::SetFullScreenMode(bool v) {
    fullScreenMode_ = v;
    if (v)
        EnterFullScreen();
    else
        ApplyDisplaySize();
}

void MovieLayout::EnterFullScreen() {
    Props().SetInteger(d::DisplaySize, media::mpFullScreen);
}

void MovieLayout::SetDisplayLogo(bool v) {
    displayLogo_ = v;
    if (v) {
        logoMode_ = false;
    } else {
        const PlayerProperties props = Props();
        logoMode_ =
            !(props.OpenState() == kOpenStateOpen && props.ReadyState() == kReadyStateComplete &&
              props.Integer(d::ImageSourceWidth) != 0);
    }
    Update();
}

void MovieLayout::KeepLogoWithoutPicture() {
    if (Props().Integer(d::ImageSourceWidth) == 0 && !displayLogo_) logoMode_ = true;
}

void MovieLayout::FollowReadyState(int State) {
    if (!displayLogo_)
        logoMode_ = !(Props().OpenState() == kOpenStateOpen && State == kReadyStateComplete);
}

void MovieLayout::SetZoomSize(int v) {
    if (v <= 0 || v == zoomSize_) return;
    zoomSize_ = v;
    if (displaySize_ != mpCustomSize) return;
    if (host_.HandleAllocated())
        SendMessage(host_.Handle(), WM_SIZE, SIZE_RESTORED,
                    MAKELPARAM(host_.ClientWidth(), host_.ClientHeight()));
    else
        Update();
}

void MovieLayout::SetShowScrollBars(bool v) {
    showScrollBars_ = v;
    UpdateAndRepaint();
}

bool MovieLayout::SetVideoVisible(bool v) {
    if (videoVisible_ == v) return false;
    videoVisible_ = v;
    return true;
}

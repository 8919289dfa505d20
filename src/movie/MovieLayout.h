#pragma once
// Where the video sits inside the movie component: the inner panel that carries the player is
// placed by the display size, the zoom and two scroll bars (a corner panel fills the corner
// between them), or moved out of view while the video is hidden or the logo shows. The
// player's own display size follows ours and its control bar; full screen is its display
// size 3.
#include "framework/ScrollBarParts.h"

class TCustomPanel;
class TDerivedMovie_;
class TPanel;
class TScrollBar;
class PlayerProperties;

enum TDisplaySize { mpDefaultSize, mpHalfSize, mpDoubleSize, mpFitToSize, mpCustomSize };

class MovieLayout {
public:
    // Makes the scroll bars, the corner panel and the inner panel, children of Host and owned
    // by it.
    explicit MovieLayout(TCustomPanel& Host);
    MovieLayout(const MovieLayout&) = delete;
    MovieLayout& operator=(const MovieLayout&) = delete;

    // The player, put in the inner panel; no layout runs before it is there.
    void Attach(TDerivedMovie_& Player);
    // Once the player's window exists: the windows that carry the video clip their children,
    // and the bars and the corner panel come to the top.
    void ClipVideoWindows();
    void RaiseBars();

    // Places the inner panel.
    void Update();
    // A layout that repaints the inner panel too (it has moved under the bars or come back).
    void UpdateAndRepaint();
    // WM_SIZE, after the inherited handling: a layout unless one runs already.
    void SizeChanged();

    TDisplaySize DisplaySize() const { return displaySize_; }
    void SetDisplaySize(TDisplaySize v);
    // Writes the player's display size for DisplaySize again, which also leaves full screen.
    void ApplyDisplaySize() { SetDisplaySize(displaySize_); }
    // Reads the player's control bar setting and remembers it.
    bool ShowControls();
    void SetShowControls(bool v);
    bool FullScreenMode() const { return fullScreenMode_; }
    void SetFullScreenMode(bool v);
    // The player's display size 3.
    void EnterFullScreen();
    int ZoomSize() const { return zoomSize_; }
    void SetZoomSize(int v);
    bool ShowScrollBars() const { return showScrollBars_; }
    void SetShowScrollBars(bool v);
    int ScrollBarsThickness() const { return scrollBarsThickness_; }
    void SetScrollBarsThickness(int v) { scrollBarsThickness_ = v; }

    // The component's own visibility: the video, not the panel. False when unchanged; the
    // caller runs UpdateAndRepaint once it has set the panel's colour.
    bool VideoVisible() const { return videoVisible_; }
    bool SetVideoVisible(bool v);

    // While the logo mode is set the video stays out of view. DisplayLogo on clears it; off
    // sets it unless an open movie shows a complete picture.
    bool DisplayLogo() const { return displayLogo_; }
    void SetDisplayLogo(bool v);
    bool LogoMode() const { return logoMode_; }
    // With DisplayLogo off: an open movie without a picture keeps the logo; a ready-state
    // change shows the video only for a complete open movie.
    void KeepLogoWithoutPicture();
    void FollowReadyState(int State);

    TPanel* InnerPanel() const { return innerPanel_; }
    TScrollBar* HorzScrollBar() const { return horzBar_; }
    TScrollBar* VertScrollBar() const { return vertBar_; }
    TPanel* CornerPanel() const { return cornerPanel_; }

private:
    PlayerProperties Props() const;
    void HideScrollBars();
    void ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos);

    TCustomPanel& host_;
    TDerivedMovie_* player_ = nullptr;
    TScrollBar* horzBar_ = nullptr;
    TScrollBar* vertBar_ = nullptr;
    TPanel* cornerPanel_ = nullptr;
    TPanel* innerPanel_ = nullptr;
    TDisplaySize displaySize_ = mpDefaultSize;
    int zoomSize_ = 100;
    bool showScrollBars_ = true;
    int scrollBarsThickness_ = 16;
    // The thumbs' places as position / maximum.
    double horzFraction_ = 0.5;
    double vertFraction_ = 0.5;
    // As last set or read.
    bool showControls_ = true;
    bool displayLogo_ = true;
    bool logoMode_ = false;
    bool videoVisible_ = true;
    bool fullScreenMode_ = false;
    bool repaintOnLayout_ = false;
    bool layoutRunning_ = false;
};

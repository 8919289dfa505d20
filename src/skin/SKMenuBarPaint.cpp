#include "skin/SKMenuBarPaint.h"

#include "framework/Bitmap.h"
#include "framework/MenuPopup.h"
#include "platform/gdi/Gdi.h"
#include "skin/SKMainMenu.h"
#include "skin/SKMenu.h"

TskUIStyle MenuBarStyle(TMainMenu* Menu, TskUIStyle OwnStyle, TskFileTheme* OwnTheme,
                        TskFileTheme*& Theme) {
    if (auto* m = dynamic_cast<TskMainMenu*>(Menu)) {
        Theme = m->FileTheme();
        return m->UIStyle();
    }
    Theme = OwnTheme;
    return OwnStyle;
}

void DrawSkinMenuBarBackground(TToolBar* Bar, const TRect& Rect, TskUIStyle Style) {
    if (Style == MacOS) DrawMacItem(Bar->Canvas(), Rect);
}

void DrawSkinMenuBarButton(TToolBar* Bar, TToolButton* Button, TCustomDrawState State,
                           TMainMenu* Menu, TskUIStyle Style, TskFileTheme* Theme) {
    auto* m = dynamic_cast<TskMainMenu*>(Menu);
    TCanvas* c = Bar->Canvas();
    if (m && m->UseSystemFont()) {
        GetMenuFont(c->Font());
    } else if (m) {
        c->Font()->SetName(m->FontName());
        c->Font()->SetSize(m->FontSize());
        c->Font()->SetCharset(m->FontCharset());
    } else {
        c->SetFont(Bar->Font());
    }
    const String caption = Button->MenuItem() ? Button->MenuItem()->Caption() : Button->Caption();
    TRect R = Button->BoundsRect();
    const bool hot = State.Contains(cdsHot),
               pressed = State.Contains(cdsSelected) || Button->Pressed();
    const UINT centred = DT_CENTER | DT_SINGLELINE | DT_VCENTER;
    if ((hot || pressed) && Style == MacOS) {
        auto off = MakeObject<TBitmap>();
        const int w = R.right - R.left, h = R.bottom - R.top;
        if (w <= 0 || h <= 0) return;
        off->SetSize(w, h);
        DrawMacSelected(off->Canvas(), Rect(0, 0, w, h));
        off->Canvas()->SetFont(c->Font());
        off->Canvas()->Font()->SetColor(SkinColor(Theme, Style, tiMenuSelectedFontColor));
        off->Canvas()->Brush()->SetStyle(bsClear);
        DrawMenuText(off->Canvas(), caption, Rect(0, 2, w, h + 2), centred);
        c->Draw(R.left, R.top, off.get());
        return;
    }
    if (hot || pressed) {
        if (pressed) R.right -= 2;
        FillMenuRect(c, R, SkinColor(Theme, Style, tiMenuSelectedBackgroundColor));
        FrameMenuRect(c, R, SkinColor(Theme, Style, tiMenuSelectedBorderColor));
        if (pressed) R.left += 2;
        R.top += 2;
        c->Font()->SetColor(SkinColor(Theme, Style, tiMenuSelectedFontColor));
        c->Brush()->SetStyle(bsClear);
        DrawMenuText(c, caption, R, centred);
        return;
    }
    R.top += 2;
    TColor font = SkinColor(Theme, Style, tiMenuFontColor);
    if (Style == FromThemeFile && SkinColor(Theme, Style, tiControlFontColor) == 0x00030000)
        font = clWhite;
    if (!Button->Enabled()) font = 0x808080;
    c->Font()->SetColor(font);
    c->Brush()->SetStyle(bsClear);
    DrawMenuText(c, caption, R, centred);
}

// Screen, work area and the sizes of window parts.
#include "platform/user/Metrics.h"

#include "platform/user/Backend.h"

#include <cstring>

using user::CurrentDisplayBackend;

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
        return CurrentDisplayBackend().ScreenSize().cx;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
        return CurrentDisplayBackend().ScreenSize().cy;
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN:
        return 0;
    case SM_CXFULLSCREEN:
    case SM_CXMAXIMIZED: {
        RECT r = CurrentDisplayBackend().WorkArea();
        return r.right - r.left;
    }
    case SM_CYFULLSCREEN:
    case SM_CYMAXIMIZED: {
        RECT r = CurrentDisplayBackend().WorkArea();
        return r.bottom - r.top;
    }
    case SM_CXMAXTRACK:
        return CurrentDisplayBackend().ScreenSize().cx + 12;
    case SM_CYMAXTRACK:
        return CurrentDisplayBackend().ScreenSize().cy + 12;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 17;
    case SM_CYCAPTION:
        return 23;
    case SM_CYSMCAPTION:
        return 17;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 3;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
    case SM_CYMENUSIZE:
    case SM_CXMENUSIZE:
        return 19;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 21;
    case SM_CXSMSIZE:
    case SM_CYSMSIZE:
        return 15;
    case SM_CXMIN:
        return 112;
    case SM_CYMIN:
        return 27;
    case SM_CXMINTRACK:
        return 112;
    case SM_CYMINTRACK:
        return 27;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING:
        return 75;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
        return 13;
    case SM_MOUSEPRESENT:
    case SM_MOUSEWHEELPRESENT:
    case SM_CMONITORS:
        return 1;
    case SM_SWAPBUTTON:
    case SM_MENUDROPALIGNMENT:
        return 0;
    default:
        return 0;
    }
}

namespace {

LOGFONT uiFont(bool bold) {
    LOGFONT f;
    f.lfHeight = -11;
    f.lfWeight = bold ? 700 : 400;
    std::strncpy(f.lfFaceName, "Tahoma", sizeof(f.lfFaceName) - 1);
    return f;
}

} // namespace

BOOL SystemParametersInfo(UINT action, UINT, void* pvParam, UINT) {
    if (!pvParam) return FALSE;
    switch (action) {
    case SPI_GETWORKAREA:
        *static_cast<RECT*>(pvParam) = CurrentDisplayBackend().WorkArea();
        return TRUE;
    case SPI_GETNONCLIENTMETRICS: {
        auto* m = static_cast<NONCLIENTMETRICS*>(pvParam);
        if (m->cbSize != 340) return FALSE;
        m->iBorderWidth = 1;
        m->iScrollWidth = m->iScrollHeight = 17;
        m->iCaptionWidth = m->iCaptionHeight = 18;
        m->lfCaptionFont = uiFont(true);
        m->iSmCaptionWidth = m->iSmCaptionHeight = 12;
        m->lfSmCaptionFont = uiFont(true);
        m->iMenuWidth = m->iMenuHeight = 18;
        m->lfMenuFont = uiFont(false);
        m->lfStatusFont = uiFont(false);
        m->lfMessageFont = uiFont(false);
        return TRUE;
    }
    case SPI_GETWHEELSCROLLLINES:
        *static_cast<UINT*>(pvParam) = 3;
        return TRUE;
    case SPI_GETKEYBOARDDELAY:
        *static_cast<int*>(pvParam) = 1;
        return TRUE;
    case SPI_GETKEYBOARDSPEED:
        *static_cast<int*>(pvParam) = 31;
        return TRUE;
    case SPI_GETBORDER:
        *static_cast<int*>(pvParam) = 1;
        return TRUE;
    case SPI_GETDRAGFULLWINDOWS:
        *static_cast<BOOL*>(pvParam) = TRUE;
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* pvParam, UINT winIni) {
    return SystemParametersInfo(action, uiParam, pvParam, winIni);
}

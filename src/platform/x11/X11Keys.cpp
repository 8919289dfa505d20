#include "platform/x11/internal/Keys.h"

#include "platform/Utf8.h"
#include "platform/user/Input.h"

#include <X11/keysym.h>

namespace x11 {

std::string Latin1ToUtf8(const char* s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        utf8::Append(out, static_cast<unsigned char>(s[i]));
    return out;
}

int VirtualKeyOf(KeySym sym) {
    if (sym >= XK_a && sym <= XK_z) return static_cast<int>('A' + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z) return static_cast<int>('A' + (sym - XK_A));
    if (sym >= XK_0 && sym <= XK_9) return static_cast<int>('0' + (sym - XK_0));
    if (sym >= XK_F1 && sym <= XK_F12) return VK_F1 + static_cast<int>(sym - XK_F1);
    if (sym >= XK_KP_0 && sym <= XK_KP_9) return VK_NUMPAD0 + static_cast<int>(sym - XK_KP_0);
    switch (sym) {
    case XK_BackSpace:
        return VK_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        return VK_TAB;
    case XK_Return:
    case XK_KP_Enter:
        return VK_RETURN;
    case XK_Escape:
        return VK_ESCAPE;
    case XK_space:
        return VK_SPACE;
    case XK_Prior:
    case XK_KP_Prior:
        return VK_PRIOR;
    case XK_Next:
    case XK_KP_Next:
        return VK_NEXT;
    case XK_End:
    case XK_KP_End:
        return VK_END;
    case XK_Home:
    case XK_KP_Home:
        return VK_HOME;
    case XK_Left:
    case XK_KP_Left:
        return VK_LEFT;
    case XK_Up:
    case XK_KP_Up:
        return VK_UP;
    case XK_Right:
    case XK_KP_Right:
        return VK_RIGHT;
    case XK_Down:
    case XK_KP_Down:
        return VK_DOWN;
    case XK_Insert:
    case XK_KP_Insert:
        return VK_INSERT;
    case XK_Delete:
    case XK_KP_Delete:
        return VK_DELETE;
    case XK_Shift_L:
    case XK_Shift_R:
        return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R:
        return VK_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
        return VK_MENU;
    case XK_Caps_Lock:
        return VK_CAPITAL;
    case XK_Num_Lock:
        return VK_NUMLOCK;
    case XK_Scroll_Lock:
        return VK_SCROLL;
    case XK_Pause:
        return VK_PAUSE;
    case XK_Print:
        return VK_SNAPSHOT;
    case XK_Menu:
        return VK_APPS;
    case XK_KP_Multiply:
        return VK_MULTIPLY;
    case XK_KP_Add:
        return VK_ADD;
    case XK_KP_Subtract:
        return VK_SUBTRACT;
    case XK_KP_Decimal:
        return VK_DECIMAL;
    case XK_KP_Divide:
        return VK_DIVIDE;
    case XK_semicolon:
    case XK_colon:
        return VK_OEM_1;
    case XK_equal:
    case XK_plus:
        return VK_OEM_PLUS;
    case XK_comma:
    case XK_less:
        return VK_OEM_COMMA;
    case XK_minus:
    case XK_underscore:
        return VK_OEM_MINUS;
    case XK_period:
    case XK_greater:
        return VK_OEM_PERIOD;
    case XK_slash:
    case XK_question:
        return VK_OEM_2;
    case XK_grave:
    case XK_asciitilde:
        return VK_OEM_3;
    case XK_bracketleft:
    case XK_braceleft:
        return VK_OEM_4;
    case XK_backslash:
    case XK_bar:
        return VK_OEM_5;
    case XK_bracketright:
    case XK_braceright:
        return VK_OEM_6;
    case XK_apostrophe:
    case XK_quotedbl:
        return VK_OEM_7;
    default:
        return 0;
    }
}

} // namespace x11

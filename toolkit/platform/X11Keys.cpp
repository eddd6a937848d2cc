#include "toolkit/platform/X11Keys.h"

#include <X11/X.h>
#include <X11/keysym.h>

namespace {

struct Named {
    unsigned long keysym;
    unsigned char virt;
    char character;  // keypad keys type a character as well
};

constexpr Named kNamedKeys[] = {
    {XK_BackSpace, VKEY_BACK, 0},
    {XK_Tab, VKEY_TAB, 0},
    {XK_ISO_Left_Tab, VKEY_TAB, 0},  // Shift+Tab on most keymaps
    {XK_Clear, VKEY_CLEAR, 0},
    {XK_Return, VKEY_RETURN, 0},
    {XK_Pause, VKEY_PAUSE, 0},
    {XK_Escape, VKEY_ESCAPE, 0},
    {XK_Page_Down, VKEY_PAGEDOWN, 0},
    {XK_Page_Up, VKEY_PAGEUP, 0},
    {XK_End, VKEY_END, 0},
    {XK_Home, VKEY_HOME, 0},
    {XK_Left, VKEY_LEFT, 0},
    {XK_Up, VKEY_UP, 0},
    {XK_Right, VKEY_RIGHT, 0},
    {XK_Down, VKEY_DOWN, 0},
    {XK_Select, VKEY_SELECT, 0},
    {XK_Print, VKEY_PRINT, 0},
    {XK_Insert, VKEY_INSERT, 0},
    {XK_Delete, VKEY_DELETE, 0},
    {XK_Help, VKEY_HELP, 0},
    {XK_Num_Lock, VKEY_NUMLOCK, 0},
    {XK_Scroll_Lock, VKEY_SCROLL, 0},
    {XK_Shift_L, VKEY_SHIFT, 0},
    {XK_Shift_R, VKEY_SHIFT, 0},
    {XK_Control_L, VKEY_CONTROL, 0},
    {XK_Control_R, VKEY_CONTROL, 0},
    {XK_Alt_L, VKEY_ALT, 0},
    {XK_Alt_R, VKEY_ALT, 0},
    // Keypad with Num Lock off: the keys it stands in for.
    {XK_KP_Enter, VKEY_ENTER, 0},
    {XK_KP_Tab, VKEY_TAB, 0},
    {XK_KP_Home, VKEY_HOME, 0},
    {XK_KP_End, VKEY_END, 0},
    {XK_KP_Left, VKEY_LEFT, 0},
    {XK_KP_Up, VKEY_UP, 0},
    {XK_KP_Right, VKEY_RIGHT, 0},
    {XK_KP_Down, VKEY_DOWN, 0},
    {XK_KP_Page_Up, VKEY_PAGEUP, 0},
    {XK_KP_Page_Down, VKEY_PAGEDOWN, 0},
    {XK_KP_Insert, VKEY_INSERT, 0},
    {XK_KP_Delete, VKEY_DELETE, 0},
    // Keypad with Num Lock on: so that numbers typed there reach text fields.
    {XK_KP_Space, VKEY_SPACE, ' '},
    {XK_KP_0, VKEY_NUMPAD0, '0'},
    {XK_KP_1, VKEY_NUMPAD1, '1'},
    {XK_KP_2, VKEY_NUMPAD2, '2'},
    {XK_KP_3, VKEY_NUMPAD3, '3'},
    {XK_KP_4, VKEY_NUMPAD4, '4'},
    {XK_KP_5, VKEY_NUMPAD5, '5'},
    {XK_KP_6, VKEY_NUMPAD6, '6'},
    {XK_KP_7, VKEY_NUMPAD7, '7'},
    {XK_KP_8, VKEY_NUMPAD8, '8'},
    {XK_KP_9, VKEY_NUMPAD9, '9'},
    {XK_KP_Multiply, VKEY_MULTIPLY, '*'},
    {XK_KP_Add, VKEY_ADD, '+'},
    {XK_KP_Separator, VKEY_SEPARATOR, ','},
    {XK_KP_Subtract, VKEY_SUBTRACT, '-'},
    {XK_KP_Decimal, VKEY_DECIMAL, '.'},
    {XK_KP_Divide, VKEY_DIVIDE, '/'},
    {XK_KP_Equal, VKEY_EQUALS, '='},
};

unsigned char modifiersOf(unsigned int state) {
    unsigned char modifier = 0;
    if (state & ShiftMask) modifier |= MODIFIER_SHIFT;
    if (state & ControlMask) modifier |= MODIFIER_CONTROL;
    if (state & Mod1Mask) modifier |= MODIFIER_ALTERNATE;
    return modifier;
}

}  // namespace

std::optional<VstKeyCode> translateX11Key(unsigned long keysym, unsigned int state) {
    VstKeyCode key{0, 0, modifiersOf(state)};
    // Latin-1 key symbols are their own code points.
    if (keysym == XK_space) {
        key.character = ' ';
        key.virt = VKEY_SPACE;
        return key;
    }
    if ((keysym > XK_space && keysym <= XK_asciitilde) || (keysym >= XK_nobreakspace && keysym <= XK_ydiaeresis)) {
        key.character = static_cast<VstInt32>(keysym);
        return key;
    }
    if (keysym >= XK_F1 && keysym <= XK_F12) {
        key.virt = static_cast<unsigned char>(VKEY_F1 + (keysym - XK_F1));
        return key;
    }
    for (const Named& named : kNamedKeys) {
        if (named.keysym == keysym) {
            key.virt = named.virt;
            key.character = named.character;
            return key;
        }
    }
    return std::nullopt;
}

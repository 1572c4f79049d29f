#include "X11Hotkeys.h"

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdlib>

namespace kestrova {

namespace {
constexpr std::uint16_t kShift = 4;
constexpr std::uint16_t kCtrl = 8;
constexpr std::uint16_t kAlt = 16;
// NumLock is Mod2 on every common layout; CapsLock is Lock.
constexpr std::uint16_t kLockStates[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                         XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr std::uint16_t kRelevant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

} // namespace

std::uint32_t KeysymOf(std::uint16_t code) {
    if (code >= 65 && code <= 90) return XK_a + (code - 65);
    if (code >= 48 && code <= 57) return XK_0 + (code - 48);
    if (code >= 112 && code <= 123) return XK_F1 + (code - 112);
    if (code >= 96 && code <= 105) return XK_KP_0 + (code - 96);
    switch (code) {
    case 106:
        return XK_KP_Multiply;
    case 107:
        return XK_KP_Add;
    case 109:
        return XK_KP_Subtract;
    case 110:
        return XK_KP_Delete;
    case 111:
        return XK_KP_Divide;
    case 192:
        return XK_grave;
    case 189:
        return XK_minus;
    case 187:
        return XK_equal;
    case 220:
        return XK_backslash;
    case 221:
        return XK_bracketright;
    case 219:
        return XK_bracketleft;
    case 222:
        return XK_apostrophe;
    case 186:
        return XK_semicolon;
    case 191:
        return XK_slash;
    case 190:
        return XK_period;
    case 188:
        return XK_comma;
    case 8:
        return XK_BackSpace;
    case 9:
        return XK_Tab;
    case 13:
        return XK_Return;
    case 20:
        return XK_Caps_Lock;
    case 27:
        return XK_Escape;
    case 32:
        return XK_space;
    case 33:
        return XK_Prior;
    case 34:
        return XK_Next;
    case 35:
        return XK_End;
    case 36:
        return XK_Home;
    case 37:
        return XK_Left;
    case 39:
        return XK_Right;
    case 38:
        return XK_Up;
    case 40:
        return XK_Down;
    case 45:
        return XK_Insert;
    case 46:
        return XK_Delete;
    case 145:
        return XK_Scroll_Lock;
    default:
        return XCB_NO_SYMBOL;
    }
}

namespace {

std::uint16_t ModMask(std::uint8_t modifiers) {
    std::uint16_t mask = 0;
    if (modifiers & kCtrl) mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & kAlt) mask |= XCB_MOD_MASK_1;
    if (modifiers & kShift) mask |= XCB_MOD_MASK_SHIFT;
    return mask;
}
} // namespace

CX11Hotkeys::CX11Hotkeys(xcb_connection_t* connection, std::uint32_t root)
    : m_connection(connection), m_root(root), m_symbols(xcb_key_symbols_alloc(connection)) {}

CX11Hotkeys::~CX11Hotkeys() {
    UnregisterAll();
    xcb_key_symbols_free(m_symbols);
}

CX11Hotkeys::Result CX11Hotkeys::Register(int id, std::uint16_t code, std::uint8_t modifiers) {
    Unregister(id);
    const xcb_keysym_t keysym = KeysymOf(code);
    xcb_keycode_t* keycodes =
        keysym == XCB_NO_SYMBOL ? nullptr : xcb_key_symbols_get_keycode(m_symbols, keysym);
    if (!keycodes || keycodes[0] == XCB_NO_SYMBOL) {
        std::free(keycodes);
        return Result::Failed;
    }
    const xcb_keycode_t keycode = keycodes[0];
    std::free(keycodes);
    const std::uint16_t mask = ModMask(modifiers);
    Result result = Result::Registered;
    std::vector<std::uint16_t> grabbed;
    for (std::uint16_t lock : kLockStates) {
        const xcb_void_cookie_t cookie =
            xcb_grab_key_checked(m_connection, 1, m_root, mask | lock, keycode, XCB_GRAB_MODE_ASYNC,
                                 XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            result = error->error_code == XCB_ACCESS ? Result::InUse : Result::Failed;
            std::free(error);
            break;
        }
        grabbed.push_back(mask | lock);
    }
    if (result != Result::Registered) {
        // Half a hotkey is none: what was grabbed is let go again.
        for (std::uint16_t m : grabbed)
            xcb_ungrab_key(m_connection, keycode, m_root, m);
        xcb_flush(m_connection);
        return result;
    }
    m_grabs.push_back({id, keycode, mask});
    return result;
}

void CX11Hotkeys::Unregister(int id) {
    for (auto it = m_grabs.begin(); it != m_grabs.end();) {
        if (it->id != id) {
            ++it;
            continue;
        }
        for (std::uint16_t lock : kLockStates)
            xcb_ungrab_key(m_connection, it->keycode, m_root, it->modifiers | lock);
        it = m_grabs.erase(it);
    }
    xcb_flush(m_connection);
}

void CX11Hotkeys::UnregisterAll() {
    while (!m_grabs.empty())
        Unregister(m_grabs.front().id);
}

std::optional<int> CX11Hotkeys::Match(std::uint8_t keycode, std::uint16_t state) const {
    for (const Grab& g : m_grabs)
        if (g.keycode == keycode && (state & kRelevant) == g.modifiers) return g.id;
    return std::nullopt;
}

} // namespace kestrova

// System-wide hotkeys on X11: passive key grabs on the root window, one per combination
// and per state of NumLock and CapsLock (so that neither stops a hotkey from firing). A
// combination another client holds is told apart (its grab answers BadAccess). Works on
// any xcb connection: the program's own (Qt's), or a test's. No widgets.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct xcb_connection_t;
struct _XCBKeySymbols;

namespace kestrova {

// The X keysym of a virtual-key code of the key-name table (0 when it has none).
std::uint32_t KeysymOf(std::uint16_t code);

class CX11Hotkeys {
public:
    enum class Result { Registered, InUse, Failed };

    CX11Hotkeys(xcb_connection_t* connection, std::uint32_t root);
    ~CX11Hotkeys();
    CX11Hotkeys(const CX11Hotkeys&) = delete;
    CX11Hotkeys& operator=(const CX11Hotkeys&) = delete;

    // `code` a virtual-key code of the key-name table, `modifiers` the shortcut flags (4
    // Shift, 8 Ctrl, 16 Alt). An id already registered is released first.
    Result Register(int id, std::uint16_t code, std::uint8_t modifiers);
    void Unregister(int id);
    void UnregisterAll();
    // The hotkey a key press (its keycode and modifier state) stands for.
    std::optional<int> Match(std::uint8_t keycode, std::uint16_t state) const;

private:
    struct Grab {
        int id;
        std::uint8_t keycode;
        std::uint16_t modifiers;
    };
    xcb_connection_t* m_connection;
    std::uint32_t m_root;
    _XCBKeySymbols* m_symbols;
    std::vector<Grab> m_grabs;
};

} // namespace kestrova

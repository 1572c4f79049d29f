#include "HotkeyFilter.h"

#include "desktop/X11Hotkeys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <xcb/xcb.h>

namespace kestrova {

CHotkeyFilter::CHotkeyFilter(std::function<void(std::uint16_t)> fired, QObject* parent)
    : QObject(parent), m_fired(std::move(fired)) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return;
    xcb_connection_t* connection = x11->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    m_hotkeys = std::make_unique<CX11Hotkeys>(connection, root);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

CHotkeyFilter::~CHotkeyFilter() {
    if (m_hotkeys) QCoreApplication::instance()->removeNativeEventFilter(this);
}

QStringList CHotkeyFilter::Register(const AccelItems& table) {
    QStringList told;
    if (!m_hotkeys) return told;
    m_hotkeys->UnregisterAll();
    for (const ACCEL_ITEM& item : table) {
        if (!item.systemHotkey) continue;
        switch (m_hotkeys->Register(item.nameId, item.key, item.modifiers)) {
        case CX11Hotkeys::Result::Registered:
            break;
        case CX11Hotkeys::Result::InUse:
            told << item.keyText + QString::fromUtf8(" 系统热键重复使用！");
            break;
        case CX11Hotkeys::Result::Failed:
            told << QStringLiteral("Failed to register Hotkey!");
            break;
        }
    }
    return told;
}

bool CHotkeyFilter::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    if (!m_hotkeys || type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS) return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    const std::optional<int> id = m_hotkeys->Match(press->detail, press->state);
    if (!id) return false;
    m_fired(std::uint16_t(*id));
    return true;
}

} // namespace kestrova

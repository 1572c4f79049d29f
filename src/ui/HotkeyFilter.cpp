#include "HotkeyFilter.h"

#include "desktop/PortalShortcuts.h"
#include "desktop/X11Hotkeys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <xcb/xcb.h>

namespace kestrova {

namespace {
QString PortalId(std::uint16_t nameId) {
    return QStringLiteral("hotkey-%1").arg(nameId);
}
} // namespace

CHotkeyFilter::CHotkeyFilter(std::function<void(std::uint16_t)> fired, QObject* parent)
    : QObject(parent), m_fired(std::move(fired)) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) {
        if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ||
            !CPortalShortcuts::Offered(QDBusConnection::sessionBus()))
            return;
        m_portal = new CPortalShortcuts(QDBusConnection::sessionBus(), this);
        connect(m_portal, &CPortalShortcuts::activated, this, [this](const QString& id) {
            for (const ACCEL_ITEM& item : m_asked)
                if (PortalId(item.nameId) == id) m_fired(item.nameId);
        });
        connect(m_portal, &CPortalShortcuts::bound, this, &CHotkeyFilter::PortalBound);
        return;
    }
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
    if (m_portal) {
        m_asked.clear();
        std::vector<CPortalShortcuts::Shortcut> wanted;
        for (const ACCEL_ITEM& item : table) {
            if (!item.systemHotkey) continue;
            const shortcuts::Entry* entry = shortcuts::EntryOf(item.nameId);
            m_asked.push_back(item);
            wanted.push_back({PortalId(item.nameId),
                              entry ? QString::fromUtf8(entry->name).trimmed() : item.keyText,
                              PortalTrigger(item.modifiers, item.key)});
        }
        m_portal->Bind(wanted);
        return told;
    }
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

void CHotkeyFilter::PortalBound(const QStringList& ids) {
    QStringList missing;
    for (const ACCEL_ITEM& item : m_asked)
        if (!ids.contains(PortalId(item.nameId))) missing << item.keyText;
    if (!missing.isEmpty()) Q_EMIT windowOnly(missing);
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

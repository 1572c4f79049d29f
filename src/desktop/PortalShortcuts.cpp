#include "PortalShortcuts.h"

#include "X11Hotkeys.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <xkbcommon/xkbcommon.h>

namespace kestrova {

namespace {
constexpr const char* kRequestInterface = "org.freedesktop.portal.Request";
constexpr const char* kSessionInterface = "org.freedesktop.portal.Session";
constexpr std::uint8_t kShift = 4;
constexpr std::uint8_t kCtrl = 8;
constexpr std::uint8_t kAlt = 16;
} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

void RegisterPortalTypes() {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcuts>();
}

QString PortalTrigger(std::uint8_t modifiers, std::uint16_t code) {
    const std::uint32_t keysym = KeysymOf(code);
    char name[64];
    if (keysym == 0 || xkb_keysym_get_name(keysym, name, sizeof name) <= 0) return {};
    QStringList parts;
    if (modifiers & kCtrl) parts << QStringLiteral("CTRL");
    if (modifiers & kAlt) parts << QStringLiteral("ALT");
    if (modifiers & kShift) parts << QStringLiteral("SHIFT");
    parts << QString::fromLatin1(name);
    return parts.join(QLatin1Char('+'));
}

CPortalShortcuts::CPortalShortcuts(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {
    RegisterPortalTypes();
    m_bus.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                  QString::fromLatin1(kInterface), QStringLiteral("Activated"), this,
                  SLOT(OnActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

CPortalShortcuts::~CPortalShortcuts() {
    DropRequest();
    CloseSession();
}

bool CPortalShortcuts::Offered(const QDBusConnection& bus) {
    if (!bus.isConnected()) return false;
    // Asking for the interface's version starts a portal that is only activatable.
    QDBusMessage get = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({QString::fromLatin1(kInterface), QStringLiteral("version")});
    return bus.call(get, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
}

void CPortalShortcuts::Bind(const std::vector<Shortcut>& shortcuts) {
    DropRequest();
    CloseSession();
    m_wanted = shortcuts;
    if (m_wanted.empty()) return;
    const QString token = NewRequest(SLOT(OnSessionCreated(uint, QVariantMap)));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), token}};
    Call(QStringLiteral("CreateSession"), {options});
}

QString CPortalShortcuts::NewRequest(const char* slot) {
    DropRequest();
    const QString token = QStringLiteral("kestrova%1").arg(++m_serial);
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    m_request = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    m_requestSlot = slot;
    m_bus.connect(QString::fromLatin1(kService), m_request, QString::fromLatin1(kRequestInterface),
                  QStringLiteral("Response"), this, m_requestSlot);
    return token;
}

void CPortalShortcuts::DropRequest() {
    if (m_request.isEmpty()) return;
    m_bus.disconnect(QString::fromLatin1(kService), m_request,
                     QString::fromLatin1(kRequestInterface), QStringLiteral("Response"), this,
                     m_requestSlot);
    m_request.clear();
    m_requestSlot = nullptr;
}

void CPortalShortcuts::Call(const QString& method, const QList<QVariant>& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    const QString expected = m_request;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, expected](QDBusPendingCallWatcher*) {
                watcher->deleteLater();
                if (m_request != expected) return; // a newer request took over
                const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
                if (reply.isError()) {
                    qWarning("Global shortcuts portal: %s", qPrintable(reply.error().message()));
                    DropRequest();
                    Q_EMIT bound({});
                    return;
                }
                // An older portal answers on a path of its own choosing.
                const QString handle = reply.value().path();
                if (handle != m_request) {
                    const char* slot = m_requestSlot;
                    DropRequest();
                    m_request = handle;
                    m_requestSlot = slot;
                    m_bus.connect(QString::fromLatin1(kService), m_request,
                                  QString::fromLatin1(kRequestInterface),
                                  QStringLiteral("Response"), this, m_requestSlot);
                }
            });
}

void CPortalShortcuts::OnSessionCreated(uint response, const QVariantMap& results) {
    DropRequest();
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    m_session = handle.canConvert<QDBusObjectPath>() && handle.userType() != QMetaType::QString
                    ? handle.value<QDBusObjectPath>().path()
                    : handle.toString();
    if (response != 0 || m_session.isEmpty()) {
        m_session.clear();
        Q_EMIT bound({});
        return;
    }
    PortalShortcuts list;
    for (const Shortcut& s : m_wanted) {
        QVariantMap properties{{QStringLiteral("description"), s.description}};
        if (!s.trigger.isEmpty()) properties.insert(QStringLiteral("preferred_trigger"), s.trigger);
        list.append({s.id, properties});
    }
    const QString token = NewRequest(SLOT(OnShortcutsBound(uint, QVariantMap)));
    Call(QStringLiteral("BindShortcuts"),
         {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(list), QString(),
          QVariantMap{{QStringLiteral("handle_token"), token}}});
}

void CPortalShortcuts::OnShortcutsBound(uint response, const QVariantMap& results) {
    DropRequest();
    QStringList ids;
    if (response == 0) {
        PortalShortcuts list;
        const QVariant answer = results.value(QStringLiteral("shortcuts"));
        if (answer.userType() == qMetaTypeId<QDBusArgument>())
            answer.value<QDBusArgument>() >> list;
        for (const PortalShortcut& s : list)
            ids << s.id;
    }
    Q_EMIT bound(ids);
}

void CPortalShortcuts::OnActivated(const QDBusObjectPath& session, const QString& id, qulonglong,
                                   const QVariantMap&) {
    if (!m_session.isEmpty() && session.path() == m_session) Q_EMIT activated(id);
}

void CPortalShortcuts::CloseSession() {
    if (m_session.isEmpty()) return;
    m_bus.send(QDBusMessage::createMethodCall(QString::fromLatin1(kService), m_session,
                                              QString::fromLatin1(kSessionInterface),
                                              QStringLiteral("Close")));
    m_session.clear();
}

} // namespace kestrova

// System-wide hotkeys where the program cannot grab keys itself (Wayland): the desktop
// portal's global-shortcuts interface on the session bus. The portal binds a set of
// shortcuts once per session, usually after asking the learner, so every new set opens a new
// session; its answer and every press come back as signals. No widgets. GUI thread.
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <vector>

namespace kestrova {

// One shortcut as the portal sends and receives it: an id and its properties
// ("description", "preferred_trigger", "trigger_description").
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
using PortalShortcuts = QList<PortalShortcut>;
QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut);
// Makes the shortcut list known to QtDBus (any number of calls).
void RegisterPortalTypes();

// A combination in the desktop's trigger notation ("CTRL+ALT+p"): the modifiers in the
// shortcut flags (4 Shift, 8 Ctrl, 16 Alt) and a virtual-key code of the key-name table.
// Empty when the key has no name there.
QString PortalTrigger(std::uint8_t modifiers, std::uint16_t code);

class CPortalShortcuts : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kService = "org.freedesktop.portal.Desktop";
    static constexpr const char* kPath = "/org/freedesktop/portal/desktop";
    static constexpr const char* kInterface = "org.freedesktop.portal.GlobalShortcuts";

    explicit CPortalShortcuts(QDBusConnection bus, QObject* parent = nullptr);
    ~CPortalShortcuts() override; // the session is closed, and its shortcuts with it

    // Whether the bus has a portal that offers global shortcuts.
    static bool Offered(const QDBusConnection& bus);

    struct Shortcut {
        QString id;
        QString description;
        QString trigger;
    };
    // Asks for `shortcuts` in a new session (the previous one is closed). The answer comes
    // as `bound`; an empty set only closes the session.
    void Bind(const std::vector<Shortcut>& shortcuts);

Q_SIGNALS:
    // The portal's answer to the last Bind: the ids it bound (none when the learner refused
    // or the portal failed).
    void bound(const QStringList& ids);
    void activated(const QString& id);

private Q_SLOTS:
    void OnSessionCreated(uint response, const QVariantMap& results);
    void OnShortcutsBound(uint response, const QVariantMap& results);
    void OnActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                     const QVariantMap& options);

private:
    // A request of the portal answers on its own object, whose path follows from our unique
    // name and the token we give; the answer is listened for before the request is made.
    QString NewRequest(const char* slot);
    void DropRequest();
    void Call(const QString& method, const QList<QVariant>& arguments);
    void CloseSession();

    QDBusConnection m_bus;
    QString m_session;
    QString m_request; // the request whose answer is awaited
    const char* m_requestSlot = nullptr;
    std::vector<Shortcut> m_wanted;
    int m_serial = 0;
};

} // namespace kestrova

Q_DECLARE_METATYPE(kestrova::PortalShortcut)

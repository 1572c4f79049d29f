// The desktop session: media keys over the session bus (a private dbus-daemon, the MPRIS
// service of a study session on one connection and a client on another, as a desktop's media
// widget would be), global shortcuts through a desktop portal on that bus, and the autostart
// entry.
#include "audio/AudioOutput.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "desktop/Autostart.h"
#include "desktop/Mpris.h"
#include "desktop/PortalShortcuts.h"
#include "player/EffectsController.h"
#include "player/PlaybackController.h"
#include "player/PlaylistModel.h"
#include "player/SentenceModel.h"
#include "player/StudySession.h"
#include "support/Fixtures.h"

#include <atomic>

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>

using namespace kestrova;
using namespace kestrova::test;

// A desktop portal offering global shortcuts, as a Wayland desktop does: it answers each
// request on the request's own object, and binds all it is asked, only the first, or nothing
// (the learner refused). It runs on a thread of its own, because the program asks whether a
// portal is there with a blocking call.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    enum class Mode { BindAll, BindFirst, Refuse };
    std::atomic<Mode> mode{Mode::BindAll};
    QString session;       // the last session made
    PortalShortcuts asked; // the last shortcuts asked for

    explicit FakePortal(QDBusConnection bus) : m_bus(std::move(bus)) {}
    uint version() const { return 1; }
    void Press(const QString& sessionPath, const QString& id) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QString::fromLatin1(CPortalShortcuts::kPath),
            QString::fromLatin1(CPortalShortcuts::kInterface), QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(sessionPath)) << id << qulonglong(0)
               << QVariantMap();
        m_bus.send(signal);
    }

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
        const QString request = RequestPath(message, options);
        session = QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                      .arg(Sender(message), options.value("session_handle_token").toString());
        Respond(request, 0, {{QStringLiteral("session_handle"), session}});
        return QDBusObjectPath(request);
    }
    QDBusObjectPath BindShortcuts(const QDBusObjectPath&,
                                  const QList<kestrova::PortalShortcut>& shortcuts, const QString&,
                                  const QVariantMap& options, const QDBusMessage& message) {
        const QString request = RequestPath(message, options);
        asked = shortcuts;
        PortalShortcuts bound = shortcuts;
        if (mode == Mode::BindFirst) bound = bound.mid(0, 1);
        Respond(request, mode == Mode::Refuse ? 1 : 0,
                {{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}});
        return QDBusObjectPath(request);
    }

private:
    static QString Sender(const QDBusMessage& message) {
        return message.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    }
    static QString RequestPath(const QDBusMessage& message, const QVariantMap& options) {
        return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
            .arg(Sender(message), options.value("handle_token").toString());
    }
    // The answer comes after the method's reply, as from a real portal's dialog.
    void Respond(const QString& request, uint response, const QVariantMap& results) {
        QTimer::singleShot(0, this, [this, request, response, results] {
            QDBusMessage signal = QDBusMessage::createSignal(
                request, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"));
            signal << response << results;
            m_bus.send(signal);
        });
    }
    QDBusConnection m_bus;
};

class TestMpris : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;
    QProcess m_daemon;
    QString m_address;
    int m_changes = 0;

    // Calls a method of the player's interface and waits for the answer without blocking
    // the service, which answers on this same thread.
    QVariant Call(const QString& interface, const QString& method,
                  const QList<QVariant>& args = {}) {
        QDBusConnection client = QDBusConnection(QStringLiteral("client"));
        QDBusMessage message = QDBusMessage::createMethodCall(
            QString::fromLatin1(CMprisService::kServiceName),
            QString::fromLatin1(CMprisService::kObjectPath), interface, method);
        message.setArguments(args);
        QDBusPendingCall pending = client.asyncCall(message);
        for (int i = 0; i < 500 && !pending.isFinished(); ++i)
            QTest::qWait(10);
        if (!pending.isFinished() || pending.isError()) {
            qWarning("%s failed: %s", qPrintable(method), qPrintable(pending.error().message()));
            return QVariant(QStringLiteral("failed"));
        }
        const QList<QVariant> reply = pending.reply().arguments();
        return reply.isEmpty() ? QVariant() : reply.first();
    }
    QVariant Property(const QString& name) {
        const QVariant v =
            Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                 {QStringLiteral("org.mpris.MediaPlayer2.Player"), name});
        return v.value<QDBusVariant>().variant();
    }

public Q_SLOTS:
    void PropertiesChanged(const QString&, const QVariantMap&, const QStringList&) { ++m_changes; }

private Q_SLOTS:
    void initTestCase() {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=/usr/share/dbus-1/session.conf"),
                        QStringLiteral("--print-address=1"), QStringLiteral("--nofork")});
        QVERIFY(m_daemon.waitForStarted());
        QTRY_VERIFY(m_daemon.canReadLine());
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QVERIFY(QDBusConnection::connectToBus(m_address, QStringLiteral("service")).isConnected());
        QVERIFY(QDBusConnection::connectToBus(m_address, QStringLiteral("client")).isConnected());
    }
    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }

    // Play, pause, the next sentence, the position, the rate and the properties a media
    // widget shows, with PropertiesChanged as playback changes.
    void mediaKeysDriveTheLoop() {
        ScopedEnv home("KESTROVA_HOME", m_home.path().toUtf8());
        CAppSetting settings;
        settings.DisableStoreOnExit();
        settings.UseSplit = false;
        settings.Volume = 80;
        CStudySession session(settings,
                              std::make_unique<CMediaCore>(std::make_unique<CNullAudioOutput>()));
        CMprisService mpris(session, QDBusConnection(QStringLiteral("service")));
        QVERIFY(mpris.Registered());
        QVERIFY(QDBusConnection(QStringLiteral("client"))
                    .connect(QString::fromLatin1(CMprisService::kServiceName),
                             QString::fromLatin1(CMprisService::kObjectPath),
                             QStringLiteral("org.freedesktop.DBus.Properties"),
                             QStringLiteral("PropertiesChanged"), this,
                             SLOT(PropertiesChanged(QString, QVariantMap, QStringList))));
        const QString player = QStringLiteral("org.mpris.MediaPlayer2.Player");
        QCOMPARE(Property(QStringLiteral("PlaybackStatus")).toString(), QString("Stopped"));

        session.Playlist().SetPaths({Media("lesson.wav")});
        QVERIFY(session.Controller().OpenEntry(0));
        session.Sentences().SetSentences({{0, 100}, {100, 200}, {200, 300}});
        QCOMPARE(Property(QStringLiteral("PlaybackStatus")).toString(), QString("Playing"));
        QTRY_VERIFY(m_changes > 0);
        Call(player, QStringLiteral("PlayPause"));
        QVERIFY(session.Engine().IsPaused());
        QCOMPARE(Property(QStringLiteral("PlaybackStatus")).toString(), QString("Paused"));
        // Next: the next sentence of the lesson.
        session.Sentences().SelectSentence(0);
        QVERIFY(Property(QStringLiteral("CanGoNext")).toBool());
        Call(player, QStringLiteral("Next"));
        QCOMPARE(session.Sentences().Current(), 1);
        // The position in microseconds, both ways.
        session.Controller().Execute(CommandId::ClearRegion);
        Call(player, QStringLiteral("SetPosition"),
             {QVariant::fromValue(QDBusObjectPath("/org/kestrova/entry/0")), qlonglong(2500000)});
        QCOMPARE(session.Engine().GetPosition(), 2500);
        QCOMPARE(Property(QStringLiteral("Position")).toLongLong(), qlonglong(2500000));
        // The rate is the tempo.
        Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
             {player, QStringLiteral("Rate"), QVariant::fromValue(QDBusVariant(0.7))});
        QCOMPARE(session.Effects().Tempo(), 30);
        QCOMPARE(Property(QStringLiteral("Rate")).toDouble(), 0.7);
        QCOMPARE(Property(QStringLiteral("Volume")).toDouble(), 0.8);
        const QVariantMap meta = qdbus_cast<QVariantMap>(Property(QStringLiteral("Metadata")));
        QCOMPARE(meta.value(QStringLiteral("xesam:title")).toString(), QString("lesson"));
        QVERIFY(meta.value(QStringLiteral("mpris:length")).toLongLong() > 2000000);
        Call(player, QStringLiteral("Stop"));
        QVERIFY(session.Engine().IsStopped());
    }

    // The desktop's trigger notation of a combination.
    void portalTriggers_data() {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("Ctrl+Alt+P") << (8 | 16) << 80 << "CTRL+ALT+p";
        QTest::newRow("Shift+Page Up") << 4 << 33 << "SHIFT+Prior";
        QTest::newRow("Ctrl+F1") << 8 << 112 << "CTRL+F1";
        QTest::newRow("Num 0") << 0 << 96 << "KP_0";
        QTest::newRow("no such key") << 8 << 0 << "";
    }
    void portalTriggers() {
        QFETCH(int, modifiers);
        QFETCH(int, code);
        QFETCH(QString, trigger);
        QCOMPARE(PortalTrigger(std::uint8_t(modifiers), std::uint16_t(code)), trigger);
    }

    // Global shortcuts through the portal: offered only where a portal answers; a bound set
    // fires its presses, a new set replaces the old session (whose presses no longer count),
    // and what the portal did not bind is told.
    void portalShortcuts() {
        QDBusConnection client(QStringLiteral("client"));
        QVERIFY(!CPortalShortcuts::Offered(client));
        QDBusConnection portalBus =
            QDBusConnection::connectToBus(m_address, QStringLiteral("portal"));
        RegisterPortalTypes();
        QThread thread;
        FakePortal portal(portalBus);
        portal.moveToThread(&thread);
        thread.start();
        auto stop = qScopeGuard([&] {
            thread.quit();
            thread.wait();
            QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        });
        QVERIFY(portalBus.registerObject(QString::fromLatin1(CPortalShortcuts::kPath), &portal,
                                         QDBusConnection::ExportAllSlots |
                                             QDBusConnection::ExportAllProperties));
        QVERIFY(portalBus.registerService(QString::fromLatin1(CPortalShortcuts::kService)));
        QVERIFY(CPortalShortcuts::Offered(client));

        CPortalShortcuts shortcuts(client);
        QSignalSpy bound(&shortcuts, &CPortalShortcuts::bound);
        QSignalSpy fired(&shortcuts, &CPortalShortcuts::activated);
        shortcuts.Bind({{"hotkey-1", QString::fromUtf8("播放/暂停"), "CTRL+ALT+p"},
                        {"hotkey-2", QString::fromUtf8("下一句"), "CTRL+ALT+Down"}});
        QTRY_COMPARE(bound.count(), 1);
        QCOMPARE(bound.at(0).at(0).toStringList(), QStringList({"hotkey-1", "hotkey-2"}));
        QCOMPARE(portal.asked.size(), 2);
        QCOMPARE(portal.asked.at(0).properties.value("description").toString(),
                 QString::fromUtf8("播放/暂停"));
        QCOMPARE(portal.asked.at(1).properties.value("preferred_trigger").toString(),
                 QString("CTRL+ALT+Down"));
        const QString first = portal.session;
        portal.Press(first, "hotkey-2");
        QTRY_COMPARE(fired.count(), 1);
        QCOMPARE(fired.at(0).at(0).toString(), QString("hotkey-2"));

        portal.mode = FakePortal::Mode::BindFirst;
        shortcuts.Bind({{"hotkey-3", "a", "CTRL+a"}, {"hotkey-4", "b", "CTRL+b"}});
        QTRY_COMPARE(bound.count(), 2);
        QCOMPARE(bound.at(1).at(0).toStringList(), QStringList({"hotkey-3"}));
        QVERIFY(portal.session != first);
        portal.Press(first, "hotkey-2"); // the old session's press
        portal.Press(portal.session, "hotkey-3");
        QTRY_COMPARE(fired.count(), 2);
        QCOMPARE(fired.at(1).at(0).toString(), QString("hotkey-3"));

        portal.mode = FakePortal::Mode::Refuse;
        shortcuts.Bind({{"hotkey-5", "c", "CTRL+c"}});
        QTRY_COMPARE(bound.count(), 3);
        QVERIFY(bound.at(2).at(0).toStringList().isEmpty());
    }

    // Running at logon: the entry names the program by its full path, quoted when the path
    // needs it; off removes it.
    void autostartEntry() {
        QTemporaryDir config;
        ScopedEnv xdg("XDG_CONFIG_HOME", config.path().toUtf8());
        QCOMPARE(autostart::QuotedArgument("/usr/bin/kestrova"), QString("/usr/bin/kestrova"));
        QCOMPARE(autostart::QuotedArgument("/opt/my $apps/kestrova"),
                 QString("\"/opt/my \\\\$apps/kestrova\""));
        QVERIFY(autostart::Set(true, "/opt/study tools/kestrova"));
        QCOMPARE(autostart::EntryPath(), config.filePath("autostart/Kestrova.desktop"));
        const QByteArray entry = ReadFileBytes(autostart::EntryPath());
        QVERIFY(entry.startsWith("[Desktop Entry]\n"));
        QVERIFY(entry.contains("\nExec=\"/opt/study tools/kestrova\"\n"));
        QVERIFY(autostart::Set(false, "/opt/study tools/kestrova"));
        QVERIFY(!QFile::exists(autostart::EntryPath()));
        QVERIFY(autostart::Set(false, "/opt/study tools/kestrova")); // nothing to remove
    }
};

QTEST_GUILESS_MAIN(TestMpris)
#include "tst_mpris.moc"

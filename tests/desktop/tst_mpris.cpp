// The desktop session: media keys over the session bus (a private dbus-daemon, the MPRIS
// service of a study session on one connection and a client on another, as a desktop's media
// widget would be), and the autostart entry.
#include "audio/AudioOutput.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "desktop/Autostart.h"
#include "desktop/Mpris.h"
#include "player/EffectsController.h"
#include "player/PlaybackController.h"
#include "player/PlaylistModel.h"
#include "player/SentenceModel.h"
#include "player/StudySession.h"
#include "support/Fixtures.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kestrova;
using namespace kestrova::test;

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

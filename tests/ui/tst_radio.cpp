// The radio's stream player through a real sound server: streams this test serves itself on
// the loopback address (an MP3 file over HTTP, an endless chunked stream with ICY titles),
// heard on the private PulseAudio daemon's null sink, and the addresses that cannot play
// (a refused connection, a body that is no sound) saying so. Real time: a few seconds each.
#include "support/Fixtures.h"
#include "support/SoundServer.h"
#include "ui/RadioPlayer.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace kestrova;
using namespace kestrova::test;

namespace {

constexpr int kMetaInterval = 8000; // audio bytes between two ICY metadata blocks
const char kStreamTitle[] = "Kestrova Test FM - Lesson One";

// MP3 frames without the ID3 tag in front, so that they can be repeated end to end.
QByteArray Mp3Frames(const QByteArray& file) {
    if (file.size() > 10 && file.startsWith("ID3")) {
        const auto b = [&](int i) { return int(quint8(file[i])) & 0x7f; };
        const int size = (b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9);
        return file.mid(10 + size);
    }
    return file;
}

// A small HTTP server: "/lesson.mp3" is a file with its length, "/live" an endless chunked
// stream paced in real time, with ICY metadata when the client asks for it,
// "/text" a body that is no sound.
class CStreamServer : public QObject {
public:
    explicit CStreamServer(const QByteArray& mp3) : m_file(mp3), m_frames(Mp3Frames(mp3)) {
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) Serve(socket);
        });
    }
    bool Listen() { return m_server.listen(QHostAddress::LocalHost); }
    QString Url(const char* path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(QLatin1String(path));
    }
    bool askedForTitles = false;

private:
    void Serve(QTcpSocket* socket) {
        auto request = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            request->append(socket->readAll());
            if (!request->contains("\r\n\r\n")) return;
            QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
            const QByteArray path = request->split(' ').value(1);
            const bool icy = request->toLower().contains("icy-metadata: 1");
            if (path == "/lesson.mp3") {
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: " +
                              QByteArray::number(m_file.size()) + "\r\nConnection: close\r\n\r\n");
                socket->write(m_file);
                socket->disconnectFromHost();
            } else if (path == "/live") {
                askedForTitles = askedForTitles || icy;
                StartLive(socket, icy);
            } else if (path == "/text") {
                const QByteArray body = "This is not a sound file.\r\nJust some text.\r\n";
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
                              body);
                socket->disconnectFromHost();
            } else {
                socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
                socket->disconnectFromHost();
            }
        });
    }

    void StartLive(QTcpSocket* socket, bool icy) {
        QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\n"
                          "Transfer-Encoding: chunked\r\nicy-name: Kestrova Test\r\n";
        if (icy) head += "icy-metaint: " + QByteArray::number(kMetaInterval) + "\r\n";
        socket->write(head + "\r\n");
        struct Live {
            qint64 offset = 0;   // in the repeated frames
            int sinceTitle = 0;  // audio bytes since the last metadata block
        };
        auto live = std::make_shared<Live>();
        auto* timer = new QTimer(socket);
        // 128 kbit/s is 16 000 bytes a second: 1 600 every 100 ms is real time, as a station
        // sends (the player's buffer then stays low while it plays).
        QObject::connect(timer, &QTimer::timeout, socket, [this, socket, live, icy] {
            if (socket->state() != QAbstractSocket::ConnectedState) return;
            QByteArray body;
            for (int left = 1600; left > 0;) {
                int n = std::min<qint64>(left, m_frames.size() - live->offset % m_frames.size());
                if (icy) n = std::min(n, kMetaInterval - live->sinceTitle);
                body += m_frames.mid(live->offset % m_frames.size(), n);
                live->offset += n;
                left -= n;
                live->sinceTitle += n;
                if (icy && live->sinceTitle == kMetaInterval) {
                    QByteArray meta = QByteArray("StreamTitle='") + kStreamTitle + "';";
                    const int blocks = (meta.size() + 15) / 16;
                    meta.append(QByteArray(blocks * 16 - meta.size(), '\0'));
                    body += char(blocks);
                    body += meta;
                    live->sinceTitle = 0;
                }
            }
            socket->write(QByteArray::number(body.size(), 16) + "\r\n" + body + "\r\n");
        });
        timer->start(100);
    }

    QTcpServer m_server;
    QByteArray m_file, m_frames;
};

} // namespace

class TestRadio : public QObject {
    Q_OBJECT

    CPrivateSoundServer m_sound;
    std::unique_ptr<CStreamServer> m_streams;

    // The RMS of what the sink played over the last `ms`.
    static double HeardLevel(CMonitorRecorder& rec, int ms) {
        const std::vector<float> mono = rec.Mono();
        const std::int64_t count = std::int64_t(ms) * 44100 / 1000;
        if (std::int64_t(mono.size()) < count) return 0;
        return Rms(mono, std::int64_t(mono.size()) - count, count);
    }

private Q_SLOTS:
    void initTestCase() {
        QString why;
        QVERIFY2(m_sound.Start(&why), qPrintable(why));
        m_streams = std::make_unique<CStreamServer>(ReadFileBytes(Media("lesson.mp3")));
        QVERIFY(m_streams->Listen());
    }

    // A file over HTTP and an endless chunked stream both reach "playing" and are heard; the
    // stream's ICY title is shown; Stop silences it; playing it again starts it again.
    void streamsAreHeard_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("titled");
        QTest::newRow("mp3 file") << "/lesson.mp3" << false;
        QTest::newRow("endless chunked stream with titles") << "/live" << true;
    }
    void streamsAreHeard() {
        QFETCH(QString, path);
        QFETCH(bool, titled);
        CRadioPlayer player;
        CMonitorRecorder rec;
        QVERIFY(rec.Start());
        QSignalSpy started(&player, &CRadioPlayer::started);
        player.Play(m_streams->Url(path.toLatin1().constData()), QStringLiteral("Test"));
        QCOMPARE(started.count(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(player.GetState(), CRadioPlayer::State::Playing, 20000);
        QCOMPARE(player.StatusText(), QString::fromUtf8("正在播放"));
        QTest::qWait(1500);
        QVERIFY2(HeardLevel(rec, 1000) > 0.02, "the stream is not heard on the sink");
        if (titled) QCOMPARE(player.GetState(), CRadioPlayer::State::Playing); // while heard
        if (titled) {
            QVERIFY(m_streams->askedForTitles);
            QTRY_COMPARE_WITH_TIMEOUT(player.StreamTitle(), QString::fromLatin1(kStreamTitle), 10000);
        }
        player.Stop();
        QCOMPARE(player.GetState(), CRadioPlayer::State::Stopped);
        QTest::qWait(800);
        QVERIFY2(HeardLevel(rec, 300) < 0.005, "the radio sounds on after Stop");
        // The same address again starts afresh.
        player.Replay();
        QTRY_COMPARE_WITH_TIMEOUT(player.GetState(), CRadioPlayer::State::Playing, 20000);
        player.Stop();
    }

    // What cannot play says why in the player's state, instead of staying silent.
    void failuresAreShown_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("reason");
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        QTest::newRow("refused") << QStringLiteral("http://127.0.0.1:%1/live").arg(port)
                                 << QString::fromUtf8("无法连接到该地址");
        QTest::newRow("no sound") << m_streams->Url("/text") << QString();
        QTest::newRow("no address") << QStringLiteral("   ") << QString::fromUtf8("地址无效");
    }
    void failuresAreShown() {
        QFETCH(QString, url);
        QFETCH(QString, reason);
        CRadioPlayer player;
        player.Play(url);
        QTRY_COMPARE_WITH_TIMEOUT(player.GetState(), CRadioPlayer::State::Failed, 20000);
        QVERIFY2(player.StatusText().startsWith(QString::fromUtf8("无法播放：") + reason),
                 qPrintable(player.StatusText()));
        // The failure stands (no later state of the dead stream hides it) until played again.
        QTest::qWait(300);
        QCOMPARE(player.GetState(), CRadioPlayer::State::Failed);
    }
};

QTEST_MAIN(TestRadio)
#include "tst_radio.moc"

// The study loop on the session bus as an MPRIS media player (org.mpris.MediaPlayer2.kestrova):
// the keyboard's media keys and the desktop's media controls play, pause, stop, step to the
// next or previous sentence (file when the lesson has no sentences), seek, and set the rate
// (the effects' tempo, 0.4 to 1.6). Properties follow the playback controller and are told
// through PropertiesChanged. No widgets. GUI thread.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

namespace kestrova {

class CStudySession;

class CMprisService : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.kestrova";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    CMprisService(CStudySession& session, QDBusConnection bus, QObject* parent = nullptr);
    ~CMprisService() override;
    // False when the bus refused the name or the object (another Kestrova has it).
    bool Registered() const { return m_registered; }

    CStudySession& Session() { return m_session; }
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    qint64 PositionUs() const;
    double Rate() const;
    void SetRate(double rate);
    double Volume() const;
    void SetVolume(double volume);
    bool CanGoNext() const;
    bool CanGoPrevious() const;
    void Next();
    void Previous();
    void Seek(qint64 offsetUs);
    void SetPositionUs(qint64 positionUs);

Q_SIGNALS:
    // The desktop asked to bring the window forward.
    void raiseRequested();

private:
    void Changed(const QVariantMap& properties);

    CStudySession& m_session;
    QDBusConnection m_bus;
    bool m_registered = false;
};

} // namespace kestrova

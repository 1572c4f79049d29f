#include "Mpris.h"

#include "audio/MediaCore.h"
#include "player/EffectsController.h"
#include "player/PlaybackController.h"
#include "player/SentenceModel.h"
#include "player/StudySession.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QUrl>

namespace kestrova {

namespace {
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";

// org.mpris.MediaPlayer2: who the player is.
class CRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
    explicit CRootAdaptor(CMprisService* service)
        : QDBusAbstractAdaptor(service), m_service(service) {}
    bool CanQuit() const { return false; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Kestrova"); }
    QString DesktopEntry() const { return QStringLiteral("kestrova"); }
    QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList SupportedMimeTypes() const { return {}; }
public Q_SLOTS:
    void Raise() { Q_EMIT m_service->raiseRequested(); }
    void Quit() {}

private:
    CMprisService* m_service;
};

// org.mpris.MediaPlayer2.Player: the transport.
class CPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(QString LoopStatus READ LoopStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(bool Shuffle READ Shuffle)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit CPlayerAdaptor(CMprisService* service) : QDBusAbstractAdaptor(service), m_s(service) {}
    QString PlaybackStatus() const { return m_s->PlaybackStatus(); }
    QString LoopStatus() const { return QStringLiteral("None"); }
    double Rate() const { return m_s->Rate(); }
    void SetRate(double rate) { m_s->SetRate(rate); }
    bool Shuffle() const { return false; }
    QVariantMap Metadata() const { return m_s->Metadata(); }
    double Volume() const { return m_s->Volume(); }
    void SetVolume(double volume) { m_s->SetVolume(volume); }
    qlonglong Position() const { return m_s->PositionUs(); }
    double MinimumRate() const { return 0.4; }
    double MaximumRate() const { return 1.6; }
    bool CanGoNext() const { return m_s->CanGoNext(); }
    bool CanGoPrevious() const { return m_s->CanGoPrevious(); }
    bool CanPlay() const { return m_s->Session().Controller().IsEnabled(CommandId::PlayPause); }
    bool CanPause() const { return CanPlay(); }
    bool CanSeek() const { return CanPlay(); }
    bool CanControl() const { return true; }
public Q_SLOTS:
    void Next() { m_s->Next(); }
    void Previous() { m_s->Previous(); }
    void Pause() { m_s->Session().Controller().Execute(CommandId::Pause); }
    void PlayPause() { m_s->Session().Controller().Execute(CommandId::PlayPause); }
    void Stop() { m_s->Session().Controller().Execute(CommandId::Stop); }
    void Play() { m_s->Session().Controller().Execute(CommandId::Play); }
    void Seek(qlonglong offset) { m_s->Seek(offset); }
    void SetPosition(const QDBusObjectPath&, qlonglong position) { m_s->SetPositionUs(position); }
    void OpenUri(const QString&) {}
Q_SIGNALS:
    void Seeked(qlonglong position);

private:
    CMprisService* m_s;
};
} // namespace

CMprisService::CMprisService(CStudySession& session, QDBusConnection bus, QObject* parent)
    : QObject(parent), m_session(session), m_bus(std::move(bus)) {
    new CRootAdaptor(this);
    new CPlayerAdaptor(this);
    m_registered = m_bus.registerObject(QString::fromLatin1(kObjectPath), this) &&
                   m_bus.registerService(QString::fromLatin1(kServiceName));
    CPlaybackController& c = session.Controller();
    connect(&c, &CPlaybackController::stateChanged, this, [this] {
        Changed(
            {{QStringLiteral("PlaybackStatus"), PlaybackStatus()},
             {QStringLiteral("CanPlay"), m_session.Controller().IsEnabled(CommandId::PlayPause)},
             {QStringLiteral("CanPause"), m_session.Controller().IsEnabled(CommandId::PlayPause)}});
    });
    connect(&c, &CPlaybackController::entryOpened, this, [this] {
        Changed({{QStringLiteral("Metadata"), Metadata()}});
    });
    connect(&c, &CPlaybackController::volumeChanged, this, [this] {
        Changed({{QStringLiteral("Volume"), Volume()}});
    });
    connect(&c, &CPlaybackController::commandEnabledChanged, this, [this] {
        Changed({{QStringLiteral("CanGoNext"), CanGoNext()},
                 {QStringLiteral("CanGoPrevious"), CanGoPrevious()}});
    });
    connect(&session.Effects(), &CEffectsController::changed, this, [this] {
        Changed({{QStringLiteral("Rate"), Rate()}});
    });
}

CMprisService::~CMprisService() {
    if (m_registered) {
        m_bus.unregisterService(QString::fromLatin1(kServiceName));
        m_bus.unregisterObject(QString::fromLatin1(kObjectPath));
    }
}

void CMprisService::Changed(const QVariantMap& properties) {
    if (!m_registered) return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kPlayerInterface) << properties << QStringList();
    m_bus.send(signal);
}

QString CMprisService::PlaybackStatus() const {
    switch (m_session.Controller().GetState()) {
    case CPlaybackController::State::Playing:
        return QStringLiteral("Playing");
    case CPlaybackController::State::Paused:
        return QStringLiteral("Paused");
    default:
        return QStringLiteral("Stopped");
    }
}

QVariantMap CMprisService::Metadata() const {
    const QString entry = m_session.Controller().CurrentEntry();
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"),
               QVariant::fromValue(
                   QDBusObjectPath(QStringLiteral("/org/kestrova/entry/%1")
                                       .arg(std::max(0, m_session.Controller().PlaylistIndex())))));
    if (entry.isEmpty()) return map;
    const CMediaCore& engine = m_session.Controller().Engine();
    map.insert(QStringLiteral("mpris:length"), qlonglong(engine.GetLength()) * 1000);
    map.insert(QStringLiteral("xesam:title"), QFileInfo(entry).completeBaseName());
    map.insert(QStringLiteral("xesam:artist"), QStringList{QStringLiteral("Kestrova")});
    map.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(entry).toString());
    return map;
}

qint64 CMprisService::PositionUs() const {
    const CMediaCore& engine = m_session.Controller().Engine();
    return engine.HasChannel() ? qint64(engine.GetPosition()) * 1000 : 0;
}

double CMprisService::Rate() const {
    return 1.0 + (m_session.Effects().Tempo() - CEffectsController::kTempoNeutral) / 100.0;
}

void CMprisService::SetRate(double rate) {
    // The rate is the tempo (pitch kept): 0.4 to 1.6 in steps of a percent.
    m_session.Effects().SetTempo(int(std::lround((std::clamp(rate, 0.4, 1.6) - 1.0) * 100)) +
                                 CEffectsController::kTempoNeutral);
}

double CMprisService::Volume() const {
    return m_session.Controller().Muted() ? 0.0 : m_session.Controller().Volume() / 100.0;
}

void CMprisService::SetVolume(double volume) {
    m_session.Controller().SetVolume(int(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

bool CMprisService::CanGoNext() const {
    const CPlaybackController& c = m_session.Controller();
    return m_session.Sentences().Count() > 0 ? c.IsEnabled(CommandId::NextSentence)
                                             : c.IsEnabled(CommandId::NextFile);
}

bool CMprisService::CanGoPrevious() const {
    const CPlaybackController& c = m_session.Controller();
    return m_session.Sentences().Count() > 0 ? c.IsEnabled(CommandId::PrevSentence)
                                             : c.IsEnabled(CommandId::PrevFile);
}

void CMprisService::Next() {
    // A lesson with sentences steps by sentence, else by file.
    m_session.Controller().Execute(m_session.Sentences().Count() > 0 ? CommandId::NextSentence
                                                                     : CommandId::NextFile);
}

void CMprisService::Previous() {
    m_session.Controller().Execute(m_session.Sentences().Count() > 0 ? CommandId::PrevSentence
                                                                     : CommandId::PrevFile);
}

void CMprisService::Seek(qint64 offsetUs) {
    SetPositionUs(PositionUs() + offsetUs);
}

void CMprisService::SetPositionUs(qint64 positionUs) {
    const CMediaCore& engine = m_session.Controller().Engine();
    if (!engine.HasChannel()) return;
    const qint64 ms = std::clamp<qint64>(positionUs / 1000, 0, engine.GetLength());
    m_session.Controller().SeekTo(int(ms / 10));
}

} // namespace kestrova

#include "Mpris.moc"

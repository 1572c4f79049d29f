#include "RadioPlayer.h"

#include <QAudioOutput>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace kestrova {

namespace {
// The position moved this recently: the stream sounds, whatever the buffer says.
constexpr qint64 kMovingMs = 1500;

QString Reason(QMediaPlayer::Error error, const QString& detail) {
    QString reason;
    switch (error) {
    case QMediaPlayer::ResourceError: reason = QString::fromUtf8("无法连接到该地址"); break;
    case QMediaPlayer::FormatError: reason = QString::fromUtf8("不支持的流格式"); break;
    case QMediaPlayer::NetworkError: reason = QString::fromUtf8("网络错误"); break;
    case QMediaPlayer::AccessDeniedError: reason = QString::fromUtf8("没有访问权限"); break;
    default: reason = QString::fromUtf8("播放出错"); break;
    }
    return detail.isEmpty() ? reason : reason + QStringLiteral("（") + detail + QStringLiteral("）");
}
} // namespace

CRadioPlayer::CRadioPlayer(QObject* parent) : QObject(parent), m_player(nullptr), m_output(nullptr) {}

CRadioPlayer::~CRadioPlayer() {
    if (m_player) m_player->stop();
}

QMediaPlayer& CRadioPlayer::Media() {
    // Made on first use: the media framework loads its plugins only when the radio is used.
    if (m_player) return *m_player;
    m_player = new QMediaPlayer(this);
    m_output = new QAudioOutput(this);
    m_output->setVolume(float(m_volume) / 100.0f);
    m_player->setAudioOutput(m_output);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &CRadioPlayer::Follow);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &CRadioPlayer::Follow);
    connect(m_player, &QMediaPlayer::bufferProgressChanged, this, [this](float progress) {
        m_buffer = std::clamp(int(std::lround(progress * 100)), 0, 100);
        Follow();
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error error, const QString& detail) {
                if (error == QMediaPlayer::NoError || m_url.isEmpty()) return;
                m_error = Reason(error, detail);
                m_player->stop();
                SetState(State::Failed);
            });
    // A stream that arrives no faster than it plays keeps the framework's buffer low, and it
    // reports "buffering" all along while the sound goes on: the position moving is what
    // tells that the radio sounds.
    connect(m_player, &QMediaPlayer::positionChanged, this, [this](qint64 position) {
        const bool moved = m_lastPosition >= 0 && position > m_lastPosition &&
                           m_player->playbackState() == QMediaPlayer::PlayingState;
        m_lastPosition = position;
        if (!moved) return;
        m_moved.start();
        Follow();
    });
    connect(m_player, &QMediaPlayer::metaDataChanged, this, &CRadioPlayer::ReadTitle);
    // A stream's title changes with every song or programme, and the media framework takes
    // the new one in without a signal: it is read again every second while the radio sounds,
    // when also a position that stopped moving shows as buffering again.
    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(1000);
    connect(m_pollTimer, &QTimer::timeout, this, [this] {
        ReadTitle();
        Follow();
    });
    return *m_player;
}

void CRadioPlayer::ReadTitle() {
    const QString title = m_player->metaData().stringValue(QMediaMetaData::Title).trimmed();
    if (title == m_title) return;
    m_title = title;
    Q_EMIT changed();
}

QUrl CRadioPlayer::AddressOf(const QString& text) {
    const QString address = text.trimmed();
    if (address.isEmpty()) return QUrl();
    return QUrl::fromUserInput(address);
}

void CRadioPlayer::Play(const QString& url, const QString& name) {
    m_url = url.trimmed();
    m_name = name.isEmpty() ? m_url : name;
    m_title.clear();
    m_error.clear();
    m_buffer = 0;
    const QUrl address = AddressOf(m_url);
    if (!address.isValid() || address.isEmpty()) {
        if (m_player) m_player->stop();
        m_error = QString::fromUtf8("地址无效");
        SetState(State::Failed);
        return;
    }
    QMediaPlayer& player = Media();
    player.stop();
    // The same address again is a new start: the player forgets the old one first, or it
    // would keep the old stream's status.
    player.setSource(QUrl());
    player.setSource(address);
    m_lastPosition = -1;
    m_moved.invalidate();
    Q_EMIT started();
    SetState(State::Connecting);
    player.play();
}

void CRadioPlayer::Replay() {
    if (!m_url.isEmpty()) Play(m_url, m_name);
}

void CRadioPlayer::Stop() {
    if (m_player) m_player->stop();
    if (m_state != State::Failed) SetState(State::Stopped);
}

int CRadioPlayer::Volume() const {
    return m_volume;
}

void CRadioPlayer::SetVolume(int volume) {
    m_volume = std::clamp(volume, 0, 100);
    if (m_output) m_output->setVolume(float(m_volume) / 100.0f);
    Q_EMIT changed();
}

void CRadioPlayer::Follow() {
    // A failure stands until the learner plays again.
    if (!m_player || m_state == State::Failed) return;
    if (m_player->playbackState() != QMediaPlayer::PlayingState) {
        if (m_state != State::Connecting || m_player->mediaStatus() != QMediaPlayer::LoadingMedia)
            SetState(State::Stopped);
        return;
    }
    switch (m_player->mediaStatus()) {
    case QMediaPlayer::NoMedia:
    case QMediaPlayer::LoadingMedia:
    case QMediaPlayer::LoadedMedia: SetState(State::Connecting); break;
    case QMediaPlayer::StalledMedia:
    case QMediaPlayer::BufferingMedia:
        SetState(m_moved.isValid() && m_moved.elapsed() < kMovingMs ? State::Playing
                                                                     : State::Buffering);
        break;
    case QMediaPlayer::BufferedMedia: SetState(State::Playing); break;
    case QMediaPlayer::EndOfMedia: SetState(State::Stopped); break;
    case QMediaPlayer::InvalidMedia:
        m_error = Reason(QMediaPlayer::FormatError, QString());
        m_player->stop();
        SetState(State::Failed);
        break;
    }
    Q_EMIT changed(); // the buffer level moves within a state
}

void CRadioPlayer::SetState(State state) {
    if (state == m_state) return;
    m_state = state;
    if (m_pollTimer) {
        if (state == State::Stopped || state == State::Failed)
            m_pollTimer->stop();
        else
            m_pollTimer->start();
    }
    Q_EMIT changed();
}

QString CRadioPlayer::StatusText() const {
    switch (m_state) {
    case State::Stopped: return QString::fromUtf8("已停止");
    case State::Connecting: return QString::fromUtf8("正在连接…");
    case State::Buffering: return QString::fromUtf8("正在缓冲… %1%").arg(m_buffer);
    case State::Playing: return QString::fromUtf8("正在播放");
    case State::Failed: return QString::fromUtf8("无法播放：") + m_error;
    }
    return QString();
}

} // namespace kestrova

// The radio page's stream player: takes an address and plays it through the desktop's media
// framework (not through the lesson's audio engine), and sums up what the stream does in one
// state the player view shows: connecting, buffering, playing, stopped, or failed with the
// reason. GUI thread.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QUrl>

class QMediaPlayer;
class QAudioOutput;
class QTimer;

namespace kestrova {

class CRadioPlayer : public QObject {
    Q_OBJECT
public:
    enum class State { Stopped, Connecting, Buffering, Playing, Failed };

    explicit CRadioPlayer(QObject* parent = nullptr);
    ~CRadioPlayer() override;

    // Plays `url` (an address as the learner typed it: "example.org/live" means http),
    // naming it `name` (the station's name; empty: the address itself).
    void Play(const QString& url, const QString& name = QString());
    // Plays the last address again.
    void Replay();
    void Stop();

    State GetState() const { return m_state; }
    QString Url() const { return m_url; }
    QString Name() const { return m_name; }
    // What the stream says it plays (its ICY title or tags); empty when it says nothing.
    QString StreamTitle() const { return m_title; }
    // The state as the player view words it ("正在缓冲… 40%", "无法播放：…").
    QString StatusText() const;
    int Volume() const; // 0..100
    void SetVolume(int volume);

    // Interprets the learner's text as an address (no scheme: http).
    static QUrl AddressOf(const QString& text);

    // The media framework's player (made on first use).
    QMediaPlayer& Media();

Q_SIGNALS:
    // The radio begins to sound (or to connect): the lesson gives way.
    void started();
    void changed();

private:
    void Follow();
    void ReadTitle();
    void SetState(State state);
    QMediaPlayer* m_player;
    QAudioOutput* m_output;
    QTimer* m_pollTimer = nullptr; // the title and a stalled position, every second
    State m_state = State::Stopped;
    QString m_url, m_name, m_title, m_error;
    int m_buffer = 0;
    int m_volume = 80;
    qint64 m_lastPosition = -1;
    QElapsedTimer m_moved; // since the position last moved
};

} // namespace kestrova

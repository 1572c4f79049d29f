// The three daily alarms: armed flags, times ("HH:mm:ss") and prompt texts kept in the
// settings, and the one-second check that tells an armed alarm when its time comes. A tick
// that comes late still tells an alarm whose second it skipped (the check covers the time
// since the last tick, never more than a minute back), and an alarm stays armed for the next
// day. Alarms armed in the profile are armed again at start. The clock is injected, so tests
// never wait. No widgets. GUI thread.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>

namespace kestrova {

class CAppSetting;

class CAlarmClock : public QObject {
    Q_OBJECT
public:
    static constexpr int kAlarms = 3;
    using Clock = std::function<QDateTime()>;

    // `clock` gives the local time (the real one when empty).
    explicit CAlarmClock(CAppSetting& settings, Clock clock = {}, QObject* parent = nullptr);

    // Alarm n (1..3): armed with `time` stored as "HH:mm:ss", or not armed (its time stays).
    void SetAlarm(int n, const QTime& time, bool enabled);
    // Every alarm off, the check stopped.
    void AllOff();
    bool Armed(int n) const;
    QTime Time(int n) const; // invalid when the stored text is no time of day
    QString Text(int n) const;
    void SetText(int n, const QString& text);
    bool Checking() const { return m_timer.isActive(); }

    // One tick of the check (the timer calls it every second).
    void Check();

    // The program's clock: the real one, or, when KESTROVA_NOW holds a local date and time
    // ("2026-12-11T07:29:50"), a clock that starts there and runs on in real time (to see an
    // alarm go off without waiting for its hour).
    static Clock ProgramClock();

    // A stored time text as a time of day ("7:30:00" and "07:30:00" alike).
    static QTime ParseTime(const QString& text);

Q_SIGNALS:
    // Alarm n's time came: its prompt text is to be shown (in alarm order within a tick).
    void alarm(int n, const QString& text);

private:
    bool& ArmedFlag(int n) const;
    QString& TimeText(int n) const;
    QString& PromptText(int n) const;
    void StartChecking();

    CAppSetting& m_settings;
    Clock m_clock;
    QTimer m_timer;
    QDateTime m_last; // the time the last check covered up to
};

} // namespace kestrova

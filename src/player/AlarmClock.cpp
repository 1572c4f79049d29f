#include "AlarmClock.h"

#include "common/AppSetting.h"

#include <QElapsedTimer>
#include <memory>

namespace kestrova {

CAlarmClock::CAlarmClock(CAppSetting& settings, Clock clock, QObject* parent)
    : QObject(parent), m_settings(settings), m_clock(std::move(clock)) {
    if (!m_clock) m_clock = [] { return QDateTime::currentDateTime(); };
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &CAlarmClock::Check);
    // Armed in an earlier run: armed again, in the form the check compares.
    for (int n = 1; n <= kAlarms; ++n)
        if (ArmedFlag(n)) {
            const QTime t = ParseTime(TimeText(n));
            if (t.isValid()) {
                TimeText(n) = t.toString(QStringLiteral("HH:mm:ss"));
                StartChecking();
            } else {
                ArmedFlag(n) = false;
            }
        }
}

bool& CAlarmClock::ArmedFlag(int n) const {
    bool* flags[] = {&m_settings.bAlarm1, &m_settings.bAlarm2, &m_settings.bAlarm3};
    return *flags[std::clamp(n, 1, kAlarms) - 1];
}

QString& CAlarmClock::TimeText(int n) const {
    QString* texts[] = {&m_settings.strAlarm1, &m_settings.strAlarm2, &m_settings.strAlarm3};
    return *texts[std::clamp(n, 1, kAlarms) - 1];
}

QString& CAlarmClock::PromptText(int n) const {
    QString* texts[] = {&m_settings.strAlarmTxt1, &m_settings.strAlarmTxt2,
                        &m_settings.strAlarmTxt3};
    return *texts[std::clamp(n, 1, kAlarms) - 1];
}

QTime CAlarmClock::ParseTime(const QString& text) {
    for (const char* format : {"H:mm:ss", "HH:mm:ss", "H:m:s"}) {
        const QTime t = QTime::fromString(text.trimmed(), QString::fromLatin1(format));
        if (t.isValid()) return t;
    }
    return {};
}

bool CAlarmClock::Armed(int n) const {
    return ArmedFlag(n);
}

QTime CAlarmClock::Time(int n) const {
    return ParseTime(TimeText(n));
}

QString CAlarmClock::Text(int n) const {
    return PromptText(n);
}

void CAlarmClock::SetText(int n, const QString& text) {
    PromptText(n) = text;
}

void CAlarmClock::StartChecking() {
    if (m_timer.isActive()) return;
    m_last = m_clock();
    m_timer.start();
}

void CAlarmClock::SetAlarm(int n, const QTime& time, bool enabled) {
    if (n < 1 || n > kAlarms) return;
    if (!enabled) {
        ArmedFlag(n) = false; // the time stays as it was
        return;
    }
    ArmedFlag(n) = true;
    TimeText(n) = time.toString(QStringLiteral("HH:mm:ss"));
    StartChecking();
}

void CAlarmClock::AllOff() {
    m_timer.stop();
    for (int n = 1; n <= kAlarms; ++n)
        ArmedFlag(n) = false;
}

CAlarmClock::Clock CAlarmClock::ProgramClock() {
    const QDateTime start =
        QDateTime::fromString(qEnvironmentVariable("KESTROVA_NOW"), Qt::ISODate);
    if (!start.isValid()) return {};
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    return [start, elapsed] { return start.addMSecs(elapsed->elapsed()); };
}

void CAlarmClock::Check() {
    const QDateTime now = m_clock();
    // The seconds since the last check, the current one included: a late tick misses
    // nothing, a clock set back or a long sleep tells nothing twice or stale.
    QDateTime from = m_last.isValid() ? m_last : now.addSecs(-1);
    if (from > now || from.secsTo(now) > 60) from = now.addSecs(-1);
    m_last = now;
    for (int n = 1; n <= kAlarms; ++n) {
        if (!ArmedFlag(n)) continue;
        const QTime t = ParseTime(TimeText(n));
        if (!t.isValid()) continue;
        for (const QDate& day : {now.date(), now.date().addDays(-1)}) {
            const QDateTime at(day, t);
            if (at > from && at <= now) {
                Q_EMIT alarm(n, PromptText(n));
                break;
            }
        }
    }
}

} // namespace kestrova

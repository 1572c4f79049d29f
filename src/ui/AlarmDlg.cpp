#include "AlarmDlg.h"

#include "player/AlarmClock.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace kestrova {

CAlarmDlg::CAlarmDlg(CAlarmClock& clock, QWidget* parent) : QDialog(parent), m_clock(clock) {
    setObjectName(QStringLiteral("AlarmDlg"));
    setWindowTitle(QString::fromUtf8("定时器"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    for (int n = 1; n <= CAlarmClock::kAlarms; ++n) {
        Row& row = m_rows[std::size_t(n - 1)];
        grid->addWidget(new QLabel(QString::number(n), this), n - 1, 0);
        row.on = new QCheckBox(this);
        row.on->setObjectName(QStringLiteral("alarmOn%1").arg(n));
        row.time = new QTimeEdit(this);
        row.time->setObjectName(QStringLiteral("alarmTime%1").arg(n));
        row.time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        row.text = new QLineEdit(this);
        row.text->setMinimumWidth(180);
        row.text->setObjectName(QStringLiteral("alarmText%1").arg(n));
        grid->addWidget(row.on, n - 1, 1);
        grid->addWidget(row.time, n - 1, 2);
        grid->addWidget(new QLabel(QString::fromUtf8("提示语"), this), n - 1, 3);
        grid->addWidget(row.text, n - 1, 4);
        // Opening: the prompt text; the time ticked when the alarm is armed. A stored time
        // that is no time of day shows as the default.
        row.text->setText(clock.Text(n));
        const QTime t = clock.Time(n);
        row.time->setTime(t.isValid() ? t : QTime(7, 30, 0));
        row.on->setChecked(clock.Armed(n));
        row.text->setEnabled(clock.Armed(n));
        connect(row.on, &QCheckBox::toggled, row.text, &QWidget::setEnabled);
    }
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CAlarmDlg::accept() {
    bool any = false;
    for (int n = 1; n <= CAlarmClock::kAlarms; ++n) {
        const Row& row = m_rows[std::size_t(n - 1)];
        m_clock.SetText(n, row.text->text());
        any = any || row.on->isChecked();
    }
    if (!any) {
        m_clock.AllOff();
    } else {
        for (int n = 1; n <= CAlarmClock::kAlarms; ++n) {
            const Row& row = m_rows[std::size_t(n - 1)];
            m_clock.SetAlarm(n, row.time->time(), row.on->isChecked());
        }
    }
    QDialog::accept();
}

} // namespace kestrova

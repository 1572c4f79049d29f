// "定时器": the three alarms, each a time of day with an on/off tick and its prompt text.
// OK arms the ticked ones (or turns every alarm off when none is ticked); Cancel changes
// nothing. A view of the alarm clock. GUI thread.
#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QLineEdit;
class QTimeEdit;

namespace kestrova {

class CAlarmClock;

class CAlarmDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAlarmDlg(CAlarmClock& clock, QWidget* parent = nullptr);
    void accept() override;

private:
    struct Row {
        QCheckBox* on;
        QTimeEdit* time;
        QLineEdit* text;
    };
    CAlarmClock& m_clock;
    std::array<Row, 3> m_rows{};
};

} // namespace kestrova

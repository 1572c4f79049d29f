// "修改复读区": nudges one sentence's start and end by up to 4.99 s either way, in steps of
// 0.01 s, always measured from the old values. GUI thread.
#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QSpinBox;

namespace kestrova {

class CModifySelDlg : public QDialog {
    Q_OBJECT
public:
    CModifySelDlg(std::uint32_t start, std::uint32_t end, QWidget* parent = nullptr);
    std::uint32_t NewStart() const { return m_newStart; }
    std::uint32_t NewEnd() const { return m_newEnd; }

private:
    std::uint32_t m_oldStart, m_oldEnd, m_newStart, m_newEnd;
    QSpinBox* m_startSpin;
    QSpinBox* m_endSpin;
    QLabel* m_startText;
    QLabel* m_endText;
};

} // namespace kestrova

#include "ModifySelDlg.h"

#include "SentenceList.h"
#include "common/Util.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kestrova {

CModifySelDlg::CModifySelDlg(std::uint32_t start, std::uint32_t end, QWidget* parent)
    : QDialog(parent), m_oldStart(start), m_oldEnd(end), m_newStart(start), m_newEnd(end) {
    setWindowTitle(QString::fromUtf8("修改复读区"));
    auto* layout = new QVBoxLayout(this);
    // `name`: "start" or "end"; the controls are "<name>Spin" and "<name>Text".
    auto group = [&](const char* title, const char* name, std::uint32_t value, QSpinBox*& spin,
                     QLabel*& text) {
        auto* box = new QGroupBox(QString::fromUtf8(title), this);
        auto* row = new QHBoxLayout(box);
        text = new QLabel(TimeText(value), box);
        text->setObjectName(QString::fromLatin1(name) + QStringLiteral("Text"));
        spin = new QSpinBox(box);
        spin->setObjectName(QString::fromLatin1(name) + QStringLiteral("Spin"));
        spin->setRange(0, 1000);
        spin->setValue(500);
        row->addWidget(text, 1);
        row->addWidget(spin);
        layout->addWidget(box);
    };
    group("开始点", "start", start, m_startSpin, m_startText);
    group("结束点", "end", end, m_endSpin, m_endText);
    // The ends of the range (0 and 1000) keep the value shown before the move.
    connect(m_startSpin, &QSpinBox::valueChanged, this, [this](int p) {
        if (p <= 0 || p >= 1000) return;
        m_newStart = sentences::Nudged(m_oldStart, p);
        m_startText->setText(TimeText(m_newStart));
    });
    connect(m_endSpin, &QSpinBox::valueChanged, this, [this](int p) {
        if (p <= 0 || p >= 1000) return;
        m_newEnd = sentences::Nudged(m_oldEnd, p);
        m_endText->setText(TimeText(m_newEnd));
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace kestrova

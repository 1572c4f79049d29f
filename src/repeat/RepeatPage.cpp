#include "RepeatPage.h"

#include "common/AppSetting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrova {

namespace {
template <typename List> QStringList Texts(const List& list) {
    QStringList texts;
    for (const auto& item : list) {
        if constexpr (std::is_same_v<std::decay_t<decltype(item)>, Choice>)
            texts << QString::fromUtf8(item.text);
        else
            texts << QString::fromUtf8(item);
    }
    return texts;
}
} // namespace

CRepeatPage::CRepeatPage(CAppSetting& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings) {
    setWindowTitle(QString::fromUtf8("复读设置"));
    auto* layout = new QVBoxLayout(this);

    m_prompt = new QCheckBox(QString::fromUtf8("复读区完成一遍后使用声音提示"), this);
    m_prompt->setObjectName(QStringLiteral("promptCheck"));
    layout->addWidget(m_prompt);
    auto* pathRow = new QHBoxLayout;
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("promptPath"));
    auto* choose = new QPushButton(QString::fromUtf8("选择文件"), this);
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(choose);
    layout->addLayout(pathRow);

    auto* repeat = new QGroupBox(QString::fromUtf8("自动逐句复读"), this);
    auto* form = new QFormLayout(repeat);
    m_pause = new QCheckBox(QString::fromUtf8("停顿"), repeat);
    m_pause->setObjectName(QStringLiteral("pauseCheck"));
    form->addRow(m_pause);
    m_pauseLength = new QComboBox(repeat);
    m_pauseLength->setObjectName(QStringLiteral("pauseLength"));
    m_pauseLength->addItems(Texts(kPauseChoiceTexts));
    form->addRow(QString::fromUtf8("时间长度（秒）"), m_pauseLength);
    m_count = new QComboBox(repeat);
    m_count->setObjectName(QStringLiteral("countList"));
    m_count->addItems(Texts(kPassCounts));
    form->addRow(QString::fromUtf8("复读次数"), m_count);
    // A speed for each pass (the shadowing ladder), in percent; empty: the tempo slider's.
    m_passTempos = new QLineEdit(repeat);
    m_passTempos->setObjectName(QStringLiteral("passTempos"));
    m_passTempos->setPlaceholderText(QString::fromUtf8("如 -30, -15, 0"));
    m_passTempos->setToolTip(QString::fromUtf8(
        "每遍的播放速度（百分比，-60 到 60），以逗号分隔；空白则每遍都用音效控制中的速度"));
    form->addRow(QString::fromUtf8("每遍速度（%）"), m_passTempos);
    layout->addWidget(repeat);

    auto* other = new QGroupBox(QString::fromUtf8("其它"), this);
    auto* otherForm = new QFormLayout(other);
    m_cancel = new QCheckBox(QString::fromUtf8("鼠标拖动滑块到复读区之外时，取消复读"), other);
    m_cancel->setObjectName(QStringLiteral("cancelCheck"));
    otherForm->addRow(m_cancel);
    m_step = new QComboBox(other);
    m_step->setObjectName(QStringLiteral("stepList"));
    m_step->addItems(Texts(kMoveSteps));
    otherForm->addRow(QString::fromUtf8("断点移动步长"), m_step);
    layout->addWidget(other);

    connect(choose, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, QString(), m_path->text(),
                                                          QStringLiteral("Wave File (*.wav)"));
        if (!file.isEmpty()) m_path->setText(file);
    });

    const RepeatOptions o = RepeatOptions::From(m_settings);
    m_prompt->setChecked(o.promptAfterPass);
    m_path->setText(o.promptSound);
    m_pause->setChecked(o.pauseAfterPass);
    m_pauseLength->setCurrentIndex(int(o.pause));
    m_count->setCurrentIndex(IndexOfChoice(kPassCounts, o.passes));
    m_cancel->setChecked(o.seekOutsideClears);
    m_step->setCurrentIndex(IndexOfChoice(kMoveSteps, o.moveStepCs));
    m_passTempos->setText(PassTemposText(o.passTempos).replace(",", ", "));
}

void CRepeatPage::Store() {
    RepeatOptions o = RepeatOptions::From(m_settings);
    o.promptAfterPass = m_prompt->isChecked();
    o.promptSound = m_path->text();
    o.pauseAfterPass = m_pause->isChecked();
    if (m_pauseLength->currentIndex() >= 0) o.pause = PauseChoice(m_pauseLength->currentIndex());
    // A count or step the lists do not hold (an edited profile) is kept as it is.
    if (m_count->currentIndex() >= 0) o.passes = kPassCounts[m_count->currentIndex()].value;
    o.seekOutsideClears = m_cancel->isChecked();
    if (m_step->currentIndex() >= 0) o.moveStepCs = kMoveSteps[m_step->currentIndex()].value;
    // A list that does not read as numbers keeps the one stored.
    if (const auto tempos = ParsePassTempos(m_passTempos->text())) o.passTempos = *tempos;
    m_settings.Apply(o);
    Q_EMIT stored();
}

} // namespace kestrova

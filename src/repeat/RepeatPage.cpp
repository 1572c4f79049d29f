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

const int CRepeatPage::kCounts[7] = {1, 2, 3, 5, 10, 15, 20};
const int CRepeatPage::kSteps[10] = {10, 20, 30, 50, 100, 200, 300, 500, 1000, 2000};

namespace {
int IndexOf(const int* values, int count, int value) {
    for (int i = 0; i < count; ++i)
        if (values[i] == value) return i;
    return -1;
}
QStringList Texts(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* t : texts)
        list << QString::fromUtf8(t);
    return list;
}
} // namespace

CRepeatPage::CRepeatPage(CAppSetting& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings) {
    setWindowTitle(QString::fromUtf8("复读设置"));
    auto* layout = new QVBoxLayout(this);

    m_prompt = new QCheckBox(QString::fromUtf8("复读区完成一遍后使用声音提示"), this);
    layout->addWidget(m_prompt);
    auto* pathRow = new QHBoxLayout;
    m_path = new QLineEdit(this);
    auto* choose = new QPushButton(QString::fromUtf8("选择文件"), this);
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(choose);
    layout->addLayout(pathRow);

    auto* repeat = new QGroupBox(QString::fromUtf8("自动逐句复读"), this);
    auto* form = new QFormLayout(repeat);
    m_pause = new QCheckBox(QString::fromUtf8("停顿"), repeat);
    form->addRow(m_pause);
    m_pauseLength = new QComboBox(repeat);
    m_pauseLength->addItems(
        Texts({"一秒", "三秒", "五秒", "十秒", "句子时长", "双倍句子时长", "暂停"}));
    form->addRow(QString::fromUtf8("时间长度（秒）"), m_pauseLength);
    m_count = new QComboBox(repeat);
    m_count->addItems(Texts({"一次", "二次", "三次", "五次", "十次", "十五次", "二十次"}));
    form->addRow(QString::fromUtf8("复读次数"), m_count);
    layout->addWidget(repeat);

    auto* other = new QGroupBox(QString::fromUtf8("其它"), this);
    auto* otherForm = new QFormLayout(other);
    m_cancel = new QCheckBox(QString::fromUtf8("鼠标拖动滑块到复读区之外时，取消复读"), other);
    otherForm->addRow(m_cancel);
    m_step = new QComboBox(other);
    m_step->addItems(Texts({"0.1 秒", "0.2 秒", "0.3 秒", "0.5 秒", "1 秒", "2 秒", "3 秒", "5 秒",
                            "10 秒", "20 秒"}));
    otherForm->addRow(QString::fromUtf8("断点移动步长"), m_step);
    layout->addWidget(other);

    connect(choose, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, QString(), m_path->text(),
                                                          QStringLiteral("Wave File (*.wav)"));
        if (!file.isEmpty()) m_path->setText(file);
    });

    m_prompt->setChecked(m_settings.AudioPrompt);
    m_path->setText(m_settings.FinishAudio);
    m_pause->setChecked(m_settings.PauseFinish);
    m_pauseLength->setCurrentIndex(m_settings.PauseFinishIndex >= 0 &&
                                           m_settings.PauseFinishIndex < 7
                                       ? m_settings.PauseFinishIndex
                                       : -1);
    m_count->setCurrentIndex(IndexOf(kCounts, 7, m_settings.RepeatAmount));
    m_cancel->setChecked(m_settings.CancelRepeat);
    m_step->setCurrentIndex(IndexOf(kSteps, 10, m_settings.MoveStep));
}

void CRepeatPage::Store() {
    m_settings.AudioPrompt = m_prompt->isChecked();
    m_settings.FinishAudio = m_path->text();
    m_settings.PauseFinish = m_pause->isChecked();
    if (m_pauseLength->currentIndex() >= 0)
        m_settings.PauseFinishIndex = m_pauseLength->currentIndex();
    // A count or step the lists do not hold (an edited profile) is kept as it is.
    if (m_count->currentIndex() >= 0) m_settings.RepeatAmount = kCounts[m_count->currentIndex()];
    m_settings.CancelRepeat = m_cancel->isChecked();
    if (m_step->currentIndex() >= 0) m_settings.MoveStep = kSteps[m_step->currentIndex()];
    Q_EMIT stored();
}

} // namespace kestrova

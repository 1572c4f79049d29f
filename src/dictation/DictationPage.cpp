#include "DictationPage.h"

#include "common/AppSetting.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kestrova {

CDictationPage::CDictationPage(CAppSetting& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings) {
    setWindowTitle(QString::fromUtf8("听写设置"));
    auto* layout = new QVBoxLayout(this);
    const DictationOptions o = DictationOptions::From(settings);
    auto check = [&](const char* text, bool on) {
        auto* box = new QCheckBox(QString::fromUtf8(text), this);
        box->setChecked(on);
        layout->addWidget(box);
        return box;
    };
    m_case = check("忽略大小写", o.ignoreCase);
    m_spaces = check("忽略多余空格", o.ignoreSpaces);
    m_punc = check("忽略标点符号", o.ignorePunctuation);
    m_abbr = check("判断简写（如：is等同于's，have等同于've等）", o.detectContractions);
    m_right = check("正确声音提示", o.rightSound);
    m_error = check("错误声音提示", o.errorSound);
    m_redo = check("错误句子重新听写", o.redoErrors);
    auto* hardRow = new QHBoxLayout;
    hardRow->addWidget(new QLabel(QString::fromUtf8("各句听写错误超过"), this));
    m_hard = new QSpinBox(this);
    m_hard->setRange(1, 99);
    m_hard->setValue(std::clamp(o.errorsToHardSentence, 1, 99));
    hardRow->addWidget(m_hard);
    hardRow->addWidget(new QLabel(QString::fromUtf8("加入难点句库"), this));
    hardRow->addStretch(1);
    layout->addLayout(hardRow);
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(new QLabel(QString::fromUtf8("句间间隔"), this));
    m_interval = new QSlider(Qt::Horizontal, this);
    m_interval->setRange(0, 60);
    m_interval->setValue(std::clamp(o.sentenceInterval, 0, 60));
    intervalRow->addWidget(m_interval);
    layout->addLayout(intervalRow);
    auto* autosaveRow = new QHBoxLayout;
    autosaveRow->addWidget(new QLabel(QString::fromUtf8("RTF文本自动保存间隔"), this));
    m_autosave = new QSpinBox(this);
    m_autosave->setObjectName(QStringLiteral("autosaveMinutes"));
    m_autosave->setRange(0, 30);
    m_autosave->setValue(std::clamp(o.autosaveMinutes, 0, 30));
    autosaveRow->addWidget(m_autosave);
    autosaveRow->addWidget(new QLabel(QString::fromUtf8("分钟，（0为不自动保存）"), this));
    autosaveRow->addStretch(1);
    layout->addLayout(autosaveRow);
}

void CDictationPage::Store() {
    DictationOptions o;
    o.ignoreCase = m_case->isChecked();
    o.ignoreSpaces = m_spaces->isChecked();
    o.ignorePunctuation = m_punc->isChecked();
    o.detectContractions = m_abbr->isChecked();
    o.rightSound = m_right->isChecked();
    o.errorSound = m_error->isChecked();
    o.redoErrors = m_redo->isChecked();
    o.errorsToHardSentence = m_hard->value();
    o.sentenceInterval = m_interval->value();
    o.autosaveMinutes = m_autosave->value();
    m_settings.Apply(o);
}

} // namespace kestrova

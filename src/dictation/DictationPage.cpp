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
    auto check = [&](const char* text, bool on) {
        auto* box = new QCheckBox(QString::fromUtf8(text), this);
        box->setChecked(on);
        layout->addWidget(box);
        return box;
    };
    m_case = check("忽略大小写", settings.IgnoreCase);
    m_spaces = check("忽略多余空格", settings.IgnoreSpaces);
    m_punc = check("忽略标点符号", settings.IgnorePunc);
    m_abbr = check("判断简写（如：is等同于's，have等同于've等）", settings.DetectAbbr);
    m_right = check("正确声音提示", settings.RightSound);
    m_error = check("错误声音提示", settings.ErrorSound);
    m_redo = check("错误句子重新听写", settings.RedoError);
    auto* hardRow = new QHBoxLayout;
    hardRow->addWidget(new QLabel(QString::fromUtf8("各句听写错误超过"), this));
    m_hard = new QSpinBox(this);
    m_hard->setRange(1, 99);
    m_hard->setValue(std::clamp(settings.ToHardSent, 1, 99));
    hardRow->addWidget(m_hard);
    hardRow->addWidget(new QLabel(QString::fromUtf8("加入难点句库"), this));
    hardRow->addStretch(1);
    layout->addLayout(hardRow);
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(new QLabel(QString::fromUtf8("句间间隔"), this));
    m_interval = new QSlider(Qt::Horizontal, this);
    m_interval->setRange(0, 60);
    m_interval->setValue(std::clamp(settings.SentInterval, 0, 60));
    intervalRow->addWidget(m_interval);
    layout->addLayout(intervalRow);
}

void CDictationPage::Store() {
    m_settings.IgnoreCase = m_case->isChecked();
    m_settings.IgnoreSpaces = m_spaces->isChecked();
    m_settings.IgnorePunc = m_punc->isChecked();
    m_settings.DetectAbbr = m_abbr->isChecked();
    m_settings.RightSound = m_right->isChecked();
    m_settings.ErrorSound = m_error->isChecked();
    m_settings.RedoError = m_redo->isChecked();
    m_settings.ToHardSent = m_hard->value();
    m_settings.SentInterval = m_interval->value();
}

} // namespace kestrova

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
    // A number between two texts, kept within its range.
    auto spinRow = [&](const char* before, int low, int high, int value, const char* after) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QString::fromUtf8(before), this));
        auto* spin = new QSpinBox(this);
        spin->setRange(low, high);
        spin->setValue(std::clamp(value, low, high));
        row->addWidget(spin);
        row->addWidget(new QLabel(QString::fromUtf8(after), this));
        row->addStretch(1);
        layout->addLayout(row);
        return spin;
    };
    m_hard = spinRow("各句听写错误超过", 1, 99, o.errorsToHardSentence, "加入难点句库");
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(new QLabel(QString::fromUtf8("句间间隔"), this));
    m_interval = new QSlider(Qt::Horizontal, this);
    m_interval->setRange(0, 60);
    m_interval->setValue(std::clamp(o.sentenceInterval, 0, 60));
    intervalRow->addWidget(m_interval);
    layout->addLayout(intervalRow);
    m_autosave =
        spinRow("RTF文本自动保存间隔", 0, 30, o.autosaveMinutes, "分钟，（0为不自动保存）");
    m_autosave->setObjectName(QStringLiteral("autosaveMinutes"));
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

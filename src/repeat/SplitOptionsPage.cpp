#include "SplitOptionsPage.h"

#include "common/AppSetting.h"
#include "common/Util.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace kestrova {

namespace ss = splitschemes;

CSplitOptionsPage::CSplitOptionsPage(CAppSetting& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings) {
    setObjectName(QStringLiteral("SplitOptionsPage"));
    auto* layout = new QVBoxLayout(this);
    auto* schemeRow = new QHBoxLayout;
    schemeRow->addWidget(new QLabel(QString::fromUtf8("自动断句方案"), this));
    m_schemes = new QComboBox(this);
    m_schemes->setObjectName(QStringLiteral("schemeList"));
    schemeRow->addWidget(m_schemes, 1);
    layout->addLayout(schemeRow);

    auto* control = new QGroupBox(QString::fromUtf8("断句控制"), this);
    auto* grid = new QGridLayout(control);
    auto row = [&](int r, const char* label, const char* name, int max, QSlider*& slider,
                   QLineEdit*& text) {
        grid->addWidget(new QLabel(QString::fromUtf8(label), control), r, 0);
        slider = new QSlider(Qt::Horizontal, control);
        slider->setObjectName(QString::fromLatin1(name) + "Slider");
        slider->setRange(0, max);
        text = new QLineEdit(control);
        text->setObjectName(QString::fromLatin1(name) + "Text");
        text->setMaximumWidth(60);
        grid->addWidget(slider, r, 1);
        grid->addWidget(text, r, 2);
        // A slider moved is the learner's own scheme; a number typed moves its slider.
        // (The page's own settings of a slider block its signals.)
        connect(slider, &QSlider::valueChanged, this, [this, text](int v) {
            text->setText(QString::number(v));
            m_schemes->setCurrentIndex(0);
            Q_EMIT changed();
        });
        connect(text, &QLineEdit::textEdited, this, [this, slider](const QString& t) {
            bool ok = false;
            const int v = t.toInt(&ok);
            if (ok) {
                QSignalBlocker block(slider);
                slider->setValue(v);
            }
            Q_EMIT changed();
        });
    };
    row(0, "背景噪音", "noise", 2000, m_noise, m_noiseText);
    row(1, "句间空隙", "gap", 100, m_gap, m_gapText);
    layout->addWidget(control);

    auto* noLrc = new QGroupBox(QString::fromUtf8("没有当前音频文件的LRC文件时"), this);
    auto* noLrcLayout = new QVBoxLayout(noLrc);
    m_useSplit = new QCheckBox(QString::fromUtf8("使用自动断句"), noLrc);
    m_useSplit->setObjectName(QStringLiteral("useSplit"));
    noLrcLayout->addWidget(m_useSplit);
    auto* lengthRow = new QHBoxLayout;
    lengthRow->addWidget(new QLabel(QString::fromUtf8("文件播放时长大于："), noLrc));
    m_length = new QLineEdit(noLrc);
    m_length->setObjectName(QStringLiteral("lengthText"));
    m_length->setMaximumWidth(80);
    lengthRow->addWidget(m_length);
    lengthRow->addWidget(new QLabel(QString::fromUtf8("秒不使用自动断句"), noLrc));
    lengthRow->addStretch(1);
    noLrcLayout->addLayout(lengthRow);
    layout->addWidget(noLrc);
    m_priority = new QCheckBox(
        QString::fromUtf8("使用高CPU优先级断句（断句宽时长文件时程序可能会失去响应）"), this);
    m_priority->setObjectName(QStringLiteral("highPriority"));
    layout->addWidget(m_priority);

    auto* buttons = new QHBoxLayout;
    auto* standard = new QPushButton(QString::fromUtf8("默认"), this);
    standard->setObjectName(QStringLiteral("defaultButton"));
    auto* saveAs = new QPushButton(QString::fromUtf8("另存为..."), this);
    saveAs->setObjectName(QStringLiteral("saveAsButton"));
    auto* remove = new QPushButton(QString::fromUtf8("删除"), this);
    remove->setObjectName(QStringLiteral("deleteButton"));
    buttons->addWidget(standard);
    buttons->addWidget(saveAs);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);
    for (QCheckBox* box : {m_useSplit, m_priority})
        connect(box, &QCheckBox::clicked, this, &CSplitOptionsPage::changed);
    connect(m_length, &QLineEdit::textEdited, this, &CSplitOptionsPage::changed);
    connect(standard, &QPushButton::clicked, this, [this] {
        m_schemes->setCurrentIndex(1);
        ApplySelected();
    });
    connect(saveAs, &QPushButton::clicked, this, &CSplitOptionsPage::SaveAs);
    connect(remove, &QPushButton::clicked, this, &CSplitOptionsPage::Delete);

    // Opening: the settings, the built-in and saved schemes, then the selected scheme.
    Show(std::clamp(settings.BackgroundNoise, 0, 2000), std::clamp(settings.SentenceDist, 0, 100));
    m_schemes->addItems({QString::fromUtf8(ss::kUserDefined), QString::fromUtf8(ss::kDefault),
                         QString::fromUtf8(ss::kNoNoise)});
    m_saved = ss::Load(ss::FilePath());
    for (const SPLIT_ITEM& item : m_saved)
        m_schemes->addItem(item.name);
    m_schemes->addItem(QString::fromUtf8(ss::kAuto));
    m_useSplit->setChecked(settings.UseSplit);
    m_length->setText(QString::number(settings.AudioLength));
    m_priority->setChecked(settings.UseTpan);
    m_schemes->setCurrentIndex(settings.AutoNoise ? AutoIndex()
                               : settings.SplitScheme >= 0 && settings.SplitScheme < AutoIndex()
                                   ? settings.SplitScheme
                                   : 0);
    ApplySelected();
    connect(m_schemes, &QComboBox::activated, this, [this] {
        ApplySelected();
        Q_EMIT changed();
    });
}

void CSplitOptionsPage::Show(int noise, int gap) {
    for (auto [slider, text, value] :
         {std::tuple{m_noise, m_noiseText, noise}, std::tuple{m_gap, m_gapText, gap}}) {
        QSignalBlocker block(slider);
        slider->setValue(value);
        text->setText(QString::number(value));
    }
}

int CSplitOptionsPage::AutoIndex() const {
    return m_schemes->count() - 1;
}

void CSplitOptionsPage::ApplySelected() {
    int noise = m_noise->value();
    int gap = m_gap->value();
    // The automatic scheme measures the threshold in each lesson: there is none to set.
    const bool automatic = m_schemes->currentIndex() == AutoIndex();
    if (automatic)
        gap = 28;
    else
        ss::Apply(m_schemes->currentText(), m_saved, noise, gap);
    Show(noise, gap);
    m_noise->setEnabled(!automatic);
    m_noiseText->setEnabled(!automatic);
}

QString CSplitOptionsPage::AskName() {
    if (m_askName) return m_askName();
    while (true) {
        bool ok = false;
        const QString name = QInputDialog::getText(this, QString::fromUtf8("输入方案名"), QString(),
                                                   QLineEdit::Normal, QString(), &ok);
        if (!ok) return {};
        if (name.trimmed().isEmpty()) {
            ShowMessage(MessageKind::Warning, QString::fromUtf8("请输入一个名字"));
            continue;
        }
        // The file keeps a name up to its first space: a name with one is refused.
        if (name.contains(QLatin1Char(' '))) {
            ShowMessage(MessageKind::Warning, QString::fromUtf8("方案名中不能有空格"));
            continue;
        }
        return name;
    }
}

void CSplitOptionsPage::SaveAs() {
    const QString name = AskName();
    if (name.isEmpty()) return;
    m_saved.push_back({name, m_noise->value(), m_gap->value()});
    m_schemes->insertItem(AutoIndex(), name); // the automatic scheme stays last
    m_schemes->setCurrentIndex(AutoIndex() - 1);
    ApplySelected();
    Q_EMIT changed();
}

void CSplitOptionsPage::Delete() {
    // The built-in entries stay; a saved one goes with every scheme of its name.
    const int index = m_schemes->currentIndex();
    if (index < ss::kBuiltIn || index == AutoIndex()) return;
    const QString name = m_schemes->currentText();
    m_schemes->removeItem(index);
    m_saved.erase(std::remove_if(m_saved.begin(), m_saved.end(),
                                 [&](const SPLIT_ITEM& s) { return s.name == name; }),
                  m_saved.end());
    for (int i = AutoIndex() - 1; i >= ss::kBuiltIn; --i)
        if (m_schemes->itemText(i) == name) m_schemes->removeItem(i);
    m_schemes->setCurrentIndex(1);
    ApplySelected();
    Q_EMIT changed();
}

bool CSplitOptionsPage::Validate() {
    const struct {
        QLineEdit* field;
        int low, high;
    } checks[] = {{m_noiseText, 0, 2000}, {m_gapText, 0, 100}, {m_length, 0, INT_MAX}};
    for (const auto& c : checks) {
        bool ok = false;
        const int v = c.field->text().trimmed().toInt(&ok);
        if (!ok || v < c.low || v > c.high) {
            ShowMessage(
                MessageKind::Warning,
                QStringLiteral("Enter an integer between %1 and %2.").arg(c.low).arg(c.high));
            c.field->setFocus();
            return false;
        }
    }
    return true;
}

void CSplitOptionsPage::Store() {
    ss::Save(ss::FilePath(), m_saved);
    m_settings.BackgroundNoise = m_noiseText->text().trimmed().toInt();
    m_settings.SentenceDist = m_gapText->text().trimmed().toInt();
    m_settings.UseSplit = m_useSplit->isChecked();
    m_settings.UseTpan = m_priority->isChecked();
    m_settings.AudioLength = m_length->text().trimmed().toInt();
    m_settings.SplitScheme = m_schemes->currentIndex();
    m_settings.AutoNoise = m_schemes->currentIndex() == AutoIndex();
}

} // namespace kestrova

#include "RecordPanel.h"

#include "VoiceCompareView.h"
#include "common/Util.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace kestrova {

namespace {
using B = CRecordController::Button;
} // namespace

CRecordPanel::CRecordPanel(CRecordController& recorder, QWidget* parent)
    : QWidget(parent), m_recorder(recorder) {
    setObjectName(QStringLiteral("RecordPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* grid = new QGridLayout;
    auto add = [&](B button, const char* name, int row, int column,
                   void (CRecordController::*act)()) {
        auto* b = new QPushButton(m_recorder.Text(button), this);
        b->setObjectName(QString::fromLatin1(name));
        grid->addWidget(b, row, column);
        connect(b, &QPushButton::clicked, &m_recorder, act);
        m_buttons.insert(int(button), b);
    };
    add(B::Record, "recordButton", 0, 0, &CRecordController::Record);
    add(B::PlayRecording, "playRecordingButton", 0, 1, &CRecordController::PlayRecording);
    add(B::PlaySource, "playSourceButton", 1, 0, &CRecordController::PlaySource);
    add(B::Compare, "compareButton", 1, 1, &CRecordController::Compare);
    auto* save = new QPushButton(m_recorder.Text(B::Save), this);
    save->setObjectName(QStringLiteral("saveButton"));
    grid->addWidget(save, 2, 0, 1, 2);
    connect(save, &QPushButton::clicked, this, &CRecordPanel::Save);
    m_buttons.insert(int(B::Save), save);
    auto* previous = new QPushButton(QStringLiteral("<<"), this);
    previous->setObjectName(QStringLiteral("previousButton"));
    auto* next = new QPushButton(QStringLiteral(">>"), this);
    next->setObjectName(QStringLiteral("nextButton"));
    grid->addWidget(previous, 3, 0);
    grid->addWidget(next, 3, 1);
    connect(previous, &QPushButton::clicked, &m_recorder, &CRecordController::Previous);
    connect(next, &QPushButton::clicked, &m_recorder, &CRecordController::Next);
    layout->addLayout(grid);
    // The picture of the last recording beside the source sentence.
    m_picture = new CVoiceCompareView(this);
    layout->addWidget(m_picture);
    connect(&m_recorder.Comparer(), &CVoiceComparer::ready, m_picture, &CVoiceCompareView::Show);

    auto* levelRow = new QHBoxLayout;
    m_level = new QSlider(Qt::Horizontal, this);
    m_level->setObjectName(QStringLiteral("levelSlider"));
    m_level->setRange(0, 100);
    m_level->setToolTip(QString::fromUtf8("录音音量"));
    auto* reset = new QPushButton(QString::fromUtf8("复位"), this);
    reset->setObjectName(QStringLiteral("levelReset"));
    levelRow->addWidget(m_level, 1);
    levelRow->addWidget(reset);
    layout->addLayout(levelRow);
    connect(m_level, &QSlider::valueChanged, &m_recorder, &CRecordController::SetLevel);
    connect(reset, &QPushButton::clicked, &m_recorder, &CRecordController::ResetLevel);

    auto* after = new QGroupBox(QString::fromUtf8("录音完成后"), this);
    auto* afterLayout = new QVBoxLayout(after);
    auto* group = new QButtonGroup(this);
    const char* modes[] = {"手动操作", "自动播放录音", "自动对比播放"};
    for (int i = 0; i < 3; ++i) {
        m_modes[i] = new QRadioButton(QString::fromUtf8(modes[i]), after);
        m_modes[i]->setObjectName(QStringLiteral("mode%1").arg(i));
        group->addButton(m_modes[i], i);
        afterLayout->addWidget(m_modes[i]);
    }
    connect(group, &QButtonGroup::idClicked, &m_recorder,
            [this](int id) { m_recorder.SetMode(CRecordController::AfterRecording(id)); });
    layout->addWidget(after);

    m_length = new QLabel(this);
    m_length->setObjectName(QStringLiteral("lengthText"));
    m_position = new QLabel(this);
    m_position->setObjectName(QStringLiteral("positionText"));
    layout->addWidget(m_length);
    layout->addWidget(m_position);
    layout->addStretch(1);

    connect(&m_recorder, &CRecordController::changed, this, &CRecordPanel::Show);
    connect(&m_recorder, &CRecordController::timesChanged, this, &CRecordPanel::ShowTimes);
    Show();
    ShowTimes();
}

void CRecordPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The microphone is opened when the learner first comes here, not at every start.
    if (!m_recorder.Initialised()) m_recorder.Init();
}

void CRecordPanel::Show() {
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it) {
        it.value()->setText(m_recorder.Text(B(it.key())));
        it.value()->setEnabled(m_recorder.IsEnabled(B(it.key())));
    }
    QSignalBlocker block(m_level);
    m_level->setValue(m_recorder.Level());
    m_modes[int(m_recorder.Mode())]->setChecked(true);
}

void CRecordPanel::ShowTimes() {
    m_length->setText(QString::fromUtf8("录音时长：") +
                      TimeText(std::uint32_t(m_recorder.RecordedCs())));
    m_position->setText(QString::fromUtf8("当前位置：") +
                        TimeText(std::uint32_t(m_recorder.PositionCs())));
}

void CRecordPanel::Save() {
    QFileDialog dialog(window(), QString(), QString(),
                       QString::fromUtf8("WAV files (*.wav);;All files (*.*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    m_recorder.Save(dialog.selectedFiles().first());
}

} // namespace kestrova

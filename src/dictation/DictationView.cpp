#include "DictationView.h"

#include "DictateSentPanel.h"
#include "common/Prompts.h"

#include "common/AppSetting.h"

#include <QLabel>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace kestrova {

CDictationView::CDictationView(CAppSetting& settings, CDictationSession& session, QWidget* parent)
    : QWidget(parent), m_settings(settings) {
    setObjectName(QStringLiteral("DictationView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_stack = new QStackedWidget(this);
    m_freePlaceholder = new QLabel(
        QString::fromUtf8("选择“操作 → 开始听写”：“智能模式”逐句听写，“自由模式”边听边写。"),
        m_stack);
    static_cast<QLabel*>(m_freePlaceholder)->setAlignment(Qt::AlignCenter);
    m_panel = new CDictateSentPanel(settings, session, m_stack);
    m_stack->addWidget(m_freePlaceholder);
    m_stack->addWidget(m_panel);
    layout->addWidget(m_stack);
    m_autosave = new QTimer(this);
    m_autosave->setObjectName(QStringLiteral("autosaveTimer"));
    connect(m_autosave, &QTimer::timeout, this, &CDictationView::freeTextSave);
}

void CDictationView::SetFreeEditor(QWidget* editor) {
    m_freeEditor = editor;
    m_stack->addWidget(editor);
}

void CDictationView::StartAutosave() {
    m_autosave->stop();
    if (m_freeMode && m_settings.AutoSave > 0) m_autosave->start(m_settings.AutoSave * 60000);
}

void CDictationView::AutosaveChanged() {
    // A new non-zero interval restarts a running free mode's timer; 0 leaves it as it is
    // until free mode starts again.
    if (m_freeMode && m_settings.AutoSave > 0) StartAutosave();
}

void CDictationView::LeaveFreeMode() {
    if (!m_freeMode) return;
    m_autosave->stop();
    Q_EMIT freeTextSave();
    Q_EMIT freeTextClear();
}

void CDictationView::FreeCommand() {
    if (m_freeMode) {
        StopDictation(true);
        return;
    }
    if (!m_host || !m_freeEditor) return;
    if (m_sentenceMode) m_panel->Stop(true);
    m_waitingForSplit = 0;
    // As sentence dictation starts, but free mode starts whatever the answer.
    m_host->StopAutoRepeat();
    if (m_host->SentenceCount() == 0) {
        if (m_host->IsSplitting())
            ShowMessage(MessageKind::Information, QString::fromUtf8("正在进行自动断句，请稍后！"));
        else if (m_prompts &&
                 m_prompts->Ask(QString::fromUtf8("断点列表中没有项目，是否自动断句？")))
            m_host->StartSplit();
    }
    Q_EMIT freeTextLoad();
    m_stack->setCurrentWidget(m_freeEditor);
    SetModes(false, true);
    Q_EMIT pageWanted();
    m_freeEditor->setFocus();
    if (!m_host->PlaySentence(0, false)) m_host->StartPlayback();
    StartAutosave();
}

void CDictationView::SetHost(IDictationHost* host) {
    m_host = host;
    m_panel->SetHost(host);
}

void CDictationView::SetPrompts(IPrompts* prompts) {
    m_prompts = prompts;
    m_panel->SetPrompts(prompts);
}

void CDictationView::SetModes(bool sentence, bool free) {
    if (m_sentenceMode == sentence && m_freeMode == free) return;
    m_sentenceMode = sentence;
    m_freeMode = free;
    Q_EMIT modeChanged();
}

bool CDictationView::Prepare() {
    if (!m_host) return false;
    m_host->StopAutoRepeat();
    if (m_host->SentenceCount() > 0) return true;
    if (m_host->IsSplitting()) {
        ShowMessage(MessageKind::Information, QString::fromUtf8("正在进行自动断句，请稍后！"));
        return false;
    }
    if (!m_prompts || !m_prompts->Ask(QString::fromUtf8("断点列表中没有项目，是否自动断句？")))
        return false;
    m_host->StartSplit();
    return false; // dictation starts when the split hands over its sentences
}

void CDictationView::StartSentences(bool hard) {
    LeaveFreeMode(); // its text is saved first
    SetModes(true, false);
    m_stack->setCurrentWidget(m_panel);
    Q_EMIT pageWanted();
    if (hard) {
        if (!m_panel->StartHardSentences(m_hardStarts)) StopDictation(true);
    } else {
        m_panel->StartAll();
    }
}

void CDictationView::SmartCommand() {
    if (m_sentenceMode) {
        StopDictation(true);
        return;
    }
    const bool ready = Prepare();
    if (!ready) {
        if (m_host && m_host->IsSplitting()) m_waitingForSplit = 1;
        return;
    }
    StartSentences(false);
}

void CDictationView::HardCommand(const std::vector<std::uint32_t>& starts) {
    if (m_sentenceMode) {
        StopDictation(true);
        return;
    }
    m_hardStarts = starts;
    if (!Prepare()) {
        if (m_host && m_host->IsSplitting()) m_waitingForSplit = 2;
        return;
    }
    StartSentences(true);
}

void CDictationView::StopDictation(bool stopPlayback) {
    m_waitingForSplit = 0;
    LeaveFreeMode();
    m_stack->setCurrentWidget(m_freePlaceholder);
    m_panel->Stop(true);
    SetModes(false, false);
    if (stopPlayback && m_host) m_host->StopPlayback();
}

void CDictationView::SentencesChanged() {
    if (m_waitingForSplit && m_host && m_host->SentenceCount() > 0) {
        const bool hard = m_waitingForSplit == 2;
        m_waitingForSplit = 0;
        StartSentences(hard);
        return;
    }
    if (m_sentenceMode) m_panel->Begin();
}

void CDictationView::SplittingEnded() {
    m_waitingForSplit = 0;
}

} // namespace kestrova

#include "DictationView.h"

#include "DictateSentPanel.h"
#include "common/Util.h"

#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace kestrova {

CDictationView::CDictationView(CAppSetting& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings) {
    setObjectName(QStringLiteral("DictationView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_stack = new QStackedWidget(this);
    m_freePlaceholder =
        new QLabel(QString::fromUtf8("选择“操作 → 开始听写 → 智能模式”开始逐句听写。"), m_stack);
    static_cast<QLabel*>(m_freePlaceholder)->setAlignment(Qt::AlignCenter);
    m_panel = new CDictateSentPanel(settings, m_stack);
    m_stack->addWidget(m_freePlaceholder);
    m_stack->addWidget(m_panel);
    layout->addWidget(m_stack);
}

bool CDictationView::Prepare() {
    if (m_hooks.stopAutoRepeat) m_hooks.stopAutoRepeat();
    if (m_hooks.sentenceCount && m_hooks.sentenceCount() > 0) return true;
    if (m_hooks.splitting && m_hooks.splitting()) {
        ShowMessage(MessageKind::Information, QString::fromUtf8("正在进行自动断句，请稍后！"));
        return false;
    }
    if (!m_hooks.ask || !m_hooks.ask(QString::fromUtf8("断点列表中没有项目，是否自动断句？")))
        return false;
    if (m_hooks.startSplit) m_hooks.startSplit();
    return false; // dictation starts when the split hands over its sentences
}

void CDictationView::StartSentences(bool hard) {
    m_freeMode = false;
    m_sentenceMode = true;
    m_stack->setCurrentWidget(m_panel);
    if (m_hooks.showPage) m_hooks.showPage();
    if (hard) {
        if (!m_panel->StartHardSentences(m_hooks.hardStarts ? m_hooks.hardStarts()
                                                            : std::vector<std::uint32_t>{}))
            StopDictation(true);
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
        if (m_hooks.splitting && m_hooks.splitting()) m_waitingForSplit = 1;
        return;
    }
    StartSentences(false);
}

void CDictationView::HardCommand() {
    if (m_sentenceMode) {
        StopDictation(true);
        return;
    }
    if (!Prepare()) {
        if (m_hooks.splitting && m_hooks.splitting()) m_waitingForSplit = 2;
        return;
    }
    StartSentences(true);
}

void CDictationView::StopDictation(bool stopPlayback) {
    m_sentenceMode = false;
    m_freeMode = false;
    m_waitingForSplit = 0;
    m_stack->setCurrentWidget(m_freePlaceholder);
    m_panel->Stop(true);
    if (stopPlayback && m_hooks.stopPlayback) m_hooks.stopPlayback();
}

void CDictationView::SentencesChanged() {
    if (m_waitingForSplit && m_hooks.sentenceCount && m_hooks.sentenceCount() > 0) {
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
